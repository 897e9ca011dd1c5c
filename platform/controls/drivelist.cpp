#include "controls/drivelist.h"

#include "core/runtimeerror.h"

#include <QSignalBlocker>

namespace tessaly {

DriveList::DriveList(FileSystem& fs, QWidget* parent) : QComboBox(parent), m_fs(fs)
{
    m_volumes = m_fs.volumes();
    QString working;
    try {
        working = m_fs.currentFolder(); // like a new process, the list starts on its drive
    } catch (const RunTimeError&) {
    }
    const Volume* start = volumeOf(m_volumes, working);
    fill(start ? start->mountPoint : QStringLiteral("/"));
    connect(this, &QComboBox::currentIndexChanged, this, &DriveList::Change);
}

void DriveList::fill(const QString& keepMountPoint)
{
    const QSignalBlocker quiet(this);
    clear();
    int current = 0;
    for (const Volume& v : m_volumes) {
        if (v.mountPoint == keepMountPoint)
            current = count();
        addItem(v.text());
    }
    setCurrentIndex(current);
}

void DriveList::setDrive(const QString& text)
{
    for (int i = 0; i < m_volumes.size(); ++i) {
        if (m_volumes[i].text() == text || m_volumes[i].mountPoint == text) {
            setCurrentIndex(i);
            return;
        }
    }
    throw RunTimeError(ErrorCode::DeviceUnavailable);
}

QString DriveList::mountPoint() const
{
    const int i = currentIndex();
    return i >= 0 && i < m_volumes.size() ? m_volumes[i].mountPoint : QStringLiteral("/");
}

void DriveList::Refresh()
{
    const QString keep = mountPoint();
    m_volumes = m_fs.volumes();
    fill(keep);
}

void DriveList::showPopup()
{
    Refresh(); // a card put in since the last look shows up
    QComboBox::showPopup();
}

} // namespace tessaly
