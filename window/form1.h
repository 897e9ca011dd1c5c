#pragma once

#include "core/sharedreads.h"
#include "engine/renamehistory.h"
#include "engine/renamerules.h"
#include "engine/renamerun.h"
#include "engine/treerun.h"
#include "window/previewmarks.h"

#include <QWidget>
#include <vector>

namespace tessaly {

class CheckBox;
class CommandButton;
class DriveList;
class DropPoint;
class FileList;
class FolderList;
class Label;
class LineBuffer;
class ListBox;
class PopupMenu;
class TextBox;
class RunTimeError;
class FileSystem;
class MessageBoxService;
class ClipboardService;
class ProgramEnd;

// The drive list's Marker while the window sets the drive itself ("b", the drop point's own
// text): drvDrive_Change then leaves the folder list where it is.
inline const QString ProgramSetsDrive = QStringLiteral("b");

// What the window needs of the outside world; tests pass their own.
struct Services {
    FileSystem& fs;
    MessageBoxService& box;
    ClipboardService& clipboard;
    ProgramEnd& end;
};

// The one window of the program: every control, the active folder and the handlers.
class Form1 : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 794;
    static constexpr int ClientHeight = 553;
    // The members of the cmdGo button array, by the index their clicks pass.
    static constexpr int ProceedButton = 0; // "&PROCEED"
    static constexpr int PreviewButton = 1; // the hidden "P&REVIEW"

    explicit Form1(Services services, QWidget* parent = nullptr);
    ~Form1() override;

    const QString& ActDir() const { return m_actDir; }
    // Shows `path` rather than the root, as a folder dropped on the drop point: a folder, or the
    // folder of a file; a relative path from the working folder. A path that cannot be shown
    // leaves the window as it is, and its reason is returned.
    QString startIn(const QString& path);

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // layout
    void buildControls();
    void connectBrowser();
    void connectRun();
    void connectRulePanel();
    void connectChoiceList();

    // folder and file browser
    void Form_Load();
    void Form_Activate();
    void drvDrive_Change();
    void dirDir_Change();
    void flFile_PathChange();
    void flFile_PatternChange();
    void flFile_Click();
    void cmdRefresh_Click(int index);
    void txtFilter_Change();
    void ChooseAllFiles();

    // the rename run
    void cmdGo_Click(int Index);
    RenameRules ruleSettings() const;
    void readPositions(RunErrorReport& report, RenameRules& rules);
    // Steps 9 to 21 over the chosen files: the preview's lines and marks, or PROCEED's renames,
    // its log and its entry in the history.
    void runChosenFiles(RunMode mode, RenameRules rules, RunErrorReport& report,
                        LineBuffer& preview, LineBuffer& log);
    // Whether the file list shows ActDir (its last read then knows the folder's names).
    bool showsActDir() const;
    bool foldsCase(const QString& folder);
    void refreshAfterProceed(RunErrorReport& report);
    // Marks each preview line with what PROCEED would do with its file.
    void markPreview(const RenameRules& rules, const std::vector<PositionFaults>& faults);

    // rule option panel
    // A row per rule: its box, the fields that tick it and the settings the run reads from
    // them. The rows stand in the order in which PROCEED clears the boxes.
    struct RuleField {
        TextBox* Form1::*box;
        void (Form1::*change)();
        QString RenameRules::*text; // null for a position, which the run reads in a step of its own
        void (Form1::*gotFocus)();  // the positions' whole text selected
    };
    struct RuleRow {
        CheckBox* Form1::*box;
        Label* Form1::*caption; // a click on it is a click on the box
        void (Form1::*click)();
        bool RenameRules::*on;
        bool onWhenGreyed;        // "Replace all" alone counts its greyed box as on
        bool clearedAfterProceed; // all but "Replace all"
        RuleField fields[3];      // as many as the rule has, the rest empty
    };
    static const RuleRow RulePanel[8];
    void txtFrom_GotFocus();
    void txtTo_GotFocus();
    void txtAft_GotFocus();
    void txtFrom_Change();
    void txtTo_Change();
    void txtAft_Change();
    void txtWith2_Change();
    void txtRepl_Change();
    void txtWith_Change();
    void txtEras_Change();
    void txtAdd_Change();
    void chkRepl2_Click();
    void chkRepl_Click();
    void chkEras_Click();
    void chkAll_Click();
    void chkAdd_Click();
    void chkCapi_Click();
    void chkUp_Click();
    void chkLow_Click();
    void selectWholeText(TextBox* box);
    void normaliseAndPreview(TextBox* box, CheckBox* rule);
    void tickAndPreview(CheckBox* rule);
    // The PREVIEW after an edit, unless the edit raised a clean one since `previewed`.
    void previewAgainUnless(quint64 previewed);

    // chosen-files list
    void lstChoice_KeyDown(int KeyCode, int Shift);
    void lstChoice_MouseUp(int Button, int Shift, double X, double Y);
    void mnuPopUplstChoiceDel_Click();
    void mnuPopUplstChoiceCrop_Click();
    void mnuPopUplstChoiceCopy_Click();

    // the history of renames: a PROCEED taken back and done again
    void lstResult_MouseUp(int Button, int Shift, double X, double Y);
    void mnuPopUplstResultUndo_Click();
    void mnuPopUplstResultRedo_Click();
    // Takes the history's entry of `folder` back (undo) or does it again, as a run of its own
    // with a log of about `files` lines, then shows the folder.
    void rerunRenames(QString folder, qsizetype files, bool undo); // a copy: the entry may go
    // The menu items of the history: each enabled while there is something to take back or to
    // do again.
    void showHistoryState();
    // Whether Ctrl+Z, Ctrl+Shift+Z and Ctrl+Y go to the renames even in a text box: from the end
    // of a PROCEED, undo or redo until the user edits a text box.
    void undoKeysToRenames(bool renames);
    void showAfterRenames(RunErrorReport& report, const QString& folder);

    // the pass over the active folder and all its subfolders
    void connectTree();
    void mnuPopUpdirDirTree_Click();
    // The pass's PROCEED, from its dialog: as a PROCEED's steps 4 to 21, folder by folder.
    void proceedTree(const RenameRules& rules, const QList<TreeRunFolder>& folders,
                     const std::function<bool(FileOutcome)>& after);

    // A failure in a browser handler: warn, then put the browser on the nearest readable
    // folder above the one that failed.
    template <typename Handler> void guarded(Handler handler);
    void browserFailed(const RunTimeError& error, const QString& folder);
    // The folder list and the file list read again, each failure reported, the browser then
    // on a folder it can show: after PROCEED, undo and redo.
    void refreshFolderAndFiles(RunErrorReport& report);
    // Puts the browser on the nearest readable folder at or above the one it shows, every list
    // in step with it; reports nothing.
    void showReadableFolder();
    void showDriveOfFolder();

    // drag-and-drop folder point (DragData: dragdata.h, declared by its use here)
    void connectDropPoint();
    void connectHistory();
    void picDragDrop_OLEDragDrop(class DragData& Data, qint32& Effect, qint16 Button, qint16 Shift,
                                 float X, float Y);
    void picDragDrop_OLEStartDrag(class DragData& Data, qint32& AllowedEffects);
    void picDragDrop_OLESetData(class DragData& Data, qint16 DataFormat);
    void dropFailed(const RunTimeError& error, const QString& item);
    // The drive list and the folder list taken to ActDir, the drive list's folders held.
    void showActiveFolder();

    Services m_services;
    SharedReads m_fs; // the file system: the services' one, each folder read once per action
    QString m_actDir;
    bool m_activated = false;
    bool m_recovering = false;
    bool m_ended = false; // the error report ended the program (seen only where ending returns)
    bool m_undoKeysToRenames = false;
    PreviewMarks m_marks;
    // PREVIEWs that ran to their end without showing a box: their lines are what a PREVIEW
    // would show again as long as nothing has changed since.
    quint64 m_cleanPreviews = 0;
    const QString m_decimalPoint; // the system locale's, for the position fields' numbers

    // The controls, in tab order. Owned by the window (Qt parent); each carries its name as
    // objectName, by which tests and tools reach it.
    CheckBox* chkRepl2;
    TextBox* txtFrom;
    TextBox* txtTo;
    TextBox* txtWith2;
    TextBox* txtRepl;
    TextBox* txtWith;
    TextBox* txtEras;
    TextBox* txtAdd;
    TextBox* txtAft;
    TextBox* txtFilter;
    CommandButton* cmdRefresh_2;
    CommandButton* cmdGo_0;
    TextBox* txtDir;
    TextBox* txtEx;
    FileList* flFile;
    ListBox* lstChoice;
    DriveList* drvDrive;
    FolderList* dirDir;
    ListBox* lstResult;
    CheckBox* chkRepl;
    CheckBox* chkEras;
    CheckBox* chkAll;
    CheckBox* chkAdd;
    CheckBox* chkCapi;
    CheckBox* chkUp;
    CheckBox* chkLow;
    CommandButton* cmdGo_1;
    ListBox* lstPreview;
    Label* Label1;
    Label* Label2;
    Label* Label4;
    Label* Label6;
    Label* Label8;
    Label* Label9;
    Label* Label10;
    Label* Label11;
    Label* Label12;
    Label* Label3;
    Label* Label5;
    Label* Label7;
    Label* Label13;
    Label* Label14;
    Label* Label15;
    Label* Label16;
    Label* Label17;
    Label* Label18;
    DropPoint* picDragDrop;
    Label* Label19;
    PopupMenu* mnuPopUplstChoice;
    PopupMenu* mnuPopUplstResult;
    PopupMenu* mnuPopUpdirDir;
    RenameHistory m_history; // the PROCEEDs of this window, as long as it lives
};

} // namespace tessaly
