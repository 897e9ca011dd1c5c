#pragma once

#include "filesystem.h"

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

} // namespace tessaly
