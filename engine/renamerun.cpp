#include "engine/renamerun.h"

#include "engine/nameedit.h"

#include <atomic>
#include <QStringList>
#include <system_error>
#include <thread>
#include <vector>

namespace tessaly {

namespace {

QString quoted(const QString& name)
{
    return u'"' + name + u'"';
}

// "File "old" renamed to "new"": a run writes one per file. Where the bytes the rename used
// are the UTF-8 of both names, the line is made of them.
void logRenamed(const RunSinks& sinks, const QString& oldName, const QString& newName,
                const QByteArray& oldBytes, bool oldIsUtf8, const NewName& target)
{
    if (sinks.logUtf8 && oldIsUtf8 && target.isUtf8()) {
        const QByteArray newBytes = target.bytes();
        const QByteArrayView pieces[] = {"File \"", oldBytes, "\" renamed to \"", newBytes, "\""};
        sinks.logUtf8(pieces);
        return;
    }
    sinks.logLine(QStringLiteral("File \"") + oldName + QStringLiteral("\" renamed to \"") +
                  newName + u'"');
}

bool concernsTheFileAlone(int code)
{
    return code == ErrorCode::FileExists || code == ErrorCode::FileNotFound ||
           code == ErrorCode::BadFileName;
}

// The log line of a rename that failed in one of the ways that concern this file alone.
QString outcomeLine(int code, const QString& oldName, const QString& newName)
{
    switch (code) {
    case ErrorCode::FileExists:
        return QStringLiteral("File ") + quoted(oldName) + QStringLiteral(" already exist");
    case ErrorCode::FileNotFound:
        return QStringLiteral("File ") + newName + QStringLiteral(" not found");
    default:
        return QStringLiteral("Bad file name ") + newName;
    }
}

FileOutcome outcomeOf(int code)
{
    switch (code) {
    case ErrorCode::FileExists:
        return FileOutcome::NameExists;
    case ErrorCode::FileNotFound:
        return FileOutcome::NotFound;
    default:
        return FileOutcome::BadName;
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

bool leavesAlone(const QString& oldName, const QString& newName)
{
    return newName == oldName || newName.isEmpty() || newName == u".";
}

GivenNames::GivenNames(std::function<bool()> foldsCase, qsizetype most)
    : m_askFoldsCase(std::move(foldsCase)), m_most(most)
{
}

void GivenNames::add(const QString& newName)
{
    if (m_given.isEmpty()) { // a run that renames nothing never gets here
        m_given.reserve(m_most);
        m_exact.reserve(m_most);
    }
    m_given.append(newName);
    if (!m_exact.insert(m_given.constLast()))
        m_given.removeLast();
    else if (m_foldsCase.value_or(false))
        addFolded(newName);
}

void GivenNames::addFolded(const QString& name)
{
    m_givenFolded.append(name.toCaseFolded());
    if (!m_folded.insert(m_givenFolded.constLast()))
        m_givenFolded.removeLast();
}

bool GivenNames::contains(const FileEntry& chosen)
{
    if (m_given.isEmpty())
        return false;
    if (!m_foldsCase) { // asked once, after the first rename
        m_foldsCase = m_askFoldsCase();
        if (*m_foldsCase) {
            m_givenFolded.reserve(m_most);
            m_folded.reserve(m_most);
            for (const QString& given : std::as_const(m_given))
                addFolded(given);
        }
    }
    const QString name = exactName(chosen);
    return m_exact.contains(name) || (*m_foldsCase && m_folded.contains(name.toCaseFolded()));
}

namespace {

QString invalidRangeLine(const RenameRules& rules)
{
    return QStringLiteral("Invalid position range: ") + QString::number(rules.rangeFrom) +
           QStringLiteral(" to ") + QString::number(rules.rangeTo);
}

QString invalidInsertLine(const RenameRules& rules)
{
    return QStringLiteral("Invalid position index: ") + QString::number(rules.insertPos);
}

// Steps 12 to 18: the rules in their fixed order, each one step of its own run by `step`, so
// that a failed edit that is ignored leaves the name as it was. Invalid positions are logged
// (PROCEED) or noted in `faults` (PREVIEW).
template <typename Step>
QString newNameOf(const QString& oldName, const RenameRules& rules, bool proceed,
                  const RunSinks& sinks, PositionFaults& faults, Step step)
{
    QString name = oldName;
    const qint16 all = rules.allMatches ? -1 : 0;
    if (rules.rangeOn) {
        step([&] {
            if (1 <= rules.rangeFrom && rules.rangeFrom <= rules.rangeTo &&
                rules.rangeTo <= name.size()) {
                name = ReplaceRange(name, rules.rangeFrom, rules.rangeTo, rules.rangeWith);
            } else if (!proceed) {
                faults.range = true;
            } else {
                sinks.logLine(invalidRangeLine(rules));
            }
        });
    }
    if (rules.replaceOn)
        step([&] { name = ReplaceText(name, rules.replaceFind, rules.replaceWith, all); });
    if (rules.eraseOn)
        step([&] { name = ReplaceText(name, rules.eraseText, QString(), all); });
    if (rules.insertOn) {
        step([&] {
            if (0 <= rules.insertPos && rules.insertPos <= name.size()) {
                name = InsertAfter(name, rules.insertPos, rules.insertText);
            } else if (!proceed) {
                faults.insert = true;
            } else {
                sinks.logLine(invalidInsertLine(rules));
            }
        });
    }
    if (rules.capitalizeOn)
        step([&] { capitalizeWordsInPlace(name); });
    if (rules.upperSuffixOn)
        step([&] { upperSuffixInPlace(name); });
    if (rules.lowerSuffixOn)
        step([&] { lowerSuffixInPlace(name); });
    return name;
}

// A run of this many files or more shares its work with a second thread.
constexpr qsizetype SharedRun = 2048;

// The new names of the files from `first` on, worked out in a second thread while the run goes
// on: ahead of PROCEED's renames, or for the second half of a PREVIEW. The edits are pure, and
// the rules are the thread's own copy (two threads copying the same strings would fight over
// their reference counts). The thread stops at the first name whose edit fails, which the run
// then does itself in its turn, so that the error report comes exactly when it would.
class NamesAhead {
public:
    NamesAhead(const QList<FileEntry>& files, qsizetype first, const RenameRules& rules)
        : m_first(first), m_rules(deepCopy(rules)), m_names(size_t(files.size() - first)),
          m_faults(m_names.size()),
          m_thread([this, &files](std::stop_token stop) { work(files, stop); })
    {
    }

    // Waits for the name of file `i`; false when the thread stopped before it.
    bool wait(qsizetype i)
    {
        const quint64 k = quint64(i - m_first);
        quint64 state = m_state.load(std::memory_order_acquire);
        while ((state & ~Finished) <= k && !(state & Finished)) {
            m_state.wait(state, std::memory_order_acquire);
            state = m_state.load(std::memory_order_acquire);
        }
        return (state & ~Finished) > k;
    }
    QString take(qsizetype i) { return std::move(m_names[size_t(i - m_first)]); }
    PositionFaults faults(qsizetype i) const { return m_faults[size_t(i - m_first)]; }

private:
    static constexpr quint64 Finished = quint64(1) << 62;

    void work(const QList<FileEntry>& files, const std::stop_token& stop)
    {
        const RunSinks none;
        quint64 done = 0;
        for (qsizetype i = m_first; i < files.size() && !stop.stop_requested(); ++i) {
            try {
                m_names[done] = newNameOf(files[i].name, m_rules, false, none, m_faults[done],
                                          [](auto&& edit) { edit(); });
            } catch (const RunTimeError&) {
                break;
            }
            if (++done % 64 == 0) {
                m_state.store(done, std::memory_order_release);
                m_state.notify_one();
            }
        }
        m_state.store(done | Finished, std::memory_order_release);
        m_state.notify_one();
    }

    static RenameRules deepCopy(RenameRules rules)
    {
        for (QString* text : {&rules.rangeWith, &rules.replaceFind, &rules.replaceWith,
                              &rules.eraseText, &rules.insertText})
            *text = QString(text->constData(), text->size());
        return rules;
    }

    const qsizetype m_first;
    const RenameRules m_rules;
    std::vector<QString> m_names;
    std::vector<PositionFaults> m_faults;
    std::atomic<quint64> m_state{0}; // names done, and whether the thread is finished
    std::jthread m_thread;           // last: started once the rest is in place, stopped first
};

} // namespace

FileOutcome renameAndLog(const FileEntry& old, const FileEntry& to, const RunSinks& sinks,
                         RunErrorReport& report)
{
    if (leavesAlone(old.name, to.name))
        return FileOutcome::LeftAlone;
    // Both names are encoded once, in place, for the rename, its history and its log line.
    NameBytes encoded;
    const bool oldIsUtf8 = !old.notUtf8 && encoded.setUtf8(old.name);
    if (!oldIsUtf8)
        encoded.set(old.bytes());
    const QByteArray oldBytes = encoded.bytes();
    const NewName target(exactName(to));
    // Exists, not found and bad name concern this file alone: they are logged and the run
    // goes on with the next file. Only the rename itself gives them that meaning.
    std::optional<int> code;
    const bool renamed = runStep(report, [&] { // a.
        try {
            sinks.rename(old, oldBytes, target);
        } catch (const RunTimeError& error) {
            if (!concernsTheFileAlone(error.code()))
                throw;
            code = error.code();
        }
    });
    if (code) {
        sinks.logLine(outcomeLine(*code, old.name, to.name));
        return outcomeOf(*code);
    }
    // A failed rename that is ignored renamed nothing, so it gets no "renamed to" line.
    if (!renamed)
        return FileOutcome::FailedIgnored;
    runStep(report,
            [&] { logRenamed(sinks, old.name, to.name, oldBytes, oldIsUtf8, target); }); // b.
    return FileOutcome::Renamed;
}

void runFiles(RunMode mode, const RenameRules& rules, const QList<FileEntry>& chosen,
              const RunSinks& sinks, RunErrorReport& report)
{
    const bool proceed = mode == RunMode::Proceed;
    // The list is taken once; a copy (shared, so cheap) keeps it fixed whatever the sinks do.
    const QList<FileEntry> files = chosen;
    const auto step = [&](auto&& body) { runStep(report, body); };
    // PROCEED has the names worked out ahead of its renames; PREVIEW, the second half's while
    // it does the first.
    const qsizetype first = proceed ? 0 : files.size() / 2;
    std::optional<NamesAhead> ahead;
    if (files.size() >= SharedRun) {
        try {
            ahead.emplace(files, first, rules);
        } catch (const std::system_error&) { // no thread to be had: the run does it all
        }
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        const FileEntry& old = files[i];
        PositionFaults faults;
        QString name;
        if (ahead && i >= first && ahead->wait(i)) {
            name = ahead->take(i);
            faults = ahead->faults(i);
            // What the edits' steps would have logged.
            if (proceed && faults.range)
                step([&] { sinks.logLine(invalidRangeLine(rules)); });
            if (proceed && faults.insert)
                step([&] { sinks.logLine(invalidInsertLine(rules)); });
        } else {
            if (ahead && i >= first)
                ahead.reset(); // stopped at this file: the rest is done here
            name = newNameOf(old.name, rules, proceed, sinks, faults, step);
        }
        if (!proceed) {
            runStep(report, [&] { // 19.
                sinks.previewLine(name);
                if (sinks.previewFaults)
                    sinks.previewFaults(faults);
            });
            continue;
        }
        const FileOutcome outcome = renameAndLog(old, FileEntry{name, {}}, sinks, report);
        if (sinks.outcome)
            sinks.outcome(outcome);
    }
}

} // namespace tessaly
