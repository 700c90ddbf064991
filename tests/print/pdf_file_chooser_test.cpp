#include <gtest/gtest.h>

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "platform/message_boxes.h"
#include "platform/print/pdf_file_device.h"
#include "support/answer_window.h"
#include "support/test_support.h"

namespace {

// The program's dialogs; the number questions are not asked here.
struct Dialogs : MessageBoxes {
    int AskCount(const QString&) override { return 0; }
    int AskSetNumber(const QString&, QString&) override { return 0; }
};

// Chooses `typed` in the PDF file dialog, in `folder`, and accepts.
std::filesystem::path Choose(const std::filesystem::path& folder, const QString& typed) {
    QString filter, chosen;
    EXPECT_TRUE(AnswerWindow<QFileDialog>([&] { chosen = Dialogs().ChooseSaveFile(PdfFileChoice(), filter); },
                                          [&](QFileDialog& dialog) {
                                              dialog.setDirectory(QString::fromStdString(folder.string()));
                                              dialog.selectFile(typed);
                                              // the file dialog's own checks run
                                              static_cast<QDialog&>(dialog).accept();
                                          }));
    return chosen.toStdString();
}

} // namespace

TEST(PdfFileChooser, ANameWithoutAnExtensionGetsPdfAndOneWithAnExtensionKeepsIt) {
    TempDir dir;
    EXPECT_EQ(Choose(dir.path(), "inventory"), dir / "inventory.pdf");
    EXPECT_EQ(Choose(dir.path(), "inventory.PDF"), dir / "inventory.PDF");
    EXPECT_EQ(Choose(dir.path(), "list.txt"), dir / "list.txt");
}

TEST(MessageBoxes, AfterAQuestionTheFileDialogStandsOverTheModalWindowAndNotOverTheFallback) {
    QWidget main;
    main.show();
    Dialogs prompts;
    prompts.SetFallbackParent(&main);
    QDialog preview(&main);
    QWidget* questionParent = nullptr;
    QWidget* fileParent = nullptr;
    const bool shown = AnswerWindow<QDialog>(
        [&] { preview.exec(); },
        [&](QDialog&) {
            bool yes = false;
            EXPECT_TRUE(AnswerWindow<QMessageBox>(
                [&] { yes = prompts.AskYesNo(QStringLiteral("Print to a PDF file instead?")); },
                [&](QMessageBox& box) {
                    questionParent = box.parentWidget();
                    box.button(QMessageBox::Yes)->click();
                }));
            EXPECT_TRUE(yes);
            QString filter, chosen;
            EXPECT_TRUE(
                AnswerWindow<QFileDialog>([&] { chosen = prompts.ChooseSaveFile(PdfFileChoice(), filter); },
                                          [&](QFileDialog& dialog) {
                                              fileParent = dialog.parentWidget();
                                              dialog.reject();
                                          }));
            EXPECT_TRUE(chosen.isEmpty());
            preview.accept();
        });
    ASSERT_TRUE(shown);
    EXPECT_EQ(questionParent, &preview);
    EXPECT_EQ(fileParent, &preview) << "the fallback would come in front of the window that asked";
}
