#include "app/add_part_dialog.h"

AddPartDialog::AddPartDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add to Inventory"));
}
