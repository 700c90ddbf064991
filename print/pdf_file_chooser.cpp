#include "print/pdf_file_chooser.h"

#include <QFileDialog>

std::filesystem::path ChoosePdfFile(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Print to PDF file"), QString(),
                       QStringLiteral("PDF files (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst().toStdString();
}
