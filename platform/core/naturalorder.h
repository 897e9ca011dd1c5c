#pragma once

#include "core/filesystem.h"

#include <QStringList>
#include <vector>

namespace tessaly {

// Sorts names the way people read them: without regard to case, numbers by their value
// ("Track 2" before "Track 10"), in the system's language, or English where the system
// has none (the C locale would silently turn the numeric order off).
void sortNatural(QStringList& names);
// The order in which entries read so: place i takes entry order[i].
std::vector<qsizetype> naturalOrderOf(const QList<FileEntry>& entries);

} // namespace tessaly
