#include "platform/print/pdf_file_device.h"

#include "platform/print/print_worker.h"

namespace {

// A save file at path, open for writing: the file appears only when it is committed whole.
std::unique_ptr<QSaveFile> OpenSaveFile(const std::filesystem::path& path) {
    const QString name = QString::fromStdString(path.string());
    RequireFileOrNothing(path);
    auto file = std::make_unique<QSaveFile>(name);
    if (!file->open(QIODevice::WriteOnly))
        throw EPrintError(
            QStringLiteral("Cannot create %1: %2").arg(name, file->errorString()).toStdString());
    return file;
}

void Commit(QSaveFile& file, const std::filesystem::path& path) {
    if (!file.commit())
        throw EPrintError(QStringLiteral("Cannot write %1: %2")
                              .arg(QString::fromStdString(path.string()), file.errorString())
                              .toStdString());
}

} // namespace

FileChoice PdfFileChoice() {
    return {QStringLiteral("Print to PDF file"), QStringLiteral("PDF files (*.pdf)"), QString(),
            QStringLiteral("pdf")};
}

QString PdfFileOutputName() {
    return QStringLiteral("PDF file");
}

QString PdfFileInstead(const QString& why) {
    return why + QStringLiteral(" Print to a PDF file instead?");
}

bool KeepAsPdfFile(const EPrintNotTaken& job, UserPrompts& prompts) {
    if (Quitting() || !prompts.AskYesNo(PdfFileInstead(job.Reason))) return false;
    QString filter;
    const std::filesystem::path path = prompts.ChooseSaveFile(PdfFileChoice(), filter).toStdString();
    if (path.empty()) return false;
    try {
        const std::unique_ptr<QSaveFile> file = OpenSaveFile(path);
        file->write(job.Document);
        Commit(*file, path);
    } catch (const EPrintError& error) {
        prompts.Show(QString::fromStdString(error.what()));
        return false;
    }
    return true;
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
    file_ = OpenSaveFile(path_);
    writer_ = OpenPdfWriter(*file_, layout, kResolution, Title());
    return *writer_;
}

void PdfFileDevice::CloseDocument() {
    writer_.reset();
    const std::unique_ptr<QSaveFile> file = std::move(file_);
    Commit(*file, path_);
}

void PdfFileDevice::DiscardDocument() {
    if (painter_.isActive()) painter_.end();
    writer_.reset();
    file_.reset(); // an uncommitted save file removes its temporary file
}
