#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
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
