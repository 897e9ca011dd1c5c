#include "listbox.h"
#include "testsupport.h"

#include <QIcon>

using namespace tessaly;
using tessaly::test::entries;

namespace {

// Each row's text, with "*" for a row in the warning colour, "~" for a muted one, "!" for
// an icon and its tooltip in brackets.
QStringList shown(const ListBox& list)
{
    QStringList out;
    const QAbstractItemModel* model = list.model();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex i = model->index(row, 0);
        QString s = i.data().toString();
        const QVariant brush = i.data(Qt::ForegroundRole);
        if (brush.isValid())
            s += brush.value<QBrush>().color() == warningColour(list.palette()) ? u'*' : u'~';
        if (!i.data(Qt::DecorationRole).value<QIcon>().isNull())
            s += u'!';
        if (const QString tip = i.data(Qt::ToolTipRole).toString(); !tip.isEmpty())
            s += u'[' + tip + u']';
        out.append(s);
    }
    return out;
}

RowMark warning(const char* tip)
{
    return {RowMark::WarningText, RowMark::WarningIcon, QString::fromUtf8(tip)};
}

} // namespace

TEST(ListMarks, MarksStayWithTheirRowsThroughEveryChange)
{
    ListBox list;
    list.setEntries(entries({"a", "b", "c", "d"}));
    EXPECT_EQ(shown(list), (QStringList{"a", "b", "c", "d"}));
    int changed = 0;
    QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&] { ++changed; });
    list.setMarks({{RowMark::MutedText, RowMark::NoIcon, {}},
                   warning("no"),
                   {},
                   {RowMark::NormalText, RowMark::NoticeIcon, QStringLiteral("n")}});
    EXPECT_EQ(changed, 1) << "one update for all rows";
    EXPECT_EQ(shown(list), (QStringList{"a~", "b*![no]", "c", "d![n]"}));

    list.AddItem(QStringLiteral("e"));
    list.AddItems(entries({"f", "g"}));
    EXPECT_EQ(shown(list), (QStringList{"a~", "b*![no]", "c", "d![n]", "e", "f", "g"}));
    list.RemoveItem(0);
    EXPECT_EQ(shown(list), (QStringList{"b*![no]", "c", "d![n]", "e", "f", "g"}));
    list.keepEntries({true, false, true, false, true, true});
    EXPECT_EQ(shown(list), (QStringList{"b*![no]", "d![n]", "f", "g"}));

    list.setMarks({warning("x")}); // the first rows only; the rest carry none
    EXPECT_EQ(shown(list), (QStringList{"b*![x]", "d", "f", "g"}));
    list.Clear();
    list.AddItems(entries({"h"}));
    EXPECT_EQ(shown(list), QStringList{"h"}) << "new rows carry no marks";
}

TEST(ListMarks, AMarkedRowIsAsHighAsAPlainOne)
{
    // The preview's lines stay level with the files beside them only if an icon adds no height,
    // in every font size the window may get.
    for (const int pixels : {10, 13, 16, 26}) {
        SCOPED_TRACE(pixels);
        ListBox list;
        QFont font = list.font();
        font.setPixelSize(pixels);
        list.setFont(font);
        list.setUniformItemSizes(false); // each row's own height
        list.setEntries(entries({"plain", "marked"}));
        list.setMarks({{}, warning("why")});
        EXPECT_EQ(list.sizeHintForRow(1), list.sizeHintForRow(0));
        ListBox plain; // a list without marks, as the chosen list beside the preview
        plain.setFont(font);
        plain.setEntries(entries({"plain"}));
        EXPECT_EQ(plain.sizeHintForRow(0), list.sizeHintForRow(1));
    }
}
