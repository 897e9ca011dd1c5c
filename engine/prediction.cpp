#include "engine/prediction.h"

#include "core/secondthread.h"

namespace tessaly {

PredictionWords::PredictionWords(const RenameRules& rules)
    : m_range(QStringLiteral("Position range ") + QString::number(rules.rangeFrom) +
              QStringLiteral(" to ") + QString::number(rules.rangeTo) +
              QStringLiteral(" does not fit this name")),
      m_insert(QStringLiteral("Position index ") + QString::number(rules.insertPos) +
               QStringLiteral(" does not fit this name"))
{
}

QString PredictionWords::explain(const Prediction& prediction) const
{
    QString text;
    const auto add = [&text](const QString& line) {
        text = text.isEmpty() ? line : text + u'\n' + line;
    };
    if (prediction.positions.range)
        add(m_range);
    if (prediction.positions.insert)
        add(m_insert);
    switch (prediction.outcome) {
    case Prediction::NameExists:
        add(QStringLiteral("A file named \"") + prediction.existing +
            QStringLiteral("\" already exists"));
        break;
    case Prediction::NameGivenTwice:
        add(QStringLiteral("Two chosen files would get this name"));
        break;
    case Prediction::BadName:
        add(QStringLiteral("Not a valid file name"));
        break;
    case Prediction::Renamed:
        if (prediction.hidesFile)
            add(QStringLiteral("The file will be hidden: its name begins with a dot"));
        break;
    case Prediction::LeftAlone:
        break;
    }
    return text;
}

namespace {

// What can be told of a file from its own names, before the names taken matter.
struct FirstLook {
    Prediction::Outcome outcome = Prediction::LeftAlone; // or BadName, or Renamed if free
    bool exact = false;                                  // the new name is its own exact name
    size_t hash = 0;                                     // of the new name's key, for the lookups
};

class Predictor {
public:
    Predictor(const FolderNames& folder, const QList<FileEntry>& chosen)
        : m_folder(folder), m_chosen(chosen)
    {
        m_given.reserve(chosen.size());
        m_renamedAway.reserve(size_t(chosen.size()));
    }

    // Looks at file `i`. It only reads the file's own texts, so the files can be looked at from
    // two threads while nothing else runs.
    FirstLook look(qsizetype i, const QString& newName) const
    {
        FirstLook look;
        if (leavesAlone(m_chosen[i].name, newName))
            return look;
        const NewNameCheck check = checkNewName(newName);
        look.outcome = check.valid ? Prediction::Renamed : Prediction::BadName;
        if (!check.valid)
            return look;
        look.exact = check.exact;
        QString own;
        look.hash = NameSet::hashOf(keyOf(newName, look.exact, own));
        return look;
    }
    // Starts loading the slots the lookups of a file that is renamed will read.
    void prefetch(const FirstLook& look) const
    {
        if (look.outcome != Prediction::Renamed)
            return;
        m_folder.prefetch(look.hash);
        m_given.prefetch(look.hash);
    }
    Prediction next(qsizetype i, const QString& newName, const FirstLook& look,
                    PositionFaults positions);

private:
    // The key of a name in the folder, as a view of the name itself where it is its own key
    // (the common case: no string is copied), else of `own`, which is set to the key.
    QStringView keyOf(const QString& text, bool exact, QString& own) const
    {
        if (exact && !m_folder.foldsCase())
            return text;
        own = m_folder.key(exact ? text : exactName(text));
        return own;
    }
    QStringView oldKeyOf(qsizetype i, QString& own) const
    {
        const FileEntry& old = m_chosen[i];
        if (!old.notUtf8)
            return keyOf(old.name, true, own); // a name read as UTF-8 is its exact name
        own = m_folder.key(exactName(old));
        return own;
    }
    bool freed(qsizetype entry);
    void renamedAway(qsizetype i);

    const FolderNames& m_folder;
    const QList<FileEntry>& m_chosen;
    NameSet m_given;          // the keys of the new names given so far
    QList<QString> m_ownKeys; // those of them that are strings of their own, not a line's text
    // Which of the folder's entries are renamed away matters only once a new name is found in
    // the folder: until then the files renamed are only listed.
    std::vector<qsizetype> m_renamedAway;
    std::vector<bool> m_freed; // by the folder's index, once needed
};

bool Predictor::freed(qsizetype entry)
{
    if (m_freed.empty()) {
        m_freed.assign(size_t(m_folder.size()), false);
        for (const qsizetype i : m_renamedAway)
            renamedAway(i);
        m_renamedAway = {};
    }
    return m_freed[size_t(entry)];
}

void Predictor::renamedAway(qsizetype i)
{
    if (m_freed.empty()) {
        m_renamedAway.push_back(i);
        return;
    }
    QString own;
    const qsizetype entry = m_folder.indexOf(oldKeyOf(i, own));
    if (entry >= 0)
        m_freed[size_t(entry)] = true;
}

Prediction Predictor::next(qsizetype i, const QString& newName, const FirstLook& look,
                           PositionFaults positions)
{
    Prediction p{look.outcome, positions, {}};
    if (look.outcome != Prediction::Renamed)
        return p;
    QString ownKey;
    QString ownOldKey;
    const QStringView key = keyOf(newName, look.exact, ownKey);
    if (key == oldKeyOf(i, ownOldKey)) {
        // Another spelling of its own name, on a folder that folds case, is a rename of the
        // file itself; the very same bytes are not.
        if (exactName(newName) == exactName(m_chosen[i])) {
            p.outcome = Prediction::NameExists;
            p.existing = m_folder.spelling(m_folder.indexOf(key, look.hash));
            return p;
        }
    } else if (const qsizetype taken = m_folder.indexOf(key, look.hash);
               taken >= 0 && !freed(taken)) {
        p.outcome = Prediction::NameExists;
        p.existing = m_folder.spelling(taken);
        return p;
    }
    // The set refers to the key's characters: the line's own, or a string kept here.
    const bool ownString = !ownKey.isNull();
    if (ownString)
        m_ownKeys.append(ownKey);
    if (!m_given.insert(ownString ? QStringView(m_ownKeys.constLast()) : key, look.hash)) {
        if (ownString)
            m_ownKeys.removeLast();
        p.outcome = Prediction::NameGivenTwice;
        return p;
    }
    renamedAway(i);
    p.hidesFile = newName.startsWith(u'.'); // never "." or "..": those are no renames
    return p;
}

} // namespace

void predictOutcomes(const FolderNames& folder, const QList<FileEntry>& chosen,
                     const QList<FileEntry>& lines, const std::vector<PositionFaults>& positions,
                     const std::function<void(qsizetype file, const Prediction&)>& outcome)
{
    Predictor predictor(folder, chosen);
    const qsizetype count = chosen.size();
    // First every file is looked at, which needs no other file, in two halves side by side.
    std::vector<FirstLook> looks(static_cast<size_t>(count));
    inTwoHalves(count, [&](qsizetype from, qsizetype to) {
        for (qsizetype i = from; i < to; ++i)
            looks[size_t(i)] = predictor.look(i, lines[i].name);
    });
    // Then the files in order. Each file's slots are loaded a few files ahead, so that they are
    // there by the time its lookups need them: the tables of a large folder are out of the
    // processor's caches, and waiting for each lookup in turn would take most of the time.
    constexpr qsizetype ahead = 8;
    for (qsizetype i = 0; i < std::min(ahead, count); ++i)
        predictor.prefetch(looks[size_t(i)]);
    for (qsizetype i = 0; i < count; ++i) {
        if (const qsizetype later = i + ahead; later < count)
            predictor.prefetch(looks[size_t(later)]);
        outcome(i, predictor.next(i, lines[i].name, looks[size_t(i)], positions[size_t(i)]));
    }
}

} // namespace tessaly
