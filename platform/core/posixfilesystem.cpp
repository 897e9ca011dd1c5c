#include "core/posixfilesystem.h"

#include "core/posixfolder.h"
#include "core/runtimeerror.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <QSet>
#include <QStorageInfo>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace tessaly {

using posix::FolderHandle;
using posix::FolderStream;

namespace {

// ---- volumes --------------------------------------------------------------------------

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

// ---- folders and files ----------------------------------------------------------------

enum class Kind { Folder, File, Other };

Kind kindOf(int dir, const dirent& e)
{
    if (e.d_type == DT_DIR)
        return Kind::Folder;
    if (e.d_type == DT_REG)
        return Kind::File;
    if (e.d_type != DT_LNK && e.d_type != DT_UNKNOWN)
        return Kind::Other;
    struct stat st;
    if (fstatat(dir, e.d_name, &st, 0) != 0)
        return Kind::Other; // a broken link
    return S_ISDIR(st.st_mode) ? Kind::Folder : S_ISREG(st.st_mode) ? Kind::File : Kind::Other;
}

// The mount a folder entry is on, where it is a folder itself (not a link to one); none for
// anything else. The device stands in for the mount where the kernel does not tell it.
std::optional<quint64> mountOf(int dir, const char* name, int flags)
{
    struct statx st;
    if (statx(dir, name, flags | AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT, STATX_TYPE | STATX_MNT_ID,
              &st) != 0 ||
        !S_ISDIR(st.stx_mode))
        return std::nullopt;
    if (st.stx_mask & STATX_MNT_ID)
        return st.stx_mnt_id;
    return (quint64(st.stx_dev_major) << 32 | st.stx_dev_minor) | (quint64(1) << 63);
}

bool isDotName(const dirent& e)
{
    return e.d_name[0] == '.';
}

// `name` with the case of its letters flipped: ASCII letters only, or every letter. Lone
// surrogates (bytes that are not UTF-8) stay as they are.
QString flipCase(const QString& name, bool asciiOnly)
{
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        char32_t c = name[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(name[i].unicode(), name[i + 1].unicode());
            ++i;
        }
        if (!asciiOnly || c < 0x80)
            c = QChar::isUpper(c) ? QChar::toLower(c) : QChar::isLower(c) ? QChar::toUpper(c) : c;
        if (QChar::requiresSurrogates(c)) {
            out += QChar(QChar::highSurrogate(c));
            out += QChar(QChar::lowSurrogate(c));
        } else {
            out += QChar(char16_t(c));
        }
    }
    return out;
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

QStringList PosixFileSystem::subfolders(const QString& folder)
{
    QStringList out;
    FolderStream d(folder);
    d.forEach([&](const dirent& e) {
        if (!isDotName(e) && kindOf(d.fd(), e) == Kind::Folder)
            out.append(decodePath(QByteArray(e.d_name)));
    });
    return out;
}

QList<FileEntry> PosixFileSystem::files(const QString& folder)
{
    QList<FileEntry> out;
    FolderStream d(folder);
    d.forEach([&](const dirent& e) {
        if (!isDotName(e) && kindOf(d.fd(), e) == Kind::File)
            out.append(decodeFileName(e.d_name, qsizetype(std::strlen(e.d_name))));
    });
    return out;
}

FolderListing PosixFileSystem::listing(const QString& folder)
{
    return read(folder, false);
}

FolderListing PosixFileSystem::treeListing(const QString& folder)
{
    return read(folder, true);
}

FolderListing PosixFileSystem::read(const QString& folder, bool tree)
{
    FolderStream d(folder);
    FolderListing out;
    QList<QString> names;
    // A pass over a tree enters only real folders of the folder's own mount: no link to a
    // folder, no mount point (another volume, or a bind mount of a folder above, which would
    // make the tree endless).
    std::optional<quint64> mount;
    if (tree)
        mount = mountOf(d.fd(), "", AT_EMPTY_PATH);
    d.forEach([&](const dirent& e) {
        const qsizetype size = qsizetype(std::strlen(e.d_name));
        const Kind kind = isDotName(e) ? Kind::Other : kindOf(d.fd(), e);
        if (kind == Kind::File) {
            out.fileNames.push_back(names.size());
            out.files.append(decodeFileName(e.d_name, size));
            names.append(exactName(out.files.constLast())); // shares the file's text
            return;
        }
        names.append(decodePath(QByteArray(e.d_name, size)));
        if (kind == Kind::Folder &&
            (!tree || mountOf(d.fd(), e.d_name, AT_SYMLINK_NOFOLLOW) == mount))
            out.folders.append(names.constLast());
    });
    out.names = FolderNames(names, false);
    if (foldsCaseAmong(d.fd(), names, out.names))
        out.names = FolderNames(names, true);
    return out;
}

int PosixFileSystem::attributes(const QString& path)
{
    struct stat st;
    if (stat(encodePath(path).constData(), &st) != 0)
        throw errnoError(errno);
    return S_ISDIR(st.st_mode) ? FolderAttribute : 0;
}

QString PosixFileSystem::currentFolder()
{
    char path[PATH_MAX];
    if (!getcwd(path, sizeof path))
        throw errnoError(errno, true);
    return decodePath(QByteArray(path));
}

void PosixFileSystem::setCurrentFolder(const QString& folder)
{
    // Until a chdir succeeds, renames find their folder by its path: the folder made current
    // before may have vanished since, or another may stand at its path.
    m_current.clear();
    if (chdir(encodePath(folder).constData()) != 0)
        throw errnoError(errno, true);
    m_current = folder;
}

bool PosixFileSystem::keepsIdentities(const QString& folder)
{
    // FAT and exFAT (the kernel's drivers and exfat-fuse alike) number a file's inode afresh
    // each time it is read from the disk: after a while the same file has another number.
    // Other FUSE file systems may do the same.
    constexpr unsigned long fat = 0x4d44, exfat = 0x2011bab0, fuse = 0x65735546;
    struct statfs fs;
    if (statfs(encodePath(folder).constData(), &fs) != 0)
        return false;
    const auto type = static_cast<unsigned long>(fs.f_type);
    return type != fat && type != exfat && type != fuse;
}

FileIdentity PosixFileSystem::identity(const QString& folder, const QByteArray& name)
{
    const QByteArray path = !m_current.isEmpty() && folder == m_current
                                ? name
                                : encodePath(joinPath(folder, decodePath(name)));
    struct statx st;
    if (statx(AT_FDCWD, path.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC,
              STATX_INO | STATX_BTIME, &st) != 0)
        throw errnoError(errno);
    FileIdentity id{makedev(st.stx_dev_major, st.stx_dev_minor), st.stx_ino, 0};
    if (st.stx_mask & STATX_BTIME)
        id.birth = qint64(st.stx_btime.tv_sec) * 1000000000 + st.stx_btime.tv_nsec;
    return id;
}

bool PosixFileSystem::foldsCase(const QString& folder)
{
    FolderStream d(folder);
    QList<QString> names;
    d.forEach([&](const dirent& e) { names.append(decodePath(QByteArray(e.d_name))); });
    return foldsCaseAmong(d.fd(), names, FolderNames(names, false));
}

bool PosixFileSystem::foldsCaseAmong(int dir, const QList<QString>& names,
                                     const FolderNames& listed)
{
    // ASCII letters first: every case-insensitive file system folds them, not all fold others.
    for (const bool asciiOnly : {true, false}) {
        for (const QString& name : names) {
            const QString flipped = flipCase(name, asciiOnly);
            if (flipped == name)
                continue;
            if (listed.indexOf(flipped) >= 0)
                return false; // two entries apart only in case
            return posix::sameEntry(*m_calls, dir, encodePath(name), encodePath(flipped),
                                    [](const QByteArray&) { return false; });
        }
    }
    return false;
}

} // namespace tessaly
