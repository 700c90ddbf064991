// Asks the print system for its printers, then ends the given number of milliseconds later through the
// event loop: the end of a process must not meet the printer lookup's worker badly.
#include <QApplication>
#include <QTimer>

#include "platform/print/printer_lookup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    PrinterLookup::System().Answer();
    QTimer::singleShot(argc > 1 ? QString(argv[1]).toInt() : 0, &app, &QCoreApplication::quit);
    return app.exec();
}
