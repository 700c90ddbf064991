#include "print/label_maker.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "ldraw/ldraw_view.h"
#include "platform/gfx/graphic.h"
#include "platform/ui.h"
#include "print/label_host.h"
#include "print/label_preview.h"
#include "ui/bitmap/image_view.h"
#include "ui/controls/gauge_bar.h"
#include "ui/controls/zc_color_combo_box.h"
#include "ui/controls/zc_font_combo_box.h"
#include "ui/kit/make_named.h"

namespace {

constexpr int kPictureSide = 400;
constexpr size_t kKeptRenders = 32;
constexpr float kDegree = std::numbers::pi_v<float> / 180;

QSpinBox* MakeSpin(QWidget* parent, const char* name, int min, int max, int step, int value, QRect geometry) {
    auto* spin = MakeNamed<QSpinBox>(parent, name);
    spin->setRange(min, max);
    spin->setSingleStep(step);
    spin->setValue(value);
    spin->setGeometry(geometry);
    return spin;
}

QLabel* MakeCaption(QWidget* parent, const QString& text, QRect geometry) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    return label;
}

GaugeBar* MakeGauge(QWidget* parent, const char* name, int min, int max, int position, QRect geometry) {
    auto* gauge = MakeNamed<GaugeBar>(parent, name);
    gauge->SetMin(min);
    gauge->SetMax(max);
    gauge->SetPosition(position);
    gauge->setGeometry(geometry);
    return gauge;
}

constexpr qreal kMostEnlargement = 2; // a small picture stays sharp

QImage WhiteSquare() {
    QImage square(kPictureSide, kPictureSide, QImage::Format_RGB32);
    square.fill(Qt::white);
    return square;
}

// Whether every pixel of the rectangle lies in the convex area: its corner pixels do.
bool Inside(const QPainterPath& area, const QRect& rect) {
    const QRectF centres = QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5);
    return area.contains(centres.topLeft()) && area.contains(centres.topRight()) &&
           area.contains(centres.bottomLeft()) && area.contains(centres.bottomRight());
}

// The largest rectangle of the picture's proportions, enlarged at most kMostEnlargement times, centred in the
// convex area and wholly inside it: round corners and ellipses cut into the area's bounding box.
QRect FittedRect(QSize picture, const QPainterPath& area) {
    const QRectF bounds = area.boundingRect();
    if (picture.isEmpty() || bounds.isEmpty()) return {};
    const auto placed = [&](qreal scale) {
        QRectF rect(QPointF(), QSizeF(picture) * scale);
        rect.moveCenter(bounds.center());
        return rect.toRect();
    };
    const qreal most =
        std::min({bounds.width() / picture.width(), bounds.height() / picture.height(), kMostEnlargement});
    if (Inside(area, placed(most))) return placed(most);
    // The area is convex: below a scale that fits, every scale fits.
    qreal fits = 0, overflows = most;
    for (int step = 0; step < 12; ++step) {
        const qreal scale = (fits + overflows) / 2;
        (Inside(area, placed(scale)) ? fits : overflows) = scale;
    }
    return placed(fits);
}

} // namespace

LabelMaker::LabelMaker(LabelHost& host, LDrawRenderer& renderer, LabelPreview& preview, QWidget* parent)
    : QDialog(parent), host_(host), renderer_(renderer), preview_(preview), picture_{WhiteSquare()} {
    setWindowTitle(QStringLiteral("Label Maker"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(608, 538);
    CreateControls();
    WireHandlers();
    ShowLabelSize();
    preview_.SetLabelMaker(this);
}

LabelMaker::~LabelMaker() = default;

void LabelMaker::CreateControls() {
    Image1 = MakeNamed<Image32>(this, "Image1");
    Image1->setGeometry(8, 8, 400, 300);
    Image1->SetBitmapAlign(Image32::baTopLeft);
    Image1->SetColor(clWhite);
    Image1->SetScale(1.0);

    MakeCaption(this, QStringLiteral("Width"), QRect(416, 8, 60, 20));
    SpinEdit1 = MakeSpin(this, "SpinEdit1", 100, 400, 10, 400, QRect(480, 8, 60, 22));
    MakeCaption(this, QStringLiteral("Height"), QRect(416, 34, 60, 20));
    SpinEdit3 = MakeSpin(this, "SpinEdit3", 100, 300, 10, 300, QRect(480, 34, 60, 22));

    const char* gaugeCaptions[] = {"Scale", "X rotation", "Y rotation", "Z rotation"};
    for (int i = 0; i < 4; ++i)
        MakeCaption(this, QString::fromLatin1(gaugeCaptions[i]), QRect(416, 64 + 36 * i, 180, 16));
    ldrawscale = MakeGauge(this, "ldrawscale", 1, 10, 1, QRect(416, 80, 184, 16));
    xrot = MakeGauge(this, "xrot", -180, 180, -45, QRect(416, 116, 184, 16));
    yrot = MakeGauge(this, "yrot", -180, 180, 35, QRect(416, 152, 184, 16));
    zrot = MakeGauge(this, "zrot", -180, 180, -30, QRect(416, 188, 184, 16));

    MakeCaption(this, QStringLiteral("Move"), QRect(416, 214, 60, 20));
    ComboBox1 = MakeNamed<QComboBox>(this, "ComboBox1");
    ComboBox1->setEditable(true);
    ComboBox1->addItems({QStringLiteral("Image"), QStringLiteral("LDraw Number"),
                         QStringLiteral("Description"), QStringLiteral("Extra Text")});
    ComboBox1->setCurrentText(QStringLiteral("Image"));
    ComboBox1->setGeometry(416, 234, 120, 22);
    SpinEdit2 = MakeSpin(this, "SpinEdit2", 10, 100, 10, 10, QRect(544, 234, 56, 22));
    BitBtn4 = MakeNamed<QPushButton>(this, "BitBtn4", QStringLiteral("up"));
    BitBtn4->setGeometry(478, 262, 60, 24);
    BitBtn3 = MakeNamed<QPushButton>(this, "BitBtn3", QStringLiteral("left"));
    BitBtn3->setGeometry(416, 288, 60, 24);
    BitBtn5 = MakeNamed<QPushButton>(this, "BitBtn5", QStringLiteral("right"));
    BitBtn5->setGeometry(540, 288, 60, 24);
    BitBtn6 = MakeNamed<QPushButton>(this, "BitBtn6", QStringLiteral("down"));
    BitBtn6->setGeometry(478, 314, 60, 24);

    Label10 = MakeNamed<QLabel>(this, "Label10", QStringLiteral("    "));
    Label10->setGeometry(8, 310, 400, 16);
    // Two lines: the longest sheet names do not fit on one beside the move buttons.
    LabelSize = MakeNamed<QLabel>(this, "LabelSize");
    LabelSize->setWordWrap(true);
    LabelSize->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelSize->setGeometry(8, 328, 400, 34);

    const auto row = [this](int y, const char* check, const char* caption, const char* font, const char* size,
                            const char* colour, const char* bold) {
        TextItem item;
        item.check = MakeNamed<QCheckBox>(this, check, QString::fromLatin1(caption));
        item.check->setChecked(true);
        item.check->setGeometry(8, y, 110, 22);
        item.font = MakeNamed<zcFontComboBox>(this, font);
        item.font->SetFontOptions(zcFontComboBox::zcftWindowsOnly);
        item.font->SetFontName(QStringLiteral("Times New Roman"));
        item.font->setGeometry(220, y, 170, 22);
        item.size = MakeSpin(this, size, 6, 30, 2, 12, QRect(396, y, 50, 22));
        item.colour = MakeNamed<zcColorComboBox>(this, colour);
        item.colour->SetColorOptions(zcColorComboBox::zcmColors | zcColorComboBox::zcmNames |
                                     zcColorComboBox::zcmStdColors | zcColorComboBox::zcmExtraColors |
                                     zcColorComboBox::zcmQuarnelColor | zcColorComboBox::zcmSysColors |
                                     zcColorComboBox::zcmOtherColors);
        item.colour->setGeometry(452, y, 100, 22);
        item.bold = MakeNamed<QCheckBox>(this, bold, QStringLiteral("Bold"));
        item.bold->setGeometry(556, y, 50, 22);
        return item;
    };
    const TextItem description =
        row(366, "CheckBox2", "Desciption", "zcFontComboBox1", "SpinEdit6", "zcColorComboBox2", "CheckBox3");
    const TextItem number = row(394, "CheckBox1", "LDraw Number", "zcFontComboBox3", "SpinEdit5",
                                "zcColorComboBox4", "CheckBox4");
    const TextItem extra =
        row(422, "CheckBox5", "Extra Text", "zcFontComboBox2", "SpinEdit4", "zcColorComboBox3", "CheckBox6");
    CheckBox2 = description.check, zcFontComboBox1 = description.font, SpinEdit6 = description.size;
    zcColorComboBox2 = description.colour, CheckBox3 = description.bold;
    CheckBox1 = number.check, zcFontComboBox3 = number.font, SpinEdit5 = number.size;
    zcColorComboBox4 = number.colour, CheckBox4 = number.bold;
    CheckBox5 = extra.check, zcFontComboBox2 = extra.font, SpinEdit4 = extra.size;
    zcColorComboBox3 = extra.colour, CheckBox6 = extra.bold;
    Edit1 = MakeNamed<QLineEdit>(this, "Edit1", QStringLiteral("Extra Text"));
    Edit1->setGeometry(120, 422, 94, 22);

    MakeCaption(this, QStringLiteral("Label type"), QRect(8, 456, 80, 22));
    ComboBox2 = MakeNamed<QComboBox>(this, "ComboBox2");
    ComboBox2->setEditable(true);
    ComboBox2->setCurrentText(QStringLiteral("L7163_Address"));
    ComboBox2->setGeometry(96, 456, 180, 22);
    MakeCaption(this, QStringLiteral("Start label"), QRect(292, 456, 80, 22));
    SpinEdit7 = MakeSpin(this, "SpinEdit7", 1, 14, 1, 1, QRect(376, 456, 60, 22));

    BitBtn2 = MakeNamed<QPushButton>(this, "BitBtn2", QStringLiteral("OK"));
    BitBtn2->setGeometry(416, 500, 88, 28);
    BitBtn1 = MakeNamed<QPushButton>(this, "BitBtn1", QStringLiteral("Cancel"));
    BitBtn1->setGeometry(512, 500, 88, 28);
    // Enter in a number box presses OK: a dialog would otherwise make the first button, "up", its default.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    BitBtn2->setDefault(true);
}

void LabelMaker::WireHandlers() {
    for (QCheckBox* box : {CheckBox1, CheckBox2, CheckBox3, CheckBox4, CheckBox5, CheckBox6})
        connect(box, &QCheckBox::toggled, this, Guarded(preview_.Prompts(), [this] { ComposeSample(); }));
    for (QSpinBox* spin : {SpinEdit1, SpinEdit3, SpinEdit4, SpinEdit5, SpinEdit6, SpinEdit7})
        connect(spin, &QSpinBox::valueChanged, this,
                Guarded(preview_.Prompts(), [this] { ComposeSample(); }));
    for (zcFontComboBox* box : {zcFontComboBox1, zcFontComboBox2, zcFontComboBox3})
        box->OnChange = Guarded(preview_.Prompts(), [this] { ComposeTyped(); });
    for (zcColorComboBox* box : {zcColorComboBox2, zcColorComboBox3, zcColorComboBox4})
        box->OnChange = Guarded(preview_.Prompts(), [this] { ComposeTyped(); });
    connect(Edit1, &QLineEdit::textChanged, this, Guarded(preview_.Prompts(), [this] { ComposeTyped(); }));
    for (GaugeBar* gauge : {ldrawscale, xrot, yrot, zrot})
        gauge->OnMouseUp = [this](Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
            RunGuarded(preview_.Prompts(), [this] {
                RenderSample();
                ComposeSample();
            });
        };
    Image1->OnDblClick = Guarded(preview_.Prompts(), [this] { Image1DblClick(); });
    Image1->OnGDIOverlay = Guarded(preview_.Prompts(), [this] { DrawLabelOutline(); });
    connect(BitBtn3, &QPushButton::clicked, this, Guarded(preview_.Prompts(), [this] { MoveItem(-1, 0); }));
    connect(BitBtn5, &QPushButton::clicked, this, Guarded(preview_.Prompts(), [this] { MoveItem(1, 0); }));
    connect(BitBtn4, &QPushButton::clicked, this, Guarded(preview_.Prompts(), [this] { MoveItem(0, -1); }));
    connect(BitBtn6, &QPushButton::clicked, this, Guarded(preview_.Prompts(), [this] { MoveItem(0, 1); }));
    connect(ComboBox2, &QComboBox::currentTextChanged, this,
            Guarded(preview_.Prompts(), [this] { TemplateChosen(); }));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(preview_.Prompts(), [this] { BitBtn2Click(); }));
    // unguarded: Qt's own slot
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
}

int LabelMaker::RowCount() const {
    return host_.LabelRowCount();
}

int LabelMaker::StartLabel() const {
    const PvLabelTemplateInfo* sheet =
        preview_.PvLabelPrinter1.Templates().FindByName(ComboBox2->currentText());
    return sheet ? std::clamp(SpinEdit7->value(), 1, std::max(1, sheet->LabelsPerPage()))
                 : SpinEdit7->value();
}

QString LabelMaker::OffsetsText() const {
    return QStringLiteral("dx=%1 dy=%2 lx=%3 ly=%4 ex=%5 ey=%6 ix=%7 iy=%8")
        .arg(dx_)
        .arg(dy_)
        .arg(lx_)
        .arg(ly_)
        .arg(ex_)
        .arg(ey_)
        .arg(ix_)
        .arg(iy_);
}

void LabelMaker::ReadOffsets(const QString& text) {
    if (text.trimmed().isEmpty()) return;
    int* const offsets[] = {&dx_, &dy_, &lx_, &ly_, &ex_, &ey_, &ix_, &iy_};
    const QStringList fields = text.split(QLatin1Char(' '));
    for (int i = 0; i < 8; ++i) {
        // A missing field reads as an empty one.
        const QString number = i < fields.size() ? fields[i].section(QLatin1Char('='), 1, 1) : QString();
        bool ok = false;
        const int value = number.toInt(&ok);
        if (!ok) throw std::invalid_argument("'" + number.toStdString() + "' is not a valid integer value");
        *offsets[i] = value;
    }
}

void LabelMaker::TemplateChosen() {
    if (const PvLabelTemplateInfo* sheet =
            preview_.PvLabelPrinter1.Templates().FindByName(ComboBox2->currentText()))
        SpinEdit7->setMaximum(std::max(1, sheet->LabelsPerPage()));
    ShowLabelSize();
    ComposeSample(); // a picture file fits the sheet's label
}

const PvLabelTemplateInfo* LabelMaker::ChosenSheet() const {
    const PvLabelTemplateInfo* sheet =
        preview_.PvLabelPrinter1.Templates().FindByName(ComboBox2->currentText());
    return sheet ? sheet : preview_.PvLabelPrinter1.TemplateInfo();
}

void LabelMaker::ShowLabelSize() {
    const PvLabelTemplateInfo* sheet = ChosenSheet();
    if (!sheet) return;
    // The sample may be larger than the label: say how much of it prints.
    const QSize shown = ShownLabelSize(sheet->LabelWidth(), sheet->LabelHeight());
    LabelSize->setText(
        QStringLiteral("Each %1 label shows %2 x %3 pixels; what lies outside the red line is cut off.")
            .arg(sheet->Name)
            .arg(shown.width())
            .arg(shown.height()));
    Image1->update();
}

void LabelMaker::DrawLabelOutline() {
    const PvLabelTemplateInfo* sheet = ChosenSheet();
    if (!sheet) return;
    QPainter painter(Image1);
    painter.setPen(QPen(Qt::red, 0, Qt::DashLine));
    painter.drawPath(LabelOutlineOnComposition(*sheet));
}

void LabelMaker::MoveItem(int stepsRight, int stepsDown) {
    const QString item = ComboBox1->currentText();
    const std::pair<const char*, std::pair<int*, int*>> items[] = {{"Image", {&ix_, &iy_}},
                                                                   {"LDraw Number", {&lx_, &ly_}},
                                                                   {"Description", {&dx_, &dy_}},
                                                                   {"Extra Text", {&ex_, &ey_}}};
    for (const auto& [name, offset] : items)
        if (item == QLatin1String(name)) {
            *offset.first += stepsRight * SpinEdit2->value();
            *offset.second += stepsDown * SpinEdit2->value();
        }
    Label10->setText(OffsetsText());
    ComposeSample();
}

void LabelMaker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The settings were put back just before: the stored offsets come with the caption. One that is not a
    // number is reported and the window opens all the same.
    RunGuarded(preview_.Prompts(), [this] { ReadOffsets(Label10->text()); });
    Label10->setText(OffsetsText());
    RunGuarded(preview_.Prompts(), [this] {
        if (host_.LabelRowCount() > 0) {
            const LabelRow first = host_.LabelRowAt(0);
            samplePart_ = first.partNumber;
            sampleDescription_ = first.description;
        }
        RenderSample();
        const QString chosen = ComboBox2->currentText();
        const int start = SpinEdit7->value();
        const QSignalBlocker quiet(ComboBox2);
        ComboBox2->clear();
        const PvLabelTemplateList& templates = preview_.PvLabelPrinter1.Templates();
        for (int i = 0; i < templates.Count(); ++i)
            ComboBox2->addItem(templates.Items(i)->Name);
        ComboBox2->setCurrentText(chosen);
        TemplateChosen();
        SpinEdit7->setValue(start);
    });
}

void LabelMaker::Image1DblClick() {
    ldrawscale->SetPosition(2);
    xrot->SetPosition(-45);
    yrot->SetPosition(35);
    zrot->SetPosition(-30);
    RenderSample();
    ComposeSample();
}

void LabelMaker::BitBtn2Click() {
    if (host_.LabelRowCount() == 0) {
        preview_.Prompts().Show(
            QStringLiteral("You need to have items in your inventory list before making labels."));
        return;
    }
    setCursor(Qt::WaitCursor);
    preview_.Label1->setText(ComboBox2->currentText());
    preview_.exec();
    unsetCursor();
    accept();
}

void LabelMaker::RenderSample() {
    RenderPartPicture(samplePart_, 7);
}

void LabelMaker::ComposeSample() {
    ComposeLabel(samplePart_, sampleDescription_);
}

void LabelMaker::ComposeTyped() {
    if (isVisible())
        ComposeLabel(QStringLiteral("32269"), QStringLiteral("Technic Gear 20 Tooth Double Bevel"));
}

void LabelMaker::BeginLabelRun() {
    renders_.clear();
    renderIndex_.clear();
}

LabelMaker::PartPicture LabelMaker::RenderedPicture(const QString& partNumber, int colour) {
    const LabelPicture choice = host_.LabelPictureFor(partNumber);
    if (choice.kind == LabelPicture::PictureFile) {
        try {
            const QImage file = PictureRegistry::Load(choice.file)->ToImage();
            // Kept no larger than the square: it is never drawn larger.
            if (file.width() <= kPictureSide && file.height() <= kPictureSide) return {file, true};
            return {file.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio, Qt::SmoothTransformation),
                    true};
        } catch (const std::exception&) {
            return {WhiteSquare()};
        }
    }
    QImage picture = WhiteSquare();
    if (choice.kind == LabelPicture::LDrawPart) {
        renderer_.SetLibrary(choice.library);
        const LDrawView view{colour,
                             float(ldrawscale->Position()) * 0.5f,
                             float(xrot->Position()) * kDegree,
                             float(yrot->Position()) * kDegree,
                             float(zrot->Position()) * kDegree,
                             {}};
        // A part the renderer cannot read keeps the white picture.
        if (!renderer_.RenderPicture(choice.file, view, picture)) picture.fill(Qt::white);
        renderer_.FreeTarget();
    }
    return {picture};
}

void LabelMaker::RenderPartPicture(const QString& partNumber, int colour) {
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6")
                            .arg(partNumber)
                            .arg(colour)
                            .arg(ldrawscale->Position())
                            .arg(xrot->Position())
                            .arg(yrot->Position())
                            .arg(zrot->Position());
    if (auto hit = renderIndex_.find(key); hit != renderIndex_.end()) {
        renders_.splice(renders_.begin(), renders_, hit->second);
        picture_ = hit->second->second;
        return;
    }
    picture_ = RenderedPicture(partNumber, colour);
    renders_.emplace_front(key, picture_);
    renderIndex_[key] = renders_.begin();
    if (renders_.size() > kKeptRenders) {
        renderIndex_.erase(renders_.back().first);
        renders_.pop_back();
    }
}

void LabelMaker::DrawPicture(QImage& label) const {
    QPainter painter(&label);
    if (!picture_.file) {
        painter.drawImage(ix_, iy_, picture_.image);
        return;
    }
    // What the label shows of the square: its part inside the composition and the chosen sheet's outline.
    QPainterPath shown;
    shown.addRect(label.rect() & QRect(ix_, iy_, kPictureSide, kPictureSide));
    if (const PvLabelTemplateInfo* sheet = ChosenSheet())
        shown = shown.intersected(LabelOutlineOnComposition(*sheet));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(FittedRect(picture_.image.size(), shown), picture_.image);
}

void LabelMaker::DrawText(QImage& label, const TextItem& item, const QString& text, int x, int y) const {
    if (!item.check->isChecked()) return;
    QPainter painter(&label);
    QFont font(item.font->FontName());
    // Points on a 96 pixels-per-inch screen, as the label's pixels are.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(item.size->value() * 96.0 / 72.0))));
    font.setBold(item.bold->isChecked());
    painter.setFont(font);
    painter.setPen(QColor::fromRgb(ClassicColorToRgb(item.colour->ColorValue())));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

void LabelMaker::ComposeLabel(const QString& partNumber, const QString& description) {
    // Composed whether shown or not: the preview asks for labels while this window waits behind it.
    const int width = SpinEdit1->value(), height = SpinEdit3->value();
    Image1->resize(width, height);
    label_ = QImage(width, height, QImage::Format_RGB32);
    label_.fill(Qt::white); // nothing of the previous label may show through
    DrawPicture(label_);
    DrawText(label_, {CheckBox2, zcFontComboBox1, SpinEdit6, zcColorComboBox2, CheckBox3}, description, dx_,
             dy_);
    DrawText(label_, {CheckBox1, zcFontComboBox3, SpinEdit5, zcColorComboBox4, CheckBox4}, partNumber, lx_,
             ly_);
    DrawText(label_, {CheckBox5, zcFontComboBox2, SpinEdit4, zcColorComboBox3, CheckBox6}, Edit1->text(), ex_,
             ey_);
    Image1->Bitmap().AssignImage(label_, false);
}

void LabelMaker::ComposeLabelForRow(int n) {
    const LabelRow row = host_.LabelRowAt(n - 1);
    RenderPartPicture(row.partNumber, row.ldrawColour);
    ComposeLabel(row.partNumber, row.description);
}
