#pragma once

#include "core/names.h"
#include "core/nameset.h"
#include "core/runtimeerror.h"
#include "core/services.h"

#include <functional>
#include <optional>
#include <QList>
#include <QString>
#include <span>

namespace tessaly {

enum class RunMode : qint16 { Proceed = 0, Preview = 1 };

// The rule settings of one run, read afresh from the rule controls each time.
struct RenameRules {
    bool rangeOn = false;
    qint16 rangeFrom = 0;
    qint16 rangeTo = 0;
    QString rangeWith;
    bool replaceOn = false;
    QString replaceFind;
    QString replaceWith;
    bool eraseOn = false;
    QString eraseText;
    bool allMatches = false;
    bool insertOn = false;
    QString insertText;
    qint16 insertPos = 0;
    bool capitalizeOn = false;
    bool upperSuffixOn = false;
    bool lowerSuffixOn = false;
};

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

// Which position checks of the range and insert rules failed for one file.
struct PositionFaults {
    bool range = false;
    bool insert = false;
};

// What a PROCEED did with one chosen file.
enum class FileOutcome : quint8 {
    LeftAlone,    // its new name is its old one, empty or "."
    Renamed,      // renamed and logged
    NameExists,   // "already exist": another file has the new name
    NotFound,     // "not found": the file is gone
    BadName,      // "Bad file name": not a valid name
    FailedIgnored // another failure, answered with Ignore: not renamed
};

struct RunSinks {
    std::function<void(const QString&)> previewLine; // PREVIEW: one line per chosen file
    std::function<void(const QString&)> logLine;     // PROCEED: the log (lstResult)
    // PROCEED: rename `old` (a chosen entry; `oldBytes` are its bytes on disk) to newName;
    // throws RunTimeError.
    std::function<void(const FileEntry& old, const QByteArray& oldBytes, const NewName& newName)>
        rename;
    // PREVIEW, optional: right after each preview line, the position checks that failed for
    // its file (PROCEED logs them).
    std::function<void(PositionFaults)> previewFaults = {};
    // PROCEED, optional: what became of each chosen file, in order.
    std::function<void(FileOutcome)> outcome = {};
    // PROCEED, optional: a "renamed to" line as the pieces of its UTF-8, to be joined, made of
    // the bytes the rename used, so that a sink that keeps lines as UTF-8 need not encode
    // them; without it, or where a name's bytes are not its UTF-8, the line goes to logLine.
    std::function<void(std::span<const QByteArrayView>)> logUtf8 = {};
};

// The names a PROCEED has given to files so far, as exact names (equal when their bytes are).
// A chosen name among them is no longer the chosen file: that one vanished before the run
// reached it, and a file renamed earlier in the run took its name (a chosen file still there
// would have stopped that rename). So a file is renamed at most once in a run. On a folder that
// ignores case, another spelling of a given name finds that file too.
class GivenNames {
public:
    // `foldsCase` tells whether the run's folder ignores case; it is asked once, after the
    // first rename. `most` is the number of files the run may rename.
    GivenNames(std::function<bool()> foldsCase, qsizetype most);

    // `newName` as the rename was given it: an exact name (see exactName).
    void add(const QString& newName);
    bool contains(const FileEntry& chosen);

private:
    void addFolded(const QString& name);

    std::function<bool()> m_askFoldsCase;
    const qsizetype m_most;
    // The names given, and sets that refer to them: a set's table of a whole folder's names
    // stays in the processor's caches between the renames' system calls, where a hash of
    // strings would be fetched from memory twice a file.
    QList<QString> m_given;
    NameSet m_exact;
    QList<QString> m_givenFolded; // on a folder that ignores case
    NameSet m_folded;
    std::optional<bool> m_foldsCase;
};

// Whether PROCEED leaves a file alone: its new name is its old one (letters of different case
// differ), empty or ".".
bool leavesAlone(const QString& oldName, const QString& newName);

// Step 20: renames `old` to `to` unless PROCEED leaves it alone (the names as the lists show
// them; the rename gives the file the bytes of `to`), and logs what happened.
FileOutcome renameAndLog(const FileEntry& old, const FileEntry& to, const RunSinks& sinks,
                         RunErrorReport& report);

// Steps 9 to 21 for every chosen entry, in order.
void runFiles(RunMode mode, const RenameRules& rules, const QList<FileEntry>& chosen,
              const RunSinks& sinks, RunErrorReport& report);

} // namespace tessaly
