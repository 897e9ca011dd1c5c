#pragma once

#include <QtGlobal>

namespace tessaly {

// A file as a rename sees it: its identity and whether it is a regular file.
struct FileNode {
    quint64 device = 0;
    quint64 inode = 0;
    bool regular = false;
};

// The system calls a rename is made of, each on names in the folder `dir` (a descriptor).
// Each returns 0 or an errno value. Tests replace them to play a file system that refuses
// RENAME_NOREPLACE or hard links, or that compares names without regard to case.
class RenameCalls {
public:
    virtual ~RenameCalls() = default;
    virtual int renameNoReplace(int dir, const char* from, const char* to); // renameat2
    virtual int renameReplacing(int dir, const char* from, const char* to); // renameat
    virtual int link(int dir, const char* from, const char* to);            // linkat
    virtual int unlink(int dir, const char* name);                          // unlinkat
    virtual int stat(int dir, const char* name, FileNode& node); // fstatat, no link followed
};

} // namespace tessaly
