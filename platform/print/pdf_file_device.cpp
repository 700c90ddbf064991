#include "platform/print/pdf_file_device.h"

FileChoice PdfFileChoice() {
    return {QStringLiteral("Print to PDF file"), QStringLiteral("PDF files (*.pdf)"), QString(),
            QStringLiteral("pdf")};
}

QString PdfFileOutputName() {
    return QStringLiteral("PDF file");
}

std::unique_ptr<QPdfWriter> OpenPdfWriter(QIODevice& out, const QPageLayout& layout, int dpi,
                                          const QString& title) {
    auto writer = std::make_unique<QPdfWriter>(&out);
    writer->setResolution(dpi);
    writer->setPageLayout(layout);
    writer->setTitle(title);
    writer->setCreator(QStringLiteral("Tessarin"));
    return writer;
}

PdfFileDevice::PdfFileDevice(std::filesystem::path path) : path_(std::move(path)) {}

PdfFileDevice::~PdfFileDevice() {
    Abort();
}

QPaintDevice& PdfFileDevice::OpenDocument(const QPageLayout& layout) {
    const QString name = QString::fromStdString(path_.string());
    RequireFileOrNothing(path_);
    file_ = std::make_unique<QSaveFile>(name);
    if (!file_->open(QIODevice::WriteOnly)) {
        const QString reason = file_->errorString();
        file_.reset();
        throw EPrintError(QStringLiteral("Cannot create %1: %2").arg(name, reason).toStdString());
    }
    writer_ = OpenPdfWriter(*file_, layout, kResolution, Title());
    return *writer_;
}

void PdfFileDevice::CloseDocument() {
    writer_.reset();
    const bool saved = file_->commit();
    const QString reason = file_->errorString();
    file_.reset();
    if (!saved)
        throw EPrintError(QStringLiteral("Cannot write %1: %2")
                              .arg(QString::fromStdString(path_.string()), reason)
                              .toStdString());
}

void PdfFileDevice::DiscardDocument() {
    if (painter_.isActive()) painter_.end();
    writer_.reset();
    file_.reset(); // an uncommitted save file removes its temporary file
}
