#pragma once

#include <QDialog>
#include <array>

#include "app/inventory_host.h"

class QLineEdit;

class SettingsDialog : public QDialog {
    Q_OBJECT
  public:
    explicit SettingsDialog(QWidget* parent = nullptr);

    QString SetInformation(SetField field) const;
    void SetSetInformation(SetField field, const QString& value);

  private:
    // Theme, Year, Pcs, Figs, MSRP, InvBy, Source, Date.
    std::array<QLineEdit*, kSetFieldCount> setFields_{};
};
