#include "controls/listbox.h"
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

// Marks for the first rows: each a colour, an icon and a tooltip ("" for none).
struct Mark {
    RowMark::Colour colour = RowMark::NormalText;
    RowMark::Icon icon = RowMark::NoIcon;
    const char* toolTip = "";
};
RowMarks marks(std::initializer_list<Mark> rows)
{
    RowMarks out;
    for (const Mark& m : rows)
        out.append({m.colour, m.icon}, QString::fromUtf8(m.toolTip));
    return out;
}

Mark warning(const char* tip)
{
    return {RowMark::WarningText, RowMark::WarningIcon, tip};
}

} // namespace

TEST(ListMarks, MarksStayWithTheirRowsThroughEveryChange)
{
    for (const NameListModel::Rows rows : {NameListModel::Names, NameListModel::Lines}) {
        SCOPED_TRACE(rows == NameListModel::Lines ? "lines" : "names");
        ListBox list(nullptr, rows);
        list.setEntries(entries({"a", "b", "c", "d"}));
        EXPECT_EQ(shown(list), (QStringList{"a", "b", "c", "d"}));
        int changed = 0;
        QObject::connect(list.model(), &QAbstractItemModel::dataChanged, [&] { ++changed; });
        list.setMarks(marks({{RowMark::MutedText, RowMark::NoIcon},
                             warning("no"),
                             {},
                             {RowMark::NormalText, RowMark::NoticeIcon, "n"}}));
        EXPECT_EQ(changed, 1) << "one update for all rows";
        EXPECT_EQ(shown(list), (QStringList{"a~", "b*![no]", "c", "d![n]"}));

        list.AddItem(QStringLiteral("e"));
        list.AddItems(entries({"f", "g"}));
        EXPECT_EQ(shown(list), (QStringList{"a~", "b*![no]", "c", "d![n]", "e", "f", "g"}));
        list.RemoveItem(0);
        EXPECT_EQ(shown(list), (QStringList{"b*![no]", "c", "d![n]", "e", "f", "g"}));
        list.keepEntries({true, false, true, false, true, true});
        EXPECT_EQ(shown(list), (QStringList{"b*![no]", "d![n]", "f", "g"}));

        list.setMarks(marks({warning("x")})); // the first rows only; the rest carry none
        EXPECT_EQ(shown(list), (QStringList{"b*![x]", "d", "f", "g"}));
        list.Clear();
        list.AddItems(entries({"h"}));
        EXPECT_EQ(shown(list), QStringList{"h"}) << "new rows carry no marks";
    }
}

TEST(ListLines, EveryLineReadsBackExactlyThroughEveryChange)
{
    // Lines of every kind of text, a lone surrogate (a name that is not UTF-8) included.
    const QStringList kinds = {QStringLiteral("File \"a_b.mp3\" renamed to \"A B.mp3\""),
                               QString::fromUtf8("Ärzte – Straße ♪ 東京 😀"), QString(),
                               QString(QChar(0xDC80)) + QStringLiteral("x") + QChar(0xD83D),
                               QString(300, u'Ω')};
    QStringList expected;
    ListBox list(nullptr, NameListModel::Lines);
    for (int chunk = 0; chunk < 3; ++chunk) {
        TextLines lines;
        for (int i = 0; i < 7; ++i) {
            const QString kind = kinds[(chunk * 7 + i) % kinds.size()];
            const QString n = QString::number(i);
            if (i % 2 && isExactName(kind)) { // UTF-8 pieces, as a run gives its "renamed to" lines
                const QByteArray k = kind.toUtf8(), m = n.toUtf8();
                const QByteArrayView pieces[] = {"File \"", k, "\" to \"", m, "\""};
                lines.appendUtf8(pieces);
                expected.append(QStringLiteral("File \"") + kind + QStringLiteral("\" to \"") + n +
                                u'"');
            } else {
                lines.append(kind + n);
                expected.append(kind + n);
            }
        }
        list.AddItems(std::move(lines));
    }
    list.AddItem(kinds[3]);
    expected.append(kinds[3]);
    ASSERT_EQ(list.texts(), expected);

    std::vector<bool> keep(size_t(expected.size()));
    QStringList kept;
    for (qsizetype i = 0; i < expected.size(); ++i)
        if ((keep[size_t(i)] = i % 3 != 1))
            kept.append(expected[i]);
    list.keepEntries(keep);
    list.RemoveItem(2);
    kept.removeAt(2);
    EXPECT_EQ(list.texts(), kept);
    EXPECT_EQ(shown(list), kept);
    EXPECT_EQ(list.List(kept.size() - 1), kinds[3]);
    EXPECT_TRUE(list.entries().isEmpty()) << "a list of lines keeps texts only";
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
        list.setMarks(marks({{}, warning("why")}));
        EXPECT_EQ(list.sizeHintForRow(1), list.sizeHintForRow(0));
        ListBox plain; // a list without marks, as the chosen list beside the preview
        plain.setFont(font);
        plain.setEntries(entries({"plain"}));
        EXPECT_EQ(plain.sizeHintForRow(0), list.sizeHintForRow(1));
    }
}
