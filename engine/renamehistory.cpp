#include "renamehistory.h"

namespace tessaly {

namespace {

FileEntry entryOf(const QByteArray& bytes)
{
    return decodeFileName(bytes.constData(), bytes.size());
}

} // namespace

void RenameBatch::add(const QByteArray& before, const QString& after)
{
    m_renames.append({before, encodePath(after)});
}

QList<RenameStep> RenameBatch::undoSteps() const
{
    QList<RenameStep> steps;
    steps.reserve(m_renames.size());
    for (auto r = m_renames.crbegin(); r != m_renames.crend(); ++r)
        steps.append({entryOf(r->after), entryOf(r->before)});
    return steps;
}

QList<RenameStep> RenameBatch::redoSteps() const
{
    QList<RenameStep> steps;
    steps.reserve(m_renames.size());
    for (const Rename& r : m_renames)
        steps.append({entryOf(r.before), entryOf(r.after)});
    return steps;
}

void RenameBatch::keepUndone(const std::vector<bool>& renamed)
{
    // Step i took back the rename counted i from the end.
    QList<Rename> kept;
    for (qsizetype i = 0; i < m_renames.size(); ++i)
        if (renamed[size_t(m_renames.size() - 1 - i)])
            kept.append(m_renames[i]);
    m_renames = std::move(kept);
}

void RenameBatch::keepRedone(const std::vector<bool>& renamed)
{
    QList<Rename> kept;
    for (qsizetype i = 0; i < m_renames.size(); ++i)
        if (renamed[size_t(i)])
            kept.append(m_renames[i]);
    m_renames = std::move(kept);
}

void runRenames(const QList<RenameStep>& steps, const RunSinks& sinks, RunErrorReport& report)
{
    for (const RenameStep& step : steps) {
        const FileOutcome outcome = renameAndLog(step.from, step.to, sinks, report);
        if (sinks.outcome)
            sinks.outcome(outcome);
    }
}

} // namespace tessaly
