#include "print/label_maker.h"

LabelMaker::LabelMaker(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Label Maker"));
}
