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

RenameOperation::RenameOperation(const RenameServices& services, QString folder, qsizetype most,
                                 Record record, std::function<bool()> foldsCase)
    : m_services(services), m_folder(std::move(folder)), m_record(record),
      m_given(foldsCase ? std::move(foldsCase) : std::function<bool()>([this] {
                  return m_services.fs.foldsCase(m_folder);
              }),
              most)
{
}

FileOutcome RenameOperation::rename(const FileEntry& old, const FileEntry& to)
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
    const bool renamed = runStep(m_services.report, [&] { // a.
        try {
            renameOnce(old, oldBytes, target);
        } catch (const RunTimeError& error) {
            if (!concernsTheFileAlone(error.code()))
                throw;
            code = error.code();
        }
    });
    if (code) {
        m_services.log.add(outcomeLine(*code, old.name, to.name));
        return outcomeOf(*code);
    }
    // A failed rename that is ignored renamed nothing, so it gets no "renamed to" line.
    if (!renamed)
        return FileOutcome::FailedIgnored;
    runStep(m_services.report, [&] { // b.
        // Where the bytes the rename used are the UTF-8 of both names, the line is made of them.
        if (oldIsUtf8 && target.isUtf8())
            m_services.log.add(LogLines::Renamed.utf8(oldBytes, target.bytes()));
        else
            m_services.log.add(LogLines::Renamed.text(old.name, to.name));
    });
    return FileOutcome::Renamed;
}

void RenameOperation::renameOnce(const FileEntry& old, const QByteArray& oldBytes,
                                 const NewName& target)
{
    if (m_given.contains(old))
        throw RunTimeError(ErrorCode::FileNotFound);
    m_services.fs.rename(m_folder, oldBytes, target);
    m_given.add(target.text());
    if (m_record == Record::Nothing)
        return;
    if (!m_entry)
        m_entry = &m_services.history.startEntry(m_folder);
    m_entry->add(oldBytes, target.bytes());
}

} // namespace tessaly
