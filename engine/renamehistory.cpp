#include "engine/renamehistory.h"

#include "engine/logtexts.h"

namespace tessaly {

namespace {

FileEntry entryOf(QByteArrayView bytes)
{
    return decodeFileName(bytes.data(), bytes.size());
}

} // namespace

qsizetype HistoryEntry::addFolder(const QString& relative)
{
    m_folders.append(relative);
    return m_folders.size() - 1;
}

QString HistoryEntry::folderPath(qsizetype k) const
{
    const QString& relative = m_folders[k];
    return relative == u"." ? m_root : joinPath(m_root, relative);
}

void HistoryEntry::add(qsizetype folder, QByteArrayView before, QByteArrayView after,
                       const FileIdentity& identity)
{
    appendBytes(m_names, before);
    appendBytes(m_names, after);
    m_files.push_back({m_names.size(), before.size(), folder, identity});
}

QByteArrayView HistoryEntry::name(qsizetype i, bool after) const
{
    const File& f = m_files[size_t(i)];
    const qsizetype start = i == 0 ? 0 : m_files[size_t(i - 1)].end;
    const QByteArrayView both = QByteArrayView(m_names).sliced(start, f.end - start);
    return after ? both.sliced(f.oldSize) : both.first(f.oldSize);
}

RenameStep HistoryEntry::undoStep(qsizetype i) const
{
    return {entryOf(name(i, true)), entryOf(name(i, false))};
}

RenameStep HistoryEntry::redoStep(qsizetype i) const
{
    return {entryOf(name(i, false)), entryOf(name(i, true))};
}

qsizetype HistoryEntry::countDone() const
{
    return std::count_if(m_files.begin(), m_files.end(), [](const File& f) { return f.done; });
}

void HistoryEntry::dropFiles(const std::function<bool(qsizetype)>& drop)
{
    // In place: the names kept move up over those dropped.
    QByteArray names;
    std::vector<File> kept;
    for (qsizetype i = 0; i < size(); ++i) {
        if (drop(i))
            continue;
        File f = m_files[size_t(i)];
        appendBytes(names, name(i, false));
        appendBytes(names, name(i, true));
        f.end = names.size();
        kept.push_back(f);
    }
    m_names = std::move(names);
    m_files = std::move(kept);
}

HistoryEntry& RenameHistory::startEntry(QString root, bool tree)
{
    // An entry taken back or done again in part keeps only its files done: the others can no
    // longer be done again once the entries after it are dropped.
    if (undoUnderWay() || redoUnderWay()) {
        const qsizetype k = undoUnderWay() ? m_done - 1 : m_done;
        HistoryEntry& mixed = m_entries[size_t(k)];
        mixed.dropFiles([&](qsizetype i) { return !mixed.isDone(i); });
        m_done = k + 1;
    }
    m_entries.resize(size_t(m_done));
    m_entries.emplace_back(std::move(root), tree);
    m_done = qsizetype(m_entries.size());
    return m_entries.back();
}

bool RenameHistory::undoUnderWay() const
{
    return m_done > 0 &&
           m_entries[size_t(m_done - 1)].countDone() < m_entries[size_t(m_done - 1)].size();
}

bool RenameHistory::redoUnderWay() const
{
    return m_done < qsizetype(m_entries.size()) && m_entries[size_t(m_done)].countDone() > 0;
}

bool RenameHistory::canUndo() const
{
    return m_done > 0 && !redoUnderWay();
}

bool RenameHistory::canRedo() const
{
    return m_done < qsizetype(m_entries.size()) && !undoUnderWay();
}

const HistoryEntry* RenameHistory::nextToUndo() const
{
    return canUndo() ? &m_entries[size_t(m_done - 1)] : nullptr;
}

const HistoryEntry* RenameHistory::nextToRedo() const
{
    return canRedo() ? &m_entries[size_t(m_done)] : nullptr;
}

void replayRenames(const RenameServices& services, bool undo,
                   const std::function<bool(const QString&)>& foldsCase)
{
    RenameHistory& history = services.history;
    if (undo ? !history.canUndo() : !history.canRedo())
        return;
    const qsizetype k = undo ? history.m_done - 1 : history.m_done;
    HistoryEntry& entry = history.m_entries[size_t(k)];
    services.log.add((undo ? LogLines::UndoHeader : LogLines::RedoHeader).text(entry.root()));

    RenameOperation rename(services, RenameOperation::Kind::Replay, entry.root(), entry.isTree());
    std::vector<bool> letGo(size_t(entry.size()));
    // How many files each folder has: its names given are reserved for that many, not for the
    // whole entry (a pass over 100,000 folders would reserve for every file in each of them).
    std::vector<qsizetype> filesIn(size_t(entry.folders().size()));
    for (qsizetype i = 0; i < entry.size(); ++i)
        ++filesIn[size_t(entry.folderOf(i))];
    qsizetype waiting = 0;
    qsizetype folder = -1;
    // An undo takes the last renamed back first; a redo renames in the run's order. Each goes
    // only through the files the last step left to it.
    for (qsizetype n = 0; n < entry.size(); ++n) {
        const qsizetype i = undo ? entry.size() - 1 - n : n;
        if (entry.isDone(i) != undo)
            continue;
        if (entry.folderOf(i) != folder) {
            folder = entry.folderOf(i);
            const QString path = entry.folderPath(folder);
            std::function<bool()> folds;
            if (foldsCase)
                folds = [&foldsCase, path] { return foldsCase(path); };
            rename.enterFolder(path, filesIn[size_t(folder)], std::move(folds),
                               entry.folders()[folder]);
        }
        const RenameStep step = undo ? entry.undoStep(i) : entry.redoStep(i);
        switch (rename.rename(step.from, step.to, entry.identity(i))) {
        case FileOutcome::Renamed:
            entry.setDone(i, !undo);
            break;
        case FileOutcome::NameExists:
        case FileOutcome::FailedIgnored:
            ++waiting; // tried again by the next step the same way
            break;
        default: // gone, replaced by another file or no longer a valid name: let go
            letGo[size_t(i)] = true;
            break;
        }
    }
    entry.dropFiles([&](qsizetype i) { return letGo[size_t(i)]; });
    if (waiting > 0) {
        const QString count = QString::number(waiting);
        services.log.add(undo ? LogLines::NotTakenBack.text(count)
                              : LogLines::NotRenamedAgain.text(count));
        return;
    }
    if (entry.isEmpty()) {
        history.m_entries.erase(history.m_entries.begin() + k);
        if (undo)
            --history.m_done;
        return;
    }
    history.m_done += undo ? -1 : 1;
}

} // namespace tessaly
