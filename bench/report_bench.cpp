// The inventory report, timed from the Print command: composing 5,000 rows of real part descriptions (the
// first rows of the shipped master list) into the preview, turning and zooming preview pages, and a 75-page
// PDF. The peer is a plain QPainter program drawing the same table (same rows, columns, fonts, word wrap,
// paper and margins, header row on every page) into the same kind of output: recorded pages with the first
// one shown, the pages drawn at a zoom, and a PDF file. Both measure each word once per font, and both start
// every timed run with no width measured: ours is a fresh report, made outside the timing. Each comparison
// runs ours and the peer in turn and checks that both made as many pages.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QPicture>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/master_list.h"
#include "platform/print/pdf_file_device.h"
#include "platform/text.h"
#include "print/report_test_support.h"
#include "support/bench_main.h"
#include "support/test_support.h"

namespace {

// The descriptions of the shipped master list's first `count` parts, read as the program reads the list.
QStringList MasterDescriptions(int count) {
    const MasterRows rows =
        ParseMasterList(ReadTextFile(ShippedDataCopy() / "master.txt").value_or(QString())).rows;
    QStringList descriptions;
    for (std::size_t i = 0; i < rows.size() && descriptions.size() < count; ++i)
        descriptions << rows.Description(i).toString();
    return descriptions;
}

// Rows like a real inventory: short cells and real descriptions, of one to three lines.
InventoryReportData Inventory(int count) {
    InventoryReportData data = ReportRows(count);
    const QStringList descriptions = MasterDescriptions(count);
    for (int i = 0; i < count; ++i) {
        auto& row = data.Rows[static_cast<size_t>(i)];
        row[1] = QString::number(1 + i % 12);
        row[2] = QString::number(3001 + i % 400);
        row[4] = i % 3 ? "Red" : "Light Bluish Gray";
        row[5] = descriptions.value(i);
        row[6] = i % 5 ? QString() : "in bag with the wheels";
    }
    return data;
}

// A fresh report for every timed run, so that ours measures every word anew as the peer does.
class FreshReport {
  public:
    void Renew() {
        report_.reset();
        report_.emplace(TestMessages::Prompts());
    }
    InventoryReport& operator*() { return *report_; }
    InventoryReport* operator->() { return &*report_; }

  private:
    std::optional<InventoryReport> report_;
};

// ---- The peer: the report as a plain QPainter program draws it, in inches from the sheet's corner.

struct PeerColumn {
    const char* heading;
    double left, width;
    bool wrapped;
};
constexpr PeerColumn kPeerColumns[] = {{"Quantity", 0.5, 0.75, false},     {"Ldraw #", 1.25, 0.75, false},
                                       {"Bag (if any)", 2.0, 0.75, false}, {"Color", 2.75, 0.75, false},
                                       {"Description", 3.5, 3.0, true},    {"Notes", 6.5, 1.25, true}};

// Greedy word wrap over words measured once each, as a program that caches word widths per font does.
class PeerWrap {
  public:
    explicit PeerWrap(const QFontMetricsF& metrics)
        : metrics_(metrics), blank_(metrics.horizontalAdvance(QStringLiteral(" "))) {}

    QStringList operator()(const QString& text, double width) {
        QStringList lines;
        QString line;
        double lineWidth = 0;
        for (const QString& word : text.split(u' ')) {
            const double wordWidth = Width(word);
            if (line.isEmpty()) {
                line = word;
                lineWidth = wordWidth;
            } else if (lineWidth + blank_ + wordWidth > width) {
                lines << line;
                line = word;
                lineWidth = wordWidth;
            } else {
                line += u' ' + word;
                lineWidth += blank_ + wordWidth;
            }
        }
        return lines << line;
    }

  private:
    double Width(const QString& word) {
        const auto found = widths_.constFind(word);
        return found != widths_.constEnd() ? *found : *widths_.insert(word, metrics_.horizontalAdvance(word));
    }

    QFontMetricsF metrics_;
    double blank_;
    QHash<QString, double> widths_;
};

// Draws the report on the painter's device, calling `turn` for a fresh page; gives the page count.
int DrawPlainReport(const InventoryReportData& data, QPainter& painter, const std::function<void()>& turn) {
    QPaintDevice* device = painter.device();
    const double dpi = device->logicalDpiY();
    const QFont detail = ToQFont(RpFont()), bold = ToQFont({"Arial", 8, true});
    const QFont title = ToQFont({"Arial", 12, true}), small = ToQFont({"Arial", 6});
    const QFontMetricsF metrics(detail, device);
    PeerWrap wrap(metrics);
    const double line = metrics.height();
    const double top = 2 * QFontMetricsF(ToQFont({"Arial", 16, true}), device).height() + 0.625 * dpi;
    const double bottom = 10.0 * dpi, gap = 0.04 * dpi, inset = 0.02 * dpi;
    QString footer = "Theme: " + data.SetFields[0] + " Year: " + data.SetFields[1] +
                     " Pcs: " + data.SetFields[2] + " Figs: " + data.SetFields[3] +
                     " MSRP: " + data.SetFields[4] + " Inventoried By: " + data.SetFields[5] +
                     " Source: " + data.SetFields[6] + " Date: " + data.SetFields[7] +
                     " Element Count: " + data.CountText;

    // Text with its top at y.
    const auto write = [&](double x, double y, const QString& text) {
        painter.drawText(QPointF(x, y + painter.fontMetrics().ascent()), text);
    };
    int pages = 1;
    double y = top;
    bool rowsOnPage = false;
    const auto header = [&] {
        painter.setFont(bold);
        for (const PeerColumn& column : kPeerColumns)
            write(column.left * dpi + inset, y, column.heading);
        painter.setFont(detail);
        y += line;
        rowsOnPage = false;
    };
    const auto finish = [&] {
        painter.setFont(title);
        write(4.25 * dpi - painter.fontMetrics().horizontalAdvance(data.Title) / 2, 0.6 * dpi, data.Title);
        painter.setFont(small);
        write(0.5 * dpi, 10.25 * dpi, footer);
        const QString number = QStringLiteral("Page %1").arg(pages);
        write(8.0 * dpi - painter.fontMetrics().horizontalAdvance(number), 10.25 * dpi, number);
        painter.setFont(detail);
    };
    header();
    for (const auto& row : data.Rows) {
        const QStringList description = wrap(row[5], 3.0 * dpi - gap);
        const QStringList notes = wrap(row[6], 1.25 * dpi - gap);
        const int lines = static_cast<int>(description.size() + notes.size()) - 1;
        if (rowsOnPage && lines > static_cast<int>((bottom - y) / line)) {
            finish();
            turn();
            ++pages;
            y = top;
            header();
        }
        for (int c = 0; c < 4; ++c)
            write(kPeerColumns[c].left * dpi + inset, y, row[static_cast<size_t>(c + 1)]);
        for (const QString& text : description) {
            write(3.5 * dpi, y, text);
            y += line;
        }
        y -= line; // the notes start on the description's last line
        for (const QString& text : notes) {
            write(6.5 * dpi, y, text);
            y += line;
        }
        rowsOnPage = true;
    }
    finish();
    return pages;
}

// A recorded page laid out at the printer's resolution, as ours is, so that both break pages alike.
class PeerPage : public QPicture {
  protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return PdfFileDevice::kResolution;
        default:
            return QPicture::metric(metric);
        }
    }
};

// The peer's recorded pages.
std::deque<PeerPage> PeerPages(const InventoryReportData& data) {
    std::deque<PeerPage> pages(1);
    QPainter painter(&pages.back());
    DrawPlainReport(data, painter, [&] {
        painter.end();
        painter.begin(&pages.emplace_back());
    });
    return pages;
}

// A recorded page drawn on a white sheet of `size`, scaled to it.
void ShowPage(const QPicture& page, QImage& sheet) {
    sheet.fill(Qt::white);
    QPainter painter(&sheet);
    const double scale = sheet.width() / (8.5 * page.logicalDpiX());
    painter.scale(scale, scale);
    painter.drawPicture(0, 0, page);
}

// ---- Alternating runs.

struct Side {
    std::vector<double> seconds;
    int pages = 0;
    double Median() const {
        std::vector<double> sorted = seconds;
        std::sort(sorted.begin(), sorted.end());
        return sorted[sorted.size() / 2];
    }
    double Min() const { return *std::min_element(seconds.begin(), seconds.end()); }
};

std::vector<std::string> summaries;

// Each iteration runs ours and the peer once, which goes first alternating; each gives its page count.
// `beforeOurs` runs untimed before each run of ours.
void Alternate(benchmark::State& state, const char* what, const std::function<int()>& ours,
               const std::function<int()>& peer, const std::function<void()>& beforeOurs = {}) {
    Side a, b;
    const auto timed = [&](Side& side, const std::function<int()>& run) {
        if (&side == &a && beforeOurs) beforeOurs();
        const auto start = std::chrono::steady_clock::now();
        side.pages = run();
        side.seconds.push_back(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    };
    bool oursFirst = true;
    for (auto _ : state) {
        if (oursFirst) timed(a, ours);
        timed(b, peer);
        if (!oursFirst) timed(a, ours);
        oursFirst = !oursFirst;
    }
    if (a.seconds.empty()) return;
    state.counters["ours_ms"] = a.Median() * 1e3;
    state.counters["peer_ms"] = b.Median() * 1e3;
    state.counters["ours/peer"] = a.Median() / b.Median();
    state.counters["pages"] = a.pages;
    state.counters["peer_pages"] = b.pages;
    char line[320];
    std::snprintf(line, sizeof line,
                  "%-24s ours median %8.2f ms (min %8.2f), peer median %8.2f ms (min %8.2f), ours/peer %.2f; "
                  "pages %d / %d",
                  what, a.Median() * 1e3, a.Min() * 1e3, b.Median() * 1e3, b.Min() * 1e3,
                  a.Median() / b.Median(), a.pages, b.pages);
    summaries.emplace_back(line);
    if (a.pages != b.pages) state.SkipWithError("ours and the peer made different page counts");
}

// Prints the report; `inPreview` runs while its preview is up, which then closes.
void PrintCommand(InventoryReport& report, const InventoryReportData& data,
                  const std::function<void(PreviewForm&)>& inPreview = {}) {
    WithPreview(report, data, [&](PreviewForm& form) {
        if (inPreview) inPreview(form);
    });
}

void ComposeReport5000(benchmark::State& state) {
    const InventoryReportData data = Inventory(5000);
    FreshReport report;
    QSize shown;
    const auto ours = [&] {
        int pages = 0;
        PrintCommand(*report, data, [&](PreviewForm& form) {
            pages = report->prn.Pages()->Count();
            shown = form.PageImage().size();
        });
        return pages;
    };
    const auto peer = [&] {
        const std::deque<PeerPage> pages = PeerPages(data);
        QImage sheet(shown.isValid() ? shown : QSize(816, 1056), QImage::Format_RGB32);
        ShowPage(pages.front(), sheet);
        return static_cast<int>(pages.size());
    };
    Alternate(state, "compose 5,000 rows", ours, peer, [&] { report.Renew(); });
}
BENCHMARK(ComposeReport5000)->Unit(benchmark::kMillisecond)->Iterations(7);

// Ours turns or zooms the preview; the peer draws its recorded pages the same way.
void InPreview(benchmark::State& state, bool zoom) {
    const InventoryReportData data = Inventory(5000);
    const std::deque<PeerPage> peerPages = PeerPages(data);
    InventoryReport report(TestMessages::Prompts());
    PrintCommand(report, data, [&](PreviewForm& form) {
        const int count = report.prn.Pages()->Count();
        int peerPage = 0;
        bool small = false;
        const auto ours = [&] {
            if (zoom) {
                form.ZoomFactor->setCurrentIndex(form.ZoomFactor->currentIndex() == 4 ? 0 : 4);
                form.ZoomFactorChange();
            } else {
                if (form.CurrentPage() == count) form.FirstPageClick();
                form.NextPageClick();
            }
            return count;
        };
        const QSize full = form.PageImage().size();
        const auto peer = [&] {
            if (zoom)
                small = !small;
            else
                peerPage = (peerPage + 1) % static_cast<int>(peerPages.size());
            QImage sheet(small ? full * 0.52 : full, QImage::Format_RGB32);
            ShowPage(peerPages[static_cast<size_t>(peerPage)], sheet);
            return static_cast<int>(peerPages.size());
        };
        Alternate(state, zoom ? "preview zoom 60 <-> 100" : "preview page turn", ours, peer);
    });
}
BENCHMARK_CAPTURE(InPreview, PageTurn, false)->Unit(benchmark::kMillisecond)->Iterations(41);
BENCHMARK_CAPTURE(InPreview, Zoom, true)->Unit(benchmark::kMillisecond)->Iterations(41);

void Pdf75Pages(benchmark::State& state) {
    const InventoryReportData data = ReportRows(75 * RowsPerPage(), "Brick 2 x 4", "spare");
    TempFolder folder("tessarin-report-bench");
    const auto ourFile = folder.dir / "ours.pdf", peerFile = folder.dir / "peer.pdf";
    FreshReport report;
    const auto ours = [&] {
        int pages = 0;
        PrintCommand(*report, data, [&](PreviewForm& form) {
            report->prn.SetPrinter(std::make_unique<PdfFileDevice>(ourFile));
            form.PrintBtnClick();
            pages = report->prn.Pages()->Count();
        });
        return pages;
    };
    const auto peer = [&] {
        QPdfWriter writer(QString::fromStdString(peerFile.string()));
        writer.setResolution(PdfFileDevice::kResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        return DrawPlainReport(data, painter, [&] { writer.newPage(); });
    };
    Alternate(state, "75-page PDF", ours, peer, [&] { report.Renew(); });
    state.counters["pdf_kB"] = static_cast<double>(std::filesystem::file_size(ourFile)) / 1024;
    state.counters["peer_pdf_kB"] = static_cast<double>(std::filesystem::file_size(peerFile)) / 1024;
}
BENCHMARK(Pdf75Pages)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    for (const std::string& line : summaries)
        std::printf("%s\n", line.c_str());
    return result;
}
