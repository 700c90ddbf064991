#pragma once

#include <QImage>
#include <QSizeF>
#include <QString>
#include <filesystem>
#include <vector>

// What poppler-utils read from a PDF we wrote. Tests skip when the tools are missing.
bool PdfPeerAvailable();
#define REQUIRE_PDF_PEER()                                                                                   \
    do {                                                                                                     \
        if (!PdfPeerAvailable()) GTEST_SKIP() << "pdfinfo/pdftotext (poppler-utils) not installed";          \
    } while (0)

struct PdfInfo {
    int Pages = 0;
    QSizeF PageSize; // points, of the first page
    QString Title;
};
PdfInfo ReadPdfInfo(const std::filesystem::path& pdf);

// The plain text of a page (1-based), in reading order.
QString PdfPageText(const std::filesystem::path& pdf, int page);

// One word with its box in points from the page's top-left corner.
struct PdfWord {
    int Page = 0; // 1-based
    QString Text;
    double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
};
std::vector<PdfWord> ReadPdfWords(const std::filesystem::path& pdf);
// The words of one page whose text is exactly `text`.
std::vector<PdfWord> FindPdfWords(const std::vector<PdfWord>& words, int page, const QString& text);

// A page (1-based) as pdftoppm draws it at `dpi`; null when the tool is missing or fails.
QImage RenderPdfPage(const std::filesystem::path& pdf, int page, int dpi);
