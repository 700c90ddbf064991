#include <QAbstractItemModelTester>
#include <QDate>
#include <QHeaderView>
#include <QLocale>
#include <QProcess>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include "support/test_support.h"
#include "ui/list/rich_list_view.h"

namespace {

// A list with three columns whose rows hold the given cells (caption first).
void Fill(RichListView& list, const std::vector<QStringList>& rows) {
    for (const char* caption : {"A", "B", "C"})
        list.AddColumn(caption, 50);
    list.Model().AppendRows(rows);
}

QStringList Column(const RichListView& list, int column) {
    QStringList cells;
    for (int row = 0; row < list.RowCount(); ++row)
        cells.append(list.GetCellText(column, row));
    return cells;
}

struct Tested {
    RichListView list;
    QAbstractItemModelTester tester{&list.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
};

class LocaleScope {
  public:
    explicit LocaleScope(const QLocale& locale) { QLocale::setDefault(locale); }
    ~LocaleScope() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(RichListView, CellsByColumnAndRow) {
    Tested t;
    Fill(t.list, {{"cap", "s0", "s1"}, {"only"}});
    EXPECT_EQ(t.list.GetCellText(0, 0), "cap");
    EXPECT_EQ(t.list.GetCellText(2, 0), "s1");
    EXPECT_EQ(t.list.GetCellText(3, 0), "");
    EXPECT_EQ(t.list.GetCellText(1, 1), "");
    EXPECT_EQ(t.list.GetCellText(1, -1), "B");
    EXPECT_EQ(t.list.GetCellText(3, -1), "");
    EXPECT_EQ(t.list.GetCellText(0, 2), "");
    EXPECT_EQ(t.list.GetCellText(-1, 0), "cap");
    // Writing the last column of a short row pads it; writes out of range are ignored.
    t.list.SetCellText(2, 1, "x");
    EXPECT_EQ(t.list.GetCellText(2, 1), "x");
    EXPECT_EQ(t.list.GetCellText(1, 1), "");
    t.list.SetCellText(3, 1, "beyond");
    t.list.SetCellText(0, 2, "beyond");
    EXPECT_EQ(t.list.RowCount(), 2);
    EXPECT_EQ(t.list.GetCellText(3, 1), "");
    EXPECT_EQ(t.list.Model().data(t.list.Model().index(1, 2), Qt::DisplayRole).toString(), "x");
    const int added = t.list.AddRow("new");
    EXPECT_EQ(added, 2);
    t.list.SetCellText(1, added, "b");
    EXPECT_EQ(t.list.GetCellText(1, 2), "b");
}

TEST(RichListView, ClearAllBlanksCaptionsAndClearRowsKeepsThem) {
    Tested t;
    Fill(t.list, {{"a", "b"}});
    t.list.ClearRows();
    EXPECT_EQ(t.list.RowCount(), 0);
    EXPECT_EQ(t.list.GetCellText(0, -1), "A");
    t.list.AddRow("r");
    t.list.ClearAll();
    EXPECT_EQ(t.list.RowCount(), 0);
    EXPECT_EQ(t.list.ColumnCount(), 3);
    EXPECT_EQ(t.list.GetCellText(0, -1), "");
    EXPECT_EQ(t.list.columnWidth(1), 50);
}

TEST(RichListView, TextSortIsStableByteOrderLikeSortDashS) {
    QRandomGenerator random(7);
    std::vector<QStringList> rows;
    QByteArray input;
    const QString alphabet = QStringLiteral("aAbB09 ~_-");
    for (int i = 0; i < 3000; ++i) {
        QString key;
        for (int n = random.bounded(4); n >= 0; --n)
            key += alphabet[random.bounded(alphabet.size())];
        QString caption = QStringLiteral("r%1").arg(i);
        rows.push_back({caption, key});
        input += (caption + '\t' + key + '\n').toUtf8();
    }
    QProcess sort;
    sort.setProcessEnvironment([] {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LC_ALL", "C");
        return env;
    }());
    sort.start("sort", {"-s", "-t", "\t", "-k2,2"});
    ASSERT_TRUE(sort.waitForStarted());
    sort.write(input);
    sort.closeWriteChannel();
    ASSERT_TRUE(sort.waitForFinished());
    QStringList expected;
    for (const QByteArray& line : sort.readAllStandardOutput().split('\n'))
        if (!line.isEmpty()) expected.append(QString::fromUtf8(line.split('\t').value(0)));

    Tested t;
    Fill(t.list, rows);
    t.list.SetSortDirection(sdAscending);
    t.list.SetSortColumn(1);
    EXPECT_EQ(Column(t.list, 0), expected);
    EXPECT_EQ(t.list.SortColumn(), 1);
}

TEST(RichListView, TextStyleSortsNumbersAsText) {
    Tested t;
    Fill(t.list, {{"9"}, {"10"}, {"2"}});
    t.list.SetSortDirection(sdAscending);
    t.list.SetSortColumn(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"10", "2", "9"}));
    t.list.SetSortDirection(sdDescending);
    t.list.SetSortColumn(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"9", "2", "10"}));
}

TEST(RichListView, ListsShareTheSortSign) {
    auto shared = std::make_shared<SortState>();
    Tested first, second;
    first.list.ShareSortState(shared);
    second.list.ShareSortState(shared);
    Fill(first.list, {{"b"}, {"a"}});
    Fill(second.list, {{"x"}, {"z"}, {"y"}});
    second.list.SetSortDirection(sdAscending);
    first.list.SetSortDirection(sdDescending);
    // The second list never set descending, but sorts with the sign the first set last.
    second.list.SetSortColumn(0);
    EXPECT_EQ(Column(second.list, 0), (QStringList{"z", "y", "x"}));
    EXPECT_EQ(second.list.GetSortDirection(), sdAscending);
}

TEST(RichListView, AListThatNeverSetItsDirectionSortsAscending) {
    Tested t;
    Fill(t.list, {{"b"}, {"c"}, {"a"}});
    t.list.SetSortColumn(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"a", "b", "c"}));
}

// Row states follow their rows through every change of the rows: new rows come without one, and a sort, a
// move or a deletion after the rows were replaced reads no state that is not there.
TEST(RichListView, RowStatesStayWithTheirRows) {
    Tested t;
    RichListModel& model = t.list.OwnModel();
    Fill(t.list, {});
    auto checked = [&model] {
        QStringList captions;
        for (int row = 0; row < model.RowCount(); ++row)
            if (model.State(row).Checked) captions << model.GetCellText(0, row);
        return captions;
    };
    auto check = [&model](int row) {
        ItemState state;
        state.Checked = true;
        model.SetState(row, state);
    };
    model.AddRow("old");
    check(0);
    std::vector<QStringList> rows;
    for (int i = 0; i < 2000; ++i)
        rows.push_back({QStringLiteral("r%1").arg(i, 4, 10, QChar('0'))});
    model.ResetRows(rows);
    EXPECT_EQ(model.RowCount(), 2000);
    EXPECT_TRUE(checked().isEmpty()) << "a new row took the state of the row it replaced";

    check(1500);
    t.list.SetSortDirection(sdDescending);
    t.list.SetSortColumn(0);
    EXPECT_EQ(model.GetCellText(0, 0), "r1999");
    EXPECT_EQ(checked(), QStringList{"r1500"});
    EXPECT_EQ(model.data(model.index(499, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    model.MoveRow(499, 1999);
    model.MoveRow(0, 10);
    model.DeleteRows({1, 2, 3});
    EXPECT_EQ(checked(), QStringList{"r1500"});
    EXPECT_EQ(model.GetCellText(0, 1996), "r1500");

    // Fewer rows than before, then the changes again.
    model.ResetRows({{"z"}, {"y"}, {"x"}});
    check(2);
    model.Reorder({2, 0, 1});
    model.MoveRow(2, 0);
    model.AppendRows({{"w"}});
    model.AddRow("v");
    EXPECT_EQ(checked(), QStringList{"x"});
    EXPECT_FALSE(model.State(4).Checked);
    model.ClearAll();
    model.ResetRows({{"u"}});
    model.Reorder({0});
    EXPECT_TRUE(checked().isEmpty());
}

TEST(RichListView, SortColumnBeyondTheColumnsSortsNothing) {
    Tested t;
    Fill(t.list, {{"b", "1"}, {"a", "2"}});
    t.list.SetSortDirection(sdAscending);
    t.list.SetSortColumn(1);
    t.list.SetSortDirection(sdDescending);
    t.list.SetSortColumn(5);
    EXPECT_EQ(t.list.SortColumn(), 1);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"b", "a"}));
}

TEST(RichListView, SortKeepsTheSelectionOnItsRow) {
    Tested t;
    Fill(t.list, {{"c"}, {"a"}, {"b"}});
    t.list.setSelectionMode(QAbstractItemView::SingleSelection);
    t.list.SelectItemAt(0);
    t.list.SelectItemAt(2);
    EXPECT_EQ(t.list.SelectedRow(), 2);
    t.list.SetSortDirection(sdAscending);
    t.list.SetSortColumn(0);
    EXPECT_EQ(t.list.GetCellText(0, t.list.SelectedRow()), "b");
    t.list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    t.list.SelectItemAt(0);
    EXPECT_EQ(t.list.selectionModel()->selectedRows().size(), 2);
    EXPECT_EQ(t.list.SelectedRow(), 0);
}

TEST(RichListView, BrokenComparatorsStillGiveEveryRowOnce) {
    for (SortStyle style : {ssNone, ssUpperText}) {
        Tested t;
        std::vector<QStringList> rows;
        for (int i = 0; i < 257; ++i)
            rows.push_back({i % 2 ? "ab" : "AB", QString::number(i)});
        Fill(t.list, rows);
        t.list.OnGetFormat = [style](int, SortStyle& s, QString&, QString&) { s = style; };
        t.list.SetSortDirection(sdAscending);
        t.list.SetSortColumn(0);
        QStringList numbers = Column(t.list, 1);
        numbers.sort();
        numbers.removeDuplicates();
        EXPECT_EQ(numbers.size(), 257) << style;
    }
}

TEST(RichListView, ReorderTakesOnlyAPermutationOfTheRows) {
    Tested t;
    Fill(t.list, {{"x", "0"}, {"y", "1"}, {"z", "2"}});
    t.list.Model().Reorder({0, 0, 1});
    t.list.Model().Reorder({0, 1, 3});
    t.list.Model().Reorder({-1, 1, 2});
    EXPECT_EQ(Column(t.list, 1), QStringList({"0", "1", "2"}));
    t.list.Model().Reorder({2, 0, 1});
    EXPECT_EQ(Column(t.list, 1), QStringList({"2", "0", "1"}));
}

TEST(RichListView, CustomAndRawComparesReceiveTheComparedColumn) {
    Tested t;
    Fill(t.list, {{"a", "3"}, {"b", "1"}, {"c", "2"}});
    int seenColumn = -9;
    t.list.OnGetFormat = [](int, SortStyle& s, QString&, QString&) { s = ssCustom; };
    t.list.OnCustomCompare = [&](int column, const QString& a, const QString& b, int& result) {
        seenColumn = column;
        result = b.compare(a); // reversed
    };
    t.list.SetSortDirection(sdAscending);
    t.list.SetSortColumn(1);
    EXPECT_EQ(seenColumn, 0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"a", "c", "b"}));
    t.list.OnGetFormat = [](int, SortStyle& s, QString&, QString&) { s = ssRaw; };
    t.list.OnRawCompare = [&](int, int row1, int row2, int& result) { result = row1 < row2 ? 1 : -1; };
    t.list.SetSortColumn(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"b", "c", "a"}));
}

TEST(RichListView, NumericStyleUsesTheLocaleSeparatorsAndWholeTexts) {
    EXPECT_EQ(CompareCellTexts(ssNumeric, "10", "9", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssNumeric, "abc", "3", "", ""), 0);
    EXPECT_EQ(CompareCellTexts(ssNumeric, "3abc", "2", "", ""), 0);
    EXPECT_EQ(CompareCellTexts(ssNumeric, "", "-1", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssNumeric, "$5 pcs", "$12 pcs", "$", " pcs"), -1);
    EXPECT_EQ(CompareCellTexts(ssNumericGrouped, "1,200", "999", "", ""), 1);
    LocaleScope german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(CompareCellTexts(ssNumeric, "1,5", "1,4", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssNumeric, "1,5", "1.5", "", ""), 0); // "1.5" is no number there
    EXPECT_EQ(CompareCellTexts(ssNumericGrouped, "1.200,5", "1.200,4", "", ""), 1);
}

TEST(RichListView, TextStylesAndDates) {
    EXPECT_EQ(CompareCellTexts(ssNone, "a", "a", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssText, "B", "a", "", ""), -1);
    EXPECT_EQ(CompareCellTexts(ssUpperText, "b", "A", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssUpperText, "a", "a", "", ""), 0);
    EXPECT_EQ(CompareCellTexts(ssUpperText, "a", "A", "", ""), -1);
    EXPECT_EQ(CompareCellTexts(ssUpperText, "A", "a", "", ""), -1);
    EXPECT_EQ(ParseDateDMY("01-02-03"), QDate(2003, 2, 1).toJulianDay());
    EXPECT_EQ(ParseDateDMY("1/2/99"), QDate(1999, 2, 1).toJulianDay());
    EXPECT_EQ(ParseDateMDY("01-02-03"), QDate(2003, 1, 2).toJulianDay());
    EXPECT_EQ(ParseDateDMY("1.2.2003"), QDate(2003, 2, 1).toJulianDay());
    EXPECT_EQ(ParseDateDMY("31-02-03"), 0.0);
    EXPECT_EQ(ParseDateDMY("20030201"), 0.0);
    EXPECT_EQ(ParseDateDMY("a-b-c"), 0.0);
    EXPECT_EQ(CompareCellTexts(ssDateDMY, "02-01-03", "01-02-03", "", ""), -1);
    EXPECT_EQ(CompareCellTexts(ssDateMDY, "02-01-03", "01-02-03", "", ""), 1);
    EXPECT_EQ(CompareCellTexts(ssDateTime, "not a date", "", "", ""), 0);
}

TEST(RichListView, ColumnClickWithSortShowFlipsOnTheSameColumn) {
    Tested t;
    Fill(t.list, {{"b"}, {"a"}, {"c"}});
    t.list.SortShow = true;
    t.list.SetSortDirection(sdAscending);
    int clicks = 0, done = 0;
    t.list.OnColumnClick = [&](int) { ++clicks; };
    t.list.OnSortDone = [&](int) { ++done; };
    emit t.list.header()->sectionClicked(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"a", "b", "c"}));
    emit t.list.header()->sectionClicked(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(t.list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // The program's own column click moves the indicator with its sort too.
    t.list.ClickColumn(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"a", "b", "c"}));
    EXPECT_EQ(t.list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
    t.list.ClickColumn(0);
    t.list.OnSortStart = [](int, bool& enable) { enable = false; };
    emit t.list.header()->sectionClicked(0);
    EXPECT_EQ(Column(t.list, 0), (QStringList{"c", "b", "a"}));
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(done, 2);
}

TEST(RichListView, CellsAtPoints) {
    Tested t;
    Fill(t.list, {{"a", "b", "c"}, {"d", "e", "f"}});
    t.list.resize(300, 200);
    t.list.show();
    QRect cell = t.list.CellRect(1, 2);
    ASSERT_TRUE(cell.isValid());
    int row = -1, column = -1;
    ASSERT_TRUE(t.list.CellAtPoint(cell.center(), row, column));
    EXPECT_EQ(row, 1);
    EXPECT_EQ(column, 2);
    EXPECT_EQ(t.list.CellTextAtPoint(cell.center()), "f");
    EXPECT_FALSE(t.list.CellAtPoint(QPoint(5, 190), row, column));
    EXPECT_EQ(t.list.CellTextAtPoint(QPoint(5, 190)), "");
}
