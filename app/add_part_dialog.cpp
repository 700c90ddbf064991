#include "app/add_part_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <functional>

#include "app/inventory_fields.h"
#include "app/inventory_model.h"
#include "app/named_widgets.h"
#include "platform/ui.h"
#include "platform/user_prompts.h"

namespace {

constexpr int kSwatchColumns = 16;
constexpr int kSwatchPitch = 22;
constexpr int kSwatchSize = 20;
constexpr int kDescriptionHeight = 32; // two lines

// A colour square that reports clicks.
class Swatch : public QLabel {
  public:
    using QLabel::QLabel;
    std::function<void()> onClick;

  protected:
    void mousePressEvent(QMouseEvent* event) override {
        QLabel::mousePressEvent(event);
        if (event->button() == Qt::LeftButton && onClick) onClick();
    }
};

// The colour filled in; a transparent colour gets a grey checkerboard over it.
QPixmap ColourPicture(QSize size, QColor colour, bool transparent) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    if (transparent)
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                if ((x + y) % 2 == 0) image.setPixel(x, y, 0xFFAAAAAA);
    return QPixmap::fromImage(image);
}

template <typename T, typename... Args>
T* Make(QWidget* parent, const char* name, QRect geometry, Args&&... args) {
    T* widget = MakeNamed<T>(parent, name, std::forward<Args>(args)...);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

AddPartDialog::AddPartDialog(UserPrompts& prompts, const ColorTable& colours, InventoryModel& inventory,
                             QWidget* parent)
    : QDialog(parent), prompts_(prompts), colours_(colours), inventory_(inventory) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Add to Inventory"));
    CreateControls();
    FillSwatches();
}

void AddPartDialog::CreateControls() {
    for (int slot = 0; slot < ColorTable::kSlots; ++slot) {
        // Image3281 is the preview, so the swatch numbers skip 81.
        const int number = slot + 1 < 81 ? slot + 1 : slot + 2;
        const QByteArray name = "Image32" + QByteArray::number(number);
        auto* swatch =
            Make<Swatch>(this, name.constData(),
                         QRect(8 + slot % kSwatchColumns * kSwatchPitch,
                               8 + slot / kSwatchColumns * kSwatchPitch, kSwatchSize, kSwatchSize));
        swatch->onClick = [this, slot] { Image321Click(slot); };
        Swatches[static_cast<size_t>(slot)] = swatch;
    }
    const int below = 8 + ColorTable::kSlots / kSwatchColumns * kSwatchPitch;
    Image3281 = Make<QLabel>(this, "Image3281", QRect(8, below + 8, 110, 14));
    ComboBox1 = Make<QComboBox>(this, "ComboBox1", QRect(126, below + 4, 160, 22));
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setMaxVisibleItems(36);
    connect(ComboBox1, &QComboBox::currentTextChanged, this,
            Guarded(prompts_, [this] { ComboBox1Change(); }));

    const int top = below + 34;
    PN = MakePlainLabel(this, "PN", QString(), QRect(8, top, 350, 16));
    QFont bold = PN->font();
    bold.setBold(true);
    PN->setFont(bold);
    DES = MakePlainLabel(this, "DES", QString(), QRect(8, top + 18, 350, kDescriptionHeight));
    DES->setWordWrap(true);
    Label4 = MakePlainLabel(this, "Label4", QStringLiteral("Part #"), QRect(8, top + 2, 40, 16));
    Edit3 = Make<QLineEdit>(this, "Edit3", QRect(52, top, 120, 22));
    Label5 = MakePlainLabel(this, "Label5", QStringLiteral("Desc"), QRect(8, top + 28, 40, 16));
    Edit4 = Make<QLineEdit>(this, "Edit4", QRect(52, top + 26, 306, 22));

    const int entry = top + 58;
    MakePlainLabel(this, "QuantityLabel", QStringLiteral("Quantity"), QRect(8, entry + 3, 56, 16));
    Edit2 = Make<QLineEdit>(this, "Edit2", QRect(66, entry, 60, 22), QStringLiteral("1"));
    Edit2->setValidator(MakeQuantityValidator(Edit2));
    MakePlainLabel(this, "BagLabel", QStringLiteral("Bag"), QRect(140, entry + 3, 30, 16));
    Edit1 = Make<QLineEdit>(this, "Edit1", QRect(172, entry, 50, 22));
    Edit1->setValidator(MakeQuantityValidator(Edit1));
    MakePlainLabel(this, "NotesLabel", QStringLiteral("Notes"), QRect(8, entry + 28, 56, 16));
    Memo1 = Make<QPlainTextEdit>(this, "Memo1", QRect(66, entry + 28, 292, 50));

    const int bottom = entry + 86;
    CheckBox1 =
        Make<QCheckBox>(this, "CheckBox1", QRect(8, bottom + 4, 110, 20), QStringLiteral("Enter = OK"));
    BitBtn1 = Make<QPushButton>(this, "BitBtn1", QRect(196, bottom, 78, 28), QStringLiteral("Cancel"));
    BitBtn2 = Make<QPushButton>(this, "BitBtn2", QRect(280, bottom, 78, 28), QStringLiteral("OK"));
    // Enter presses OK only when the box asks for it.
    for (QPushButton* button : {BitBtn1, BitBtn2})
        button->setAutoDefault(false);
    connect(CheckBox1, &QCheckBox::toggled, BitBtn2, &QPushButton::setDefault); // unguarded: Qt's own slot
    connect(BitBtn1, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn1Click(); }));
    connect(BitBtn2, &QPushButton::clicked, this, Guarded(prompts_, [this] { BitBtn2Click(); }));
    setFixedSize(366, bottom + 36);
    SetUndefinedMode(false);
}

void AddPartDialog::FillSwatches() {
    QStringList names;
    for (int row = 0; row < colours_.RowCount(); ++row) {
        const QString name = colours_.Field(row, 1);
        QLabel* swatch = Swatches[static_cast<size_t>(row)];
        swatch->setToolTip(name);
        swatch->setPixmap(
            ColourPicture(swatch->size(), colours_.DisplayColour(row), colours_.IsTransparent(row)));
        names.append(name);
    }
    names.sort(Qt::CaseInsensitive);
    const QSignalBlocker quiet(ComboBox1);
    ComboBox1->addItems(names);
    ComboBox1->setCurrentIndex(-1);
}

void AddPartDialog::SetUndefinedMode(bool undefined) {
    undefined_ = undefined;
    for (QWidget* widget : std::initializer_list<QWidget*>{Edit3, Edit4, Label4, Label5})
        widget->setVisible(undefined);
    PN->setVisible(!undefined);
    DES->setVisible(!undefined);
}

void AddPartDialog::ShowPartDialog(const QString& partNumber, const QString& description) {
    PN->setText(partNumber);
    DES->setText(description);
    FitDescription();
    exec();
}

void AddPartDialog::ShowUndefinedPartDialog() {
    SetUndefinedMode(true);
    DES->clear();
    FitDescription();
    exec();
}

// A long description is shown whole: its label grows and what stands below it moves down with the window.
void AddPartDialog::FitDescription() {
    const int wanted = std::max(kDescriptionHeight, DES->heightForWidth(DES->width()));
    const int shift = wanted - DES->height();
    if (shift == 0) return;
    const int oldBottom = DES->y() + DES->height();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        if (child->y() >= oldBottom) child->move(child->x(), child->y() + shift);
    DES->resize(DES->width(), wanted);
    setFixedSize(width(), height() + shift);
}

void AddPartDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    Edit2->setFocus();
    Edit2->selectAll();
    Memo1->clear();
}

void AddPartDialog::ShowPreview(int slot) {
    Image3281->setPixmap(
        ColourPicture(Image3281->size(), colours_.DisplayColour(slot), colours_.IsTransparent(slot)));
}

void AddPartDialog::Image321Click(int slot) {
    if (slot < 0 || slot >= colours_.RowCount()) return;
    ComboBox1->setCurrentText(colours_.Field(slot, 1));
    ShowPreview(slot);
}

void AddPartDialog::ComboBox1Change() {
    const int slot = colours_.ColourIndexByName(ComboBox1->currentText());
    if (slot >= 0) ShowPreview(slot);
}

void AddPartDialog::BitBtn2Click() {
    // Typed text may hold TAB or line ends; they would split the row in a saved file.
    const QString partNumber = undefined_ ? TabFileCell(Edit3->text()) : PN->text();
    const QString description = undefined_ ? TabFileCell(Edit4->text()) : DES->text();
    inventory_.AddInventoryRow(partNumber, description, TabFileCell(ComboBox1->currentText()), Edit2->text(),
                               Edit1->text(), TabFileCell(Memo1->toPlainText()));
    inventory_.SetModified(true);
    emit RowAdded();
    accept();
}

void AddPartDialog::BitBtn1Click() {
    reject();
}

void AddPartDialog::done(int result) {
    SetUndefinedMode(false);
    QDialog::done(result);
}
