#include "renamerun.h"

#include "nameedit.h"

#include <QStringList>

namespace tessaly {

namespace {

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// "File "old" renamed to "new"", built in one piece: a run writes one per file.
QString renamedLine(const QString& oldName, const QString& newName)
{
    QString line;
    line.reserve(26 + oldName.size() + newName.size());
    line += u"File \"";
    line += oldName;
    line += u"\" renamed to \"";
    line += newName;
    line += u'"';
    return line;
}

// The log line of a rename that failed in one of the ways that concern this file alone.
std::optional<QString> outcomeLine(int code, const QString& oldName, const QString& newName)
{
    switch (code) {
    case ErrorCode::FileExists:
        return QStringLiteral("File ") + quoted(oldName) + QStringLiteral(" already exist");
    case ErrorCode::FileNotFound:
        return QStringLiteral("File ") + newName + QStringLiteral(" not found");
    case ErrorCode::BadFileName:
        return QStringLiteral("Bad file name ") + newName;
    default:
        return std::nullopt;
    }
}

} // namespace

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

bool leavesAlone(const QString& oldName, const QString& newName)
{
    return newName == oldName || newName.isEmpty() || newName == u".";
}

void runFiles(RunMode mode, const RenameRules& rules, const QList<FileEntry>& chosen,
              const RunSinks& sinks, RunErrorReport& report)
{
    const bool proceed = mode == RunMode::Proceed;
    const qint16 all = rules.allMatches ? -1 : 0;
    // The list is taken once; a copy (shared, so cheap) keeps it fixed whatever the sinks do.
    const QList<FileEntry> files = chosen;
    for (const FileEntry& old : files) {
        QString name = old.name;
        PositionFaults faults;

        // Each rule is one step: a failed edit that is ignored leaves the name as it was.
        if (rules.rangeOn) {
            runStep(report, [&] {
                if (1 <= rules.rangeFrom && rules.rangeFrom <= rules.rangeTo &&
                    rules.rangeTo <= name.size()) {
                    name = ReplaceRange(name, rules.rangeFrom, rules.rangeTo, rules.rangeWith);
                } else if (!proceed) {
                    faults.range = true;
                } else {
                    sinks.logLine(QStringLiteral("Invalid position range: ") +
                                  QString::number(rules.rangeFrom) + QStringLiteral(" to ") +
                                  QString::number(rules.rangeTo));
                }
            });
        }
        if (rules.replaceOn)
            runStep(report,
                    [&] { name = ReplaceText(name, rules.replaceFind, rules.replaceWith, all); });
        if (rules.eraseOn)
            runStep(report, [&] { name = ReplaceText(name, rules.eraseText, QString(), all); });
        if (rules.insertOn) {
            runStep(report, [&] {
                if (0 <= rules.insertPos && rules.insertPos <= name.size()) {
                    name = InsertAfter(name, rules.insertPos, rules.insertText);
                } else if (!proceed) {
                    faults.insert = true;
                } else {
                    sinks.logLine(QStringLiteral("Invalid position index: ") +
                                  QString::number(rules.insertPos));
                }
            });
        }
        if (rules.capitalizeOn)
            runStep(report, [&] { capitalizeWordsInPlace(name); });
        if (rules.upperSuffixOn)
            runStep(report, [&] { upperSuffixInPlace(name); });
        if (rules.lowerSuffixOn)
            runStep(report, [&] { lowerSuffixInPlace(name); });

        if (!proceed) {
            runStep(report, [&] {
                sinks.previewLine(name);
                if (sinks.previewFaults)
                    sinks.previewFaults(faults);
            });
            continue;
        }

        if (leavesAlone(old.name, name))
            continue;
        // Exists, not found and bad name concern this file alone: they are logged and the run
        // goes on with the next file. Only the rename itself gives them that meaning.
        std::optional<QString> outcome;
        const bool renamed = runStep(report, [&] {
            try {
                sinks.rename(old, name);
            } catch (const RunTimeError& error) {
                outcome = outcomeLine(error.code(), old.name, name);
                if (!outcome)
                    throw;
            }
        });
        if (outcome) {
            sinks.logLine(*outcome);
            continue;
        }
        // A failed rename that is ignored renamed nothing, so it gets no "renamed to" line.
        if (!renamed)
            continue;
        runStep(report, [&] { sinks.logLine(renamedLine(old.name, name)); });
    }
}

} // namespace tessaly
