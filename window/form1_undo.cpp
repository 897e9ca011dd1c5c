// Form1: the history of renames. Each PROCEED that renamed files can be taken back (undo) and
// done again (redo), each time as a run of its own, with the log and error report of a run.
#include "controls/drivelist.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/keycodes.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "controls/waitcursor.h"
#include "core/filesystem.h"
#include "core/runtimeerror.h"
#include "core/services.h"
#include "window/form1.h"
#include "window/linebuffer.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QShortcut>

namespace tessaly {

namespace {

// Whether the keys go to a text box the user types in, which keeps its own undo of typing.
bool typingInTextBox()
{
    const auto* box = qobject_cast<const TextBox*>(QApplication::focusWidget());
    return box && !box->isReadOnly();
}

bool isUndoKey(const QKeyEvent* key)
{
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
           key->keyCombination() == (Qt::CTRL | Qt::Key_Y);
}

} // namespace

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // A text box claims the keys of its own undo before any shortcut sees them. Right after a
    // PROCEED, undo or redo, until the user edits a text box, they are the renames' keys.
    if (event->type() == QEvent::ShortcutOverride && m_undoKeysToRenames &&
        isUndoKey(static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::undoKeysToRenames(bool renames)
{
    m_undoKeysToRenames = renames;
}

void Form1::connectHistory()
{
    connect(lstResult, &ListBox::MouseUp, this, &Form1::lstResult_MouseUp);
    connect(lstResult, &ListBox::MenuKey, this,
            [this] { mnuPopUplstResult->popupAtCurrent(lstResult); });
    for (TextBox* box : findChildren<TextBox*>()) {
        box->installEventFilter(this);
        connect(box, &QLineEdit::textEdited, this, [this] { undoKeysToRenames(false); });
    }
    const struct {
        const char* name;
        void (Form1::*handler)();
        QList<QKeySequence> keys;
    } items[] = {
        {"mnuPopUplstResultUndo",
         &Form1::mnuPopUplstResultUndo_Click,
         {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {"mnuPopUplstResultRedo",
         &Form1::mnuPopUplstResultRedo_Click,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
    };
    for (const auto& item : items) {
        auto* action = mnuPopUplstResult->findChild<QAction*>(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this, item.handler);
        action->setEnabled(false);
        // The keys work anywhere in the window but in a text box the user has typed in since
        // the last PROCEED, undo or redo (see eventFilter). Ctrl+Y is a text box's redo key only
        // where the platform makes it one, so it is checked here too.
        for (const QKeySequence& key : item.keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, item] {
                if (m_undoKeysToRenames || !typingInTextBox())
                    (this->*item.handler)();
            });
    }
}

void Form1::lstResult_MouseUp(int Button, int /*Shift*/, double /*X*/, double /*Y*/)
{
    if (Button == RightButton)
        mnuPopUplstResult->popupAtMouse();
}

void Form1::mnuPopUplstResultUndo_Click()
{
    if (const HistoryEntry* entry = m_history.nextToUndo())
        rerunRenames(entry->root(), entry->size(), true);
}

void Form1::mnuPopUplstResultRedo_Click()
{
    if (const HistoryEntry* entry = m_history.nextToRedo())
        rerunRenames(entry->root(), entry->size(), false);
}

void Form1::showHistoryState()
{
    findChild<QAction*>(QStringLiteral("mnuPopUplstResultUndo"))->setEnabled(m_history.canUndo());
    findChild<QAction*>(QStringLiteral("mnuPopUplstResultRedo"))->setEnabled(m_history.canRedo());
}

void Form1::rerunRenames(QString folder, qsizetype files, bool undo)
{
    if (m_ended)
        return;
    const WaitCursor busy; // it does not yield to the event loop while it works
    LineBuffer log(lstResult, files);
    RunErrorReport report(m_services.box, m_services.end, [&] { log.flush(); });
    try {
        runStep(report, [&] { m_fs.setCurrentFolder(folder); });
        runStep(report, [&] { lstResult->Clear(); });
        replayRenames({m_fs, report, log, m_history}, undo,
                      [this](const QString& folder) { return foldsCase(folder); });
        log.flush();
        lstResult->scrollToBottom();
        showHistoryState();
        showAfterRenames(report, folder);
        undoKeysToRenames(true);
    } catch (const RunEnded&) {
        m_ended = true;
    }
}

void Form1::showAfterRenames(RunErrorReport& report, const QString& folder)
{
    // The browser shows the folder, read again; every file of it is chosen, and the preview
    // runs with the rules as they stand. Opening it from another folder reads both lists anew;
    // a second read would only cost time and, for a while, twice the memory. The chosen names
    // are replaced below in any case; they go first, so the read is not held beside them.
    lstChoice->Clear();
    bool opened = false;
    runStep(report, [&] {
        if (dirDir->Path() == folder)
            return;
        const bool filesShownBefore = flFile->Path() == folder;
        dirDir->setFolder(folder);
        opened = !filesShownBefore && dirDir->Path() == folder && flFile->Path() == folder;
    });
    runStep(report, [&] { showDriveOfFolder(); });
    if (!opened)
        refreshFolderAndFiles(report);
    runStep(report, [&] { ChooseAllFiles(); });
    cmdGo_Click(PreviewButton);
}

} // namespace tessaly
