#include "app/about_box.h"

AboutBox::AboutBox(QWidget* parent) : QDialog(parent, Qt::FramelessWindowHint) {}
