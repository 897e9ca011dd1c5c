#include "engine/renamerules.h"

#include "engine/logtexts.h"

namespace tessaly {

RenameRules RenameRules::deepCopy() const
{
    RenameRules copy = *this;
    for (QString* text :
         {&copy.rangeWith, &copy.replaceFind, &copy.replaceWith, &copy.eraseText, &copy.insertText})
        *text = QString(text->constData(), text->size());
    return copy;
}

QString positionFaultLine(PositionFault fault, const RenameRules& rules)
{
    if (fault == PositionFault::Range)
        return LogLines::InvalidRange.text(QString::number(rules.rangeFrom),
                                           QString::number(rules.rangeTo));
    return LogLines::InvalidIndex.text(QString::number(rules.insertPos));
}

} // namespace tessaly
