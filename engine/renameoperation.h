#pragma once

#include "core/filesystem.h"
#include "core/nameset.h"
#include "engine/errorreport.h"

#include <functional>
#include <optional>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <span>

namespace tessaly {

class HistoryEntry;
class RenameHistory;

// Where a run's log lines go (the window's lstResult).
class RunLog {
public:
    virtual ~RunLog() = default;
    virtual void add(const QString& line) = 0;
    // A line as pieces of valid UTF-8, to be joined: a log that keeps its lines as UTF-8 need
    // not encode them.
    virtual void add(std::span<const QByteArrayView> pieces);
};

// What a rename did with one file.
enum class FileOutcome : quint8 {
    LeftAlone,     // its new name is its old one, empty or "."
    Renamed,       // renamed and logged
    NameExists,    // "already exist": another file has the new name
    NotFound,      // "not found": the file is gone
    BadName,       // "Bad file name": not a valid name
    FailedIgnored, // another failure, answered with Ignore: not renamed
    Replaced       // undo and redo: another file stands under the name; both left alone
};

// Whether PROCEED leaves a file alone: its new name is its old one (letters of different case
// differ), empty or ".".
bool leavesAlone(const QString& oldName, const QString& newName);

// The names a run has given to files so far, as exact names (equal when their bytes are).
// A chosen name among them is no longer the chosen file: that one vanished before the run
// reached it, and a file renamed earlier in the run took its name (a chosen file still there
// would have stopped that rename). So a file is renamed at most once in a run. On a folder that
// ignores case, another spelling of a given name finds that file too.
class GivenNames {
public:
    // `foldsCase` tells whether the run's folder ignores case; it is asked once, after the
    // first rename. `most` is the number of files the run may rename.
    GivenNames(std::function<bool()> foldsCase, qsizetype most);

    // `newName` as the rename was given it: an exact name (see exactName).
    void add(const QString& newName);
    bool contains(const FileEntry& chosen);

private:
    void addFolded(const QString& name);

    std::function<bool()> m_askFoldsCase;
    const qsizetype m_most;
    // The names given, and sets that refer to them: a set's table of a whole folder's names
    // stays in the processor's caches between the renames' system calls, where a hash of
    // strings would be fetched from memory twice a file.
    QList<QString> m_given;
    NameSet m_exact;
    QList<QString> m_givenFolded; // on a folder that ignores case
    NameSet m_folded;
    std::optional<bool> m_foldsCase;
};

// What a rename operation works with: the file system, the error report, the log and the
// history of renames.
struct RenameServices {
    FileSystem& fs;
    RunErrorReport& report;
    RunLog& log;
    RenameHistory& history;
};

// The renames of one run, file by file, as PROCEED, undo and redo make them: each file
// renamed at most once in its folder, never replacing another file (a change of case only on a
// folder that ignores case goes through a temporary name: the file system's rename does both);
// a name that exists, a file not found and a bad name logged as the file's outcome, any other
// failure shown in the error report, which may try the rename again or go on without it (the
// log then says the file was not renamed); each rename logged. A PROCEED keeps each rename,
// with the identity of the file renamed, in a new entry of the history. An undo or redo
// (Replay) renames a file only while its name still holds the file the history knows, and names
// a missing file by the name it is expected under.
class RenameOperation {
public:
    enum class Kind { Proceed, Replay };
    // `root`: the folder a PROCEED's history entry is of; `tree`: a pass over a folder tree.
    RenameOperation(const RenameServices& services, Kind kind, QString root = {},
                    bool tree = false);

    const RenameServices& services() const { return m_services; }
    // The folder of the renames that follow, where at most `most` files are renamed, known in
    // the history as `relative` to the root. `foldsCase` tells whether the folder ignores case
    // where the caller knows it; the file system is asked otherwise. In a pass over a tree the
    // log names the folder, and names resolve in it from here on.
    void enterFolder(QString folder, qsizetype most, std::function<bool()> foldsCase = {},
                     const QString& relative = QStringLiteral("."));
    // Renames `old` (as the lists show it) to `to` unless PROCEED would leave it alone; the
    // file gets the bytes of `to`. A replay passes the identity the history knows of the file.
    FileOutcome rename(const FileEntry& old, const FileEntry& to,
                       const FileIdentity& expected = {});
    // Whether a PROCEED renamed a file, and so made an entry of the history.
    bool madeHistoryEntry() const { return m_entry != nullptr; }

private:
    // The rename itself; false where the name holds another file than `expected`.
    bool renameOnce(const FileEntry& old, const QByteArray& oldBytes, const NewName& target,
                    const FileIdentity& expected);
    void record(const QByteArray& oldBytes, const NewName& target);

    RenameServices m_services;
    const Kind m_kind;
    const QString m_root;
    const bool m_tree;
    QString m_folder;
    std::optional<GivenNames> m_given;     // of the folder
    std::optional<bool> m_keepsIdentities; // of the folder, asked at its first rename
    QString m_relative;                    // the folder, relative to the root
    HistoryEntry* m_entry = nullptr;       // a PROCEED's, from its first rename on
    qsizetype m_entryFolder = -1;          // the folder's place in it
};

} // namespace tessaly
