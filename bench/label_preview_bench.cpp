// Laying out the label preview cold for 1,000 and 10,000 inventory rows of LDraw parts (rendering and
// composing every label), with the peak memory of each run measured afresh; against the renders alone of the
// same parts at the same row counts. Then flipping a page, zooming, the thumbnails and printing 100 pages to
// PDF; poppler rendering one page of the same PDF, and poppler rewriting it.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QSpinBox>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <numbers>
#include <string>
#include <unistd.h>

#include "app/picture_chooser.h"
#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "print/label_host.h"
#include "print/label_maker.h"
#include "print/label_preview.h"
#include "print/preview/pv_preview.h"
#include "print/preview/pv_thumbnails.h"
#include "support/bench_main.h"
#include "support/test_support.h"

namespace fs = std::filesystem;

namespace {

QStringList LibraryParts() {
    QStringList parts;
    std::error_code ec;
    for (fs::directory_iterator entry(SampleLibrary() / "parts", ec), end; !ec && entry != end;
         entry.increment(ec))
        if (entry->path().extension() == ".dat")
            parts << QString::fromStdString(entry->path().stem().string());
    parts.sort();
    return parts;
}

// Rows of the library's parts in turn, in eight colours.
class Rows : public LabelHost {
  public:
    explicit Rows(int rows) : count(rows), parts_(LibraryParts()) {}
    int LabelRowCount() const override { return count; }
    LabelRow LabelRowAt(int row) const override {
        const QString part = parts_.isEmpty() ? QString() : parts_[row % parts_.size()];
        return {part, QStringLiteral("Part %1 of the inventory").arg(row + 1), 1 + row % 8};
    }
    LabelPicture LabelPictureFor(const QString& partNumber) override {
        const PictureChoice choice = chooser_.Choose({SampleLibrary(), {}, {}, {}}, partNumber);
        if (choice.kind != PictureKind::LDraw) return {};
        return {LabelPicture::LDrawPart, choice.file, SampleLibrary()};
    }
    int count;

  private:
    QStringList parts_;
    PictureChooser chooser_;
};

double StatusMegabytes(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0) return std::stod(line.substr(std::strlen(key))) / 1024.0;
    return 0;
}

// Starts a fresh peak: the high-water mark drops to what is resident now.
double ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMegabytes("VmRSS:");
}

struct Labels {
    explicit Labels(int rows, const char* sheet = "L7163_Address")
        : host(rows), preview(prompts), maker(host, renderer, preview) {
        renderer.Colours().Load(SampleLibrary() / "LDConfig.ldr");
        maker.ComboBox2->setCurrentText(QString::fromLatin1(sheet));
        preview.Label1->setText(QString::fromLatin1(sheet));
        preview.resize(1000, 800);
        preview.show();
        QApplication::processEvents();
    }
    Rows host;
    LDrawRenderer renderer;
    RecordingPrompts prompts;
    LabelPreview preview;
    LabelMaker maker;
};

bool Ready(benchmark::State& state) {
    if (IsLDrawLibrary(SampleLibrary())) return true;
    state.SkipWithError("the LDraw sample library was not found in data/ldraw");
    return false;
}

// One cold layout per case: fresh windows, no label laid out or render kept before.
void ColdLayout(benchmark::State& state) {
    if (!Ready(state)) return;
    for (auto _ : state) {
        state.PauseTiming();
        // Shown empty: showing lays the labels out by itself.
        auto labels = std::make_unique<Labels>(0);
        labels->host.count = int(state.range(0));
        const double before = ResetPeak();
        state.ResumeTiming();
        labels->preview.LayOutLabels();
        QApplication::processEvents();
        state.PauseTiming();
        state.counters["pages"] = labels->preview.PvPreview1->PageCount();
        state.counters["peak_MB"] = StatusMegabytes("VmHWM:");
        state.counters["added_MB"] = StatusMegabytes("VmHWM:") - before;
        labels.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(ColdLayout)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

// The renders alone: the same parts, colours and size, without laying out or composing.
void RenderOnly(benchmark::State& state) {
    if (!Ready(state)) return;
    Rows host(int(state.range(0)));
    LDrawRenderer renderer;
    renderer.SetLibrary(SampleLibrary());
    renderer.Colours().Load(SampleLibrary() / "LDConfig.ldr");
    constexpr float kDegree = std::numbers::pi_v<float> / 180;
    QImage picture(400, 400, QImage::Format_RGB32);
    const double before = ResetPeak();
    for (auto _ : state)
        for (int row = 0; row < host.LabelRowCount(); ++row) {
            const LabelRow label = host.LabelRowAt(row);
            const LabelPicture choice = host.LabelPictureFor(label.partNumber);
            picture.fill(Qt::white);
            if (choice.kind == LabelPicture::LDrawPart)
                renderer.RenderPicture(
                    choice.file, {label.ldrawColour, 0.5f, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}},
                    picture);
        }
    state.counters["peak_MB"] = StatusMegabytes("VmHWM:");
    state.counters["added_MB"] = StatusMegabytes("VmHWM:") - before;
}
BENCHMARK(RenderOnly)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(1);

void FlipPage(benchmark::State& state) {
    if (!Ready(state)) return;
    Labels labels(1000);
    labels.preview.LayOutLabels();
    PvPreview& preview = *labels.preview.PvPreview1;
    for (auto _ : state) {
        if (preview.CurrentPage() == preview.PageCount()) preview.FirstPage();
        preview.NextPage();
        benchmark::DoNotOptimize(preview.PaperImage().grab());
    }
}
BENCHMARK(FlipPage)->Unit(benchmark::kMillisecond);

void ZoomInAndOut(benchmark::State& state) {
    if (!Ready(state)) return;
    Labels labels(100);
    labels.preview.LayOutLabels();
    PvPreview& preview = *labels.preview.PvPreview1;
    for (auto _ : state) {
        preview.ZoomIn();
        benchmark::DoNotOptimize(preview.viewport()->grab());
        preview.ZoomOut();
        benchmark::DoNotOptimize(preview.viewport()->grab());
    }
}
BENCHMARK(ZoomInAndOut)->Unit(benchmark::kMillisecond);

void Thumbnails(benchmark::State& state) {
    if (!Ready(state)) return;
    Labels labels(1000);
    labels.preview.LayOutLabels();
    PvThumbnails& thumbnails = *labels.preview.PvThumbnails1;
    for (auto _ : state) {
        thumbnails.Rebuild();
        benchmark::DoNotOptimize(thumbnails.viewport()->grab());
    }
    state.counters["thumbnails"] = thumbnails.Count();
}
BENCHMARK(Thumbnails)->Unit(benchmark::kMillisecond);

fs::path PdfPath(const char* name) {
    return fs::temp_directory_path() / (std::string(name) + std::to_string(::getpid()) + ".pdf");
}

// 1,400 rows on 14-label sheets: 100 pages.
void Print100PagesToPdf(benchmark::State& state) {
    if (!Ready(state)) return;
    Labels labels(1400);
    labels.preview.LayOutLabels();
    const fs::path pdf = PdfPath("tessarin-labels-");
    PvPrinter& printer = labels.preview.PvPreview1->Printer();
    printer.SetPrinterName(PvPrinter::kPdfFile);
    labels.prompts.save = [&pdf](const FileChoice&, QString&) {
        return QString::fromStdString(pdf.string());
    };
    for (auto _ : state)
        labels.preview.BitBtn1Click();
    state.counters["pages"] = labels.preview.PvPreview1->PageCount();
    state.counters["pdf_MB"] = double(fs::file_size(pdf)) / (1024.0 * 1024.0);
}
BENCHMARK(Print100PagesToPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// Poppler on the same document: one page rendered at screen resolution, and the whole file rewritten.
void PopplerOnTheSamePdf(benchmark::State& state, bool onePage) {
    const fs::path pdf = PdfPath("tessarin-labels-");
    if (!fs::exists(pdf)) {
        state.SkipWithError("run Print100PagesToPdf first");
        return;
    }
    const QString source = QString::fromStdString(pdf.string());
    const QString target = QString::fromStdString(PdfPath("tessarin-peer-").string());
    for (auto _ : state) {
        QProcess peer;
        if (onePage)
            peer.start("pdftoppm", {"-r", "96", "-f", "2", "-l", "2", "-png", "-singlefile", source, target});
        else
            peer.start("pdftocairo", {"-pdf", source, target});
        peer.waitForFinished(-1);
    }
    std::error_code ec;
    fs::remove(target.toStdString(), ec);
    fs::remove(target.toStdString() + ".png", ec); // one page, so named without its number
}
BENCHMARK_CAPTURE(PopplerOnTheSamePdf, OnePageAt96, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PopplerOnTheSamePdf, Rewrite100Pages, false)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv, {}, {{"ColdLayout", "RenderOnly"}});
    std::error_code ec;
    fs::remove(PdfPath("tessarin-labels-"), ec);
    return result;
}
