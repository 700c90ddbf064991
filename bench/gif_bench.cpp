// GIF decoding from the file to the shown bitmap, and encoding, ours against giflib and gifsicle in the
// same run, the repetitions of all taking turns; the ratios are printed at the end. Files are re-encoded, and
// their sizes compared, for three pictures: 256-colour noise, a gradient and a screen shot of the main
// window, the last two made as the run starts and quantised to 256 colours.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <QHash>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/main_window.h"
#include "formats/gif/gif_image.h"
#include "formats/picture_formats.h"
#include "platform/stream.h"
#include "support/bench_main.h"
#include "support/bench_window.h"
#include "support/generated_pictures.h"
#include "ui/bitmap/bitmap32.h"

namespace fs = std::filesystem;

namespace {

const fs::path& Noise() {
    static const fs::path file = GeneratedPicture("large_noise_2000x2000_256col.gif");
    return file;
}

// The path of a part picture: the file through the picture registry into the shown 32-bit bitmap.
void DecodeShownOurs(benchmark::State& state) {
    Bitmap32 shown;
    for (auto _ : state) {
        shown.LoadFromFileName(Noise());
        benchmark::DoNotOptimize(shown.Bits());
    }
}

// The peer: the file read and decoded whole, its pixels turned into 32-bit colours through the table.
void DecodeShownGiflib(benchmark::State& state) {
    std::vector<uint32_t> shown;
    for (auto _ : state) {
        int error = 0;
        GifFileType* gif = DGifOpenFileName(Noise().c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK) {
            state.SkipWithError("giflib could not read the file");
            return;
        }
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
        uint32_t table[256] = {};
        for (int i = 0; i < map->ColorCount; ++i)
            table[i] = 0xFF000000u | uint32_t(map->Colors[i].Red) << 16 |
                       uint32_t(map->Colors[i].Green) << 8 | map->Colors[i].Blue;
        const size_t pixels = size_t(image.ImageDesc.Width) * size_t(image.ImageDesc.Height);
        shown.resize(pixels);
        for (size_t i = 0; i < pixels; ++i)
            shown[i] = table[image.RasterBits[i]];
        benchmark::DoNotOptimize(shown.data());
        DGifCloseFile(gif, &error);
    }
}

GIFImage& LoadedNoise() {
    static GIFImage image;
    if (image.FrameCount() == 0 && fs::exists(Noise())) image.LoadFromFile(Noise());
    return image;
}

void EncodeOurs(benchmark::State& state) {
    GIFImage& image = LoadedNoise();
    image.SetEncoding(static_cast<int>(state.range(0)));
    size_t size = 0;
    for (auto _ : state) {
        MemoryStream out;
        image.SaveToStream(out);
        size = out.Bytes().size();
    }
    state.counters["bytes"] = static_cast<double>(size);
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int count) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + count);
    return count;
}

// One frame of 8-bit pixels as giflib writes it, under a table of 256 entries (the palette padded).
std::vector<uint8_t> GiflibEncode(int width, int height, const std::vector<QRgb>& palette,
                                  const uint8_t* pixels, size_t stride) {
    std::vector<uint8_t> out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (size_t i = 0; i < 256; ++i) {
        const QRgb colour = i < palette.size() ? palette[i] : 0;
        map->Colors[i] = {GifByteType(qRed(colour)), GifByteType(qGreen(colour)), GifByteType(qBlue(colour))};
    }
    EGifPutScreenDesc(gif, width, height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr);
    for (int y = 0; y < height; ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(pixels) + size_t(y) * stride, width);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

void EncodeGiflib(benchmark::State& state) {
    const GIFSubImage& frame = LoadedNoise().Frame(0);
    const std::vector<QRgb> palette = LoadedNoise().Header().ColorMap().MakePalette();
    size_t size = 0;
    for (auto _ : state)
        size =
            GiflibEncode(frame.Width(), frame.Height(), palette, frame.Data().data(), size_t(frame.Width()))
                .size();
    state.counters["bytes"] = static_cast<double>(size);
}

// ---- Pictures re-encoded from file to file.

enum class Sample { Noise, Gradient, Screen };

// Where the made pictures and the re-encoded files go; removed at exit.
const fs::path& Folder() {
    static const TempFolder folder("tessarin-gif-bench");
    return folder.dir;
}

// An 8-bit picture as a GIF file written by giflib, so that neither side made it.
void WriteIndexed(const QImage& indexed, const fs::path& file) {
    const QList<QRgb> table = indexed.colorTable();
    const std::vector<uint8_t> bytes =
        GiflibEncode(indexed.width(), indexed.height(), std::vector<QRgb>(table.begin(), table.end()),
                     indexed.constBits(), size_t(indexed.bytesPerLine()));
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A screen shot in its own 256 most frequent colours, each pixel taking the nearest of them: a window is
// mostly flat colours, which a fixed colour cube would dither.
QImage InOwnColours(const QImage& picture) {
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x)
            ++counts[row[x]];
    }
    std::vector<std::pair<int, QRgb>> byCount;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        byCount.emplace_back(it.value(), it.key());
    const auto kept = byCount.begin() + std::min<std::ptrdiff_t>(256, std::ssize(byCount));
    std::partial_sort(byCount.begin(), kept, byCount.end(), std::greater<>());
    QList<QRgb> table;
    for (auto it = byCount.begin(); it != kept; ++it)
        table << it->second;
    return rgb.convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
}

// 2000 x 2000: red across, green down, blue along the diagonal.
QImage Gradient() {
    constexpr int kSide = 2000;
    QImage picture(kSide, kSide, QImage::Format_RGB32);
    for (int y = 0; y < kSide; ++y) {
        auto* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kSide; ++x)
            row[x] = qRgb(x * 255 / kSide, y * 255 / kSide, (x + y) * 255 / (2 * kSide));
    }
    return picture;
}

// The main window at 1280 x 800 on the real master list, with an inventory of 300 rows, as drawn offscreen.
QImage ScreenShot() {
    BenchWindow bench;
    bench.Fill(300);
    bench.window().resize(1280, 800);
    BenchWindow::Show();
    return bench.window().grab().toImage();
}

// Made on first use, before the timing.
const fs::path& SampleFile(Sample sample) {
    static std::map<Sample, fs::path> files;
    auto [it, added] = files.try_emplace(sample);
    if (!added) return it->second;
    if (sample == Sample::Noise) return it->second = Noise();
    it->second = Folder() / (sample == Sample::Gradient ? "gradient.gif" : "screen.gif");
    // Qt's own quantising for the gradient: a colour cube with error diffusion.
    WriteIndexed(sample == Sample::Gradient ? Gradient().convertToFormat(QImage::Format_Indexed8)
                                            : InOwnColours(ScreenShot()),
                 it->second);
    return it->second;
}

// Whole-process figures: gifsicle reads, decodes, re-encodes (mirroring forces that) and writes the file;
// ours does the same work in-process from and to files.
void RecodeGifsicle(benchmark::State& state, Sample sample) {
    const fs::path in = SampleFile(sample), out = Folder() / "gifsicle.gif";
    const std::string command = "gifsicle --flip-horizontal '" + in.string() + "' -o '" + out.string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("gifsicle failed");
            return;
        }
    state.counters["bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}

void RecodeOurs(benchmark::State& state, Sample sample) {
    const fs::path in = SampleFile(sample), out = Folder() / "ours.gif";
    for (auto _ : state) {
        GIFImage image;
        image.LoadFromFile(in);
        image.SaveToFile(out);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}

} // namespace

BENCHMARK(DecodeShownOurs)->Apply(Interleaved);
BENCHMARK(DecodeShownGiflib)->Apply(Interleaved);
BENCHMARK(EncodeOurs)->Arg(0)->Arg(1)->Apply(Interleaved);
BENCHMARK(EncodeGiflib)->Apply(Interleaved);
BENCHMARK_CAPTURE(RecodeOurs, noise, Sample::Noise)->Apply(Interleaved)->Iterations(3);
BENCHMARK_CAPTURE(RecodeGifsicle, noise, Sample::Noise)->Apply(Interleaved)->Iterations(3);
BENCHMARK_CAPTURE(RecodeOurs, gradient, Sample::Gradient)->Apply(Interleaved)->Iterations(3);
BENCHMARK_CAPTURE(RecodeGifsicle, gradient, Sample::Gradient)->Apply(Interleaved)->Iterations(3);
BENCHMARK_CAPTURE(RecodeOurs, screen, Sample::Screen)->Apply(Interleaved)->Iterations(3);
BENCHMARK_CAPTURE(RecodeGifsicle, screen, Sample::Screen)->Apply(Interleaved)->Iterations(3);

int main(int argc, char** argv) {
    return RunInterleaved(argc, argv, RegisterPictureFormats,
                          {{"DecodeShownOurs", "DecodeShownGiflib"},
                           {"EncodeOurs/0", "EncodeGiflib"},
                           {"EncodeOurs/1", "EncodeGiflib"},
                           {"EncodeOurs/0", "EncodeGiflib", "bytes"},
                           {"EncodeOurs/1", "EncodeGiflib", "bytes"},
                           {"RecodeOurs", "RecodeGifsicle"},
                           {"RecodeOurs", "RecodeGifsicle", "bytes"}});
}
