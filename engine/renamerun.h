#pragma once

#include "core/names.h"
#include "engine/errorreport.h"
#include "engine/renameoperation.h"
#include "engine/renamerules.h"

#include <functional>
#include <QList>
#include <QString>

// Steps 9 to 21 of the rename run: the rules applied to every chosen file, in order, for a
// PREVIEW's lines or a PROCEED's renames.

namespace tessaly {

enum class RunMode : qint16 { Proceed = 0, Preview = 1 };

// Where a PREVIEW's lines go.
struct PreviewSinks {
    std::function<void(const QString&)> line; // one per chosen file
    // Optional: right after each line, the position checks that failed for its file.
    std::function<void(PositionFaults)> faults = {};
};

// A PREVIEW: a line per chosen entry, its new name.
void previewFiles(const RenameRules& rules, const QList<FileEntry>& chosen,
                  const PreviewSinks& sinks, RunErrorReport& report);

// A PROCEED: each chosen entry renamed to its new name through `rename`, whose log also takes
// the lines of position faults and whose report shows every failure. `outcome`, optional,
// hears what became of each entry, in order.
void proceedFiles(const RenameRules& rules, const QList<FileEntry>& chosen, RenameOperation& rename,
                  const std::function<void(FileOutcome)>& outcome = {});

} // namespace tessaly
