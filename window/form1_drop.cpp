// Form1: the drag-and-drop folder point, linking the active folder with the desktop's drag
// and drop in both directions.
#include "controls/drivelist.h"
#include "controls/droppoint.h"
#include "controls/folderlist.h"
#include "controls/textbox.h"
#include "core/dragdata.h"
#include "core/filesystem.h"
#include "core/runtimeerror.h"
#include "window/form1.h"

namespace tessaly {

namespace {

// The drive of a path: the listed volume whose mount point is the longest prefix of it.
QString driveOf(const QList<Volume>& volumes, const QString& path)
{
    const Volume* v = isLocalPath(path) ? volumeOf(volumes, path) : nullptr;
    if (!v)
        throw RunTimeError(ErrorCode::DeviceUnavailable);
    return v->mountPoint;
}

} // namespace

void Form1::connectDropPoint()
{
    // These run inside Qt's drag-and-drop machinery, so no failure may leave them. The drop
    // handles its own; the other two only write the drag's own data, which cannot fail.
    connect(picDragDrop, &DropPoint::OLEDragDrop, this, &Form1::picDragDrop_OLEDragDrop);
    connect(picDragDrop, &DropPoint::OLEStartDrag, this, [this](DragData& data, qint32& allowed) {
        try {
            picDragDrop_OLEStartDrag(data, allowed);
        } catch (const RunTimeError&) {
        }
    });
    connect(picDragDrop, &DropPoint::OLESetData, this, [this](DragData& data, qint16 format) {
        try {
            picDragDrop_OLESetData(data, format);
        } catch (const RunTimeError&) {
        }
    });
}

void Form1::picDragDrop_OLEDragDrop(DragData& Data, qint32& /*Effect*/, qint16 /*Button*/,
                                    qint16 /*Shift*/, float /*X*/, float /*Y*/)
{
    QString item; // what a failure is about
    try {
        m_actDir = activeFolderAfterDrop(Data, m_fs, m_actDir, item); // 1. to 3.
        item = m_actDir;
        showActiveFolder();
    } catch (const RunTimeError& e) {
        dropFailed(e, item);
    }
    activateWindow();
}

void Form1::showActiveFolder()
{
    {
        // While the drive changes, drvDrive_Change leaves the folder list alone.
        const MarkerScope marker(*drvDrive, ProgramSetsDrive);
        drvDrive->Refresh(); // a volume mounted since the last look is found too
        drvDrive->setDrive(driveOf(drvDrive->volumes(), m_actDir));
    }
    // As a folder, also where it reads like a drive's text. The folder list raises
    // dirDir_Change only if it moves; then ActDir loses the "/".
    dirDir->setFolder(m_actDir);
}

QString Form1::startIn(const QString& path)
{
    QString folder;
    try {
        const QString full =
            normalFolderPath(path.startsWith(u'/') ? path : joinPath(m_fs.currentFolder(), path));
        folder = m_fs.attributes(full) & FolderAttribute ? full : parentFolder(full);
        m_fs.subfolders(folder); // one that cannot be read is found before anything moves
    } catch (const RunTimeError& e) {
        return e.description();
    }
    // From here on, as a drop of the folder.
    m_actDir = folder.endsWith(u'/') ? folder : folder + u'/';
    try {
        showActiveFolder();
    } catch (const RunTimeError& e) {
        dropFailed(e, folder);
    }
    return {};
}

void Form1::dropFailed(const RunTimeError& error, const QString& item)
{
    browserFailed(error, item);
    // A failure after the change of drive left the drive list on another volume than the
    // folder list: put it back, without moving the folders.
    try {
        const QString drive = driveOf(drvDrive->volumes(), dirDir->Path());
        const MarkerScope marker(*drvDrive, ProgramSetsDrive);
        drvDrive->setDrive(drive);
    } catch (const RunTimeError&) {
    }
    if (m_actDir != dirDir->Path()) { // the recovery could not re-read the folder list
        m_actDir = dirDir->Path();
        txtDir->setText(m_actDir);
    }
}

void Form1::picDragDrop_OLEStartDrag(DragData& Data, qint32& /*AllowedEffects*/)
{
    Data.clear();
    Data.declareFormat(DragFormat::FileList); // its contents come with each request
}

void Form1::picDragDrop_OLESetData(DragData& Data, qint16 /*DataFormat*/)
{
    Data.clearFiles();
    Data.addFile(m_actDir); // read now, not when the drag began
}

} // namespace tessaly
