#pragma once

#include <QImage>
#include <QRgb>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "formats/gif/gif_blocks.h"
#include "platform/gfx/rect.h"

class Graphic;

// One frame of a GIF picture: its extensions, image descriptor, local colour table and one colour index
// per pixel, with the bitmap and mask it is drawn from built on demand.
class GIFSubImage : public GIFItem {
  public:
    explicit GIFSubImage(GIFImage& image);
    ~GIFSubImage() override;
    GIFSubImage(const GIFSubImage&) = delete;
    GIFSubImage& operator=(const GIFSubImage&) = delete;

    // "89a" with any extension or a sorted local table.
    GIFVersion Version() const override;
    // Extensions, then the image descriptor, local table and image data when an image follows them.
    void LoadFromStream(GIFReader& reader) override;
    void SaveToStream(GIFOutput& out) const override;

    // A copy of another frame (of this or another image).
    void Assign(const GIFSubImage& source);
    // Any picture as a frame: colour tables taken from it, true-colour pictures reduced first.
    void Assign(const Graphic& source);

    void Clear();
    bool Empty() const { return data_.empty() || width_ == 0 || height_ == 0; }
    void AllocateData();
    // "Image is empty" when the frame has no size.
    void EnsureData();
    uint8_t* ScanLine(int y);
    uint8_t Pixels(int x, int y);
    const std::vector<uint8_t>& Data() const { return data_; }
    void SetBounds(int left, int top, int width, int height);
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    Rect BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    bool Interlaced() const { return packed_ & 0x40; }
    void SetInterlaced(bool on);

    GIFLocalColorMap& ColorMap() { return colorMap_; }
    const GIFLocalColorMap& ColorMap() const { return colorMap_; }
    // The local table when it has entries, else the global one when that has, else the (empty) local one.
    const GIFColorMap& CurrentTable() const;
    // The active table as 256 colours, black past its entries, the transparent index see-through when
    // transparent is set and the frame has a transparent colour.
    std::array<QRgb, 256> ColorTable32(bool transparent) const;

    const std::vector<std::unique_ptr<GIFExtension>>& Extensions() const { return extensions_; }
    // The first graphic control extension added becomes the frame's graphic control.
    GIFExtension& AddExtension(std::unique_ptr<GIFExtension> extension);
    void DeleteExtension(const GIFExtension* extension);
    GIFGraphicControlExtension* GraphicControlExtension() const { return graphicControl_; }
    bool Transparent() const { return transparent_; }
    // The transparent index, or -1 when the frame has none.
    int TransparentIndex() const;
    // Makes index the transparent one, adding a graphic control extension when there is none.
    void SetTransparentIndex(int index);
    void ClearTransparency();

    // The colours the frame is drawn with.
    std::vector<QRgb> Palette();
    void SetPalette(std::vector<QRgb> palette);
    // The frame as an 8-bit picture in its palette, built on first use.
    const QImage& Bitmap();
    // 1 where the pixel is transparent; null when no pixel is.
    const QImage& Mask();
    void DropBitmap();

    // Draws the frame's place of the logical screen scaled into rect, or repeated at its own size over
    // rect with tile; with transparent, transparent pixels leave the target as it is.
    void Draw(QImage& target, const Rect& rect, bool transparent, bool tile);
    // Shrinks a transparent frame to the box of its pixels that are not transparent.
    void Crop();

    // For the colour tables: use counts of the pixels, and their rewriting through a new order.
    void AddToHistogram(std::vector<int>& histogram) const;
    void MapPixels(const std::vector<uint8_t>& map);
    void PaletteChanged();

  private:
    void ReadDescriptor(GIFReader& reader);
    void ImportBitmap(const class Bitmap& bitmap);
    void ApplyMask(const std::vector<bool>& masked);
    void BuildDirect();
    void BuildDithered();
    const QImage& MaskedImage();
    bool UsesWebPalette() const;
    // The frame's place of the logical screen scaled into rect.
    Rect ScaledRect(const Rect& rect) const;
    // Index by index through the colour table when nothing is scaled; false when it cannot.
    bool DrawDirect(QImage& target, const Rect& place, const Rect& clip, bool transparent);

    std::vector<uint8_t> data_;
    GIFLocalColorMap colorMap_;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    uint8_t packed_ = 0;
    std::vector<std::unique_ptr<GIFExtension>> extensions_;
    bool transparent_ = false;
    GIFGraphicControlExtension* graphicControl_ = nullptr;

    std::optional<std::vector<QRgb>> palette_;
    QImage bitmap_;
    QImage mask_;
    bool maskNeeded_ = true;
    QImage masked_; // the bitmap with its mask as alpha, for transparent drawing
};
