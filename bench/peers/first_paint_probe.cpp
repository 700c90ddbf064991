// Loaded into a program under test with LD_PRELOAD: once a list view holding at least
// TESSARIN_PROBE_ROWS rows has painted, it writes the monotonic clock (nanoseconds) and the peak resident
// memory (kB) as one line to the descriptor TESSARIN_PROBE_FD, and ends the process.
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

long PeakResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    return -1;
}

[[noreturn]] void Report() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long nanoseconds = now.tv_sec * 1000000000LL + now.tv_nsec;
    const int fd = std::atoi(std::getenv("TESSARIN_PROBE_FD"));
    const std::string line =
        std::to_string(nanoseconds) + ' ' + std::to_string(PeakResidentKilobytes()) + '\n';
    [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
    ::_exit(0);
}

class FirstPaint : public QObject {
  public:
    explicit FirstPaint(int rows) : rows_(rows) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || reported_) return false;
        auto* view = qobject_cast<QAbstractItemView*>(watched->parent());
        if (!view || view->viewport() != watched || !view->model() || view->model()->rowCount() < rows_)
            return false;
        // Reported once this paint and the flush of the window that follows it are done.
        reported_ = true;
        QTimer::singleShot(0, Report);
        return false;
    }

  private:
    int rows_;
    bool reported_ = false;
};

void InstallProbe() {
    const char* rows = std::getenv("TESSARIN_PROBE_ROWS");
    if (!rows || !std::getenv("TESSARIN_PROBE_FD")) return;
    QCoreApplication::instance()->installEventFilter(new FirstPaint(std::atoi(rows)));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
