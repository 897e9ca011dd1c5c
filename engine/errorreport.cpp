#include "engine/errorreport.h"

#include <QStringList>

namespace tessaly {

QString errorReportText(const RunTimeError& error)
{
    return QStringList{QStringLiteral("I'm sorry, Run-time error occured!"),
                       QStringLiteral("Details:"),
                       QStringLiteral("Error Number = ") + QString::number(error.code()),
                       QStringLiteral("Error Description = ") + error.description(),
                       QStringLiteral("Error Line = 0")}
        .join(QStringLiteral("\r\n"));
}

RunErrorReport::RunErrorReport(MessageBoxService& box, ProgramEnd& end,
                               std::function<void()> beforeShow)
    : m_box(box), m_end(end), m_beforeShow(std::move(beforeShow))
{
}

RunErrorReport::Next RunErrorReport::report(const RunTimeError& error)
{
    if (m_beforeShow)
        m_beforeShow();
    m_shown = true;
    switch (m_box.runTimeError(errorReportText(error), errorReportTitle)) {
    case MessageBoxService::Retry:
        return Next::Retry;
    case MessageBoxService::Ignore:
        return Next::Ignore;
    case MessageBoxService::Abort:
        break;
    }
    m_end.endNow();
    throw RunEnded{};
}

} // namespace tessaly
