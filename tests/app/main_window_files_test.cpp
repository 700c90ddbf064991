#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <future>
#include <gtest/gtest.h>

#include "app/inventory_test_support.h"
#include "app/inventory_window.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "ui/controls/fading_label.h"
#include "ui/kit/make_named.h"

namespace {

// The window's file dialogs and count prompt replaced by answers given in advance; what they were asked is
// kept.
struct FakeDialogs {
    explicit FakeDialogs(TestPrompts& prompts) {
        prompts.open = [this](const FileChoice& choice, bool several) {
            asked << QStringLiteral("open %1 %2 %3")
                         .arg(choice.filter.left(3), choice.start, several ? "many" : "one");
            return openAnswer;
        };
        prompts.save = [this](const FileChoice& choice, QString& selectedFilter) {
            asked << QStringLiteral("save %1").arg(choice.start);
            selectedFilter = saveFilter;
            return saveAnswer;
        };
        prompts.count = [this](const QString& prompt) {
            asked << prompt;
            return count;
        };
    }
    QStringList openAnswer;
    QString saveAnswer;
    QString saveFilter = QStringLiteral("prn (*.prn)");
    int count = 0;
    QStringList asked;
};

void WriteTsv(const TempDir& dir, const char* name, const std::string& rows) {
    WriteFileBytes(dir / name, "Quantity\tPart\tColor\tDescription\tNotes\r\n" + rows);
}

QStringList Keys(MainWindow& window) {
    QStringList keys;
    for (int row = 0; row < window.Access().Inventory().InventoryRowCount(); ++row)
        keys << window.Access().Inventory().InventoryCell(ColKey, row);
    return keys;
}

// Sends a drag of the files onto the inventory list as the desktop would; true when the drop was taken.
bool DropOnInventory(MainWindow& window, const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QWidget* surface = FindNamed<RichListView>(window, "invlist")->viewport();
    const QPoint point(20, 20);
    QDragEnterEvent enter(point, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &enter);
    QDropEvent drop(QPointF(point), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(surface, &drop);
    QCoreApplication::processEvents(); // the files are read once the drop is over
    return drop.isAccepted();
}

// Counts what makes the inventory view lay itself out again or move its selection.
struct ViewChurn {
    explicit ViewChurn(RichListView& list) {
        const auto count = [this](int& counter) { return [&counter] { ++counter; }; };
        QAbstractItemModel* model = &list.Model();
        QObject::connect(model, &QAbstractItemModel::rowsInserted, &context, count(insertions));
        QObject::connect(model, &QAbstractItemModel::modelReset, &context, count(insertions));
        QObject::connect(model, &QAbstractItemModel::layoutChanged, &context, count(insertions));
        QObject::connect(list.selectionModel(), &QItemSelectionModel::currentChanged, &context,
                         count(selections));
    }
    QObject context;
    int insertions = 0;
    int selections = 0;
};

} // namespace

TEST(MainWindowFiles, EveryFileReadInsertsItsRowsOnceAndSelectsOnce) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    std::string lines;
    for (int i = 0; i < 1000; ++i)
        lines += std::to_string(1 + i % 4) + "\t" + std::to_string(3000 + i) + "\t\tRed\tBrick\t\n";
    WriteFileBytes(w.dir / "thousand.inv", lines);
    const QString path = PathIn(w.dir, "thousand.inv");
    const std::vector<std::pair<const char*, std::function<void()>>> reads = {
        {"drop", [&] { ASSERT_TRUE(DropOnInventory(*w.window, {path})); }},
        {"open", [&] { dialogs.openAnswer = {path}, FindNamed<QPushButton>(*w.window, "BitBtn2")->click(); }},
        {"multi-open", [&] { dialogs.openAnswer = {path}, dialogs.count = 2, w.window->MultiOpenClick(); }},
        {"download", [&] { w.window->Web().ReadInvFile(w.dir / "thousand.inv"); }},
    };
    int rows = 0;
    for (const auto& [name, read] : reads) {
        SCOPED_TRACE(name);
        ViewChurn churn(*FindNamed<RichListView>(*w.window, "invlist"));
        read();
        const int copies = name == std::string("multi-open") ? 2 : 1;
        rows += copies * 1000;
        ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), rows);
        EXPECT_EQ(churn.insertions, copies) << "one insertion per file read";
        EXPECT_EQ(churn.selections, 1);
        EXPECT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), rows - 1);
        EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColKey, rows - 1), "3999Red");
    }
    EXPECT_EQ(w.window->Access().Inventory().CountText(), QString::number(5 * 2500));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST(MainWindowFiles, OpenAppendsEveryChosenFileInOrderAndSelectsTheLastRow) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    WriteTsv(w.dir, "a.tsv", "2\t3001\tRed\tBrick\t\r\n1\t3020\tBlue\tPlate\t\r\n");
    WriteTsv(w.dir, "b.tsv", "5\t3003\tBlack\tBrick 2 x 2\t\r\n");
    w.Add("3001", "Black", "1");
    dialogs.openAnswer = {PathIn(w.dir, "a.tsv"), PathIn(w.dir, "b.tsv")};
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    EXPECT_EQ(Keys(*w.window), (QStringList{"3001Black", "3001Red", "3020Blue", "3003Black"}));
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 3);
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "9");
    // The rows now together exist in no file: leaving without saving asks first.
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
    w.window->Access().Inventory().SetModified(false);
    EXPECT_FALSE(w.window->Loading);
    EXPECT_TRUE(FindNamed<FadingLabel>(*w.window, "FadingLabel1")->isHidden());
    EXPECT_TRUE(FindNamed<RichListView>(*w.window, "invlist")->updatesEnabled());
    EXPECT_EQ(FindNamed<FileDialogState>(*w.window, "OpenDialog1")->FileName, PathIn(w.dir, "a.tsv"));
    // The next dialog starts in the folder of that file; the save dialog proposes the last file read.
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_EQ(
        dialogs.asked,
        (QStringList{"open prn  many", "open prn " + QString::fromStdString(w.dir.path().string()) + " many",
                     "save " + PathIn(w.dir, "b")}));
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    // With unsaved changes the question comes first, and Yes stops before the dialog.
    w.window->Access().Inventory().SetModified(true);
    TestMessages::QueueAnswers({true});
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{"Do you want to save your changes before loading a new inventory?"});
    EXPECT_EQ(dialogs.asked.size(), 3);
    // Cells out of range read as empty.
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(-1, 0), "");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColNotes + 1, 0), "");
}

TEST(MainWindowFiles, MultiOpenReadsTheSetTheNumberOfTimesAsked) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    const QString set = Fixture("roundtrip.prn");
    dialogs.openAnswer = {set};
    dialogs.count = 0;
    w.window->MultiOpenClick();
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    dialogs.count = 3;
    w.window->MultiOpenClick();
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 9);
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "27");
    EXPECT_EQ(w.window->Access().Inventory().InventoryCell(ColKey, 3), "3001Red");
    EXPECT_EQ(dialogs.asked[0].left(8), "open prn");
    EXPECT_TRUE(dialogs.asked[0].endsWith(" one"));
    EXPECT_EQ(dialogs.asked[1], "How many of set " + set + " should be added?");
    // Cancelling the file choice asks for no count.
    dialogs.openAnswer.clear();
    w.window->MultiOpenClick();
    EXPECT_EQ(dialogs.asked.size(), 5);
}

TEST(MainWindowFiles, SaveNewAndOpenRoundTripThroughTheWindow) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    dialogs.openAnswer = {Fixture("roundtrip.prn")};
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 3);
    EXPECT_EQ(w.window->Access().Inventory().SetName(), "6399-1 Airport Shuttle");
    EXPECT_EQ(w.settings->SetInformation(SetField::InvBy), "Jane Doe");
    w.window->Access().Inventory().SetModified(true);

    // A name without an extension takes the chosen filter's.
    dialogs.saveAnswer = PathIn(w.dir, "copy");
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_FALSE(w.window->Access().Inventory().Modified());
    EXPECT_EQ(ReadFileBytes(w.dir / "copy.prn"), ReadFileBytes(TestData("inventory/roundtrip.prn")));

    w.window->Access().Inventory().SetModified(true);
    TestMessages::QueueAnswers({true});
    FindNamed<QPushButton>(*w.window, "BitBtn1")->click();
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 3); // Yes keeps the inventory to save it
    TestMessages::QueueAnswers({false});
    FindNamed<QPushButton>(*w.window, "BitBtn1")->click();
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    EXPECT_EQ(w.window->Access().Inventory().SetName(), "");
    EXPECT_EQ(w.settings->SetInformation(SetField::InvBy), "");
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "0");
    EXPECT_EQ(w.window->windowTitle(), "Tessarin           ");
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    dialogs.openAnswer = {PathIn(w.dir, "copy.prn")};
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    EXPECT_EQ(w.window->Access().Inventory().SetName(), "6399-1 Airport Shuttle");
    EXPECT_EQ(w.settings->SetInformation(SetField::Date), "2004-03-12");
    EXPECT_EQ(w.Row(2), (QStringList{"3020Black", "4", "3020", "2", "Black", "Plate 2 x 4 & more",
                                     "two lines  joined"}));

    // An empty inventory is not saved; a cancelled dialog keeps Modified.
    w.window->Access().Inventory().SetModified(true);
    dialogs.saveAnswer.clear();
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
}

TEST(MainWindowFiles, SavingUnderTheProposedNameAsksBeforeReplacingTheOpenedFile) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    const auto original = ReadFileBytes(TestData("inventory/roundtrip.prn"));
    WriteFileBytes(w.dir / "good.prn", original.value());
    dialogs.openAnswer = {PathIn(w.dir, "good.prn")};
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    w.Add("3003", "Red", "1");
    w.window->Access().Inventory().SetModified(true);

    // Enter on the proposed name, which the dialog shows without the extension.
    dialogs.saveAnswer = PathIn(w.dir, "good");
    const QString question = PathIn(w.dir, "good.prn") + " already exists. Do you want to replace it?";
    TestMessages::Clear();
    TestMessages::QueueAnswers({false});
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_EQ(dialogs.asked.last(), "save " + dialogs.saveAnswer);
    EXPECT_EQ(TestMessages::Shown(), QStringList{question});
    EXPECT_EQ(ReadFileBytes(w.dir / "good.prn"), original);
    EXPECT_TRUE(w.window->Access().Inventory().Modified());

    TestMessages::QueueAnswers({true});
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_EQ(TestMessages::Shown(), (QStringList{question, question}));
    EXPECT_NE(ReadFileBytes(w.dir / "good.prn").value_or("").find("3003"), std::string::npos);
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    // A name no file has yet is written without a question.
    w.window->Access().Inventory().SetModified(true);
    dialogs.saveAnswer = PathIn(w.dir, "new");
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    EXPECT_EQ(TestMessages::Shown().size(), 2);
    EXPECT_EQ(ReadFileBytes(w.dir / "new.prn"), ReadFileBytes(w.dir / "good.prn"));
    EXPECT_FALSE(w.window->Access().Inventory().Modified());
}

TEST(MainWindowFiles, NoCommandStartsDuringAReadAndClosingWaitsForItsEnd) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    dialogs.openAnswer = {Fixture("roundtrip.prn")};
    {
        BusyGuard reading;
        for (QPushButton* button :
             {FindNamed<QPushButton>(*w.window, "BitBtn1"), FindNamed<QPushButton>(*w.window, "BitBtn2"),
              FindNamed<QPushButton>(*w.window, "BitBtn3"), FindNamed<QPushButton>(*w.window, "BitBtn5")})
            button->click();
        FindNamed<RichListView>(*w.window, "legolist")->setFocus();
        QTest::keyClick(FindNamed<RichListView>(*w.window, "legolist"), Qt::Key_O, Qt::ControlModifier);
        EXPECT_TRUE(dialogs.asked.isEmpty());
        EXPECT_FALSE(w.window->close());
        EXPECT_TRUE(w.window->isVisible());
    }
    // Once the read is over the window closes by itself.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.window->isVisible(); }, 2000));
}

TEST(MainWindowFiles, ClosingWhileAFileIsParsedWaitsForItsRowsAndThenCloses) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    dialogs.openAnswer = {Fixture("roundtrip.prn")};
    std::promise<void> asked;
    std::future<void> askedToClose = asked.get_future();
    bool closedAtOnce = true;
    QTimer::singleShot(0, w.window.get(), [&] {
        closedAtOnce = w.window->close() || !w.window->isVisible();
        asked.set_value();
    });
    bool askedInTime = false;
    w.window->Files().UseReader([&](const QString& path, const InventoryLookups& lookups) {
        askedInTime = askedToClose.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
        return ReadInventoryFile(path, lookups);
    });
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    EXPECT_TRUE(askedInTime);
    EXPECT_FALSE(closedAtOnce);
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.window->isVisible(); }, 2000));
}

TEST(MainWindowFiles, DroppedFilesAppendTheirRowsInOrderAsOpenWould) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    const QStringList files = {Fixture("roundtrip.prn"), Fixture("wanted.blk"), Fixture("roundtrip.inv")};
    ASSERT_TRUE(DropOnInventory(*w.window, files));
    const QStringList dropped = Keys(*w.window);
    EXPECT_EQ(dropped.mid(0, 3), (QStringList{"3001Red", "3001Blue", "3020Black"}));
    EXPECT_TRUE(FindNamed<FadingLabel>(*w.window, "FadingLabel1")->isHidden());
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    TestMessages::QueueAnswers({false});
    FindNamed<QPushButton>(*w.window, "BitBtn1")->click();
    dialogs.openAnswer = files;
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    EXPECT_EQ(Keys(*w.window), dropped);
    EXPECT_GT(dropped.size(), 6);

    // Unsaved changes: the question comes first and Yes loads nothing; text is no file list.
    w.window->Access().Inventory().SetModified(true);
    TestMessages::Clear();
    TestMessages::QueueAnswers({true});
    EXPECT_TRUE(DropOnInventory(*w.window, {Fixture("roundtrip.prn")}));
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{"Do you want to save your changes before loading a new inventory?"});
    EXPECT_EQ(Keys(*w.window), dropped);
    QMimeData text;
    text.setText(Fixture("roundtrip.prn"));
    QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(FindNamed<RichListView>(*w.window, "invlist")->viewport(), &drop);
    QCoreApplication::processEvents();
    EXPECT_EQ(Keys(*w.window), dropped);
}

TEST(MainWindowFiles, WorkbookSaveNewAndOpenBringBackTheSameRows) {
    InventoryWindow w;
    FakeDialogs dialogs(w.prompts);
    w.Add("3020", "Black", "1");
    w.Add("3001", "Red", "2");
    w.Add("3003", "Purple", "4"); // not in the colour table
    w.Add("3001", "Blue", "3");
    w.window->Access().Inventory().SetModified(true);
    dialogs.saveAnswer = PathIn(w.dir, "set");
    dialogs.saveFilter = "xls(*.xls)";
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    // The layout has no place for a colour the table lacks: the one message says how many rows lost theirs.
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{PathIn(w.dir, "set.xls") +
                          ": 1 rows have colours that colors.txt does not list; their quantities were saved "
                          "under UNKNOWN, without their colour names."});
    TestMessages::Clear();
    EXPECT_FALSE(w.window->Access().Inventory().Modified());

    FindNamed<QPushButton>(*w.window, "BitBtn1")->click();
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    dialogs.openAnswer = {PathIn(w.dir, "set.xls")};
    FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
    // One sheet row per part, colours in the table's order, the unknown colour last.
    ASSERT_EQ(w.window->Access().Inventory().InventoryRowCount(), 4);
    EXPECT_EQ(w.Row(0), (QStringList{"3001Red", "2", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(w.Row(1), (QStringList{"3001Blue", "3", "3001", "", "Blue", "Brick 2 x 4", ""}));
    EXPECT_EQ(w.Row(2), (QStringList{"3003UNKNOWN", "4", "3003", "", "UNKNOWN", "Brick & Tile <b>", ""}));
    EXPECT_EQ(w.Row(3), (QStringList{"3020Black", "1", "3020", "", "Black", "Plate 2 x 4", ""}));
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "10");

    // A quantity that is no number: reported, the file left as it was, the inventory still unsaved.
    const auto saved = ReadFileBytes(w.dir / "set.xls");
    w.Add("3001", "Red", "two");
    w.window->Access().Inventory().SetModified(true);
    dialogs.saveAnswer = PathIn(w.dir, "set.xls");
    FindNamed<QPushButton>(*w.window, "BitBtn3")->click();
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(TestMessages::Shown()[0].contains("could not be saved"))
        << TestMessages::Shown()[0].toStdString();
    EXPECT_TRUE(w.window->Access().Inventory().Modified());
    EXPECT_EQ(ReadFileBytes(w.dir / "set.xls"), saved);
}
