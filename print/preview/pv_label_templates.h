#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "print/preview/pv_paper.h"
#include "print/preview/pv_units.h"

enum PvLabelTemplate : uint8_t {
    Custom_Template,
    L7159_Address,
    L7160_Address,
    L7161_Address,
    L7162_Address,
    L7163_Address,
    L7164_Address,
    L7165_Parcel,
    L7166_Parcel,
    L7167_Shipping,
    L7168_Shipping,
    L7169_Parcel,
    L7170_Eurofolio,
    L7171_LeverArch,
    L7172_RingBinder,
    L7173_Shipping,
    L7263_Address,
    J8660_Diskette,
    Avery_5160_Address,
    Avery_8160_Address,
    Herma_4209
};

enum PvLabelDrawOrder : uint8_t { pvRows, pvColumns };
enum PvLabelShape : uint8_t { pvLabelRectangle, pvLabelRoundRect, pvLabelEllipse };

// One label sheet: a grid of labels. Lengths are kept in inches and read in any unit.
class PvLabelTemplateInfo {
  public:
    uint8_t Id = 0;
    QString Name;
    int32_t Columns = 0, Rows = 0;
    PvLabelShape Shape = pvLabelRoundRect;
    PvPaperSize PaperSize = A4;
    PvOrientation Orientation = pvPortrait;

    long double LabelWidth(PvMeasurement unit = pvInches) const { return In(unit, labelWidth_); }
    long double LabelHeight(PvMeasurement unit = pvInches) const { return In(unit, labelHeight_); }
    // From one label's left (top) edge to the next one's.
    long double HorzSpacing(PvMeasurement unit = pvInches) const { return In(unit, horzSpacing_); }
    long double VertSpacing(PvMeasurement unit = pvInches) const { return In(unit, vertSpacing_); }
    long double CornerRadius(PvMeasurement unit = pvInches) const { return In(unit, cornerRadius_); }
    // The first label's top-left corner, from the sheet's.
    long double LeftMargin(PvMeasurement unit = pvInches) const { return In(unit, leftMargin_); }
    long double TopMargin(PvMeasurement unit = pvInches) const { return In(unit, topMargin_); }
    PvPoint CustomPaperSize(PvMeasurement unit = pvInches) const {
        return {In(unit, customSize_.X), In(unit, customSize_.Y)};
    }
    // The sheet as laid out: the custom size, or the paper in the template's orientation.
    PvPoint SheetSize() const;
    int LabelsPerPage() const { return Columns * Rows; }

  private:
    friend class PvLabelTemplateList;
    static long double In(PvMeasurement unit, long double inches) {
        return ConvertValue(pvInches, unit, inches);
    }
    long double labelWidth_ = 0, labelHeight_ = 0, horzSpacing_ = 0, vertSpacing_ = 0, cornerRadius_ = 0,
                leftMargin_ = 0, topMargin_ = 0;
    PvPoint customSize_;
};

// The sheets known by name, built-in ones first.
class PvLabelTemplateList {
  public:
    // Filled with the nineteen built-in sheets.
    PvLabelTemplateList();

    struct Layout {
        int columns, rows;
        long double width, height, cornerRadius, horzSpacing, vertSpacing, leftMargin, topMargin;
        PvPoint customSize;
    };
    // Lengths given in unit; returns the new template.
    PvLabelTemplateInfo& Add(uint8_t id, const QString& name, const Layout& layout, PvPaperSize paper,
                             PvOrientation orientation, PvLabelShape shape, PvMeasurement unit);
    void AddBuiltInTemplates();

    int Count() const { return static_cast<int>(templates_.size()); }
    // Nothing outside 0..Count-1.
    const PvLabelTemplateInfo* Items(int index) const;
    // Names compared without letter case; nothing for an unknown or empty name.
    const PvLabelTemplateInfo* FindByName(const QString& name) const;
    const PvLabelTemplateInfo* FindById(uint8_t id) const;

  private:
    std::vector<std::unique_ptr<PvLabelTemplateInfo>> templates_;
};

// One label of a run: the page it is on (0 = the first page of the run), its 1-based number among the labels
// drawn, its cell and its rectangle in inches from the page's corner.
struct PvLabelPlacement {
    int page = 0;
    int labelNum = 0;
    int col = 0, row = 0;
    PvRect rect;
};

struct PvLabelLayout {
    int pages = 1; // pages the run covers, at least the one it starts on
    std::vector<PvLabelPlacement> labels;
};

// In column order a label's height and the step to the next label down may be changed per position.
using PvLabelHeightFn =
    std::function<void(int labelNum, int col, int row, long double& height, long double& vertSpacing)>;

// Lays out count labels on a template's sheets from the startLabel-th position of the run (counted over
// all pages), row by row or column by column. Positions before startLabel stay empty; a new page starts
// after a sheet's last cell while labels remain. A template without cells lays out nothing.
PvLabelLayout LayoutLabels(const PvLabelTemplateInfo& sheet, int startLabel, int count,
                           PvLabelDrawOrder order, const PvLabelHeightFn& heights = {});
