#pragma once

#include <QString>
#include <filesystem>

// One inventory row as its label shows it.
struct LabelRow {
    QString partNumber;
    QString description;
    int ldrawColour = 7;
};

// What shows a part on its label: its LDraw part file, rendered from the library it is in, or a picture
// file, or nothing (a white picture).
struct LabelPicture {
    enum Kind { None, LDrawPart, PictureFile };
    Kind kind = None;
    std::filesystem::path file;
    std::filesystem::path library; // of an LDraw part
};

// What the label windows need of the application: the inventory rows and what shows each part.
class LabelHost {
  public:
    virtual ~LabelHost() = default;
    virtual int LabelRowCount() const = 0;
    // Row 0 is the first; out-of-range rows are empty.
    virtual LabelRow LabelRowAt(int row) const = 0;
    virtual LabelPicture LabelPictureFor(const QString& partNumber) = 0;
};
