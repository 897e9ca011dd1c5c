#include "filesystem.h"

#include "runtimeerror.h"

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <QSet>
#include <QStorageInfo>
#include <sys/stat.h>
#include <unistd.h>

namespace tessaly {

QString Volume::text() const
{
    return label.isEmpty() ? mountPoint : mountPoint + QStringLiteral(" [") + label + u']';
}

// ---- names and paths ------------------------------------------------------------------

bool isValidUtf8(const char* data, qsizetype size)
{
    const auto* s = reinterpret_cast<const unsigned char*>(data);
    qsizetype i = 0;
    while (i < size) {
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int extra;
        char32_t min;
        char32_t cp;
        if ((c & 0xE0) == 0xC0) {
            extra = 1, min = 0x80, cp = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, min = 0x800, cp = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, min = 0x10000, cp = c & 0x07;
        } else {
            return false;
        }
        if (size - i <= extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

FileEntry decodeFileName(const char* data, qsizetype size)
{
    if (isValidUtf8(data, size))
        return {QString::fromUtf8(data, size), {}};
    return {QString::fromLatin1(data, size), QByteArray(data, size)};
}

QByteArray encodePath(const QString& path)
{
    QByteArray out;
    out.reserve(path.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t u = path[i].unicode();
        if (u >= 0xDC80 && u <= 0xDCFF &&
            (i == 0 || !QChar::isHighSurrogate(path[i - 1].unicode()))) {
            out += QStringView(path).mid(start, i - start).toUtf8();
            out += char(u - 0xDC00);
            start = i + 1;
        }
    }
    out += QStringView(path).mid(start).toUtf8();
    return out;
}

QString decodePath(const QByteArray& bytes)
{
    if (isValidUtf8(bytes.constData(), bytes.size()))
        return QString::fromUtf8(bytes);
    // Decode the valid stretches as UTF-8 and carry every other byte as a lone surrogate.
    QString out;
    qsizetype i = 0;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.constData());
    while (i < bytes.size()) {
        const unsigned char c = s[i];
        int len = c < 0x80             ? 1
                  : (c & 0xE0) == 0xC0 ? 2
                  : (c & 0xF0) == 0xE0 ? 3
                  : (c & 0xF8) == 0xF0 ? 4
                                       : 0;
        if (len > 0 && i + len <= bytes.size() && isValidUtf8(bytes.constData() + i, len)) {
            out += QString::fromUtf8(bytes.constData() + i, len);
            i += len;
        } else {
            out += QChar(char16_t(0xDC00 + c));
            ++i;
        }
    }
    return out;
}

QString normalFolderPath(const QString& path)
{
    if (path.isEmpty())
        return path;
    QStringList kept;
    const QStringList parts = path.split(u'/', Qt::SkipEmptyParts);
    for (const QString& p : parts) {
        if (p == u".")
            continue;
        if (p == u"..") {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept.append(p);
    }
    return u'/' + kept.join(u'/');
}

QString parentFolder(const QString& path)
{
    const QString p = normalFolderPath(path);
    if (p.isEmpty() || p == u"/")
        return {};
    const qsizetype cut = p.lastIndexOf(u'/');
    return cut <= 0 ? QStringLiteral("/") : p.left(cut);
}

QString joinPath(const QString& folder, const QString& name)
{
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
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

// ---- volumes --------------------------------------------------------------------------

namespace {

bool isNetworkType(const QByteArray& type)
{
    static const QSet<QByteArray> types = {"nfs",      "nfs4",           "cifs",        "smb3",
                                           "smbfs",    "fuse.sshfs",     "fuse.rclone", "9p",
                                           "virtiofs", "fuse.gvfsd-fuse"};
    return types.contains(type);
}

bool isSystemMountPoint(const QString& mp)
{
    static const QStringList prefixes = {QStringLiteral("/proc"),    QStringLiteral("/sys"),
                                         QStringLiteral("/dev"),     QStringLiteral("/boot"),
                                         QStringLiteral("/snap"),    QStringLiteral("/efi"),
                                         QStringLiteral("/var/lib"), QStringLiteral("/run")};
    if (mp.startsWith(QStringLiteral("/run/media/")))
        return false;
    for (const QString& p : prefixes)
        if (mp == p || mp.startsWith(p + u'/'))
            return true;
    return false;
}

} // namespace

QList<Volume> PosixFileSystem::volumes()
{
    QList<Volume> out{{QStringLiteral("/"), {}}};
    QSet<QByteArray> devices;
    for (const QStorageInfo& s : QStorageInfo::mountedVolumes()) {
        const QString mp = normalFolderPath(s.rootPath());
        if (mp == u"/") {
            out[0].label = s.name();
            devices.insert(s.device());
            continue;
        }
        const QByteArray type = s.fileSystemType();
        const bool realDevice = s.device().startsWith("/dev/") && type != "squashfs";
        if (!s.isValid() || !s.isReady() || isSystemMountPoint(mp))
            continue;
        if (!realDevice && !isNetworkType(type))
            continue; // tmpfs, overlay and the pseudo file systems
        if (realDevice && devices.contains(s.device()))
            continue; // a bind mount of a volume already listed
        devices.insert(s.device());
        out.append({mp, s.name()});
    }
    std::sort(out.begin() + 1, out.end(),
              [](const Volume& a, const Volume& b) { return a.mountPoint < b.mountPoint; });
    return out;
}

// ---- folders and files ----------------------------------------------------------------

namespace {

struct DirCloser {
    void operator()(DIR* d) const { closedir(d); }
};

std::unique_ptr<DIR, DirCloser> openFolder(const QString& folder)
{
    DIR* d = opendir(encodePath(folder).constData());
    if (!d)
        throw errnoError(errno, true);
    return std::unique_ptr<DIR, DirCloser>(d);
}

enum class Kind { Folder, File, Other };

Kind kindOf(DIR* d, const dirent* e)
{
    if (e->d_type == DT_DIR)
        return Kind::Folder;
    if (e->d_type == DT_REG)
        return Kind::File;
    if (e->d_type != DT_LNK && e->d_type != DT_UNKNOWN)
        return Kind::Other;
    struct stat st;
    if (fstatat(dirfd(d), e->d_name, &st, 0) != 0)
        return Kind::Other; // a broken link
    return S_ISDIR(st.st_mode) ? Kind::Folder : S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

template <typename Visit> void readFolder(const QString& folder, Kind wanted, Visit visit)
{
    auto d = openFolder(folder);
    errno = 0;
    while (const dirent* e = readdir(d.get())) {
        if (e->d_name[0] != '.' && kindOf(d.get(), e) == wanted)
            visit(e->d_name);
        errno = 0;
    }
    if (errno != 0)
        throw errnoError(errno, true);
}

} // namespace

QStringList PosixFileSystem::subfolders(const QString& folder)
{
    QStringList out;
    readFolder(folder, Kind::Folder,
               [&](const char* name) { out.append(decodePath(QByteArray(name))); });
    return out;
}

QList<FileEntry> PosixFileSystem::files(const QString& folder)
{
    QList<FileEntry> out;
    readFolder(folder, Kind::File, [&](const char* name) {
        out.append(decodeFileName(name, qsizetype(std::strlen(name))));
    });
    return out;
}

int PosixFileSystem::attributes(const QString& path)
{
    struct stat st;
    if (stat(encodePath(path).constData(), &st) != 0)
        throw errnoError(errno);
    return S_ISDIR(st.st_mode) ? FolderAttribute : 0;
}

void PosixFileSystem::setCurrentFolder(const QString& folder)
{
    if (chdir(encodePath(folder).constData()) != 0)
        throw errnoError(errno, true);
    m_current = folder;
}

} // namespace tessaly
