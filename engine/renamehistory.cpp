#include "engine/renamehistory.h"

#include <cstring>

namespace tessaly {

namespace {

FileEntry entryOf(QByteArrayView bytes)
{
    return decodeFileName(bytes.data(), bytes.size());
}

} // namespace

void RenameBatch::add(QByteArrayView before, QByteArrayView after)
{
    appendBytes(m_names, before);
    m_ends.push_back(m_names.size());
    appendBytes(m_names, after);
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
    // In place: the names kept move up over those dropped.
    qsizetype write = 0;
    size_t ends = 0;
    for (qsizetype k = 0; k < size(); ++k) {
        const qsizetype start = k == 0 ? 0 : m_ends[size_t(2 * k - 1)];
        const qsizetype end = m_ends[size_t(2 * k + 1)];
        const qsizetype middle = m_ends[size_t(2 * k)];
        if (!renameKept[size_t(k)])
            continue;
        std::memmove(m_names.data() + write, m_names.constData() + start, size_t(end - start));
        m_ends[ends++] = write + (middle - start);
        write += end - start;
        m_ends[ends++] = write;
    }
    m_names.truncate(write);
    m_ends.resize(ends);
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
