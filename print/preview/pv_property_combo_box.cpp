#include "print/preview/pv_property_combo_box.h"
#include "ui/controls/combo_items.h"
#include "ui/controls/owner_draw_combo.h"

#include <QPainter>

namespace {

enum GlyphKind { EnvelopeGlyph, PaperGlyph, PrinterGlyph };

const QPixmap& GlyphPixmap(int kind) {
    static const auto make = [](int which) {
        QPixmap pixmap(16, 16);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setPen(Qt::black);
        p.setBrush(Qt::white);
        if (which == EnvelopeGlyph) {
            p.drawRect(1, 3, 13, 9);
            p.drawLine(1, 3, 8, 8);
            p.drawLine(14, 3, 8, 8);
        } else if (which == PaperGlyph) {
            p.drawRect(3, 1, 9, 13);
            p.drawLine(5, 4, 10, 4);
            p.drawLine(5, 7, 10, 7);
        } else {
            p.drawRect(4, 1, 7, 5);
            p.setBrush(Qt::lightGray);
            p.drawRect(1, 6, 13, 6);
            p.setBrush(Qt::white);
            p.drawRect(4, 10, 7, 4);
        }
        return pixmap;
    };
    static const QPixmap glyphs[] = {make(EnvelopeGlyph), make(PaperGlyph), make(PrinterGlyph)};
    return glyphs[kind];
}

int GlyphFor(const QString& item, PvPreviewProperty property) {
    if (property == pvPrinterList) return PrinterGlyph;
    static const QStringList envelopes = {"B5",          "C5",          "B4",          "Envelope_09",
                                          "Envelope_10", "Envelope_11", "Envelope_12", "Envelope_14"};
    return envelopes.contains(item) ? EnvelopeGlyph : PaperGlyph;
}

void PaintItem(QPainter& painter, const QRect& rect, const QString& text, PvPreviewProperty property) {
    painter.drawPixmap(rect.left() + 6, rect.top() + (rect.height() - 16) / 2,
                       GlyphPixmap(GlyphFor(text, property)));
    painter.drawText(rect.adjusted(24, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace

PvPropertyComboBox::PvPropertyComboBox(QWidget* parent) : QComboBox(parent) {
    setItemDelegate(new OwnerDrawDelegate(
        this,
        [this](QPainter& painter, const QRect& rect, const QModelIndex& index, const QColor&) {
            PaintItem(painter, rect, index.data().toString(), property_);
        },
        20, 24));
    // unguarded: sets a property of the linked preview only
    connect(this, &QComboBox::activated, this, &PvPropertyComboBox::Chose);
}

void PvPropertyComboBox::SetPreviewProperty(PvPreviewProperty property) {
    property_ = property;
    Fill();
}

void PvPropertyComboBox::PreviewSet() {
    // The printers arrive when the print system answers, which may be long after the list is first filled.
    if (PvPreview* preview = Preview())
        // unguarded: fills the list only
        connect(&preview->Printer().Lookup(), &PrinterLookup::Answered, this, &PvPropertyComboBox::Fill,
                Qt::UniqueConnection);
    Fill();
}

void PvPropertyComboBox::Fill() {
    PvPreview* preview = Preview();
    QStringList items;
    if (preview)
        for (const QString& item :
             property_ == pvPaperList ? PaperSizeNames() : preview->Printer().PrinterNames()) {
            bool add = true;
            if (OnAddItem) OnAddItem(item, add);
            if (add) items << item;
        }
    const QString current = !preview                   ? QString()
                            : property_ == pvPaperList ? PaperSizeNames().value(preview->PaperSize())
                                                       : preview->Printer().PrinterName();
    filling_ = true;
    ShowComboItems(*this, items, current);
    filling_ = false;
}

void PvPropertyComboBox::Chose(int index) {
    PvPreview* preview = Preview();
    if (filling_ || !preview || index < 0) return;
    const QString item = itemText(index);
    if (property_ == pvPaperList) {
        const qsizetype paper = PaperSizeNames().indexOf(item);
        if (paper >= 0) preview->SetPaperSize(static_cast<PvPaperSize>(paper));
    } else {
        preview->Printer().SetPrinterName(item);
    }
}

void PvPropertyComboBox::PreviewNotice(int notice) {
    if (notice == pvnPaperSize || notice == pvnMargins || notice == pvnPrinter) Fill();
}

void PvPropertyComboBox::paintEvent(QPaintEvent*) {
    PaintOwnerDrawCombo(*this, [this](QPainter& painter, const QRect& field) {
        PaintItem(painter, field, currentText(), property_);
    });
}
