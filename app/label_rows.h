#pragma once

#include "app/picture_chooser.h"
#include "print/label_host.h"

struct AppContext;

// The inventory rows of the program and the pictures of their parts, as the label windows read them.
class LabelRows : public LabelHost {
  public:
    explicit LabelRows(const AppContext& context) : context_(context) {}
    int LabelRowCount() const override;
    LabelRow LabelRowAt(int row) const override;
    LabelPicture LabelPictureFor(const QString& partNumber) override;

  private:
    const AppContext& context_;
    // Keeps its folder listings for as long as the labels are made from these rows.
    PictureChooser chooser_;
};
