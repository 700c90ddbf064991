#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <functional>
#include <vector>

#include "platform/print/print_device.h"

// The settings a report list keeps with its form: where its column widths go, the detail line under each
// row, and two groups (print and HTML export) that are stored with the list and read by nothing.

enum SizeStorage { stInifile, stRegistry };

struct ColumnSize {
    bool Save = false;
    // The settings file, relative to the data folder unless absolute.
    QString Key;
    QString Section;
    bool Stretch = false;
    SizeStorage Storage = stInifile;
};

// Writes col0, col1, ... with the widths into Key/Section when Save is on and both names are set. Both
// storages are the same section/key settings file here. Returns false when nothing could be written.
bool SaveColumnSizes(const ColumnSize& sizes, const std::vector<int>& widths);

// The detail line drawn in the lower part of each row; every accepted change repaints the owner.
class Details {
  public:
    explicit Details(std::function<void()> changed) : changed_(std::move(changed)) { font_.setPointSize(8); }

    bool Visible() const { return visible_; }
    int Column() const { return column_; }
    int Height() const { return height_; }
    int Indent() const { return indent_; }
    bool SplitLine() const { return splitLine_; }
    const QFont& Font() const { return font_; }
    const QColor& FontColor() const { return fontColor_; }

    void SetVisible(bool visible) { Store(visible_, visible); }
    // Column and Height refuse negative values.
    void SetColumn(int column) {
        if (column >= 0) Store(column_, column);
    }
    void SetHeight(int height) {
        if (height >= 0) Store(height_, height);
    }
    void SetIndent(int indent) { Store(indent_, indent); }
    void SetSplitLine(bool on) { Store(splitLine_, on); }
    void SetFont(const QFont& font) { Store(font_, font); }
    void SetFontColor(const QColor& colour) { Store(fontColor_, colour); }

  private:
    template <class T> void Store(T& field, const T& value) {
        if (field == value) return;
        field = value;
        if (changed_) changed_();
    }

    std::function<void()> changed_;
    bool visible_ = false;
    int column_ = 0;
    int height_ = 16;
    int indent_ = 0;
    bool splitLine_ = false;
    QFont font_;
    QColor fontColor_ = Qt::blue;
};

enum PrintPosition {
    ppNone,
    ppTopLeft,
    ppTopRight,
    ppTopCenter,
    ppBottomLeft,
    ppBottomRight,
    ppBottomCenter
};
enum PrintBorders { pbNoborder, pbSingle, pbDouble, pbVertical, pbHorizontal };
enum FitToPage { fpNever, fpGrow, fpShrink, fpAlways, fpCustom };

// Stored with the list only: the list has no print operation.
struct Printsettings {
    int FooterSize = 0;
    int HeaderSize = 0;
    PrintPosition Time = ppNone;
    PrintPosition Date = ppNone;
    PrintPosition PageNr = ppNone;
    PrintPosition Title = ppNone;
    QString DateFormat = QStringLiteral("dd/mm/yyyy");
    QString TitleText;
    QFont Font;
    QFont HeaderFont;
    QFont FooterFont;
    PrintBorders Borders = pbNoborder;
    Qt::PenStyle BorderStyle = Qt::SolidLine;
    bool Centered = false;
    bool RepeatHeaders = false;
    int LeftSize = 0;
    int RightSize = 0;
    int ColumnSpacing = 0;
    int RowSpacing = 0;
    PrintOrientation Orientation = PrintOrientation::Portrait;
    QString PagePrefix;
    QString PageSuffix;
    int FixedWidth = 0;
    int FixedHeight = 0;
    bool UseFixedHeight = false;
    bool UseFixedWidth = false;
    ::FitToPage FitToPage = fpNever;
    QString JobName;
    QString PageNumSep = QStringLiteral("/");
};

// Stored with the list only: the list has no HTML export.
struct HTMLSettings {
    int BorderSize = 1;
    int CellSpacing = 0;
    bool SaveColor = true;
    bool SaveFonts = true;
    QString FooterFile;
    QString HeaderFile;
    QString TableStyle;
    QString PrefixTag;
    QString SuffixTag;
    int Width = 100;
};
