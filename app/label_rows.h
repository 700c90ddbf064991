#pragma once

#include "print/label_host.h"

struct AppContext;

// The inventory rows and picture folders of the program, as the label windows read them.
class LabelRows : public LabelHost {
  public:
    explicit LabelRows(const AppContext& context) : context_(context) {}
    int LabelRowCount() const override;
    LabelRow LabelRowAt(int row) const override;
    PictureFolders LabelPictureFolders() const override;

  private:
    const AppContext& context_;
};
