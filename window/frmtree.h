#pragma once

#include "engine/renamerules.h"
#include "engine/treerun.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <QDialog>
#include <thread>
#include <vector>

class QItemSelection;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeView;

namespace tessaly {

class FileSystem;
class TreeListModel;

// The pass over a folder and all its subfolders: it reads the tree in a thread of its own while
// it shows how far it has come, then lists every file the mask selects with its new name and
// what PROCEED would do with it, folder by folder. Del takes rows out of the pass; PROCEED hands
// what is left to the window, which renames it, and shows the files done.
class frmTree : public QDialog {
    Q_OBJECT
public:
    // The window's PROCEED of the pass; `after` hears each file's outcome and may stop it.
    using Proceed = std::function<void(const QList<TreeRunFolder>& folders,
                                       const std::function<bool(FileOutcome)>& after)>;
    frmTree(FileSystem& fs, const QString& root, const QString& mask, const RenameRules& rules,
            Proceed proceed, QWidget* parent = nullptr);
    ~frmTree() override;

    // Whether PROCEED ran: then the window reads its lists again.
    bool proceeded() const { return m_proceeded; }

public Q_SLOTS:
    // Escape, Cancel and the close button: they stop the reading at once and close, or stop a
    // PROCEED after its current file.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void readingProgress();
    void showTree();
    void showSummary();
    void selectFilesOfFolders(const QItemSelection& selected);
    void removeSelected();
    void cmdTreeGo_Click();
    void stopReading();

    const QString m_root;
    Proceed m_proceed;
    TreeReading m_reading;
    std::atomic<bool> m_read{false};
    std::mutex m_found; // guards m_folders while the reading thread fills it
    std::vector<TreePreviewFolder> m_folders;
    std::thread m_reader;
    bool m_running = false;
    bool m_stopRequested = false;
    bool m_proceeded = false;
    bool m_selecting = false;

    QLabel* lblTreeProgress;
    QTreeView* lstTree;
    TreeListModel* m_model;
    QLabel* lblTreeSum;
    QProgressBar* m_progress;
    QPushButton* cmdTreeGo;
    QPushButton* cmdTreeCancel;
    QTimer* m_poll;
};

} // namespace tessaly
