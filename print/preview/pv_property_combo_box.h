#pragma once

#include <QComboBox>
#include <functional>

#include "print/preview/pv_preview.h"

enum PvPreviewProperty { pvPaperList, pvPrinterList };

// A drop-down list of the paper sizes or the printers of a preview; choosing an item sets it there.
class PvPropertyComboBox : public QComboBox, public PvLinkedControl {
    Q_OBJECT
  public:
    explicit PvPropertyComboBox(QWidget* parent = nullptr);

    PvPreviewProperty PreviewProperty() const { return property_; }
    void SetPreviewProperty(PvPreviewProperty property);
    // May keep an item out of the list by clearing add.
    std::function<void(const QString& item, bool& add)> OnAddItem;
    // Lists the items again from the preview.
    void Fill();

    void PreviewNotice(int notice) override;

  protected:
    void PreviewSet() override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void Chose(int index);

    PvPreviewProperty property_ = pvPrinterList;
    bool filling_ = false;
};
