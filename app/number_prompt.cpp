#include "app/number_prompt.h"

#include <QInputDialog>

NumberPrompt::NumberPrompt(QWidget* parent) : QDialog(parent) {}

int NumberPrompt::AskCount(const QString& prompt) {
    bool ok = false;
    const int count = QInputDialog::getInt(this, QStringLiteral("Multi-Open"), prompt, 0, 0, 99999, 1, &ok);
    return ok ? count : 0;
}
