#pragma once

#include "core/foldertree.h"
#include "engine/prediction.h"
#include "engine/renameoperation.h"
#include "engine/renamerules.h"

#include <functional>
#include <QList>
#include <QString>
#include <vector>

// A pass over a folder tree: the preview of every folder's files, and their PROCEED, folder by
// folder, as one run with one entry in the history.

namespace tessaly {

// A folder of the pass: its files with their new names and what PROCEED would do with each.
struct TreePreviewFolder {
    TreeFolder folder;
    QList<FileEntry> newNames; // one per file
    std::vector<Prediction> predictions;
};

// Previews a folder as the window previews the folder it shows: the rules applied to each
// file, an edit that fails leaving the name as it stood (as the error report's Ignore does),
// and what PROCEED would do predicted from the folder's names. Pure: another thread may run it.
TreePreviewFolder previewFolder(TreeFolder folder, const RenameRules& rules);

// A folder as the pass's PROCEED takes it: the files left in the run.
struct TreeRunFolder {
    QString relative; // to the root, "." for the root itself
    QList<FileEntry> files;
    bool foldsCase = false;
};

// PROCEED over the folders in their order: each folder's files renamed as a PROCEED renames in
// one folder, after a log line that names the folder; all of it one entry of the history.
// `after` hears each file's outcome and may stop the pass after it (false). Returns whether a
// file was renamed, which made the history's newest entry.
bool proceedTree(const RenameRules& rules, const QString& root, const QList<TreeRunFolder>& folders,
                 const RenameServices& services,
                 const std::function<bool(FileOutcome)>& after = {});

} // namespace tessaly
