#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <cmath>
#include <fstream>
#include <future>
#include <gtest/gtest.h>

#include "platform/print/pdf_file_device.h"
#include "platform/print/print_system.h"
#include "platform/print/printer_device.h"
#include "platform/print/printer_lookup.h"
#include "platform/text.h"
#include "print/report/print_bar_form.h"
#include "print/report/rp_print_dialog.h"
#include "report_test_support.h"
#include "silent_print_server.h"
#include "support/answer_window.h"
#include "support/pdf_peer.h"
#include "support/pdf_printer.h"
#include "support/test_support.h"

namespace {

// Three pages of the inventory report in its preview, with the print events counted.
class PrintFromPreview : public ::testing::Test {
  protected:
    void SetUp() override {
        TestMessages::Clear();
        report.prn.BeforePrint = [this] { events << "BeforePrint"; };
        report.prn.OnFirstPage = [this] { events << "OnFirstPage"; };
        report.prn.OnLastPage = [this] { events << "OnLastPage"; };
        report.prn.AfterPrint = [this] { events << "AfterPrint"; };
    }
    void InPreview(const std::function<void(PreviewForm&)>& body) {
        ASSERT_TRUE(WithPreview(report, ReportRows(150), body));
    }

    // Answers the PDF file's choice with report.pdf in the test's folder, noting that it was asked.
    std::filesystem::path AnswerThePdfFile() {
        prompts.save = [this](const FileChoice& choice, QString&) {
            pdfOffered = choice.caption == PdfFileChoice().caption;
            return QString::fromStdString((dir / "report.pdf").string());
        };
        return dir / "report.pdf";
    }

    // Records into TestMessages as its prompts do; a test may answer the file choice.
    RecordingPrompts prompts;
    InventoryReport report{prompts};
    QStringList events;
    TempDir dir;
    bool pdfOffered = false;
};

// Turns every page after the first down.
class NoSecondPage : public ImageDevice {
  public:
    NoSecondPage() : ImageDevice(10) {}

  protected:
    bool StartNextPage() override { return false; }
};

// Finishes no document.
class NoEnd : public ImageDevice {
  public:
    NoEnd() : ImageDevice(10) {}

  protected:
    void CloseDocument() override { throw EPrintError("The print job could not be completed."); }
};

// Cannot mark the outer three quarters of an inch of the sheet.
class WideBorder : public ImageDevice {
  public:
    WideBorder() : ImageDevice(40) {}

  protected:
    QMarginsF UnprintableInches() const override { return {0.75, 0.75, 0.75, 0.75}; }
};

class Monochrome : public ImageDevice {
  public:
    Monochrome() : ImageDevice(40) {}
    bool ColorCapable() const override { return false; }
};

bool HasRed(const QImage& page) {
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (qRed(page.pixel(x, y)) > 150 && qGreen(page.pixel(x, y)) < 100) return true;
    return false;
}

} // namespace

TEST_F(PrintFromPreview, CancellingAfterTheFirstPageEndsTheJobThereAndLeavesTheEngineUsable) {
    InPreview([&](PreviewForm& form) {
        report.prn.ShowProgress = true;
        report.prn.OnFirstPage = [&] {
            events << "OnFirstPage";
            report.prn.AbortPrinting();
        };
        TestMessages::QueueAnswers({true});
        EXPECT_EQ(PrintRange(report, form, 1, 3).Pages().size(), 1u);
        EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage", "OnLastPage", "AfterPrint"}));
        EXPECT_EQ(TestMessages::Shown(), QStringList({"Abort printing?"}));

        // No lets it go on; the next print is whole again, and the preview still draws.
        TestMessages::QueueAnswers({false});
        EXPECT_EQ(PrintRange(report, form, 1, 3).Pages().size(), 3u);
        report.prn.OnFirstPage = nullptr;
        EXPECT_EQ(PrintRange(report, form, 1, 3).Pages().size(), 3u);
        form.NextPageClick();
        EXPECT_EQ(form.CurrentPage(), 2);
        EXPECT_NE(form.PageImage().pixel(form.PageImage().width() / 10, form.PageImage().height() / 10), 0u);
    });
}

// The report beside a print server that takes the connection and never answers.
class BesideASilentPrintServer : public PrintFromPreview {
  protected:
    void SetUp() override {
        PrintFromPreview::SetUp();
        report.prn.UseLookup(lookup);
        report.prn.PrintSystemWait = std::chrono::milliseconds(1500);
        report.prn.PrintDialog = [](PrintDevice*, int, int&, int&) { return true; };
    }
    SilentPrintServer silent;
    PrinterLookup lookup{AskPrintSystem};
};

TEST_F(BesideASilentPrintServer, PrintOffersAPdfFileAndAgainWhenABoundedWaitForAPrinterRunsOut) {
    REQUIRE_PDF_PEER();
    const std::filesystem::path pdf = AnswerThePdfFile();
    QElapsedTimer clock;
    clock.start();
    InPreview([&](PreviewForm& form) {
        EXPECT_LT(clock.elapsed(), 3000) << "the preview waited for the print system";
        // The printers are asked for by the real lookup while the window handles its timer.
        const EventGaps gaps;
        form.PrintBtnClick();
        TestMessages::QueueAnswers({false, true});
        form.PrintBtnClick();
        EXPECT_LT(gaps.Longest(), 750) << "the window stopped handling events";
    });
    EXPECT_LT(clock.elapsed(), 8000) << "a wait outlasted its 1.5 s: the server keeps silent for 10";
    const QString runOut = "The print system did not answer in 1.5 seconds. Print to a PDF file instead?";
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead, runOut, kPdfInstead, runOut}))
        << "No to the PDF file waits for a printer";
    EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage", "OnLastPage", "AfterPrint"}));
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 3);
    EXPECT_FALSE(lookup.Answer());
    EXPECT_TRUE(silent.Asked()) << "the print system was never asked";
}

TEST_F(BesideASilentPrintServer, PrintWritesAPdfFileAtOnce) {
    const std::filesystem::path pdf = AnswerThePdfFile();

    InPreview([&](PreviewForm& form) {
        TestMessages::QueueAnswers({true});
        QElapsedTimer clock;
        clock.start();
        form.PrintBtnClick();
        EXPECT_LT(clock.elapsed(), 3000) << "the PDF file waited for the print system";
    });
    EXPECT_TRUE(pdfOffered) << "no PDF file was offered";
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead}));
    EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage", "OnLastPage", "AfterPrint"}));
    QFile written(QString::fromStdString(pdf.string()));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(5), "%PDF-");
    EXPECT_FALSE(lookup.Answer());
}

// A print system that has answered with these printers, the first one its default.
class WithPrinters {
  public:
    explicit WithPrinters(const QStringList& names)
        : lookup_([names] {
              PrinterList list{names.value(0), {}};
              for (const QString& name : names)
                  list.Printers.push_back({name});
              return list;
          }) {
        lookup_.Await(std::chrono::seconds(5));
    }
    PrinterLookup& Lookup() { return lookup_; }

  private:
    PrinterLookup lookup_;
};

// Print in the preview, its print dialog answered by `answer`.
void PrintInTheDialog(PreviewForm& form, const std::function<void(RpPrintDialog&)>& answer) {
    EXPECT_TRUE(AnswerWindow<RpPrintDialog>([&] { form.PrintBtnClick(); }, answer)) << "no print dialog";
}

QStringList Offered(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

TEST_F(PrintFromPreview,
       WithoutPrintersTheDialogTakesPagesForAPdfFileAndAPrinterThatAppearsIsOfferedNextTime) {
    REQUIRE_PDF_PEER();
    // Shared with the workers, which may ask again after the test.
    const auto plugged = std::make_shared<std::atomic<bool>>(false);
    PrinterLookup lookup{[plugged] {
        return *plugged ? PrinterList{QStringLiteral("Office"), {{QStringLiteral("Office")}}} : PrinterList();
    }};
    ASSERT_TRUE(lookup.Await(std::chrono::seconds(5)));
    report.prn.UseLookup(lookup);
    const std::filesystem::path pdf = AnswerThePdfFile();
    InPreview([&](PreviewForm& form) {
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            EXPECT_EQ(Offered(*dialog.PrinterBox), QStringList({"PDF file"}));
            EXPECT_FALSE(dialog.CopiesEdit->isEnabled()) << "copies of a PDF file";
            dialog.PageRange->setChecked(true);
            dialog.FromPage->setValue(2);
            dialog.ToPage->setValue(2);
            dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        });

        // The first Print after the printer appears awaits the list it asks for before choosing the output.
        *plugged = true;
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            EXPECT_EQ(Offered(*dialog.PrinterBox), QStringList({"Office", "PDF file"}));
            EXPECT_EQ(dialog.PrinterBox->currentText(), "Office");
            dialog.Buttons->button(QDialogButtonBox::Cancel)->click();
        });
    });
    EXPECT_TRUE(pdfOffered) << "no PDF file was offered";
    EXPECT_EQ(TestMessages::Shown(), QStringList());
    EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage", "OnLastPage", "AfterPrint"}));
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 1);
    EXPECT_TRUE(PdfPageText(pdf, 1).contains("Page 2"));
}

TEST_F(PrintFromPreview, YesToThePdfFileWritesItEvenWhenThePrintersComeWhileTheQuestionIsOpen) {
    REQUIRE_PDF_PEER();
    std::promise<PrinterList> answer;
    PrinterLookup lookup{[released = answer.get_future().share()] { return released.get(); }};
    report.prn.UseLookup(lookup);
    const std::filesystem::path pdf = AnswerThePdfFile();
    prompts.whileAsked = [&](const QString&) {
        answer.set_value({QStringLiteral("Office"), {{QStringLiteral("Office")}}});
        ASSERT_TRUE(lookup.Await(std::chrono::seconds(5)));
    };
    TestMessages::QueueAnswers({true});
    InPreview([&](PreviewForm& form) {
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            EXPECT_EQ(Offered(*dialog.PrinterBox), QStringList({"Office", "PDF file"}));
            EXPECT_EQ(dialog.PrinterBox->currentText(), "PDF file") << "the answer Yes was overridden";
            // Never onto the machine's own printers.
            dialog.Buttons
                ->button(dialog.PrinterBox->currentText() == "PDF file" ? QDialogButtonBox::Ok
                                                                        : QDialogButtonBox::Cancel)
                ->click();
        });
    });
    EXPECT_TRUE(pdfOffered);
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 3);
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead}));
}

TEST_F(PrintFromPreview, BesideAPrintServerThatListedNothingAndFellSilentPrintOffersThePdfFileAndWritesIt) {
    REQUIRE_PDF_PEER();
    ComingAndGoingPrintSystem system;
    ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
    system.Set(ComingAndGoingPrintSystem::Silent);
    report.prn.UseLookup(system.lookup);
    const std::filesystem::path pdf = AnswerThePdfFile();
    TestMessages::QueueAnswers({true});
    QElapsedTimer clock;
    qint64 offeredAfter = -1;
    prompts.whileAsked = [&](const QString&) { offeredAfter = clock.elapsed(); };
    InPreview([&](PreviewForm& form) {
        clock.start();
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            EXPECT_EQ(dialog.PrinterBox->currentText(), "PDF file");
            dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        });
    });
    EXPECT_EQ(TestMessages::Shown(), QStringList({kListsNone}));
    EXPECT_GE(offeredAfter, 0);
    EXPECT_LT(offeredAfter, 5000) << "the PDF file was offered late";
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 3);
}

// Printers listed while the dialog is open take the place of the PDF file only where nobody chose it.
TEST(RpPrintDialog, AListThatComesWhileOpenChoosesTheDefaultPrinterUnlessThePdfFileWasTaken) {
    for (const QString& given : {QString(), QStringLiteral("PDF file")}) {
        std::promise<PrinterList> answer;
        PrinterLookup lookup{[released = answer.get_future().share()] { return released.get(); }};
        RpPrintDialog dialog(lookup, 3, {given, 1, true, 1, 3});
        EXPECT_EQ(dialog.PrinterBox->currentText(), "PDF file");
        EXPECT_FALSE(dialog.CopiesEdit->isEnabled());
        answer.set_value({QStringLiteral("Hall"), {{QStringLiteral("Office")}, {QStringLiteral("Hall")}}});
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.PrinterBox->count() == 3; }, 5000));
        EXPECT_EQ(dialog.PrinterBox->currentText(), given.isEmpty() ? "Hall" : "PDF file");
        EXPECT_EQ(dialog.CopiesEdit->isEnabled(), given.isEmpty());
    }
}

// Only the user's pick is the dialog's choice: a refill that changes what the box shows is none, and the pick
// stands through the refills.
TEST(RpPrintDialog, OnlyTheUsersPickIsItsChoiceThroughTheRefills) {
    ComingAndGoingPrintSystem system;
    system.Set(ComingAndGoingPrintSystem::Printers);
    ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
    RpPrintDialog dialog(system.lookup, 3, {});
    // The print system asked again, as Print asks for a printer missing from the last answer.
    const auto answer = [&](ComingAndGoingPrintSystem::State state) {
        system.Set(state);
        QSignalSpy answered(&system.lookup, &PrinterLookup::Answered);
        TestMessages::QueueAnswers({false});
        system.lookup.AwaitForJob(std::chrono::seconds(5), TestMessages::Prompts(), {}, "Nowhere");
        ASSERT_TRUE(!answered.isEmpty() || answered.wait(5000));
    };
    EXPECT_EQ(dialog.PrinterBox->currentText(), "Hall");
    answer(ComingAndGoingPrintSystem::OfficeOnly);
    EXPECT_EQ(dialog.PrinterBox->currentText(), "Office");
    answer(ComingAndGoingPrintSystem::Printers);
    EXPECT_EQ(dialog.PrinterBox->currentText(), "Hall") << "a refill became the choice";
    QTest::keyClick(dialog.PrinterBox, Qt::Key_Up);
    ASSERT_EQ(dialog.PrinterBox->currentText(), "Office");
    answer(ComingAndGoingPrintSystem::Printers);
    EXPECT_EQ(dialog.PrinterBox->currentText(), "Office") << "the user's pick was lost";
    EXPECT_EQ(dialog.Choice().Printer, "Office");
}

// The printer the dialog is for stays its choice through answers without it, and shows again when listed; an
// answer that changes nothing leaves the open list as it was.
TEST(RpPrintDialog, APrinterNotListedStaysTheChoiceUntilItIsListedAgain) {
    ComingAndGoingPrintSystem system;
    ASSERT_TRUE(system.lookup.Await(std::chrono::seconds(5)));
    RpPrintDialog dialog(system.lookup, 3, {QStringLiteral("Office"), 1, true, 1, 3});
    EXPECT_EQ(Offered(*dialog.PrinterBox), QStringList({"Office", "PDF file"}));
    EXPECT_EQ(dialog.Choice().Printer, "Office");
    EXPECT_TRUE(dialog.CopiesEdit->isEnabled());
    dialog.PrinterBox->view()->setCurrentIndex(dialog.PrinterBox->model()->index(1, 0));
    emit system.lookup.Answered(); // the same empty list once more
    EXPECT_EQ(dialog.Choice().Printer, "Office") << "an empty answer took the printer's place";
    EXPECT_EQ(dialog.PrinterBox->view()->currentIndex().row(), 1) << "the open list was filled again";

    // Asked again as the open dialog asks while nothing is listed.
    system.Set(ComingAndGoingPrintSystem::Printers);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            system.lookup.AskAgainIfNoneListed();
            return Offered(*dialog.PrinterBox) == QStringList({"Office", "Hall", "PDF file"});
        },
        5000));
    EXPECT_EQ(dialog.Choice().Printer, "Office");
}

// Cancel ends the wait, and so does closing its window.
TEST_F(PrintFromPreview, TheWaitForThePrintersShowsProgressAndItsCancelEndsItAtOnce) {
    std::promise<void> answer;
    PrinterLookup lookup{[released = answer.get_future().share()] {
        released.wait();
        return PrinterList();
    }};
    report.prn.UseLookup(lookup);
    InPreview([&](PreviewForm& form) {
        for (const bool close : {false, true}) {
            TestMessages::QueueAnswers({false}); // no PDF file instead
            QElapsedTimer sinceCancel;
            EXPECT_TRUE(AnswerWindow<PrintBarForm>([&] { form.PrintBtnClick(); },
                                                   [&](PrintBarForm& bar) {
                                                       EXPECT_FALSE(bar.CancelBtn->isHidden());
                                                       sinceCancel.start();
                                                       if (close)
                                                           bar.close();
                                                       else
                                                           bar.CancelBtn->click();
                                                   }))
                << "no progress while waiting";
            EXPECT_LT(sinceCancel.elapsed(), 5000) << "the wait of 15 s went on";
        }
    });
    EXPECT_EQ(TestMessages::Shown(), QStringList({kPdfInstead, kPdfInstead}));
    EXPECT_TRUE(events.isEmpty()) << events.join(' ').toStdString();
    answer.set_value();
    lookup.Await(std::chrono::seconds(5));
}

TEST_F(PrintFromPreview, APrinterWhoseServerIsSilentGivesTheJobUpInTimeAndOffersItsPdfFile) {
    REQUIRE_PDF_PEER();
    WithPrinters office({"Office"});
    const SilentPrintServer silent;
    report.prn.UseLookup(office.Lookup());
    report.prn.PrintSystemWait = std::chrono::seconds(2);
    report.prn.PrintDialog = [](PrintDevice*, int, int&, int&) { return true; };
    const std::filesystem::path pdf = AnswerThePdfFile();
    InPreview([&](PreviewForm& form) {
        const EventGaps gaps;
        QElapsedTimer clock;
        clock.start();
        form.PrintBtnClick();
        EXPECT_GE(clock.elapsed(), 2000);
        EXPECT_LT(clock.elapsed(), 5000) << "the wait is bounded";
        EXPECT_LT(gaps.Longest(), 1000) << "the window stopped handling events";
        TestMessages::QueueAnswers({true});
        form.PrintBtnClick();
    });
    const QString offer = "The print system did not take the job in 2 seconds. Print to a PDF file instead?";
    EXPECT_EQ(TestMessages::Shown(), QStringList({offer, offer}));
    EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage", "OnLastPage", "BeforePrint", "OnFirstPage",
                                   "OnLastPage", "AfterPrint"}))
        << "a success only for the PDF file";
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 3);
    EXPECT_TRUE(PdfPageText(pdf, 3).contains("Page 3"));
}

TEST_F(PrintFromPreview, AJobSpooledToAPrinterHoldsTheTextOfThePdfFileWhereItStandsThere) {
    REQUIRE_PDF_PEER();
    report.prn.PrintDialog = [](PrintDevice*, int, int&, int&) { return true; };
    InPreview([&](PreviewForm& form) {
        report.prn.SetPrinter(std::make_unique<PdfFileDevice>(dir / "file.pdf"));
        form.PrintBtnClick();
        report.prn.SetPrinter(std::make_unique<PrinterDevice>(PrinterFacts{QStringLiteral("Office")},
                                                              PdfPrinter(dir / "printer.pdf")));
        form.PrintBtnClick();
    });
    EXPECT_EQ(events.count("AfterPrint"), 2);
    const std::vector<PdfWord> filed = ReadPdfWords(dir / "file.pdf");
    const std::vector<PdfWord> printed = ReadPdfWords(dir / "printer.pdf");
    ASSERT_GT(filed.size(), 300u);
    ASSERT_EQ(printed.size(), filed.size());
    for (size_t i = 0; i < filed.size(); ++i) {
        const PdfWord &a = filed[i], &b = printed[i];
        const bool same = a.Page == b.Page && a.Text == b.Text && std::abs(a.XMin - b.XMin) < 0.5 &&
                          std::abs(a.XMax - b.XMax) < 0.5 && std::abs(a.YMin - b.YMin) < 0.5 &&
                          std::abs((a.YMax - a.YMin) - (b.YMax - b.YMin)) < 0.1;
        ASSERT_TRUE(same) << "word " << i << ": \"" << b.Text.toStdString() << "\" at " << b.XMin << ", "
                          << b.YMin << " size " << b.YMax - b.YMin << " on page " << b.Page
                          << "; the PDF file has \"" << a.Text.toStdString() << "\" at " << a.XMin << ", "
                          << a.YMin << " size " << a.YMax - a.YMin << " on page " << a.Page;
    }
}

TEST_F(PrintFromPreview, ThePrintDialogChoosesAmongTheListedPrintersTheCopiesAndThePages) {
    REQUIRE_PDF_PEER();
    WithPrinters system({"Hall", "Office"});
    report.prn.UseLookup(system.Lookup());
    // The printer notes the job it was given.
    PrintJob given;
    const Spooler print = PdfPrinter(dir / "printed.pdf");
    report.prn.SetPrinter(
        std::make_unique<PrinterDevice>(*system.Lookup().Answer()->Default(),
                                        [&](const PrintJob& job, const std::function<bool()>& mayHandIn) {
                                            given = job;
                                            return print(job, mayHandIn);
                                        }));
    InPreview([&](PreviewForm& form) {
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            ASSERT_EQ(dialog.PrinterBox->count(), 3);
            EXPECT_EQ(dialog.PrinterBox->itemText(1), "Office");
            EXPECT_EQ(dialog.PrinterBox->itemText(2), "PDF file");
            EXPECT_EQ(dialog.PrinterBox->currentText(), "Hall");
            EXPECT_EQ(dialog.CopiesEdit->value(), 1);
            EXPECT_TRUE(dialog.CollateBox->isChecked()) << "copies are collated unless asked otherwise";
            EXPECT_TRUE(dialog.AllPages->isChecked());
            EXPECT_FALSE(dialog.FromPage->isEnabled());
            EXPECT_EQ(dialog.ToPage->maximum(), 3);
            dialog.PrinterBox->setCurrentText("Office");
            dialog.CopiesEdit->setValue(2);
            dialog.PageRange->setChecked(true);
            EXPECT_TRUE(dialog.FromPage->isEnabled());
            dialog.ToPage->setValue(2);
            dialog.FromPage->setValue(3);
            EXPECT_EQ(dialog.ToPage->value(), 3) << "the range ends before it begins";
            dialog.FromPage->setValue(2);
            dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        });
    });
    EXPECT_EQ(given.Printer, "Office");
    EXPECT_EQ(given.Options.Copies, 2);
    EXPECT_TRUE(given.Options.Collate);
    EXPECT_EQ(ReadPdfInfo(dir / "printed.pdf").Pages, 2);
    EXPECT_TRUE(PdfPageText(dir / "printed.pdf", 1).contains("Page 2"));
    EXPECT_TRUE(events.contains("AfterPrint"));
}

// With printers listed, the dialog still offers the PDF file: the pages chosen go there, none to a printer.
TEST_F(PrintFromPreview, ThePrintDialogsPdfFileTakesTheChosenPagesInsteadOfThePrinter) {
    REQUIRE_PDF_PEER();
    WithPrinters system({"Office"});
    report.prn.UseLookup(system.Lookup());
    bool opened = false;
    report.prn.SetPrinter(std::make_unique<PrinterDevice>(*system.Lookup().Answer()->Default(),
                                                          [&](const PrintJob&, const std::function<bool()>&) {
                                                              opened = true;
                                                              return QString();
                                                          }));
    const std::filesystem::path pdf = dir / "chosen.pdf";
    prompts.save = [&](const FileChoice&, QString&) { return QString::fromStdString(pdf.string()); };
    InPreview([&](PreviewForm& form) {
        PrintInTheDialog(form, [](RpPrintDialog& dialog) {
            dialog.PrinterBox->setCurrentText("PDF file");
            dialog.PageRange->setChecked(true);
            dialog.FromPage->setValue(3);
            dialog.ToPage->setValue(3);
            dialog.Buttons->button(QDialogButtonBox::Ok)->click();
        });
    });
    EXPECT_FALSE(opened) << "the printer was asked";
    EXPECT_EQ(TestMessages::Shown(), QStringList());
    EXPECT_TRUE(events.contains("AfterPrint"));
    EXPECT_EQ(ReadPdfInfo(pdf).Pages, 1);
    EXPECT_TRUE(PdfPageText(pdf, 1).contains("Page 3"));
}

// At OK, the printer picked but missing from an answer of seconds ago is asked for again: back, it takes the
// job; still missing, the PDF file is offered. So it is for a job that a print server not running cannot
// take.
TEST_F(PrintFromPreview, APrinterPickedButNotListedIsAskedForAgainAndAJobNotTakenOffersThePdfFile) {
    REQUIRE_PDF_PEER();
    ComingAndGoingPrintSystem returning, missing;
    for (ComingAndGoingPrintSystem* system : {&returning, &missing}) {
        system->Set(ComingAndGoingPrintSystem::OfficeOnly);
        ASSERT_TRUE(system->lookup.Await(std::chrono::seconds(5)));
    }
    QStringList jobs;
    const auto hall = [&jobs] {
        return std::make_unique<PrinterDevice>(PrinterFacts{"Hall"},
                                               [&jobs](const PrintJob& job, const auto&) {
                                                   jobs << job.Printer;
                                                   return QString();
                                               });
    };
    const std::filesystem::path pdf = AnswerThePdfFile();
    // The file replaced keeps its bytes under its other name: the PDF file is not written in place.
    const auto replacing = [&] {
        std::filesystem::remove(dir / "other name");
        std::ofstream(pdf) << "old";
        std::filesystem::create_hard_link(pdf, dir / "other name");
    };
    const auto offeredAndWritten = [&](const QString& why) {
        EXPECT_EQ(TestMessages::Shown(), QStringList({why + " Print to a PDF file instead?"}));
        EXPECT_TRUE(pdfOffered);
        EXPECT_EQ(ReadPdfInfo(pdf).Pages, 3);
        EXPECT_EQ(ReadFileBytes(dir / "other name"), "old") << "the PDF file was written in place";
        TestMessages::Clear();
        pdfOffered = false;
    };
    const auto ok = [](RpPrintDialog& dialog) { dialog.Buttons->button(QDialogButtonBox::Ok)->click(); };
    InPreview([&](PreviewForm& form) {
        report.prn.UseLookup(returning.lookup);
        report.prn.SetPrinter(hall());
        returning.Set(ComingAndGoingPrintSystem::Printers);
        PrintInTheDialog(form, ok);
        EXPECT_EQ(jobs, QStringList({"Hall"}));
        EXPECT_FALSE(pdfOffered) << "the PDF file in place of a printer that is back";
        EXPECT_EQ(TestMessages::Shown(), QStringList());

        report.prn.UseLookup(missing.lookup);
        report.prn.SetPrinter(hall());
        replacing();
        TestMessages::QueueAnswers({true});
        PrintInTheDialog(form, ok);
        offeredAndWritten("The print system does not list Hall.");

        const AbsentPrintServer absent(dir.path());
        report.prn.SetPrinter(std::make_unique<PrinterDevice>(PrinterFacts{"Office"}));
        replacing();
        TestMessages::QueueAnswers({true});
        PrintInTheDialog(form, ok);
        offeredAndWritten("The print system cannot be reached.");
    });
    EXPECT_EQ(jobs, QStringList({"Hall"}));
}

TEST_F(PrintFromPreview, APrinterThatFailsIsReportedOnceAndAfterPrintDoesNotFire) {
    InPreview([&](PreviewForm& form) {
        report.prn.SetPrinter(std::make_unique<PdfFileDevice>(dir / "missing" / "report.pdf"));
        form.PrintBtnClick();
        ASSERT_EQ(TestMessages::Shown().size(), 1);
        EXPECT_TRUE(TestMessages::Shown()[0].startsWith("Cannot create"));
        EXPECT_EQ(events, QStringList({"BeforePrint"}));

        TestMessages::Clear();
        events.clear();
        report.prn.SetPrinter(std::make_unique<NoSecondPage>());
        form.PrintBtnClick();
        EXPECT_EQ(TestMessages::Shown(), QStringList({"The printer could not start a new page."}));
        EXPECT_EQ(events, QStringList({"BeforePrint", "OnFirstPage"}));
        EXPECT_FALSE(report.prn.Printer()->Printing());

        TestMessages::Clear();
        events.clear();
        report.prn.SetPrinter(std::make_unique<NoEnd>());
        form.PrintBtnClick();
        EXPECT_EQ(TestMessages::Shown(), QStringList({"The print job could not be completed."}));
        EXPECT_FALSE(events.contains("AfterPrint"));

        events.clear();
        EXPECT_EQ(PrintRange(report, form, 2, 3).Pages().size(), 2u);
        EXPECT_TRUE(events.contains("AfterPrint"));
    });
}

TEST_F(PrintFromPreview, TheDialogsRangeIsClampedAndItsCancelPrintsNothing) {
    InPreview([&](PreviewForm& form) {
        EXPECT_EQ(PrintRange(report, form, 0, 99).Pages().size(), 3u);
        EXPECT_EQ(PrintRange(report, form, 3, 1).Pages().size(), 1u);
        EXPECT_EQ(PrintRange(report, form, -4, 2).Pages().size(), 2u);

        events.clear();
        int offeredFrom = 0, offeredTo = 0;
        report.prn.PrintDialog = [&](PrintDevice*, int count, int& from, int& to) {
            offeredFrom = from;
            offeredTo = to;
            EXPECT_EQ(count, 3);
            return false;
        };
        auto device = std::make_unique<ImageDevice>(10);
        const ImageDevice& cancelled = *device;
        report.prn.SetPrinter(std::move(device));
        form.PrintBtnClick();
        EXPECT_TRUE(cancelled.Pages().empty());
        EXPECT_TRUE(events.isEmpty());
        EXPECT_EQ(offeredFrom, 1); // the range printed last
        EXPECT_EQ(offeredTo, 2);
    });
}

TEST_F(PrintFromPreview, TheReportsSheetAndOrientationWinOverTheDialogsAndThePrintersReturnAfterwards) {
    auto device = std::make_unique<ImageDevice>(20);
    ImageDevice& printer = *device;
    printer.SetPaper({9, QSizeF(8.3, 11.7)});
    printer.SetOrientation(PrintOrientation::Landscape);
    report.prn.SetPrinter(std::move(device));
    report.prn.PrintDialog = [](PrintDevice* chosen, int, int&, int&) {
        chosen->SetOrientation(PrintOrientation::Landscape);
        chosen->SetPaper({8, QSizeF(11.7, 16.5)});
        return true;
    };
    InPreview([&](PreviewForm& form) {
        EXPECT_EQ(printer.CurrentPaper().Code, 1); // letter while the report runs
        form.PrintBtnClick();
        ASSERT_EQ(printer.Pages().size(), 3u);
        EXPECT_EQ(printer.Pages()[0].size(), QSize(170, 220));
    });
    EXPECT_EQ(printer.CurrentPaper().Code, 9);
    EXPECT_EQ(printer.Orientation(), PrintOrientation::Landscape);
}

TEST_F(PrintFromPreview, TextIsKeptInsideWhatThePrinterCanMark) {
    InPreview([&](PreviewForm& form) {
        auto device = std::make_unique<WideBorder>();
        const ImageDevice& printer = *device;
        report.prn.SetPrinter(std::move(device));
        form.PrintBtnClick();
        ASSERT_EQ(printer.Pages().size(), 3u);
        const QImage& page = printer.Pages()[0];
        int left = page.width();
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < left; ++x)
                if (page.pixel(x, y) != qRgb(255, 255, 255)) left = x;
        EXPECT_GE(left, 30); // 0.75 inch at 40 pixels per inch; the report's own margin is 0.5
        EXPECT_LT(left, 34);
    });
}

TEST(ReportColours, FontColoursReachOnlyPrintersThatPrintColour) {
    for (const bool colour : {true, false}) {
        RpPrintObject prn{TestMessages::Prompts()};
        prn.ShowProgress = false;
        prn.ShowPrintDialog = false;
        auto device =
            colour ? std::make_unique<ImageDevice>(40) : std::unique_ptr<ImageDevice>(new Monochrome);
        const ImageDevice& printed = *device;
        prn.SetPrinter(std::move(device));
        prn.Start();
        RpFont red;
        red.Size = 40;
        red.Bold = true;
        red.Color = qRgb(255, 0, 0);
        prn.SetFont(red);
        prn.WriteText("MMMM", 1, 1);
        prn.Quit();
        ASSERT_EQ(printed.Pages().size(), 1u);
        EXPECT_EQ(HasRed(printed.Pages()[0]), colour);
    }
}

TEST(ReportProgress, TheProgressWindowStepsAndItsCancelAsksBeforeStoppingTheComposition) {
    TestMessages::Clear();
    RpPrintObject prn{TestMessages::Prompts()};
    prn.ShowCancelBtn = true;
    prn.ProgressBarMax = 4;
    bool cancelled = false;
    prn.OnCancel = [&] { cancelled = true; };
    prn.Start();
    auto* bar = QApplication::activeModalWidget()
                    ? qobject_cast<PrintBarForm*>(QApplication::activeModalWidget())
                    : nullptr;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->PrintCaption->text(), "Preparing Report.......");
    EXPECT_FALSE(bar->CancelBtn->isHidden());
    prn.UpdateProgress();
    EXPECT_EQ(bar->PrintBar->value(), 1);
    EXPECT_EQ(bar->PrintBar->maximum(), 4);
    bar->CancelBtn->click(); // answered No
    EXPECT_TRUE(prn.Active());
    TestMessages::QueueAnswers({true});
    bar->CancelBtn->click();
    EXPECT_FALSE(prn.Active());
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(TestMessages::Shown(), QStringList({"Abort printing?", "Abort printing?"}));
    prn.Quit();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
