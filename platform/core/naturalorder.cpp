#include "naturalorder.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <optional>
#include <QCollator>
#include <QLocale>

namespace tessaly {

namespace {

QCollator makeCollator()
{
    QLocale locale = QLocale::system();
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator c(locale);
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

    explicit Weights(const QCollator& c)
    {
        std::vector<char16_t> chars;
        for (char16_t u = 0x20; u <= Last; ++u)
            if (u < 0x7F ||
                (u >= 0xC0 && QChar(u).decomposition().size() == 2 && QChar(u).isLetter()))
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

    // The primary key of a name: its characters' weights, each run of digits as the digit
    // weight, the count of its digits without leading zeros, then the digits (numbers compare by
    // value). Empty when the name has a character without a known weight.
    std::optional<std::u16string> primaryKey(QStringView name) const
    {
        std::u16string key;
        key.reserve(size_t(name.size()) + 4);
        for (qsizetype i = 0; i < name.size();) {
            const char16_t u = name[i].unicode();
            if (u >= '0' && u <= '9') {
                qsizetype j = i;
                while (j < name.size() && name[j] >= u'0' && name[j] <= u'9')
                    ++j;
                qsizetype first = i;
                while (first < j - 1 && name[first] == u'0')
                    ++first;
                key.push_back(m_digit);
                key.push_back(char16_t(j - first));
                for (qsizetype k = first; k < j; ++k)
                    key.push_back(char16_t(name[k].unicode() - '0' + 1));
                i = j;
                continue;
            }
            if (u > Last || m_primary[u] == Unknown)
                return std::nullopt;
            key.push_back(m_primary[u]);
            ++i;
        }
        return key;
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

template <typename NameOf> std::vector<qsizetype> naturalOrder(qsizetype count, NameOf nameOf)
{
    static const QCollator collator = makeCollator();
    static const Weights weights(collator);

    std::vector<std::u16string> keys;
    keys.reserve(size_t(count));
    for (qsizetype i = 0; i < count; ++i) {
        std::optional<std::u16string> k = weights.primaryKey(nameOf(i));
        if (!k)
            return collatorOrder(collator, count, nameOf);
        keys.push_back(std::move(*k));
    }
    std::vector<qsizetype> order(static_cast<size_t>(count));
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) {
        if (const int c = keys[size_t(a)].compare(keys[size_t(b)]))
            return c < 0;
        if (const int c = weights.compareSecondary(nameOf(a), nameOf(b)))
            return c < 0;
        return nameOf(a) < nameOf(b);
    });
    // The weights stand in for the collator; one pass proves that they gave its order (a
    // language with letter pairs that sort as one letter, for instance, fails here).
    for (size_t i = 1; i < order.size(); ++i) {
        const QString& a = nameOf(order[i - 1]);
        const QString& b = nameOf(order[i]);
        const int c = collator.compare(a, b);
        if (c > 0 || (c == 0 && b < a))
            return collatorOrder(collator, count, nameOf);
    }
    return order;
}

template <typename List, typename NameOf> void applyOrder(List& list, NameOf nameOf)
{
    const std::vector<qsizetype> order = naturalOrder(list.size(), nameOf);
    List sorted;
    sorted.reserve(list.size());
    for (qsizetype i : order)
        sorted.append(std::move(list[i]));
    list = std::move(sorted);
}

} // namespace

void sortNatural(QStringList& names)
{
    applyOrder(names, [&](qsizetype i) -> const QString& { return names[i]; });
}

void sortNatural(QList<FileEntry>& entries)
{
    applyOrder(entries, [&](qsizetype i) -> const QString& { return entries[i].name; });
}

} // namespace tessaly
