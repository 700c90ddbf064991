#include "print/report/page_store.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Draws one page's commands, keeping the drawing state they change.
class Replayer {
  public:
    Replayer(QPainter& painter, const RpReplayOptions& options, int number, int count)
        : painter_(painter), options_(options), number_(number), count_(count),
          dpiX_(painter.device()->logicalDpiX()), dpiY_(painter.device()->logicalDpiY()) {}

    void Start(const RpDrawState& state) {
        SelectFont(state.Font);
        penColor_ = state.PenColor;
        penWidth_ = state.PenWidth;
        penStyle_ = static_cast<Qt::PenStyle>(state.PenStyle);
        brush_ = QBrush(QColor::fromRgb(state.BrushColor), static_cast<Qt::BrushStyle>(state.BrushStyle));
        penPos_ = Px(state.PenPos);
        ApplyPen();
    }

    void operator()(const RpText& text) { DrawText(text.At, text.Text, text.Brush, text.Opaque); }

    void operator()(const RpPageNumber& line) {
        QString text = FormatPageNumber(line.Format, number_);
        if (line.ShowTotal) text += QStringLiteral(" of ") + QString::number(count_);
        const RpFont kept = font_;
        SelectFont(line.Font);
        const double width = metrics_->horizontalAdvance(text) / dpiX_;
        const double x = line.Alignment == 1   ? (line.Left + line.Right) / 2 - width / 2
                         : line.Alignment == 2 ? line.Right - width
                                               : line.Left;
        DrawText(QPointF(x, line.Y), text, line.Brush, line.Opaque);
        SelectFont(kept);
    }

    void operator()(const RpShape& shape) {
        if (penIsText_) ApplyPen();
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
            painter_.fillRect(rect(), brush_);
            break;
        case RpCode::FrameRect: {
            SavedPainter guard(painter_);
            painter_.setPen(QPen(brush_.color(), 0));
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

    // The angle of the radial through `point`, in the ellipse's own terms and sixteenths of a degree.
    static int Angle(const QRectF& box, QPointF point) {
        const QPointF centre = box.center();
        const double rx = std::max(box.width() / 2, 1e-9), ry = std::max(box.height() / 2, 1e-9);
        const double radians = std::atan2(-(point.y() - centre.y()) / ry, (point.x() - centre.x()) / rx);
        return static_cast<int>(std::lround(radians * 180 / std::numbers::pi * 16));
    }

    void SelectFont(const RpFont& font) {
        font_ = font;
        const QFont qfont = ToQFont(font);
        painter_.setFont(qfont);
        metrics_.emplace(qfont, painter_.device());
    }

    void ApplyPen() {
        penIsText_ = false;
        painter_.setPen(QPen(QColor::fromRgb(penColor_), penWidth_ * dpiX_ / 72, penStyle_));
        painter_.setBrush(brush_);
    }

    void DrawText(QPointF at, const QString& text, QRgb brush, bool opaque) {
        const QRectF& area = options_.Printable;
        const QPointF inside(std::max(at.x(), area.left()), std::clamp(at.y(), area.top(), area.bottom()));
        const QPointF topLeft = Px(inside);
        if (opaque)
            painter_.fillRect(QRectF(topLeft, QSizeF(metrics_->horizontalAdvance(text), metrics_->height())),
                              QColor::fromRgb(brush));
        const QColor color = options_.FontColors ? QColor::fromRgb(font_.Color) : QColor(Qt::black);
        if (!penIsText_ || painter_.pen().color() != color) painter_.setPen(color);
        penIsText_ = true;
        painter_.drawText(topLeft + QPointF(0, metrics_->ascent()), text);
    }

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
    QBrush brush_;
    QPointF penPos_;
    bool penIsText_ = false; // the painter's pen is the text colour, not the drawing pen
};

} // namespace

void RpPages::NewPage(const RpDrawState& initial) {
    pages_.push_back(std::make_unique<RpPageList>(initial));
}

void RpPages::Add(RpPrintCommand command) {
    if (!pages_.empty()) pages_.back()->Add(std::move(command));
}

const RpPageList* RpPages::Page(int number) const {
    return number >= 1 && number <= Count() ? pages_[static_cast<size_t>(number - 1)].get() : nullptr;
}

void RpPages::ReplayPage(int number, QPainter& painter, const RpReplayOptions& options) const {
    const RpPageList* page = Page(number);
    if (!page) return;
    Replayer replayer(painter, options, number, Count());
    replayer.Start(page->Initial);
    for (const RpPrintCommand& command : page->Commands())
        std::visit(replayer, command);
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
