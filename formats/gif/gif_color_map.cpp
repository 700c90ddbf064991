#include "formats/gif/gif_color_map.h"

#include <algorithm>
#include <numeric>

#include "formats/gif/gif_error.h"
#include "formats/gif/gif_image.h"
#include "formats/gif/gif_io.h"

int ColorsToBits(int count) {
    if (count <= 0) return 0;
    if (count <= 2) return 1;
    int bits = 2;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

void GIFColorMap::Clear() {
    count_ = 0;
    sorted_ = false;
}

int GIFColorMap::Add(GIFColor color) {
    if (count_ >= kMaxColors) RaiseGIF(gif_messages::kColorTableOverflow);
    data_[static_cast<size_t>(count_)] = color;
    sorted_ = false;
    Changed();
    return count_++;
}

int GIFColorMap::IndexOf(GIFColor color) const {
    if (sorted_) {
        for (int i = 0; i < count_; ++i)
            if (data_[static_cast<size_t>(i)] == color) return i;
    } else {
        for (int i = count_ - 1; i >= 0; --i)
            if (data_[static_cast<size_t>(i)] == color) return i;
    }
    return -1;
}

int GIFColorMap::FindOrAdd(GIFColor color) {
    const int index = IndexOf(color);
    return index >= 0 ? index : Add(color);
}

void GIFColorMap::Delete(int index) {
    if (index < 0 || index >= count_) RaiseGIF(gif_messages::kInvalidColorIndex);
    std::copy(data_.begin() + index + 1, data_.begin() + count_, data_.begin() + index);
    --count_;
    sorted_ = false;
    Changed();
}

int32_t GIFColorMap::Colors(int index) const {
    if (index < 0 || index >= count_) {
        Warning(gif_messages::kInvalidColorIndex);
        index = 0;
    }
    if (count_ == 0) RaiseGIF(gif_messages::kColorTableEmpty);
    const GIFColor& c = data_[static_cast<size_t>(index)];
    return c.Red | c.Green << 8 | c.Blue << 16;
}

void GIFColorMap::SetColor(int index, GIFColor color) {
    if (index < 0 || index >= count_) RaiseGIF(gif_messages::kInvalidColorIndex);
    data_[static_cast<size_t>(index)] = color;
    Changed();
}

void GIFColorMap::LoadFromPalette(const std::vector<QRgb>& palette) {
    count_ = static_cast<int>(std::min<size_t>(palette.size(), kMaxColors));
    for (int i = 0; i < count_; ++i) {
        const QRgb c = palette[static_cast<size_t>(i)];
        data_[static_cast<size_t>(i)] = {static_cast<uint8_t>(qRed(c)), static_cast<uint8_t>(qGreen(c)),
                                         static_cast<uint8_t>(qBlue(c))};
    }
    sorted_ = false;
    Changed();
}

std::vector<QRgb> GIFColorMap::MakePalette() const {
    std::vector<QRgb> palette(static_cast<size_t>(count_));
    for (int i = 0; i < count_; ++i) {
        const GIFColor& c = data_[static_cast<size_t>(i)];
        palette[static_cast<size_t>(i)] = qRgb(c.Red, c.Green, c.Blue);
    }
    return palette;
}

void GIFColorMap::Assign(const GIFColorMap& source) {
    data_ = source.data_;
    count_ = source.count_;
    sorted_ = source.sorted_;
    Changed();
}

void GIFColorMap::LoadFromStream(GIFReader& reader, int count) {
    count_ = 0;
    reader.ReadExact(data_.data(), static_cast<size_t>(count) * 3);
    count_ = count;
    sorted_ = false;
    Changed();
}

void GIFColorMap::SaveToStream(GIFOutput& out) const {
    out.Bytes(data_.data(), static_cast<size_t>(count_) * 3);
    const GIFColor black;
    for (int i = count_; i < (1 << BitsPerPixel()); ++i)
        out.Bytes(&black, 3);
}

bool GIFColorMap::Optimize() {
    if (count_ < 2 || !CanOptimize()) return count_ > 1;
    sorted_ = true;
    const std::vector<int> histogram = BuildHistogram();
    std::vector<int> order(static_cast<size_t>(count_));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return histogram[static_cast<size_t>(a)] > histogram[static_cast<size_t>(b)];
    });
    if (std::is_sorted(order.begin(), order.end())) return true;

    // Indexes past the table stay as they are.
    std::vector<uint8_t> map(kMaxColors);
    std::iota(map.begin(), map.end(), 0);
    std::array<GIFColor, kMaxColors> sorted{};
    int used = count_;
    for (int to = count_ - 1; to >= 0; --to) {
        const int from = order[static_cast<size_t>(to)];
        map[static_cast<size_t>(from)] = static_cast<uint8_t>(to);
        sorted[static_cast<size_t>(to)] = data_[static_cast<size_t>(from)];
        if (histogram[static_cast<size_t>(from)] == 0) used = to;
    }
    MapImages(map);
    data_ = sorted;
    count_ = used;
    Changed();
    return count_ > 1;
}

void GIFGlobalColorMap::Warning(const char* message) const {
    image_.Warning(nullptr, gsWarning, message);
}

std::vector<int> GIFGlobalColorMap::BuildHistogram() const {
    std::vector<int> histogram(kMaxColors);
    for (int i = 0; i < image_.FrameCount(); ++i) {
        const GIFSubImage& frame = image_.Frame(i);
        if (&frame.CurrentTable() == this) frame.AddToHistogram(histogram);
    }
    return histogram;
}

void GIFGlobalColorMap::MapImages(const std::vector<uint8_t>& map) {
    for (int i = 0; i < image_.FrameCount(); ++i) {
        GIFSubImage& frame = image_.Frame(i);
        if (&frame.CurrentTable() == this) frame.MapPixels(map);
    }
}

bool GIFGlobalColorMap::CanOptimize() const {
    return image_.FrameCount() > 0;
}

void GIFGlobalColorMap::Changed() {
    image_.PaletteChanged();
}

void GIFLocalColorMap::Warning(const char* message) const {
    frame_.Warning(gsWarning, message);
}

std::vector<int> GIFLocalColorMap::BuildHistogram() const {
    std::vector<int> histogram(kMaxColors);
    frame_.AddToHistogram(histogram);
    return histogram;
}

void GIFLocalColorMap::MapImages(const std::vector<uint8_t>& map) {
    frame_.MapPixels(map);
}

void GIFLocalColorMap::Changed() {
    frame_.PaletteChanged();
}
