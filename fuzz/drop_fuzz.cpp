// Drops from any sender: whatever bytes arrive as a file list (text/uri-list, with plain text
// beside it or not), reading them never fails but by RunTimeError, every entry that reads as
// a local path names exactly the file its URL names, and a drop only ever looks at a local
// path and takes the browser to a local folder.
#include "core/dragdata.h"
#include "core/filesystem.h"
#include "core/runtimeerror.h"
#include "fuzzsupport.h"

#include <QMimeData>
#include <QUrl>

using namespace tessaly;

namespace {

// Answers whether a path is a folder as the input says, and records every path it is asked
// about; anything else a drop should never ask for.
class RecordingFileSystem : public FileSystem {
public:
    explicit RecordingFileSystem(bool folders) : m_folders(folders) {}
    QStringList asked;

    int attributes(const QString& path) override
    {
        asked.append(path);
        return m_folders ? FolderAttribute : 0;
    }
    QList<Volume> volumes() override { return unexpected<QList<Volume>>(); }
    QStringList subfolders(const QString&) override { return unexpected<QStringList>(); }
    QList<FileEntry> files(const QString&) override { return unexpected<QList<FileEntry>>(); }
    QString currentFolder() override { return unexpected<QString>(); }
    void setCurrentFolder(const QString&) override { unexpected<int>(); }
    void rename(const QString&, const QByteArray&, const NewName&) override { unexpected<int>(); }

private:
    template <typename T> static T unexpected()
    {
        fuzz::broken("a drop used the file system for more than a path's attributes", __LINE__, {});
    }
    bool m_folders;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider in(data, size);
    const bool folders = in.ConsumeBool();
    const bool plainText = in.ConsumeBool();
    const std::string list = in.ConsumeRandomLengthString(512);
    const std::string text = in.ConsumeRemainingBytesAsString();
    QMimeData mime;
    mime.setData(QString::fromLatin1(FileListMimeType),
                 QByteArray(list.data(), qsizetype(list.size())));
    if (plainText)
        mime.setText(QString::fromUtf8(text.data(), qsizetype(text.size())));
    const auto shown = [&] {
        return QString::fromLatin1(
            QByteArray(list.data(), qsizetype(list.size())).toPercentEncoding());
    };

    const DragData dropped(&mime);
    for (int i = 1;; ++i) {
        QString entry;
        try {
            entry = dropped.file(i);
        } catch (const RunTimeError& e) {
            FUZZ_CHECK(e.code() == ErrorCode::InvalidCall, shown()); // past the last entry
            break;
        }
        if (isLocalPath(entry))
            FUZZ_CHECK(localPathOf(QUrl::fromEncoded(fileUrlOf(entry))) == entry, shown());
    }

    RecordingFileSystem fs(folders);
    const QString before = QStringLiteral("/before");
    QString item;
    QString after;
    try {
        after = activeFolderAfterDrop(dropped, fs, before, item);
    } catch (const RunTimeError& e) {
        FUZZ_CHECK(e.code() == ErrorCode::BadFileName || e.code() == ErrorCode::DeviceUnavailable,
                   shown());
        FUZZ_CHECK(fs.asked.isEmpty(), shown());
        return 0;
    }
    FUZZ_CHECK(fs.asked.size() <= 1, shown());
    for (const QString& path : fs.asked)
        FUZZ_CHECK(isLocalPath(path), shown());
    FUZZ_CHECK(isLocalPath(after), shown());
    if (fs.asked.isEmpty())
        FUZZ_CHECK(after == before, shown());
    else
        FUZZ_CHECK(after ==
                       (folders ? item + (item.endsWith(u'/') ? "" : "/") : QStringLiteral("/")),
                   shown());
    return 0;
}
