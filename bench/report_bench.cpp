// The inventory report, timed from the Print command: composing 5,000 rows into the preview, turning and
// zooming preview pages, and a 75-page PDF to the closed file. The peer is Qt's rich-text engine laying out,
// drawing and printing the same table (header row repeated on every page) in the same run.
#include <benchmark/benchmark.h>

#include <QAbstractTextDocumentLayout>
#include <QComboBox>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>

#include "platform/print/pdf_file_device.h"
#include "print/report_test_support.h"
#include "support/bench_main.h"

namespace {

// Seconds per iteration of each benchmark, for the ratios printed at the end.
std::map<std::string, double> perIteration;

// Times the benchmark's loop as a whole.
class LoopClock {
  public:
    LoopClock(benchmark::State& state, std::string name)
        : state_(state), name_(std::move(name)), start_(std::chrono::steady_clock::now()) {}
    ~LoopClock() {
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start_;
        if (state_.iterations() > 0) perIteration[name_] = spent.count() / double(state_.iterations());
    }

  private:
    benchmark::State& state_;
    std::string name_;
    std::chrono::steady_clock::time_point start_;
};

const QStringList kDescriptions{"Brick 2 x 4",
                                "Plate 1 x 2",
                                "Tile 1 x 1 with Groove",
                                "Minifig Torso with Classic Space Logo Pattern, Black Arms and Yellow Hands, "
                                "with a long note on its print",
                                "Slope Brick 45 2 x 2",
                                "Technic Beam 1 x 15 Thick",
                                "Windscreen 2 x 4 x 2 Canopy with Trans-Clear Glass"};

// Rows like a real inventory: short cells and descriptions of one to three lines.
InventoryReportData Inventory(int count) {
    InventoryReportData data = ReportRows(count);
    for (int i = 0; i < count; ++i) {
        auto& row = data.Rows[static_cast<size_t>(i)];
        row[1] = QString::number(1 + i % 12);
        row[2] = QString::number(3001 + i % 400);
        row[4] = i % 3 ? "Red" : "Light Bluish Gray";
        row[5] = kDescriptions[i % kDescriptions.size()];
        row[6] = i % 5 ? QString() : "in bag with the wheels";
    }
    return data;
}

// The same table for the peer: an HTML table whose header row heads every page.
QTextDocument* PeerDocument(const InventoryReportData& data) {
    QString html = "<h3 align=center>" + data.Title +
                   "</h3><table width=100% cellspacing=0><thead><tr>"
                   "<th>Quantity</th><th>Ldraw #</th><th>Bag (if any)</th><th>Color</th><th>Description</th>"
                   "<th>Notes</th></tr></thead>";
    for (const auto& row : data.Rows) {
        html += "<tr>";
        for (int c = 1; c <= 6; ++c)
            html += "<td>" + row[static_cast<size_t>(c)].toHtmlEscaped() + "</td>";
        html += "</tr>";
    }
    auto* document = new QTextDocument;
    document->setDefaultFont(ToQFont(RpFont()));
    document->setHtml(html + "</table>");
    document->setPageSize(QSizeF(7.5 * 72, 10 * 72));
    return document;
}

// Prints the report; `inPreview` runs while its preview is up, which then closes.
void PrintCommand(InventoryReport& report, const InventoryReportData& data,
                  const std::function<void(PreviewForm&)>& inPreview = {}) {
    WithPreview(report, data, [&](PreviewForm& form) {
        if (inPreview) inPreview(form);
    });
}

void BM_ComposeReport5000(benchmark::State& state) {
    const InventoryReportData data = Inventory(5000);
    InventoryReport report;
    int pages = 0;
    LoopClock clock(state, "compose");
    for (auto _ : state)
        PrintCommand(report, data, [&](PreviewForm&) { pages = report.prn.Pages()->Count(); });
    state.counters["pages"] = pages;
}
BENCHMARK(BM_ComposeReport5000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Peer_ComposeDocument5000(benchmark::State& state) {
    const InventoryReportData data = Inventory(5000);
    int pages = 0;
    LoopClock clock(state, "peer compose");
    for (auto _ : state) {
        std::unique_ptr<QTextDocument> document(PeerDocument(data));
        pages = document->pageCount();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_Peer_ComposeDocument5000)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PreviewPageTurn(benchmark::State& state) {
    InventoryReport report;
    PrintCommand(report, Inventory(5000), [&](PreviewForm& form) {
        LoopClock clock(state, "turn");
        for (auto _ : state) {
            if (form.CurrentPage() == report.prn.Pages()->Count()) form.FirstPageClick();
            form.NextPageClick();
        }
    });
}
BENCHMARK(BM_PreviewPageTurn)->Unit(benchmark::kMillisecond);

void BM_PreviewZoom(benchmark::State& state) {
    InventoryReport report;
    PrintCommand(report, Inventory(5000), [&](PreviewForm& form) {
        LoopClock clock(state, "zoom");
        for (auto _ : state) {
            form.ZoomFactor->setCurrentIndex(form.ZoomFactor->currentIndex() == 4 ? 0 : 4);
            form.ZoomFactorChange();
        }
    });
}
BENCHMARK(BM_PreviewZoom)->Unit(benchmark::kMillisecond);

void BM_Peer_DrawDocumentPage(benchmark::State& state) {
    std::unique_ptr<QTextDocument> document(PeerDocument(Inventory(5000)));
    QImage page(816, 1056, QImage::Format_RGB32);
    const double scale = 96.0 / 72;
    int number = 0;
    LoopClock clock(state, "peer draw");
    for (auto _ : state) {
        page.fill(Qt::white);
        QPainter painter(&page);
        painter.scale(scale, scale);
        painter.translate(0, -number * document->pageSize().height());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(QPointF(0, number * document->pageSize().height()), document->pageSize());
        painter.setClipRect(context.clip);
        document->documentLayout()->draw(&painter, context);
        number = (number + 1) % document->pageCount();
    }
}
BENCHMARK(BM_Peer_DrawDocumentPage)->Unit(benchmark::kMillisecond);

std::filesystem::path PdfFile(const char* name) {
    return std::filesystem::path(QDir::tempPath().toStdString()) / name;
}

void BM_Pdf75PagesFromPrint(benchmark::State& state) {
    const InventoryReportData data = ReportRows(75 * RowsPerPage(), "Brick 2 x 4", "spare");
    const auto file = PdfFile("tessarin_report_bench.pdf");
    InventoryReport report;
    int pages = 0;
    LoopClock clock(state, "pdf");
    for (auto _ : state)
        PrintCommand(report, data, [&](PreviewForm& form) {
            report.prn.SetPrinter(std::make_unique<PdfFileDevice>(file));
            form.PrintBtnClick();
            pages = report.prn.Pages()->Count();
        });
    state.counters["pages"] = pages;
    state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_Pdf75PagesFromPrint)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Peer_DocumentPdf75Pages(benchmark::State& state) {
    const InventoryReportData data = ReportRows(75 * RowsPerPage(), "Brick 2 x 4", "spare");
    const auto file = PdfFile("tessarin_report_peer.pdf");
    int pages = 0;
    LoopClock clock(state, "peer pdf");
    for (auto _ : state) {
        std::unique_ptr<QTextDocument> document(PeerDocument(data));
        QPdfWriter writer(QString::fromStdString(file.string()));
        writer.setPageSize(QPageSize(QPageSize::Letter));
        writer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
        document->print(&writer);
        pages = document->pageCount();
    }
    state.counters["pages"] = pages;
    state.counters["pdf_bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_Peer_DocumentPdf75Pages)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintRatio(const char* what, const std::string& ours, const std::string& peer) {
    const auto a = perIteration.find(ours), b = perIteration.find(peer);
    if (a != perIteration.end() && b != perIteration.end())
        std::printf("%-34s ours %.1f ms, peer %.1f ms, ours/peer %.2f\n", what, a->second * 1e3,
                    b->second * 1e3, a->second / b->second);
}

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv);
    PrintRatio("compose 5,000 rows", "compose", "peer compose");
    PrintRatio("preview page turn", "turn", "peer draw");
    PrintRatio("preview zoom (60 % <-> 100 %)", "zoom", "peer draw");
    PrintRatio("75-page PDF from Print", "pdf", "peer pdf");
    return result;
}
