#include <QAbstractItemModelTester>
#include <gtest/gtest.h>

#include "app/master_list.h"
#include "app/master_list_model.h"
#include "app/string_hash.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/list/rich_list_model.h"

namespace {

// master.txt text from descriptions, with a header and made-up part numbers.
QString MasterText(const QStringList& descriptions) {
    QString text = QStringLiteral("Part Number\tDescription\n");
    for (int i = 0; i < descriptions.size(); ++i)
        text += QStringLiteral("p%1\t%2\n").arg(i).arg(descriptions[i]);
    return text;
}

std::vector<CategoryNode> TreeOf(const QStringList& descriptions) {
    return BuildCategoryTree(ParseMasterList(MasterText(descriptions)).rows);
}

QStringList Repeat(const QString& text, int times) {
    QStringList lines;
    for (int i = 0; i < times; ++i)
        lines.append(text + QStringLiteral(" %1").arg(i));
    return lines;
}

const CategoryNode* Node(const std::vector<CategoryNode>& tree, const QString& text) {
    for (const CategoryNode& node : tree)
        if (node.text == text) return &node;
    return nullptr;
}

void Fill(RichListModel& model, const MasterListData& data) {
    model.AddColumn("Part Number");
    model.AddColumn("Description");
    model.AppendRows(data.rows);
}

} // namespace

TEST(MasterList, ReadsTheRealListWithItsNames) {
    std::optional<std::string> bytes = ReadFileBytes(ShippedData("master.txt"));
    ASSERT_TRUE(bytes);
    int progressCalls = 0;
    MasterListData data = ParseMasterList(DecodeText(*bytes), [&](int rows) {
        EXPECT_EQ(rows % 500, 0);
        ++progressCalls;
    });
    ASSERT_EQ(data.rows.size(), 17620u);
    EXPECT_TRUE(data.longerLines.isEmpty());
    EXPECT_EQ(progressCalls, 36);
    EXPECT_EQ(data.rows[1982], (QStringList{"3001", "Brick 2 x 4"}));
    EXPECT_EQ(MasterSearch(data).Matching({"3001\tBRICK 2 X 4"}), std::vector<int>{1982});
    EXPECT_EQ(data.rows[1278][1], QString::fromUtf8("Brick 1 x 1 with Blue \"Æ\" (AE Diphthong) Pattern"));

    std::vector<CategoryNode> tree = BuildCategoryTree(data.rows);
    for (const char* top : {"Brick", "Plate", "Tile", "Technic", "Minifig"})
        EXPECT_NE(Node(tree, top), nullptr) << top;
    ASSERT_NE(Node(tree, "Brick"), nullptr);
    EXPECT_TRUE(Node(tree, "Brick")->children.contains("1"));
}

TEST(MasterList, CarriageReturnsAndEmptyLinesDoNotLoseRows) {
    MasterListData data =
        ParseMasterList("Part Number\tDescription\r\n3001\tBrick 2 x 4\r\n\r\n3020\tPlate 2 x 4");
    ASSERT_EQ(data.rows.size(), 2u);
    EXPECT_EQ(data.rows[0], (QStringList{"3001", "Brick 2 x 4"}));
    EXPECT_EQ(data.rows[1], (QStringList{"3020", "Plate 2 x 4"}));
    EXPECT_TRUE(ParseMasterList("Part Number\tDescription").rows.empty());
    // A line without a description still is a part; extra fields are ignored.
    data = ParseMasterList("h\nx\ny\tY\tmore\n");
    EXPECT_EQ(data.rows[0], (QStringList{"x", ""}));
    EXPECT_EQ(data.rows[1], (QStringList{"y", "Y"}));
    EXPECT_EQ(data.longerLines, (QHash<int, QString>{{0, "x"}, {1, "y\tY\tmore"}}));
}

TEST(MasterList, TopNodesNeedSixLinesAndThePendingNodeStays) {
    EXPECT_NE(Node(TreeOf(Repeat("Brick", 6) + QStringList{"Wheel"}), "Brick"), nullptr);
    EXPECT_EQ(Node(TreeOf(Repeat("Brick", 5) + QStringList{"Wheel"}), "Brick"), nullptr);
    // The last group stays whatever its size.
    std::vector<CategoryNode> tree = TreeOf(Repeat("Brick", 6) + QStringList{"Wheel"});
    ASSERT_EQ(tree.size(), 2u);
    EXPECT_EQ(tree[1].text, "Wheel");
}

TEST(MasterList, ChildrenNeedARunAndTheLastRunIsNotFlushed) {
    QStringList plates;
    for (int i = 0; i < 8; ++i)
        plates.append(QStringLiteral("Plate 1 x %1").arg(i + 1));
    std::vector<CategoryNode> last = TreeOf(plates);
    ASSERT_NE(Node(last, "Plate"), nullptr);
    EXPECT_TRUE(Node(last, "Plate")->children.isEmpty());

    std::vector<CategoryNode> followed = TreeOf(plates + QStringList{"Tile 1 x 1"});
    ASSERT_NE(Node(followed, "Plate"), nullptr);
    EXPECT_EQ(Node(followed, "Plate")->children, QStringList{"1"});

    // Within a group: a run of five lines makes a child when the second word changes; four do not.
    QStringList mixed = {"Tile 1 a", "Tile 1 b", "Tile 1 c", "Tile 1 d", "Tile 1 e", "Tile 2 a",
                         "Tile 2 b", "Tile 2 c", "Tile 2 d", "Tile 3 a", "Tile 3 b"};
    std::vector<CategoryNode> runs = TreeOf(mixed);
    ASSERT_NE(Node(runs, "Tile"), nullptr);
    EXPECT_EQ(Node(runs, "Tile")->children, QStringList{"1"});
}

TEST(MasterList, FilterTermsSplitAtCommasAndBlanksAndKeepQuotes) {
    EXPECT_EQ(FilterTerms("BRICK 2X4"), (QStringList{"BRICK", "2X4"}));
    EXPECT_EQ(FilterTerms(" BRICK , 2X4 "), (QStringList{"BRICK", "2X4"}));
    EXPECT_EQ(FilterTerms("\"2 X 4\" BRICK"), (QStringList{"2 X 4", "BRICK"}));
    EXPECT_EQ(FilterTerms("\"2 X 4"), (QStringList{"2 X 4"}));
    EXPECT_EQ(FilterTerms("\"2 X 4\" \"1"), (QStringList{"2 X 4", "1"}));
    EXPECT_EQ(FilterTerms("A,,B"), (QStringList{"A", "", "B"}));
    EXPECT_TRUE(FilterTerms("   ").isEmpty());
    // A NUL from a pasted or downloaded text once looped forever, appending empty terms.
    EXPECT_EQ(FilterTerms(QString("A") + QChar(0) + "B"), (QStringList{"A", "B"}));
}

TEST(MasterList, FilterKeepsLinesHoldingEveryTermAndEmptyTermsMatchNothing) {
    const MasterSearch search(ParseMasterList(
        MasterText({"Brick 2 x 4", "Plate 2 x 4", "Brick 1 x 2", "Brick 2 x 4 with Holes", "Tile 2 x 2"})));
    EXPECT_EQ(search.Matching(FilterTerms("BRICK 4")), (std::vector<int>{0, 3}));
    EXPECT_EQ(search.Matching(FilterTerms("\"2 X 4 W")), (std::vector<int>{3}));
    EXPECT_EQ(search.Matching(FilterTerms("P1")), (std::vector<int>{1}));
    EXPECT_TRUE(search.Matching(FilterTerms("BRICK,,4")).empty());
    EXPECT_TRUE(search.Matching(FilterTerms(" ")).empty());

    // The whole line is searched, extra fields included, and a capital longer than its letter (ß) moves
    // nothing: no match reaches into the next line.
    const MasterSearch longer(ParseMasterList(QString::fromUtf8("h\na\tStraße\nb\tTile\tgrey\nc\tTil\n")));
    EXPECT_EQ(longer.Matching({"STRASSE"}), std::vector<int>{0});
    EXPECT_EQ(longer.Matching({"GREY"}), std::vector<int>{1});
    EXPECT_EQ(longer.Matching({"A\tSTRASSE"}), std::vector<int>{0});
    EXPECT_EQ(longer.Matching({"C\tTIL"}), std::vector<int>{2});
    EXPECT_TRUE(longer.Matching({"SSE\nB"}).empty());
}

TEST(MasterList, FindPrefersTheExactPartNumberThenMovesOn) {
    MasterListData data = ParseMasterList(DecodeText(*ReadFileBytes(ShippedData("master.txt"))));
    RichListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Fill(model, data);
    const int exact = FindPartRow(model, "3001", 0, true);
    ASSERT_EQ(model.GetCellText(0, exact), "3001");
    EXPECT_LT(FindPartRow(model, "3001", 0, false), exact); // "30010" comes earlier
    const int next = FindPartRow(model, "3001", exact + 1, false);
    ASSERT_GT(next, exact);
    EXPECT_TRUE(model.GetCellText(0, next).contains("3001") || model.GetCellText(1, next).contains("3001"));
    // Case does not matter, and descriptions are searched too.
    const int described = FindPartRow(model, "bRICK 2 x 4", 0, true);
    ASSERT_GE(described, 0);
    EXPECT_TRUE(model.GetCellText(1, described).contains("Brick 2 x 4"));
    EXPECT_EQ(FindPartRow(model, "no such part anywhere", 0, true), -1);
    EXPECT_EQ(FindPartRow(model, "", 0, true), -1);
    EXPECT_EQ(FindPartRow(model, "3001", model.RowCount(), false), -1);
}

TEST(MasterList, DescriptionStartAndCaptionSearchIgnoreCase) {
    RichListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    Fill(model, ParseMasterList(MasterText({"Tile 2 x 2", "Plate 2 x 4", "Plate 1 x 2", "plate 1 x 1"})));
    EXPECT_EQ(FindDescriptionStart(model, "PLATE 1"), 2);
    EXPECT_EQ(FindDescriptionStart(model, "PLATE 3"), -1);
    EXPECT_EQ(FindCaption(model, "P3"), 3);
    EXPECT_EQ(FindCaption(model, "p"), -1); // whole captions only
}

TEST(MasterList, IndexGivesTheDescriptionOfThePartsLastRow) {
    const MasterListData data =
        ParseMasterList("h\n3001\tBrick\n3002\tOther\n3001\tBrick 2\n3003\tPlate\n3003\t\n"
                        "x\n\tNo number\n");
    const MasterIndex index(data.rows);
    EXPECT_EQ(index.LookUp(u"3001"), "Brick 2");
    EXPECT_EQ(index.LookUp(u"3002"), "Other");
    EXPECT_EQ(index.LookUp(u"3003"), ""); // its last row has no description
    EXPECT_EQ(index.LookUp(u"x"), "");
    EXPECT_EQ(index.LookUp(u""), "No number");
    EXPECT_EQ(index.LookUp(u"300"), "");
    EXPECT_EQ(index.LookUp(u"30011"), "");
    EXPECT_EQ(MasterIndex().LookUp(u"3001"), "");
}

TEST(MasterList, IndexAnswersAsTheStringHashFilledRowByRow) {
    // The real list, then every third part number again with another description, which must win.
    QString text = DecodeText(*ReadFileBytes(ShippedData("master.txt")));
    const MasterListData real = ParseMasterList(text);
    for (std::size_t row = 0; row < real.rows.size(); row += 3)
        text += real.rows.Part(row).toString() + QStringLiteral("\tagain %1\n").arg(row);
    const MasterListData data = ParseMasterList(text);
    StringHash hash(4000, 0);
    for (std::size_t row = 0; row < data.rows.size(); ++row)
        hash.SetValue(data.rows[row][0], data.rows[row][1]);
    const MasterIndex index(data.rows);
    for (std::size_t row = 0; row < data.rows.size(); ++row)
        ASSERT_EQ(index.LookUp(data.rows.Part(row)), hash.LookUp(data.rows[row][0])) << row;
    EXPECT_EQ(index.LookUp(u"3001"), hash.LookUp("3001"));
    EXPECT_EQ(index.LookUp(u"no such part"), "");
}

// The master list's own model against the plain one holding the same rows, through the changes a list makes.
TEST(MasterList, ModelShowsSortsAndDeletesAsAPlainListWould) {
    const MasterListData data =
        ParseMasterList(MasterText({"Tile 2 x 2", "Plate 2 x 4", "Brick 1 x 2", "plate 1 x 1", "Axle 3"}) +
                        "lone\nq\tQ\tmore\n");
    MasterListModel master;
    QAbstractItemModelTester tester(&master, QAbstractItemModelTester::FailureReportingMode::Fatal);
    master.ResetRows(data.rows);
    RichListModel plain;
    Fill(plain, data);
    const auto same = [&] {
        ASSERT_EQ(master.RowCount(), plain.RowCount());
        for (int row = -1; row <= plain.RowCount(); ++row)
            for (int column = -1; column <= 2; ++column)
                ASSERT_EQ(master.GetCellText(column, row), plain.GetCellText(column, row))
                    << column << ' ' << row;
        for (int row = -1; row <= plain.RowCount(); ++row)
            ASSERT_EQ(master.Cells(row), plain.Cells(row)) << row;
        for (int column : {0, 1, 2}) {
            const std::vector<QStringView> ours = master.ColumnTexts(column),
                                           theirs = plain.ColumnTexts(column);
            ASSERT_EQ(ours.size(), theirs.size());
            for (std::size_t row = 0; row < ours.size(); ++row)
                ASSERT_EQ(ours[row], theirs[row]) << column << ' ' << row;
        }
    };
    same();
    EXPECT_EQ(master.ColumnCount(), 2);
    EXPECT_EQ(master.data(master.index(1, 1), Qt::DisplayRole).toString(), "Plate 2 x 4");
    EXPECT_EQ(master.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Part Number");
    for (ListModel* model : {static_cast<ListModel*>(&master), static_cast<ListModel*>(&plain)})
        model->ClickColumn(1);
    same();
    EXPECT_EQ(master.GetCellText(0, 0), "lone"); // no description sorts first
    EXPECT_EQ(master.GetCellText(1, 1), "Axle 3");
    for (ListModel* model : {static_cast<ListModel*>(&master), static_cast<ListModel*>(&plain)}) {
        model->DeleteRow(2);
        model->MoveRow(0, 3);
        model->DeleteRows({1, 40});
    }
    same();
    // The searches find the same rows in both.
    EXPECT_EQ(FindDescriptionStart(master, "PLATE 1"), FindDescriptionStart(plain, "PLATE 1"));
    EXPECT_EQ(FindPartRow(master, "Q", 0, false), FindPartRow(plain, "Q", 0, false));
    master.ClearRows();
    EXPECT_EQ(master.RowCount(), 0);
    master.ResetRows(data.rows);
    EXPECT_EQ(master.GetCellText(0, 6), "q");
}
