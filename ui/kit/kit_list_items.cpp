#include "ui/kit/kit_list_items.h"

#include "platform/stream.h"
#include "platform/sys/sys_errors.h"
#include "ui/bitmap/kit_graphics.h"
#include "ui/kit/kit_container.h"
#include "ui/kit/kit_records.h"

namespace {

constexpr int kBitmapFollows = 8;
constexpr int kModeBits[] = {0, 16, 32, 64};

// Record form of a bitmap item's mode: compressed or sized, own depth or 256 colours.
bool ModeCompressed(uint8_t mode) {
    return mode & 1;
}
int ModeColors(uint8_t mode) {
    return (mode & 2) ? 256 : -1;
}

Bitmap Cropped(const Bitmap& bitmap, int width) {
    if (bitmap.Width() <= width) return bitmap;
    Bitmap cropped;
    cropped.SetPixelFormat(bitmap.Format());
    cropped.Palette() = bitmap.Palette();
    cropped.SetSize(width, bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < width; ++x)
            if (BitsPerPixel(bitmap.Format()) <= 8)
                cropped.SetIndex(x, y, bitmap.Index(x, y));
            else
                cropped.SetPixel(x, y, bitmap.Pixel(x, y));
    return cropped;
}

} // namespace

KitListItem::KitListItem(KitCustomContainer* owner) : KitComponent(nullptr), owner_(owner) {
    if (!owner) throw EInvalidOperation("KitListItem");
}

void KitListItem::WriteRecord(Stream& stream) const {
    const int flags = (Flag() ? kFlag : 0) | (Description.isEmpty() ? 0 : kDescription) |
                      (Ident ? kIdent : 0) | PayloadFlags();
    WriteInteger(stream, flags);
    if (flags & kDescription) WriteShortString(stream, Description);
    if (flags & kIdent) WriteInteger(stream, Ident);
    WritePayload(stream);
}

void KitListItem::ReadRecord(Stream& stream) {
    const int flags = ReadInteger(stream);
    SetFlag(flags & kFlag);
    Description = (flags & kDescription) ? ReadShortString(stream) : QString();
    Ident = (flags & kIdent) ? static_cast<uint16_t>(ReadInteger(stream)) : 0;
    ReadPayload(stream, flags);
}

void KitListItem::AssignItem(const KitListItem& source) {
    Description = source.Description;
    Ident = source.Ident;
    SetFlag(source.Flag());
}

void KitBitmapListItem::AssignItem(const KitListItem& source) {
    KitListItem::AssignItem(source);
    if (const auto* item = dynamic_cast<const KitBitmapListItem*>(&source)) {
        Picture = item->Picture;
        Mode = item->Mode;
    }
}

int KitBitmapListItem::PayloadFlags() const {
    return Picture.Empty() ? 0 : kBitmapFollows | kModeBits[Mode & 3];
}

void KitBitmapListItem::WritePayload(Stream& stream) const {
    if (!Picture.Empty()) WriteBitmap(stream, Picture, ModeCompressed(Mode), ModeColors(Mode));
}

void KitBitmapListItem::ReadPayload(Stream& stream, int flags) {
    Mode = 0;
    for (uint8_t mode = 1; mode < 4; ++mode)
        if (flags & kModeBits[mode]) Mode = mode;
    Picture = Bitmap();
    if (flags & kBitmapFollows) ReadBitmap(stream, Picture, ModeCompressed(Mode));
}

void KitImageListItem::SetCellSize(int width, int height) {
    if (width < 1 || height < 1) throw EInvalidGraphicOperation("Invalid image size");
    width_ = width;
    height_ = height;
    Rebuild(Bitmap(), 0);
}

void KitImageListItem::SetMasked(bool masked) {
    masked_ = masked;
    Rebuild(image_, count_);
}

void KitImageListItem::SetImage(const Bitmap& strip) {
    if (strip.Empty()) {
        Rebuild(Bitmap(), 0);
        return;
    }
    if (strip.Height() != height_ || strip.Width() % width_ != 0 || strip.Width() > kMaxStripWidth)
        throw EInvalidGraphicOperation("Invalid image size");
    Rebuild(strip, strip.Width() / width_);
}

void KitImageListItem::AddImages(const KitImageListItem& other) {
    if (other.width_ != width_ || other.height_ != height_)
        throw EInvalidGraphicOperation("Invalid image size");
    const int count = count_ + other.count_;
    if (int64_t(count) * width_ > kMaxStripWidth) throw EInvalidGraphicOperation("Too many images");
    // The strip grows by whole steps of AllocBy cells; the cells beyond the count stay blank.
    const int step = std::max(AllocBy, 1);
    const int capacity = (count + step - 1) / step * step;
    Bitmap strip;
    strip.SetPixelFormat(PixelFormat::pf24bit);
    strip.SetSize(std::min(capacity * width_, kMaxStripWidth), height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < count * width_; ++x)
            strip.SetPixel(
                x, y, x < count_ * width_ ? image_.Pixel(x, y) : other.image_.Pixel(x - count_ * width_, y));
    Rebuild(std::move(strip), count);
    Changed();
}

QRgb KitImageListItem::CellTransparentColor(int cell) const {
    if (cell < 0 || cell >= count_) return qRgb(255, 255, 255);
    return image_.Pixel(CellOffset(cell), height_ - 1) | 0xFF000000u;
}

void KitImageListItem::Rebuild(Bitmap strip, int count) {
    image_ = std::move(strip);
    count_ = count;
    mask_ = Bitmap();
    if (!masked_ || count_ == 0) return;
    mask_.SetPixelFormat(PixelFormat::pf1bit);
    mask_.SetSize(image_.Width(), image_.Height());
    mask_.Palette() = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    for (int cell = 0; cell < count_; ++cell) {
        const QRgb key = CellTransparentColor(cell) & 0xFFFFFF;
        for (int y = 0; y < height_; ++y)
            for (int x = CellOffset(cell); x < CellOffset(cell) + width_; ++x)
                mask_.SetIndex(x, y, (image_.Pixel(x, y) & 0xFFFFFF) == key ? 1 : 0);
    }
}

void KitImageListItem::AssignItem(const KitListItem& source) {
    KitListItem::AssignItem(source);
    if (const auto* item = dynamic_cast<const KitImageListItem*>(&source)) {
        AllocBy = item->AllocBy;
        width_ = item->width_;
        height_ = item->height_;
        masked_ = item->masked_;
        Rebuild(item->image_, item->count_);
    }
}

void KitImageListItem::WritePayload(Stream& stream) const {
    WriteInteger(stream, count_);
    if (count_ == 0) return;
    // Only the cells: the strip's spare room is not part of the picture.
    WriteBitmap(stream, Cropped(image_, count_ * width_), false);
    if (masked_) WriteBitmap(stream, Cropped(mask_, count_ * width_), false);
}

void KitImageListItem::ReadPayload(Stream& stream, int) {
    const int32_t count = ReadInteger(stream);
    if (count < 0 || count > kMaxStripWidth) throw EStreamError("Bad image cell count");
    if (count == 0) {
        Rebuild(Bitmap(), 0);
        return;
    }
    Bitmap strip;
    ReadBitmap(stream, strip, false);
    if (strip.Width() % count != 0) throw EStreamError("Image strip does not hold its cells");
    if (masked_) {
        Bitmap mask;
        ReadBitmap(stream, mask, false); // rebuilt from the image, as Masked says
    }
    width_ = strip.Width() / count;
    height_ = strip.Height();
    Rebuild(std::move(strip), count);
}

void KitStringListItem::AssignItem(const KitListItem& source) {
    KitListItem::AssignItem(source);
    if (const auto* item = dynamic_cast<const KitStringListItem*>(&source)) Items = item->Items;
}

void KitStringListItem::WritePayload(Stream& stream) const {
    WriteStringList(stream, Items, false);
}

void KitStringListItem::ReadPayload(Stream& stream, int) {
    Items = ReadStringList(stream, false);
}

void KitWaveListItem::AssignItem(const KitListItem& source) {
    KitListItem::AssignItem(source);
    if (const auto* item = dynamic_cast<const KitWaveListItem*>(&source)) Wave.Assign(item->Wave);
}

void KitWaveListItem::WritePayload(Stream& stream) const {
    WriteWave(stream, Wave, false);
}

void KitWaveListItem::ReadPayload(Stream& stream, int) {
    ReadWave(stream, Wave, false);
}
