#include "window/frmtree.h"

#include "controls/namelistmodel.h"
#include "core/filesystem.h"
#include "core/userlocale.h"
#include "engine/prediction.h"
#include "window/previewmarks.h"

#include <algorithm>
#include <climits>
#include <QAbstractTableModel>
#include <QApplication>
#include <QElapsedTimer>
#include <QFont>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

namespace tessaly {

namespace {

// Numbers with the digit grouping of the user's language.
QString number(qsizetype n)
{
    return userLocale().toString(qlonglong(n));
}

QString counted(qsizetype n, const char* one, const char* many)
{
    return number(n) + u' ' + QLatin1StringView(n == 1 ? one : many);
}

} // namespace

// The rows of the pass: a row per folder that has files in it, then a row per file (its name
// and its new name), marked as the preview marks them. A folder that could not be read is a
// row of its own with the reason. Rows taken out of the pass are gone from the list, and what
// PROCEED would do is worked out again for the files left in their folder.
class TreeListModel : public QAbstractTableModel {
public:
    TreeListModel(const RenameRules& rules, QObject* parent)
        : QAbstractTableModel(parent), m_words(rules)
    {
    }

    void setFolders(std::vector<TreePreviewFolder> folders)
    {
        m_folders = std::move(folders);
        m_kept.clear();
        for (const TreePreviewFolder& f : m_folders)
            m_kept.emplace_back(size_t(f.folder.files.size()), true);
        m_dismissed.assign(m_folders.size(), false);
        rebuild();
    }
    bool isFolderRow(int row) const { return m_rows[size_t(row)].file < 0; }
    // The rows of the files of the folder at a folder row.
    std::pair<int, int> filesOf(int row) const
    {
        int last = row;
        while (last + 1 < int(m_rows.size()) && !isFolderRow(last + 1))
            ++last;
        return {row + 1, last};
    }
    // Takes the files of these rows out of the pass, all the files of a folder's row.
    void remove(const std::vector<int>& rows)
    {
        std::vector<bool> touched(m_folders.size());
        for (const int row : rows) {
            const Row r = m_rows[size_t(row)];
            touched[size_t(r.folder)] = true;
            if (r.file >= 0)
                m_kept[size_t(r.folder)][size_t(r.file)] = false;
            else
                m_kept[size_t(r.folder)].assign(m_kept[size_t(r.folder)].size(), false);
            if (r.file < 0)
                m_dismissed[size_t(r.folder)] = true; // a folder that could not be read too
        }
        for (size_t k = 0; k < m_folders.size(); ++k)
            if (touched[k])
                predictAgain(k);
        rebuild();
    }
    QList<TreeRunFolder> runFolders() const
    {
        QList<TreeRunFolder> out;
        for (size_t k = 0; k < m_folders.size(); ++k) {
            const TreeFolder& f = m_folders[k].folder;
            TreeRunFolder run{f.relative, {}, f.names.foldsCase()};
            for (qsizetype i = 0; i < f.files.size(); ++i)
                if (m_kept[k][size_t(i)])
                    run.files.append(f.files[i]);
            if (!run.files.isEmpty())
                out.append(std::move(run));
        }
        return out;
    }
    struct Summary {
        qsizetype files = 0, folders = 0, toRename = 0, unchanged = 0, wouldFail = 0;
    };
    Summary summary() const
    {
        Summary s;
        for (size_t k = 0; k < m_folders.size(); ++k) {
            bool any = false;
            for (size_t i = 0; i < m_kept[k].size(); ++i) {
                if (!m_kept[k][i])
                    continue;
                any = true;
                ++s.files;
                const Prediction& p = m_folders[k].predictions[i];
                if (p.fails())
                    ++s.wouldFail;
                else if (p.outcome == Prediction::LeftAlone)
                    ++s.unchanged;
                else
                    ++s.toRename;
            }
            s.folders += any;
        }
        return s;
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : 2;
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Name") : QStringLiteral("New name");
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= int(m_rows.size()))
            return {};
        const Row r = m_rows[size_t(index.row())];
        const TreePreviewFolder& f = m_folders[size_t(r.folder)];
        if (r.file < 0)
            return folderData(f.folder, index.column(), role);
        const Prediction& p = f.predictions[size_t(r.file)];
        switch (role) {
        case Qt::DisplayRole:
            return index.column() == 0 ? f.folder.files[r.file].name : f.newNames[r.file].name;
        case Qt::ForegroundRole:
            if (p.fails())
                return QBrush(warningColour(palette()));
            if (p.outcome == Prediction::LeftAlone)
                return palette().brush(QPalette::PlaceholderText);
            return {};
        case Qt::DecorationRole:
            if (index.column() != 1)
                return {};
            if (p.fails())
                return icon(QStyle::SP_MessageBoxWarning);
            if (p.positions.range || p.positions.insert)
                return icon(QStyle::SP_MessageBoxInformation);
            return {};
        case Qt::ToolTipRole: {
            const QString why = m_words.explain(p);
            return why.isEmpty() ? QVariant() : QVariant(why);
        }
        default:
            return {};
        }
    }

private:
    struct Row {
        int folder;
        int file; // -1: the folder's own row
    };

    QVariant folderData(const TreeFolder& f, int column, int role) const
    {
        const bool failed = !f.failure.isEmpty();
        switch (role) {
        case Qt::DisplayRole:
            return column == 0 ? f.relative : failed ? f.failure : QVariant();
        case Qt::FontRole: {
            QFont bold = QApplication::font();
            bold.setBold(true);
            return bold;
        }
        case Qt::ForegroundRole:
            return failed ? QVariant(QBrush(warningColour(palette()))) : QVariant();
        case Qt::DecorationRole:
            return failed && column == 1 ? icon(QStyle::SP_MessageBoxWarning) : QVariant();
        case Qt::ToolTipRole:
            return failed ? QVariant(QStringLiteral("Not read: ") + f.failure) : QVariant();
        default:
            return {};
        }
    }
    QPalette palette() const
    {
        const auto* view = qobject_cast<const QWidget*>(QObject::parent());
        return view ? view->palette() : QGuiApplication::palette();
    }
    QIcon icon(QStyle::StandardPixmap which) const
    {
        const auto* view = qobject_cast<const QWidget*>(QObject::parent());
        return (view ? view->style() : QApplication::style())->standardIcon(which);
    }
    void predictAgain(size_t k)
    {
        TreePreviewFolder& f = m_folders[k];
        QList<FileEntry> files, names;
        std::vector<PositionFaults> faults;
        std::vector<size_t> at;
        for (size_t i = 0; i < m_kept[k].size(); ++i) {
            if (!m_kept[k][i])
                continue;
            files.append(f.folder.files[qsizetype(i)]);
            names.append(f.newNames[qsizetype(i)]);
            faults.push_back(f.predictions[i].positions);
            at.push_back(i);
        }
        predictOutcomes(
            f.folder.names, files, names, faults,
            [&](qsizetype i, const Prediction& p) { f.predictions[at[size_t(i)]] = p; });
    }
    void rebuild()
    {
        beginResetModel();
        m_rows.clear();
        for (size_t k = 0; k < m_folders.size(); ++k) {
            const TreeFolder& f = m_folders[k].folder;
            if (!f.failure.isEmpty()) {
                if (!m_dismissed[k])
                    m_rows.push_back({int(k), -1});
                continue;
            }
            const auto& kept = m_kept[k];
            if (std::find(kept.begin(), kept.end(), true) == kept.end())
                continue;
            m_rows.push_back({int(k), -1});
            for (size_t i = 0; i < kept.size(); ++i)
                if (kept[i])
                    m_rows.push_back({int(k), int(i)});
        }
        endResetModel();
    }

    const PredictionWords m_words;
    std::vector<TreePreviewFolder> m_folders;
    std::vector<std::vector<bool>> m_kept; // per folder, per file: still in the pass
    std::vector<bool> m_dismissed;         // per folder: its row taken out
    std::vector<Row> m_rows;
};

frmTree::frmTree(FileSystem& fs, const QString& root, const QString& mask, const RenameRules& rules,
                 Proceed proceed, QWidget* parent)
    : QDialog(parent), m_root(root), m_proceed(std::move(proceed))
{
    setObjectName(QStringLiteral("frmTree"));
    setWindowTitle(QStringLiteral("Rename in subfolders"));
    setModal(true);
    setSizeGripEnabled(true);
    resize(720, 520);

    lblTreeProgress = new QLabel(this);
    lblTreeProgress->setObjectName(QStringLiteral("lblTreeProgress"));
    lstTree = new QTreeView(this);
    lstTree->setObjectName(QStringLiteral("lstTree"));
    lstTree->setAccessibleName(QStringLiteral("Files of the folder and its subfolders"));
    lstTree->setRootIsDecorated(false);
    lstTree->setUniformRowHeights(true);
    lstTree->setItemsExpandable(false);
    lstTree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTree->setSelectionBehavior(QAbstractItemView::SelectRows);
    lstTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_model = new TreeListModel(rules, lstTree);
    lstTree->setModel(m_model);
    lstTree->header()->setSectionResizeMode(QHeaderView::Stretch);
    lstTree->installEventFilter(this);
    connect(lstTree->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this](const QItemSelection& selected) { selectFilesOfFolders(selected); });
    lblTreeSum = new QLabel(this);
    lblTreeSum->setObjectName(QStringLiteral("lblTreeSum"));
    m_progress = new QProgressBar(this);
    m_progress->setRange(0, 0); // busy until the files are counted
    cmdTreeGo = new QPushButton(QStringLiteral("&PROCEED"), this);
    cmdTreeGo->setObjectName(QStringLiteral("cmdTreeGo"));
    cmdTreeGo->setEnabled(false);
    cmdTreeGo->setAutoDefault(false);
    cmdTreeCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdTreeCancel->setObjectName(QStringLiteral("cmdTreeCancel"));
    cmdTreeCancel->setAutoDefault(false);
    connect(cmdTreeGo, &QPushButton::clicked, this, &frmTree::cmdTreeGo_Click);
    connect(cmdTreeCancel, &QPushButton::clicked, this, &frmTree::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_progress, 1);
    buttons->addStretch();
    buttons->addWidget(cmdTreeGo);
    buttons->addWidget(cmdTreeCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTreeProgress);
    layout->addWidget(lstTree, 1);
    layout->addWidget(lblTreeSum);
    layout->addLayout(buttons);

    // The tree is read and previewed in a thread of its own; the dialog looks at how far it has
    // come ten times a second and takes the whole when the thread says it is done.
    m_poll = new QTimer(this);
    m_poll->setInterval(100);
    connect(m_poll, &QTimer::timeout, this, &frmTree::readingProgress);
    readingProgress();
    m_reader =
        std::thread([this, &fs, root = QString(root.constData(), root.size()),
                     mask = QString(mask.constData(), mask.size()), rules = rules.deepCopy()] {
            readTree(fs, root, Mask(mask), m_reading, [&](TreeFolder&& folder) {
                if (folder.failure.isEmpty())
                    m_folders.push_back(previewFolder(std::move(folder), rules));
                else
                    m_folders.push_back({std::move(folder), {}, {}});
            });
            m_read = true;
            // The list shows at once, not at the next look (a call to a dialog gone is dropped).
            QMetaObject::invokeMethod(this, &frmTree::readingProgress, Qt::QueuedConnection);
        });
    m_poll->start();
}

frmTree::~frmTree()
{
    stopReading();
}

void frmTree::stopReading()
{
    m_reading.stop = true;
    if (m_reader.joinable())
        m_reader.join();
}

void frmTree::readingProgress()
{
    if (!m_read) {
        lblTreeProgress->setText(QStringLiteral("Reading the folders: ") +
                                 counted(m_reading.folders, "folder", "folders") +
                                 QStringLiteral(", ") + counted(m_reading.files, "file", "files") +
                                 QStringLiteral(" so far"));
        return;
    }
    if (!m_reader.joinable())
        return; // shown already
    m_poll->stop();
    m_reader.join();
    showTree();
}

void frmTree::showTree()
{
    m_model->setFolders(std::move(m_folders));
    m_folders = {};
    lblTreeProgress->setText(QStringLiteral("In \"") + m_root + u'"');
    m_progress->hide();
    showSummary();
    lstTree->setFocus();
}

void frmTree::showSummary()
{
    const TreeListModel::Summary s = m_model->summary();
    lblTreeSum->setText(counted(s.files, "file", "files") + QStringLiteral(" in ") +
                        counted(s.folders, "folder", "folders") + QStringLiteral(": ") +
                        number(s.toRename) + QStringLiteral(" to rename, ") + number(s.unchanged) +
                        QStringLiteral(" unchanged, ") + number(s.wouldFail) +
                        QStringLiteral(" would fail"));
    cmdTreeGo->setEnabled(s.files > 0);
}

void frmTree::selectFilesOfFolders(const QItemSelection& selected)
{
    // A folder's row selects its files with it.
    if (m_selecting)
        return;
    m_selecting = true;
    QItemSelection files;
    for (const QItemSelectionRange& range : selected) {
        for (int row = range.top(); row <= range.bottom(); ++row) {
            if (!m_model->isFolderRow(row))
                continue;
            const auto [first, last] = m_model->filesOf(row);
            if (first <= last)
                files.select(m_model->index(first, 0), m_model->index(last, 1));
        }
    }
    if (!files.isEmpty())
        lstTree->selectionModel()->select(files,
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_selecting = false;
}

bool frmTree::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lstTree && event->type() == QEvent::KeyPress && !m_running &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        removeSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void frmTree::removeSelected()
{
    std::vector<int> rows;
    for (const QItemSelectionRange& range : lstTree->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    if (rows.empty())
        return;
    const int first = *std::min_element(rows.begin(), rows.end());
    m_model->remove(rows);
    if (m_model->rowCount() > 0)
        lstTree->setCurrentIndex(m_model->index(std::min(first, m_model->rowCount() - 1), 0));
    showSummary();
}

void frmTree::cmdTreeGo_Click()
{
    const QList<TreeRunFolder> folders = m_model->runFolders();
    qsizetype total = 0;
    for (const TreeRunFolder& f : folders)
        total += f.files.size();
    m_running = true;
    lstTree->setEnabled(false);
    cmdTreeGo->setEnabled(false);
    m_progress->setRange(0, int(std::min<qsizetype>(total, INT_MAX)));
    m_progress->setValue(0);
    m_progress->setFormat(QStringLiteral("%v of %m files"));
    m_progress->show();
    // The pass yields to the events now and then, so that the bar moves and Cancel works; Cancel
    // stops it after the file it is at.
    qsizetype done = 0;
    QElapsedTimer shown;
    shown.start();
    m_proceed(folders, [&](FileOutcome) {
        ++done;
        if (shown.elapsed() >= 50) {
            m_progress->setValue(int(std::min<qsizetype>(done, INT_MAX)));
            QApplication::processEvents();
            shown.restart();
        }
        return !m_stopRequested;
    });
    m_running = false;
    m_proceeded = true;
    accept();
}

void frmTree::reject()
{
    if (m_running) {
        m_stopRequested = true;
        return;
    }
    stopReading();
    QDialog::reject();
}

} // namespace tessaly
