#include "support/bench_main.h"

#include "platform/ui.h"

#include <QApplication>
#include <benchmark/benchmark.h>

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
