#pragma once

#include "print/label_host.h"

class MainWindow;

// The inventory rows and picture folders of the main window, as the label windows read them.
class LabelRows : public LabelHost {
  public:
    explicit LabelRows(const MainWindow& window) : window_(window) {}
    int LabelRowCount() const override;
    LabelRow LabelRowAt(int row) const override;
    PictureFolders LabelPictureFolders() const override;

  private:
    const MainWindow& window_;
};
