#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <atomic>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <thread>

#include "label_test_rows.h"
#include "platform/print/pdf_file_device.h"
#include "platform/print/print_device.h"
#include "platform/print/print_system.h"
#include "platform/print/printer_device.h"
#include "platform/print/printer_lookup.h"
#include "platform/text.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/preview/pv_preview.h"
#include "print/preview/pv_printer.h"
#include "print/preview/pv_property_combo_box.h"
#include "print/report/print_bar_form.h"
#include "print/report/rp_print_dialog.h"
#include "silent_print_server.h"
#include "support/answer_window.h"
#include "support/test_support.h"

namespace {

// A print system that answers only when the test lets it, noting where and how often it was asked. The
// workers share only what the source holds: one asking again may outlive the test.
struct HeldPrintSystem {
    struct Asks {
        std::atomic<int> count = 0;
        std::atomic<bool> onInterfaceThread = false;
    };
    std::promise<PrinterList> answer;
    std::shared_future<PrinterList> released = answer.get_future().share();
    std::shared_ptr<Asks> asks = std::make_shared<Asks>();
    PrinterLookup lookup{[released = released, asks = asks, interface = std::this_thread::get_id()] {
        ++asks->count;
        if (std::this_thread::get_id() == interface) asks->onInterfaceThread = true;
        return released.get();
    }};
    ~HeldPrintSystem() {
        // A worker still waiting gets an answer, not a broken promise.
        if (released.wait_for(std::chrono::seconds(0)) != std::future_status::ready) answer.set_value({});
    }
};

PrinterList Printers(const QString& defaultPrinter, const QStringList& names) {
    PrinterList list{defaultPrinter, {}};
    for (const QString& name : names)
        list.Printers.push_back({name});
    return list;
}

// The label preview with its printer box linked to a print system that answers only when the test lets it;
// the PDF file's choice is answered with labels.pdf.
class LabelPreviewBesideAHeldSystem : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Clear();
        prompts.save = [this](const FileChoice&, QString&) { return QString::fromStdString(pdf.string()); };
        preview.PvPreview1->Printer().UseLookup(system.lookup);
        printers.SetPreview(nullptr); // linked again, now to the held system
        printers.SetPreview(preview.PvPreview1);
    }

    HeldPrintSystem system;
    TempDir dir;
    const std::filesystem::path pdf = dir / "labels.pdf";
    RecordingPrompts prompts;
    LabelPreview preview{prompts};
    PvPropertyComboBox& printers = *preview.PvPropertyComboBox1;
};

} // namespace

TEST(PvPrinter, NeverWaitsForThePrintSystemUntilAJobStartsAndThenOnlyABoundedTime) {
    HeldPrintSystem system;
    PvPrinter printer{TestMessages::Prompts()};
    printer.UseLookup(system.lookup);
    int devices = 0;
    printer.MakeDevice = [&devices](const QString&, const std::filesystem::path&) {
        ++devices;
        return std::unique_ptr<PrintDevice>();
    };
    EXPECT_EQ(printer.PrinterNames(), QStringList{PvPrinter::kPdfFile}) << "the PDF file needs no answer";
    EXPECT_EQ(printer.PrinterName(), PvPrinter::kPdfFile) << "the output until the system answers";
    EXPECT_EQ(printer.PpiX(), 300);
    const int probes = devices;

    TestMessages::Clear();
    printer.PrintSystemWait = std::chrono::milliseconds(300);
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(printer.BeginDoc(pvOnePage)) << "the PDF file declined, no printer came in time";
    EXPECT_GE(clock.elapsed(), 250);
    EXPECT_LT(clock.elapsed(), 5000) << "the wait is bounded";
    ASSERT_EQ(TestMessages::Shown().size(), 2);
    EXPECT_EQ(TestMessages::Shown()[0], kPdfInstead);
    EXPECT_TRUE(TestMessages::Shown()[1].contains("did not answer"))
        << TestMessages::Shown()[1].toStdString();
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(devices, probes) << "no job device was made";
    EXPECT_EQ(system.asks->count, 1) << "asked once, however often the answer is wanted";
    EXPECT_FALSE(system.asks->onInterfaceThread);

    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    system.answer.set_value(Printers(QString(), {"Office", "Hall"}));
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_EQ(printer.PrinterNames(), QStringList({"Office", "Hall", PvPrinter::kPdfFile}));
    EXPECT_EQ(printer.PrinterName(), "Office") << "without a default the first printer";
    EXPECT_EQ(system.asks->count, 1);
}

TEST(PvPropertyComboBox, ListsThePrintersWhenThePrintSystemAnswers) {
    HeldPrintSystem system;
    PvPreview preview{TestMessages::Prompts()};
    preview.Printer().UseLookup(system.lookup);
    PvPropertyComboBox printers;
    printers.SetPreview(&preview);
    ASSERT_EQ(printers.count(), 1) << "the PDF file before the answer, and no wait for it";
    EXPECT_EQ(printers.itemText(0), PvPrinter::kPdfFile);
    EXPECT_EQ(printers.currentText(), PvPrinter::kPdfFile) << "the system's default printer is not known yet";
    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    system.answer.set_value(Printers("Hall", {"Office", "Hall"}));
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_EQ(printers.count(), 3);
    EXPECT_EQ(printers.currentText(), "Hall") << "the system's default is chosen";

    HeldPrintSystem none;
    PvPreview empty{TestMessages::Prompts()};
    empty.Printer().UseLookup(none.lookup);
    PvPropertyComboBox pdf;
    pdf.SetPreview(&empty);
    QSignalSpy emptyAnswered(&none.lookup, &PrinterLookup::Answered);
    none.answer.set_value({});
    ASSERT_TRUE(emptyAnswered.wait(5000));
    ASSERT_EQ(pdf.count(), 1);
    EXPECT_EQ(pdf.itemText(0), PvPrinter::kPdfFile) << "with no printer the PDF file is offered";
    EXPECT_EQ(pdf.currentText(), PvPrinter::kPdfFile);
}

TEST_F(LabelPreviewBesideAHeldSystem, ThePrinterBoxOffersThePdfFileAtOnceAndItPrintsBeforeTheAnswer) {
    ASSERT_EQ(printers.count(), 1) << "the PDF file is offered before the system answers";
    ASSERT_EQ(printers.itemText(0), PvPrinter::kPdfFile);

    QElapsedTimer clock;
    clock.start();
    emit printers.activated(0);
    preview.BitBtn1->click();
    EXPECT_LT(clock.elapsed(), 3000) << "the PDF file waited for the print system";
    EXPECT_EQ(TestMessages::Shown(), QStringList());
    QFile written(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");

    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    system.answer.set_value(Printers("Hall", {"Office", "Hall"}));
    ASSERT_TRUE(answered.wait(5000));
    ASSERT_EQ(printers.count(), 3) << "the printers join the PDF file";
    EXPECT_EQ(printers.itemText(0), "Office");
    EXPECT_EQ(printers.itemText(2), PvPrinter::kPdfFile);
    EXPECT_EQ(printers.currentText(), PvPrinter::kPdfFile) << "the choice stays";
}

TEST_F(LabelPreviewBesideAHeldSystem,
       ItsFirstOpeningShowsThePdfFileWhichPrintOffersBeforeTheAnswerAndTakesWithoutPrinters) {
    int printed = 0;
    preview.PvPreview1->Printer().AfterPrint = [&printed] { ++printed; };
    EXPECT_EQ(printers.currentText(), PvPrinter::kPdfFile) << "the output from the first opening";

    TestMessages::QueueAnswers({true});
    QElapsedTimer clock;
    clock.start();
    preview.BitBtn1->click();
    EXPECT_LT(clock.elapsed(), 3000) << "the PDF file waited for the print system";
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead}));
    EXPECT_EQ(printed, 1);
    ASSERT_TRUE(std::filesystem::remove(pdf));

    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    system.answer.set_value({});
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_EQ(printers.currentText(), PvPrinter::kPdfFile);
    preview.BitBtn1->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead})) << "no printer: no question";
    EXPECT_EQ(printed, 2);
    QFile written(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
}

// Yes to the PDF file decides that job; the box follows the printers afterwards, and the next job goes to the
// default one.
TEST_F(LabelPreviewBesideAHeldSystem, YesToThePdfFileAnswersForItsJobAlone) {
    PvPrinter& printer = preview.PvPreview1->Printer();
    QStringList jobs;
    printer.MakeDevice = [&](const QString& name, const std::filesystem::path& file) {
        jobs << name;
        return name == PvPrinter::kPdfFile
                   ? std::unique_ptr<PrintDevice>(std::make_unique<PdfFileDevice>(file))
                   : std::make_unique<PrinterDevice>(PrinterFacts{name},
                                                     [](const PrintJob&, const auto&) { return QString(); });
    };
    TestMessages::QueueAnswers({true});
    preview.BitBtn1->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead}));

    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    system.answer.set_value(Printers("Hall", {"Office", "Hall"}));
    ASSERT_TRUE(answered.wait(5000));
    EXPECT_EQ(printers.currentText(), "Hall") << "the answer Yes became the choice";
    preview.BitBtn1->click();
    EXPECT_EQ(jobs, QStringList({PvPrinter::kPdfFile, "Hall"}));
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead}));
}

// The preview opened while the print system had no printers; they come back before Print.
TEST(LabelPreview, ItsFirstPrintAfterThePrintersComeBackGoesToTheDefaultOneWithOnlyTheOptionsChosen) {
    RecordingPrompts prompts;
    TestMessages::Clear();
    LabelPreview preview(prompts);
    const auto plugged = std::make_shared<std::atomic<bool>>(false);
    PrinterLookup lookup{[plugged] {
        return *plugged ? Printers("Hall", {"Office", "Hall"}) : PrinterList();
    }};
    ASSERT_TRUE(lookup.Await(std::chrono::seconds(5)));
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.UseLookup(lookup);
    preview.PvPropertyComboBox1->SetPreview(nullptr); // linked again, now to this lookup
    preview.PvPropertyComboBox1->SetPreview(preview.PvPreview1);
    ASSERT_EQ(preview.PvPropertyComboBox1->currentText(), PvPrinter::kPdfFile);
    std::vector<PrintJob> jobs;
    QStringList shown; // in the printer box as each job's device is made
    printer.MakeDevice = [&](const QString& name, const std::filesystem::path&) {
        shown << preview.PvPropertyComboBox1->currentText();
        return std::make_unique<PrinterDevice>(PrinterFacts{name}, [&jobs](const PrintJob& job, const auto&) {
            jobs.push_back(job);
            return QString();
        });
    };

    *plugged = true;
    preview.BitBtn1->click();
    printer.SetDuplex(pvVertDuplex);
    printer.SetPrintColor(pvMonochrome);
    preview.BitBtn1->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList()) << "no PDF file was to be chosen";
    ASSERT_EQ(jobs.size(), 2u);
    EXPECT_EQ(jobs[0].Printer, "Hall");
    EXPECT_EQ(shown, QStringList({"Hall", "Hall"})) << "the box showed another output than the job's";
    EXPECT_FALSE(jobs[0].Options.Duplex) << "the printer's own duplex stands";
    EXPECT_FALSE(jobs[0].Options.Monochrome) << "the printer's own colour stands";
    EXPECT_EQ(jobs[1].Options.Duplex, PrintDuplex::LongSide);
    EXPECT_EQ(jobs[1].Options.Monochrome, true);
}

TEST(LabelPreview, BesideAPrintServerThatListedNothingAndFellSilentPrintOffersThePdfFileAndWritesIt) {
    ComingAndGoingPrintSystem system;
    ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
    system.Set(ComingAndGoingPrintSystem::Silent);
    TempDir dir;
    RecordingPrompts prompts;
    prompts.save = [&dir](const FileChoice&, QString&) {
        return QString::fromStdString((dir / "l.pdf").string());
    };
    LabelPreview preview(prompts);
    preview.PvPreview1->Printer().UseLookup(system.lookup);
    TestMessages::Clear();
    TestMessages::QueueAnswers({true});
    QElapsedTimer clock;
    clock.start();
    qint64 offeredAfter = -1;
    prompts.whileAsked = [&](const QString&) { offeredAfter = clock.elapsed(); };
    preview.BitBtn1->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList({kListsNone}));
    EXPECT_GE(offeredAfter, 0);
    EXPECT_LT(offeredAfter, 5000) << "the PDF file was offered late";
    QFile written(QString::fromStdString((dir / "l.pdf").string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
}

// The printer chosen was not listed while the print system was away; it is back when Print asks again.
TEST(LabelPreview, ThePrinterChosenTakesTheFirstJobAfterThePrintSystemComesBack) {
    ComingAndGoingPrintSystem system;
    ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
    RecordingPrompts prompts;
    TestMessages::Clear();
    LabelPreview preview(prompts);
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.UseLookup(system.lookup);
    printer.SetPrinterName("Office");
    std::vector<PrintJob> jobs;
    // As the printer's own devices: only for a printer listed.
    printer.MakeDevice = [&](const QString& name, const std::filesystem::path&) {
        const std::optional<PrinterList> listed = system.lookup.Answer();
        const PrinterFacts* facts = listed ? listed->Find(name) : nullptr;
        return facts ? std::make_unique<PrinterDevice>(*facts,
                                                       [&jobs](const PrintJob& job, const auto&) {
                                                           jobs.push_back(job);
                                                           return QString();
                                                       })
                     : nullptr;
    };
    system.Set(ComingAndGoingPrintSystem::Printers);
    preview.BitBtn1->click();
    EXPECT_EQ(TestMessages::Shown(), QStringList());
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_EQ(jobs[0].Printer, "Office");
}

// Each print window asks again while nothing is listed: a returning print server shows without a Print.
TEST(PrinterLookup, AnOpenPrintWindowShowsThePrinterOfAPrintServerThatComesBack) {
    for (const bool report : {false, true}) {
        ComingAndGoingPrintSystem system;
        ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
        RecordingPrompts prompts;
        LabelPreview preview(prompts);
        preview.PvPreview1->Printer().UseLookup(system.lookup);
        preview.PvPropertyComboBox1->SetPreview(nullptr); // linked again, now to this lookup
        preview.PvPropertyComboBox1->SetPreview(preview.PvPreview1);
        RpPrintDialog dialog(system.lookup, 3, {});
        QWidget& window = report ? static_cast<QWidget&>(dialog) : preview;
        const QComboBox& box = report ? *dialog.PrinterBox : *preview.PvPropertyComboBox1;
        QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
        window.show();
        // The preview asks again as it opens, before the server is back.
        if (!report) {
            ASSERT_TRUE(answered.wait(5000));
        }
        ASSERT_EQ(box.currentText(), PvPrinter::kPdfFile);
        system.Set(ComingAndGoingPrintSystem::Printers);
        EXPECT_TRUE(QTest::qWaitFor([&box] { return box.currentText() == "Hall"; }, 10000))
            << (report ? "the report's print dialog" : "the label preview");
        window.hide();
    }
}

TEST(LabelPreview, APrinterWhoseServerIsSilentGivesTheJobUpInTimeAndOffersItsPdfFile) {
    TestLabelRows rows = TestLabelRows::Numbered(5);
    TempDir dir;
    RecordingPrompts prompts;
    prompts.save = [&dir](const FileChoice&, QString&) {
        return QString::fromStdString((dir / "l.pdf").string());
    };
    TestMessages::Clear();
    LabelPreview preview(prompts);
    LDrawRenderer renderer;
    LabelMaker maker(rows, renderer, preview);
    PrinterLookup office{[] { return Printers("Office", {"Office"}); }};
    ASSERT_TRUE(office.Await(std::chrono::seconds(5)));
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.UseLookup(office);
    preview.Label1->setText("L7163_Address");
    preview.LayOutLabels();
    printer.PrintSystemWait = std::chrono::seconds(2);
    int printed = 0;
    printer.AfterPrint = [&printed] { ++printed; };
    ASSERT_EQ(printer.PrinterName(), "Office");

    const SilentPrintServer silent;
    const EventGaps gaps;
    QElapsedTimer clock;
    clock.start();
    TestMessages::QueueAnswers({true});
    preview.BitBtn1->click();
    EXPECT_GE(clock.elapsed(), 2000);
    EXPECT_LT(clock.elapsed(), 5000) << "the wait is bounded";
    EXPECT_LT(gaps.Longest(), 1000) << "the window stopped handling events";
    EXPECT_EQ(
        TestMessages::Shown(),
        QStringList({"The print system did not take the job in 2 seconds. Print to a PDF file instead?"}));
    EXPECT_EQ(printed, 1) << "the PDF file took the job";
    QFile written(QString::fromStdString((dir / "l.pdf").string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
    EXPECT_FALSE(printer.Printing());
    EXPECT_EQ(printer.PrinterName(), "Office") << "the PDF file answered for that job alone";
}

// A printer chosen stays in the box while the print system does not answer; when the wait for it runs out,
// the PDF file is offered. A quit meanwhile ends the wait at once, without a question.
TEST_F(LabelPreviewBesideAHeldSystem, AChosenPrinterIsShownWhileAwaitedAndTheRunOutWaitOffersThePdfFile) {
    PvPrinter& printer = preview.PvPreview1->Printer();
    printer.SetPrinterName("Twice");
    printer.PrintSystemWait = std::chrono::seconds(1);
    QStringList shownWhileWaiting;
    const auto hear = printer.WhileHandingIn;
    printer.WhileHandingIn = [&](double waited) {
        shownWhileWaiting << printers.currentText();
        return hear(waited);
    };
    EXPECT_EQ(printers.currentText(), "Twice");
    TestMessages::QueueAnswers({true});
    preview.BitBtn1->click();
    EXPECT_FALSE(shownWhileWaiting.isEmpty());
    EXPECT_EQ(shownWhileWaiting.filter("Twice").size(), shownWhileWaiting.size()) << "the box went blank";
    EXPECT_EQ(TestMessages::Shown(),
              QStringList({"The print system did not answer in 1 seconds. Print to a PDF file instead?"}));
    QFile written(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
    EXPECT_EQ(printers.currentText(), "Twice");

    // Closing the wait's window is its Cancel: the wait of a minute ends, and nothing is asked.
    TestMessages::Clear();
    printer.PrintSystemWait = std::chrono::minutes(1);
    printer.WhileHandingIn = hear;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(AnswerWindow<PrintBarForm>([&] { preview.BitBtn1->click(); },
                                           [](PrintBarForm& bar) { bar.close(); }));
    EXPECT_LT(clock.elapsed(), 30000) << "the wait went on";
    EXPECT_EQ(TestMessages::Shown(), QStringList()) << "a question after the window was closed";

    // The program's loop is told to quit while Print waits a minute for the printers, then while the print
    // system takes the job.
    QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
    int devices = 0;
    printer.MakeDevice = [&devices](const QString& name, const std::filesystem::path&) {
        ++devices;
        return std::make_unique<PrinterDevice>(PrinterFacts{name}, [](const PrintJob&, const auto&) {
            QThread::sleep(2);
            return QStringLiteral("The printer Twice did not take the job: it went away.");
        });
    };
    printer.WhileHandingIn = [&](double waited) {
        QCoreApplication::quit();
        return hear(waited);
    };
    for (const bool listed : {false, true}) {
        if (listed) {
            system.answer.set_value(Printers("Twice", {"Twice"}));
            ASSERT_TRUE(answered.wait(5000));
        }
        TestMessages::Clear();
        QMetaObject::invokeMethod(
            &preview,
            [&] {
                clock.start();
                preview.BitBtn1->click();
            },
            Qt::QueuedConnection);
        QCoreApplication::exec();
        EXPECT_LT(clock.elapsed(), 2000) << "the wait outlived the quit";
        EXPECT_EQ(TestMessages::Shown(), QStringList()) << "a question while quitting";
        EXPECT_FALSE(printer.Printing());
        EXPECT_EQ(devices, listed ? 1 : 0);
    }
}

// Processes that ask the print system for its printers and end 20 to 110 ms later, as the label preview's
// first opening and then Exit do, all end well beside whatever print system the machine has.
TEST(PrinterLookup, AProcessEndingWhileThePrintersAreAskedForEndsWell) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < 20; ++i) {
        auto& process = processes.emplace_back(std::make_unique<QProcess>());
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->start(PRINTERS_AT_EXIT, {QString::number(20 + i * 90 / 19)});
    }
    for (const auto& process : processes) {
        ASSERT_TRUE(process->waitForFinished(20000));
        EXPECT_EQ(process->exitStatus(), QProcess::NormalExit) << "crashed";
        EXPECT_EQ(process->exitCode(), 0);
    }
}

// The printer chosen is missing from an answer of seconds ago, as while its queue is set up again: Print asks
// again and prints there once it is back. Still missing, or its print server not running, the PDF file is
// offered in the print system's words.
TEST(LabelPreview, APrinterMissingFromTheLastAnswerIsAskedForAgainAndElseThePdfFileIsOffered) {
    enum Case { Back, StillMissing, ServerNotRunning };
    for (const Case which : {Back, StillMissing, ServerNotRunning}) {
        SCOPED_TRACE(which);
        TempDir dir;
        const AbsentPrintServer absent(dir.path());
        ComingAndGoingPrintSystem system;
        system.Set(ComingAndGoingPrintSystem::OfficeOnly);
        PrinterLookup real(AskPrintSystem);
        PrinterLookup& lookup = which == ServerNotRunning ? real : system.lookup;
        ASSERT_TRUE(lookup.Await(std::chrono::seconds(5)));
        RecordingPrompts prompts;
        prompts.save = [&dir](const FileChoice&, QString&) {
            return QString::fromStdString((dir / "l.pdf").string());
        };
        TestMessages::Clear();
        LabelPreview preview(prompts);
        PvPrinter& printer = preview.PvPreview1->Printer();
        printer.UseLookup(lookup);
        printer.SetPrinterName("Hall");
        QStringList jobs;
        const auto make = printer.MakeDevice;
        printer.MakeDevice = [&](const QString& name, const std::filesystem::path& pdf) {
            if (name == PvPrinter::kPdfFile) return make(name, pdf);
            jobs << name;
            return std::unique_ptr<PrintDevice>(std::make_unique<PrinterDevice>(
                PrinterFacts{name}, [](const PrintJob&, const auto&) { return QString(); }));
        };
        if (which == Back) system.Set(ComingAndGoingPrintSystem::Printers);
        // A file the PDF file replaces keeps its bytes for its other names until the new one is whole.
        std::ofstream(dir / "l.pdf") << "old";
        std::filesystem::create_hard_link(dir / "l.pdf", dir / "other name");
        TestMessages::QueueAnswers({true});
        preview.BitBtn1->click();
        if (which == Back) {
            EXPECT_EQ(TestMessages::Shown(), QStringList());
            EXPECT_EQ(jobs, QStringList({"Hall"}));
            continue;
        }
        EXPECT_EQ(TestMessages::Shown(),
                  QStringList({which == StillMissing
                                   ? "The print system does not list Hall. Print to a PDF file instead?"
                                   : "The print system cannot be reached. Print to a PDF file instead?"}));
        EXPECT_EQ(jobs, QStringList());
        QFile written(QString::fromStdString((dir / "l.pdf").string()));
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.read(5), "%PDF-");
        EXPECT_EQ(ReadFileBytes(dir / "other name"), "old") << "the PDF file was written in place";
        EXPECT_EQ(printer.PrinterName(), "Hall") << "the PDF file answered for that job alone";
    }
}
