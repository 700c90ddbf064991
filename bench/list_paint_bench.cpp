// Report list painting figures: a full viewport of the master list at 17,620 and 1,000,000 rows, and
// scrolling it a page per frame, each against Qt's default delegate painting the same rows of the same
// model in the same run (alternating, so both see the same machine state); and a 200-character markup
// cell measured and drawn, against Qt's rich-text document with the same markup. "ratio" is ours / peer.
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTextDocument>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <chrono>

#include "platform/text.h"
#include "support/bench_main.h"
#include "ui/list/mini_html.h"
#include "ui/list/rich_list_view.h"

namespace {

using Clock = std::chrono::steady_clock;

// The shipped master list's rows, repeated with a running suffix up to `rows`.
std::vector<QStringList> MasterRows(int rows) {
    const QStringList lines = ReadTextFile(ShippedDataCopy() / "master.txt").value_or(QString()).split(u'\n');
    std::vector<QStringList> real;
    for (qsizetype i = 1; i < lines.size(); ++i)
        if (lines[i].contains(u'\t')) real.push_back(lines[i].trimmed().split(u'\t').mid(0, 2));
    std::vector<QStringList> out;
    if (real.empty()) return out;
    out.reserve(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) {
        QStringList row = real[static_cast<std::size_t>(i) % real.size()];
        if (i >= static_cast<int>(real.size())) row[0] += QString::number(i / static_cast<int>(real.size()));
        out.push_back(std::move(row));
    }
    return out;
}

// The master list as the main window sets it up, and a plain tree view with the default delegate on the
// same model, both 500 x 600.
struct Lists {
    RichListView ours;
    QTreeView peer;
    QImage target{500, 600, QImage::Format_RGB32};

    explicit Lists(int rows) {
        ours.AddColumn(QStringLiteral("Part Number"), 75);
        ours.AddColumn(QStringLiteral("Description"), 400);
        ours.setSelectionMode(QAbstractItemView::SingleSelection);
        ours.Model().AppendRows(MasterRows(rows));
        peer.setModel(&ours.Model());
        peer.setRootIsDecorated(false);
        peer.setUniformRowHeights(true);
        peer.setSelectionBehavior(QAbstractItemView::SelectRows);
        peer.setColumnWidth(0, 75);
        peer.setColumnWidth(1, 400);
        for (QAbstractItemView* view :
             {static_cast<QAbstractItemView*>(&ours), static_cast<QAbstractItemView*>(&peer)}) {
            view->resize(500, 600);
            view->show();
        }
        ours.SelectItemAt(5);
        peer.selectionModel()->select(ours.Model().index(5, 0),
                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QApplication::processEvents();
    }
    double Paint(QAbstractItemView& view) {
        const auto start = Clock::now();
        view.viewport()->render(&target);
        return std::chrono::duration<double>(Clock::now() - start).count();
    }
};

void Report(benchmark::State& state, double peerSeconds, double ourSeconds) {
    state.counters["peer_ms"] = 1000 * peerSeconds / double(state.iterations());
    state.counters["ratio"] = ourSeconds / peerSeconds;
}

void PaintViewport(benchmark::State& state) {
    Lists lists(static_cast<int>(state.range(0)));
    if (lists.ours.RowCount() == 0) return state.SkipWithError("no master list in the data folder");
    lists.ours.scrollTo(lists.ours.Model().index(static_cast<int>(state.range(0)) / 2, 0));
    lists.peer.scrollTo(lists.ours.Model().index(static_cast<int>(state.range(0)) / 2, 0));
    double ours = 0, peer = 0;
    for (auto _ : state) {
        const double mine = lists.Paint(lists.ours);
        ours += mine;
        state.SetIterationTime(mine);
        peer += lists.Paint(lists.peer);
    }
    Report(state, peer, ours);
    state.counters["rows_shown"] = lists.ours.viewport()->height() / lists.ours.RowHeight();
}
BENCHMARK(PaintViewport)
    ->Arg(17620)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// One frame of scrolling: a page further (from the top again at the end), then the repaint.
void ScrollPageFrame(benchmark::State& state) {
    Lists lists(static_cast<int>(state.range(0)));
    if (lists.ours.RowCount() == 0) return state.SkipWithError("no master list in the data folder");
    double ours = 0, peer = 0;
    const auto frame = [&](QAbstractItemView& view) {
        const auto start = Clock::now();
        QScrollBar* bar = view.verticalScrollBar();
        bar->setValue(bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
        view.viewport()->render(&lists.target);
        return std::chrono::duration<double>(Clock::now() - start).count();
    };
    for (auto _ : state) {
        const double mine = frame(lists.ours);
        ours += mine;
        state.SetIterationTime(mine);
        peer += frame(lists.peer);
    }
    Report(state, peer, ours);
    state.counters["fps"] = double(state.iterations()) / ours;
}
BENCHMARK(ScrollPageFrame)
    ->Arg(17620)
    ->Arg(1000000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(1.0);

// A 200-character cell: measured, then drawn, as the list does for a markup cell.
void MarkupCell(benchmark::State& state) {
    const QString markup = QStringLiteral(
        "<B>3001</B> Brick 2 x 4 in <FONT COLOR=\"#FF0000\">red</FONT>, <I>bag 7</I>, "
        "<A HREF=\"http://parts.example/3001\">details</A> &amp; notes: <U>check count</U> before sorting "
        "the bags by colour");
    const QString peerMarkup = QString(markup).replace(QLatin1String("#FF0000"), QLatin1String("#ff0000"));
    QImage image(400, 40, QImage::Format_RGB32);
    QPainter painter(&image);
    HtmlContext context;
    context.Font = QApplication::font();
    // As in a list: shaped runs are kept between paints (a cold first paint is in the first iteration).
    HtmlTextCache cache;
    context.TextCache = &cache;
    const QRect rect(0, 0, 400, 40);
    QTextDocument document;
    document.setDefaultFont(context.Font);
    double ours = 0, peer = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(RenderHtml(nullptr, markup, rect, context).Width);
        RenderHtml(&painter, markup, rect, context);
        const double mine = std::chrono::duration<double>(Clock::now() - start).count();
        ours += mine;
        state.SetIterationTime(mine);
        start = Clock::now();
        document.setHtml(peerMarkup);
        benchmark::DoNotOptimize(document.idealWidth());
        document.drawContents(&painter, rect);
        peer += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["chars"] = double(markup.size());
    Report(state, peer, ours);
}
BENCHMARK(MarkupCell)->UseManualTime()->Unit(benchmark::kMicrosecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv);
}
