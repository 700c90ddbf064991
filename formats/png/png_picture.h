#pragma once

#include "formats/png/png_chunks.h"
#include "formats/png/png_error.h"
#include "formats/png/png_filters.h"
#include "platform/gfx/bitmap.h"

// A bitmap read from and written to PNG files, kept as the file's list of chunks.
class PngPicture : public Bitmap {
  public:
    PngPicture();

    void LoadFromStream(Stream& stream) override;
    // Writes the bitmap as one non-interlaced image, keeping the other chunks that still apply.
    void SaveToStream(Stream& stream) override;

    // From another PNG image the chunks and the pixels, from any other picture the pixels only.
    using Bitmap::Assign;
    void Assign(const Graphic& source);

    // Back to an empty picture with the minimal chunk list.
    void Clear();

    ChunkList& Chunks() { return chunks_; }
    const ChunkList& Chunks() const { return chunks_; }
    // The filters saving tries on each row.
    FilterSet Filters() const { return filters_; }
    void SetFilters(FilterSet filters) { filters_ = filters | FilterBit(RowFilter::None); }

  private:
    void ReadChunks(Stream& stream);
    void PrepareChunksForSave();
    void PlacePalette();
    void PlaceTransparency();

    ChunkList chunks_;
    FilterSet filters_ = kDefaultFilters;
};
