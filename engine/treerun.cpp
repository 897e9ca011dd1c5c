#include "engine/treerun.h"

#include "engine/renamerun.h"

namespace tessaly {

namespace {

// Runs each edit; one that fails leaves the name as it stood.
struct SkipFailedEdits {
    template <typename Edit> void run(Edit&& edit)
    {
        try {
            edit();
        } catch (const RunTimeError&) {
        }
    }
    void positionFault(PositionFault) {}
};

} // namespace

TreePreviewFolder previewFolder(TreeFolder folder, const RenameRules& rules)
{
    TreePreviewFolder out{std::move(folder), {}, {}};
    const QList<FileEntry>& files = out.folder.files;
    std::vector<PositionFaults> faults(size_t(files.size()));
    out.newNames.reserve(files.size());
    for (qsizetype i = 0; i < files.size(); ++i)
        out.newNames.append(
            FileEntry{newNameOf(files[i].name, rules, faults[size_t(i)], SkipFailedEdits{}), {}});
    out.predictions.reserve(size_t(files.size()));
    predictOutcomes(out.folder.names, files, out.newNames, faults,
                    [&](qsizetype, const Prediction& p) { out.predictions.push_back(p); });
    return out;
}

bool proceedTree(const RenameRules& rules, const QString& root, const QList<TreeRunFolder>& folders,
                 const RenameServices& services, const std::function<bool(FileOutcome)>& after)
{
    RenameOperation rename(services, RenameOperation::Kind::Proceed, root, true);
    for (const TreeRunFolder& folder : folders) {
        const QString path = folder.relative == u"." ? root : joinPath(root, folder.relative);
        const bool folds = folder.foldsCase;
        rename.enterFolder(
            path, folder.files.size(), [folds] { return folds; }, folder.relative);
        if (!proceedFiles(rules, folder.files, rename, after))
            break;
    }
    return rename.madeHistoryEntry();
}

} // namespace tessaly
