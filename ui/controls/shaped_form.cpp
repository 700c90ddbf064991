#include "ui/controls/shaped_form.h"

#include <QMouseEvent>
#include <QWindow>
#include <QtEndian>

namespace {

constexpr quint32 kHeaderSize = 32;
constexpr quint32 kRectangles = 1;
// Coordinates a window region can sensibly use.
constexpr qint32 kMaxCoordinate = 32767;

quint32 U32(const QByteArray& data, qsizetype at) {
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar*>(data.constData()) + at);
}
qint32 I32(const QByteArray& data, qsizetype at) {
    return static_cast<qint32>(U32(data, at));
}

void PutU32(QByteArray& data, quint32 value) {
    uchar bytes[4];
    qToLittleEndian(value, bytes);
    data.append(reinterpret_cast<const char*>(bytes), 4);
}

bool InRange(qint32 v) {
    return v >= -kMaxCoordinate && v <= kMaxCoordinate;
}

} // namespace

std::optional<QRegion> RegionFromData(const QByteArray& data) {
    if (data.size() < static_cast<qsizetype>(kHeaderSize)) return std::nullopt;
    const quint32 headerSize = U32(data, 0), type = U32(data, 4), count = U32(data, 8);
    if (headerSize != kHeaderSize || type != kRectangles) return std::nullopt;
    if (count > static_cast<quint32>((data.size() - kHeaderSize) / 16)) return std::nullopt;
    QRegion region;
    for (quint32 i = 0; i < count; ++i) {
        const qsizetype at = kHeaderSize + static_cast<qsizetype>(i) * 16;
        const qint32 left = I32(data, at), top = I32(data, at + 4), right = I32(data, at + 8),
                     bottom = I32(data, at + 12);
        if (!InRange(left) || !InRange(top) || !InRange(right) || !InRange(bottom) || right <= left ||
            bottom <= top)
            return std::nullopt;
        region += QRect(left, top, right - left, bottom - top);
    }
    return region;
}

QByteArray RegionToData(const QRegion& region) {
    QByteArray rects;
    for (const QRect& r : region) {
        PutU32(rects, static_cast<quint32>(r.left()));
        PutU32(rects, static_cast<quint32>(r.top()));
        PutU32(rects, static_cast<quint32>(r.left() + r.width()));
        PutU32(rects, static_cast<quint32>(r.top() + r.height()));
    }
    const QRect bound = region.boundingRect();
    QByteArray data;
    PutU32(data, kHeaderSize);
    PutU32(data, kRectangles);
    PutU32(data, static_cast<quint32>(rects.size() / 16));
    PutU32(data, static_cast<quint32>(rects.size()));
    for (int v : {bound.left(), bound.top(), bound.left() + bound.width(), bound.top() + bound.height()})
        PutU32(data, static_cast<quint32>(v));
    return data + rects;
}

ShapedForm::ShapedForm(QWidget* window) : QLabel(window) {
    window->setWindowFlag(Qt::FramelessWindowHint);
    setScaledContents(false);
    setGeometry(window->rect());
    window->installEventFilter(this);
}

bool ShapedForm::ReadMask2(const QByteArray& stream) {
    std::optional<QRegion> region;
    if (stream.size() >= 4) {
        const quint32 size = U32(stream, 0);
        if (size == 0 && stream.size() == 4)
            region = QRegion();
        else if (size == static_cast<quint64>(stream.size()) - 4)
            region = RegionFromData(stream.mid(4));
    }
    Apply(region);
    if (region) data_ = stream.mid(4);
    return region.has_value();
}

QByteArray ShapedForm::WriteMask2() const {
    QByteArray stream;
    PutU32(stream, static_cast<quint32>(data_.size()));
    return stream + data_;
}

void ShapedForm::SetMask(const QRegion& region) {
    data_ = region.isEmpty() ? QByteArray() : RegionToData(region);
    Apply(region);
}

void ShapedForm::SetPicture(const QPixmap& picture) {
    setPixmap(picture);
    SetMask(QRegion());
}

void ShapedForm::Apply(const std::optional<QRegion>& region) {
    QWidget* window = this->window();
    if (region && !region->isEmpty())
        window->setMask(*region);
    else
        window->clearMask();
    if (!region) data_.clear();
}

bool ShapedForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::Resize) setGeometry(window()->rect());
    return QLabel::eventFilter(watched, event);
}

void ShapedForm::mousePressEvent(QMouseEvent* event) {
    if (Draggable && event->button() == Qt::LeftButton) {
        if (QWindow* handle = window()->windowHandle()) handle->startSystemMove();
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

MouseRegion::MouseRegion(QWidget* parent) : QWidget(parent) {
    resize(105, 105);
    setAttribute(Qt::WA_NoSystemBackground);
}

void MouseRegion::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit OnClick();
}

void MouseRegion::enterEvent(QEnterEvent*) {
    emit OnMouseEnter();
}

void MouseRegion::leaveEvent(QEvent*) {
    emit OnMouseLeave();
}
