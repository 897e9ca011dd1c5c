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
#include <QShortcut>
#include <QUndoCommand>
#include <QUndoStack>

namespace tessaly {

// One PROCEED in the history. Its renames were done when it is pushed, so the first redo,
// which QUndoStack runs at the push, does nothing.
class Form1::RenamesCommand : public QUndoCommand {
public:
    RenamesCommand(Form1& form, RenameBatch batch) : m_form(form), m_batch(std::move(batch))
    {
        setText(QStringLiteral("Renames in ") + m_batch.folder());
    }
    RenameBatch& batch() { return m_batch; }
    void undo() override { m_form.rerunRenames(m_batch, true); }
    void redo() override
    {
        if (!std::exchange(m_pushed, false))
            m_form.rerunRenames(m_batch, false);
    }

private:
    Form1& m_form;
    RenameBatch m_batch;
    bool m_pushed = true;
};

namespace {

// Whether the keys go to a text box the user types in, which keeps its own undo of typing.
bool typingInTextBox()
{
    const auto* box = qobject_cast<const TextBox*>(QApplication::focusWidget());
    return box && !box->isReadOnly();
}

} // namespace

void Form1::connectHistory()
{
    m_history = new QUndoStack(this);
    connect(lstResult, &ListBox::MouseUp, this, &Form1::lstResult_MouseUp);
    const struct {
        const char* name;
        void (Form1::*handler)();
        void (QUndoStack::*can)(bool);
        QList<QKeySequence> keys;
    } items[] = {
        {"mnuPopUplstResultUndo",
         &Form1::mnuPopUplstResultUndo_Click,
         &QUndoStack::canUndoChanged,
         {QKeySequence(Qt::CTRL | Qt::Key_Z)}},
        {"mnuPopUplstResultRedo",
         &Form1::mnuPopUplstResultRedo_Click,
         &QUndoStack::canRedoChanged,
         {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)}},
    };
    for (const auto& item : items) {
        auto* action = mnuPopUplstResult->findChild<QAction*>(QString::fromLatin1(item.name));
        connect(action, &QAction::triggered, this, item.handler);
        connect(m_history, item.can, action, &QAction::setEnabled);
        action->setEnabled(false);
        // The keys work anywhere in the window but in a text box. A text box claims the keys
        // of its own undo before any shortcut sees them; Ctrl+Y only where the platform makes
        // it a redo key, so it is checked here too.
        for (const QKeySequence& key : item.keys)
            connect(new QShortcut(key, this), &QShortcut::activated, this, [this, item] {
                if (!typingInTextBox())
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
    m_history->undo();
}

void Form1::mnuPopUplstResultRedo_Click()
{
    m_history->redo();
}

RenameBatch& Form1::startHistoryEntry()
{
    auto* entry = new RenamesCommand(*this, RenameBatch(m_actDir));
    m_history->push(entry);
    return entry->batch();
}

void Form1::rerunRenames(RenameBatch& batch, bool undo)
{
    if (m_ended)
        return;
    const WaitCursor busy; // it does not yield to the event loop while it works
    LineBuffer log(lstResult, batch.size());
    RunErrorReport report(m_services.box, m_services.end, [&] { log.flush(); });
    FileSystem& fs = m_fs;
    const QString folder = batch.folder();
    try {
        runStep(report, [&] { fs.setCurrentFolder(folder); });
        runStep(report, [&] { lstResult->Clear(); });
        std::vector<bool> renamed;
        renamed.reserve(size_t(batch.size()));
        RunSinks sinks{{},
                       [&](const QString& line) { log.add(line); },
                       [&](const FileEntry&, const QByteArray& oldBytes, const NewName& newName) {
                           fs.rename(folder, oldBytes, newName);
                       }};
        sinks.outcome = [&](FileOutcome o) { renamed.push_back(o == FileOutcome::Renamed); };
        sinks.logUtf8 = [&](std::span<const QByteArrayView> pieces) { log.add(pieces); };
        runRenames(batch, undo, sinks, report);
        log.flush();
        if (undo)
            batch.keepUndone(renamed);
        else
            batch.keepRedone(renamed);
        showAfterRenames(report, folder);
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
