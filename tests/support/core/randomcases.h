#pragma once

#include <cstddef>
#include <functional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <random>

namespace tessaly::test {

// Pieces of names and rule texts: case variants, a letter whose upper case is itself, accents
// precomposed and combining, emoji, right-to-left letters, separators and dots.
inline const char* const namePieces[] = {"a", "A", "b",      "B",   "_",   " ", "-",       ".",
                                         "1", "2", "é",      "É",   "ß",   "😀", "e\u0301", "\u05d0",
                                         "ω", "Ω", "\u200f", "mp3", "MP3", "'"};

class Random {
public:
    explicit Random(quint64 seed) : m_engine(seed) {}
    int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_engine); }
    bool chance(double p) { return std::bernoulli_distribution(p)(m_engine); }
    template <typename T, std::size_t N> const T& pick(const T (&items)[N])
    {
        return items[below(int(N))];
    }
    // Up to `most` of the name pieces.
    QString pieceText(int most)
    {
        QString out;
        for (int n = below(most + 1); n > 0; --n)
            out += QString::fromUtf8(pick(namePieces));
        return out;
    }

private:
    std::mt19937_64 m_engine;
};

// Runs the random cases of a property test: `runCase` gets the seed of one case, returns what
// went wrong (empty when nothing did) and describes the case. The cases' seeds come from one
// seed, printed so that a failure can be repeated: TESSALY_PROPERTY_SEED repeats a run,
// TESSALY_PROPERTY_CASES sets the number of cases (`cases` when unset) and
// TESSALY_PROPERTY_ONLY runs one case of the seed. Stops after three failing cases. Returns
// the number of cases run.
int runCases(int cases,
             const std::function<QStringList(quint64 seed, QString& description)>& runCase);

// A file name for a test's messages: its text, with its bytes where they are not UTF-8.
QString shown(const QByteArray& name);

} // namespace tessaly::test
