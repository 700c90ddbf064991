#pragma once

#include <QString>

#include "ldraw/picture_chooser.h"

// One inventory row as its label shows it.
struct LabelRow {
    QString partNumber;
    QString description;
    int ldrawColour = 7;
};

// What the label windows need of the application: the inventory rows and where part pictures are.
class LabelHost {
  public:
    virtual ~LabelHost() = default;
    virtual int LabelRowCount() const = 0;
    // Row 0 is the first; out-of-range rows are empty.
    virtual LabelRow LabelRowAt(int row) const = 0;
    virtual PictureFolders LabelPictureFolders() const = 0;
};
