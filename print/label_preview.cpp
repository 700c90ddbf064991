#include "print/label_preview.h"

LabelPreview::LabelPreview(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Label Preview"));
}
