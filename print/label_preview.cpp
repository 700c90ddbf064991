#include "print/label_preview.h"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QTimer>
#include <cmath>
#include <initializer_list>
#include <vector>

#include "platform/ui.h"
#include "print/label_maker.h"
#include "print/preview/pv_page_navigator.h"
#include "print/preview/pv_property_combo_box.h"
#include "print/preview/pv_thumbnails.h"
#include "print/report/print_bar_form.h"
#include "ui/kit/make_named.h"

namespace {

// The label picture's offset from the label's corner, in millimetres.
constexpr long double kInsetMm = 0.5L;

// Widgets that take no input while it lives.
class InputPause {
  public:
    explicit InputPause(std::initializer_list<QWidget*> widgets) : widgets_(widgets) {
        for (QWidget* widget : widgets_)
            widget->setEnabled(false);
    }
    ~InputPause() {
        for (QWidget* widget : widgets_)
            widget->setEnabled(true);
    }
    InputPause(const InputPause&) = delete;
    InputPause& operator=(const InputPause&) = delete;

  private:
    std::vector<QWidget*> widgets_;
};

} // namespace

QSize ShownLabelSize(long double widthInches, long double heightInches) {
    const long double inset = ConvertValue(pvMillimeters, pvInches, kInsetMm);
    return {static_cast<int>(std::ceil((widthInches - inset) * 96)),
            static_cast<int>(std::ceil((heightInches - inset) * 96))};
}

QPainterPath LabelOutlineOnComposition(const PvLabelTemplateInfo& sheet) {
    const long double inset = ConvertValue(pvMillimeters, pvInches, kInsetMm);
    const QRect label =
        PixelRect({-inset, -inset, sheet.LabelWidth() - inset, sheet.LabelHeight() - inset}, 96, 96);
    const int corner = static_cast<int>(RoundNearest(2 * sheet.CornerRadius() * 96));
    switch (sheet.Shape) {
    case pvLabelRectangle:
        return RectanglePath(label);
    case pvLabelRoundRect:
        return RoundRectPath(label, corner, corner);
    case pvLabelEllipse:
        return EllipsePath(label);
    }
    return {};
}

LabelPreview::LabelPreview(UserPrompts& prompts, QWidget* parent)
    : QDialog(parent), PvLabelPrinter1(prompts), prompts_(prompts) {
    setWindowTitle(QStringLiteral("Label Preview"));
    Label1 = MakeNamed<QLabel>(this, "Label1");
    Label1->hide();
    PvPreview1 = MakeNamed<PvPreview>(this, "PvPreview1", prompts_);
    PvPreview1->setGeometry(88, 8, 625, 529);
    PvPreview1->Canvas().SetCompareGraphics(true);
    PvPageList& pages = PvPreview1->Pages();
    // Half an inch on every side; both margin pens silver, one pixel, dotted.
    pages.Margins.SetMarginValuesText(
        QStringLiteral("720,720,720,720,\"12632256,1,2,4\",\"12632256,1,2,4\""));
    PvPreview1->PageGrid().GridPen = PvPen{0xC0C0C0, 1, psSolid, pmCopy};
    PvPreview1->SetPagesPerSheet(pvOnePage);
    PvPreview1->SetZoom(100);

    PvThumbnails1 = MakeNamed<PvThumbnails>(this, "PvThumbnails1");
    PvThumbnails1->setGeometry(8, 8, 73, 529);
    PvThumbnails1->Layout = pvThumbVert;
    PvThumbnails1->SetPreview(PvPreview1);
    PvPropertyComboBox1 = MakeNamed<PvPropertyComboBox>(this, "PvPropertyComboBox1");
    PvPropertyComboBox1->setGeometry(504, 544, 209, 26);
    PvPropertyComboBox1->SetPreview(PvPreview1);
    PvPageNavigator1 = MakeNamed<PvPageNavigator>(this, "PvPageNavigator1");
    PvPageNavigator1->setGeometry(8, 544, 484, 54);
    PvPageNavigator1->SetPreview(PvPreview1);
    BitBtn1 = MakeNamed<QPushButton>(this, "BitBtn1", QStringLiteral("Print"));
    BitBtn1->setGeometry(616, 576, 98, 22);
    BitBtn2 = MakeNamed<QPushButton>(this, "BitBtn2", QStringLiteral("Cancel"));
    BitBtn2->setGeometry(504, 576, 98, 22);
    Progress = MakeNamed<QProgressBar>(this, "Progress");
    Progress->hide();
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn1Click(); }));
    // unguarded: Qt's own slot
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);

    PvLabelPrinter1.Preview = PvPreview1;
    PvLabelPrinter1.SetTemplate(Avery_5160_Address);
    PvLabelPrinter1.BeforeDrawLabels = [this] { setCursor(Qt::WaitCursor); };
    PvLabelPrinter1.OnDrawLabel = [this](int labelNum, const PvValueRect& rect, PvCanvas& canvas) {
        DrawLabel(labelNum, rect, canvas);
    };
    PvPreview1->Printer().WhileHandingIn = [this](double waited) { return HearHandIn(waited); };
    AskWhileNoneListed(*this, [this]() -> PrinterLookup& { return PvPreview1->Printer().Lookup(); });

    if (const QScreen* screen = QGuiApplication::primaryScreen()) resize(screen->availableGeometry().size());
}

LabelPreview::~LabelPreview() = default;

void LabelPreview::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int w = width(), h = height();
    PvPageNavigator1->move(PvPageNavigator1->x(), h - 89);
    PvPropertyComboBox1->move(w - 224, PvPageNavigator1->y());
    BitBtn1->move(w - 112, h - 57);
    BitBtn2->move(PvPropertyComboBox1->x(), h - 57);
    PvThumbnails1->resize(PvThumbnails1->width(), h - 104);
    PvPreview1->resize(w - 103, PvThumbnails1->height());
    Progress->setGeometry(PvPreview1->x(), h - 57, 300, 22);
}

void LabelPreview::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    PvPreview1->Printer().Lookup().AskAgainIfOld();
    // Laid out once the window is on the screen, so that the progress of a long run shows.
    QTimer::singleShot(0, this, Guarded(prompts_, [this] { LayOutLabels(); }));
}

void LabelPreview::LayOutLabels() {
    if (!maker_ || BusyGuard::IsBusy()) return;
    const BusyGuard busy;
    PvLabelPrinter1.SetTemplateInfo(PvLabelPrinter1.Templates().FindByName(Label1->text()));
    start_ = std::clamp(maker_->StartLabel(), 1, std::max(1, PvLabelPrinter1.LabelsPerPage()));
    const int rows = maker_->RowCount();
    total_ = rows + start_ - 1;
    maker_->BeginLabelRun();
    PvPreview1->Clear();
    Progress->setRange(0, total_);
    Progress->setValue(0);
    Progress->show();
    {
        // Events go through after every label: progress and Cancel stay live, the pages take no input.
        const InputPause pause{PvPreview1, PvThumbnails1, PvPageNavigator1, PvPropertyComboBox1, BitBtn1};
        PvLabelPrinter1.DrawLabels(total_);
    }
    Progress->hide();
    unsetCursor();
}

void LabelPreview::DrawLabel(int labelNum, const PvValueRect& rect, PvCanvas& canvas) {
    if (labelNum >= start_) {
        maker_->ComposeLabelForRow(labelNum - start_ + 1);
        const QImage& label = maker_->LabelBitmap();
        // Only what falls inside the label is kept: the rest would be clipped away on every page anyway.
        const QSize shown = ShownLabelSize(rect.Right().Inches() - rect.Left().Inches(),
                                           rect.Bottom().Inches() - rect.Top().Inches())
                                .boundedTo(label.size());
        PvGraphicObject& picture = canvas.Draw(
            rect.Left().AsMillimeters() + kInsetMm, rect.Top().AsMillimeters() + kInsetMm,
            // A view of the label's corner: the picture is copied once, as it is stored.
            QImage(label.constBits(), shown.width(), shown.height(), label.bytesPerLine(), label.format()),
            1.0L);
        // Printed in the colours the preview shows: a rendered part has far more than 8 bits hold.
        picture.PixelFormat = pf24bit;
    }
    Progress->setValue(labelNum);
    ProcessMessages();
    if (labelNum == total_) unsetCursor();
}

void LabelPreview::BitBtn1Click() {
    handInCancelled_ = false;
    const auto closeProgress = qScopeGuard([this] { handIn_.reset(); });
    PvPreview1->Print();
}

bool LabelPreview::HearHandIn(double waited) {
    if (!handIn_) {
        handIn_ = std::make_unique<PrintBarForm>(this);
        handIn_->CancelBtn->show();
        // unguarded: sets a flag
        connect(handIn_.get(), &PrintBarForm::Cancelled, this, [this] { handInCancelled_ = true; });
        handIn_->show();
    }
    handIn_->ShowHandIn(waited);
    return !handInCancelled_;
}
