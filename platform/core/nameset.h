#pragma once

#include <QString>
#include <QStringView>
#include <vector>

namespace tessaly {

// A set of names in insertion order, for sets of a whole folder that are asked once per name
// on every keystroke. It refers to names it does not own: they must outlive the set (strings
// shared by copies of a QString stay put, so a list of them may be copied or moved).
//
// Its table holds four bytes a slot: the name's index and as many bits of its hash as the
// index leaves room for. A lookup touches one slot, or a few side by side, and looks at a name
// only when those bits match; unlike a hash of strings, which compares with the strings it
// meets on the way, it stays fast when a folder's names no longer fit the processor's caches,
// and a lookup can be prefetched.
class NameSet {
public:
    // The hash a lookup of `name` needs; computed once, it serves several sets.
    static size_t hashOf(QStringView name);

    void reserve(qsizetype count);
    qsizetype size() const { return qsizetype(m_names.size()); }
    QStringView at(qsizetype index) const { return m_names[size_t(index)]; }
    // The index of `name`, or -1 when the set does not hold it.
    qsizetype indexOf(QStringView name) const { return indexOf(name, hashOf(name)); }
    qsizetype indexOf(QStringView name, size_t hash) const;
    bool contains(QStringView name) const { return indexOf(name) >= 0; }
    // Adds `name` unless the set holds it; false when it did.
    bool insert(QStringView name) { return insert(name, hashOf(name)); }
    bool insert(QStringView name, size_t hash);
    // Lets the name at `index` refer to `name`, an equal text held elsewhere.
    void referTo(qsizetype index, QStringView name) { m_names[size_t(index)] = name; }
    // Starts loading the slot where a lookup of this hash begins. (g++ 12 drops a prefetch
    // behind a test in an inline member, so the table is never empty instead.)
    void prefetch(size_t hash) const
    {
        __builtin_prefetch(m_slots.data() + (hash & (m_slots.size() - 1)));
    }

private:
    quint32 checkOf(size_t hash) const;
    // The slot holding `name`, or the empty slot where it belongs.
    size_t find(QStringView name, size_t hash) const;
    void grow(qsizetype count);

    std::vector<quint32> m_slots = std::vector<quint32>(16); // a power of two in size, at most
                                                             // half full; 0 is an empty slot
    int m_indexBits = 4; // the low bits of a slot: the name's index + 1
    std::vector<QStringView> m_names;
};

} // namespace tessaly
