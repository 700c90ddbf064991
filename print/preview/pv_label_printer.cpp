#include "print/preview/pv_label_printer.h"

#include <algorithm>
#include <vector>

#include "print/preview/pv_error.h"
#include "print/preview/pv_preview.h"

namespace {

// The label's outline, or a clip of its shape.
void AddShape(PvCanvas& canvas, PvLabelShape shape, const PvRect& r, long double corner, bool clip) {
    switch (shape) {
    case pvLabelRectangle:
        clip ? canvas.ClipRect(r.Left, r.Top, r.Right, r.Bottom, pvInches)
             : canvas.Rectangle(r.Left, r.Top, r.Right, r.Bottom, pvInches);
        break;
    case pvLabelRoundRect:
        clip ? canvas.ClipRoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner, pvInches)
             : canvas.RoundRect(r.Left, r.Top, r.Right, r.Bottom, corner, corner, pvInches);
        break;
    case pvLabelEllipse:
        clip ? canvas.ClipEllipse(r.Left, r.Top, r.Right, r.Bottom, pvInches)
             : canvas.Ellipse(r.Left, r.Top, r.Right, r.Bottom, pvInches);
        break;
    }
}

} // namespace

PvLabelPrinter::PvLabelPrinter(UserPrompts& prompts) : info_(templates_.Items(0)), prompts_(&prompts) {}

void PvLabelPrinter::SetTemplate(PvLabelTemplate id) {
    template_ = id;
    info_ = templates_.FindById(id);
}

void PvLabelPrinter::SetTemplateInfo(const PvLabelTemplateInfo* info) {
    if (info) info_ = info;
}

void PvLabelPrinter::DrawLabels(int count) {
    if (!Preview) {
        ShowPvError(*prompts_, "PvLabelPrinter",
                    QStringLiteral("The \"Preview\" property must be set to a TPvPreview component"));
        return;
    }
    if (!info_ || info_->Columns == 0 || info_->Rows == 0) return;
    const PvLabelTemplateInfo& sheet = *info_;
    PvCanvas& canvas = Preview->Canvas();
    canvas.SaveValues();
    Preview->BeginUpdate();
    canvas.CoordsRelativeTo = pvFromPage;
    canvas.RemoveClip();
    if (BeforeDrawLabels) BeforeDrawLabels();
    const long double corner = 2 * sheet.CornerRadius();
    // The clip keeps inside the outline's line (a pixel at 96 per inch, or the pen's width), so that
    // nothing a label holds covers its outline.
    const long double clipInset = std::max(1, LabelPen.Width) / 96.0L;
    if (sheet.PaperSize != Custom) {
        Preview->SetPaperSize(sheet.PaperSize);
        Preview->SetOrientation(sheet.Orientation);
    } else {
        const PvPoint size = sheet.CustomPaperSize();
        Preview->SetCustomPaperSize(pvInches, size.X, size.Y);
    }
    PvLabelHeightFn heights;
    if (OnGetLabelHeight)
        heights = [this](int labelNum, int col, int row, long double& height, long double& step) {
            PvValue heightValue(height), stepValue(step);
            OnGetLabelHeight(labelNum, col, row, heightValue, stepValue);
            height = heightValue.Inches();
            step = stepValue.Inches();
        };
    const PvLabelLayout layout = LayoutLabels(sheet, StartLabel, count, DrawOrder, heights);
    // Each label goes onto its own sheet's page by number: the current page may change while the owner
    // lets events through.
    const int ownTarget = canvas.TargetPage;
    std::vector<int> pages{Preview->CurrentPage()};
    for (const PvLabelPlacement& label : layout.labels) {
        while (static_cast<int>(pages.size()) <= label.page) {
            canvas.TargetPage = 0;
            Preview->NewPage();
            pages.push_back(Preview->PageCount());
        }
        canvas.TargetPage = pages[static_cast<size_t>(label.page)];
        const PvRect& r = label.rect;
        const PvBrush ownBrush = canvas.Brush;
        const PvPen ownPen = canvas.Pen;
        canvas.Brush = LabelBrush;
        canvas.Pen = LabelPen;
        AddShape(canvas, sheet.Shape, r, corner, false);
        canvas.Brush = ownBrush;
        canvas.Pen = ownPen;
        if (ClipLabels) AddShape(canvas, sheet.Shape, r.Inset(clipInset), corner, true);
        if (OnDrawLabel) OnDrawLabel(label.labelNum, PvValueRect(r), canvas);
        canvas.RemoveClip();
    }
    canvas.TargetPage = ownTarget;
    canvas.RestoreValues();
    Preview->EndUpdate();
}
