#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

#include "app/about_box.h"
#include "app/add_part_dialog.h"
#include "app/app_context.h"
#include "app/compare_dialog.h"
#include "app/deferred_icon_style.h"
#include "app/label_rows.h"
#include "app/main_window.h"
#include "app/master_pane.h"
#include "app/number_prompt.h"
#include "app/settings_dialog.h"
#include "app/splash_window.h"
#include "app/user_prompts.h"
#include "formats/jpeg/jpeg_image.h"
#include "formats/picture_formats.h"
#include "platform/fs.h"
#include "print/label_maker.h"
#include "print/label_preview.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnTerminate(int) {
    char byte = 1;
    [[maybe_unused]] ssize_t written = ::write(signalPipe[0], &byte, 1);
}

// SIGTERM and SIGINT close the main window as its close box would, so the program ends cleanly.
void CloseOnSignal(QWidget* window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, window);
    // unguarded: reads one byte and closes, which runs the close handler inside the boundary
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
        char byte = 0;
        [[maybe_unused]] ssize_t got = ::read(signalPipe[1], &byte, 1);
        window->close();
    });
    struct sigaction action = {};
    action.sa_handler = OnTerminate;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

QtMessageHandler qtMessages = nullptr;

// Qt aborts when it cannot open its window system, once it has said why: this says what to do about it and
// ends the program plainly instead.
void OnStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    qtMessages(type, context, text);
    if (type != QtFatalMsg) return;
    std::fputs("Tessarin needs a display for its window: set DISPLAY (or WAYLAND_DISPLAY), or "
               "QT_QPA_PLATFORM=offscreen to start without one.\n",
               stderr);
    std::_Exit(EXIT_FAILURE);
}

} // namespace

int main(int argc, char** argv) {
    // The folders are found first: the application object may change the environment as it starts. They
    // are seeded only once it stands, so that a start without a display leaves nothing behind.
    const std::filesystem::path dataDir = DataDir();
    const std::filesystem::path shippedDir = ShippedDataDir(TESSARIN_INSTALLED_DATA, TESSARIN_SOURCE_DATA);
    qtMessages = qInstallMessageHandler(OnStartMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(qtMessages);
    SeedDataDir(dataDir, shippedDir);
    QApplication::setApplicationName(QStringLiteral("Tessarin"));
    QApplication::setStyle(new DeferredIconStyle(QApplication::style()));
    QtPrompts prompts;
    RegisterPictureFormats();
    RegisterJpegPicture();

    AppContext context(prompts);
    // Read while the window is built; its first show takes the rows.
    context.master.Prefetch(MasterListFile());
    MainWindow window(context);
    // The dialogs of the prompts stand over the main window when no other window is active.
    prompts.SetFallbackParent(&window);
    LazyForm<NumberPrompt> numberPrompt([&window] { return new NumberPrompt(&window); });
    prompts.SetNumberPrompt([&numberPrompt] { return numberPrompt.Get(); });
    context.LoadColours();

    Forms forms;
    forms.addPart = [&] {
        return new AddPartDialog(context.Prompts(), context.colours, context.inventory, &window);
    };
    forms.settings = [&] { return new SettingsDialog(context.Prompts(), context.folders, &window); };
    forms.compare = [&window] { return new CompareDialog(window.Access(), &window); };
    forms.about = [&window] { return new AboutBox(&window); };
    forms.splash = new SplashWindow(&window);
    // The preview and its printer lookup come with the label maker, and the upload window is never shown.
    LabelRows labelRows(context);
    forms.labelMaker = [&] {
        return new LabelMaker(labelRows, context.renderer, *new LabelPreview(context.Prompts(), &window),
                              &window);
    };
    window.SetForms(forms);

    window.show();
    // Only now: a close from the signal while the first show still loads the master list would come before
    // the event loop runs, and the program would never end.
    CloseOnSignal(&window);
    return app.exec();
}
