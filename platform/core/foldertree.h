#pragma once

#include "core/filesystem.h"
#include "core/mask.h"

#include <atomic>
#include <functional>
#include <QList>
#include <QString>

namespace tessaly {

// One folder of a tree as the file list would show it: its files that the mask selects, in
// natural order, and the names of all its entries, or why it could not be read.
struct TreeFolder {
    QString relative; // to the tree's root, "." for the root itself
    QList<FileEntry> files;
    FolderNames names;
    QString failure; // the reason it could not be read; empty where it was read
};

// How far a reading of a tree has come, for another thread to show, and its stop.
struct TreeReading {
    std::atomic<qsizetype> folders{0};
    std::atomic<qsizetype> files{0}; // that the mask selects
    std::atomic<bool> stop{false};
};

// Reads `root` and every folder below it: hidden files and folders left out, links to folders
// not followed, no other mount entered. Each folder that has files the mask selects, or that
// could not be read, goes to `found` as it is read: a folder before those below it, subfolders
// in natural order. A folder that cannot be read is skipped with its failure and the others go
// on. Returns false when `reading.stop` ended it.
bool readTree(FileSystem& fs, const QString& root, const Mask& mask, TreeReading& reading,
              const std::function<void(TreeFolder&&)>& found);

} // namespace tessaly
