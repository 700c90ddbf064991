// Selecting the next part of the master list on the real main window, with the repaint that follows: with a
// picture folder of 2,000 jpgs and no LDraw folder, and with the LDraw sample library, against the render
// alone of the same parts.
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#include "app/main_window.h"
#include "app/test_prompts.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/picture_formats.h"
#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_view.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "support/bench_main.h"
#include "ui/kit/make_named.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPictures = 2000;

// The library's parts, in name order.
QStringList LibraryParts() {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator entry(SampleLibrary() / "parts", ec), end; !ec && entry != end;
         entry.increment(ec))
        if (entry->path().extension() == ".dat") names.push_back(entry->path().stem().string());
    std::sort(names.begin(), names.end());
    QStringList parts;
    for (const std::string& name : names)
        parts << QString::fromStdString(name);
    return parts;
}

// A data folder whose jpg folder holds one 320 x 240 picture for each of 2,000 parts; the master list names
// those parts, or the given ones.
class Folder {
  public:
    explicit Folder(const QStringList& masterParts = {}) {
        std::string pattern = (fs::temp_directory_path() / "tessarin-bench-XXXXXX").string();
        path = mkdtemp(pattern.data());
        fs::create_directories(path / "images" / "jpgs");
        QImage picture(320, 240, QImage::Format_RGB32);
        QStringList master{QStringLiteral("Number\tDescription")};
        for (int i = 0; i < kPictures; ++i) {
            const QString part = QStringLiteral("%1").arg(10000 + i);
            picture.fill(QColor::fromHsv(i % 360, 200, 220));
            picture.save(QString::fromStdString((path / "images" / "jpgs").string()) + '/' + part + ".jpg",
                         "JPG", 85);
            if (masterParts.isEmpty()) master << part + QStringLiteral("\tPart ") + part;
        }
        for (const QString& part : masterParts)
            master << part + QStringLiteral("\tPart ") + part;
        WriteTextFile(path / "master.txt", master);
        fs::copy_file(SampleLibrary() / "LDConfig.ldr", path / "ldconfig.ldr");
    }
    ~Folder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

struct BenchWindow {
    explicit BenchWindow(const Folder& folder, const fs::path& ldraw) {
        SetDataDir(folder.path);
        context = std::make_unique<AppContext>(prompts);
        window = std::make_unique<MainWindow>(*context);
        context->folders.SetFolder(FolderKind::LDraw, QString::fromStdString(ldraw.string()));
        window->show();
        QApplication::processEvents();
    }
    ~BenchWindow() {
        window.reset();
        SetDataDir({});
    }
    void SelectNext() {
        row = (row + 1) % FindNamed<RichListView>(*window, "legolist")->RowCount();
        FindNamed<RichListView>(*window, "legolist")->SelectItemAt(row);
        window->Master().legolistClick();
        QApplication::processEvents();
    }
    TestPrompts prompts;
    std::unique_ptr<AppContext> context;
    std::unique_ptr<MainWindow> window;
    int row = 0;
};

void NextPartPictureFolder(benchmark::State& state) {
    Folder folder;
    BenchWindow bench(folder, {});
    for (auto _ : state)
        bench.SelectNext();
    state.counters["other_jpgs"] = FindNamed<QListWidget>(*bench.window, "ListBox1")->count();
    state.counters["jpg_shown"] = FindNamed<QLabel>(*bench.window, "Label8")->text() == QLatin1String("jpg");
}
BENCHMARK(NextPartPictureFolder)->Unit(benchmark::kMillisecond);

void NextPartRendered(benchmark::State& state) {
    if (!IsLDrawLibrary(SampleLibrary())) {
        state.SkipWithError("the LDraw sample library was not found in data/ldraw");
        return;
    }
    Folder folder(LibraryParts());
    BenchWindow bench(folder, SampleLibrary());
    for (auto _ : state)
        bench.SelectNext();
    state.counters["parts"] = FindNamed<RichListView>(*bench.window, "legolist")->RowCount();
    state.counters["rendered"] = FindNamed<QLabel>(*bench.window, "Label8")->text() == QLatin1String("LDraw");
}
BENCHMARK(NextPartRendered)->Unit(benchmark::kMillisecond);

// The same parts rendered at the same size, angles and scale, without the window.
void RenderOnly(benchmark::State& state) {
    if (!IsLDrawLibrary(SampleLibrary())) {
        state.SkipWithError("the LDraw sample library was not found in data/ldraw");
        return;
    }
    LDrawRenderer renderer;
    renderer.SetLibrary(SampleLibrary());
    renderer.Colours().Load(SampleLibrary() / "LDConfig.ldr");
    const QStringList parts = LibraryParts();
    constexpr float kDegree = std::numbers::pi_v<float> / 180;
    QImage picture(800, 800, QImage::Format_RGB32);
    int next = 0;
    for (auto _ : state) {
        next = (next + 1) % int(parts.size());
        renderer.RenderPicture(*LDrawPartFile(SampleLibrary(), parts[next].toStdString()),
                               {7, 1, -45 * kDegree, 35 * kDegree, -30 * kDegree, {}}, picture);
    }
}
BENCHMARK(RenderOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunBenchmarks(argc, argv,
                         [] {
                             RegisterJpegPicture();
                             RegisterPictureFormats();
                         },
                         {{"NextPartRendered", "RenderOnly"}});
}
