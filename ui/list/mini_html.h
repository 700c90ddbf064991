#pragma once

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QHash>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <functional>
#include <memory>

class QPainter;
class QTextLayout;
class PictureContainer;
class PictureList;

// A cell, caption or hint text is markup when it holds a closing tag.
inline bool IsHtml(const QString& text) {
    return text.contains(QLatin1String("</"));
}

// Text runs shaped once and kept for the next paint of the same cells; bounded in size. A run keeps its
// whole layout, which owns the font it was shaped with, beside the glyph runs drawn from it: bare glyph runs
// would outlive the font data of their fallback fonts.
class HtmlTextCache {
  public:
    struct Run {
        std::shared_ptr<QTextLayout> layout;
        QList<QGlyphRun> glyphs;
        qreal width = 0;
        qreal ascent = 0;
        qreal descent = 0;
        qreal Height() const { return ascent + descent; }
    };
    std::shared_ptr<const Run> Get(const QString& text, const QFont& font, QPaintDevice* device);

  private:
    struct Key {
        QString text;
        QFont font;
        int dpi;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& key, size_t seed) {
            return qHashMulti(seed, key.text, key.font, key.dpi);
        }
    };
    QHash<Key, std::shared_ptr<Run>> runs_;
};

// What a markup text may refer to and how its anchors look.
struct HtmlContext {
    QFont Font;
    QColor TextColor = Qt::black;
    const PictureContainer* Pictures = nullptr;
    PictureList* PictureCache = nullptr;
    const QList<QPixmap>* Images = nullptr;
    // The small or large icon of a file, folder or extension.
    std::function<QPixmap(const QString& path, bool large)> ShellIcon;
    QColor AnchorColor = Qt::blue;
    QString HoverAnchor;
    // Invalid colours leave the hovered anchor as it is.
    QColor HoverColor;
    QColor HoverBackground;
    // The anchor (counted from 0) around which a focus rectangle is drawn; -1 for none.
    int FocusAnchor = -1;
    QColor ShadowColor = Qt::gray;
    int ShadowOffset = 1;
    bool WordWrap = false;
    // Pictures and icons are stretched by this factor (printing).
    double Scale = 1.0;
    // Shaped runs kept between calls; without one each call shapes its runs afresh.
    HtmlTextCache* TextCache = nullptr;
};

struct HtmlResult {
    bool OverAnchor = false;
    QString Anchor;
    QString PlainText;
    int Width = 0;
    int Height = 0;
    QRect FocusRect;
    int AnchorCount = 0;
};

// Lays the markup out in the rectangle; draws it when a painter is given, else only measures. A hit point
// (not (-1, -1)) reports the anchor under it.
HtmlResult RenderHtml(QPainter* painter, const QString& markup, const QRect& rect, const HtmlContext& context,
                      QPoint hit = QPoint(-1, -1));

// The markup's text without its tags; line breaks become carriage returns.
QString HtmlPlainText(const QString& markup);
