#include "ui/list/mini_html.h"

#include <QHash>
#include <QPainter>
#include <QPolygonF>
#include <QTextLayout>
#include <array>
#include <optional>
#include <vector>

#include "platform/gfx/sys_colors.h"
#include "ui/controls/picture_container.h"

namespace {

// Markup sizes are clamped so that a cell from a file cannot ask for a huge font or picture.
constexpr int kMaxFontPoints = 144;
constexpr int kMaxPictureSide = 2048;

struct Entity {
    const char* name;
    QChar replacement;
};

// Replaced before layout, until none is left ("&amp;lt;" becomes "&lt;", which the line walk shows as "<").
const Entity kOuterEntities[] = {
    {"&amp;", u'&'},         {"&quot;", u'"'},           {"&copy;", QChar(0xA9)},
    {"&reg;", QChar(0xAE)},  {"&trade;", QChar(0x2122)}, {"&euro;", QChar(0x20AC)},
    {"&sect;", QChar(0xA7)}, {"&para;", QChar(0xB6)},    {"&permil;", QChar(0x2030)},
};
const Entity kInnerEntities[] = {{"&nbsp;", u' '}, {"&lt;", u'<'}, {"&gt;", u'>'}};

// One left-to-right pass reaches the same fixed point as repeated replacing: a replacement can only start a
// new entity with the '&' it leaves, so checking the tail after each character finds every one.
QString ReplaceOuterEntities(const QString& text) {
    if (!text.contains(u'&')) return text;
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        out.append(c);
        if (c != u';') continue;
        for (const Entity& entity : kOuterEntities) {
            const QLatin1String name(entity.name);
            if (out.endsWith(name)) {
                out.chop(name.size());
                out.append(entity.replacement);
                break;
            }
        }
    }
    return out;
}

QString ReplaceInnerEntities(QString text) {
    if (!text.contains(u'&')) return text;
    for (const Entity& entity : kInnerEntities)
        text.replace(QLatin1String(entity.name), QString(entity.replacement), Qt::CaseInsensitive);
    return text;
}

// Entities, "<#...>" markers (their text stays) and line ends, before the text is cut into tokens.
QString Prepare(const QString& markup) {
    QString text = ReplaceOuterEntities(markup);
    for (qsizetype at = text.indexOf(QLatin1String("<#")); at >= 0;
         at = text.indexOf(QLatin1String("<#"), at)) {
        const qsizetype close = text.indexOf(u'>', at + 2);
        if (close < 0) break;
        text.remove(close, 1);
        text.remove(at, 2);
    }
    if (text.contains(u'\n')) text.remove(u'\n');
    if (text.contains(u'\r')) text.replace(u'\r', QLatin1String("<BR>"));
    return text;
}

struct Token {
    bool tag = false;
    bool closing = false;
    QString name; // upper case
    QString text;
    QList<std::pair<QString, QString>> attributes; // upper-case names, values as written

    QString Attribute(QLatin1String key) const {
        for (const auto& [attribute, value] : attributes)
            if (attribute == key) return value;
        return {};
    }
    int Number(QLatin1String key, int fallback, int low, int high) const {
        bool ok = false;
        const int value = Attribute(key).toInt(&ok);
        return ok ? qBound(low, value, high) : fallback;
    }
};

Token ParseTag(QStringView inside) {
    Token token;
    token.tag = true;
    qsizetype i = 0;
    const qsizetype n = inside.size();
    if (i < n && inside[i] == u'/') {
        token.closing = true;
        ++i;
    }
    while (i < n && inside[i].isLetter())
        token.name.append(inside[i++].toUpper());
    while (i < n) {
        while (i < n && inside[i].isSpace())
            ++i;
        QString name;
        while (i < n && inside[i] != u'=' && !inside[i].isSpace())
            name.append(inside[i++].toUpper());
        QString value;
        if (i < n && inside[i] == u'=') {
            ++i;
            if (i < n && inside[i] == u'"') {
                const qsizetype close = inside.indexOf(u'"', i + 1);
                const qsizetype end = close < 0 ? n : close;
                value = inside.mid(i + 1, end - i - 1).toString();
                i = end + 1;
            } else {
                while (i < n && !inside[i].isSpace())
                    value.append(inside[i++]);
            }
        }
        if (!name.isEmpty()) token.attributes.append({name, value});
    }
    return token;
}

// Control characters other than tab have no width: the font engines give them a missing-glyph box whose
// width depends on which fallback font happens to be loaded, so measuring and drawing could disagree.
QString WithoutControls(QString text) {
    text.removeIf([](QChar c) { return c.category() == QChar::Other_Control && c != u'\t'; });
    return text;
}

// Text runs and tags; with word wrap a run ends after each space. A tag left open at the end is dropped.
std::vector<Token> Tokenize(const QString& text, bool wordWrap) {
    std::vector<Token> tokens;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (text[i] == u'<') {
            const qsizetype close = text.indexOf(u'>', i + 1);
            if (close < 0) break;
            tokens.push_back(ParseTag(QStringView(text).mid(i + 1, close - i - 1)));
            i = close + 1;
            continue;
        }
        qsizetype end = text.indexOf(u'<', i);
        if (end < 0) end = n;
        if (wordWrap) {
            const qsizetype space = text.indexOf(u' ', i);
            if (space >= 0 && space < end) end = space + 1;
        }
        Token run;
        run.text = WithoutControls(ReplaceInnerEntities(text.mid(i, end - i)));
        tokens.push_back(std::move(run));
        i = end;
    }
    return tokens;
}

QString PlainTextOf(const std::vector<Token>& tokens) {
    QString plain;
    bool hidden = false;
    for (const Token& token : tokens) {
        if (!token.tag) {
            if (!hidden) plain += token.text;
        } else if (token.name == QLatin1String("Z")) {
            hidden = !token.closing;
        } else if (token.name == QLatin1String("BR") && !token.closing) {
            plain += u'\r';
        }
    }
    return plain;
}

QColor SystemColour(int index) {
    return QColor::fromRgb(WinColorToRgb(clSystemColor | index));
}

QColor NamedColour(const QString& name) {
    static const QHash<QString, QRgb> kStandard = {
        {"clred", 0xFF0000},  {"clblack", 0x000000},  {"clblue", 0x0000FF},    {"clgreen", 0x008000},
        {"claqua", 0x00FFFF}, {"clyellow", 0xFFFF00}, {"clfuchsia", 0xFF00FF}, {"clwhite", 0xFFFFFF},
        {"cllime", 0x00FF00}, {"clsilver", 0xC0C0C0}, {"clgray", 0x808080},    {"clolive", 0x808000},
        {"clnavy", 0x000080}, {"clpurple", 0x800080}, {"clteal", 0x008080},    {"clmaroon", 0x800000},
    };
    static const std::array<const char*, 24> kSystem = {
        "clbackground",
        "clactivecaption",
        "clinactivecaption",
        "clmenu",
        "clwindow",
        "clwindowframe",
        "clmenutext",
        "clwindowtext",
        "clcaptiontext",
        "clactiveborder",
        "clinactiveborder",
        "clappworkspace",
        "clhighlight",
        "clhighlighttext",
        "clbtnface",
        "clbtnshadow",
        "clgraytext",
        "clbtntext",
        "clinactivecaptiontext",
        "clbtnhighlight",
        "cl3ddkshadow",
        "cl3dlight",
        "clinfotext",
        "clinfobk",
    };
    const QString key = name.toLower();
    if (auto found = kStandard.constFind(key); found != kStandard.constEnd()) return QColor::fromRgb(*found);
    for (std::size_t i = 0; i < kSystem.size(); ++i)
        if (key == QLatin1String(kSystem[i])) return SystemColour(static_cast<int>(i) + 1);
    return Qt::black;
}

// "#RRGGBB" or a name; anything else, a short hex value too, is black.
QColor ParseColour(const QString& value) {
    if (!value.startsWith(u'#')) return NamedColour(value);
    bool ok = false;
    const uint rgb = value.mid(1).toUInt(&ok, 16);
    return ok && value.size() == 7 ? QColor::fromRgb(rgb) : QColor(Qt::black);
}

struct FontSaved {
    QString family;
    qreal points;
    QColor colour;
    QColor background;
    bool colourSet;
};
struct ColoursSaved {
    QColor colour;
    QColor background;
};
struct ParagraphSaved {
    int align;
    int indent;
    QColor background;
};

// Everything a tag changes; copied at the start of each line so that the line can be walked twice.
struct Style {
    QFont font;
    QColor colour;
    QColor background;
    bool fontColourSet = false;
    bool error = false;
    bool shadow = false;
    bool hidden = false;
    int script = 0; // -1 subscript, +1 superscript
    int rotation = 0;
    int anchor = -1;
    QString href;
    int align = 0; // 0 left, 1 centre, 2 right
    int indent = 0;
    QColor paragraph;
    int listLevel = 0;
    int anchors = 0;
    std::vector<FontSaved> fonts;
    std::vector<ColoursSaved> anchorColours;
    std::vector<ColoursSaved> highlights;
    std::vector<ParagraphSaved> paragraphs;
};

struct Line {
    std::size_t end = 0;
    qreal width = 0;
    qreal ascent = 0;
    qreal descent = 0;
    int align = 0;
    bool rule = false;
    qreal Height() const { return ascent + descent; }
};

struct Picture {
    QImage image;
    QPixmap pixmap;
    QSizeF size;
    int align = 0; // 0 bottom on the baseline, 1 top, 2 middle
};

class Walker {
  public:
    Walker(QPainter* painter, const QRect& rect, const HtmlContext& context, QPoint hit)
        : painter_(painter), rect_(rect), context_(context), hit_(hit),
          cache_(context.TextCache ? *context.TextCache : ownCache_) {
        style_.font = context.Font;
        style_.colour = context.TextColor;
    }

    HtmlResult Run(const QString& markup) {
        tokens_ = Tokenize(Prepare(markup), context_.WordWrap);
        result_.PlainText = PlainTextOf(tokens_);
        const bool place = painter_ || hit_ != QPoint(-1, -1) || context_.FocusAnchor >= 0;
        qreal top = rect_.top();
        qreal width = 0;
        for (std::size_t begin = 0; begin < tokens_.size();) {
            const Style start = style_;
            const Line line = Walk(begin, tokens_.size(), nullptr);
            if (place && top <= rect_.bottom()) {
                style_ = start;
                Walk(begin, line.end, &line, top);
            }
            top += line.Height();
            width = qMax(width, line.width);
            begin = line.end;
        }
        result_.Width = qCeil(width);
        result_.Height = qCeil(top - rect_.top());
        result_.AnchorCount = style_.anchors;
        if (painter_ && !result_.FocusRect.isNull()) {
            painter_->setPen(QPen(style_.colour, 1, Qt::DotLine));
            painter_->setBrush(Qt::NoBrush);
            painter_->drawRect(result_.FocusRect.adjusted(0, 0, -1, -1));
        }
        return result_;
    }

  private:
    std::shared_ptr<const HtmlTextCache::Run> Shaped(const QString& text) {
        return cache_.Get(text, style_.font, painter_ ? painter_->device() : nullptr);
    }

    // Measures (placed == null: decides where the line ends) or places and draws the tokens of one line.
    Line Walk(std::size_t begin, std::size_t end, const Line* placed, qreal top = 0) {
        Line line;
        qreal x = rect_.left() + style_.indent;
        if (placed) {
            const qreal spare = rect_.width() - placed->width;
            x += placed->align == 2 ? spare : placed->align == 1 ? spare / 2 : 0;
        }
        bool hasRun = false;
        bool alignTaken = false;
        std::size_t i = begin;
        for (; i < end; ++i) {
            const Token& token = tokens_[i];
            if (token.tag && token.name != QLatin1String("IMG") && token.name != QLatin1String("LI")) {
                if (placed && token.name == QLatin1String("BODY") && !token.closing) DrawBody(token);
                const int breaks = ApplyTag(token, x);
                if (breaks) {
                    line.rule = breaks == 2;
                    if (placed && line.rule) DrawRule(top + placed->Height());
                    ++i;
                    break;
                }
                continue;
            }
            if (token.tag && token.closing) {
                if (token.name == QLatin1String("LI")) style_.listLevel = qMax(0, style_.listLevel - 1);
                continue;
            }
            std::optional<Picture> picture;
            QString text;
            if (token.name == QLatin1String("IMG")) {
                picture = LoadPicture(token);
                if (!picture) continue;
            } else if (token.tag) { // LI
                ++style_.listLevel;
                text = QString(style_.listLevel % 2 ? QChar(0x2022) : QChar(u'o')) + u' ';
            } else {
                text = token.text;
            }
            const std::shared_ptr<const HtmlTextCache::Run> run = Shaped(text);
            const qreal w = picture ? picture->size.width() : style_.hidden ? 0 : run->width;
            // Every line takes at least one run: a word wider than the rectangle goes on a line of its own.
            if (!placed && context_.WordWrap && hasRun && x + w > rect_.right() + 1) break;
            hasRun = true;
            if (!alignTaken) {
                line.align = style_.align;
                alignTaken = true;
            }
            if (picture) {
                line.ascent = qMax(line.ascent, picture->size.height());
            } else if (!style_.hidden) {
                const qreal shift = run->Height() / 4;
                line.ascent = qMax(line.ascent, run->ascent + (style_.script > 0 ? shift : 0));
                line.descent = qMax(line.descent, run->descent + (style_.script < 0 ? shift : 0));
            }
            if (placed) Place(text, picture, QRectF(x, top, w, placed->Height()), top + placed->ascent);
            x += w;
        }
        if (!alignTaken) line.align = style_.align;
        if (line.Height() <= 0) {
            // An empty line is as high as the font.
            const std::shared_ptr<const HtmlTextCache::Run> empty = Shaped(QString());
            line.ascent = empty->ascent;
            line.descent = empty->descent;
        }
        line.end = i;
        line.width = x - rect_.left();
        return line;
    }

    // Returns 1 when the tag ends the line, 2 when it also draws a rule under it.
    int ApplyTag(const Token& tag, qreal& x) {
        const QString& name = tag.name;
        if (!tag.closing) {
            if (name == QLatin1String("BR")) return 1;
            if (name == QLatin1String("HR")) return 2;
        }
        if (name == QLatin1String("A")) return Anchor(tag), 0;
        if (name == QLatin1String("FONT")) return Font(tag), 0;
        if (name == QLatin1String("HI")) return Highlight(tag), 0;
        if (name == QLatin1String("P")) return Paragraph(tag, x), 0;
        const bool on = !tag.closing;
        if (name == QLatin1String("B"))
            style_.font.setBold(on);
        else if (name == QLatin1String("I"))
            style_.font.setItalic(on);
        else if (name == QLatin1String("U"))
            style_.font.setUnderline(on);
        else if (name == QLatin1String("S"))
            style_.font.setStrikeOut(on);
        else if (name == QLatin1String("E"))
            style_.error = on;
        else if (name == QLatin1String("SHAD"))
            style_.shadow = on;
        else if (name == QLatin1String("Z"))
            style_.hidden = on;
        else if (name == QLatin1String("SUB"))
            style_.script = on ? -1 : 0;
        else if (name == QLatin1String("SUP"))
            style_.script = on ? 1 : 0;
        else if (name == QLatin1String("ROT"))
            style_.rotation = on ? tag.Number(QLatin1String("A"), 0, -360, 360) : 0;
        else if (name == QLatin1String("IND") && on)
            x = qMax(x, rect_.left() + qreal(tag.Number(QLatin1String("X"), 0, 0, qMax(0, rect_.width()))));
        return 0;
    }

    void Anchor(const Token& tag) {
        if (tag.closing) {
            if (style_.anchorColours.empty()) return;
            style_.font.setUnderline(false);
            style_.colour = style_.anchorColours.back().colour;
            style_.background = style_.anchorColours.back().background;
            style_.anchorColours.pop_back();
            style_.anchor = -1;
            style_.href.clear();
            return;
        }
        style_.anchorColours.push_back({style_.colour, style_.background});
        style_.anchor = style_.anchors++;
        style_.href = tag.Attribute(QLatin1String("HREF"));
        style_.font.setUnderline(true);
        if (!style_.fontColourSet) style_.colour = context_.AnchorColor;
        if (!context_.HoverAnchor.isEmpty() && style_.href == context_.HoverAnchor) {
            if (context_.HoverColor.isValid()) style_.colour = context_.HoverColor;
            if (context_.HoverBackground.isValid()) style_.background = context_.HoverBackground;
        }
    }

    void Font(const Token& tag) {
        if (tag.closing) {
            if (style_.fonts.empty()) return;
            const FontSaved& saved = style_.fonts.back();
            style_.font.setFamily(saved.family);
            style_.font.setPointSizeF(saved.points);
            style_.colour = saved.colour;
            style_.background = saved.background;
            style_.fontColourSet = saved.colourSet;
            style_.fonts.pop_back();
            return;
        }
        style_.fonts.push_back({style_.font.family(), style_.font.pointSizeF(), style_.colour,
                                style_.background, style_.fontColourSet});
        const QString face = tag.Attribute(QLatin1String("FACE"));
        if (!face.isEmpty()) style_.font.setFamily(face);
        const QString colour = tag.Attribute(QLatin1String("COLOR"));
        if (!colour.isEmpty()) {
            style_.colour = ParseColour(colour);
            style_.fontColourSet = true;
        }
        const QString background = tag.Attribute(QLatin1String("BGCOLOR"));
        if (!background.isEmpty()) style_.background = ParseColour(background);
        const int size = tag.Number(QLatin1String("SIZE"), 0, 0, kMaxFontPoints);
        static const int kSizes[] = {8, 10, 12, 14, 16};
        if (size > 0) style_.font.setPointSize(size <= 5 ? kSizes[size - 1] : size);
    }

    void Highlight(const Token& tag) {
        if (tag.closing) {
            if (style_.highlights.empty()) return;
            style_.colour = style_.highlights.back().colour;
            style_.background = style_.highlights.back().background;
            style_.highlights.pop_back();
            return;
        }
        style_.highlights.push_back({style_.colour, style_.background});
        style_.background = SystemColour(13);
        style_.colour = SystemColour(14);
    }

    void Paragraph(const Token& tag, qreal& x) {
        if (tag.closing) {
            if (style_.paragraphs.empty()) return;
            style_.align = style_.paragraphs.back().align;
            style_.indent = style_.paragraphs.back().indent;
            style_.paragraph = style_.paragraphs.back().background;
            style_.paragraphs.pop_back();
            return;
        }
        style_.paragraphs.push_back({style_.align, style_.indent, style_.paragraph});
        const QString align = tag.Attribute(QLatin1String("ALIGN")).toUpper();
        style_.align = align == QLatin1String("RIGHT") ? 2 : align == QLatin1String("CENTER") ? 1 : 0;
        style_.indent = tag.Number(QLatin1String("INDENT"), style_.indent, 0, qMax(0, rect_.width()));
        x = qMax(x, qreal(rect_.left() + style_.indent));
        const QString background = tag.Attribute(QLatin1String("BGCOLOR"));
        if (!background.isEmpty()) style_.paragraph = ParseColour(background);
    }

    QImage NamedPicture(const QString& source) const {
        if (source.contains(QLatin1String("://")))
            return context_.PictureCache ? context_.PictureCache->Picture(source).Image() : QImage();
        const HTMLPicture* picture = context_.Pictures ? context_.Pictures->FindPicture(source) : nullptr;
        return picture ? picture->Image() : QImage();
    }

    std::optional<Picture> LoadPicture(const Token& tag) {
        Picture picture;
        const QString source = tag.Attribute(QLatin1String("SRC"));
        const QString upper = source.toUpper();
        if (upper.startsWith(QLatin1String("IDX:"))) {
            bool ok = false;
            const int index = source.mid(4).toInt(&ok);
            if (!ok || !context_.Images || index < 0 || index >= context_.Images->size()) return std::nullopt;
            picture.pixmap = context_.Images->at(index);
        } else if (upper.startsWith(QLatin1String("SSYS:")) || upper.startsWith(QLatin1String("LSYS:"))) {
            if (!context_.ShellIcon) return std::nullopt;
            picture.pixmap = context_.ShellIcon(source.mid(5), upper.startsWith(u'L'));
        } else if (!source.isEmpty() && (!source.contains(u':') || source.contains(QLatin1String("://")))) {
            picture.image = NamedPicture(source);
        }
        const QSize natural = picture.pixmap.isNull() ? picture.image.size() : picture.pixmap.size();
        if (natural.isEmpty()) return std::nullopt;
        const QPaintDevice* device = painter_ ? painter_->device() : nullptr;
        const qreal dpiX = device ? device->logicalDpiX() : 96, dpiY = device ? device->logicalDpiY() : 96;
        qreal w = tag.Number(QLatin1String("WIDTH"), -1, 0, kMaxPictureSide);
        qreal h = tag.Number(QLatin1String("HEIGHT"), -1, 0, kMaxPictureSide);
        if (w < 0) w = qMin<qreal>(natural.width() * dpiX / 96, kMaxPictureSide);
        if (h < 0) h = qMin<qreal>(natural.height() * dpiY / 96, kMaxPictureSide);
        const qreal scale = qBound(0.01, context_.Scale, 100.0);
        picture.size = QSizeF(w * scale, h * scale);
        const QString align = tag.Attribute(QLatin1String("ALIGN")).toUpper();
        picture.align = align == QLatin1String("TOP") ? 1 : align == QLatin1String("MIDDLE") ? 2 : 0;
        return picture;
    }

    void Place(const QString& text, const std::optional<Picture>& picture, const QRectF& box,
               qreal baseline) {
        if (style_.anchor >= 0) {
            if (hit_ != QPoint(-1, -1) && box.contains(hit_)) {
                result_.OverAnchor = true;
                result_.Anchor = style_.href;
            }
            if (style_.anchor == context_.FocusAnchor) result_.FocusRect |= box.toAlignedRect();
        }
        if (!painter_ || (style_.hidden && !picture)) return;
        const QColor fill = style_.background.isValid() ? style_.background : style_.paragraph;
        if (fill.isValid()) painter_->fillRect(box, fill);
        if (picture) {
            const qreal y = picture->align == 1   ? box.top()
                            : picture->align == 2 ? box.top() + (box.height() - picture->size.height()) / 2
                                                  : baseline - picture->size.height();
            const QRectF target(QPointF(box.left(), y), picture->size);
            if (picture->pixmap.isNull())
                painter_->drawImage(target, picture->image);
            else
                painter_->drawPixmap(target, picture->pixmap, picture->pixmap.rect());
            return;
        }
        const qreal y = baseline - style_.script * Shaped(text)->Height() / 4;
        painter_->setFont(style_.font);
        if (style_.shadow)
            DrawText(QPointF(box.left(), y) + QPointF(context_.ShadowOffset, context_.ShadowOffset), text,
                     context_.ShadowColor);
        DrawText(QPointF(box.left(), y), text, style_.colour);
        if (style_.error) {
            QPolygonF zigzag;
            for (qreal zx = box.left(); zx <= box.right(); zx += 2)
                zigzag << QPointF(zx, y + (zigzag.size() % 2 ? 4 : 2));
            painter_->setPen(Qt::red);
            painter_->drawPolyline(zigzag);
        }
    }

    // at is on the baseline.
    void DrawText(QPointF at, const QString& text, const QColor& colour) {
        const std::shared_ptr<const HtmlTextCache::Run> run = Shaped(text);
        painter_->setPen(colour);
        const auto draw = [&](QPointF top) {
            for (const QGlyphRun& glyphs : run->glyphs)
                painter_->drawGlyphRun(top, glyphs);
        };
        if (!style_.rotation) {
            draw(at - QPointF(0, run->ascent));
            return;
        }
        painter_->save();
        painter_->translate(at);
        painter_->rotate(-style_.rotation);
        draw(QPointF(0, -run->ascent));
        painter_->restore();
    }

    void DrawRule(qreal y) {
        if (!painter_) return;
        painter_->setPen(Qt::black);
        painter_->drawLine(QPointF(rect_.left(), y), QPointF(rect_.right(), y));
    }

    void DrawBody(const Token& tag) {
        if (!painter_) return;
        const QString background = tag.Attribute(QLatin1String("BGCOLOR"));
        if (!background.isEmpty()) painter_->fillRect(rect_, ParseColour(background));
        const QImage tile = NamedPicture(tag.Attribute(QLatin1String("BACKGROUND")));
        if (!tile.isNull()) painter_->drawTiledPixmap(rect_, QPixmap::fromImage(tile));
    }

    QPainter* painter_;
    QRect rect_;
    const HtmlContext& context_;
    QPoint hit_;
    std::vector<Token> tokens_;
    Style style_;
    HtmlResult result_;
    HtmlTextCache ownCache_;
    HtmlTextCache& cache_;
};

} // namespace

std::shared_ptr<const HtmlTextCache::Run> HtmlTextCache::Get(const QString& text, const QFont& font,
                                                             QPaintDevice* device) {
    // Cells come and go with scrolling: a full cache starts again rather than growing. Callers hold their
    // runs, so a run in use outlives the clearing.
    constexpr qsizetype kMaxRuns = 4096;
    const Key key{text, font, device ? device->logicalDpiY() : 0};
    if (auto found = runs_.constFind(key); found != runs_.constEnd()) return *found;
    if (runs_.size() >= kMaxRuns) runs_.clear();
    auto run = std::make_shared<Run>();
    run->layout = std::make_shared<QTextLayout>(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    run->layout->setTextOption(option);
    run->layout->beginLayout();
    QTextLine line = run->layout->createLine();
    run->layout->endLayout();
    if (line.isValid()) {
        run->width = line.horizontalAdvance();
        run->ascent = line.ascent();
        run->descent = line.descent();
        run->glyphs = run->layout->glyphRuns();
    }
    runs_.insert(key, run);
    return run;
}

HtmlResult RenderHtml(QPainter* painter, const QString& markup, const QRect& rect, const HtmlContext& context,
                      QPoint hit) {
    if (painter) {
        painter->save();
        painter->setBackgroundMode(Qt::TransparentMode);
    }
    HtmlResult result = Walker(painter, rect, context, hit).Run(markup);
    if (painter) painter->restore();
    return result;
}

QString HtmlPlainText(const QString& markup) {
    return PlainTextOf(Tokenize(Prepare(markup), false));
}
