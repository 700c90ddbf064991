#pragma once

#include <QStringList>
#include <cstdint>
#include <stdexcept>

#include "platform/gfx/bitmap.h"
#include "ui/kit/kit_object.h"
#include "ui/kit/kit_wave.h"

class KitCustomContainer;
class Stream;

class EInvalidGraphicOperation : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An item of a container. Its stream record: an integer of flags (bit 0 the item's flag, bit 1 a
// description follows, bit 2 the ident follows, further bits the item's own), the description, the ident,
// then the item's payload.
class KitListItem : public KitComponent {
    Q_OBJECT
  public:
    // Raises EInvalidOperation without a container.
    explicit KitListItem(KitCustomContainer* owner);

    KitCustomContainer* Owner() const { return owner_; }
    QString Description;
    uint16_t Ident = 0;
    virtual bool Flag() const { return flag_; }
    virtual void SetFlag(bool flag) { flag_ = flag; }

    void WriteRecord(Stream& stream) const;
    void ReadRecord(Stream& stream);
    // Copies another item of the same class.
    virtual void AssignItem(const KitListItem& source);

  protected:
    static constexpr int kFlag = 1, kDescription = 2, kIdent = 4;
    virtual int PayloadFlags() const { return 0; }
    virtual void WritePayload(Stream&) const {}
    virtual void ReadPayload(Stream&, int) {}

  private:
    KitCustomContainer* owner_;
    bool flag_ = false;
};

// A bitmap kept at one of four record forms: modes 0 .. 3 are own depth or 256 colours, sized or
// compressed.
class KitBitmapListItem : public KitListItem {
    Q_OBJECT
  public:
    using KitListItem::KitListItem;
    Bitmap Picture;
    uint8_t Mode = 0;
    void AssignItem(const KitListItem& source) override;

  protected:
    int PayloadFlags() const override;
    void WritePayload(Stream& stream) const override;
    void ReadPayload(Stream& stream, int flags) override;
};

// Equal cells side by side in one image strip, with a mask when Masked. The item's flag is Masked.
class KitImageListItem : public KitListItem {
    Q_OBJECT
  public:
    static constexpr int kMaxStripWidth = 32768;
    using KitListItem::KitListItem;

    int AllocBy = 4;
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the cell size drops the cells.
    void SetCellSize(int width, int height);
    bool Flag() const override { return masked_; }
    void SetFlag(bool masked) override { SetMasked(masked); }
    bool Masked() const { return masked_; }
    // On: the mask is built from the image, each cell by its own transparent colour. Off: dropped.
    void SetMasked(bool masked);
    int Count() const { return count_; }
    // The cells of a strip as wide as a whole number of cells.
    void SetImage(const Bitmap& strip);
    // Appends the cells of another item: the same cell size ("Invalid image size") and a strip of at most
    // 32768 pixels ("Too many images"), else EInvalidGraphicOperation.
    void AddImages(const KitImageListItem& other);
    const Bitmap& Image() const { return image_; }
    const Bitmap& MaskBitmap() const { return mask_; }
    // The pixel at the cell's left edge on its bottom row.
    QRgb CellTransparentColor(int cell) const;
    // The left edge of a cell in the strip.
    int CellOffset(int cell) const { return cell * width_; }
    void AssignItem(const KitListItem& source) override;

  protected:
    void WritePayload(Stream& stream) const override;
    void ReadPayload(Stream& stream, int flags) override;

  private:
    void Rebuild(Bitmap strip, int count);

    int width_ = 16, height_ = 16;
    bool masked_ = false;
    int count_ = 0;
    Bitmap image_;
    Bitmap mask_;
};

class KitStringListItem : public KitListItem {
    Q_OBJECT
  public:
    using KitListItem::KitListItem;
    QStringList Items;
    void AssignItem(const KitListItem& source) override;

  protected:
    void WritePayload(Stream& stream) const override;
    void ReadPayload(Stream& stream, int flags) override;
};

class KitWaveListItem : public KitListItem {
    Q_OBJECT
  public:
    using KitListItem::KitListItem;
    KitWave Wave;
    void AssignItem(const KitListItem& source) override;

  protected:
    void WritePayload(Stream& stream) const override;
    void ReadPayload(Stream& stream, int flags) override;
};
