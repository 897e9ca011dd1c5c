#pragma once

#include "engine/nameedit.h"

#include <QString>

// The rename rules: their settings, their edits and a file's new name from them. Adding a rule
// means its fields in RenameRules (and deepCopy), its edit, its place in newNameOf, and a row in
// the window's rule panel.

namespace tessaly {

// The rule settings of one run, read afresh from the rule controls each time.
struct RenameRules {
    bool rangeOn = false;
    qint16 rangeFrom = 0;
    qint16 rangeTo = 0;
    QString rangeWith;
    bool replaceOn = false;
    QString replaceFind;
    QString replaceWith;
    bool eraseOn = false;
    QString eraseText;
    bool allMatches = false;
    bool insertOn = false;
    QString insertText;
    qint16 insertPos = 0;
    bool capitalizeOn = false;
    bool upperSuffixOn = false;
    bool lowerSuffixOn = false;

    // A copy that shares no text with this one, for a second thread: two threads copying the
    // same strings would fight over their reference counts. Every text field is copied here.
    RenameRules deepCopy() const;
};

// A position rule whose positions do not fit a name: the rule then leaves the name alone.
enum class PositionFault : quint8 { Range, Insert };

// Which position checks failed for one file.
struct PositionFaults {
    bool range = false;
    bool insert = false;

    void note(PositionFault fault)
    {
        range = range || fault == PositionFault::Range;
        insert = insert || fault == PositionFault::Insert;
    }
};

// The log line of a position fault ("Invalid position range: 5 to 3").
QString positionFaultLine(PositionFault fault, const RenameRules& rules);

// Each rule's edit of a name in place. A position rule returns false where its positions do not
// fit the name, which it then leaves as it was. An edit that fails throws RunTimeError 5 or 6
// and leaves the name as it was.
namespace edits {
inline bool range(QString& name, const RenameRules& rules)
{
    if (rules.rangeFrom < 1 || rules.rangeFrom > rules.rangeTo || rules.rangeTo > name.size())
        return false;
    name = ReplaceRange(name, rules.rangeFrom, rules.rangeTo, rules.rangeWith);
    return true;
}
inline void replace(QString& name, const RenameRules& rules)
{
    name = ReplaceText(name, rules.replaceFind, rules.replaceWith, rules.allMatches ? -1 : 0);
}
inline void erase(QString& name, const RenameRules& rules)
{
    name = ReplaceText(name, rules.eraseText, QString(), rules.allMatches ? -1 : 0);
}
inline bool insert(QString& name, const RenameRules& rules)
{
    if (rules.insertPos < 0 || rules.insertPos > name.size())
        return false;
    name = InsertAfter(name, rules.insertPos, rules.insertText);
    return true;
}
inline void capitalize(QString& name, const RenameRules&)
{
    capitalizeWordsInPlace(name);
}
inline void upperSuffix(QString& name, const RenameRules&)
{
    upperSuffixInPlace(name);
}
inline void lowerSuffix(QString& name, const RenameRules&)
{
    lowerSuffixInPlace(name);
}
} // namespace edits

// Runs each edit as it is: a failing edit throws.
struct EachEdit {
    template <typename Edit> void run(Edit&& edit) { edit(); }
    void positionFault(PositionFault) {}
};

// A file's new name: the rules that are on, applied to its old name in their order. The
// position faults found are noted in `faults`. Each rule's edit runs through steps.run(edit),
// which may run it again or skip it (a skipped edit leaves the name as it was), and
// steps.positionFault(fault) hears of a fault as the rule finds it, in its place among the
// edits (a run logs it there).
template <typename Steps>
QString newNameOf(const QString& oldName, const RenameRules& rules, PositionFaults& faults,
                  Steps&& steps)
{
    QString name = oldName;
    const auto fits = [&](bool fit, PositionFault fault) {
        if (!fit) {
            faults.note(fault);
            steps.positionFault(fault);
        }
    };
    // The fixed order: each rule works on the result of those before it, so the range rule and
    // its check see the name as it was, and the insert check sees it after range, replace and
    // erase.
    if (rules.rangeOn)
        steps.run([&] { fits(edits::range(name, rules), PositionFault::Range); });
    if (rules.replaceOn)
        steps.run([&] { edits::replace(name, rules); });
    if (rules.eraseOn)
        steps.run([&] { edits::erase(name, rules); });
    if (rules.insertOn)
        steps.run([&] { fits(edits::insert(name, rules), PositionFault::Insert); });
    if (rules.capitalizeOn)
        steps.run([&] { edits::capitalize(name, rules); });
    if (rules.upperSuffixOn)
        steps.run([&] { edits::upperSuffix(name, rules); });
    if (rules.lowerSuffixOn)
        steps.run([&] { edits::lowerSuffix(name, rules); });
    return name;
}

inline QString newNameOf(const QString& oldName, const RenameRules& rules, PositionFaults& faults)
{
    return newNameOf(oldName, rules, faults, EachEdit{});
}

} // namespace tessaly
