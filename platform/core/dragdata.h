#pragma once

#include <functional>
#include <QMimeData>
#include <QStringList>

namespace tessaly {

// Drag data formats, by number. The file list is the only one the program uses; it travels
// as text/uri-list, one local file URL per entry.
namespace DragFormat {
constexpr int FileList = 15;
} // namespace DragFormat

// The file list's MIME type.
inline constexpr char FileListMimeType[] = "text/uri-list";

// The data of a drag that the drop point starts. Formats are declared first; a declared
// format's contents are asked for through `onRequest` each time a drop target reads them.
class DragSourceData : public QMimeData {
    Q_OBJECT
public:
    // Called with the format's number when a target reads declared data.
    std::function<void(int format)> onRequest;

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    friend class DragData;
    bool m_hasFileList = false;
    bool m_lazy = false; // declared without contents: ask for them on every read
    QStringList m_files;
};

// The data object the drop point's handlers work on: either the data of a drop (read only;
// writing to it fails with error 5) or the data of a drag from the drop point.
class DragData {
public:
    explicit DragData(const QMimeData* dropped);
    explicit DragData(DragSourceData* own);

    // Whether the data holds a format. A dropped file list counts only with an entry in it.
    bool hasFormat(int format) const;
    // Entry `index` of the file list, counted from 1: a local file URL as its path (bytes
    // that are not UTF-8 carried as in decodePath), any other URL as its text, which is no
    // absolute path. Error 5 outside the list.
    QString file(int index) const;

    // Empties the data of all formats.
    void clear();
    // Declares a format without its contents; a target reading it raises the request.
    void declareFormat(int format);
    void clearFiles();
    void addFile(const QString& path);

    const QMimeData* mimeData() const { return m_own ? m_own : m_dropped; }

private:
    DragSourceData& own() const;
    QStringList files() const;

    const QMimeData* m_dropped = nullptr;
    DragSourceData* m_own = nullptr;
};

// A local path as a file URL in encoded form, its bytes percent-encoded.
QByteArray fileUrlOf(const QString& path);
// The local path of a file URL ("file:", or no scheme, with no host or "localhost"), or an
// empty text for any other URL.
QString localPathOf(const QUrl& url);
// Whether an entry of a file list is a path on this machine: it starts with one "/" (not
// "//", a network path) and holds no NUL, which would cut it short in a system call.
bool isLocalPath(const QString& entry);

class FileSystem;

// Where a drop takes the active folder `actDir`: to the first item of the dropped file list
// when it is a folder, with a "/" appended where it has none; to the root when it is a file;
// nowhere when the data holds no file list. `item` is set to the item looked at, for the
// message of a failure. Only a local path is looked at, by its attributes: an item with a NUL
// in it throws RunTimeError 52, any other item that is no local path (a URL of another
// machine) 68, and nothing is ever fetched.
QString activeFolderAfterDrop(const DragData& data, FileSystem& fs, const QString& actDir,
                              QString& item);

} // namespace tessaly
