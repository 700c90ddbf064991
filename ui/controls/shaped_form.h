#pragma once

#include <QByteArray>
#include <QLabel>
#include <QRegion>
#include <optional>

// Region data as the window-region stream holds it (a header followed by rectangles); nothing when the
// data is malformed, so a bad stream never shapes a window.
std::optional<QRegion> RegionFromData(const QByteArray& data);
QByteArray RegionToData(const QRegion& region);

// A picture that fills its window and cuts the window to a region: the window takes the picture's shape,
// loses its frame, and is dragged by the picture.
class ShapedForm : public QLabel {
    Q_OBJECT
  public:
    explicit ShapedForm(QWidget* window);

    bool Draggable = true;

    // The stored "Mask2" stream: a 32-bit little-endian size, then that many bytes of region data.
    // Returns false, leaving the window unshaped, for a malformed stream.
    bool ReadMask2(const QByteArray& stream);
    QByteArray WriteMask2() const;

    void SetMask(const QRegion& region);
    // A new picture drops the region, which belonged to the old one.
    void SetPicture(const QPixmap& picture);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    void Apply(const std::optional<QRegion>& region);

    QByteArray data_;
};

// An invisible control that only reports the mouse, laid over a picture.
class MouseRegion : public QWidget {
    Q_OBJECT
  public:
    explicit MouseRegion(QWidget* parent = nullptr);

  signals:
    void OnClick();
    void OnMouseEnter();
    void OnMouseLeave();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
