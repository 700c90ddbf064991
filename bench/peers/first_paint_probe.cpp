// Loaded into a program under test with LD_PRELOAD: once a list view holding at least
// TESSARIN_PROBE_ROWS rows has painted, it writes the monotonic clock (nanoseconds) as one line to the
// descriptor TESSARIN_PROBE_FD and ends the event loop. The program then ends as it would when closed:
// its destructors wait for the work it left running in the background (the part hash), and as it exits
// the probe writes its peak resident memory (kB) as a second line, so that the peak holds that work. The
// peak is the program's own: the peak its parent could read with wait4 also counts the parent's, which a
// child started with vfork takes over.
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

int ReportFd() {
    return std::atoi(std::getenv("TESSARIN_PROBE_FD"));
}

void WriteLine(const std::string& line) {
    [[maybe_unused]] ssize_t written = ::write(ReportFd(), line.data(), line.size());
}

void Report() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    WriteLine(std::to_string(now.tv_sec * 1000000000LL + now.tv_nsec) + '\n');
    QCoreApplication::exit(0);
}

// At exit: the high-water mark of the program's resident memory.
void ReportPeak() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) WriteLine(std::to_string(std::atol(line.c_str() + 6)) + '\n');
    ::close(ReportFd());
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
    std::atexit(ReportPeak);
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(InstallProbe)
