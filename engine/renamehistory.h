#pragma once

#include "core/names.h"
#include "engine/renameoperation.h"

#include <deque>
#include <functional>
#include <QByteArray>
#include <QString>
#include <vector>

namespace tessaly {

// One rename of a run that takes renames back or does them again: the file as it is named now
// and the name it gets, each as the lists show it and with its bytes on disk.
struct RenameStep {
    FileEntry from;
    FileEntry to;
};

// The renames of one PROCEED, to take back and to do again: the folder it renamed in and, in
// run order, each file it renamed, its names before and after as bytes on disk (names that are
// not UTF-8 included). Files the run left alone or failed to rename are not in it. The names
// of a whole folder are kept in one buffer.
class RenameBatch {
public:
    RenameBatch() = default;
    explicit RenameBatch(QString folder) : m_folder(std::move(folder)) {}

    const QString& folder() const { return m_folder; }
    qsizetype size() const { return qsizetype(m_ends.size() / 2); }
    bool isEmpty() const { return m_ends.empty(); }
    // A file of the run renamed from the bytes `before` to the bytes `after`.
    void add(QByteArrayView before, QByteArrayView after);

    // Step i of taking the batch back: each file from its new name to its old, the last
    // renamed first.
    RenameStep undoStep(qsizetype i) const;
    // Step i of doing it again: each file from its old name to its new, the first renamed first.
    RenameStep redoStep(qsizetype i) const;
    // After a run of the undo or redo steps: keeps the renames whose step renamed its file,
    // `renamed[i]` telling it for step i, so that taking the run back again touches only them.
    void keepUndone(const std::vector<bool>& renamed);
    void keepRedone(const std::vector<bool>& renamed);

private:
    // Rename k's old name, or its new one.
    QByteArrayView name(qsizetype k, bool after) const;
    void keep(const std::vector<bool>& renameKept);

    QString m_folder;
    QByteArray m_names;            // each rename's old name, then its new one
    std::vector<qsizetype> m_ends; // where each of those names ends in m_names
};

// The renames of this window's PROCEEDs, oldest first, as long as the window lives: the newest
// entry still done can be taken back (undo), then the one before it, and an entry taken back can
// be done again (redo) in turn.
class RenameHistory {
public:
    // Starts the newest entry, which a PROCEED fills as it renames: the entries taken back and
    // not done again are dropped first.
    RenameBatch& startEntry(QString folder);
    bool canUndo() const { return m_done > 0; }
    bool canRedo() const { return m_done < qsizetype(m_entries.size()); }
    // The entry an undo takes back, or a redo does again; null where there is none.
    const RenameBatch* nextToUndo() const;
    const RenameBatch* nextToRedo() const;

private:
    friend void undoRenames(const RenameServices&, std::function<bool()>);
    friend void redoRenames(const RenameServices&, std::function<bool()>);

    std::deque<RenameBatch> m_entries; // a deque: an entry stays in place while others come
    qsizetype m_done = 0;              // the entries done: the first ones
};

// Takes back the history's next entry to undo, or does the next one to redo again, as a run of
// its own in the entry's folder: each file renamed in PROCEED's way through a RenameOperation
// (the file's present name as the old one), undo the last renamed first. The entry then keeps
// only the renames whose step went through, so that the next undo or redo touches only them.
// `foldsCase` as for RenameOperation.
void undoRenames(const RenameServices& services, std::function<bool()> foldsCase = {});
void redoRenames(const RenameServices& services, std::function<bool()> foldsCase = {});

} // namespace tessaly
