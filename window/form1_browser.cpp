// Form1: the folder and file browser, and the refill of the chosen-files list.
#include "controls/drivelist.h"
#include "controls/filelist.h"
#include "controls/folderlist.h"
#include "controls/listbox.h"
#include "controls/simplecontrols.h"
#include "controls/textbox.h"
#include "controls/waitcursor.h"
#include "core/filesystem.h"
#include "core/runtimeerror.h"
#include "core/services.h"
#include "window/form1.h"

namespace tessaly {

void Form1::connectBrowser()
{
    connect(drvDrive, &DriveList::Change, this, [this] { guarded([this] { drvDrive_Change(); }); });
    connect(dirDir, &FolderList::Change, this, [this] { guarded([this] { dirDir_Change(); }); });
    connect(dirDir, &FolderList::openFailed, this,
            [this](const QString& folder, int code, const QString& description) {
                browserFailed(RunTimeError(code, description), folder);
            });
    connect(flFile, &FileList::PathChange, this, &Form1::flFile_PathChange);
    connect(flFile, &FileList::PatternChange, this, &Form1::flFile_PatternChange);
    connect(flFile, &FileList::Click, this, &Form1::flFile_Click);
    connect(cmdRefresh_2, &CommandButton::Click, this,
            [this](int index) { guarded([this, index] { cmdRefresh_Click(index); }); });
    connect(txtFilter, &TextBox::Change, this, [this] { guarded([this] { txtFilter_Change(); }); });
}

void Form1::Form_Load()
{
    try {
        flFile->setPattern(txtFilter->Text());
    } catch (const RunTimeError&) {
        // The working folder the program started in cannot be read; the file list is about
        // to be pointed at the root anyway.
    }
    guarded([this] {
        drvDrive->setDrive(QStringLiteral("/"));
        dirDir->setFolder(QStringLiteral("/")); // the root folder, not the drive's current one
        dirDir_Change();
    });
}

void Form1::Form_Activate()
{
    txtEras->SetFocus();
}

void Form1::drvDrive_Change()
{
    if (drvDrive->Marker().isEmpty())
        dirDir->setPath(drvDrive->Drive());
}

void Form1::dirDir_Change()
{
    flFile->setPath(dirDir->Path());
    m_actDir = dirDir->Path();
    txtDir->setText(dirDir->Path());
}

void Form1::flFile_PathChange()
{
    ChooseAllFiles();
}

void Form1::flFile_PatternChange()
{
    ChooseAllFiles();
}

void Form1::flFile_Click()
{
    txtEx->setText(flFile->List(flFile->ListIndex()));
}

void Form1::cmdRefresh_Click(int /*index*/)
{
    drvDrive->Refresh();
    dirDir->Refresh();
    flFile->Refresh();
    ChooseAllFiles();
}

void Form1::txtFilter_Change()
{
    const QString mask = txtFilter->Text();
    for (const QChar c : {u'/', u'\\', u':', u';'}) {
        if (mask.contains(c)) {
            txtFilter->setText(QStringLiteral("*")); // the whole mask goes, not the character
            break;
        }
    }
    flFile->setPattern(txtFilter->Text());
}

void Form1::ChooseAllFiles()
{
    lstPreview->Clear();
    // One whole-list update: the file list's entries, in its order, none selected.
    lstChoice->setEntries(flFile->entries());
    txtEx->setText(flFile->List(0));
}

// ---- failures ---------------------------------------------------------------------------

template <typename Handler> void Form1::guarded(Handler handler)
{
    try {
        handler();
    } catch (const RunTimeError& e) {
        browserFailed(e, {});
    }
}

void Form1::browserFailed(const RunTimeError& error, const QString& folder)
{
    if (m_recovering)
        return; // the recovery below reports nothing of its own
    m_services.box.warning(windowTitle(), folder.isEmpty() ? error.description()
                                                           : error.description() +
                                                                 QStringLiteral("\n\n") + folder);
    showReadableFolder();
}

void Form1::refreshFolderAndFiles(RunErrorReport& report)
{
    // A folder that went away meanwhile was reported; the browser then moves up to one it can
    // show, as it does when the user meets such a folder.
    if (!runStep(report, [&] { dirDir->Refresh(); }))
        showReadableFolder();
    if (!runStep(report, [&] { flFile->Refresh(); }))
        showReadableFolder();
}

void Form1::showReadableFolder()
{
    if (m_recovering)
        return;
    m_recovering = true;
    try {
        QString readable;
        {
            const WaitCursor busy; // reads whole folders on the way up
            readable = nearestReadableFolder(m_fs, dirDir->Path());
        }
        dirDir->setFolder(readable);
        dirDir_Change();
        flFile->Refresh();
        ChooseAllFiles();
        showDriveOfFolder();
    } catch (const RunTimeError&) {
        // Nothing readable left to show; the lists stay as they are.
    }
    m_recovering = false;
}

void Form1::showDriveOfFolder()
{
    // The drive list is re-read, so that a volume unmounted meanwhile leaves it, and shows
    // the drive of the folder now shown; the marker keeps the folder list where it is.
    drvDrive->Refresh();
    const QList<Volume> volumes = drvDrive->volumes(); // volumeOf points into the list
    const Volume* v = volumeOf(volumes, dirDir->Path());
    if (!v)
        return;
    const MarkerScope marker(*drvDrive, ProgramSetsDrive);
    drvDrive->setDrive(v->mountPoint);
}

} // namespace tessaly
