#pragma once

#include <QString>

namespace tessaly {

// The name edits of the rename rules. Pure functions; positions count UTF-16 code units from 1.
// They throw RunTimeError 5 (a negative count or a start below 1) and 6 (16-bit overflow).

// Replaces the first match of `find` (every match when `all` is non-zero), ignoring case.
QString ReplaceText(const QString& text, const QString& find, const QString& replacement,
                    qint16 all);
// The first from - 1 characters, the replacement, then everything from position to + 1.
QString ReplaceRange(const QString& text, qint16 from, qint16 to, const QString& replacement);
// The first n characters, the insertion, then everything from position n + 1.
QString InsertAfter(const QString& text, qint16 n, const QString& insertion);
// First character upper case; word characters after a separator upper case, the others lower.
QString CapitalizeWords(const QString& text);
// Everything after the last "." in upper / lower case; unchanged without a ".".
QString UpperSuffix(const QString& text);
QString LowerSuffix(const QString& text);

// The three case edits applied to `text` itself, for a caller that owns it: no copy unless it
// is shared. A failure leaves `text` unchanged.
void capitalizeWordsInPlace(QString& text);
void upperSuffixInPlace(QString& text);
void lowerSuffixInPlace(QString& text);

// The first match at `from` or later of an all-ASCII search text, given in lower case, without
// regard to case; -1 if none.
qsizetype indexOfAsciiCaseless(QStringView text, QStringView lowerFind, qsizetype from);

} // namespace tessaly
