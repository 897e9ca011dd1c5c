#include "core/nameset.h"

#include <QHashFunctions>

namespace tessaly {

size_t NameSet::hashOf(QStringView name)
{
    // The process's random seed keeps crafted names from piling up in one place.
    return qHash(name, QHashSeed::globalSeed());
}

quint32 NameSet::checkOf(size_t hash) const
{
    // The top bits: the slot's place comes from the bottom ones.
    return quint32(quint64(hash) >> (64 - (32 - m_indexBits)));
}

size_t NameSet::find(QStringView name, size_t hash) const
{
    const size_t mask = m_slots.size() - 1;
    const quint32 check = checkOf(hash);
    const quint32 indexMask = (quint32(1) << m_indexBits) - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        const quint32 slot = m_slots[i];
        if (slot == 0 ||
            ((slot >> m_indexBits) == check && m_names[(slot & indexMask) - 1] == name))
            return i;
    }
}

void NameSet::grow(qsizetype count)
{
    size_t wanted = 16;
    int bits = 4;
    while (wanted < size_t(count) * 2) {
        wanted *= 2;
        ++bits;
    }
    if (wanted <= m_slots.size())
        return;
    m_slots.assign(wanted, 0);
    m_indexBits = bits; // an index + 1 stays below half the slots
    const size_t mask = wanted - 1;
    for (size_t n = 0; n < m_names.size(); ++n) {
        const size_t hash = hashOf(m_names[n]);
        size_t i = hash & mask;
        while (m_slots[i] != 0)
            i = (i + 1) & mask;
        m_slots[i] = (checkOf(hash) << m_indexBits) | quint32(n + 1);
    }
}

void NameSet::reserve(qsizetype count)
{
    grow(count);
    m_names.reserve(size_t(count));
}

qsizetype NameSet::indexOf(QStringView name, size_t hash) const
{
    const quint32 slot = m_slots[find(name, hash)];
    return qsizetype(slot & ((quint32(1) << m_indexBits) - 1)) - 1;
}

bool NameSet::insert(QStringView name, size_t hash)
{
    if ((m_names.size() + 1) * 2 > m_slots.size())
        grow(qsizetype(m_names.size()) + 1);
    quint32& slot = m_slots[find(name, hash)];
    if (slot != 0)
        return false;
    m_names.push_back(name);
    slot = (checkOf(hash) << m_indexBits) | quint32(m_names.size());
    return true;
}

} // namespace tessaly
