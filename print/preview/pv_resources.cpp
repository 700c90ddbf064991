#include "print/preview/pv_resources.h"

#include <QBuffer>
#include <QHash>
#include <QImageReader>

#include "formats/jpeg/jpeg_image.h"
#include "platform/gfx/graphic.h"
#include "platform/stream.h"
#include "print/preview/pv_packed_pixels.h"

namespace {

size_t Combine(std::initializer_list<size_t> parts) {
    size_t seed = 0;
    for (size_t part : parts)
        seed ^= part + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2);
    return seed;
}

size_t Hash(int value) {
    return std::hash<int>()(value);
}

QString StyleText(int style) {
    QStringList letters;
    if (style & fsBold) letters << QStringLiteral("b");
    if (style & fsItalic) letters << QStringLiteral("i");
    if (style & fsUnderline) letters << QStringLiteral("u");
    return letters.join(QLatin1Char(','));
}

int StyleFromText(const QString& text) {
    int style = 0;
    for (const QString& letter : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString l = letter.trimmed();
        if (l == QLatin1String("b")) style |= fsBold;
        if (l == QLatin1String("i")) style |= fsItalic;
        if (l == QLatin1String("u")) style |= fsUnderline;
    }
    return style;
}

// The item count of a stored list, each item at least minItemBytes long.
int32_t ReadItemCount(Stream& stream, int64_t minItemBytes) {
    const int32_t count = ReadInt32(stream);
    if (count < 0 || count > BytesLeft(stream) / minItemBytes)
        throw EStreamError("Resource list longer than its stream");
    return count;
}

template <class Item> void SaveTools(Stream& stream, const PvResourceList<Item>& list) {
    WriteInt32(stream, list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        PvValueList values;
        list.Items(i).Save(values);
        values.SaveToStream(stream);
    }
}

template <class Item> std::vector<PvRef<Item>> LoadTools(Stream& stream, PvResourceList<Item>& list) {
    const int32_t count = ReadItemCount(stream, 4);
    std::vector<PvRef<Item>> loaded;
    for (int32_t i = 0; i < count; ++i) {
        PvValueList values;
        values.LoadFromStream(stream);
        loaded.push_back(list.Add(Item::Load(values)));
    }
    return loaded;
}

QByteArray BitmapBytes(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes;
}

QImage BitmapFromBytes(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer, "BMP");
    const QSize size = reader.size();
    if (!size.isValid() || !PictureSizeAllowed(size.width(), size.height()))
        throw EStreamError("Bitmap too large or unreadable");
    QImage image = reader.read();
    if (image.isNull()) throw EStreamError("Bitmap unreadable");
    return image;
}

// An opaque picture is kept at three bytes a pixel.
QImage Compact(QImage image) {
    if (image.isNull()) return image;
    return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                   : image.convertToFormat(QImage::Format_RGB888);
}

} // namespace

void PvBrush::Save(PvValueList& values) const {
    values.WriteInteger(QStringLiteral("CL"), Color);
    values.WriteInteger(QStringLiteral("ST"), Style);
}

PvBrush PvBrush::Load(const PvValueList& values) {
    return {values.ReadInteger(QStringLiteral("CL"), clWhite),
            values.ReadInteger(QStringLiteral("ST"), bsSolid)};
}

void PvPen::Save(PvValueList& values) const {
    values.WriteInteger(QStringLiteral("CL"), Color);
    values.WriteInteger(QStringLiteral("SZ"), Width);
    values.WriteInteger(QStringLiteral("ST"), Style);
    values.WriteInteger(QStringLiteral("PM"), Mode);
}

PvPen PvPen::Load(const PvValueList& values) {
    return {values.ReadInteger(QStringLiteral("CL"), clBlack), values.ReadInteger(QStringLiteral("SZ"), 1),
            values.ReadInteger(QStringLiteral("ST"), psSolid),
            values.ReadInteger(QStringLiteral("PM"), pmCopy)};
}

QString PvPen::ToText() const {
    return QStringLiteral("%1,%2,%3,%4").arg(Color).arg(Width).arg(Style).arg(Mode);
}

std::optional<PvPen> PvPen::FromText(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() != 4) return std::nullopt;
    int numbers[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        numbers[i] = fields[i].trimmed().toInt(&ok);
        if (!ok) return std::nullopt;
    }
    return PvPen{numbers[0], numbers[1], numbers[2], numbers[3]};
}

void PvFont::Save(PvValueList& values) const {
    values.WriteInteger(QStringLiteral("CL"), Color);
    values.WriteString(QStringLiteral("ST"), StyleText(Style));
    values.WriteString(QStringLiteral("FN"), Name);
    values.WriteInteger(QStringLiteral("SZ"), Size);
    values.WriteInteger(QStringLiteral("FA"), Angle);
    values.WriteInteger(QStringLiteral("CS"), Charset);
}

PvFont PvFont::Load(const PvValueList& values) {
    PvFont font;
    font.Color = values.ReadInteger(QStringLiteral("CL"), clWhite);
    font.Style = StyleFromText(values.ReadString(QStringLiteral("ST"), QString()));
    font.Name = values.ReadString(QStringLiteral("FN"), QStringLiteral("Arial"));
    font.Size = values.ReadInteger(QStringLiteral("SZ"), 10);
    font.Angle = values.ReadInteger(QStringLiteral("FA"), 0);
    font.Charset = values.ReadInteger(QStringLiteral("CS"), 1);
    return font;
}

PvGraphic PvGraphic::Make(QImage image) {
    PvGraphic graphic;
    const QImage stored = Compact(std::move(image));
    graphic.size_ = stored.size();
    graphic.format_ = stored.format();
    if (!stored.isNull()) graphic.packed_ = PackPixels(stored);
    // The same rows pack to the same bytes (the padding at the end of each row is left out), which are
    // far fewer to hash than the pixels.
    graphic.hash =
        Combine({Hash(stored.width()), Hash(stored.height()), Hash(stored.format()), qHash(graphic.packed_)});
    return graphic;
}

QImage PvGraphic::Image() const {
    return packed_.isEmpty() ? QImage() : UnpackPixels(packed_, size_, format_);
}

PvGraphic PvGraphic::Make(const Graphic& source) {
    PvGraphic graphic = Make(source.ToImage());
    if (const auto* jpeg = dynamic_cast<const JpegImage*>(&source); jpeg && !jpeg->FileBytes().empty()) {
        graphic.kind = Jpeg;
        graphic.jpegBytes = QByteArray(reinterpret_cast<const char*>(jpeg->FileBytes().data()),
                                       static_cast<qsizetype>(jpeg->FileBytes().size()));
        graphic.hash = Combine({graphic.hash, qHash(graphic.jpegBytes)});
    }
    return graphic;
}

bool PvGraphic::operator==(const PvGraphic& other) const {
    // The same rows deflate to the same bytes.
    return hash == other.hash && kind == other.kind && size_ == other.size_ && format_ == other.format_ &&
           jpegBytes == other.jpegBytes && packed_ == other.packed_;
}

size_t ResourceHash(const PvBrush& brush) {
    return Combine({Hash(brush.Color), Hash(brush.Style)});
}

size_t ResourceHash(const PvPen& pen) {
    return Combine({Hash(pen.Color), Hash(pen.Width), Hash(pen.Style), Hash(pen.Mode)});
}

size_t ResourceHash(const PvFont& font) {
    return Combine({qHash(font.Name), Hash(font.Size), Hash(font.Charset), Hash(font.Angle), Hash(font.Color),
                    Hash(font.Style)});
}

void PvResourceTable::Clear() {
    Brushes.Clear();
    Fonts.Clear();
    Pens.Clear();
    Graphics.Clear();
    Memos.Clear();
}

void PvResourceTable::UseStored(const PvStreamRefs* refs) {
    Brushes.UseStored(refs ? &refs->Brushes : nullptr);
    Fonts.UseStored(refs ? &refs->Fonts : nullptr);
    Pens.UseStored(refs ? &refs->Pens : nullptr);
    Graphics.UseStored(refs ? &refs->Graphics : nullptr);
    Memos.UseStored(refs ? &refs->Memos : nullptr);
}

void SaveBrushes(Stream& stream, const PvResourceList<PvBrush>& list) {
    SaveTools(stream, list);
}
void SavePens(Stream& stream, const PvResourceList<PvPen>& list) {
    SaveTools(stream, list);
}
void SaveFonts(Stream& stream, const PvResourceList<PvFont>& list) {
    SaveTools(stream, list);
}
std::vector<PvRef<PvBrush>> LoadBrushes(Stream& stream, PvResourceList<PvBrush>& list) {
    return LoadTools(stream, list);
}
std::vector<PvRef<PvPen>> LoadPens(Stream& stream, PvResourceList<PvPen>& list) {
    return LoadTools(stream, list);
}
std::vector<PvRef<PvFont>> LoadFonts(Stream& stream, PvResourceList<PvFont>& list) {
    return LoadTools(stream, list);
}

void SaveGraphics(Stream& stream, const PvResourceList<PvGraphic>& list) {
    WriteInt32(stream, list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const PvGraphic& graphic = list.Items(i);
        const QByteArray bytes =
            graphic.kind == PvGraphic::Jpeg ? graphic.jpegBytes : BitmapBytes(graphic.Image());
        const uint8_t kind = graphic.kind;
        stream.WriteBuffer(&kind, 1);
        WriteInt32(stream, static_cast<int32_t>(stream.Position() + 4 + bytes.size()));
        stream.WriteBuffer(bytes.constData(), static_cast<size_t>(bytes.size()));
    }
}

std::vector<PvRef<PvGraphic>> LoadGraphics(Stream& stream, PvResourceList<PvGraphic>& list, bool share) {
    const int32_t count = ReadItemCount(stream, 5);
    std::vector<PvRef<PvGraphic>> loaded;
    for (int32_t i = 0; i < count; ++i) {
        uint8_t kind = 0;
        stream.ReadBuffer(&kind, 1);
        const int64_t end = ReadInt32(stream);
        const int64_t here = stream.Position();
        if (end < here || end > stream.Size()) throw EStreamError("Picture ends outside its stream");
        QByteArray bytes(static_cast<qsizetype>(end - here), '\0');
        stream.ReadBuffer(bytes.data(), static_cast<size_t>(bytes.size()));
        if (kind == PvGraphic::Bitmap) {
            loaded.push_back(list.Add(PvGraphic::Make(BitmapFromBytes(bytes)), share));
        } else if (kind == PvGraphic::Jpeg) {
            MemoryStream jpegStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
            JpegImage jpeg;
            jpeg.LoadFromStream(jpegStream);
            loaded.push_back(list.Add(PvGraphic::Make(jpeg), share));
        } else {
            loaded.emplace_back(); // a kind this program cannot draw is passed over
        }
    }
    return loaded;
}

void SaveMemos(Stream& stream, const PvResourceList<PvMemo>& list) {
    WriteInt32(stream, list.Count());
    for (int i = 0; i < list.Count(); ++i) {
        const QByteArray& rtf = list.Items(i).Rtf;
        WriteInt32(stream, static_cast<int32_t>(rtf.size()));
        stream.WriteBuffer(rtf.constData(), static_cast<size_t>(rtf.size()));
    }
}

std::vector<PvRef<PvMemo>> LoadMemos(Stream& stream, PvResourceList<PvMemo>& list) {
    const int32_t count = ReadItemCount(stream, 4);
    std::vector<PvRef<PvMemo>> loaded;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t size = ReadInt32(stream);
        if (size < 0 || size > BytesLeft(stream)) throw EStreamError("Rich text longer than its stream");
        PvMemo memo{QByteArray(size, '\0')};
        stream.ReadBuffer(memo.Rtf.data(), static_cast<size_t>(size));
        loaded.push_back(list.Add(memo));
    }
    return loaded;
}
