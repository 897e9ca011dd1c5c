#include "core/dragdata.h"

#include "core/filesystem.h"
#include "core/runtimeerror.h"

#include <QUrl>

namespace tessaly {

QByteArray fileUrlOf(const QString& path)
{
    return "file://" + encodePath(path).toPercentEncoding("/");
}

QString localPathOf(const QUrl& url)
{
    const bool fileScheme = url.scheme().isEmpty() || url.scheme() == u"file";
    if (!fileScheme || !(url.host().isEmpty() || url.host() == u"localhost"))
        return {};
    // QUrl::toLocalFile decodes as UTF-8 and loses bytes that are not; decode them ourselves.
    return decodePath(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

bool isLocalPath(const QString& entry)
{
    return entry.startsWith(u'/') && !entry.startsWith(u"//") && !entry.contains(QChar(0));
}

QString activeFolderAfterDrop(const DragData& data, FileSystem& fs, const QString& actDir,
                              QString& item)
{
    if (!data.hasFormat(DragFormat::FileList))
        return actDir;
    item = data.file(1); // the first dropped item; any others are ignored
    if (item.contains(QChar(0)))
        throw RunTimeError(ErrorCode::BadFileName); // a system call would cut it short
    if (!isLocalPath(item))
        throw RunTimeError(ErrorCode::DeviceUnavailable); // a URL: never fetched
    if (!(fs.attributes(item) & FolderAttribute))
        return QStringLiteral("/"); // a file: the system drive's root
    return item.endsWith(u'/') ? item : item + u'/';
}

// ---- the data of a drag from the program -----------------------------------------------

QStringList DragSourceData::formats() const
{
    return m_hasFileList ? QStringList{QString::fromLatin1(FileListMimeType)} : QStringList();
}

bool DragSourceData::hasFormat(const QString& mimeType) const
{
    return formats().contains(mimeType);
}

QVariant DragSourceData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (!m_hasFileList || mimeType != QLatin1String(FileListMimeType))
        return {};
    if (m_lazy && onRequest)
        onRequest(DragFormat::FileList); // the handler rebuilds the list through DragData
    // urls() asks for a list of URLs. Qt 6.4 still made one of the bytes, Qt 6.8 no longer
    // does; both take the list.
    if (type.id() == QMetaType::QVariantList) {
        QVariantList urls;
        for (const QString& path : m_files)
            urls.append(QUrl::fromEncoded(fileUrlOf(path)));
        return urls;
    }
    QByteArray list;
    for (const QString& path : m_files)
        list += fileUrlOf(path) + "\r\n";
    return list;
}

// ---- the handlers' view of drag data ---------------------------------------------------

DragData::DragData(const QMimeData* dropped) : m_dropped(dropped) {}

DragData::DragData(DragSourceData* own) : m_own(own) {}

DragSourceData& DragData::own() const
{
    if (!m_own)
        throw RunTimeError(ErrorCode::InvalidCall); // the data of a drop is read only
    return *m_own;
}

QStringList DragData::files() const
{
    if (m_own)
        return m_own->m_files;
    QStringList out;
    if (!m_dropped || !m_dropped->hasFormat(QString::fromLatin1(FileListMimeType)))
        return out;
    // One URL a line; lines that start with "#" are comments.
    QByteArray list = m_dropped->data(QString::fromLatin1(FileListMimeType));
    while (list.endsWith('\0')) // some senders end the list with a NUL
        list.chop(1);
    for (const QByteArray& line : list.split('\n')) {
        const QByteArray text = line.trimmed();
        if (!text.isEmpty() && !text.startsWith('#')) {
            const QUrl url = QUrl::fromEncoded(text);
            const QString local = localPathOf(url);
            out.append(local.isEmpty() ? url.toDisplayString() : local); // no password
        }
    }
    return out;
}

bool DragData::hasFormat(int format) const
{
    if (format != DragFormat::FileList)
        return false;
    return m_own ? m_own->m_hasFileList : !files().isEmpty();
}

QString DragData::file(int index) const
{
    const QStringList list = files();
    if (index < 1 || index > list.size())
        throw RunTimeError(ErrorCode::InvalidCall);
    return list[index - 1];
}

void DragData::clear()
{
    DragSourceData& d = own();
    d.m_hasFileList = false;
    d.m_lazy = false;
    d.m_files.clear();
}

void DragData::declareFormat(int format)
{
    if (format != DragFormat::FileList)
        throw RunTimeError(ErrorCode::InvalidCall);
    DragSourceData& d = own();
    d.m_hasFileList = true;
    d.m_lazy = true;
    d.m_files.clear();
}

void DragData::clearFiles()
{
    own().m_files.clear();
}

void DragData::addFile(const QString& path)
{
    DragSourceData& d = own();
    d.m_hasFileList = true;
    d.m_files.append(path);
}

} // namespace tessaly
