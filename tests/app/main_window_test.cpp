#include <QAbstractEventDispatcher>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/main_window.h"
#include "app/splash_window.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/test_support.h"
#include "ui/bitmap/image_view.h"
#include "ui/controls/gauge_bar.h"
#include "ui/kit/make_named.h"

namespace {

const QString NoHit =
    QStringLiteral("Sorry I can't find what you are looking for\r\nor I may be at the end of the "
                   "list\r\nyou might try searching again.");

// A data folder that is the program's from before the window is made (it names its settings file then).
struct PinnedDataDir {
    PinnedDataDir() { SetDataDir(dir.path()); }
    ~PinnedDataDir() { SetDataDir({}); }
    TempDir dir;
};

// A main window on its own data folder, shown like at start-up.
class Window : PinnedDataDir {
  public:
    explicit Window(const std::string& masterText) {
        if (!masterText.empty()) WriteFileBytes(dir / "master.txt", masterText);
        // The renderer's colour file is read at first show; without one that would add its own message.
        WriteFileBytes(dir / "ldconfig.ldr", "0 !COLOUR Black CODE 0 VALUE #05131D EDGE #595959\n");
        TestMessages::Clear();
        Forms forms;
        forms.splash = splash = new SplashWindow(&window);
        window.SetForms(forms);
        window.show();
        QApplication::setActiveWindow(&window);
    }

    void Find(const QString& text) {
        FindNamed<QLineEdit>(window, "edit5")->setText(text);
        window.Master().BitBtn7Click();
    }
    QString SelectedPart() const {
        return FindNamed<RichListView>(window, "legolist")
            ->GetCellText(0, FindNamed<RichListView>(window, "legolist")->SelectedRow());
    }

    using PinnedDataDir::dir;
    AppContext context{TestMessages::Prompts()};
    MainWindow window{context};
    SplashWindow* splash = nullptr;
};

// A click on a list scrolls to the clicked cell only once the double-click interval has passed: this runs
// that pending timer of the list now, as the event loop would then.
void ClickCell(RichListView* list, int row, int column) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->CellRect(row, column).center());
    const int delay = QApplication::doubleClickInterval() + 100;
    int fired = 0;
    for (const QAbstractEventDispatcher::TimerInfo& timer :
         QAbstractEventDispatcher::instance()->registeredTimers(list))
        if (timer.interval == delay) {
            QTimerEvent event(timer.timerId);
            QCoreApplication::sendEvent(list, &event);
            ++fired;
        }
    EXPECT_EQ(fired, 1) << "the click's delayed scroll";
}

std::string RealMaster() {
    std::optional<std::string> bytes = ReadFileBytes(ShippedData("master.txt"));
    return bytes.value_or(std::string());
}

} // namespace

TEST(MainWindow, LoadsTheMasterListBehindTheSplashOnFirstShow) {
    Window w(RealMaster());
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist")->RowCount(), 17620);
    EXPECT_EQ(w.window.Access().MasterDescription("3001"), "Brick 2 x 4");
    EXPECT_EQ(w.window.Access().MasterDescription("no such part"), "");
    EXPECT_FALSE(
        FindNamed<QTreeWidget>(w.window, "TreeView1")->findItems("Brick", Qt::MatchExactly).isEmpty());
    EXPECT_FALSE(w.splash->isVisible());
    EXPECT_EQ(w.splash->Label3->text(), "Version 0.0.46");
    EXPECT_TRUE(w.splash->Label1->text().startsWith("Loading Master.txt . ."));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    // A reload replaces the list, its lines and its tree, and the column captions survive.
    const int tops = FindNamed<QTreeWidget>(w.window, "TreeView1")->topLevelItemCount();
    FindNamed<QLineEdit>(w.window, "Edit6")->setText("3001");
    w.window.Master().FilterMasterList();
    const int filtered = FindNamed<RichListView>(w.window, "legolist2")->RowCount();
    w.window.LoadMasterList(false);
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist")->RowCount(), 17620);
    EXPECT_EQ(FindNamed<QTreeWidget>(w.window, "TreeView1")->topLevelItemCount(), tops);
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist")->GetCellText(1, -1), "Description");
    w.window.Master().FilterMasterList();
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist2")->RowCount(), filtered);
}

// Descriptions that begin with a blank have an empty first word: the tree has no node yet for a run of
// their second words to join, and start-up must not fail on it.
TEST(MainWindow, StartsOnAMasterListWhoseFirstDescriptionsBeginWithABlank) {
    std::string master = "Number\tDescription\n";
    for (int i = 0; i < 6; ++i)
        master += QStringLiteral("x%1\t Brick odd %1\n").arg(i).toStdString();
    master += "y1\t Plate odd\n";
    for (int i = 0; i < 6; ++i)
        master += QStringLiteral("300%1\tBrick 2 x %1\n").arg(i).toStdString();
    Window w(master);
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist")->RowCount(), 13);
    ASSERT_EQ(FindNamed<QTreeWidget>(w.window, "TreeView1")->topLevelItemCount(), 1);
    EXPECT_EQ(FindNamed<QTreeWidget>(w.window, "TreeView1")->topLevelItem(0)->text(0), "Brick");
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    // The inventory keeps its print positions; the master lists keep none.
    const Printsettings& print = FindNamed<RichListView>(w.window, "invlist")->PrintSettings;
    EXPECT_EQ(std::tuple(print.Time, print.Date, print.PageNr, print.Title, print.RepeatHeaders),
              std::tuple(ppBottomRight, ppBottomRight, ppBottomLeft, ppBottomCenter, true));
    for (const RichListView* list :
         {FindNamed<RichListView>(w.window, "legolist"), FindNamed<RichListView>(w.window, "legolist2")}) {
        const Printsettings& none = list->PrintSettings;
        EXPECT_EQ(std::tuple(none.Time, none.Date, none.PageNr, none.Title),
                  std::tuple(ppNone, ppNone, ppNone, ppNone));
    }
}

TEST(MainWindow, MissingMasterListIsReportedAndLeavesAUsableWindow) {
    Window w("");
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains("master.txt"));
    EXPECT_FALSE(w.splash->isVisible());
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist")->RowCount(), 0);
    w.Find("3001");
    EXPECT_EQ(TestMessages::Shown().last(), NoHit);
    FindNamed<QLineEdit>(w.window, "Edit6")->setText("brick");
    w.window.Master().FilterMasterList();
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist2")->RowCount(), 0);
}

TEST(MainWindow, FindPrefersTheExactNumberAndFindNextMovesOn) {
    Window w("h\n30010\tPanel\n3001\tBrick 2 x 4\n3002\tBrick 2 x 3\n13001\tOther\n");
    w.Find("3001");
    EXPECT_EQ(w.SelectedPart(), "3001");
    w.Find("3001");
    EXPECT_EQ(w.SelectedPart(), "13001");
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    // At the end: the message, the selection stays, and the next Find starts from the top again.
    w.Find("3001");
    EXPECT_EQ(TestMessages::Shown(), QStringList{NoHit});
    EXPECT_EQ(w.SelectedPart(), "13001");
    w.Find("3001");
    EXPECT_EQ(w.SelectedPart(), "3001");
    // Descriptions are searched without regard to case; an empty text finds nothing.
    w.Find("brick 2 X 3");
    EXPECT_EQ(w.SelectedPart(), "3002");
    w.Find("");
    EXPECT_EQ(TestMessages::Shown().size(), 2);
}

TEST(MainWindow, TreeChildSelectsTheFirstPartOfItsWords) {
    std::string master = "h\n";
    for (int i = 0; i < 8; ++i)
        master += QStringLiteral("p%1\tplate %2 x %1\n").arg(i).arg(i < 2 ? 2 : 1).toStdString();
    master += "t\tTile 1 x 1\n";
    Window w(master);
    QList<QTreeWidgetItem*> plates =
        FindNamed<QTreeWidget>(w.window, "TreeView1")->findItems("plate", Qt::MatchExactly);
    ASSERT_EQ(plates.size(), 1);
    ASSERT_EQ(plates[0]->childCount(), 1);
    EXPECT_EQ(plates[0]->child(0)->text(0), "1");
    FindNamed<QLineEdit>(w.window, "edit5")->setText("x");
    FindNamed<QTreeWidget>(w.window, "TreeView1")->setCurrentItem(plates[0]->child(0));
    w.window.Master().TreeView1Click();
    EXPECT_EQ(w.SelectedPart(), "p2");
    // Find with the same text continues after the row the tree chose.
    w.Find("x");
    EXPECT_EQ(w.SelectedPart(), "p3");
}

TEST(MainWindow, FilterShowsMatchesAndClearingReturnsToTheFullList) {
    Window w("h\n3001\tBrick 2 x 4\n3020\tPlate 2 x 4\n3003\tBrick 2 x 2\n3010\tBrick 1 x 4\n");
    FindNamed<QLineEdit>(w.window, "Edit6")->setText("brick 4");
    w.window.Master().FilterMasterList();
    ASSERT_FALSE(FindNamed<RichListView>(w.window, "legolist2")->isHidden());
    ASSERT_EQ(FindNamed<RichListView>(w.window, "legolist2")->RowCount(), 2);
    EXPECT_EQ(FindNamed<RichListView>(w.window, "legolist2")->GetCellText(1, 1), "Brick 1 x 4");
    FindNamed<RichListView>(w.window, "legolist2")->SelectItemAt(1);
    FindNamed<QLineEdit>(w.window, "Edit6")->clear();
    w.window.Master().FilterMasterList();
    EXPECT_TRUE(FindNamed<RichListView>(w.window, "legolist2")->isHidden());
    EXPECT_EQ(w.SelectedPart(), "3010");
}

TEST(MainWindow, LayoutSnapsToTheMinimumAndKeepsTheMasterListsRight) {
    Window w("h\n");
    for (QSize size :
         {QSize(1200, 900), QSize(600, 400), QSize(1000, 700), QSize(1600, 1000), QSize(900, 600)}) {
        w.window.resize(size);
        QApplication::processEvents();
        const int W = w.window.width(), H = w.window.height();
        EXPECT_GE(W, 800);
        EXPECT_GE(H, 537);
        for (RichListView* list : {FindNamed<RichListView>(w.window, "legolist"),
                                   FindNamed<RichListView>(w.window, "legolist2")}) {
            EXPECT_EQ(list->width(), 500) << W;
            EXPECT_EQ(list->x(), W - 516) << W;
            EXPECT_EQ(list->height(), (H - 151) / 2);
        }
        EXPECT_EQ(FindNamed<QTreeWidget>(w.window, "TreeView1")->geometry().right() + 1 + 4,
                  FindNamed<RichListView>(w.window, "legolist")->x());
        EXPECT_EQ(FindNamed<Image32>(w.window, "Image1")->geometry().right() + 1 + 4,
                  FindNamed<QTreeWidget>(w.window, "TreeView1")->x());
        EXPECT_EQ(FindNamed<GaugeBar>(w.window, "sbScale")->width(),
                  FindNamed<Image32>(w.window, "Image1")->width());
        EXPECT_EQ(FindNamed<RichListView>(w.window, "invlist")->y(),
                  FindNamed<RichListView>(w.window, "legolist")->geometry().bottom() + 1 + 16);
        EXPECT_EQ(FindNamed<QFrame>(w.window, "Panel1")->geometry().right() + 1, W - 16);
        // The Find row keeps to the right edge without covering a button, and the bottom row stays inside.
        QList<QWidget*> top = {FindNamed<QLineEdit>(w.window, "edit5"),
                               FindNamed<QLineEdit>(w.window, "Edit6"),
                               FindNamed<QPushButton>(w.window, "BitBtn7")};
        for (QPushButton* button : w.window.findChildren<QPushButton*>())
            if (button->parentWidget() == w.window.centralWidget() &&
                button != FindNamed<QPushButton>(w.window, "BitBtn8") && !button->isHidden())
                top << button;
        for (QWidget* a : top)
            for (QWidget* b : top)
                EXPECT_TRUE(a == b || !a->geometry().intersects(b->geometry()))
                    << W << " " << a->objectName().toStdString() << " " << b->objectName().toStdString();
        EXPECT_LE(FindNamed<QLabel>(w.window, "Label4")->geometry().bottom(),
                  w.window.centralWidget()->height())
            << H;
        EXPECT_LE(FindNamed<QLineEdit>(w.window, "Edit1")->geometry().bottom(),
                  w.window.centralWidget()->height())
            << H;
    }
    w.window.resize(600, 400);
    QApplication::processEvents();
    EXPECT_EQ(w.window.size(), QSize(800, 537));
}

// At the smallest size and above: the LDraw gauges and the picture kind stay in the gap between the master
// list and the inventory, the "Other jpgs" list keeps room for names, and column captions are not cut.
TEST(MainWindow, NothingOverlapsOrClipsAtTheMinimumSizeAndAbove) {
    Window w("h\n");
    for (GaugeBar* gauge :
         {FindNamed<GaugeBar>(w.window, "ldrawscale"), FindNamed<GaugeBar>(w.window, "xrot"),
          FindNamed<GaugeBar>(w.window, "yrot"), FindNamed<GaugeBar>(w.window, "zrot")})
        gauge->show();
    FindNamed<QLabel>(w.window, "Label8")->setText("LDraw");
    for (QSize size : {QSize(800, 537), QSize(1280, 900)}) {
        w.window.resize(size);
        QApplication::processEvents();
        for (QWidget* part : std::initializer_list<QWidget*>{
                 FindNamed<GaugeBar>(w.window, "ldrawscale"), FindNamed<GaugeBar>(w.window, "xrot"),
                 FindNamed<GaugeBar>(w.window, "yrot"), FindNamed<GaugeBar>(w.window, "zrot"),
                 FindNamed<QLabel>(w.window, "Label8")})
            for (QWidget* list :
                 std::initializer_list<QWidget*>{FindNamed<RichListView>(w.window, "legolist"),
                                                 FindNamed<RichListView>(w.window, "invlist"),
                                                 FindNamed<QTreeWidget>(w.window, "TreeView1")})
                EXPECT_FALSE(part->geometry().intersects(list->geometry()))
                    << size.height() << " " << part->objectName().toStdString() << " "
                    << list->objectName().toStdString();
        EXPECT_GE(FindNamed<QListWidget>(w.window, "ListBox1")->height(), 3 * w.window.fontMetrics().height())
            << size.height();
        EXPECT_LE(FindNamed<QListWidget>(w.window, "ListBox1")->geometry().bottom(),
                  w.window.centralWidget()->height());
        EXPECT_FALSE(FindNamed<QFrame>(w.window, "Panel1")
                         ->geometry()
                         .intersects(FindNamed<QLabel>(w.window, "Label11")->geometry()));
    }
    for (RichListView* list :
         {FindNamed<RichListView>(w.window, "legolist"), FindNamed<RichListView>(w.window, "invlist")})
        for (int column = 1; column < list->ColumnCount(); ++column)
            EXPECT_GE(list->columnWidth(column), list->header()->sectionSizeHint(column))
                << list->objectName().toStdString() << " " << column;
}

TEST(MainWindow, ShortcutsWorkOutsideEditBoxesOnly) {
    Window w("h\n3001\tBrick 2 x 4\n");
    QSignalSpy save(FindNamed<QPushButton>(w.window, "BitBtn3"), &QPushButton::clicked);
    QSignalSpy remove(FindNamed<QPushButton>(w.window, "BitBtn5"), &QPushButton::clicked);
    FindNamed<RichListView>(w.window, "legolist")->setFocus();
    QTest::keyClick(FindNamed<RichListView>(w.window, "legolist"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(save.count(), 1);
    QTest::keyClick(FindNamed<RichListView>(w.window, "legolist"), Qt::Key_S,
                    Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(FindNamed<RichListView>(w.window, "legolist"), Qt::Key_S,
                    Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(save.count(), 1);
    QTest::keyClick(FindNamed<RichListView>(w.window, "legolist"), Qt::Key_Delete);
    EXPECT_EQ(remove.count(), 1);

    FindNamed<QLineEdit>(w.window, "Edit1")->setFocus();
    QTest::keyClick(FindNamed<QLineEdit>(w.window, "Edit1"), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(save.count(), 1);

    EXPECT_FALSE(w.window.Access().Inventory().Modified());
    FindNamed<QPlainTextEdit>(w.window, "Memo1")->setFocus();
    QTest::keyClicks(FindNamed<QPlainTextEdit>(w.window, "Memo1"), "ab");
    EXPECT_TRUE(w.window.Access().Inventory().Modified());
    QTest::keyClick(FindNamed<QPlainTextEdit>(w.window, "Memo1"), Qt::Key_Home);
    QTest::keyClick(FindNamed<QPlainTextEdit>(w.window, "Memo1"), Qt::Key_Delete);
    EXPECT_EQ(FindNamed<QPlainTextEdit>(w.window, "Memo1")->toPlainText(), "b");
    EXPECT_EQ(remove.count(), 1);

    // Ctrl+A in the Find box adds the part.
    QSignalSpy add(FindNamed<QPushButton>(w.window, "BitBtn4"), &QPushButton::clicked);
    FindNamed<QLineEdit>(w.window, "edit5")->setFocus();
    QTest::keyClick(FindNamed<QLineEdit>(w.window, "edit5"), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(add.count(), 1);
}

TEST(MainWindow, CloseAsksAboutUnsavedChangesAndYesKeepsItOpen) {
    Window w("h\n");
    EXPECT_TRUE(w.window.close());
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    w.window.show();
    w.window.Access().Inventory().SetModified(true);
    TestMessages::QueueAnswers({true});
    EXPECT_FALSE(w.window.close());
    EXPECT_TRUE(w.window.isVisible());
    EXPECT_EQ(TestMessages::Shown(), QStringList{"Do you want to save your changes before you exit?"});
    TestMessages::QueueAnswers({false});
    EXPECT_TRUE(w.window.close());
}

TEST(MainWindow, CaptionFollowsTheSetName) {
    Window w("h\n");
    EXPECT_EQ(w.window.windowTitle(), "Tessarin");
    FindNamed<QLineEdit>(w.window, "Edit1")->setText("6090 Royal Knight's Castle");
    EXPECT_EQ(w.window.windowTitle(), "Tessarin           6090 Royal Knight's Castle");
    FindNamed<QLineEdit>(w.window, "Edit1")->clear();
    EXPECT_EQ(w.window.windowTitle(), "Tessarin           ");
}

// With more rows than it shows, the list at its 500 px cap is narrower than its columns: showing a row must
// not shift the part numbers out of sight, and a sideways scroll of the user's own stays where it was put.
TEST(MainWindow, ShowingAMasterRowNeverScrollsTheListSideways) {
    std::string master = "h\n92800\tMinifig, Torso with Arms and Hands\n62370\tPlate 1 x 2 with Clip\n";
    for (int part = 3000; part < 3100; ++part)
        master += std::to_string(part) + "\tBrick " + std::to_string(part) + "\n";
    Window w(master);
    w.window.resize(1000, 800);
    QApplication::processEvents();
    RichListView* list = FindNamed<RichListView>(w.window, "legolist");
    QScrollBar* sideways = list->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    for (int row : {0, 1, 2})
        for (int column : {1, 0}) {
            ClickCell(list, row, column);
            EXPECT_EQ(sideways->value(), 0) << row << " " << column;
            EXPECT_EQ(list->SelectedRow(), row);
        }
    ClickCell(list, 0, 1);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->SelectedRow(), 1);
    EXPECT_EQ(sideways->value(), 0);
    w.Find("3090");
    EXPECT_EQ(sideways->value(), 0);

    list->scrollToTop();
    sideways->setValue(sideways->maximum());
    ClickCell(list, 0, 0);
    EXPECT_EQ(list->SelectedRow(), 0);
    EXPECT_EQ(sideways->value(), sideways->maximum());
}

// The count can run to many digits: the label shows it whole, and "Set:" and the set name stand clear of it.
TEST(MainWindow, CountLabelShowsALongCountWholeBesideTheSetName) {
    Window w("h\n3001\tBrick 2 x 4\n");
    InventoryModel& inventory = w.window.Access().Inventory();
    for (const char* quantity : {"999999999", "999999999", "999999999", "41"})
        inventory.AddInventoryRow("3001", "Brick 2 x 4", "Red", QLatin1String(quantity), {}, {});
    auto* count = FindNamed<QLabel>(w.window, "Label5");
    ASSERT_EQ(count->text(), "3000000038");
    for (QSize size : {QSize(1000, 800), QSize(800, 537)}) {
        w.window.resize(size);
        QApplication::processEvents();
        QList<QWidget*> row = {FindNamed<QLabel>(w.window, "Label4"), count,
                               FindNamed<QLabel>(w.window, "Label6"), FindNamed<QLineEdit>(w.window, "Edit1"),
                               FindNamed<QPushButton>(w.window, "BitBtn8")};
        for (int i = 0; i < 3; ++i) {
            auto* label = static_cast<QLabel*>(row[i]);
            EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->contentsRect().width())
                << size.width() << " " << label->text().toStdString();
        }
        for (int i = 0; i + 1 < row.size(); ++i)
            EXPECT_LE(row[i]->geometry().right(), row[i + 1]->x()) << size.width() << " " << i;
    }
}
