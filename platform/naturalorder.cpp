#include "naturalorder.h"

#include <algorithm>
#include <numeric>
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

// Indexes of `names` in natural order; names the collator deems equal keep a fixed order
// by their code units, so the same folder always lists the same way.
template <typename NameOf> std::vector<qsizetype> naturalOrder(qsizetype count, NameOf nameOf)
{
    const QCollator collator = makeCollator();
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
