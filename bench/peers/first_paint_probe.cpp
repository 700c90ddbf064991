// Loaded into a program under test with LD_PRELOAD: once a list view holding at least
// TESSARIN_PROBE_ROWS rows has painted, it writes the monotonic clock (nanoseconds) as one line to the
// descriptor TESSARIN_PROBE_FD and ends the event loop. The program then ends as it would when closed:
// its destructors wait for the work it left running in the background (the part hash), so the peak
// memory its parent reads when it ends holds that work.
#include <QAbstractItemView>
#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <string>
#include <unistd.h>

namespace {

void Report() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const long long nanoseconds = now.tv_sec * 1000000000LL + now.tv_nsec;
    const int fd = std::atoi(std::getenv("TESSARIN_PROBE_FD"));
    const std::string line = std::to_string(nanoseconds) + '\n';
    [[maybe_unused]] ssize_t written = ::write(fd, line.data(), line.size());
    ::close(fd);
    QCoreApplication::exit(0);
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
