#include "print/report/page_store.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "platform/print/print_device.h"
#include "print/report/flood_fill.h"
#include "print/report/text_measure.h"

namespace {

// Whether the painter draws on pixels that can be read back and combined with raster operations.
bool HasPixels(const QPainter& painter) {
    if (painter.device()->devType() != QInternal::Image) return false;
    const QImage::Format format = static_cast<const QImage*>(painter.device())->format();
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

// Where a page that started as blank paper may have ink, in device pixels: a white box that meets none of it
// covers nothing but paper.
class PaperInk {
  public:
    explicit PaperInk(bool blank) : anywhere_(!blank) {}

    void Add(const QRectF& ink) {
        if (ink.isEmpty()) return;
        inks_.push_back(ink);
        bottom_ = std::max(bottom_, ink.bottom());
    }
    void AddAnywhere() { anywhere_ = true; }

    bool Meets(const QRectF& box) const {
        if (anywhere_) return true;
        if (box.top() >= bottom_ - kTouch) return false; // a page is mostly drawn downwards
        return std::any_of(inks_.begin(), inks_.end(), [&](const QRectF& ink) {
            return ink.left() < box.right() - kTouch && ink.right() > box.left() + kTouch &&
                   ink.top() < box.bottom() - kTouch && ink.bottom() > box.top() + kTouch;
        });
    }

  private:
    // Glyphs are placed to 1/64 pixel: ink that reaches no further into a box only touches it.
    static constexpr double kTouch = 1.0 / 64;
    bool anywhere_;
    std::vector<QRectF> inks_;
    double bottom_ = -std::numeric_limits<double>::infinity();
};

// Draws one page's commands, keeping the drawing state they change.
class Replayer {
  public:
    Replayer(QPainter& painter, const RpReplayOptions& options, int number, int count, GlyphInk& glyphs)
        : painter_(painter), options_(options), number_(number), count_(count),
          dpiX_(painter.device()->logicalDpiX()), dpiY_(painter.device()->logicalDpiY()), glyphs_(glyphs),
          ink_(options.BlankPaper) {}

    void Start(const RpPageList& page) {
        const RpDrawState& state = page.Initial;
        layout_ = page.InitialLayout;
        SelectFont(state.Font);
        penColor_ = state.PenColor;
        penWidth_ = state.PenWidth;
        penStyle_ = static_cast<Qt::PenStyle>(state.PenStyle);
        penMode_ = static_cast<PenMode>(state.PenMode);
        brush_ = QBrush(QColor::fromRgb(state.BrushColor), static_cast<Qt::BrushStyle>(state.BrushStyle));
        penPos_ = Px(state.PenPos);
        ApplyPen();
    }

    const RpLayoutState& Layout() const { return layout_; }

    void Draw(const RpPrintCommand& command) {
        if (!std::holds_alternative<RpText>(command)) FlushTexts();
        std::visit(*this, command);
    }

    // Draws the texts still held back.
    void FlushTexts() {
        FillBoxes();
        for (const HeldText& held : held_) {
            if (!penIsText_ || painter_.pen().color() != held.Color) painter_.setPen(held.Color);
            penIsText_ = true;
            painter_.drawText(held.Baseline, held.Text);
            if (held.Ink)
                ink_.Add(held.Ink->translated(held.Baseline));
            else
                ink_.AddAnywhere();
        }
        held_.clear();
    }

    void operator()(const RpText& text) {
        DrawText(text.At, text.Text, text.Advance / TextMeasure::kDpi, text.Brush, text.Opaque);
        layout_.CurrentLine = Reference(text.At.y());
        layout_.CurrentX = Reference(text.At.x()) + static_cast<int>(text.Advance);
    }

    void operator()(const RpPageNumber& number) {
        const RpInfoLine& line = layout_.PageNumber;
        QString text = FormatPageNumber(line.Text, number_);
        if (layout_.ShowTotal) text += QStringLiteral(" of ") + QString::number(count_);
        const RpFont kept = font_;
        SelectFont(line.Font);
        const double width = metrics_->horizontalAdvance(text) / dpiX_;
        const double left = Inches(layout_.MarginLeft), right = Inches(layout_.MarginRight);
        const double x = line.Alignment == 1   ? (left + right) / 2 - width / 2
                         : line.Alignment == 2 ? right - width
                                               : left;
        DrawText(QPointF(x, Inches(line.Y)), text, width, number.Brush, number.Opaque);
        FlushTexts(); // in its own font
        SelectFont(kept);
    }

    void operator()(const RpLayout& command) {
        RpLayoutState& state = layout_;
        switch (command.Code) {
        case RpCode::NextLine:
            state.NextLine(LineHeight());
            break;
        case RpCode::Detail:
            state.SetDetail(command.A, command.B, LineHeight());
            break;
        case RpCode::Margins:
            state.MarginLeft = command.A;
            state.MarginRight = command.B;
            break;
        case RpCode::Tab:
            state.Tab = command.A;
            break;
        case RpCode::TopOfPage:
            state.TopOfPage();
            break;
        case RpCode::SetY:
            state.CurrentLine = command.A;
            break;
        case RpCode::Column:
            state.Columns[static_cast<size_t>(command.Index - 1)] = {command.A, command.B};
            break;
        case RpCode::AutoPagingOn:
        case RpCode::AutoPagingOff:
            state.AutoPaging = command.Code == RpCode::AutoPagingOn;
            break;
        case RpCode::SaveY:
            state.Lines.Push(state.CurrentLine);
            break;
        case RpCode::RestoreY:
            state.RestoreLine();
            break;
        case RpCode::Measure:
            state.Measurement = static_cast<uint8_t>(command.A);
            break;
        default:
            break;
        }
    }

    void operator()(const RpInfo& command) {
        if (command.Code == RpCode::PageNumberInf) {
            layout_.PageNumber = command.Line;
            layout_.ShowTotal = command.ShowTotal;
        } else {
            auto& lines = command.Code == RpCode::HeaderInf ? layout_.Header : layout_.Footer;
            lines[static_cast<size_t>(command.Index - 1)] = command.Line;
        }
    }

    void operator()(const RpBoxDim& command) {
        (command.Code == RpCode::HeaderDim ? layout_.HeaderBox : layout_.FooterBox) = command.Box;
    }

    void operator()(const RpFloodFill& fill) {
        ink_.AddAnywhere();
        if (penMode_ == pmNop || !HasPixels(painter_)) return;
        auto& image = static_cast<QImage&>(*painter_.device());
        const QPoint seed = painter_.deviceTransform().map(Px(fill.At)).toPoint();
        const QRegion region = FloodRegion(image, seed, fill.Color, fill.Style == fsBorder);
        if (region.isEmpty()) return;
        SavedPainter guard(painter_);
        painter_.resetTransform();
        painter_.setClipRegion(region);
        QBrush brush = brush_;
        if (const std::optional<QColor> color = ModeColor(brush.color())) brush.setColor(*color);
        painter_.setCompositionMode(CompositionFor(penMode_));
        painter_.fillRect(region.boundingRect(), brush);
    }

    void operator()(const RpShape& shape) {
        ink_.AddAnywhere();
        if (penMode_ == pmNop) {
            if (shape.Code == RpCode::Line || shape.Code == RpCode::MoveTo || shape.Code == RpCode::LineTo)
                penPos_ = Px(shape.Points.back());
            return;
        }
        if (penIsText_) ApplyPen();
        ModeGuard mode(*this);
        std::vector<QPointF> points;
        points.reserve(shape.Points.size());
        for (const QPointF& point : shape.Points)
            points.push_back(Px(point));
        const auto rect = [&] { return QRectF(points[0], points[1]).normalized(); };
        switch (shape.Code) {
        case RpCode::Line:
            painter_.drawLine(points[0], points[1]);
            penPos_ = points[1];
            break;
        case RpCode::MoveTo:
            penPos_ = points[0];
            break;
        case RpCode::LineTo:
            painter_.drawLine(penPos_, points[0]);
            penPos_ = points[0];
            break;
        case RpCode::Ellipse:
            painter_.drawEllipse(rect());
            break;
        case RpCode::FillRect:
            painter_.fillRect(rect(), painter_.brush());
            break;
        case RpCode::FrameRect: {
            SavedPainter guard(painter_);
            painter_.setPen(QPen(ModeColor(brush_.color()).value_or(brush_.color()), 0));
            painter_.setBrush(Qt::NoBrush);
            painter_.drawRect(rect());
            break;
        }
        case RpCode::Arc:
        case RpCode::Pie: {
            const QRectF box = rect();
            const int start = Angle(box, points[2]);
            int span = Angle(box, points[3]) - start;
            if (span <= 0) span += 360 * 16;
            if (shape.Code == RpCode::Arc)
                painter_.drawArc(box, start, span);
            else
                painter_.drawPie(box, start, span);
            break;
        }
        case RpCode::PolyLine:
            painter_.drawPolyline(points.data(), static_cast<int>(points.size()));
            break;
        case RpCode::Polygon:
            painter_.drawPolygon(points.data(), static_cast<int>(points.size()));
            break;
        default:
            break;
        }
    }

    void operator()(const RpGraphic& graphic) {
        ink_.AddAnywhere();
        if (penIsText_) ApplyPen();
        painter_.drawImage(QRectF(Px(graphic.Target.topLeft()), Px(graphic.Target.bottomRight())),
                           graphic.Picture);
    }

    void operator()(const RpSetting& setting) {
        switch (setting.Code) {
        case RpCode::Font:
            SelectFont(setting.Font);
            break;
        case RpCode::FColor:
            font_.Color = setting.Value;
            break;
        case RpCode::LineWidth:
            penWidth_ = setting.Value;
            break;
        case RpCode::PColor:
            penColor_ = setting.Value;
            break;
        case RpCode::PStyle:
            penStyle_ = static_cast<Qt::PenStyle>(setting.Value);
            break;
        case RpCode::PMode:
            penMode_ = static_cast<PenMode>(setting.Value);
            break;
        case RpCode::BColor:
            brush_.setColor(QColor::fromRgb(setting.Value));
            break;
        case RpCode::BrushStyle:
            brush_.setStyle(static_cast<Qt::BrushStyle>(setting.Value));
            break;
        default:
            break;
        }
        ApplyPen();
    }

  private:
    // A GDI-style protection of the painter's state for one command.
    class SavedPainter {
      public:
        explicit SavedPainter(QPainter& painter) : painter_(painter) { painter_.save(); }
        ~SavedPainter() { painter_.restore(); }

      private:
        QPainter& painter_;
    };

    QPointF Px(QPointF inches) const { return {inches.x() * dpiX_, inches.y() * dpiY_}; }
    static int Reference(double inches) { return static_cast<int>(std::lround(inches * TextMeasure::kDpi)); }
    static double Inches(int reference) { return reference / double(TextMeasure::kDpi); }
    int LineHeight() const { return measure_.LineHeight(); }

    // The colour the pen mode makes of `color` when the result does not depend on what is drawn already.
    std::optional<QColor> ModeColor(QColor color) const {
        switch (penMode_) {
        case pmBlack:
            return QColor(Qt::black);
        case pmWhite:
            return QColor(Qt::white);
        case pmNotCopy:
            return QColor::fromRgb(~color.rgb() | 0xff000000u);
        default:
            return std::nullopt;
        }
    }

    // The painter's raster operation for a pen mode; the others draw as copy, in their own colour.
    static QPainter::CompositionMode CompositionFor(PenMode mode) {
        switch (mode) {
        case pmNot:
            return QPainter::RasterOp_NotDestination;
        case pmMergePenNot:
            return QPainter::RasterOp_SourceOrNotDestination;
        case pmMaskPenNot:
            return QPainter::RasterOp_SourceAndNotDestination;
        case pmMergeNotPen:
            return QPainter::RasterOp_NotSourceOrDestination;
        case pmMaskNotPen:
            return QPainter::RasterOp_NotSourceAndDestination;
        case pmMerge:
            return QPainter::RasterOp_SourceOrDestination;
        case pmNotMerge:
            return QPainter::RasterOp_NotSourceAndNotDestination;
        case pmMask:
            return QPainter::RasterOp_SourceAndDestination;
        case pmNotMask:
            return QPainter::RasterOp_NotSourceOrNotDestination;
        case pmXor:
            return QPainter::RasterOp_SourceXorDestination;
        case pmNotXor:
            return QPainter::RasterOp_NotSourceXorDestination;
        default:
            return QPainter::CompositionMode_SourceOver;
        }
    }

    // A shape drawn in the pen mode: its colours or its raster operation.
    class ModeGuard {
      public:
        explicit ModeGuard(Replayer& replayer)
            : painter_(replayer.painter_), active_(replayer.penMode_ != pmCopy) {
            if (!active_) return;
            painter_.save();
            QPen pen = painter_.pen();
            QBrush brush = painter_.brush();
            if (const std::optional<QColor> color = replayer.ModeColor(pen.color())) {
                pen.setColor(*color);
                brush.setColor(*replayer.ModeColor(brush.color()));
            } else if (ReadsPixels(replayer.penMode_)) {
                painter_.setCompositionMode(CompositionFor(replayer.penMode_));
            }
            painter_.setPen(pen);
            painter_.setBrush(brush);
        }
        ~ModeGuard() {
            if (active_) painter_.restore();
        }
        ModeGuard(const ModeGuard&) = delete;
        ModeGuard& operator=(const ModeGuard&) = delete;

      private:
        QPainter& painter_;
        bool active_;
    };

    // The angle of the radial through `point`, in the ellipse's own terms and sixteenths of a degree.
    static int Angle(const QRectF& box, QPointF point) {
        const QPointF centre = box.center();
        const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
        const double radians = std::atan2(-(point.y() - centre.y()) / ry, (point.x() - centre.x()) / rx);
        return static_cast<int>(std::lround(radians * 180 / std::numbers::pi * 16));
    }

    void SelectFont(const RpFont& font) {
        font_ = font;
        measure_.SetFont(font);
        const QFont qfont = ToQFont(font);
        painter_.setFont(qfont);
        metrics_.emplace(qfont, painter_.device());
        if (options_.BlankPaper) glyphs_.SetFont(qfont, *painter_.device());
    }

    void ApplyPen() {
        penIsText_ = false;
        painter_.setPen(QPen(QColor::fromRgb(penColor_), penWidth_ * dpiX_ / 72, penStyle_));
        painter_.setBrush(brush_);
    }

    // The boxes of the held texts; a white box on blank paper only where it would cover ink drawn before. A
    // printer's or PDF file's painter fills a box by changing pen and brush and back again, each change
    // written out: there the boxes are filled as one shape.
    void FillBoxes() {
        std::vector<const HeldText*> filled;
        for (const HeldText& held : held_)
            if (held.Opaque && (held.Brush != QColor(Qt::white) || ink_.Meets(held.Box)))
                filled.push_back(&held);
        for (const HeldText* held : filled)
            if (held->Brush != QColor(Qt::white)) ink_.Add(held->Box);
        if (filled.empty()) return;
        if (painter_.paintEngine()->isExtended()) {
            for (const HeldText* held : filled)
                painter_.fillRect(held->Box, held->Brush);
            return;
        }
        std::vector<QRectF> boxes;
        for (const HeldText* held : filled)
            boxes.push_back(held->Box);
        SavedPainter guard(painter_);
        painter_.setPen(Qt::NoPen);
        painter_.setBrush(held_.front().Brush);
        painter_.drawRects(boxes.data(), static_cast<int>(boxes.size()));
    }

    // `width` in inches. Texts side by side are held back and drawn together, their boxes first, so that a
    // printer changes between box and text colours once for a line and not twice for every text. Only texts
    // well clear of each other go together, so that no box covers another's text; any other command draws
    // the held texts first, so those held share one box colour.
    void DrawText(QPointF at, const QString& text, double width, QRgb brush, bool opaque) {
        const QRectF& area = options_.Printable;
        const QPointF inside(std::max(at.x(), area.left()), std::clamp(at.y(), area.top(), area.bottom()));
        const QPointF topLeft = Px(inside);
        const QColor color = options_.FontColors ? QColor::fromRgb(font_.Color) : QColor(Qt::black);
        HeldText held{QRectF(topLeft, QSizeF(width * dpiX_, metrics_->height())),
                      topLeft + QPointF(0, metrics_->ascent()),
                      text,
                      color,
                      QColor::fromRgb(brush),
                      opaque,
                      options_.BlankPaper ? glyphs_.Bounds(text) : std::nullopt};
        if (held_.size() == kMaxHeld || !std::all_of(held_.begin(), held_.end(), [&](const HeldText& other) {
                return WellApart(held.Box, other.Box);
            }))
            FlushTexts();
        held_.push_back(std::move(held));
    }

    // Apart by more than a line's height, which no glyph reaches beyond its advance.
    static bool WellApart(const QRectF& a, const QRectF& b) {
        const double margin = std::max(a.height(), b.height());
        return a.left() >= b.right() + margin || b.left() >= a.right() + margin;
    }

    struct HeldText {
        QRectF Box;
        QPointF Baseline;
        QString Text;
        QColor Color;
        QColor Brush;
        bool Opaque;
        std::optional<QRectF> Ink; // from the baseline; nothing where it is not known
    };
    static constexpr size_t kMaxHeld = 32;

    QPainter& painter_;
    const RpReplayOptions& options_;
    int number_;
    int count_;
    double dpiX_;
    double dpiY_;
    RpFont font_;
    std::optional<QFontMetricsF> metrics_;
    QRgb penColor_ = 0;
    double penWidth_ = 0;
    Qt::PenStyle penStyle_ = Qt::SolidLine;
    PenMode penMode_ = pmCopy;
    QBrush brush_;
    RpLayoutState layout_;
    TextMeasure measure_;
    QPointF penPos_;
    bool penIsText_ = false; // the painter's pen is the text colour, not the drawing pen
    std::vector<HeldText> held_;
    GlyphInk& glyphs_;
    PaperInk ink_;
};

} // namespace

bool ReadsPixels(PenMode mode) {
    return mode != pmBlack && mode != pmWhite && mode != pmNop && mode != pmCopy && mode != pmNotCopy;
}

void RpPageList::Add(RpPrintCommand command) {
    if (std::holds_alternative<RpFloodFill>(command)) readsPixels_ = true;
    if (const auto* setting = std::get_if<RpSetting>(&command);
        setting && setting->Code == RpCode::PMode && ::ReadsPixels(static_cast<PenMode>(setting->Value)))
        readsPixels_ = true;
    commands_.push_back(std::move(command));
}

void RpPages::NewPage(const RpDrawState& initial, const RpLayoutState& layout) {
    pages_.push_back(std::make_unique<RpPageList>(initial, layout));
}

void RpPages::Add(RpPrintCommand command) {
    if (!pages_.empty()) pages_.back()->Add(std::move(command));
}

const RpPageList* RpPages::Page(int number) const {
    return number >= 1 && number <= Count() ? pages_[static_cast<size_t>(number - 1)].get() : nullptr;
}

RpLayoutState RpPages::ReplayPage(int number, QPainter& painter, const RpReplayOptions& options) const {
    const RpPageList* page = Page(number);
    if (!page) return {};
    if (page->ReadsPixels() && !HasPixels(painter))
        return ReplayThroughPicture(*page, number, painter, options);
    return Replay(*page, number, painter, options);
}

RpLayoutState RpPages::Replay(const RpPageList& page, int number, QPainter& painter,
                              const RpReplayOptions& options) const {
    // Fills look for exact colours and raster operations combine whole pixels: no blended edges.
    if (page.ReadsPixels()) painter.setRenderHint(QPainter::Antialiasing, false);
    Replayer replayer(painter, options, number, Count(), glyphInk_);
    replayer.Start(page);
    for (const RpPrintCommand& command : page.Commands())
        replayer.Draw(command);
    replayer.FlushTexts();
    return replayer.Layout();
}

RpLayoutState RpPages::ReplayThroughPicture(const RpPageList& page, int number, QPainter& painter,
                                            const RpReplayOptions& options) const {
    const QPaintDevice& device = *painter.device();
    const double dpiX = device.logicalDpiX(), dpiY = device.logicalDpiY();
    const double scale = std::min(1.0, kPixelDpi / std::max(dpiX, dpiY));
    const QSize size(static_cast<int>(std::ceil(device.width() * scale)),
                     static_cast<int>(std::ceil(device.height() * scale)));
    QImage sheet(size, QImage::Format_RGB32);
    if (sheet.isNull()) throw EPrintError("Not enough memory to draw the page as a picture.");
    sheet.setDotsPerMeterX(static_cast<int>(std::lround(dpiX * scale / 0.0254)));
    sheet.setDotsPerMeterY(static_cast<int>(std::lround(dpiY * scale / 0.0254)));
    sheet.fill(Qt::white);
    RpLayoutState layout;
    {
        QPainter picture(&sheet);
        picture.setRenderHints(painter.renderHints());
        layout = Replay(page, number, picture, options);
    }
    painter.drawImage(QRectF(0, 0, device.width(), device.height()), sheet);
    return layout;
}

QString FormatPageNumber(const QString& format, int number) {
    QString text;
    text.reserve(format.size() + 8);
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QStringView pair = QStringView(format).mid(i, 2);
        if (pair == u"%d") {
            text += QString::number(number);
            ++i;
        } else if (pair == u"%%") {
            text += QLatin1Char('%');
            ++i;
        } else {
            text += format[i];
        }
    }
    return text;
}
