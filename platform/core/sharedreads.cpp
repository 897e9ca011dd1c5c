#include "core/sharedreads.h"

#include <QAbstractEventDispatcher>

namespace tessaly {

SharedReads::SharedReads(FileSystem& fs) : m_fs(fs)
{
    // A round of events ends when the event loop is about to wait; a nested one (a modal box)
    // wakes it up as well. Either way, what was read before no longer counts as fresh.
    if (QAbstractEventDispatcher* events = QAbstractEventDispatcher::instance()) {
        const auto drop = [this] { m_kept.reset(); };
        m_awake = QObject::connect(events, &QAbstractEventDispatcher::awake, drop);
        m_aboutToBlock = QObject::connect(events, &QAbstractEventDispatcher::aboutToBlock, drop);
    }
}

SharedReads::~SharedReads()
{
    QObject::disconnect(m_awake);
    QObject::disconnect(m_aboutToBlock);
}

QStringList SharedReads::subfolders(const QString& folder)
{
    m_kept.reset();
    FolderListing read = m_fs.listing(folder);
    const QStringList folders = read.folders;
    m_kept = Kept{normalFolderPath(folder), std::move(read)};
    return folders;
}

FolderListing SharedReads::listing(const QString& folder)
{
    if (m_kept && m_kept->folder == normalFolderPath(folder)) {
        FolderListing read = std::move(m_kept->listing);
        m_kept.reset();
        return read;
    }
    m_kept.reset();
    return m_fs.listing(folder);
}

void SharedReads::rename(const QString& folder, const QByteArray& oldName, const NewName& newName)
{
    m_kept.reset();
    m_fs.rename(folder, oldName, newName);
}

} // namespace tessaly
