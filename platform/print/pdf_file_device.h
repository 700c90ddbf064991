#pragma once

#include <QPdfWriter>
#include <QSaveFile>
#include <filesystem>
#include <memory>

#include "platform/print/print_device.h"
#include "platform/user_prompts.h"

// What the user is asked for the file of the PDF output; a name without an extension gets ".pdf".
FileChoice PdfFileChoice();
// The PDF output's name where it is offered beside the printers.
QString PdfFileOutputName();

// The question that offers the PDF file where the print system cannot print now; why says what it did.
QString PdfFileInstead(const QString& why);
// Offers to write the document of a job the print system did not take into a PDF file the user chooses.
// True when it was written; a failure is shown.
bool KeepAsPdfFile(const EPrintNotTaken& job, UserPrompts& prompts);

// A PDF document written into out as its pages are drawn: real, searchable text and embedded fonts.
std::unique_ptr<QPdfWriter> OpenPdfWriter(QIODevice& out, const QPageLayout& layout, int dpi,
                                          const QString& title);

// Pages into a PDF file with real, searchable text and embedded fonts. The file appears only when the
// document ends well; an aborted or failed document leaves any earlier file as it was.
class PdfFileDevice : public PrintDevice {
  public:
    static constexpr int kResolution = 1200;

    explicit PdfFileDevice(std::filesystem::path path);
    ~PdfFileDevice() override;

    int DpiX() const override { return kResolution; }
    int DpiY() const override { return kResolution; }

  protected:
    QPaintDevice& OpenDocument(const QPageLayout& layout) override;
    bool StartNextPage() override { return writer_->newPage(); }
    void CloseDocument() override;
    void DiscardDocument() override;

  private:
    std::filesystem::path path_;
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<QPdfWriter> writer_;
};
