#include "print/preview/pv_label_templates.h"

namespace {

struct BuiltIn {
    PvLabelTemplate id;
    const char* name;
    PvMeasurement unit;
    PvPaperSize paper;
    PvOrientation orientation;
    long double top, left, width, height, horz, vert, radius;
    int rows, columns;
};

constexpr BuiltIn kBuiltIns[] = {
    {L7159_Address, "L7159_Address", pvInches, A4, pvPortrait, 0.54L, 0.25L, 2.52L, 1.33L, 2.63L, 1.33L, 0.1L,
     8, 3},
    {L7160_Address, "L7160_Address", pvInches, A4, pvPortrait, 0.63L, 0.28L, 2.5L, 1.5L, 2.6L, 1.5L, 0.1L, 7,
     3},
    {L7161_Address, "L7161_Address", pvInches, A4, pvPortrait, 0.38L, 0.28L, 2.5L, 1.83L, 2.6L, 1.83L, 0.1L,
     6, 3},
    {L7162_Address, "L7162_Address", pvInches, A4, pvPortrait, 0.54L, 0.18L, 3.9L, 1.33L, 4, 1.33L, 0.1L, 8,
     2},
    {L7163_Address, "L7163_Address", pvInches, A4, pvPortrait, 0.63L, 0.18L, 3.9L, 1.5L, 4, 1.5L, 0.1L, 7, 2},
    {L7164_Address, "L7164_Address", pvInches, A4, pvPortrait, 0.21L, 0.28L, 2.5L, 2.83L, 2.6L, 2.83L, 0.1L,
     4, 3},
    {L7165_Parcel, "L7165_Parcel", pvInches, A4, pvPortrait, 0.54L, 0.18L, 3.9L, 2.67L, 4, 2.67L, 0.1L, 4, 2},
    {L7166_Parcel, "L7166_Parcel", pvInches, A4, pvPortrait, 0.38L, 0.18L, 3.9L, 3.67L, 4, 3.67L, 0.1L, 3, 2},
    {L7167_Shipping, "L7167_Shipping", pvInches, A4, pvPortrait, 0.18L, 0.2L, 7.86L, 11.38L, 7.86L, 11.38L,
     0.1L, 1, 1},
    {L7168_Shipping, "L7168_Shipping", pvInches, A4, pvPortrait, 0.22L, 0.18L, 7.86L, 5.65L, 7.86L, 5.65L,
     0.1L, 2, 1},
    {L7169_Parcel, "L7169_Parcel", pvInches, A4, pvLandscape, 0.18L, 0.4L, 5.47L, 3.9L, 5.47L, 4, 0.1L, 2, 2},
    {L7170_Eurofolio, "L7170_Eurofolio", pvInches, A4, pvPortrait, 0.68L, 1.5L, 5.28L, 0.43L, 5.28L, 0.43L,
     0.1L, 24, 1},
    {L7171_LeverArch, "L7171_LeverArch", pvInches, A4, pvLandscape, 0.2L, 1.15L, 2.36L, 7.88L, 2.36L, 7.88L,
     0.1L, 1, 4},
    {L7172_RingBinder, "L7172_RingBinder", pvInches, A4, pvPortrait, 0.56L, 0.15L, 3.94L, 1.18L, 4.04L, 1.18L,
     0.1L, 9, 2},
    {L7173_Shipping, "L7173_Shipping", pvInches, A4, pvPortrait, 0.26L, 0.18L, 3.9L, 2.24L, 4, 2.24L, 0.1L, 5,
     2},
    {L7263_Address, "L7263_Address", pvInches, A4, pvPortrait, 0.63L, 0.18L, 3.9L, 1.5L, 4, 1.5L, 0.1L, 7, 2},
    {J8660_Diskette, "J8660_Diskette", pvInches, A4, pvPortrait, 0.76L, 0.92L, 2.76L, 2.05L, 3.67L, 2.05L,
     0.1L, 5, 2},
    {Avery_5160_Address, "Avery_5160_Address", pvInches, Letter, pvPortrait, 0.5L, 0.19L, 2.63L, 1, 2.75L, 1,
     0.1L, 10, 3},
    {Herma_4209, "Herma_4209", pvMillimeters, A4, pvPortrait, 12, 8, 96, 16.9L, 98, 16.9L, 2.54L, 16, 2},
};

} // namespace

PvPoint PvLabelTemplateInfo::SheetSize() const {
    return PaperSize == Custom ? customSize_ : PageSize(PaperSize, Orientation);
}

PvLabelTemplateList::PvLabelTemplateList() {
    AddBuiltInTemplates();
}

PvLabelTemplateInfo& PvLabelTemplateList::Add(uint8_t id, const QString& name, const Layout& layout,
                                              PvPaperSize paper, PvOrientation orientation,
                                              PvLabelShape shape, PvMeasurement unit) {
    auto info = std::make_unique<PvLabelTemplateInfo>();
    auto inches = [unit](long double value) { return ConvertValue(unit, pvInches, value); };
    info->Id = id;
    info->Name = name;
    info->Columns = layout.columns;
    info->Rows = layout.rows;
    info->labelWidth_ = inches(layout.width);
    info->labelHeight_ = inches(layout.height);
    info->cornerRadius_ = inches(layout.cornerRadius);
    info->horzSpacing_ = inches(layout.horzSpacing);
    info->vertSpacing_ = inches(layout.vertSpacing);
    info->leftMargin_ = inches(layout.leftMargin);
    info->topMargin_ = inches(layout.topMargin);
    info->customSize_ = {inches(layout.customSize.X), inches(layout.customSize.Y)};
    info->PaperSize = paper;
    info->Orientation = orientation;
    info->Shape = shape;
    templates_.push_back(std::move(info));
    return *templates_.back();
}

void PvLabelTemplateList::AddBuiltInTemplates() {
    for (const BuiltIn& b : kBuiltIns)
        Add(b.id, QString::fromLatin1(b.name),
            {b.columns, b.rows, b.width, b.height, b.radius, b.horz, b.vert, b.left, b.top, {}}, b.paper,
            b.orientation, pvLabelRoundRect, b.unit);
}

const PvLabelTemplateInfo* PvLabelTemplateList::Items(int index) const {
    return index >= 0 && index < Count() ? templates_[static_cast<size_t>(index)].get() : nullptr;
}

const PvLabelTemplateInfo* PvLabelTemplateList::FindByName(const QString& name) const {
    for (const auto& info : templates_)
        if (info->Name.compare(name, Qt::CaseInsensitive) == 0) return info.get();
    return nullptr;
}

const PvLabelTemplateInfo* PvLabelTemplateList::FindById(uint8_t id) const {
    for (const auto& info : templates_)
        if (info->Id == id) return info.get();
    return nullptr;
}

PvLabelLayout LayoutLabels(const PvLabelTemplateInfo& sheet, int startLabel, int count,
                           PvLabelDrawOrder order, const PvLabelHeightFn& heights) {
    PvLabelLayout layout;
    if (sheet.Columns <= 0 || sheet.Rows <= 0 || count <= 0) return layout;
    const PvPoint start{sheet.LeftMargin(), sheet.TopMargin()};
    PvPoint at = start;
    int col = 1, row = 1, position = 0, drawn = 0;
    layout.labels.reserve(static_cast<size_t>(count));
    while (drawn < count) {
        ++position;
        long double height = sheet.LabelHeight(), step = sheet.VertSpacing();
        if (heights && order == pvColumns) heights(drawn + 1, col, row, height, step);
        if (startLabel <= position)
            layout.labels.push_back({layout.pages - 1,
                                     ++drawn,
                                     col,
                                     row,
                                     {at.X, at.Y, at.X + sheet.LabelWidth(), at.Y + height}});
        if (col == sheet.Columns && row == sheet.Rows && drawn < count) {
            ++layout.pages;
            at = start;
            col = row = 1;
        } else if (order == pvRows) {
            at.X += sheet.HorzSpacing();
            if (col == sheet.Columns) {
                at.X = start.X;
                at.Y += sheet.VertSpacing();
                col = 1;
                ++row;
            } else {
                ++col;
            }
        } else {
            at.Y += step;
            if (row == sheet.Rows) {
                at.Y = start.Y;
                at.X += sheet.HorzSpacing();
                ++col;
                row = 1;
            } else {
                ++row;
            }
        }
    }
    return layout;
}
