#pragma once

#include <stdexcept>
#include <vector>

#include "ui/bitmap/bitmap32.h"

class ETransformError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Copies srcRect of src into dstRect of dst, stretched when the sizes differ, clipped to dstClip and dst.
// The source rectangle is checked before any pixel is written.
void TransferStretched(Bitmap32& dst, const Rect& dstRect, const Rect& dstClip, const Bitmap32& src,
                       const Rect& srcRect, StretchFilter filter, DrawMode mode,
                       const PixelCombineEvent& onPixelCombine);

// Weights of the resampler are fixed point with this many fraction bits.
constexpr int kResampleWeightBits = 12;
constexpr int kResampleOne = 1 << kResampleWeightBits;

struct ResampleEntry {
    int index;
    int weight;
};

// For each destination position of the clip, the source positions and weights that make it; every
// position's weights sum to exactly kResampleOne.
struct ResampleMap {
    std::vector<int> start; // entries of position i are entries[start[i] .. start[i + 1])
    std::vector<ResampleEntry> entries;
    int size() const { return static_cast<int>(start.size()) - 1; }
};

ResampleMap BuildResampleMap(int dstLo, int dstHi, int clipLo, int clipHi, int srcLo, int srcHi,
                             StretchFilter filter);

// The rounded per-channel average of a block of pixels.
Color32 AverageBlock(int width, int height, const Color32* firstPixel, int rowStride);
