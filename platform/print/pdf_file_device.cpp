#include "platform/print/pdf_file_device.h"

FileChoice PdfFileChoice() {
    return {QStringLiteral("Print to PDF file"), QStringLiteral("PDF files (*.pdf)"), QString(),
            QStringLiteral("pdf")};
}

QString PdfFileOutputName() {
    return QStringLiteral("PDF file");
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
    writer_ = std::make_unique<QPdfWriter>(file_.get());
    writer_->setResolution(kResolution);
    writer_->setPageLayout(layout);
    writer_->setTitle(Title());
    writer_->setCreator(QStringLiteral("Tessarin"));
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
