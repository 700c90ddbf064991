#pragma once

#include <QObject>
#include <QString>

#include "app/inventory_host.h"

struct AppContext;

// The context's inventory with the look-ups the readers and the compare need. The status line and the row
// selection belong to the window, which follows the signals.
class InventoryAccess : public QObject, public InventoryHost {
    Q_OBJECT
  public:
    explicit InventoryAccess(AppContext& context) : context_(context) {}

    InventoryModel& Inventory() override;
    const InventoryModel& Inventory() const override;
    QString MasterDescription(const QString& partNumber) const override;
    const ColorTable& Colours() const override;
    const LDrawColours& LDrawColourTable() const override;
    void SetStatusText(const QString& text) override { emit StatusTextChanged(text); }
    void SelectLastRow() override { emit LastRowWanted(); }
    UserPrompts& Prompts() const override;

  signals:
    void StatusTextChanged(const QString& text);
    void LastRowWanted();

  private:
    AppContext& context_;
};
