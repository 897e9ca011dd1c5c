#pragma once

#include "core/filesystem.h"

#include <QComboBox>

namespace tessaly {

// The drive list: a drop-down list of the mounted volumes. `Drive` reads the current
// entry's text (mount point, then " [label]" where there is one). `Change` is raised on a
// real change of the current drive, by the user or the program.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(FileSystem& fs, QWidget* parent = nullptr);

    QString Drive() const { return currentText(); }
    // Selects the drive with this text or mount point; RunTimeError 68 if there is none.
    void setDrive(const QString& text);
    QString mountPoint() const;
    // Re-reads the volumes; raises nothing.
    void Refresh();
    const QList<Volume>& volumes() const { return m_volumes; }

    const QString& Marker() const { return m_marker; }
    void setMarker(const QString& marker) { m_marker = marker; }

    void showPopup() override;

Q_SIGNALS:
    void Change();

private:
    void fill(const QString& keepMountPoint);

    FileSystem& m_fs;
    QList<Volume> m_volumes;
    QString m_marker;
};

// Sets the drive list's Marker for as long as it lives, then puts back the one it found, also
// when the scope ends by an exception.
class MarkerScope {
public:
    MarkerScope(DriveList& drives, const QString& marker)
        : m_drives(drives), m_before(drives.Marker())
    {
        m_drives.setMarker(marker);
    }
    ~MarkerScope() { m_drives.setMarker(m_before); }
    MarkerScope(const MarkerScope&) = delete;
    MarkerScope& operator=(const MarkerScope&) = delete;

private:
    DriveList& m_drives;
    QString m_before;
};

} // namespace tessaly
