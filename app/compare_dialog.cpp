#include "app/compare_dialog.h"

#include <QPlainTextEdit>

CompareDialog::CompareDialog(QWidget* parent) : QDialog(parent), Memo1(new QPlainTextEdit(this)) {
    setWindowTitle(QStringLiteral("Compare"));
    Memo1->setObjectName(QStringLiteral("Memo1"));
}
