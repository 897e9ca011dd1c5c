#include "filelist.h"

#include "mask.h"
#include "naturalorder.h"
#include "runtimeerror.h"
#include "waitcursor.h"

#include <QKeyEvent>
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace tessaly {

FileList::FileList(FileSystem& fs, QWidget* parent)
    : QListView(parent), m_fs(fs), m_model(new NameListModel(this))
{
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QAbstractItemView::clicked, this, &FileList::Click);

    // Like a new process, the list starts in the working folder.
    try {
        m_path = normalFolderPath(m_fs.currentFolder());
        read(m_path);
    } catch (const RunTimeError&) {
    }
}

void FileList::read(const QString& folder)
{
    const WaitCursor busy; // a folder of many thousand files takes a noticeable while
    const Mask mask(m_pattern);
    FolderListing listing = m_fs.listing(folder);
    // Read: nothing below fails, so the old entries go now rather than at the end, and a large
    // folder is not held twice while its new listing is sorted.
    const qsizetype namesBefore = m_names.size();
    m_model->setEntries({});
    m_names = {};
    QList<FileEntry> shown = std::move(listing.files);
    shown.removeIf([&](const FileEntry& e) { return !mask.matches(e.name); });
    sortNatural(shown);
    // The texts again, allocated in the order shown: every preview walks them in that order,
    // and read in a disk folder's hash order they lie all over the heap. A third off each
    // preview of a large ext4 folder for a few milliseconds here. The folder's names then take
    // the copies, so that a name is held once, and the texts as read are freed. Their places lie
    // in that same hash order, and malloc would hand them out one by one to the next texts
    // allocated, the preview's new names; merged into free runs (glibc merges small free blocks
    // at its next large request, such as the preview's), they are handed out in order.
    for (FileEntry& e : shown)
        e.name = QString(e.name.constData(), e.name.size());
    for (const FileEntry& e : std::as_const(shown))
        listing.names.share(e);
#ifdef __GLIBC__
    // Whole free pages go back to the system where a large folder gave way to a much smaller
    // one. Where the new texts take the places of the old, as after PROCEED, they would only
    // come back: at 100,000 names the trim costs some 13 ms.
    if (namesBefore >= 4096 && listing.names.size() < namesBefore / 2)
        malloc_trim(0);
#endif
    m_model->setEntries(std::move(shown));
    m_names = std::move(listing.names);
}

void FileList::setPath(const QString& path)
{
    const QString folder = normalFolderPath(path);
    if (folder == m_path)
        return;
    read(folder);
    m_path = folder;
    Q_EMIT PathChange();
}

void FileList::setPattern(const QString& pattern)
{
    if (pattern == m_pattern)
        return;
    m_pattern = pattern;
    Refresh();
    Q_EMIT PatternChange();
}

void FileList::Refresh()
{
    try {
        read(m_path);
    } catch (const RunTimeError&) {
        m_model->setEntries({});
        m_names = {};
        throw;
    }
}

QString FileList::List(qsizetype index) const
{
    return index >= 0 && index < m_model->size() ? m_model->at(index).name : QString();
}

qsizetype FileList::ListIndex() const
{
    return currentIndex().isValid() ? currentIndex().row() : -1;
}

void FileList::keyPressEvent(QKeyEvent* event)
{
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    if (currentIndex() != before && currentIndex().isValid())
        Q_EMIT Click(); // picking an entry with the keys is a click too
}

} // namespace tessaly
