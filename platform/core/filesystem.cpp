#include "core/filesystem.h"

#include "core/runtimeerror.h"

namespace tessaly {

QString Volume::text() const
{
    return label.isEmpty() ? mountPoint : mountPoint + QStringLiteral(" [") + label + u']';
}

const Volume* volumeOf(const QList<Volume>& volumes, const QString& path)
{
    const QString p = normalFolderPath(path);
    const Volume* best = nullptr;
    for (const Volume& v : volumes) {
        const bool under =
            v.mountPoint == u"/" || p == v.mountPoint || p.startsWith(v.mountPoint + u'/');
        if (under && (!best || v.mountPoint.size() > best->mountPoint.size()))
            best = &v;
    }
    return best;
}

bool FileSystem::foldsCase(const QString&)
{
    return false;
}

bool FileSystem::keepsIdentities(const QString&)
{
    return false;
}

FileIdentity FileSystem::identity(const QString&, const QByteArray&)
{
    return {};
}

FolderListing FileSystem::listing(const QString& folder)
{
    FolderListing out{files(folder), subfolders(folder), {}, {}};
    QList<QString> names;
    for (const FileEntry& file : out.files) {
        out.fileNames.push_back(names.size());
        names.append(exactName(file));
    }
    names += out.folders;
    out.names = FolderNames(names, foldsCase(folder));
    return out;
}

QString nearestReadableFolder(FileSystem& fs, const QString& from)
{
    for (QString p = normalFolderPath(from); !p.isEmpty(); p = parentFolder(p)) {
        try {
            fs.subfolders(p);
            fs.files(p);
            return p;
        } catch (const RunTimeError&) {
        }
    }
    return QStringLiteral("/");
}

} // namespace tessaly
