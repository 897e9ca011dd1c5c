#include "core/foldertree.h"

#include "core/naturalorder.h"
#include "core/runtimeerror.h"

#include <vector>

namespace tessaly {

namespace {

// Deeper than any path a system call takes (PATH_MAX is 4,096 bytes): where a file system
// would make the tree endless, the pass still ends.
constexpr int DeepestLevel = 2048;

QString joined(const QString& relative, const QString& name)
{
    return relative == u"." ? name : relative + u'/' + name;
}

} // namespace

bool readTree(FileSystem& fs, const QString& root, const Mask& mask, TreeReading& reading,
              const std::function<void(TreeFolder&&)>& found)
{
    struct Pending {
        QString relative;
        int level;
    };
    std::vector<Pending> pending{{QStringLiteral("."), 0}}; // depth first: the next is last
    while (!pending.empty()) {
        if (reading.stop.load(std::memory_order_relaxed))
            return false;
        const Pending next = std::move(pending.back());
        pending.pop_back();
        TreeFolder folder{next.relative, {}, {}, {}};
        FolderListing listing;
        try {
            listing = fs.treeListing(next.relative == u"." ? root : joinPath(root, next.relative));
        } catch (const RunTimeError& error) {
            folder.failure = error.description();
            reading.folders.fetch_add(1, std::memory_order_relaxed);
            found(std::move(folder));
            continue;
        }
        QList<FileEntry> files;
        for (FileEntry& file : listing.files)
            if (mask.matches(file.name))
                files.append(std::move(file));
        const std::vector<qsizetype> order = naturalOrderOf(files);
        folder.files.reserve(files.size());
        for (const qsizetype i : order)
            folder.files.append(std::move(files[i]));
        folder.names = std::move(listing.names);
        reading.folders.fetch_add(1, std::memory_order_relaxed);
        reading.files.fetch_add(folder.files.size(), std::memory_order_relaxed);
        if (!folder.files.isEmpty())
            found(std::move(folder));
        if (next.level >= DeepestLevel)
            continue;
        sortNatural(listing.folders);
        for (qsizetype k = listing.folders.size() - 1; k >= 0; --k)
            pending.push_back({joined(next.relative, listing.folders[k]), next.level + 1});
    }
    return true;
}

} // namespace tessaly
