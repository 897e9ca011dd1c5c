#include "engine/renamerun.h"

#include "core/secondthread.h"

#include <optional>
#include <vector>

namespace tessaly {

namespace {

// The new names of the files from `first` on, worked out in a second thread while the run goes
// on: ahead of PROCEED's renames, or for the second half of a PREVIEW. The edits are pure, and
// the rules are the thread's own copy. The thread stops at the first name whose edit fails,
// which the run then does itself in its turn, so that the error report comes exactly when it
// would.
class NamesAhead {
public:
    NamesAhead(const QList<FileEntry>& files, qsizetype first, const RenameRules& rules)
        : m_first(first), m_rules(rules.deepCopy()), m_names(size_t(files.size() - first)),
          m_faults(m_names.size()),
          m_thread([this, &files](const std::stop_token& stop, SecondThread& thread) {
              work(files, stop, thread);
          })
    {
    }

    bool started() const { return m_thread.started(); }
    // Waits for the name of file `i`; false when the thread stopped before it.
    bool wait(qsizetype i) { return m_thread.waitFor(i - m_first); }
    QString take(qsizetype i) { return std::move(m_names[size_t(i - m_first)]); }
    PositionFaults faults(qsizetype i) const { return m_faults[size_t(i - m_first)]; }

private:
    void work(const QList<FileEntry>& files, const std::stop_token& stop, SecondThread& thread)
    {
        qsizetype done = 0;
        for (qsizetype i = m_first; i < files.size() && !stop.stop_requested(); ++i) {
            try {
                m_names[size_t(done)] = newNameOf(files[i].name, m_rules, m_faults[size_t(done)]);
            } catch (const RunTimeError&) {
                break;
            }
            if (++done % 64 == 0)
                thread.done(done);
        }
        thread.done(done);
    }

    const qsizetype m_first;
    const RenameRules m_rules;
    std::vector<QString> m_names;
    std::vector<PositionFaults> m_faults;
    SecondThread m_thread; // last: started once the rest is in place, stopped first
};

// Runs each edit as a step of the run, and logs a position fault where a PROCEED finds it.
struct RunSteps {
    RunErrorReport& report;
    RunLog* log; // PROCEED
    const RenameRules& rules;

    template <typename Edit> void run(Edit&& edit) { runStep(report, edit); }
    void positionFault(PositionFault fault)
    {
        if (log)
            log->add(positionFaultLine(fault, rules));
    }
};

// Steps 9 to 21 for every chosen entry, in order: `use(i, newName, faults)` previews or renames
// entry i. `log` is PROCEED's.
template <typename Use>
void runFiles(bool proceed, const RenameRules& rules, const QList<FileEntry>& chosen,
              RunErrorReport& report, RunLog* log, Use use)
{
    // The list is taken once; a copy (shared, so cheap) keeps it fixed whatever the sinks do.
    const QList<FileEntry> files = chosen;
    RunSteps steps{report, log, rules};
    // PROCEED has the names worked out ahead of its renames; PREVIEW, the second half's while
    // it does the first.
    const qsizetype first = proceed ? 0 : files.size() / 2;
    std::optional<NamesAhead> ahead;
    if (files.size() >= WorthASecondThread) {
        ahead.emplace(files, first, rules);
        if (!ahead->started())
            ahead.reset(); // no thread to be had: the run does it all
    }
    for (qsizetype i = 0; i < files.size(); ++i) {
        PositionFaults faults;
        QString name;
        if (ahead && i >= first && ahead->wait(i)) {
            name = ahead->take(i);
            faults = ahead->faults(i);
            // What the edits' steps would have logged.
            if (log && faults.range)
                steps.run([&] { steps.positionFault(PositionFault::Range); });
            if (log && faults.insert)
                steps.run([&] { steps.positionFault(PositionFault::Insert); });
        } else {
            if (ahead && i >= first)
                ahead.reset(); // stopped at this file: the rest is done here
            name = newNameOf(files[i].name, rules, faults, steps);
        }
        use(files[i], std::move(name), faults);
    }
}

} // namespace

void previewFiles(const RenameRules& rules, const QList<FileEntry>& chosen,
                  const PreviewSinks& sinks, RunErrorReport& report)
{
    runFiles(false, rules, chosen, report, nullptr,
             [&](const FileEntry&, QString name, PositionFaults faults) {
                 runStep(report, [&] { // 19.
                     sinks.line(name);
                     if (sinks.faults)
                         sinks.faults(faults);
                 });
             });
}

void proceedFiles(const RenameRules& rules, const QList<FileEntry>& chosen, RenameOperation& rename,
                  const std::function<void(FileOutcome)>& outcome)
{
    const RenameServices& services = rename.services();
    runFiles(true, rules, chosen, services.report, &services.log,
             [&](const FileEntry& old, QString name, PositionFaults) {
                 const FileOutcome done = rename.rename(old, FileEntry{std::move(name), {}});
                 if (outcome)
                     outcome(done);
             });
}

} // namespace tessaly
