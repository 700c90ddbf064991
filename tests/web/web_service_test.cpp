#include "platform/fs.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "support/service_stand_in.h"
#include "support/test_support.h"
#include "web/upload_window.h"
#include "web/web_service.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <sys/resource.h>

namespace fs = std::filesystem;

namespace {

// The main window as the commands see it.
struct FakeMainWindow : WebServiceHost {
    QString user = "ann", password = "p&ss w";
    int setNumber = 6399;
    QString suffix = "-1";
    int prompts = 0, reloads = 0;
    QStringList statuses;
    bool statusVisible = false;
    std::vector<fs::path> invFiles, tsvFiles;
    std::function<void(const QString&)> onStatus;
    // Messages are recorded; the set number question is answered from the fields above.
    RecordingPrompts questions;

    FakeMainWindow() {
        questions.setNumber = [this](const QString&, QString& chosen) {
            ++prompts;
            chosen = suffix;
            return setNumber;
        };
    }
    QString LoginUser() override { return user; }
    QString LoginPassword() override { return password; }
    void ShowStatus(const QString& text) override {
        statuses << text;
        statusVisible = true;
        if (onStatus) onStatus(text);
    }
    void HideStatus() override { statusVisible = false; }
    void ReloadMasterList() override { ++reloads; }
    void ReadInvFile(const fs::path& file) override { invFiles.push_back(file); }
    void ReadTsvFile(const fs::path& file) override { tsvFiles.push_back(file); }
};

class WebServiceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetDataDir(data.path());
        TestMessages::Clear();
    }
    std::string DataFile(const std::string& name) { return ReadFileBytes(data / name).value_or("<missing>"); }

    TempDir data;
    ServiceStandIn standIn;
    FakeMainWindow window;
    WebService service{window, window.questions};
};

const QString kUnableToLogin =
    "Unable to login to 127.0.0.1.  Please check your username and password on the More "
    "page and try again.";
const QString kMasterNotUpdated =
    "There was a problem downloading master.txt.\r\nmaster.txt was not updated.  ";
const QString kMasterFailure = kMasterNotUpdated + "Please check your internet conection.";

} // namespace

TEST_F(WebServiceTest, SetDownloadLogsInOnceAndReadsTheInventory) {
    service.DownloadSetInventory();
    EXPECT_EQ(standIn.Targets(), (std::vector<std::string>{kLoginTarget, "/welcome", "/inv/raw/6399-1/"}));
    const fs::path file = data / "inventory" / "6399-1.inv";
    ASSERT_EQ(window.invFiles, std::vector<fs::path>{file});
    EXPECT_EQ(ReadFileBytes(file).value_or(""), kRawSet);
    EXPECT_EQ(DataFile("Default.htm"), "<html>Welcome</html>") << "the login reply goes to Default.htm";
    // The login shows the label too, so that Cancel can end it.
    EXPECT_EQ(window.statuses,
              (QStringList{"Connecting to 127.0.0.1", "Connecting to 127.0.0.1", "Downloading 6399-1.inv",
                           "Saving 6399-1.inv", "Loading 6399-1.inv"}));
    EXPECT_FALSE(window.statusVisible);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());

    // The second download sends no login and carries the cookie.
    service.DownloadSetInventory();
    const std::vector<std::string> requests = standIn.Requests();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(RequestTarget(requests[3]), "/inv/raw/6399-1/");
    EXPECT_EQ(RequestHeaderValue(requests[3], "Cookie"), kServiceCookie);
    EXPECT_EQ(RequestHeaderValue(requests[3], "User-Agent"), "Tessarin");
    EXPECT_EQ(DataFile("Head.txt").substr(0, 17), "HTTP/1.0 200 OK\r\n");
}

TEST_F(WebServiceTest, UnknownSetIsRemovedAndReported) {
    window.setNumber = 1234;
    // An earlier good copy of the file survives a failed download.
    fs::create_directories(data / "inventory");
    WriteFileBytes(data / "inventory" / "1234-1.inv", "old copy");
    service.DownloadSetInventory();
    EXPECT_EQ(TestMessages::Shown(), QStringList{"There was a problem downloading 1234-1.inv"});
    EXPECT_EQ(ReadFileBytes(data / "inventory" / "1234-1.inv").value_or(""), "old copy");
    EXPECT_FALSE(fs::exists(data / "inventory" / "1234-1.inv.tmp"));
    EXPECT_TRUE(window.invFiles.empty());
    EXPECT_FALSE(window.statusVisible);
}

TEST_F(WebServiceTest, CancelledPromptSendsNothingAfterTheLogin) {
    window.setNumber = 0;
    service.DownloadSetInventory();
    EXPECT_EQ(standIn.Targets(), (std::vector<std::string>{kLoginTarget, "/welcome"}));
    EXPECT_EQ(window.prompts, 1);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
}

TEST_F(WebServiceTest, WrongPasswordStopsWithTheLoginMessage) {
    window.password = "wrong";
    service.DownloadSetInventory();
    EXPECT_EQ(TestMessages::Shown(), QStringList{kUnableToLogin});
    EXPECT_EQ(window.prompts, 0);
    service.DownloadMyParts();
    EXPECT_EQ(standIn.Targets().size(), 2u) << "a failed login is tried again by the next command";
    EXPECT_TRUE(window.tsvFiles.empty());

    // A cookie counts only with a successful reply, also when a redirect brought it.
    window.password = "p&ss w";
    for (const std::string& reply :
         {ServiceReply("500 Internal Server Error", "", "Set-Cookie: " + kServiceCookie + "\r\n"),
          ServiceReply("302 Found", "", "Set-Cookie: " + kServiceCookie + "\r\nLocation: /broken\r\n")}) {
        TestMessages::Clear();
        standIn.SetReply(kLoginTarget, reply);
        standIn.SetReply("/broken", ServiceReply("503 Service Unavailable", ""));
        service.DownloadSetInventory();
        EXPECT_EQ(TestMessages::Shown(), QStringList{kUnableToLogin}) << reply;
        EXPECT_EQ(service.HTTPClient1.HeaderInfo.Cookie, "") << reply;
        EXPECT_EQ(window.prompts, 0);
    }
}

TEST_F(WebServiceTest, MyPartsNeedsTheCookie) {
    service.DownloadMyParts();
    const fs::path file = data / "inventory" / "PeeronMyParts.tsv";
    ASSERT_EQ(window.tsvFiles, std::vector<fs::path>{file});
    EXPECT_EQ(ReadFileBytes(file).value_or(""), kMyParts);

    // Without the cookie the service answers with a page that is not a part list.
    WebService fresh(window, window.questions);
    fresh.HTTPClient1.HeaderInfo.Cookie = "SESSION=stale";
    fresh.DownloadMyParts();
    EXPECT_EQ(TestMessages::Shown(), QStringList{"There was a problem downloading PeeronMyParts.tsv"});
    EXPECT_EQ(window.tsvFiles.size(), 1u);
    EXPECT_EQ(ReadFileBytes(file).value_or(""), kMyParts) << "the earlier list stays";
}

TEST_F(WebServiceTest, MasterUpdateRotatesTheLists) {
    WriteFileBytes(data / "master.txt", "Part Number\tDescription\nold\tlist\n");
    WriteFileBytes(data / "old_master.txt", "older");
    // What a run that ended during a download left behind.
    fs::create_directories(data / "inventory");
    for (const char* leftover : {"master.tmp", "inventory/6399-1.inv.tmp", "inventory/PeeronMyParts.tsv.tmp"})
        WriteFileBytes(data / leftover, "partial");
    WriteFileBytes(data / "inventory" / "mine.tmp", "not ours");
    service.UpdateMasterList();
    EXPECT_FALSE(fs::exists(data / "inventory" / "6399-1.inv.tmp"));
    EXPECT_FALSE(fs::exists(data / "inventory" / "PeeronMyParts.tsv.tmp"));
    EXPECT_TRUE(fs::exists(data / "inventory" / "mine.tmp"));
    EXPECT_EQ(DataFile("master.txt"), kMasterList);
    EXPECT_EQ(DataFile("old_master.txt"), "Part Number\tDescription\nold\tlist\n");
    EXPECT_FALSE(fs::exists(data / "master.tmp"));
    EXPECT_EQ(window.reloads, 1);
    EXPECT_EQ(TestMessages::Shown(), QStringList{"master.txt has been updated!"});
    EXPECT_EQ(window.statuses, (QStringList{"Connecting to 127.0.0.1", "Downloading master.txt",
                                            "Saving master.txt", "Loading new master.txt"}));
    EXPECT_EQ(standIn.Targets(), std::vector<std::string>{"/inv/master/"}) << "no login for the master list";
}

TEST_F(WebServiceTest, BrokenMasterReplyLeavesTheListsAlone) {
    const std::string replies[] = {
        ServiceReply("500 Internal Server Error", kMasterList),
        ServiceReply("200 OK", "<html><body>Service down</body></html>\n"),
        ServiceReply("200 OK", kMasterList, "Content-Length: 4800\r\n"),
        ServiceReply("200 OK", ""),
        "HTTP/1.0 200 OK\r\nContent-Le",
        // Without a length the list must end with a line end: this one was cut off mid-line.
        ServiceReply("200 OK", kMasterList + "3005\tBrick 1 x"),
    };
    WriteFileBytes(data / "master.txt", "current");
    WriteFileBytes(data / "old_master.txt", "previous");
    for (const std::string& reply : replies) {
        TestMessages::Clear();
        standIn.SetMasterReply(reply);
        service.UpdateMasterList();
        EXPECT_EQ(TestMessages::Shown(), QStringList{kMasterFailure}) << reply;
        EXPECT_EQ(DataFile("master.txt"), "current") << reply;
        EXPECT_EQ(DataFile("old_master.txt"), "previous") << reply;
        EXPECT_FALSE(fs::exists(data / "master.tmp")) << reply;
        EXPECT_FALSE(window.statusVisible);
    }
    EXPECT_EQ(window.reloads, 0);
}

TEST_F(WebServiceTest, CancelEndsADownloadThatNeverEnds) {
    // Only Cancel ends these downloads, or, were the window not pumped, this limit: the fast stream reaches
    // it after 16 s. The fast stream finds data at every wait, the slow one waits between its pieces.
    service.Limits.masterList = 16 * ServiceStandIn::kFastStream;
    WriteFileBytes(data / "master.txt", "current");
    for (const int64_t rate : {ServiceStandIn::kFastStream, int64_t{200} << 10}) {
        TestMessages::Clear();
        standIn.StreamMaster(rate);
        std::chrono::steady_clock::time_point cancelled;
        QTimer::singleShot(1000, [&] {
            cancelled = std::chrono::steady_clock::now();
            service.Cancel();
        });
        service.UpdateMasterList();
        ASSERT_NE(cancelled.time_since_epoch().count(), 0) << rate << ": the window was not pumped";
        EXPECT_LT(std::chrono::steady_clock::now() - cancelled, std::chrono::seconds(1)) << rate;
        EXPECT_TRUE(TestMessages::Shown().isEmpty()) << rate << ": the user's own Cancel needs no message";
        EXPECT_EQ(DataFile("master.txt"), "current");
        EXPECT_FALSE(fs::exists(data / "master.tmp"));
    }
}

TEST_F(WebServiceTest, DownloadsPastTheLimitOrTheDiskStopWithTheReason) {
    WriteFileBytes(data / "master.txt", "current");
    standIn.StreamMaster(ServiceStandIn::kFastStream);
    service.Limits.masterList = 100000;
    service.UpdateMasterList();
    service.Limits.inventory = 64; // the login page fits, the set does not
    service.DownloadSetInventory();
    EXPECT_EQ(
        TestMessages::Shown(),
        (QStringList{kMasterNotUpdated + "The download is larger than 100000 bytes.",
                     "There was a problem downloading 6399-1.inv\r\nThe download is larger than 64 bytes."}));
    EXPECT_FALSE(fs::exists(data / "inventory" / "6399-1.inv.tmp"));

    // The process's file size limit stands in for a full disk.
    TestMessages::Clear();
    service.Limits.masterList = int64_t{1} << 30;
    struct FileSizeLimit {
        rlimit old{};
        FileSizeLimit() {
            signal(SIGXFSZ, SIG_IGN);
            getrlimit(RLIMIT_FSIZE, &old);
            const rlimit small{1 << 20, old.rlim_max};
            setrlimit(RLIMIT_FSIZE, &small);
        }
        ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &old); }
    };
    {
        FileSizeLimit limit;
        service.UpdateMasterList();
    }
    EXPECT_EQ(TestMessages::Shown(),
              QStringList{kMasterNotUpdated + "Cannot write " +
                          QString::fromStdString((data / "master.tmp").string()) + ": File too large"});
    EXPECT_EQ(DataFile("master.txt"), "current");
    EXPECT_FALSE(fs::exists(data / "master.tmp"));
}

TEST_F(WebServiceTest, CancelDuringTheWaitAndNoSecondCommand) {
    standIn.stallMaster = true;
    WriteFileBytes(data / "master.txt", "current");
    bool busyInside = false;
    window.onStatus = [&](const QString& text) {
        if (text != "Downloading master.txt") return;
        busyInside = BusyGuard::IsBusy();
        service.DownloadSetInventory(); // refused: a command is under way
        QTimer::singleShot(50, [&] { service.Cancel(); });
    };
    service.UpdateMasterList();
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(BusyGuard::IsBusy());
    EXPECT_EQ(window.prompts, 0);
    EXPECT_TRUE(TestMessages::Shown().isEmpty());
    EXPECT_EQ(DataFile("master.txt"), "current");
    EXPECT_FALSE(service.IsRunning());
}

// Where no server answered, the message says that the connection could not be made and why, and blames
// neither the account nor the download.
TEST_F(WebServiceTest, UnreachedServerIsNamedWithTheReason) {
    auto pointAt = [](const std::string& authority) {
        setenv("TESSARIN_SERVICE_HOST", authority.c_str(), 1);
        setenv("TESSARIN_SERVICE_WWW_HOST", authority.c_str(), 1);
    };
    const QString refused = "Unable to connect to 127.0.0.1: 10061:Connection refused";
    pointAt("127.0.0.1:" + std::to_string(ClosedPort()));
    WriteFileBytes(data / "master.txt", "current");
    service.DownloadSetInventory();
    service.UpdateMasterList();
    service.HTTPClient1.HeaderInfo.Cookie = kServiceCookie; // logged in before the server went away
    service.DownloadMyParts();
    EXPECT_EQ(TestMessages::Shown(),
              (QStringList{refused, kMasterNotUpdated + refused,
                           "There was a problem downloading PeeronMyParts.tsv\r\n" + refused}));
    EXPECT_EQ(window.prompts, 0);
    EXPECT_EQ(DataFile("master.txt"), "current");
    EXPECT_FALSE(window.statusVisible);

    TestMessages::Clear();
    service.HTTPClient1.HeaderInfo.Cookie.clear();
    service.HTTPClient1.TimeOut = 5000; // a resolver that never answers times out, with its own reason
    pointAt("tessarin-test.invalid");
    service.DownloadMyParts();
    ASSERT_EQ(TestMessages::Shown().size(), 1);
    EXPECT_TRUE(
        TestMessages::Shown()[0].startsWith("Unable to connect to tessarin-test.invalid: Host Lookup "))
        << TestMessages::Shown()[0].toStdString();
    EXPECT_TRUE(window.tsvFiles.empty());
    EXPECT_TRUE(standIn.Targets().empty());
}

// A Cancel while the login or a download runs says nothing, whether it ends the connecting or the wait
// for the reply.
TEST_F(WebServiceTest, CancelDuringLoginOrDownloadSaysNothing) {
    const std::function<void()> pump = service.HTTPClient1.Pump;
    service.HTTPClient1.Pump = [&] { service.Cancel(); };
    service.DownloadSetInventory();
    service.HTTPClient1.Pump = pump;
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join("|").toStdString();
    EXPECT_EQ(window.prompts, 0);

    // The server never answers; once it holds the request, the user's Cancel comes with the window's events.
    // A timer could fire before the request went out, or before the server read it.
    QObject cancelButton;
    LoopbackServer silent([&](int fd, const std::string&) {
        QMetaObject::invokeMethod(
            &cancelButton,
            [&] {
                EXPECT_TRUE(window.statusVisible) << "Cancel sits on the progress label";
                service.Cancel();
            },
            Qt::QueuedConnection);
        WaitForClientClose(fd);
    });
    setenv("TESSARIN_SERVICE_WWW_HOST", silent.authority().c_str(), 1);
    service.DownloadSetInventory();
    EXPECT_EQ(window.prompts, 0);
    service.HTTPClient1.HeaderInfo.Cookie = kServiceCookie;
    service.DownloadSetInventory();
    EXPECT_EQ(window.prompts, 1);
    service.DownloadMyParts();
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << TestMessages::Shown().join("|").toStdString();
    EXPECT_EQ(silent.requests().size(), 3u);
    EXPECT_TRUE(window.invFiles.empty());
    EXPECT_TRUE(window.tsvFiles.empty());
    EXPECT_FALSE(fs::exists(data / "inventory" / "6399-1.inv.tmp"));
    EXPECT_FALSE(window.statusVisible);
}

// A server that answers, however badly, still gets the command's own message.
TEST_F(WebServiceTest, ServerThatAnswersWronglyGetsTheCommandsMessage) {
    const std::string cut = "HTTP/1.0 200 OK\r\nSet-Coo";
    standIn.SetReply(kLoginTarget, cut);
    service.DownloadSetInventory();
    standIn.SetReply(kLoginTarget, ServiceReply("200 OK", "<html>Welcome</html>",
                                                "Set-Cookie: " + kServiceCookie + "\r\n"));
    standIn.SetReply("/inv/raw/6399-1/", cut);
    service.DownloadSetInventory();
    EXPECT_EQ(TestMessages::Shown(),
              (QStringList{kUnableToLogin, "There was a problem downloading 6399-1.inv"}));
}

TEST_F(WebServiceTest, ClosingDuringTheWaitUnwindsSafely) {
    standIn.stallMaster = true;
    auto* doomed = new WebService(window, window.questions);
    window.onStatus = [&](const QString& text) {
        if (text == "Downloading master.txt") QTimer::singleShot(30, [&] { delete doomed; });
    };
    doomed->UpdateMasterList();
    EXPECT_TRUE(TestMessages::Shown().isEmpty()) << "nothing is reported for a window that is gone";
    EXPECT_FALSE(BusyGuard::IsBusy());
}

TEST_F(WebServiceTest, UploadIsUnavailableAndTheWindowOnlyComposes) {
    service.UploadInventory();
    EXPECT_EQ(TestMessages::Shown(), QStringList{"Sorry this is feature unavailable right now."});

    UploadWindow upload(window.questions);
    EXPECT_EQ(upload.windowTitle(), "Peeron Inventory Upload");
    EXPECT_EQ(upload.ComboBox1->count(), 5);
    EXPECT_FALSE(upload.Edit2->isEnabled());
    QString filter;
    window.questions.open = [&](const FileChoice& choice, bool several) {
        filter = several ? "several" : choice.filter;
        return QStringList{"/tmp/set.prn"};
    };
    upload.Button1->click();
    EXPECT_EQ(filter, "prn (*.prn *.PRN)") << "one PRN file is asked for";
    QString composed;
    QObject::connect(&upload, &UploadWindow::RequestComposed,
                     [&](const QString& request) { composed = request; });
    upload.Edit1->setText("6399");
    upload.BitBtn1->click();
    EXPECT_EQ(composed, QString::fromStdString("http://" + standIn.authority() +
                                               "/cgi-bin/invcgis/submitinv?format=TZ&Bag=ON&SetNumber=6399"
                                               "&Source=MISB&File=/tmp/set.prn"));
    EXPECT_EQ(upload.result(), QDialog::Accepted);
    EXPECT_EQ(standIn.Targets().size(), 0u) << "nothing is sent";
}
