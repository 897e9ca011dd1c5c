#include "renamehistory.h"

namespace tessaly {

namespace {

FileEntry entryOf(QByteArrayView bytes)
{
    return decodeFileName(bytes.data(), bytes.size());
}

} // namespace

void RenameBatch::add(const QByteArray& before, const QString& after)
{
    m_names += before;
    m_ends.push_back(m_names.size());
    m_names += encodePath(after);
    m_ends.push_back(m_names.size());
}

QByteArrayView RenameBatch::name(qsizetype k, bool after) const
{
    const size_t end = size_t(2 * k + (after ? 1 : 0));
    const qsizetype start = end == 0 ? 0 : m_ends[end - 1];
    return QByteArrayView(m_names).sliced(start, m_ends[end] - start);
}

RenameStep RenameBatch::undoStep(qsizetype i) const
{
    const qsizetype k = size() - 1 - i;
    return {entryOf(name(k, true)), entryOf(name(k, false))};
}

RenameStep RenameBatch::redoStep(qsizetype i) const
{
    return {entryOf(name(i, false)), entryOf(name(i, true))};
}

void RenameBatch::keepUndone(const std::vector<bool>& renamed)
{
    // Step i took back the rename counted i from the end.
    keep(std::vector<bool>(renamed.rbegin(), renamed.rend()));
}

void RenameBatch::keepRedone(const std::vector<bool>& renamed)
{
    keep(renamed);
}

void RenameBatch::keep(const std::vector<bool>& renameKept)
{
    RenameBatch kept(m_folder);
    for (qsizetype k = 0; k < size(); ++k) {
        if (!renameKept[size_t(k)])
            continue;
        kept.m_names += name(k, false);
        kept.m_ends.push_back(kept.m_names.size());
        kept.m_names += name(k, true);
        kept.m_ends.push_back(kept.m_names.size());
    }
    *this = std::move(kept);
}

void runRenames(const RenameBatch& batch, bool undo, const RunSinks& sinks, RunErrorReport& report)
{
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const RenameStep step = undo ? batch.undoStep(i) : batch.redoStep(i);
        const FileOutcome outcome = renameAndLog(step.from, step.to, sinks, report);
        if (sinks.outcome)
            sinks.outcome(outcome);
    }
}

} // namespace tessaly
