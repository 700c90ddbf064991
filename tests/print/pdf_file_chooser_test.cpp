#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "platform/message_boxes.h"
#include "platform/print/pdf_file_device.h"
#include "support/test_support.h"

namespace {

// The program's dialogs; the number questions are not asked here.
struct Dialogs : MessageBoxes {
    int AskCount(const QString&) override { return 0; }
    int AskSetNumber(const QString&, QString&) override { return 0; }
};

// Chooses `typed` in the PDF file dialog, in `folder`, and accepts.
std::filesystem::path Choose(const std::filesystem::path& folder, const QString& typed) {
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->setDirectory(QString::fromStdString(folder.string()));
        dialog->selectFile(typed);
        static_cast<QDialog*>(dialog)->accept(); // the file dialog's own checks run
    });
    QString filter;
    return Dialogs().ChooseSaveFile(PdfFileChoice(), filter).toStdString();
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
    QTimer::singleShot(0, &preview, [&] {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            questionParent = box->parentWidget();
            box->button(QMessageBox::Yes)->click();
        });
        EXPECT_TRUE(prompts.AskYesNo(QStringLiteral("Print to a PDF file instead?")));
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) return;
            fileParent = dialog->parentWidget();
            dialog->reject();
        });
        QString filter;
        EXPECT_TRUE(prompts.ChooseSaveFile(PdfFileChoice(), filter).isEmpty());
        preview.accept();
    });
    preview.exec();
    EXPECT_EQ(questionParent, &preview);
    EXPECT_EQ(fileParent, &preview) << "the fallback would come in front of the window that asked";
}
