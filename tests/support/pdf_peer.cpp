#include "support/pdf_peer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

bool PdfPeerAvailable() {
    return !QStandardPaths::findExecutable("pdfinfo").isEmpty() &&
           !QStandardPaths::findExecutable("pdftotext").isEmpty();
}

PdfInfo ReadPdfInfo(const std::filesystem::path& pdf) {
    PdfInfo info;
    const QString out = Run("pdfinfo", {PathText(pdf)});
    const auto pages =
        QRegularExpression(R"(^Pages:\s+(\d+)$)", QRegularExpression::MultilineOption).match(out);
    if (pages.hasMatch()) info.Pages = pages.captured(1).toInt();
    const auto size =
        QRegularExpression(R"(^Page size:\s+([\d.]+) x ([\d.]+) pts)", QRegularExpression::MultilineOption)
            .match(out);
    if (size.hasMatch()) info.PageSize = QSizeF(size.captured(1).toDouble(), size.captured(2).toDouble());
    const auto title =
        QRegularExpression(R"(^Title:\s+(.*)$)", QRegularExpression::MultilineOption).match(out);
    if (title.hasMatch()) info.Title = title.captured(1).trimmed();
    return info;
}

QString PdfPageText(const std::filesystem::path& pdf, int page) {
    const QString number = QString::number(page);
    return Run("pdftotext", {"-f", number, "-l", number, "-layout", PathText(pdf), "-"});
}

std::vector<PdfWord> ReadPdfWords(const std::filesystem::path& pdf) {
    const QString html = Run("pdftotext", {"-bbox", PathText(pdf), "-"});
    static const QRegularExpression tag(
        R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
    std::vector<PdfWord> words;
    int page = 0;
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        if (match.captured(0) == QLatin1String("<page ")) {
            ++page;
            continue;
        }
        QString text = match.captured(5);
        text.replace("&lt;", "<")
            .replace("&gt;", ">")
            .replace("&quot;", "\"")
            .replace("&apos;", "'")
            .replace("&amp;", "&");
        words.push_back({page, text, match.captured(1).toDouble(), match.captured(2).toDouble(),
                         match.captured(3).toDouble(), match.captured(4).toDouble()});
    }
    return words;
}

std::vector<PdfWord> FindPdfWords(const std::vector<PdfWord>& words, int page, const QString& text) {
    std::vector<PdfWord> found;
    for (const PdfWord& word : words)
        if (word.Page == page && word.Text == text) found.push_back(word);
    return found;
}

QImage RenderPdfPage(const std::filesystem::path& pdf, int page, int dpi) {
    const QString number = QString::number(page);
    const std::filesystem::path prefix = pdf.parent_path() / ("page" + number.toStdString());
    Run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", number, "-l", number, "-singlefile",
                     PathText(pdf), PathText(prefix)});
    return QImage(PathText(prefix) + ".png").convertToFormat(QImage::Format_RGB32);
}
