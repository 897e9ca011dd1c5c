#pragma once

class QAbstractItemView;

namespace tessaly {

// What the lists of names share beyond their kind.

// Lets the rows of a list that are cut off at its edge show their whole text as a tooltip,
// followed by the row's own tooltip where it has one. A row that shows whole keeps what the
// list gave it: its own tooltip, else the list's. Whether a row is cut off is measured only as
// it is pointed at, so filling a list costs nothing per row.
void showCutOffRowsWhole(QAbstractItemView& view);

// Keeps two lists of rows of one height on the same first visible row, whichever scrolls. A
// list laid out anew (refilled, or its rows counted again) takes the other's place, so a list
// that is refilled follows the one beside it rather than pulling it back to its start.
void scrollTogether(QAbstractItemView& first, QAbstractItemView& second);

} // namespace tessaly
