#include "engine/renameoperation.h"

#include "engine/logtexts.h"
#include "engine/renamehistory.h"

namespace tessaly {

void RunLog::add(std::span<const QByteArrayView> pieces)
{
    QByteArray line;
    for (const QByteArrayView piece : pieces)
        line += piece;
    add(QString::fromUtf8(line));
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
        return LogLines::AlreadyExists.text(oldName);
    case ErrorCode::FileNotFound:
        return LogLines::NotFound.text(newName);
    default:
        return LogLines::BadFileName.text(newName);
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

RenameOperation::RenameOperation(const RenameServices& services, Kind kind, QString root, bool tree)
    : m_services(services), m_kind(kind), m_root(std::move(root)), m_tree(tree)
{
}

void RenameOperation::enterFolder(QString folder, qsizetype most, std::function<bool()> foldsCase,
                                  const QString& relative)
{
    m_folder = std::move(folder);
    if (!foldsCase)
        foldsCase = [this, folder = m_folder] { return m_services.fs.foldsCase(folder); };
    m_given.emplace(std::move(foldsCase), most);
    m_keepsIdentities.reset();
    m_relative = relative;
    m_entryFolder = -1;
    if (!m_tree)
        return;
    m_services.log.add(LogLines::Folder.text(relative));
    // Names resolve in the current folder without the path looked up again for each file.
    // A folder gone meanwhile stays so: its renames find their files not found.
    try {
        m_services.fs.setCurrentFolder(m_folder);
    } catch (const RunTimeError&) {
    }
}

FileOutcome RenameOperation::rename(const FileEntry& old, const FileEntry& to,
                                    const FileIdentity& expected)
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
    std::optional<RunTimeError> failure;
    bool replaced = false;
    const bool renamed = runStep(m_services.report, [&] { // a.
        try {
            replaced = !renameOnce(old, oldBytes, target, expected);
        } catch (const RunTimeError& error) {
            // In a pass over a tree, a folder that another program took away meanwhile is one
            // folder among many: its files are not found, and the pass goes on.
            const int found = m_tree && error.code() == ErrorCode::PathNotFound
                                  ? int(ErrorCode::FileNotFound)
                                  : error.code();
            if (!concernsTheFileAlone(found)) {
                failure = error;
                throw;
            }
            code = found;
        }
    });
    if (code) {
        // An undo or redo names a missing file by the name it is expected under.
        const QString& missing = m_kind == Kind::Replay ? old.name : to.name;
        m_services.log.add(
            outcomeLine(*code, old.name, code == ErrorCode::FileNotFound ? missing : to.name));
        return outcomeOf(*code);
    }
    if (replaced) {
        m_services.log.add(LogLines::NotTheFileRenamed.text(old.name));
        return FileOutcome::Replaced;
    }
    // A failed rename that is ignored renamed nothing: the log says so.
    if (!renamed) {
        runStep(m_services.report, [&] {
            m_services.log.add(LogLines::NotRenamed.text(old.name, failure->description()));
        });
        return FileOutcome::FailedIgnored;
    }
    runStep(m_services.report, [&] { // b.
        // Where the bytes the rename used are the UTF-8 of both names, the line is made of them.
        if (oldIsUtf8 && target.isUtf8())
            m_services.log.add(LogLines::Renamed.utf8(oldBytes, target.bytes()));
        else
            m_services.log.add(LogLines::Renamed.text(old.name, to.name));
    });
    return FileOutcome::Renamed;
}

bool RenameOperation::renameOnce(const FileEntry& old, const QByteArray& oldBytes,
                                 const NewName& target, const FileIdentity& expected)
{
    if (m_given->contains(old))
        throw RunTimeError(ErrorCode::FileNotFound);
    // Not found where the name is gone, the same as the rename would say.
    if (expected.known() && m_services.fs.identity(m_folder, oldBytes) != expected)
        return false;
    m_services.fs.rename(m_folder, oldBytes, target);
    m_given->add(target.text());
    if (m_kind == Kind::Proceed)
        record(oldBytes, target);
    return true;
}

void RenameOperation::record(const QByteArray& oldBytes, const NewName& target)
{
    if (!m_entry)
        m_entry = &m_services.history.startEntry(m_root, m_tree);
    if (m_entryFolder < 0)
        m_entryFolder = m_entry->addFolder(m_relative);
    if (!m_keepsIdentities)
        m_keepsIdentities = m_services.fs.keepsIdentities(m_folder);
    // The file is known by its identity from here on; where it cannot be read (the file is
    // gone already), by its name.
    FileIdentity identity;
    if (*m_keepsIdentities) {
        try {
            identity = m_services.fs.identity(m_folder, target.bytes());
        } catch (const RunTimeError&) {
        }
    }
    m_entry->add(m_entryFolder, oldBytes, target.bytes(), identity);
}

} // namespace tessaly
