#include "formats/gif/gif_frame.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_io.h"
#include "formats/gif/gif_lzw.h"
#include "formats/gif/gif_reduce.h"
#include "platform/gfx/bitmap.h"

namespace {

constexpr uint8_t kImageSeparator = ',';
constexpr int kProgressRows = 32;

int Word(const uint8_t* p) {
    return p[0] | p[1] << 8;
}

// a * b / c rounded to the nearest integer, for non-negative values.
int MulDiv(int a, int b, int c) {
    return static_cast<int>((static_cast<int64_t>(a) * b + c / 2) / c);
}

QRect ToQRect(const Rect& r) {
    return QRect(r.Left, r.Top, r.Width(), r.Height());
}

// An indexed picture's colour table covering every index: black past the palette.
QList<QRgb> IndexedColors(const std::vector<QRgb>& palette) {
    QList<QRgb> colors(palette.begin(), palette.begin() + std::min<ptrdiff_t>(256, std::ssize(palette)));
    colors.resize(256, qRgb(0, 0, 0));
    return colors;
}

bool DirectTarget(const QImage& target) {
    const QImage::Format f = target.format();
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

} // namespace

GIFSubImage::GIFSubImage(GIFImage& image) : GIFItem(image), colorMap_(*this) {}

GIFSubImage::~GIFSubImage() = default;

GIFVersion GIFSubImage::Version() const {
    return !extensions_.empty() || colorMap_.Sorted() ? GIFVersion::gv89a : GIFVersion::gv87a;
}

void GIFSubImage::Clear() {
    extensions_.clear();
    graphicControl_ = nullptr;
    transparent_ = false;
    colorMap_.Clear();
    data_.clear();
    width_ = 0;
    height_ = 0;
    palette_.reset();
    DropBitmap();
}

void GIFSubImage::LoadFromStream(GIFReader& reader) {
    Clear();
    while (reader.PeekByte() == '!') {
        std::unique_ptr<GIFExtension> extension = CreateExtension(reader, *this);
        extension->LoadFromStream(reader);
        AddExtension(std::move(extension));
    }
    // Only an image separator starts the image; anything else leaves a frame of extensions alone.
    const int next = reader.PeekByte();
    if (next != kImageSeparator) {
        if (next > 0 && next != ';') Warning(gsWarning, gif_messages::kInvalidIntroducer);
        return;
    }
    ReadDescriptor(reader);
    if (packed_ & 0x80) colorMap_.LoadFromStream(reader, 2 << (packed_ & 7));
    DecodeImageData(reader, width_, height_, Interlaced(), data_);
}

void GIFSubImage::ReadDescriptor(GIFReader& reader) {
    uint8_t descriptor[10];
    reader.ReadExact(descriptor, sizeof descriptor);
    left_ = Word(descriptor + 1);
    top_ = Word(descriptor + 3);
    width_ = Word(descriptor + 5);
    height_ = Word(descriptor + 7);
    packed_ = descriptor[9];
    if (width_ == 0 || height_ == 0) {
        width_ = Image().Width();
        height_ = Image().Height();
        Warning(gsWarning, gif_messages::kExceedsScreen);
    }
    if ((width_ || height_) && !PictureSizeAllowed(width_, height_)) RaiseGIF(gif_messages::kTooLarge);
}

void GIFSubImage::SaveToStream(GIFOutput& out) const {
    for (const auto& extension : extensions_)
        extension->SaveToStream(out);
    if (Empty()) return;
    const bool local = colorMap_.Count() > 0;
    const int bits = local ? colorMap_.BitsPerPixel() : Image().BitsPerPixel();
    const uint8_t packed =
        local ? static_cast<uint8_t>(0x80 | (colorMap_.Sorted() ? 0x20 : 0) | ((bits - 1) & 7))
              : static_cast<uint8_t>(packed_ & 0x58);
    out.Byte(kImageSeparator);
    out.Word(left_);
    out.Word(top_);
    out.Word(width_);
    out.Word(height_);
    out.Byte(packed);
    if (local) colorMap_.SaveToStream(out);
    const GIFPixels pixels{
        data_.data(), width_, height_, (packed & 0x40) != 0, local ? colorMap_.Count() : 1 << bits, bits};
    if (Image().Encoding() == 1)
        RLEEncoder().Encode(out, pixels);
    else
        LZWEncoder().Encode(out, pixels);
}

void GIFSubImage::Assign(const GIFSubImage& source) {
    Clear();
    if (source.Empty()) return;
    left_ = source.left_;
    top_ = source.top_;
    width_ = source.width_;
    height_ = source.height_;
    packed_ = source.packed_;
    transparent_ = source.transparent_;
    data_ = source.data_;
    colorMap_.Assign(source.colorMap_);
    for (const auto& extension : source.extensions_)
        AddExtension(extension->Clone(*this));
    bitmap_ = source.bitmap_;
    mask_ = source.mask_;
    maskNeeded_ = source.maskNeeded_;
}

void GIFSubImage::Assign(const Graphic& source) {
    Clear();
    SetBounds(0, 0, source.Width(), source.Height());
    if (source.Empty()) return;
    const auto* bitmap = dynamic_cast<const ::Bitmap*>(&source);
    if (bitmap && BitsPerPixel(bitmap->Format()) <= 8)
        ImportBitmap(*bitmap);
    else
        ImportBitmap(ReduceColors(source.ToImage(), Image().ReductionMethod(), Image().DitherKind(),
                                  Image().QuantizeBits()));
    if (!source.Transparent()) return;
    const QImage pixels = source.ToImage().convertToFormat(QImage::Format_ARGB32);
    std::vector<bool> masked(data_.size());
    for (int y = 0; y < height_; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < width_; ++x)
            masked[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] =
                qAlpha(row[x]) != 255;
    }
    ApplyMask(masked);
}

void GIFSubImage::ImportBitmap(const ::Bitmap& bitmap) {
    if (bitmap.Empty() || bitmap.Width() != width_ || bitmap.Height() != height_) return;
    const int bits = BitsPerPixel(bitmap.Format());
    if (bits <= 8) colorMap_.LoadFromPalette(bitmap.Palette());
    // Recently seen colours and their indexes; most pictures repeat a few colours in runs.
    std::array<std::pair<QRgb, int>, 8> recent;
    recent.fill({0xFFFFFFFF, -1});
    size_t last = 0;
    for (int y = 0; y < height_; ++y) {
        if (y % kProgressRows == 0)
            Image().Progress(ProgressStage::psRunning, y * 100 / height_, false, "Converting...");
        const uint8_t* in = bitmap.ScanLine(y);
        uint8_t* out = data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (int x = 0; x < width_; ++x) {
            if (bits == 1) {
                out[x] = (in[x >> 3] >> (7 - (x & 7))) & 1;
            } else if (bits == 4) {
                out[x] = (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
            } else if (bits == 8) {
                out[x] = in[x];
            } else {
                const QRgb color = bitmap.Pixel(x, y) | 0xFF000000u;
                size_t slot = last;
                for (size_t i = 0; i < recent.size() && recent[slot].first != color; ++i)
                    slot = (slot + recent.size() - 1) % recent.size();
                if (recent[slot].first != color) {
                    slot = (last + 1) % recent.size();
                    recent[slot] = {color, colorMap_.FindOrAdd({static_cast<uint8_t>(qRed(color)),
                                                                static_cast<uint8_t>(qGreen(color)),
                                                                static_cast<uint8_t>(qBlue(color))})};
                }
                last = slot;
                out[x] = static_cast<uint8_t>(recent[slot].second);
            }
        }
    }
}

void GIFSubImage::ApplyMask(const std::vector<bool>& masked) {
    colorMap_.Optimize();
    if (colorMap_.Count() == 0 || colorMap_.Count() == GIFColorMap::kMaxColors) return;
    const int black = colorMap_.Add({0, 0, 0});
    bool any = false;
    for (size_t i = 0; i < data_.size(); ++i)
        if (masked[i]) {
            data_[i] = static_cast<uint8_t>(black);
            any = true;
        }
    if (!any) {
        colorMap_.Delete(black);
        return;
    }
    SetTransparentIndex(black);
}

void GIFSubImage::AllocateData() {
    data_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0);
}

void GIFSubImage::EnsureData() {
    if (!data_.empty()) return;
    if (width_ == 0 || height_ == 0) RaiseGIF(gif_messages::kImageEmpty);
    AllocateData();
}

uint8_t* GIFSubImage::ScanLine(int y) {
    EnsureData();
    if (y < 0 || y >= height_) RaiseGIF(gif_messages::kInvalidPixel);
    return data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
}

uint8_t GIFSubImage::Pixels(int x, int y) {
    if (x < 0 || x >= width_) RaiseGIF(gif_messages::kInvalidPixel);
    return ScanLine(y)[x];
}

void GIFSubImage::SetBounds(int left, int top, int width, int height) {
    if (width != 0 && height != 0 && !PictureSizeAllowed(width, height)) RaiseGIF(gif_messages::kTooLarge);
    if (width != width_ || height != height_) {
        DropBitmap();
        width_ = width;
        height_ = height;
        AllocateData();
    }
    left_ = left;
    top_ = top;
    GIFHeader& screen = Image().Header();
    bool outside = false;
    if (screen.Width() < left + width) {
        if (screen.Width() > 0) {
            Warning(gsWarning, gif_messages::kWidthTooSmall);
            outside = true;
        }
        screen.SetWidth(left + width);
    }
    if (screen.Height() < top + height) {
        if (screen.Height() > 0) {
            Warning(gsWarning, gif_messages::kHeightTooSmall);
            outside = true;
        }
        screen.SetHeight(top + height);
    }
    if (outside) Warning(gsWarning, gif_messages::kExceedsScreen);
}

void GIFSubImage::SetInterlaced(bool on) {
    packed_ = static_cast<uint8_t>(on ? packed_ | 0x40 : packed_ & ~0x40);
}

const GIFColorMap& GIFSubImage::CurrentTable() const {
    if (colorMap_.Count() > 0) return colorMap_;
    if (Image().Header().ColorMap().Count() > 0) return Image().Header().ColorMap();
    return colorMap_;
}

std::array<QRgb, 256> GIFSubImage::ColorTable32(bool transparent) const {
    std::array<QRgb, 256> colors;
    colors.fill(qRgb(0, 0, 0));
    const GIFColorMap& table = CurrentTable();
    for (int i = 0; i < table.Count(); ++i) {
        const GIFColor c = table.Color(i);
        colors[static_cast<size_t>(i)] = qRgb(c.Red, c.Green, c.Blue);
    }
    if (transparent && TransparentIndex() >= 0) colors[static_cast<size_t>(TransparentIndex())] = 0;
    return colors;
}

GIFExtension& GIFSubImage::AddExtension(std::unique_ptr<GIFExtension> extension) {
    if (auto* control = dynamic_cast<GIFGraphicControlExtension*>(extension.get())) {
        if (!graphicControl_) graphicControl_ = control;
        if (control->Transparent()) transparent_ = true;
    }
    extensions_.push_back(std::move(extension));
    return *extensions_.back();
}

void GIFSubImage::DeleteExtension(const GIFExtension* extension) {
    const auto at = std::find_if(extensions_.begin(), extensions_.end(),
                                 [&](const auto& e) { return e.get() == extension; });
    if (at == extensions_.end()) return;
    if (dynamic_cast<const GIFGraphicControlExtension*>(extension)) {
        transparent_ = false;
        if (extension == graphicControl_) graphicControl_ = nullptr;
    }
    extensions_.erase(at);
}

int GIFSubImage::TransparentIndex() const {
    return transparent_ && graphicControl_ ? graphicControl_->TransparentColorIndex() : -1;
}

void GIFSubImage::SetTransparentIndex(int index) {
    if (!graphicControl_) AddExtension(std::make_unique<GIFGraphicControlExtension>(*this));
    graphicControl_->SetTransparent(true);
    graphicControl_->SetTransparentColorIndex(index);
    transparent_ = true;
    DropBitmap();
}

void GIFSubImage::ClearTransparency() {
    if (graphicControl_) graphicControl_->SetTransparent(false);
    transparent_ = false;
    DropBitmap();
}

bool GIFSubImage::UsesWebPalette() const {
    return Image().UsesWebPalette();
}

std::vector<QRgb> GIFSubImage::Palette() {
    if (palette_) return *palette_;
    if (UsesWebPalette()) {
        palette_ = WebPalette();
        return *palette_;
    }
    if (colorMap_.Count() == 0) return Image().Palette();
    palette_ = colorMap_.MakePalette();
    return *palette_;
}

void GIFSubImage::SetPalette(std::vector<QRgb> palette) {
    if (palette.empty())
        palette_.reset();
    else
        palette_ = std::move(palette);
    if (bitmap_.isNull()) return;
    DropBitmap();
    Image().Changed();
}

void GIFSubImage::PaletteChanged() {
    SetPalette({});
}

void GIFSubImage::DropBitmap() {
    bitmap_ = QImage();
    mask_ = QImage();
    masked_ = QImage();
    maskNeeded_ = true;
}

const QImage& GIFSubImage::Bitmap() {
    if (!bitmap_.isNull()) return bitmap_;
    Image().Progress(ProgressStage::psStarting, 0, false, "Rendering...");
    try {
        if (!Empty()) {
            if (UsesWebPalette())
                BuildDithered();
            else
                BuildDirect();
        }
    } catch (...) {
        Image().Progress(ProgressStage::psEnding, 0, true, "Rendering...");
        throw;
    }
    Image().Progress(ProgressStage::psEnding, 100, true, "Rendering...");
    return bitmap_;
}

void GIFSubImage::BuildDirect() {
    // The active table, black past its entries: a picture without any table still draws.
    const std::array<QRgb, 256> colors = ColorTable32(false);
    QImage bitmap(width_, height_, QImage::Format_Indexed8);
    bitmap.setColorTable(QList<QRgb>(colors.begin(), colors.end()));
    const int transparentIndex = maskNeeded_ && mask_.isNull() ? TransparentIndex() : -1;
    QImage mask;
    if (transparentIndex >= 0) {
        mask = QImage(width_, height_, QImage::Format_Mono);
        mask.fill(0);
    }
    bool masked = false;
    for (int y = 0; y < height_; ++y) {
        if (y % kProgressRows == 0)
            Image().Progress(ProgressStage::psRunning, y * 100 / height_, false, "Rendering...");
        const uint8_t* in = data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        std::memcpy(bitmap.scanLine(y), in, static_cast<size_t>(width_));
        if (transparentIndex < 0) continue;
        uchar* maskRow = mask.scanLine(y);
        for (int x = 0; x < width_; ++x)
            if (in[x] == transparentIndex) {
                maskRow[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
                masked = true;
            }
    }
    if (masked) mask_ = mask;
    maskNeeded_ = false;
    bitmap_ = bitmap;
}

void GIFSubImage::BuildDithered() {
    QImage bitmap(width_, height_, QImage::Format_Indexed8);
    bitmap.setColorTable(IndexedColors(WebPalette()));
    const std::array<QRgb, 256> colors = ColorTable32(false);
    const int transparentIndex = maskNeeded_ && mask_.isNull() ? TransparentIndex() : -1;
    QImage mask;
    NetscapeColorLookup lookup;
    uint8_t hidden = 0;
    if (transparentIndex >= 0) {
        mask = QImage(width_, height_, QImage::Format_Mono);
        mask.fill(0);
        // What lies under the mask: the transparent colour's own web colour.
        const QRgb c = colors[static_cast<size_t>(transparentIndex)];
        hidden = static_cast<uint8_t>(lookup.Lookup(qRed(c), qGreen(c), qBlue(c)).Index);
    }
    FloydSteinbergDitherer ditherer(width_, lookup);
    bool masked = false;
    for (int y = 0; y < height_; ++y) {
        if (y % kProgressRows == 0)
            Image().Progress(ProgressStage::psRunning, y * 100 / height_, false, "Rendering...");
        const uint8_t* in = data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        uchar* out = bitmap.scanLine(y);
        if (transparentIndex >= 0) std::memset(out, hidden, static_cast<size_t>(width_));
        for (int i = 0; i < width_; ++i) {
            const int x = ditherer.Column();
            if (in[x] == transparentIndex) {
                ditherer.Skip();
                mask.scanLine(y)[x >> 3] |= static_cast<uchar>(0x80 >> (x & 7));
                masked = true;
                continue;
            }
            const QRgb c = colors[in[x]];
            out[x] = static_cast<uchar>(ditherer.Dither(qRed(c), qGreen(c), qBlue(c)).Index);
        }
        ditherer.NextLine();
    }
    if (masked) mask_ = mask;
    maskNeeded_ = false;
    bitmap_ = bitmap;
}

const QImage& GIFSubImage::Mask() {
    // A bitmap built before the mask was wanted is built again with it.
    if (maskNeeded_ && transparent_) bitmap_ = QImage();
    Bitmap();
    return mask_;
}

const QImage& GIFSubImage::MaskedImage() {
    if (!masked_.isNull()) return masked_;
    const QImage& mask = Mask();
    QImage image = Bitmap().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < height_; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        const uchar* bits = mask.constScanLine(y);
        for (int x = 0; x < width_; ++x)
            if (bits[x >> 3] & (0x80 >> (x & 7))) row[x] = 0;
    }
    masked_ = image;
    return masked_;
}

Rect GIFSubImage::ScaledRect(const Rect& rect) const {
    const int sw = Image().Width(), sh = Image().Height();
    return {rect.Left + MulDiv(left_, rect.Width(), sw), rect.Top + MulDiv(top_, rect.Height(), sh),
            rect.Left + MulDiv(left_ + width_, rect.Width(), sw),
            rect.Top + MulDiv(top_ + height_, rect.Height(), sh)};
}

bool GIFSubImage::DrawDirect(QImage& target, const Rect& place, const Rect& clip, bool transparent) {
    if (place.Width() != width_ || place.Height() != height_ || !DirectTarget(target) || UsesWebPalette())
        return false;
    const Rect area = Intersect(Intersect(place, clip), {0, 0, target.width(), target.height()});
    if (area.IsEmpty()) return true;
    const std::array<QRgb, 256> colors = ColorTable32(transparent);
    const int seeThrough = transparent ? TransparentIndex() : -1;
    for (int y = area.Top; y < area.Bottom; ++y) {
        const uint8_t* in = data_.data() + static_cast<size_t>(y - place.Top) * static_cast<size_t>(width_) +
                            (area.Left - place.Left);
        QRgb* out = reinterpret_cast<QRgb*>(target.scanLine(y)) + area.Left;
        const int n = area.Width();
        if (seeThrough < 0) {
            for (int x = 0; x < n; ++x)
                out[x] = colors[in[x]];
        } else {
            for (int x = 0; x < n; ++x)
                if (in[x] != seeThrough) out[x] = colors[in[x]];
        }
    }
    return true;
}

void GIFSubImage::Draw(QImage& target, const Rect& rect, bool transparent, bool tile) {
    if (Empty() || rect.IsEmpty() || target.isNull()) return;
    const bool wantMask = transparent && transparent_;
    QPainter painter;
    if (tile) {
        const QImage& source = wantMask && !Mask().isNull() ? MaskedImage() : Bitmap();
        painter.begin(&target);
        painter.setClipRect(ToQRect(rect));
        for (int y = rect.Top + top_; y < rect.Bottom; y += height_)
            for (int x = rect.Left + left_; x < rect.Right; x += width_)
                painter.drawImage(x, y, source);
        return;
    }
    // Only the logical screen is drawn: a frame reaching past it is clipped.
    if (Image().Width() <= 0 || Image().Height() <= 0) return;
    const Rect place = ScaledRect(rect);
    if (DrawDirect(target, place, rect, wantMask)) return;
    const QImage& source = wantMask && !Mask().isNull() ? MaskedImage() : Bitmap();
    painter.begin(&target);
    painter.setClipRect(ToQRect(rect));
    painter.drawImage(ToQRect(place), source);
}

void GIFSubImage::Crop() {
    const int transparentIndex = TransparentIndex();
    if (Empty() || transparentIndex < 0) return;
    int x0 = width_, y0 = height_, x1 = -1, y1 = -1;
    for (int y = 0; y < height_; ++y) {
        const uint8_t* row = data_.data() + static_cast<size_t>(y) * static_cast<size_t>(width_);
        for (int x = 0; x < width_; ++x)
            if (row[x] != transparentIndex) {
                x0 = std::min(x0, x);
                x1 = std::max(x1, x);
                y0 = std::min(y0, y);
                y1 = std::max(y1, y);
            }
    }
    if (x1 < 0) {
        Clear();
        return;
    }
    const int w = x1 - x0 + 1, h = y1 - y0 + 1;
    if (w == width_ && h == height_) return;
    std::vector<uint8_t> cropped(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y)
        std::memcpy(cropped.data() + static_cast<size_t>(y) * static_cast<size_t>(w),
                    data_.data() + static_cast<size_t>(y0 + y) * static_cast<size_t>(width_) + x0,
                    static_cast<size_t>(w));
    data_ = std::move(cropped);
    left_ += x0;
    top_ += y0;
    width_ = w;
    height_ = h;
    DropBitmap();
}

void GIFSubImage::AddToHistogram(std::vector<int>& histogram) const {
    for (uint8_t pixel : data_)
        ++histogram[pixel];
}

void GIFSubImage::MapPixels(const std::vector<uint8_t>& map) {
    for (uint8_t& pixel : data_)
        pixel = map[pixel];
    if (graphicControl_)
        graphicControl_->MapTransparentColorIndex(
            map[static_cast<size_t>(graphicControl_->TransparentColorIndex())]);
    DropBitmap();
}
