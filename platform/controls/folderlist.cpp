#include "controls/folderlist.h"

#include "controls/waitcursor.h"
#include "core/naturalorder.h"
#include "core/runtimeerror.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QStyle>
#include <QStyledItemDelegate>

namespace tessaly {

namespace {
constexpr int DepthRole = Qt::UserRole + 1;
constexpr int IndentPixels = 10;
} // namespace

class FolderModel : public QAbstractListModel {
public:
    struct Entry {
        QString name;
        QString path;
        int depth;
        bool open; // on the way from the root to the current folder
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_entries.size());
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= m_entries.size())
            return {};
        const Entry& e = m_entries[index.row()];
        switch (role) {
        case Qt::DisplayRole:
            return e.name;
        case Qt::ToolTipRole:
            return e.path;
        case Qt::DecorationRole:
            return QApplication::style()->standardIcon(e.open ? QStyle::SP_DirOpenIcon
                                                              : QStyle::SP_DirClosedIcon);
        case DepthRole:
            return e.depth;
        default:
            return {};
        }
    }

    void setEntries(QList<Entry> entries)
    {
        beginResetModel();
        m_entries = std::move(entries);
        endResetModel();
    }

    const QList<Entry>& entries() const { return m_entries; }

private:
    QList<Entry> m_entries;
};

namespace {

// Indents each entry by its depth, so the list reads as a path and its branches.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem shifted = option;
        shifted.rect.adjust(index.data(DepthRole).toInt() * IndentPixels, 0, 0, 0);
        QStyledItemDelegate::paint(painter, shifted, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QStyledItemDelegate::sizeHint(option, index) +
               QSize(index.data(DepthRole).toInt() * IndentPixels, 0);
    }
};

} // namespace

FolderList::FolderList(FileSystem& fs, QWidget* parent)
    : QListView(parent), m_fs(fs), m_model(new FolderModel(this))
{
    setModel(m_model);
    setItemDelegate(new IndentDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(this, &QAbstractItemView::activated, this, &FolderList::open);

    // Like a new process, the list starts in the working folder, else at the root.
    try {
        const QString start = normalFolderPath(m_fs.currentFolder());
        display(start, m_fs.subfolders(start));
        return;
    } catch (const RunTimeError&) {
    }
    try {
        display(QStringLiteral("/"), m_fs.subfolders(QStringLiteral("/")));
    } catch (const RunTimeError&) {
    }
}

QString FolderList::folderOfDrive(const QString& text)
{
    for (const Volume& v : m_fs.volumes()) {
        if (v.text() == text)
            return m_folderOfVolume.value(v.mountPoint, v.mountPoint);
    }
    return {};
}

void FolderList::setPath(const QString& text)
{
    const QString folder = folderOfDrive(text);
    setFolder(folder.isEmpty() ? text : folder);
}

void FolderList::setFolder(const QString& path)
{
    const QString folder = normalFolderPath(path.startsWith(u'/') ? path : joinPath(m_path, path));
    if (folder == m_path)
        return; // no change, no notification
    {
        const WaitCursor busy; // listing a large folder means reading all its entries
        display(folder, m_fs.subfolders(folder));
    }
    Q_EMIT Change();
}

void FolderList::Refresh()
{
    const WaitCursor busy;
    display(m_path, m_fs.subfolders(m_path));
}

void FolderList::display(const QString& folder, QStringList subfolders)
{
    QList<FolderModel::Entry> entries;
    entries.append({QStringLiteral("/"), QStringLiteral("/"), 0, true});
    const QStringList parts = folder.split(u'/', Qt::SkipEmptyParts);
    QString path;
    for (const QString& part : parts) {
        path += u'/' + part;
        entries.append({part, path, int(entries.size()), true});
    }
    const int current = int(entries.size()) - 1;
    sortNatural(subfolders);
    for (const QString& sub : subfolders)
        entries.append({sub, joinPath(folder, sub), current + 1, false});

    m_model->setEntries(std::move(entries));
    m_path = folder;
    const QList<Volume> volumes = m_fs.volumes(); // volumeOf points into the list
    if (const Volume* v = volumeOf(volumes, folder))
        m_folderOfVolume[v->mountPoint] = folder;
    setCurrentIndex(m_model->index(current));
}

QString FolderList::entryPath(int row) const
{
    return row >= 0 && row < m_model->entries().size() ? m_model->entries()[row].path : QString();
}

void FolderList::open(const QModelIndex& index)
{
    const QString folder = entryPath(index.row());
    if (folder.isEmpty())
        return;
    try {
        setFolder(folder);
    } catch (const RunTimeError& e) {
        Q_EMIT openFailed(folder, e.code(), e.description());
    }
}

} // namespace tessaly
