// A part picture from its file to the shown 32-bit bitmap, the path of a click in the master list, beside
// its peers in the same run: for PNG our codec alone plus the file read, and libpng decoding the same file
// into BGRX; for JPEG libjpeg-turbo decoding the same file into BGRX. Each iteration times every side once;
// the counters give each side's best time and the ratios.
#include <benchmark/benchmark.h>
#include <jpeglib.h>
#include <png.h>

#include <QImage>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <vector>

#include "formats/picture_formats.h"
#include "formats/png/png_picture.h"
#include "platform/gfx/jpeg_image.h"
#include "platform/stream.h"
#include "platform/text.h"
#include "support/bench_main.h"
#include "ui/bitmap32.h"

namespace fs = std::filesystem;

namespace {

fs::path ExtraFolder() {
    if (const char* env = std::getenv("TESSARIN_SHARED_DATA"); env && *env)
        return fs::path(env) / "png-extra";
    for (const char* up : {"../shared/data", "../../shared/data", "../../../shared/data"})
        if (fs::is_directory(fs::path(up) / "png-extra")) return fs::path(up) / "png-extra";
    return {};
}

const fs::path kPng = ExtraFolder() / "rgb8_noise_2000x2000.png";

// A 2000 x 2000 photograph-like JPEG: the smooth ramps of the RGBA sample, flattened, at quality 90.
const fs::path& JpegFile() {
    static const fs::path file = [] {
        const fs::path path = fs::temp_directory_path() / "tessarin_shown_bench.jpg";
        QImage picture(QString::fromStdString((ExtraFolder() / "rgba8_2000x2000.png").string()));
        picture.convertToFormat(QImage::Format_RGB32).save(QString::fromStdString(path.string()), "JPG", 90);
        return path;
    }();
    return file;
}

std::vector<uint8_t> ReadWhole(const fs::path& path) {
    std::string bytes = ReadFileBytes(path).value_or("");
    return {bytes.begin(), bytes.end()};
}

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void ReadPng(png_structp png, png_bytep out, png_size_t count) {
    auto* cursor = static_cast<const uint8_t**>(png_get_io_ptr(png));
    std::copy_n(*cursor, count, out);
    *cursor += count;
}

// The peer reads the file and decodes it into rows of blue, green, red and a filler byte.
size_t LibpngToBgrx(const fs::path& path) {
    const std::vector<uint8_t> file = ReadWhole(path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    const uint8_t* cursor = file.data();
    png_set_read_fn(png, &cursor, ReadPng);
    png_read_info(png, info);
    png_set_bgr(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    std::vector<uint8_t> pixels(rowBytes * height);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = pixels.data() + y * rowBytes;
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return pixels.size();
}

size_t LibjpegToBgrx(const fs::path& path) {
    const std::vector<uint8_t> file = ReadWhole(path);
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    std::vector<uint8_t> pixels(size_t{info.output_width} * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t{info.output_scanline} * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels.size();
}

// Runs each side once per iteration and reports the best time of each and the ratios to the first.
void Compare(benchmark::State& state,
             const std::vector<std::pair<const char*, std::function<void()>>>& sides) {
    std::vector<double> best(sides.size(), 1e300);
    for (auto _ : state)
        for (size_t i = 0; i < sides.size(); ++i)
            best[i] = std::min(best[i], Milliseconds(sides[i].second));
    for (size_t i = 0; i < sides.size(); ++i) {
        state.counters[std::string(sides[i].first) + "_ms"] = best[i];
        if (i > 0) state.counters["ratio_to_" + std::string(sides[i].first)] = best[0] / best[i];
    }
}

void BM_PngFileToShown(benchmark::State& state) {
    if (!fs::exists(kPng)) return state.SkipWithError("png-extra not found (set TESSARIN_SHARED_DATA)");
    Bitmap32 shown;
    Compare(state, {{"shown", [&] { shown.LoadFromFileName(kPng); }},
                    {"codec_and_read",
                     [] {
                         PngPicture image;
                         image.LoadFromFile(kPng);
                         benchmark::DoNotOptimize(image.ScanLine(0));
                     }},
                    {"libpng_bgrx", [] { benchmark::DoNotOptimize(LibpngToBgrx(kPng)); }}});
}
BENCHMARK(BM_PngFileToShown)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_JpegFileToShown(benchmark::State& state) {
    if (!fs::exists(kPng)) return state.SkipWithError("png-extra not found (set TESSARIN_SHARED_DATA)");
    const fs::path& jpeg = JpegFile();
    Bitmap32 shown;
    Compare(state, {{"shown", [&] { shown.LoadFromFileName(jpeg); }},
                    {"libjpeg_bgrx", [&] { benchmark::DoNotOptimize(LibjpegToBgrx(jpeg)); }},
                    {"codec_and_read", [&] {
                         JpegImage image;
                         image.LoadFromFile(jpeg);
                         benchmark::DoNotOptimize(image.Width());
                     }}});
    state.counters["file_kB"] = static_cast<double>(fs::file_size(jpeg)) / 1024;
}
BENCHMARK(BM_JpegFileToShown)->Unit(benchmark::kMillisecond)->Iterations(15);

} // namespace

int main(int argc, char** argv) {
    const int result = RunBenchmarks(argc, argv, [] {
        RegisterPictureFormats();
        RegisterJpegPicture();
    });
    std::error_code ignored;
    fs::remove(fs::temp_directory_path() / "tessarin_shown_bench.jpg", ignored);
    return result;
}
