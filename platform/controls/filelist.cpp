#include "controls/filelist.h"

#include "controls/listviews.h"
#include "controls/waitcursor.h"
#include "core/mask.h"
#include "core/naturalorder.h"
#include "core/runtimeerror.h"

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
    showCutOffRowsWhole(*this);

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
    QList<FileEntry> files = std::move(listing.files);
    std::vector<qsizetype> names = std::move(listing.fileNames);
    if (names.size() != size_t(files.size()))
        names.clear(); // a file system that does not tell: each name is looked up
    qsizetype kept = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        if (!mask.matches(std::as_const(files)[i].name))
            continue;
        if (kept != i) {
            files[kept] = std::move(files[i]);
            if (!names.empty())
                names[size_t(kept)] = names[size_t(i)];
        }
        ++kept;
    }
    files.resize(kept);
    const std::vector<qsizetype> order = naturalOrderOf(files);
    // The texts again, allocated in the order shown: every preview walks them in that order,
    // and read in a disk folder's hash order they lie all over the heap. A third off each
    // preview of a large ext4 folder for a few milliseconds here. The folder's names then take
    // the copies, so that a name is held once, and the texts as read are freed. Their places lie
    // in that same hash order, and malloc would hand them out one by one to the next texts
    // allocated, the preview's new names; merged into free runs (glibc merges small free blocks
    // at its next large request, such as the preview's), they are handed out in order. So every
    // copy is made before any text is freed.
    QList<FileEntry> shown;
    shown.reserve(files.size());
    for (const qsizetype i : order) {
        const FileEntry& e = std::as_const(files)[i];
        shown.append(FileEntry{QString(e.name.constData(), e.name.size()), e.notUtf8});
    }
    for (qsizetype k = 0; k < shown.size(); ++k) {
        if (names.empty())
            listing.names.share(shown[k]);
        else
            listing.names.share(names[size_t(order[size_t(k)])], shown[k]);
    }
    files = {};
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
