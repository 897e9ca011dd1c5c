#include "core/naturalorder.h"

#include "core/secondthread.h"
#include "core/userlocale.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <numeric>
#include <QCollator>
#include <QtEndian>
#include <string_view>
#include <vector>

namespace tessaly {

namespace {

QCollator makeCollator()
{
    QCollator c(userLocale());
    c.setNumericMode(true);
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
}

// Full collation: a sort key per name. Names the collator deems equal keep a fixed order by
// their code units, so the same folder always lists the same way.
template <typename NameOf>
std::vector<qsizetype> collatorOrder(const QCollator& collator, qsizetype count, NameOf nameOf)
{
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i)
        keys.push_back(collator.sortKey(nameOf(i)));
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        const int c = keys[size_t(a)].compare(keys[size_t(b)]);
        return c != 0 ? c < 0 : nameOf(a) < nameOf(b);
    });
    return order;
}

// The collator's weights for the characters most names are made of: printable ASCII and the
// Latin letters that are a base letter with one accent. Taken from the collator itself, so they
// follow the system's language. A name with any other character is sorted by full collation.
class Weights {
public:
    static constexpr char16_t Last = 0x17F;
    static constexpr quint16 Unknown = 0;
    // The collator reads longer runs of digits as several numbers.
    static constexpr qsizetype MaxDigits = 200;

    explicit Weights(const QCollator& c)
    {
        std::vector<char16_t> chars;
        for (char16_t u = 0x20; u <= Last; ++u)
            if (u < 0x7F || (u >= 0xC0 && QChar(u).decompositionTag() == QChar::Canonical &&
                             QChar(u).decomposition().size() == 2 && QChar(u).isLetter()))
                chars.push_back(u);
        auto s = [](char16_t u) { return QString(QChar(u)); };
        // x and y share a primary weight when x+"z" sorts after y+"a" and y+"z" after x+"a".
        auto primaryLess = [&](char16_t x, char16_t y) {
            return c.compare(s(x) + u'z', s(y) + u'a') < 0;
        };
        std::stable_sort(chars.begin(), chars.end(), primaryLess);
        quint16 rank = 0;
        for (size_t i = 0; i < chars.size(); ++i) {
            if (i == 0 || primaryLess(chars[i - 1], chars[i]))
                ++rank;
            m_primary[chars[i]] = rank;
        }
        // Within a primary weight, the accents: the single characters compared.
        for (size_t i = 0; i < chars.size();) {
            size_t end = i;
            while (end < chars.size() && m_primary[chars[end]] == m_primary[chars[i]])
                ++end;
            std::stable_sort(chars.begin() + i, chars.begin() + end,
                             [&](char16_t x, char16_t y) { return c.compare(s(x), s(y)) < 0; });
            quint16 second = 0;
            for (size_t k = i; k < end; ++k) {
                if (k == i || c.compare(s(chars[k - 1]), s(chars[k])) < 0)
                    ++second;
                m_secondary[chars[k]] = second;
            }
            i = end;
        }
        m_digit = m_primary[u'0'];
    }

    // The most units the key of a name of `size` units can take: one a character, and two
    // more a run of digits, of which there is at most one in two characters.
    static size_t mostKeyUnits(qsizetype size) { return size_t(size) + size_t(size + 1) / 2 * 2; }

    // Writes the primary key of a name at `out`, which has room for mostKeyUnits of it: its
    // characters' weights, each run of digits as the digit weight, the count of its digits
    // without leading zeros, then the digits (numbers compare by value). Every unit is at
    // least 1. Returns the end of the key, or null when the name has a character without a
    // known weight, or a run of digits longer than the collator reads as one number.
    char16_t* writePrimaryKey(QStringView name, char16_t* out) const
    {
        const char16_t* u = name.utf16();
        const qsizetype n = name.size();
        for (qsizetype i = 0; i < n;) {
            const char16_t c = u[i];
            if (c >= '0' && c <= '9') {
                qsizetype j = i;
                while (j < n && u[j] >= u'0' && u[j] <= u'9')
                    ++j;
                if (j - i > MaxDigits)
                    return nullptr;
                qsizetype first = i;
                while (first < j - 1 && u[first] == u'0')
                    ++first;
                *out++ = m_digit;
                *out++ = char16_t(j - first);
                for (qsizetype k = first; k < j; ++k)
                    *out++ = char16_t(u[k] - '0' + 1);
                i = j;
                continue;
            }
            if (c > Last || m_primary[c] == Unknown)
                return nullptr;
            *out++ = m_primary[c];
            ++i;
        }
        return out;
    }

    // Compares the accents of two names whose primary keys are equal.
    int compareSecondary(QStringView a, QStringView b) const
    {
        auto accents = [&](QStringView n) {
            std::u16string out;
            for (const QChar ch : n)
                if (!(ch >= u'0' && ch <= u'9'))
                    out.push_back(m_secondary[ch.unicode()]);
            return out;
        };
        return accents(a).compare(accents(b));
    }

private:
    std::array<quint16, Last + 1> m_primary{};
    std::array<quint16, Last + 1> m_secondary{};
    quint16 m_digit = 0;
};

// Compares two runs of units as texts do, the first unequal unit deciding, then the length.
// Four units at a time: the first byte that differs, in memory order, is in the unit that
// decides.
int compareUnits(const char16_t* a, size_t na, const char16_t* b, size_t nb)
{
    const size_t n = std::min(na, nb);
    size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        quint64 x, y;
        std::memcpy(&x, a + i, 8);
        std::memcpy(&y, b + i, 8);
        if (x != y) {
            const size_t bit = size_t(std::countr_zero(qToLittleEndian(x) ^ qToLittleEndian(y)));
            i += bit / 16;
            return a[i] < b[i] ? -1 : 1;
        }
    }
    for (; i < n; ++i)
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    return na == nb ? 0 : na < nb ? -1 : 1;
}

// The primary keys of a list of names, side by side in one buffer, with the first four units
// of each packed into a number that decides most comparisons at once.
class PrimaryKeys {
public:
    // A name's place in the sort: the packed head of its key beside its index, so that most
    // comparisons read only the array being sorted.
    struct Ranked {
        quint64 head;
        qsizetype index;
    };

    // False when a name has no key of its own (see Weights::writePrimaryKey).
    template <typename NameOf> bool build(const Weights& weights, qsizetype count, NameOf nameOf)
    {
        // Room for the longest keys the names can have, of which the pages the keys do not
        // reach are never touched; the keys are written straight into it.
        size_t most = 0;
        for (qsizetype i = 0; i < count; ++i)
            most += Weights::mostKeyUnits(nameOf(i).size());
        m_units.reset(new char16_t[most]);
        m_starts.reserve(size_t(count) + 1);
        m_starts.push_back(0);
        char16_t* end = m_units.get();
        for (qsizetype i = 0; i < count; ++i) {
            end = weights.writePrimaryKey(nameOf(i), end);
            if (!end)
                return false;
            m_starts.push_back(quint32(end - m_units.get()));
        }
        return true;
    }

    std::vector<Ranked> ranked() const
    {
        std::vector<Ranked> out(m_starts.size() - 1);
        for (size_t i = 0; i < out.size(); ++i) {
            quint64 head = 0;
            for (quint32 k = m_starts[i]; k < m_starts[i] + 4; ++k)
                head = head << 16 | (k < m_starts[i + 1] ? m_units[k] : 0); // 0 sorts first
            out[i] = {head, qsizetype(i)};
        }
        return out;
    }

    int compare(const Ranked& a, const Ranked& b) const
    {
        if (a.head != b.head)
            return a.head < b.head ? -1 : 1;
        // Equal heads: the first four units are equal, and a key shorter than four has the
        // same length as the other (every unit is at least 1, padding is 0).
        const quint32 sa = m_starts[size_t(a.index)], ea = m_starts[size_t(a.index) + 1];
        const quint32 sb = m_starts[size_t(b.index)], eb = m_starts[size_t(b.index) + 1];
        const quint32 skip = std::min({ea - sa, eb - sb, quint32(4)});
        return compareUnits(m_units.get() + sa + skip, ea - sa - skip, m_units.get() + sb + skip,
                            eb - sb - skip);
    }

private:
    std::unique_ptr<char16_t[]> m_units;
    std::vector<quint32> m_starts;
};

// The order of the weights: primary keys, then accents, then code units, so that names equal
// to the collator keep a fixed order. Empty when a name has no key of its own. The comparison
// only reads, so both halves of a long list are sorted at the same time and then merged.
template <typename NameOf>
std::vector<qsizetype> weightOrder(const Weights& weights, qsizetype count, NameOf nameOf)
{
    PrimaryKeys keys;
    if (!keys.build(weights, count, nameOf))
        return {};
    using Ranked = PrimaryKeys::Ranked;
    std::vector<Ranked> ranked = keys.ranked();
    const auto less = [&](const Ranked& a, const Ranked& b) {
        if (const int c = keys.compare(a, b))
            return c < 0;
        if (const int c = weights.compareSecondary(nameOf(a.index), nameOf(b.index)))
            return c < 0;
        return nameOf(a.index) < nameOf(b.index);
    };
    const qsizetype middle = inTwoHalves(count, [&](qsizetype from, qsizetype to) {
        std::sort(ranked.begin() + from, ranked.begin() + to, less);
    });
    std::inplace_merge(ranked.begin(), ranked.begin() + middle, ranked.end(), less);
    std::vector<qsizetype> order(static_cast<size_t>(count));
    for (size_t i = 0; i < ranked.size(); ++i)
        order[i] = ranked[i].index;
    return order;
}

// Whether the weights give the collator's order, proved once for the system's language on every
// name of two characters: they hold every letter pair that a language sorts as one letter and
// every way it weighs accents (French of Canada compares them from the end), and digits next
// to letters and to digits.
bool weightsAgree(const QCollator& collator, const Weights& weights)
{
    QList<QString> chars;
    for (char16_t u = 0x20; u <= Weights::Last; ++u) {
        const QString c(QChar{u});
        char16_t key[3];
        if (weights.writePrimaryKey(c, key))
            chars.append(c);
    }
    QList<QString> names;
    names.reserve(chars.size() * chars.size());
    for (const QString& a : std::as_const(chars))
        for (const QString& b : std::as_const(chars))
            names.append(a + b);
    const auto nameOf = [&](qsizetype i) -> const QString& { return std::as_const(names)[i]; };
    const std::vector<qsizetype> order = weightOrder(weights, names.size(), nameOf);
    for (size_t i = 1; i < order.size(); ++i) {
        const QString& a = names[order[i - 1]];
        const QString& b = names[order[i]];
        const int c = collator.compare(a, b);
        if (c > 0 || (c == 0 && b < a))
            return false;
    }
    return !order.empty();
}

template <typename NameOf> std::vector<qsizetype> naturalOrder(qsizetype count, NameOf nameOf)
{
    static const QCollator collator = makeCollator();
    static const Weights weights(collator);
    // A language whose collator the weights do not follow (one with letter pairs that sort
    // as one letter, say) is sorted by the collator alone.
    static const bool agree = weightsAgree(collator, weights);

    std::vector<qsizetype> order;
    if (agree)
        order = weightOrder(weights, count, nameOf);
    if (order.empty() && count > 0)
        order = collatorOrder(collator, count, nameOf);
    return order;
}

template <typename List, typename NameOf> void applyOrder(List& list, NameOf nameOf)
{
    std::vector<qsizetype> order = naturalOrder(list.size(), nameOf);
    // In place, cycle by cycle: entry order[i] goes to place i. A list of a whole folder is
    // not copied.
    for (qsizetype i = 0; i < qsizetype(order.size()); ++i) {
        if (order[size_t(i)] == i)
            continue;
        auto held = std::move(list[i]);
        qsizetype to = i;
        for (qsizetype from = order[size_t(to)]; from != i; from = order[size_t(to)]) {
            list[to] = std::move(list[from]);
            order[size_t(to)] = to;
            to = from;
        }
        list[to] = std::move(held);
        order[size_t(to)] = to;
    }
}

} // namespace

void sortNatural(QStringList& names)
{
    applyOrder(names, [&](qsizetype i) -> const QString& { return std::as_const(names)[i]; });
}

std::vector<qsizetype> naturalOrderOf(const QList<FileEntry>& entries)
{
    return naturalOrder(entries.size(),
                        [&](qsizetype i) -> const QString& { return entries[i].name; });
}

} // namespace tessaly
