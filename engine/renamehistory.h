#pragma once

#include "core/filesystem.h"
#include "core/names.h"
#include "engine/renameoperation.h"

#include <deque>
#include <functional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace tessaly {

// One rename of a file that an undo or redo makes: the file as it is named now and the name it
// gets, each as the lists show it and with its bytes on disk.
struct RenameStep {
    FileEntry from;
    FileEntry to;
};

// The renames of one PROCEED (or of one pass over a folder tree), to take back and to do
// again: the folder it ran in and, in the order they were renamed, each file it renamed, with
// its folder (relative to that one), its names before and after as bytes on disk (names that
// are not UTF-8 included) and its identity. Each file is done (under its new name) or taken
// back (under its old one). The names of a whole folder are kept in one buffer.
class HistoryEntry {
public:
    HistoryEntry() = default;
    // `tree`: the renames of a pass over a folder tree, whose log names each folder.
    explicit HistoryEntry(QString root, bool tree = false) : m_root(std::move(root)), m_tree(tree)
    {
    }

    const QString& root() const { return m_root; }
    bool isTree() const { return m_tree; }
    // The folders of its files, relative to the root ("." for the root itself).
    const QStringList& folders() const { return m_folders; }
    qsizetype addFolder(const QString& relative);
    // The full path of folder k.
    QString folderPath(qsizetype k) const;

    qsizetype size() const { return qsizetype(m_files.size()); }
    bool isEmpty() const { return m_files.empty(); }
    // A file of the run renamed from the bytes `before` to the bytes `after`, done.
    void add(qsizetype folder, QByteArrayView before, QByteArrayView after,
             const FileIdentity& identity);

    qsizetype folderOf(qsizetype i) const { return m_files[size_t(i)].folder; }
    bool isDone(qsizetype i) const { return m_files[size_t(i)].done; }
    const FileIdentity& identity(qsizetype i) const { return m_files[size_t(i)].identity; }
    // File i taken back (from its new name to its old) or done again.
    RenameStep undoStep(qsizetype i) const;
    RenameStep redoStep(qsizetype i) const;
    void setDone(qsizetype i, bool done) { m_files[size_t(i)].done = done; }
    qsizetype countDone() const;
    // Lets go of the files for which `drop(i)` is true.
    void dropFiles(const std::function<bool(qsizetype)>& drop);

private:
    struct File {
        qsizetype end; // of its new name in m_names; the old one comes right before
        qsizetype oldSize;
        qsizetype folder;
        FileIdentity identity;
        bool done = true;
    };
    QByteArrayView name(qsizetype i, bool after) const;

    QString m_root;
    bool m_tree = false;
    QStringList m_folders;
    QByteArray m_names; // each file's old name, then its new one
    std::vector<File> m_files;
};

// The renames of this window's PROCEEDs, oldest first, as long as the window lives: the newest
// entry still done can be taken back (undo), then the one before it, and an entry taken back can
// be done again (redo) in turn. Files whose undo failed wait in their entry, which stays the one
// to undo until none waits; then it can be done again. The same holds for redo.
class RenameHistory {
public:
    // Starts the newest entry, which a PROCEED fills as it renames: the entries taken back and
    // not done again are dropped first.
    HistoryEntry& startEntry(QString root, bool tree = false);
    bool canUndo() const;
    bool canRedo() const;
    // The entry an undo takes back, or a redo does again; null where there is none.
    const HistoryEntry* nextToUndo() const;
    const HistoryEntry* nextToRedo() const;

private:
    friend void replayRenames(const RenameServices&, bool,
                              const std::function<bool(const QString&)>&);
    // An entry taken back in part, or done again in part: its next step goes the same way.
    bool undoUnderWay() const;
    bool redoUnderWay() const;

    std::deque<HistoryEntry> m_entries; // a deque: an entry stays in place while others come
    qsizetype m_done = 0;               // the entries done: the first ones
};

// Takes back the history's next entry to undo (`undo`), or does the next one to redo again, as
// a run of its own: its first line names the entry's folder (and the entry of a tree pass names
// each folder before its lines, as the pass did), then each file is renamed in
// PROCEED's way through a RenameOperation, undo the last renamed first, each only while its name
// holds the file renamed. A file that is gone or replaced by another leaves the entry; one whose
// old name is taken, or whose rename failed and was ignored, waits for the next undo (or redo),
// which the last line says. `foldsCase(folder)` tells whether a folder ignores case where the
// caller knows it, else null.
void replayRenames(const RenameServices& services, bool undo,
                   const std::function<bool(const QString&)>& foldsCase = {});

} // namespace tessaly
