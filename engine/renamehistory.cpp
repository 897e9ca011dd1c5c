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

RenameBatch& RenameHistory::startEntry(QString folder)
{
    m_entries.resize(size_t(m_done));
    m_entries.emplace_back(std::move(folder));
    m_done = qsizetype(m_entries.size());
    return m_entries.back();
}

const RenameBatch* RenameHistory::nextToUndo() const
{
    return canUndo() ? &m_entries[size_t(m_done - 1)] : nullptr;
}

const RenameBatch* RenameHistory::nextToRedo() const
{
    return canRedo() ? &m_entries[size_t(m_done)] : nullptr;
}

namespace {

void replay(const RenameServices& services, RenameBatch& batch, bool undo,
            std::function<bool()> foldsCase)
{
    RenameOperation rename(services, batch.folder(), batch.size(), RenameOperation::Record::Nothing,
                           std::move(foldsCase));
    std::vector<bool> renamed;
    renamed.reserve(size_t(batch.size()));
    for (qsizetype i = 0; i < batch.size(); ++i) {
        const RenameStep step = undo ? batch.undoStep(i) : batch.redoStep(i);
        renamed.push_back(rename.rename(step.from, step.to) == FileOutcome::Renamed);
    }
    if (undo)
        batch.keepUndone(renamed);
    else
        batch.keepRedone(renamed);
}

} // namespace

void undoRenames(const RenameServices& services, std::function<bool()> foldsCase)
{
    RenameHistory& history = services.history;
    if (!history.canUndo())
        return;
    --history.m_done;
    replay(services, history.m_entries[size_t(history.m_done)], true, std::move(foldsCase));
}

void redoRenames(const RenameServices& services, std::function<bool()> foldsCase)
{
    RenameHistory& history = services.history;
    if (!history.canRedo())
        return;
    ++history.m_done;
    replay(services, history.m_entries[size_t(history.m_done - 1)], false, std::move(foldsCase));
}

} // namespace tessaly
