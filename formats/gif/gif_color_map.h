#pragma once

#include <QRgb>
#include <array>
#include <cstdint>
#include <vector>

class GIFImage;
class GIFOutput;
class GIFReader;
class GIFSubImage;

struct GIFColor {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    bool operator==(const GIFColor&) const = default;
};
// Tables are read and written as packed triplets.
static_assert(sizeof(GIFColor) == 3);

// Table bits for a colour count: 0 for none, 1 for up to 2, else the smallest n >= 2 with 2^n >= count.
int ColorsToBits(int count);

// A colour table of up to 256 entries. A table is written with 2^bits entries, padded with black.
class GIFColorMap {
  public:
    static constexpr int kMaxColors = 256;

    virtual ~GIFColorMap() = default;

    void Clear();
    // "Color table overflow" at 256 entries; returns the new index.
    int Add(GIFColor color);
    // Exact match: from the first entry when sorted, else from the last; -1 when absent.
    int IndexOf(GIFColor color) const;
    int FindOrAdd(GIFColor color);
    void Delete(int index);
    // The colour as $00BBGGRR; a bad index is a warning and reads entry 0.
    int32_t Colors(int index) const;
    GIFColor Color(int index) const { return data_[static_cast<size_t>(index)]; }
    void SetColor(int index, GIFColor color);
    int Count() const { return count_; }
    bool Sorted() const { return sorted_; }
    void SetSorted(bool sorted) { sorted_ = sorted; }
    int BitsPerPixel() const { return ColorsToBits(count_); }

    // Up to 256 entries of a palette, alpha ignored.
    void LoadFromPalette(const std::vector<QRgb>& palette);
    // The entries as opaque colours; empty for an empty table.
    std::vector<QRgb> MakePalette() const;
    void Assign(const GIFColorMap& source);

    // count RGB triplets from the stream.
    void LoadFromStream(GIFReader& reader, int count);
    // The entries padded with black to 2^BitsPerPixel().
    void SaveToStream(GIFOutput& out) const;

    // Sorts the entries by use, most used first, and drops the unused ones from the end; rewrites the
    // pixels that use the table. Returns whether the table has more than one entry.
    bool Optimize();

  protected:
    virtual void Warning(const char* message) const = 0;
    // Use count of each entry over the pixels whose active table this is.
    virtual std::vector<int> BuildHistogram() const = 0;
    // Rewrites those pixels (and transparent indexes) through map[old] = new.
    virtual void MapImages(const std::vector<uint8_t>& map) = 0;
    virtual bool CanOptimize() const { return true; }
    virtual void Changed() = 0;

  private:
    std::array<GIFColor, kMaxColors> data_{};
    int count_ = 0;
    bool sorted_ = false;
};

// The table of the logical screen, used by every frame without a table of its own.
class GIFGlobalColorMap : public GIFColorMap {
  public:
    explicit GIFGlobalColorMap(GIFImage& image) : image_(image) {}

  protected:
    void Warning(const char* message) const override;
    std::vector<int> BuildHistogram() const override;
    void MapImages(const std::vector<uint8_t>& map) override;
    bool CanOptimize() const override;
    void Changed() override;

  private:
    GIFImage& image_;
};

class GIFLocalColorMap : public GIFColorMap {
  public:
    explicit GIFLocalColorMap(GIFSubImage& frame) : frame_(frame) {}

  protected:
    void Warning(const char* message) const override;
    std::vector<int> BuildHistogram() const override;
    void MapImages(const std::vector<uint8_t>& map) override;
    void Changed() override;

  private:
    GIFSubImage& frame_;
};
