#pragma once

#include "core/filesystem.h"
#include "engine/renameoperation.h"
#include "engine/renamerules.h"

#include <functional>
#include <QList>
#include <QString>
#include <vector>

namespace tessaly {

// What PROCEED would do with one chosen file.
struct Prediction {
    enum Outcome : quint8 {
        LeftAlone,      // the new name is the old one, empty or "."
        Renamed,        // the rename goes through
        NameExists,     // a file still there at that point of the run has the new name
        NameGivenTwice, // an earlier chosen file is renamed to it
        BadName,        // not a valid file name
    };
    Outcome outcome = LeftAlone;
    PositionFaults positions;
    QString existing;       // NameExists: that file's name, as the folder spells it
    bool hidesFile = false; // Renamed to a name that begins with ".", which file lists hide

    bool fails() const { return outcome >= NameExists; }
};

// A prediction's reasons in plain words, one a line. The texts that are the same for every
// file of a run are made once, so a run of many marked lines shares them.
class PredictionWords {
public:
    explicit PredictionWords(const RenameRules& rules);
    // Empty when there is nothing to say.
    QString explain(const Prediction& prediction) const;

private:
    QString m_range;
    QString m_insert;
};

// Predicts what PROCEED would do with each chosen file of one folder, in run order, exactly as
// the run would: `lines[i]` is the preview line the run computed for `chosen[i]` (its text is
// the new name) and `positions[i]` the position checks that failed for it. The names taken at
// each point are the folder's names as of its last read, less those renamed away so far, plus
// the new names given so far. Calls `outcome` once per file, in order.
void predictOutcomes(const FolderNames& folder, const QList<FileEntry>& chosen,
                     const QList<FileEntry>& lines, const std::vector<PositionFaults>& positions,
                     const std::function<void(qsizetype file, const Prediction&)>& outcome);

} // namespace tessaly
