// PNG decoding and encoding, ours against libpng in the same run.
#include <benchmark/benchmark.h>
#include <png.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "formats/picture_formats.h"
#include "formats/png/png_picture.h"
#include "platform/text.h"
#include "support/bench_main.h"
#include "support/libpng_memory_reader.h"
#include "ui/bitmap/bitmap32.h"

namespace fs = std::filesystem;

namespace {

const std::vector<uint8_t>& FileBytes(const std::string& name) {
    static std::vector<std::pair<std::string, std::vector<uint8_t>>> cache;
    for (auto& [cached, bytes] : cache)
        if (cached == name) return bytes;
    std::ifstream in(BenchPicture(name), std::ios::binary);
    cache.emplace_back(name, std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {}));
    return cache.back().second;
}

void WriteToMemory(png_structp png, png_bytep data, png_size_t count) {
    auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + count);
}

void Flush(png_structp) {}

// The peer decodes into pixels what our bitmap holds: 8-bit samples, no alpha, B, G, R order; or, like the
// shown bitmap, with a fourth byte. Pixels of the same size are decoded in place.
size_t LibpngDecode(std::string_view file, std::vector<uint8_t>& pixels, bool bgrx = false) {
    LibpngMemoryReader reader(file);
    png_structp png = reader.png;
    png_infop info = reader.info;
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_bgr(png);
    if (bgrx) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return pixels.size();
}

std::vector<uint8_t> LibpngEncode(const Bitmap& bitmap) {
    std::vector<uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, WriteToMemory, Flush);
    png_set_compression_level(png, 6); // what the default level means to zlib
    png_set_IHDR(png, info, static_cast<png_uint_32>(bitmap.Width()),
                 static_cast<png_uint_32>(bitmap.Height()), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    for (int y = 0; y < bitmap.Height(); ++y)
        png_write_row(png, bitmap.ScanLine(y));
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

bool Skip(benchmark::State& state, const std::string& name) {
    if (!FileBytes(name).empty()) return false;
    state.SkipWithError("the sample picture could not be read");
    return true;
}

void DecodeOurs(benchmark::State& state, const std::string& name) {
    if (Skip(state, name)) return;
    // Like the peer, which reads the cached bytes in place, the file is not copied for every decode.
    MemoryStream stream(FileBytes(name));
    for (auto _ : state) {
        stream.SetPosition(0);
        PngPicture image;
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.ScanLine(0));
    }
}

void DecodeLibpng(benchmark::State& state, const std::string& name) {
    if (Skip(state, name)) return;
    const std::vector<uint8_t>& file = FileBytes(name);
    for (auto _ : state) {
        // A new picture every time, as ours makes.
        std::vector<uint8_t> pixels;
        benchmark::DoNotOptimize(
            LibpngDecode({reinterpret_cast<const char*>(file.data()), file.size()}, pixels));
    }
}

const char* const kNoise = "rgb8_noise_2000x2000.png";

// The pictures to encode: noise, the rings and ramps file, and a smooth 1000 x 1000 shading.
enum class Kind { Noise, Rings, Smooth };

bool EncodedPicture(benchmark::State& state, Kind kind, PngPicture& image) {
    if (kind == Kind::Smooth) {
        QImage shaded(1000, 1000, QImage::Format_RGB32);
        const auto level = [](double wave) { return static_cast<int>(127.5 + 127 * wave); };
        for (int y = 0; y < shaded.height(); ++y)
            for (int x = 0; x < shaded.width(); ++x)
                shaded.setPixel(x, y,
                                qRgb(level(std::sin(x / 37.0) * std::cos(y / 53.0)),
                                     level(std::sin((x + y) / 71.0)),
                                     level(std::cos(std::hypot(x - 500, y - 500) / 29.0))));
        image.Assign(shaded, PixelFormat::pf24bit);
        return true;
    }
    const std::string name = kind == Kind::Noise ? kNoise : "interlaced_rgb8_1000x1000.png";
    if (Skip(state, name)) return false;
    MemoryStream file(FileBytes(name));
    image.LoadFromStream(file);
    return true;
}

void EncodeOurs(benchmark::State& state, Kind kind) {
    PngPicture image;
    if (!EncodedPicture(state, kind, image)) return;
    size_t size = 0;
    for (auto _ : state) {
        MemoryStream out;
        image.SaveToStream(out);
        size = out.Bytes().size();
    }
    state.counters["bytes"] = static_cast<double>(size);
}

void EncodeLibpng(benchmark::State& state, Kind kind) {
    PngPicture image;
    if (!EncodedPicture(state, kind, image)) return;
    size_t size = 0;
    for (auto _ : state)
        size = LibpngEncode(image).size();
    state.counters["bytes"] = static_cast<double>(size);
}

// A part picture from its file to the shown 32-bit bitmap, the path of a click in the master list, beside
// our codec alone with its file read, and libpng reading the file once into its buffer and decoding it into
// BGRX pixels it keeps from one picture to the next, as the shown bitmap is kept.
void ShownOurs(benchmark::State& state) {
    if (Skip(state, kNoise)) return;
    const fs::path file = BenchPicture(kNoise);
    Bitmap32 shown;
    for (auto _ : state)
        shown.LoadFromFileName(file);
}

void ShownCodecAndRead(benchmark::State& state) {
    if (Skip(state, kNoise)) return;
    const fs::path file = BenchPicture(kNoise);
    for (auto _ : state) {
        PngPicture image;
        image.LoadFromFile(file);
        benchmark::DoNotOptimize(image.ScanLine(0));
    }
}

void ShownLibpng(benchmark::State& state) {
    if (Skip(state, kNoise)) return;
    const fs::path file = BenchPicture(kNoise);
    std::vector<uint8_t> shown;
    for (auto _ : state)
        benchmark::DoNotOptimize(LibpngDecode(ReadFileBytes(file).value_or(""), shown, true));
}

} // namespace

BENCHMARK(ShownOurs)->Apply(Interleaved);
BENCHMARK(ShownCodecAndRead)->Apply(Interleaved);
BENCHMARK(ShownLibpng)->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeOurs, rgb_noise, std::string(kNoise))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeLibpng, rgb_noise, std::string(kNoise))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeOurs, rgba, std::string("rgba8_2000x2000.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeLibpng, rgba, std::string("rgba8_2000x2000.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeOurs, grey16, std::string("grey16_512x512.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeLibpng, grey16, std::string("grey16_512x512.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeOurs, interlaced, std::string("interlaced_rgb8_1000x1000.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(DecodeLibpng, interlaced, std::string("interlaced_rgb8_1000x1000.png"))->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeOurs, noise, Kind::Noise)->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeLibpng, noise, Kind::Noise)->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeOurs, rings, Kind::Rings)->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeLibpng, rings, Kind::Rings)->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeOurs, smooth, Kind::Smooth)->Apply(Interleaved);
BENCHMARK_CAPTURE(EncodeLibpng, smooth, Kind::Smooth)->Apply(Interleaved);

int main(int argc, char** argv) {
    return RunInterleaved(argc, argv, RegisterPictureFormats,
                          {{"ShownOurs", "ShownCodecAndRead"},
                           {"ShownOurs", "ShownLibpng"},
                           {"DecodeOurs", "DecodeLibpng"},
                           {"EncodeOurs", "EncodeLibpng"},
                           {"EncodeOurs", "EncodeLibpng", "bytes"}});
}
