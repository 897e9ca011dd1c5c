// Form1: the pass over the active folder and all its subfolders, from the folder list's popup
// menu or Ctrl+Shift+P: its dialog previews the whole tree, and its PROCEED renames folder by
// folder, as one entry of the history.
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "core/services.h"
#include "window/form1.h"
#include "window/frmtree.h"
#include "window/linebuffer.h"

#include <QAction>
#include <QShortcut>

namespace tessaly {

void Form1::connectTree()
{
    connect(dirDir, &FolderList::MenuRequested, this, [this](bool byKeyboard) {
        if (byKeyboard)
            mnuPopUpdirDir->popupAtCurrent(dirDir);
        else
            mnuPopUpdirDir->popupAtMouse();
    });
    connect(mnuPopUpdirDir->findChild<QAction*>(QStringLiteral("mnuPopUpdirDirTree")),
            &QAction::triggered, this, &Form1::mnuPopUpdirDirTree_Click);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), this),
            &QShortcut::activated, this, &Form1::mnuPopUpdirDirTree_Click);
}

void Form1::mnuPopUpdirDirTree_Click()
{
    if (m_ended || m_actDir.isEmpty())
        return;
    // The rules as they stand, read as a run reads them.
    RenameRules rules = ruleSettings();
    try {
        RunErrorReport report(m_services.box, m_services.end);
        readPositions(report, rules);
    } catch (const RunEnded&) {
        m_ended = true;
        return;
    }
    frmTree dialog(
        m_services.fs, m_actDir, txtFilter->Text(), rules,
        [&](const QList<TreeRunFolder>& folders, const std::function<bool(FileOutcome)>& after) {
            proceedTree(rules, folders, after);
        },
        this);
    dialog.exec();
    if (!dialog.proceeded() || m_ended)
        return;
    // Then the window does what it does after a PROCEED.
    RunErrorReport report(m_services.box, m_services.end);
    try {
        refreshAfterProceed(report);
    } catch (const RunEnded&) {
        m_ended = true;
    }
}

void Form1::proceedTree(const RenameRules& rules, const QList<TreeRunFolder>& folders,
                        const std::function<bool(FileOutcome)>& after)
{
    qsizetype files = 0;
    for (const TreeRunFolder& f : folders)
        files += f.files.size() + 1;
    LineBuffer log(lstResult, files);
    RunErrorReport report(m_services.box, m_services.end, [&] { log.flush(); });
    try {
        runStep(report, [&] { lstResult->Clear(); });
        const bool renamed =
            tessaly::proceedTree(rules, m_actDir, folders, {m_fs, report, log, m_history}, after);
        log.flush();
        lstResult->scrollToBottom();
        showHistoryState();
        if (renamed)
            undoKeysToRenames(true); // Ctrl+Z takes the pass back, wherever the focus is
    } catch (const RunEnded&) {
        m_ended = true;
    }
}

} // namespace tessaly
