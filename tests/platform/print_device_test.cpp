#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <fstream>
#include <future>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/print/image_device.h"
#include "platform/print/pdf_file_device.h"
#include "platform/print/print_system.h"
#include "platform/print/printer_device.h"
#include "support/pdf_peer.h"
#include "support/pdf_printer.h"
#include "support/test_support.h"

namespace {

// Writes `text` one inch from the sheet's left edge and two from its top on each of `pages` pages.
void PrintPages(PrintDevice& device, int pages, const QString& text) {
    device.BeginDoc();
    for (int page = 1; page <= pages; ++page) {
        if (page > 1) device.NewPage();
        QPainter& painter = device.Painter();
        painter.setFont(QFont("Liberation Sans", 12));
        painter.drawText(QPointF(device.DpiX(), 2.0 * device.DpiY()), text + QString::number(page));
    }
    device.EndDoc();
}

std::string ReadAll(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

// Whether the file holds a whole PDF document, which ends in %%EOF.
bool WholePdf(const std::filesystem::path& path) {
    const std::string bytes = ReadAll(path);
    return bytes.find("%%EOF", bytes.size() > 16 ? bytes.size() - 16 : 0) != std::string::npos;
}

} // namespace

TEST(PrintDevice, StandardCodesGiveStandardSheetsAndOddSizesStayExact) {
    EXPECT_EQ(PageSizeFor({9, QSizeF(8.3, 11.7)}).id(), QPageSize::A4);
    EXPECT_EQ(PageSizeFor({28, QSizeF(6.4, 9.0)}).id(), QPageSize::EnvelopeC5);
    EXPECT_EQ(PageSizeFor({29, QSizeF(12.8, 18.0)}).id(), QPageSize::EnvelopeC3);
    const QPageSize own = PageSizeFor({0, QSizeF(3.875, 8.9)});
    EXPECT_EQ(own.size(QPageSize::Inch), QSizeF(3.875, 8.9));
    EXPECT_FALSE(PageSizeFor({0, QSizeF(0, 0)}).isValid());
}

TEST(PrintDevice, ImagePagesFollowPaperOrientationAndDrawFromTheSheetCorner) {
    ImageDevice device(100);
    EXPECT_EQ(device.PageRect(), QRect(0, 0, 850, 1100));
    device.SetOrientation(PrintOrientation::Landscape);
    EXPECT_EQ(device.PageRect(), QRect(0, 0, 1100, 850));
    device.SetOrientation(PrintOrientation::Portrait);
    device.SetPaper({0, QSizeF(0, 0)}); // no size: ignored
    EXPECT_EQ(device.CurrentPaper().Code, 1);
    EXPECT_EQ(device.PrintableRect(), device.PageRect());

    device.BeginDoc();
    device.Painter().fillRect(QRect(0, 0, 5, 5), Qt::black);
    device.NewPage();
    EXPECT_EQ(device.PageNumber(), 2);
    device.Painter().fillRect(QRect(845, 1095, 5, 5), Qt::black);
    device.EndDoc();
    ASSERT_EQ(device.Pages().size(), 2u);
    EXPECT_EQ(device.Pages()[0].pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(device.Pages()[0].pixel(849, 1099), qRgb(255, 255, 255));
    EXPECT_EQ(device.Pages()[1].pixel(849, 1099), qRgb(0, 0, 0));
    EXPECT_EQ(device.Pages()[1].logicalDpiX(), 100);
}

TEST(PrintDevice, JobStepsOutOfOrderOrTooLargeAreRefusedAndLeaveNoJob) {
    ImageDevice device(4000);
    EXPECT_THROW(device.BeginDoc(), EPrintError); // 34000 pixels wide
    EXPECT_FALSE(device.Printing());
    EXPECT_THROW(device.NewPage(), EPrintError);
    EXPECT_THROW(device.EndDoc(), EPrintError);

    ImageDevice small(10);
    small.BeginDoc();
    EXPECT_THROW(small.BeginDoc(), EPrintError);
    small.Abort();
    EXPECT_FALSE(small.Printing());
    EXPECT_TRUE(small.Pages().empty());
    small.Abort(); // nothing running: nothing happens
}

TEST(PrintDevice, PdfFileHoldsSearchableTextOnTheChosenPaper) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    PdfFileDevice device(dir / "out.pdf");
    device.SetPaper({9, QSizeF(8.3, 11.7)});
    device.SetOrientation(PrintOrientation::Landscape);
    device.SetTitle("Job title");
    PrintPages(device, 3, "Sheet");
    const PdfInfo info = ReadPdfInfo(dir / "out.pdf");
    EXPECT_EQ(info.Pages, 3);
    EXPECT_NEAR(info.PageSize.width(), 842, 1);
    EXPECT_NEAR(info.PageSize.height(), 595, 1);
    EXPECT_EQ(info.Title, "Job title");
    EXPECT_TRUE(PdfPageText(dir / "out.pdf", 2).contains("Sheet2"));
    // Full-sheet coordinates: one inch from the edge is 72 points.
    const auto words = FindPdfWords(ReadPdfWords(dir / "out.pdf"), 3, "Sheet3");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_NEAR(words[0].XMin, 72, 1);
    const std::string text = ReadAll(dir / "out.pdf");
    EXPECT_NE(text.find("/FontFile2"), std::string::npos) << "fonts are embedded";
}

TEST(PrintDevice, PdfFileKeepsTheOldFileWhenAbortedAndReportsAnUnwritablePath) {
    TempDir dir;
    WriteFileBytes(dir / "old.pdf", "old");
    PdfFileDevice device(dir / "old.pdf");
    device.BeginDoc();
    device.Painter().drawText(QPointF(100, 100), "lost");
    device.Abort();
    EXPECT_EQ(ReadAll(dir / "old.pdf"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    PdfFileDevice nowhere(dir / "missing" / "out.pdf");
    EXPECT_THROW(nowhere.BeginDoc(), EPrintError);
    EXPECT_FALSE(nowhere.Printing());
}

// The PDF file is saved as every file is: a file replaced keeps its mode, a link stays a link and the file
// it leads to gets the document, created when it is not there yet; a new file gets what the umask allows.
TEST(PrintDevice, PdfFileKeepsTheModeAndLinksOfWhatItReplacesAndHeedsTheUmask) {
    TempDir dir;
    WriteFileBytes(dir / "private.pdf", "old");
    ASSERT_EQ(::chmod((dir / "private.pdf").c_str(), 0600), 0);
    std::filesystem::create_symlink("private.pdf", dir / "link.pdf");
    std::filesystem::create_symlink("made.pdf", dir / "dangling.pdf");
    {
        const ScopedUmask mask(027);
        PdfFileDevice linked(dir / "link.pdf");
        PrintPages(linked, 1, "Linked");
        PdfFileDevice dangling(dir / "dangling.pdf");
        PrintPages(dangling, 1, "Made");
        PdfFileDevice fresh(dir / "new.pdf");
        PrintPages(fresh, 1, "New");
    }
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.pdf"));
    EXPECT_TRUE(WholePdf(dir / "private.pdf"));
    EXPECT_EQ(FileMode(dir / "private.pdf"), 0600);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "dangling.pdf"));
    EXPECT_TRUE(WholePdf(dir / "made.pdf"));
    EXPECT_EQ(FileMode(dir / "made.pdf"), 0640);
    EXPECT_EQ(FileMode(dir / "new.pdf"), 0640);
}

TEST(PrintDevice, PrintingIntoAPipeOrADeviceIsRefusedAndLeavesItAsItWas) {
    TempDir dir;
    const std::filesystem::path fifo = dir / "pipe.pdf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    PdfFileDevice device(fifo);
    try {
        device.BeginDoc();
        ADD_FAILURE() << "a document was begun into the pipe";
        device.EndDoc();
    } catch (const EPrintError& error) {
        EXPECT_TRUE(QString(error.what()).contains("pipe.pdf")) << error.what();
    }
    EXPECT_FALSE(device.Printing());
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(PrinterDevice, ThePrintersFactsGiveTheGeometryAndThePagesComeOutAsDrawnOnTheDocumentsSheet) {
    REQUIRE_PDF_PEER();
    TempDir dir;
    PdfFileDevice file(dir / "file.pdf");
    PrintPages(file, 1, "Printed");
    // Its own sheet is A4 turned; the document's is letter, at a resolution of its own. The printer cannot
    // mark a border of four widths.
    PrinterFacts facts{QStringLiteral("Office"),       300,
                       QMarginsF(0.25, 0.2, 0.3, 0.5), false,
                       Paper{9, QSizeF(8.27, 11.69)},  PrintOrientation::Landscape};
    PrintJob given;
    PrinterDevice device(facts, [&given, print = PdfPrinter(dir / "printer.pdf")](
                                    const PrintJob& job, const std::function<bool()>& mayHandIn) {
        given = job;
        return print(job, mayHandIn);
    });
    EXPECT_EQ(device.CurrentPaper().Code, 9);
    EXPECT_EQ(device.Orientation(), PrintOrientation::Landscape);
    EXPECT_FALSE(device.ColorCapable());
    device.SetPaper({1, QSizeF(8.5, 11)});
    // Borders 75 left, 60 top, 90 right, 150 bottom pixels: where each comes on a landscape page.
    const std::pair<LandscapeTurn, QRect> turns[] = {
        {LandscapeTurn::CounterClockwise, QRect(150, 75, 3300 - 150 - 60, 2550 - 75 - 90)},
        {LandscapeTurn::Clockwise, QRect(60, 90, 3300 - 60 - 150, 2550 - 90 - 75)},
        {LandscapeTurn::Unknown, QRect(150, 90, 3300 - 150 - 150, 2550 - 90 - 90)},
    };
    for (const auto& [turn, printable] : turns) {
        facts.Turn = turn;
        device.SetFacts(facts);
        EXPECT_EQ(device.PrintableRect(), printable) << static_cast<int>(turn);
    }
    device.SetOrientation(PrintOrientation::Portrait);
    EXPECT_EQ(device.PageRect(), QRect(0, 0, 2550, 3300));
    EXPECT_EQ(device.PrintableRect(), QRect(75, 60, 2550 - 75 - 90, 3300 - 60 - 150));
    device.SetTitle("Job title");
    device.SetJobOptions({3, false, PrintDuplex::LongSide, true});
    PrintPages(device, 2, "Printed");
    EXPECT_EQ(given.Printer, "Office");
    EXPECT_EQ(given.Title, "Job title");
    EXPECT_EQ(given.Sheet.Code, 1);
    EXPECT_EQ(given.Options.Copies, 3);
    EXPECT_FALSE(given.Options.Collate);

    const PdfInfo info = ReadPdfInfo(dir / "printer.pdf");
    EXPECT_EQ(info.Pages, 2);
    EXPECT_NEAR(info.PageSize.width(), 612, 1);
    EXPECT_NEAR(info.PageSize.height(), 792, 1);
    EXPECT_EQ(info.Title, "Job title");
    const auto printed = FindPdfWords(ReadPdfWords(dir / "printer.pdf"), 1, "Printed1");
    const auto filed = FindPdfWords(ReadPdfWords(dir / "file.pdf"), 1, "Printed1");
    ASSERT_EQ(printed.size(), 1u);
    ASSERT_EQ(filed.size(), 1u);
    EXPECT_NEAR(printed[0].XMin, 72, 0.5) << "one inch from the sheet's edge, not from the border";
    EXPECT_NEAR(printed[0].YMin, filed[0].YMin, 0.5);
    EXPECT_NEAR(printed[0].YMax - printed[0].YMin, filed[0].YMax - filed[0].YMin, 0.1)
        << "12 points, as drawn";
    EXPECT_NEAR(printed[0].XMax, filed[0].XMax, 0.5);
}

namespace {

// A printer the print system keeps the worker waiting for until the test lets it go; it then takes the job
// into a PDF file unless the job has been given up.
struct HeldPrinter {
    explicit HeldPrinter(std::filesystem::path pdf) : path(std::move(pdf)) {}
    Spooler Spool() {
        return [this](const PrintJob& job, const std::function<bool()>& mayHandIn) {
            released.wait();
            const QString outcome = PdfPrinter(path)(job, mayHandIn);
            decided.set_value();
            return outcome;
        };
    }
    // Lets the worker go and waits until it has handed the job in or not.
    bool ReleaseAndWait() {
        release.set_value();
        return over.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    }

    std::filesystem::path path;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::promise<void> decided;
    std::future<void> over = decided.get_future();
};

} // namespace

// While the window hears the wait, the user may be asked whether to give the job up: the limit runs on,
// and the job's own fate is told.
TEST(PrinterDevice, AJobIsHandedInOnlyBeforeItsLimitAndUnlessGivenUpAndWhatWentInIsReportedAsPrinted) {
    TempDir dir;
    struct Case {
        const char* name;
        int limitMs;
        // What the window does at its first hearing of the wait: the answer, and whether the printer goes
        // on meanwhile, after how long a question.
        bool goOn;
        bool releaseWhileAsked;
        int askedMs;
        const char* outcome;
        bool printed;
    };
    const Case cases[] = {
        {"late", 300, true, false, 0,
         "The print system did not take the job in 0.3 seconds. Nothing was printed.", false},
        {"cancelled", 5000, false, false, 0, "cancelled", false},
        {"asked past the limit", 300, true, true, 500,
         "The print system did not take the job in 0.3 seconds. Nothing was printed.", false},
        {"taken while asked", 5000, false, true, 0, "", true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        HeldPrinter held(dir / (std::string(test.name) + ".pdf"));
        auto device = std::make_unique<PrinterDevice>(PrinterFacts{QStringLiteral("Office")}, held.Spool());
        bool heard = false;
        device->SetEndWait(std::chrono::milliseconds(test.limitMs), [&](double waited) {
            EXPECT_GE(waited, 0);
            EXPECT_LE(waited, 1);
            if (std::exchange(heard, true)) return true;
            QThread::msleep(static_cast<unsigned long>(test.askedMs));
            if (test.releaseWhileAsked) {
                EXPECT_TRUE(held.ReleaseAndWait());
            }
            return test.goOn;
        });
        QElapsedTimer clock;
        clock.start();
        QString outcome;
        try {
            PrintPages(*device, 2, "Late");
        } catch (const EPrintCancelled&) {
            outcome = "cancelled";
        } catch (const EPrintError& error) {
            outcome = error.what();
        }
        EXPECT_EQ(outcome, test.outcome);
        EXPECT_LT(clock.elapsed(), 3000) << "the wait is bounded";
        EXPECT_FALSE(device->Printing());
        device.reset();
        if (!test.releaseWhileAsked) {
            ASSERT_TRUE(held.ReleaseAndWait());
        }
        EXPECT_EQ(std::filesystem::exists(held.path), test.printed);
    }
}

namespace {

// Sets variables of the environment, a null value clearing one, until it goes.
class EnvironmentSettings {
  public:
    ~EnvironmentSettings() {
        for (auto setting = previous_.rbegin(); setting != previous_.rend(); ++setting)
            Put(setting->first, setting->second);
    }
    void Set(const char* name, const QByteArray& value) {
        previous_.emplace_back(name, qgetenv(name));
        Put(name, value);
    }

  private:
    static void Put(const char* name, const QByteArray& value) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    std::vector<std::pair<const char*, QByteArray>> previous_;
};

// A print server of the test's own with a dozen printers (see scripts/print-server), which the print
// system's client is pointed at while this lives, away from the user's print settings: no printer named in
// the environment, and a home and a settings folder of its own. The server ends with its owner, the test's
// process unless another is given, and takes its folder along, even when the owner is killed.
class OwnPrintServer {
  public:
    explicit OwnPrintServer(qint64 owner = QCoreApplication::applicationPid()) : owner_(owner) {
        for (const char* name : {"PRINTER", "LPDEST"})
            settings_.Set(name, QByteArray());
        for (const char* name : {"HOME", "CUPS_SERVERROOT", "CUPS_STATEDIR"})
            settings_.Set(name, QByteArray::fromStdString(Client().string()));
        address_ = Script("start").trimmed();
        settings_.Set("CUPS_SERVER", address_);
        if (Started()) std::filesystem::create_directory(Client());
    }
    ~OwnPrintServer() { Script("stop"); }
    bool Started() const { return !address_.isEmpty(); }
    const std::filesystem::path& Folder() const { return folder_; }
    // The client's home, where the user's print settings lie.
    std::filesystem::path Client() const { return folder_ / "client"; }
    std::filesystem::path Output(const std::string& printer) const {
        return folder_ / "out" / (printer + ".pdf");
    }
    std::string Log() const { return ReadAll(folder_ / "log" / "error_log"); }
    // Changes the server's printers as its administrator would; true when that went. The tool may lie
    // outside a user's PATH.
    bool Administer(const QStringList& arguments) const {
        const QString lpadmin = QStandardPaths::findExecutable(
            "lpadmin", QString::fromUtf8(qgetenv("PATH")).split(':') << "/usr/sbin"
                                                                     << "/sbin");
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        process.start(lpadmin, QStringList{"-h", QString::fromUtf8(address_)} + arguments);
        return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
               process.exitCode() == 0;
    }
    // The copies and options the printer's last job came with, once they are there; taken away, so that the
    // next job's are awaited.
    std::string TakeJobOptions(const std::string& printer) const {
        const std::filesystem::path path = folder_ / "out" / (printer + ".options");
        for (int i = 0; i < 100 && !std::filesystem::exists(path); ++i)
            QThread::msleep(100);
        const std::string options = ReadAll(path);
        std::filesystem::remove(path);
        return options;
    }

  private:
    QByteArray Script(const QString& command) const {
        QProcess script;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("PRINT_SERVER_OWNER", QString::number(owner_));
        environment.insert("PRINT_SERVER_TEMPORARY", "yes");
        script.setProcessEnvironment(environment);
        script.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        script.start("bash", {QString::fromUtf8(std::getenv("TESSARIN_SOURCE_DIR")) + "/scripts/print-server",
                              command, QString::fromStdString(folder_.string())});
        if (!script.waitForFinished(60000) || script.exitCode() != 0) return {};
        return script.readAllStandardOutput();
    }

    qint64 owner_;
    // New, for the script makes it; not under /dev, where the server opens only devices that exist. Its name
    // is data, even where a shell would read code.
    std::filesystem::path folder_ = (QDir::tempPath() + "/tessarin-print-server-it's-$(exit)-" +
                                     QString::number(QRandomGenerator::system()->generate64(), 36))
                                        .toStdString();
    QByteArray address_;
    EnvironmentSettings settings_;
};

// Hands a job in as the program does; the copies and options its printer got with it.
std::string OptionsAtPrinter(const OwnPrintServer& server, const PrintJob& job) {
    EXPECT_EQ(SpoolToPrintSystem(job, [] { return true; }).toStdString(), "");
    return server.TakeJobOptions(job.Printer.toStdString());
}

} // namespace

TEST(PrintSystem, AsksARealPrintServerForItsPrintersAndHandsOneAWholeJobWithItsOptions) {
    REQUIRE_PDF_PEER();
    const OwnPrintServer server;
    ASSERT_TRUE(server.Started());
    // Office-4 turns its pages and prints two copies unless a job says otherwise. The user made an instance
    // of it the default, and saved options for Office-5.
    ASSERT_TRUE(server.Administer(
        {"-p", "Office-4", "-o", "orientation-requested-default=4", "-o", "copies-default=2"}));
    std::filesystem::create_directory(server.Client() / ".cups");
    std::ofstream(server.Client() / ".cups" / "lpoptions")
        << "Dest Office-5 sides=two-sided-long-edge copies=3 orientation-requested=4 landscape\n"
           "Default Office-4/sides sides=two-sided-long-edge\n";
    // On a thread of its own, as the program asks: the print system reads the user's settings once a thread.
    const PrinterList list = std::async(std::launch::async, AskPrintSystem).get();
    ASSERT_EQ(list.Printers.size(), 12u);
    EXPECT_EQ(list.DefaultPrinter, "Office-4") << "an instance of it is the default";
    const PrinterFacts* office = list.Find("Office");
    ASSERT_NE(office, nullptr);
    EXPECT_EQ(office->Dpi, 600);
    EXPECT_TRUE(office->Color);
    EXPECT_EQ(office->DefaultPaper.Code, 1) << "letter";
    EXPECT_NEAR(office->UnprintableInches.left(), 0.25, 0.01);
    EXPECT_NEAR(office->UnprintableInches.top(), 0.2, 0.01);
    EXPECT_NEAR(office->UnprintableInches.right(), 0.3, 0.01);
    EXPECT_NEAR(office->UnprintableInches.bottom(), 0.5, 0.01);
    EXPECT_EQ(office->Turn, LandscapeTurn::CounterClockwise) << "its description says Plus90";
    const PrinterFacts* grey = list.Find("Office-12");
    ASSERT_NE(grey, nullptr);
    EXPECT_FALSE(grey->Color);
    EXPECT_EQ(grey->DefaultPaper.Code, 9) << "A4";
    EXPECT_EQ(grey->Turn, LandscapeTurn::Clockwise) << "its description says nothing of landscape pages";
    // What the user saved, apart from the printer's description and its own defaults that the list gives.
    EXPECT_THAT(office->SavedOptions, testing::IsEmpty());
    const PrinterFacts* turning = list.Find("Office-4");
    const PrinterFacts* saved = list.Find("Office-5");
    ASSERT_NE(turning, nullptr);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(turning->SavedOptions, PrintSystemOptions({{"sides", "two-sided-long-edge"}}));
    EXPECT_EQ(saved->SavedOptions, PrintSystemOptions({{"copies", "3"},
                                                       {"landscape", "true"},
                                                       {"orientation-requested", "4"},
                                                       {"sides", "two-sided-long-edge"}}));

    PrinterDevice device(*office);
    device.SetTitle("Job title");
    device.SetJobOptions({2, true, PrintDuplex::None, false});
    PrintPages(device, 2, "Printed");
    const std::filesystem::path printed = server.Output("Office");
    // The printer's file is there before the server has written all of it.
    for (int i = 0; i < 100 && !WholePdf(printed); ++i)
        QThread::msleep(100);
    ASSERT_TRUE(WholePdf(printed)) << "the job never reached the printer whole:\n" << server.Log();
    EXPECT_EQ(ReadPdfInfo(printed).Pages, 2);
    EXPECT_EQ(FindPdfWords(ReadPdfWords(printed), 2, "Printed2").size(), 1u);

    // Office-3 prints two-sided and monochrome unless a job says otherwise: what nobody chose is not sent,
    // and the printer's own defaults stand (its description's two sides, the server's monochrome).
    const auto optionsOf = [&server, &list](const char* printer, const PrinterJobOptions& options) {
        return OptionsAtPrinter(server, {QString::fromUtf8(printer),
                                         QStringLiteral("Options"),
                                         {},
                                         options,
                                         list.Find(printer)->SavedOptions,
                                         "%PDF-1.4\n"});
    };
    const std::string unchosen = optionsOf("Office-3", {});
    EXPECT_THAT(unchosen, testing::Not(testing::HasSubstr("sides="))) << server.Log();
    EXPECT_THAT(unchosen, testing::HasSubstr("print-color-mode=monochrome"));
    const std::string chosen = optionsOf("Office-3", {1, true, PrintDuplex::ShortSide, false});
    EXPECT_THAT(chosen, testing::HasSubstr("sides=two-sided-short-edge")) << server.Log();
    EXPECT_THAT(chosen, testing::HasSubstr("print-color-mode=color"));
    // Whatever the printer's defaults or the user's saved options say, a job's pages stand as the program
    // shaped them, in the copies it asked for. The user's other saved options, the default instance's too,
    // stand where the program chose nothing else.
    for (const char* printer : {"Office-4", "Office-5"}) {
        SCOPED_TRACE(printer);
        const std::string own = optionsOf(printer, {});
        EXPECT_THAT(own, testing::StartsWith("copies=1 ")) << server.Log();
        EXPECT_THAT(own, testing::HasSubstr("orientation-requested=3"));
        EXPECT_THAT(own, testing::Not(testing::HasSubstr("landscape")));
        EXPECT_THAT(own, testing::HasSubstr("sides=two-sided-long-edge"));
        EXPECT_THAT(optionsOf(printer, {1, true, PrintDuplex::ShortSide, {}}),
                    testing::HasSubstr("sides=two-sided-short-edge"));
    }
}

// Options the user saved, in the printer's own words and under any capitals, never choose, order, scale,
// place, turn or combine the pages the program made, and give way to the options the program sets, whatever
// their names; where it sets none, they stand, as do those about the printer rather than the pages.
TEST(PrintSystem, SavedOptionsLeaveTheSheetAloneAndGiveWayToTheOptionsTheProgramSets) {
    const OwnPrintServer server;
    ASSERT_TRUE(server.Started());
    std::filesystem::create_directory(server.Client() / ".cups");
    std::ofstream(server.Client() / ".cups" / "lpoptions")
        << "Dest Office pagesize=Letter duplex=DuplexNoTumble colormodel=Gray Number-Up=2 Landscape fitplot "
           "page-ranges=1 page-set=odd booklet MirrorPrint outputorder=reverse page-left=72 "
           "Position=top page-border=single InputSlot=Tray2\n";
    const PrinterList list = std::async(std::launch::async, AskPrintSystem).get();
    ASSERT_NE(list.Find("Office"), nullptr);
    const auto lowerOptionsOf = [&](const PrinterJobOptions& options) {
        return QString::fromStdString(
                   OptionsAtPrinter(server, {QStringLiteral("Office"), QStringLiteral("A4 labels"),
                                             Paper{9, QSizeF(8.27, 11.69)}, options,
                                             list.Find("Office")->SavedOptions, "%PDF-1.4\n"}))
            .toLower()
            .toStdString();
    };
    const auto leavesThePagesAlone = [&server](const std::string& options) {
        EXPECT_THAT(options, testing::AllOf(testing::HasSubstr("media=iso_a4_210x297mm"),
                                            testing::HasSubstr("pagesize=a4"),
                                            testing::HasSubstr("orientation-requested=3"),
                                            testing::HasSubstr("inputslot=tray2")))
            << server.Log();
        for (const char* saved :
             {"pagesize=letter", "number-up", "landscape", "fitplot", "page-ranges", "page-set", "booklet",
              "mirrorprint", "outputorder", "page-left", "position", "page-border"})
            EXPECT_THAT(options, testing::Not(testing::HasSubstr(saved)));
    };
    const std::string chosen = lowerOptionsOf({1, true, PrintDuplex::None, false});
    leavesThePagesAlone(chosen);
    EXPECT_THAT(chosen, testing::Not(testing::HasSubstr("duplex=duplexnotumble")));
    EXPECT_THAT(chosen, testing::Not(testing::HasSubstr("colormodel")));
    const std::string unchosen = lowerOptionsOf({});
    leavesThePagesAlone(unchosen);
    EXPECT_THAT(unchosen, testing::HasSubstr("duplex=duplexnotumble"));
    EXPECT_THAT(unchosen, testing::HasSubstr("colormodel=gray"));
}

// A test killed while its print server runs, as by a time limit, leaves neither the server nor its folder:
// the server's guard stops it, then removes the folder.
TEST(PrintSystem, AnOwnPrintServerGoesWithItsFolderWhenItsOwnerIsKilled) {
    QProcess owner;
    owner.start("sleep", {"600"});
    ASSERT_TRUE(owner.waitForStarted());
    const OwnPrintServer server(owner.processId());
    ASSERT_TRUE(server.Started());
    ASSERT_TRUE(std::filesystem::exists(server.Folder()));
    owner.kill();
    owner.waitForFinished();
    for (int i = 0; i < 200 && std::filesystem::exists(server.Folder()); ++i)
        QThread::msleep(100);
    EXPECT_FALSE(std::filesystem::exists(server.Folder()));
}

// A queue that takes a job only with a password, and a queue the server does not know (removed while the
// program listed it): the job ends at once saying so in the print system's words, and prints nothing. No
// question goes to the terminal meanwhile, where nobody may be to answer it.
TEST(PrintSystem, AJobThePrintServerRefusesEndsAtOnceSayingWhy) {
    const OwnPrintServer server;
    ASSERT_TRUE(server.Started());
    for (const auto& [printer, why] :
         {std::pair{"Office-2",
                    "The printer Office-2 did not take the job: the print server asks for a password."},
          {"Office-13", "The print system does not know the printer Office-13."}}) {
        QElapsedTimer clock;
        clock.start();
        const QString failure = SpoolToPrintSystem(
            PrintJob{QString::fromUtf8(printer), QStringLiteral("Refused"), {}, {}, {}, "%PDF-1.4\n"},
            [] { return true; });
        EXPECT_LT(clock.elapsed(), 5000);
        EXPECT_EQ(failure.toStdString(), why);
        EXPECT_FALSE(std::filesystem::exists(server.Output(printer)));
    }
}

// Without the print system's library, found as a file of its name that is no library, the lookup lists no
// printers and a job says why it failed. The library is looked up where the process started: the test runs
// again in a process of its own.
TEST(PrintSystem, WithoutItsLibraryListsNoPrintersAndAJobSaysItIsNotInstalled) {
    EnvironmentSettings settings;
    settings.Set("LD_LIBRARY_PATH", NO_PRINT_SYSTEM);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto printWithout = [] {
        const QString failure =
            SpoolToPrintSystem(PrintJob{QStringLiteral("Office"), {}, {}, {}, {}, {}}, [] { return true; });
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::_Exit(AskPrintSystem().Printers.empty() ? 0 : 1);
    };
    EXPECT_EXIT(printWithout(), testing::ExitedWithCode(0), "The print system is not installed\\.");
}
