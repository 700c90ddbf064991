#include "app/settings_dialog.h"

#include <QFormLayout>
#include <QLineEdit>

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Additional Set Information"));
    static constexpr std::array<std::pair<const char*, const char*>, kSetFieldCount> kFields = {{
        {"Theme", "Theme"},
        {"Year", "Year"},
        {"Pcs", "Pcs"},
        {"Figs", "Figs"},
        {"MSRP", "MSRP"},
        {"InvBy", "Inventoried By"},
        {"Source", "Source"},
        {"Date", "Date"},
    }};
    auto* layout = new QFormLayout(this);
    for (size_t k = 0; k < setFields_.size(); ++k) {
        setFields_[k] = new QLineEdit(this);
        setFields_[k]->setObjectName(QLatin1String(kFields[k].first));
        layout->addRow(QLatin1String(kFields[k].second), setFields_[k]);
    }
}

QString SettingsDialog::SetInformation(SetField field) const {
    return setFields_[static_cast<size_t>(field)]->text();
}

void SettingsDialog::SetSetInformation(SetField field, const QString& value) {
    setFields_[static_cast<size_t>(field)]->setText(value);
}
