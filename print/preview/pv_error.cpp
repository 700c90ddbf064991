#include "print/preview/pv_error.h"

#include "platform/ui.h"

void ShowPvError(const char* className, const QString& message) {
    ShowMessage(QString::fromLatin1(className) + QStringLiteral(" Error!\n\n") + message);
}
