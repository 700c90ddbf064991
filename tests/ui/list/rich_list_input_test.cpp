#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <gtest/gtest.h>

#include "ui/list/rich_header_view.h"
#include "ui/list/rich_list_view.h"

namespace {

// A shown list with the given columns and rows, links opened into a list instead of the desktop.
struct Shown {
    RichListView list;
    QAbstractItemModelTester tester{&list.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal};
    QStringList opened;

    Shown(int columns, const std::vector<QStringList>& rows) {
        for (int c = 0; c < columns; ++c)
            list.AddColumn(QString(QChar(u'A' + c)), 100);
        list.Model().AppendRows(rows);
        list.OpenUrl = [this](const QUrl& url) { opened << url.toString(); };
        list.resize(400, 300);
        list.show();
    }
    void Click(int row, int column, QPoint offset = {}) {
        const QRect cell = list.CellRect(row, column);
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {},
                          offset.isNull() ? cell.center() : cell.topLeft() + offset);
    }
};

} // namespace

TEST(RichListInput, CheckBoxPressFlipsTheMarkWithoutSelecting) {
    Shown s(2, {{"one", "x"}, {"two", "y"}});
    s.list.CheckBoxes = true;
    std::vector<std::pair<int, bool>> clicks;
    s.list.OnCheckboxClick = [&](int row, bool checked) { clicks.emplace_back(row, checked); };
    s.Click(1, 0, QPoint(6, s.list.RowHeight() / 2));
    EXPECT_TRUE(s.list.Model().State(1).Checked);
    EXPECT_EQ(s.list.SelectedRow(), -1);
    s.Click(1, 0, QPoint(6, s.list.RowHeight() / 2));
    EXPECT_FALSE(s.list.Model().State(1).Checked);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, bool>>{{1, true}, {1, false}}));
    // Beside the box the press selects as usual; Space flips the focused row's mark.
    s.Click(0, 0, QPoint(40, s.list.RowHeight() / 2));
    EXPECT_EQ(s.list.SelectedRow(), 0);
    QTest::keyClick(&s.list, Qt::Key_Space);
    EXPECT_TRUE(s.list.Model().State(0).Checked);
    EXPECT_EQ(clicks.size(), 3u);
}

TEST(RichListInput, EditsAreRefusedOrKeptWhole) {
    Shown s(3, {{"cap", "one", "two"}});
    s.list.SubItemEdit = true;
    std::vector<std::pair<int, int>> asked;
    bool allow = false;
    s.list.OnCanEditCell = [&](int row, int column, bool& ok) {
        asked.emplace_back(row, column);
        ok = allow;
    };
    s.Click(0, 2);
    QTest::keyClick(&s.list, Qt::Key_F2);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{0, 2}}));
    EXPECT_EQ(s.list.findChild<QPlainTextEdit*>(), nullptr);
    // Left moves the edited cell; an allowed edit keeps a text of any length.
    QTest::keyClick(&s.list, Qt::Key_Left);
    allow = true;
    QTest::keyClick(&s.list, Qt::Key_F2);
    auto* editor = s.list.findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->toPlainText(), "one");
    EXPECT_EQ(editor->geometry(), s.list.CellRect(0, 1));
    const QString text(3000, u'z');
    editor->setPlainText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(s.list.GetCellText(1, 0), text);
    EXPECT_EQ(s.list.GetCellText(0, 0), "cap");
    EXPECT_EQ(s.list.ItemHeight(), 13);
    // A click on a cell of the selected row edits that cell.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.list.findChild<QPlainTextEdit*>(), nullptr);
    s.Click(0, 2);
    editor = s.list.findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->toPlainText(), "two");
}

TEST(RichListInput, CopyGivesCaptionTabSubItemsCrlf) {
    Shown s(3, {{"a", "1", "x"}, {"b"}, {"c", "3", "z"}});
    s.list.ClipboardEnable = true;
    s.list.setSelectionMode(QAbstractItemView::ExtendedSelection);
    s.list.SelectItemAt(2);
    s.list.SelectItemAt(1);
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "b\r\nc\t3\tz\r\n");
    s.list.CopyToClipboard(false);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "a\t1\tx\r\nb\r\nc\t3\tz\r\n");
    // Cut copies the selected rows and deletes them.
    QTest::keyClick(&s.list, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(s.list.RowCount(), 1);
    EXPECT_EQ(s.list.GetCellText(0, 0), "a");
    // Without ClipboardEnable the keys do nothing.
    s.list.ClipboardEnable = false;
    QGuiApplication::clipboard()->setText("kept");
    s.list.SelectItemAt(0);
    QTest::keyClick(&s.list, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
}

TEST(RichListInput, PasteAddsRowsAndColumns) {
    Shown s(2, {{"old", "1"}});
    s.list.ClipboardEnable = true;
    QGuiApplication::clipboard()->setText("no line end");
    s.list.PasteFromClipboard();
    EXPECT_EQ(s.list.RowCount(), 1);
    QGuiApplication::clipboard()->setText("p\t2\t3\r\nq\r\nlost");
    QTest::keyClick(&s.list, Qt::Key_V, Qt::ControlModifier);
    ASSERT_EQ(s.list.RowCount(), 3);
    EXPECT_EQ(s.list.ColumnCount(), 3);
    EXPECT_EQ(s.list.Model().Cells(1), (QStringList{"p", "2", "3"}));
    EXPECT_EQ(s.list.Model().Cells(2), (QStringList{"q"}));
    EXPECT_EQ(s.list.currentIndex().row(), 2);
    // A line of many fields grows the list to 256 columns and no more.
    QStringList fields;
    for (int i = 0; i < 300; ++i)
        fields << QString::number(i);
    QGuiApplication::clipboard()->setText(fields.join(u'\t') + "\r");
    s.list.PasteFromClipboard();
    EXPECT_EQ(s.list.ColumnCount(), 256);
    EXPECT_EQ(s.list.GetCellText(255, 3), "255");
}

TEST(RichListInput, LinksOpenOnlyWebAndMailAddresses) {
    Shown s(1, {{"http://ok.example/a"},
                {"file:///etc/passwd"},
                {"javascript://alert(1)"},
                {"mailto:me@example.org"},
                {"rm -rf /; http://x"},
                {"<A HREF=\"file:///bin/sh\">run</A> <A HREF=\"https://fine.example/\">web</A>"},
                {"<A HREF=\"local\">here</A>"}});
    s.list.URLShow = true;
    QStringList anchors;
    s.list.OnAnchorClick = [&](const QString& anchor) { anchors << anchor; };
    for (int row = 0; row < 5; ++row)
        s.Click(row, 0);
    s.Click(5, 0, QPoint(6, s.list.RowHeight() / 2));
    s.Click(6, 0, QPoint(6, s.list.RowHeight() / 2));
    EXPECT_EQ(s.opened, (QStringList{"http://ok.example/a", "mailto:me@example.org"}));
    EXPECT_EQ(anchors, QStringList{"local"});
    // Clicks on a markup anchor go through the same gate.
    const int runWidth = s.list.fontMetrics().horizontalAdvance("run ");
    s.Click(5, 0, QPoint(4 + runWidth + 4, s.list.RowHeight() / 2));
    EXPECT_EQ(s.opened.last(), "https://fine.example/");
    // A handler that takes the click stops the opening.
    s.list.OnURLClick = [](int, const QString&, bool& handled) { handled = true; };
    s.Click(0, 0);
    EXPECT_EQ(s.opened.size(), 3);
}

TEST(RichListInput, DraggedRowMovesWithItsSelection) {
    Shown s(1, {{"a"}, {"b"}, {"c"}, {"d"}});
    s.list.ReArrangeItems = true;
    const QPoint from = s.list.CellRect(0, 0).center(), to = s.list.CellRect(2, 0).center();
    QTest::mousePress(s.list.viewport(), Qt::LeftButton, {}, from);
    QTest::mouseMove(s.list.viewport(), to);
    QTest::mouseRelease(s.list.viewport(), Qt::LeftButton, {}, to);
    EXPECT_EQ(s.list.Model().Cells(2), QStringList{"a"});
    EXPECT_EQ(s.list.Model().Cells(0), QStringList{"b"});
    EXPECT_EQ(s.list.SelectedRow(), 2);
    EXPECT_EQ(s.list.currentIndex().row(), 2);
    s.list.SetItemHeight(30);
    s.list.MoveItem(2, -1);
    EXPECT_EQ(s.list.Model().Cells(3), QStringList{"a"});
    EXPECT_EQ(s.list.SelectedRow(), 3);
    EXPECT_EQ(s.list.ItemHeight(), 30);
}

TEST(RichListInput, HintOnlyForCutTextAndHeaderTrackingCanBeRefused) {
    const QString bold = "<B>" + QString(80, u'b') + "</B>";
    Shown s(2, {{"short", "<B>b</B>"}, {QString(80, u'w'), bold}});
    s.list.AutoHint = true;
    EXPECT_EQ(s.list.GetCellHint(0, 0), "");
    EXPECT_EQ(s.list.GetCellHint(1, 0), QString(80, u'w'));
    EXPECT_EQ(s.list.GetCellHint(0, 1), "");
    EXPECT_EQ(s.list.GetCellHint(1, 1), QString(80, u'b'));
    s.list.HTMLHint = true;
    EXPECT_EQ(s.list.GetCellHint(1, 1), bold);

    std::vector<int> started, sized;
    s.list.OnStartColumnTrack = [&](int column, bool& allow) {
        started.push_back(column);
        allow = false;
    };
    s.list.OnColumnSized = [&](int column) { sized.push_back(column); };
    QWidget* header = s.list.header()->viewport();
    const QPoint divider(100, s.list.header()->height() / 2);
    QTest::mousePress(header, Qt::LeftButton, {}, divider);
    QTest::mouseMove(header, divider + QPoint(40, 0));
    QTest::mouseRelease(header, Qt::LeftButton, {}, divider + QPoint(40, 0));
    EXPECT_EQ(started, std::vector<int>{0});
    EXPECT_EQ(s.list.columnWidth(0), 100);
    s.list.setColumnWidth(0, 120);
    EXPECT_EQ(sized, std::vector<int>{0});
}

TEST(RichListInput, CellHintShowsOnceTheMouseHasRestedForTheHoverTime) {
    const QString cut(80, u'w');
    Shown s(2, {{"short", cut}, {"short", "x"}});
    // The list starts with the platform's delay; -1 brings it back.
    EXPECT_GT(s.list.HoverTime(), 0);
    s.list.AutoHint = true;
    s.list.SetHoverTime(3600 * 1000);
    QTest::mouseMove(s.list.viewport(), s.list.CellRect(0, 1).center());
    QApplication::processEvents();
    EXPECT_FALSE(QToolTip::isVisible());
    // A shorter time takes over the wait already running.
    s.list.SetHoverTime(0);
    ASSERT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), cut);
    // Another cell hides it; a cell showing all its text brings none.
    QTest::mouseMove(s.list.viewport(), s.list.CellRect(1, 1).center());
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
    QTest::qWait(20);
    EXPECT_FALSE(QToolTip::isVisible());
    // Without AutoHint resting on a cut cell shows nothing either.
    s.list.AutoHint = false;
    QTest::mouseMove(s.list.viewport(), s.list.CellRect(0, 1).center());
    QTest::qWait(20);
    EXPECT_FALSE(QToolTip::isVisible());
    s.list.SetHoverTime(-1);
    EXPECT_EQ(s.list.HoverTime(), -1);
}

TEST(RichListInput, FilterBarReportsChangesAndButtons) {
    Shown s(2, {{"a", "b"}});
    const int plain = s.list.header()->sizeHint().height();
    s.list.SetFilterBar(true);
    s.list.FilterTimeOut = 0;
    EXPECT_GT(s.list.header()->sizeHint().height(), plain);
    std::vector<int> changed, buttons;
    s.list.OnFilterChange = [&](int column) { changed.push_back(column); };
    s.list.OnFilterBtnClick = [&](int column) { buttons.push_back(column); };
    auto edits = s.list.header()->findChildren<QLineEdit*>();
    auto arrows = s.list.header()->findChildren<QToolButton*>();
    ASSERT_EQ(edits.size(), 2);
    ASSERT_EQ(arrows.size(), 2);
    QTest::keyClicks(edits[1], "br");
    QTRY_COMPARE(changed.size(), 1u);
    EXPECT_EQ(changed, std::vector<int>{1});
    EXPECT_EQ(s.list.FilterText(1), "br");
    arrows[0]->click();
    EXPECT_EQ(buttons, std::vector<int>{0});
    // The boxes follow their columns.
    s.list.setColumnWidth(0, 150);
    EXPECT_EQ(edits[1]->x(), 150);
    s.list.SetFilterBar(false);
    EXPECT_EQ(s.list.header()->sizeHint().height(), plain);
}
