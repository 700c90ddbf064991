#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "app/inventory_window.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "support/service_stand_in.h"
#include "ui/controls/fading_label.h"
#include "ui/kit/make_named.h"

namespace fs = std::filesystem;

namespace {

const QString kMasterFailure =
    "There was a problem downloading master.txt.\r\nmaster.txt was not updated.  Please "
    "check your internet conection.";

// The running window with the service account filled in and the service stand-in behind it.
class MainWindowWeb : public ::testing::Test {
  protected:
    void SetUp() override {
        // A wait that is not cancelled ends soon, and shows as timed out.
        w.window->Web().Service().HTTPClient1.IdleTimeOut = 3000;
        w.settings->Edit2->setText("ann");
        w.settings->Edit3->setText("p&ss w");
    }

    void Trigger(const QString& caption) {
        for (QAction* action : w.window->findChildren<QAction*>())
            if (action->text() == caption) return action->trigger();
        FAIL() << "no menu item " << caption.toStdString();
    }
    // Runs act once widget shows, from within the wait that shows it.
    static void WhenVisible(QWidget* widget, std::function<void()> act) {
        auto* poll = new QTimer(widget);
        QObject::connect(poll, &QTimer::timeout, widget, [poll, widget, act] {
            if (!widget->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            act();
        });
        poll->start(5);
    }
    // Downloads a set, the set number asked for answered with number and suffix.
    void DownloadSet(const QString& number, const QString& suffix) {
        EXPECT_TRUE(AnswerWindow<NumberPrompt>([&] { Trigger("Download a &set inventory"); },
                                               [&](NumberPrompt& prompt) {
                                                   prompt.Edit1->setText(number);
                                                   prompt.ComboBox1->setCurrentText(suffix);
                                                   prompt.BitBtn1->click();
                                               }));
    }
    std::string DataFile(const std::string& name) {
        return ReadFileBytes(w.dir / name).value_or("<missing>");
    }
    QStringList Keys() {
        QStringList keys;
        for (int row = 0; row < w.window->Access().Inventory().InventoryRowCount(); ++row)
            keys << w.window->Access().Inventory().InventoryCell(ColKey, row);
        return keys;
    }
    bool StatusHidden() {
        return FindNamed<FadingLabel>(*w.window, "FadingLabel1")->isHidden() &&
               FindNamed<QPushButton>(*w.window, "CancelDownload")->isHidden();
    }

    InventoryWindow w;
    ServiceStandIn standIn;
};

} // namespace

TEST_F(MainWindowWeb, SetDownloadLogsInAndAppendsTheSetsRows) {
    w.Add("3020", "Blue", "1");
    DownloadSet("6399", "-1");
    EXPECT_EQ(standIn.Targets(), (std::vector<std::string>{kLoginTarget, "/welcome", "/inv/raw/6399-1/"}));
    EXPECT_EQ(Keys(), (QStringList{"3020Blue", "3001Red", "3003Black"}));
    EXPECT_EQ(w.Row(1), (QStringList{"3001Red", "2", "3001", "A", "Red", "Brick 2 x 4", "box 7"}));
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "8");
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "invlist")->SelectedRow(), 2);
    EXPECT_EQ(w.window->Access().Inventory().SetName(), "6399-1");
    EXPECT_EQ(w.settings->SetInformation(SetField::InvBy), "Jane Doe");
    EXPECT_EQ(DataFile("inventory/6399-1.inv"), kRawSet);
    EXPECT_TRUE(StatusHidden());
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    const std::string login = standIn.Requests()[0];
    EXPECT_EQ(RequestHeaderValue(login, "User-Agent"), "Tessarin version 0.0.46");
    EXPECT_EQ(RequestHeaderValue(login, "Authorization"), "") << "a user id without a password sends none";

    // A set the service does not know: reported, nothing added, nothing kept; no second login.
    DownloadSet("1234", "-2");
    EXPECT_EQ(TestMessages::Shown(), QStringList{"There was a problem downloading 1234-2.inv"});
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 3);
    EXPECT_FALSE(fs::exists(w.dir / "inventory" / "1234-2.inv"));
    const std::vector<std::string> requests = standIn.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(RequestTarget(requests[3]), "/inv/raw/1234-2/");
    EXPECT_EQ(RequestHeaderValue(requests[3], "Cookie"), kServiceCookie);
    EXPECT_TRUE(StatusHidden());
}

TEST_F(MainWindowWeb, MyPartsNeedsTheLoginCookie) {
    w.settings->Edit3->setText("wrong");
    Trigger("Download &My Parts inventory");
    EXPECT_EQ(
        TestMessages::Shown(),
        QStringList{"Unable to login to 127.0.0.1.  Please check your username and password on the More "
                    "page and try again."});

    // A cookie the service no longer honours brings its login page, not a part list.
    TestMessages::Clear();
    w.window->Web().Service().HTTPClient1.HeaderInfo.Cookie = "SESSION=stale";
    Trigger("Download &My Parts inventory");
    EXPECT_EQ(TestMessages::Shown(), QStringList{"There was a problem downloading PeeronMyParts.tsv"});
    EXPECT_EQ(w.window->Access().Inventory().InventoryRowCount(), 0);
    EXPECT_FALSE(fs::exists(w.dir / "inventory" / "PeeronMyParts.tsv"));

    TestMessages::Clear();
    w.window->Web().Service().HTTPClient1.HeaderInfo.Cookie.clear();
    w.settings->Edit3->setText("p&ss w");
    Trigger("Download &My Parts inventory");
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    EXPECT_EQ(w.Row(0), (QStringList{"3001Red", "4", "3001", "", "Red", "Brick 2 x 4", ""}));
    EXPECT_EQ(w.window->Access().Inventory().CountText(), "4");
    EXPECT_EQ(standIn.Targets().back(), "/cgi-bin/invcgis/mypartsexport?format=026");
    EXPECT_TRUE(StatusHidden());

    Trigger("&Upload an invenotry");
    EXPECT_EQ(TestMessages::Shown(), QStringList{"Sorry this is feature unavailable right now."});
}

TEST_F(MainWindowWeb, MasterUpdateReloadsTheListAndABrokenReplyChangesNothing) {
    const std::string original = DataFile("master.txt");
    standIn.SetMasterReply(ServiceReply("500 Internal Server Error", kMasterList));
    Trigger("&Update master.txt");
    EXPECT_EQ(TestMessages::Shown(), QStringList{kMasterFailure});
    EXPECT_EQ(DataFile("master.txt"), original);
    EXPECT_FALSE(fs::exists(w.dir / "old_master.txt"));
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "legolist")->RowCount(), 3);
    EXPECT_TRUE(StatusHidden());

    TestMessages::Clear();
    standIn.SetMasterReply(ServiceReply("200 OK", kMasterList));
    Trigger("&Update master.txt");
    EXPECT_EQ(TestMessages::Shown(), QStringList{"master.txt has been updated!"});
    EXPECT_EQ(DataFile("master.txt"), kMasterList);
    EXPECT_EQ(DataFile("old_master.txt"), original);
    // The list now holds the new rows only.
    EXPECT_EQ(FindNamed<RichListView>(*w.window, "legolist")->RowCount(), 2);
    EXPECT_EQ(w.window->Access().MasterDescription("3003"), "Brick 2 x 2");
    EXPECT_EQ(w.window->Access().MasterDescription("3020"), "");
    EXPECT_EQ(standIn.Targets(), (std::vector<std::string>{"/inv/master/", "/inv/master/"}));
}

TEST_F(MainWindowWeb, CancelDuringTheWaitAndNothingElseStarts) {
    standIn.stallMaster = true;
    const std::string original = DataFile("master.txt");
    bool busy = false, openAsked = false;
    w.prompts.open = [&](const FileChoice&, bool) {
        openAsked = true;
        return QStringList();
    };
    WhenVisible(FindNamed<QPushButton>(*w.window, "CancelDownload"), [&] {
        busy = BusyGuard::IsBusy();
        EXPECT_EQ(FindNamed<FadingLabel>(*w.window, "FadingLabel1")->Caption(), "Downloading master.txt");
        EXPECT_FALSE(AnswerWindow<NumberPrompt>([&] { Trigger("Download a &set inventory"); },
                                                [](NumberPrompt& prompt) { prompt.reject(); }));
        FindNamed<QPushButton>(*w.window, "BitBtn2")->click();
        QTest::keyClick(FindNamed<RichListView>(*w.window, "legolist"),
                        Qt::Key_Escape); // the Cancel button's key
    });
    Trigger("&Update master.txt");
    EXPECT_TRUE(busy);
    EXPECT_TRUE(w.window->Web().Service().HTTPClient1.Canceled);
    EXPECT_FALSE(openAsked);
    EXPECT_EQ(standIn.Targets(), std::vector<std::string>{"/inv/master/"}) << "no second command started";
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << "the user's own Cancel needs no message";
    EXPECT_EQ(DataFile("master.txt"), original);
    EXPECT_TRUE(StatusHidden());
    EXPECT_FALSE(BusyGuard::IsBusy());
}

TEST_F(MainWindowWeb, ClosingDuringAStalledDownloadClosesOnceItUnwinds) {
    standIn.stallMaster = true;
    const std::string original = DataFile("master.txt");
    bool closedAtOnce = true;
    WhenVisible(FindNamed<QPushButton>(*w.window, "CancelDownload"),
                [&] { closedAtOnce = w.window->close(); });
    Trigger("&Update master.txt");
    EXPECT_FALSE(closedAtOnce) << "the window stays while the command unwinds";
    EXPECT_TRUE(w.window->Web().Service().HTTPClient1.Canceled) << "closing cuts the download short";
    EXPECT_FALSE(w.window->Web().Service().IsRunning());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.window->isVisible(); }, 2000));
    EXPECT_EQ(DataFile("master.txt"), original);
    EXPECT_FALSE(fs::exists(w.dir / "master.tmp"));
}
