#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "formats/gif/gif_color_map.h"

class GIFImage;
class GIFOutput;
class GIFReader;
class GIFSubImage;

enum class GIFVersion { gvUnknown, gv87a, gv89a };

// A block of a GIF stream that belongs to an image.
class GIFItem {
  public:
    explicit GIFItem(GIFImage& image) : image_(&image) {}
    virtual ~GIFItem() = default;

    // The lowest version of the format that can hold the block.
    virtual GIFVersion Version() const { return GIFVersion::gv87a; }
    void Warning(int severity, const char* message) const;
    virtual void LoadFromStream(GIFReader& reader) = 0;
    virtual void SaveToStream(GIFOutput& out) const = 0;
    GIFImage& Image() const { return *image_; }

  protected:
    GIFItem(const GIFItem&) = default;
    void SetImage(GIFImage& image) { image_ = &image; }

  private:
    GIFImage* image_;
};

// Signature, logical screen descriptor and global colour table.
class GIFHeader : public GIFItem {
  public:
    explicit GIFHeader(GIFImage& image);

    // "Invalid GIF signature" unless the stream starts with "GIF", or has it 4 bytes further on.
    void LoadFromStream(GIFReader& reader) override;
    void SaveToStream(GIFOutput& out) const override;
    void Clear();
    void Assign(const GIFHeader& source);

    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetWidth(int width) { width_ = width; }
    void SetHeight(int height) { height_ = height; }
    uint8_t Packed() const { return packed_; }
    int BackgroundColorIndex() const { return backgroundIndex_; }
    void SetBackgroundColorIndex(int index) { backgroundIndex_ = static_cast<uint8_t>(index); }
    int AspectRatio() const { return aspectRatio_; }
    // The global table's colour at the background index, as $00BBGGRR.
    int32_t BackgroundColor() const { return colorMap_.Colors(backgroundIndex_); }
    GIFGlobalColorMap& ColorMap() { return colorMap_; }
    const GIFGlobalColorMap& ColorMap() const { return colorMap_; }
    // The packed field as it is written: table flags and sizes from the tables of the image.
    uint8_t PackedField() const;
    void UpdatePacked() { packed_ = PackedField(); }

  private:
    int width_ = 0;
    int height_ = 0;
    uint8_t packed_ = 0;
    uint8_t backgroundIndex_ = 0;
    uint8_t aspectRatio_ = 0;
    GIFGlobalColorMap colorMap_;
};

// A block introduced by "!" and a label, preceding the image descriptor of its frame.
class GIFExtension : public GIFItem {
  public:
    explicit GIFExtension(GIFSubImage& frame);

    GIFVersion Version() const override { return GIFVersion::gv89a; }
    virtual uint8_t ExtensionType() const = 0;
    // A copy that belongs to another frame.
    virtual std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const = 0;
    void LoadFromStream(GIFReader& reader) override;
    void SaveToStream(GIFOutput& out) const override;
    GIFSubImage& SubImage() const { return *frame_; }

  protected:
    GIFExtension(const GIFExtension&) = default;
    template <class T> static std::unique_ptr<GIFExtension> CloneTo(const T& source, GIFSubImage& frame) {
        auto copy = std::unique_ptr<T>(new T(source));
        static_cast<GIFExtension&>(*copy).Attach(frame);
        return copy;
    }
    // The bytes after the label.
    virtual void LoadData(GIFReader& reader) = 0;
    virtual void SaveData(GIFOutput& out) const = 0;

  private:
    void Attach(GIFSubImage& frame);
    GIFSubImage* frame_;
};

// Creates the extension whose introducer is next in the stream, of the class its label (and for
// application extensions, identifier) selects; labels without a class are kept raw.
std::unique_ptr<GIFExtension> CreateExtension(GIFReader& reader, GIFSubImage& frame);

// Text to be drawn in a character grid.
class GIFTextExtension : public GIFExtension {
  public:
    static constexpr uint8_t kLabel = 0x01;
    using GIFExtension::GIFExtension;
    uint8_t ExtensionType() const override { return kLabel; }
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    // Left, top, width, height, cell width, cell height, foreground and background index.
    std::array<int, 8> Grid{};
    std::vector<std::string> Text;

  protected:
    void LoadData(GIFReader& reader) override;
    void SaveData(GIFOutput& out) const override;

  private:
    uint8_t blockSize_ = 12;
};

// Disposal, delay and transparent colour of a frame.
class GIFGraphicControlExtension : public GIFExtension {
  public:
    static constexpr uint8_t kLabel = 0xF9;
    using GIFExtension::GIFExtension;
    uint8_t ExtensionType() const override { return kLabel; }
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    // 0 none, 1 leave in place, 2 restore the background, 3 restore the previous state.
    int Disposal() const { return (packed_ >> 2) & 7; }
    void SetDisposal(int method) { packed_ = static_cast<uint8_t>((packed_ & ~0x1C) | (method & 7) << 2); }
    bool Transparent() const { return packed_ & 1; }
    void SetTransparent(bool on) { packed_ = static_cast<uint8_t>(on ? packed_ | 1 : packed_ & ~1); }
    bool UserInput() const { return packed_ & 2; }
    // In hundredths of a second.
    int Delay() const { return delay_; }
    void SetDelay(int delay) { delay_ = static_cast<uint16_t>(delay); }
    int TransparentColorIndex() const { return transparentIndex_; }
    // Checked against the frame's colour table: an index past its entries is a warning and becomes 0.
    void SetTransparentColorIndex(int index);
    // Without the check, for rewriting pixels and table together.
    void MapTransparentColorIndex(int index) { transparentIndex_ = static_cast<uint8_t>(index); }

  protected:
    void LoadData(GIFReader& reader) override;
    void SaveData(GIFOutput& out) const override;

  private:
    uint8_t blockSize_ = 4;
    uint8_t packed_ = 0;
    uint16_t delay_ = 0;
    uint8_t transparentIndex_ = 0;
    uint8_t terminator_ = 0;
};

class GIFCommentExtension : public GIFExtension {
  public:
    static constexpr uint8_t kLabel = 0xFE;
    using GIFExtension::GIFExtension;
    uint8_t ExtensionType() const override { return kLabel; }
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    // One line per data sub-block.
    std::vector<std::string> Text;

  protected:
    void LoadData(GIFReader& reader) override;
    void SaveData(GIFOutput& out) const override;
};

// Identifier and authentication code, then data of the kind the identifier names.
class GIFApplicationExtension : public GIFExtension {
  public:
    static constexpr uint8_t kLabel = 0xFF;
    using GIFExtension::GIFExtension;
    uint8_t ExtensionType() const override { return kLabel; }

    // 8 identifier bytes, then 3 of the authentication code.
    std::array<char, 11> Identifier{};

  protected:
    void LoadData(GIFReader& reader) override;
    void SaveData(GIFOutput& out) const override;
    virtual void LoadAppData(GIFReader& reader) = 0;
    virtual void SaveAppData(GIFOutput& out) const = 0;
};

// The loop count of an animation.
class GIFAppExtNSLoop : public GIFApplicationExtension {
  public:
    explicit GIFAppExtNSLoop(GIFSubImage& frame);
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    // 0 loops without end.
    int Loops = 0;
    // 0 for none.
    uint32_t BufferSize = 0;

  protected:
    void LoadAppData(GIFReader& reader) override;
    void SaveAppData(GIFOutput& out) const override;
};

// An application extension of no known kind: its data sub-blocks, written back unchanged.
class GIFUnknownAppExtension : public GIFApplicationExtension {
  public:
    using GIFApplicationExtension::GIFApplicationExtension;
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    std::vector<std::string> Blocks;

  protected:
    void LoadAppData(GIFReader& reader) override;
    void SaveAppData(GIFOutput& out) const override;
};

// An extension whose label no class knows; the format says to skip it, so its sub-blocks are kept raw.
class GIFUnknownExtension : public GIFExtension {
  public:
    GIFUnknownExtension(GIFSubImage& frame, uint8_t label) : GIFExtension(frame), label_(label) {}
    uint8_t ExtensionType() const override { return label_; }
    std::unique_ptr<GIFExtension> Clone(GIFSubImage& frame) const override { return CloneTo(*this, frame); }

    std::vector<std::string> Blocks;

  protected:
    void LoadData(GIFReader& reader) override;
    void SaveData(GIFOutput& out) const override;

  private:
    uint8_t label_;
};
