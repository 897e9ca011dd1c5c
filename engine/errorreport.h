#pragma once

#include "core/runtimeerror.h"
#include "core/services.h"

#include <functional>
#include <optional>
#include <QString>

namespace tessaly {

// The five-line message of the error report, lines joined by CR LF, no CR LF after the last.
QString errorReportText(const RunTimeError& error);
inline const QString errorReportTitle = QStringLiteral("Run-time error");

// Thrown after the error report's Abort when ending the program returned (only in tests):
// it unwinds the run; nothing else catches it but the outermost run.
struct RunEnded {};

// The run's error report: shows a failure and tells what to do next.
class RunErrorReport {
public:
    RunErrorReport(MessageBoxService& box, ProgramEnd& end, std::function<void()> beforeShow = {});
    enum class Next { Retry, Ignore };
    // Shows the box (text errorReportText, title "Run-time error"); Abort calls end.endNow() and
    // then throws RunEnded; Retry/Ignore are returned. beforeShow runs first (the window flushes
    // buffered list lines there so the lists on screen are up to date while the box is up).
    Next report(const RunTimeError& error);
    // Whether a box was shown: its event loop may have let anything change meanwhile.
    bool shown() const { return m_shown; }

private:
    MessageBoxService& m_box;
    ProgramEnd& m_end;
    std::function<void()> m_beforeShow;
    bool m_shown = false;
};

// Runs one numbered step: retries it while the report answers Retry; returns true when the
// step succeeded, false when it failed and the answer was Ignore.
template <typename Body> bool runStep(RunErrorReport& report, Body&& body)
{
    for (;;) {
        std::optional<RunTimeError> failure;
        try {
            body();
            return true;
        } catch (const RunTimeError& error) {
            failure = error;
        }
        // Reported outside the handler: the box may run a nested event loop.
        if (report.report(*failure) == RunErrorReport::Next::Ignore)
            return false;
    }
}

} // namespace tessaly
