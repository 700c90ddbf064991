#include "support/bench_main.h"

#include "platform/fs.h"
#include "platform/ui.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <unistd.h>

namespace {

class QuietSink : public MessageSink {
  public:
    void Show(const QString&) override {}
    bool AskYesNo(const QString&) override { return false; }
};

} // namespace

int RunBenchmarks(int argc, char** argv, const std::function<void()>& setUp) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    static QuietSink quiet;
    SetMessageSink(&quiet);
    if (setUp) setUp();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

const std::filesystem::path& ShippedDataCopy() {
    struct Copy {
        std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("tessarin-bench-data-" + std::to_string(::getpid()));
        Copy() { SeedDataDir(dir, TESSARIN_SOURCE_DATA); }
        ~Copy() {
            std::error_code ec;
            std::filesystem::remove_all(dir, ec);
        }
    };
    static Copy copy;
    return copy.dir;
}
