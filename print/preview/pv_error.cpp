#include "print/preview/pv_error.h"

#include "platform/user_prompts.h"

void ShowPvError(UserPrompts& prompts, const char* className, const QString& message) {
    prompts.Show(QString::fromLatin1(className) + QStringLiteral(" Error!\n\n") + message);
}
