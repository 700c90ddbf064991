// A JPEG part picture from its file to the shown 32-bit bitmap, the path of a click in the master list,
// beside libjpeg-turbo reading the same file and decoding it into BGRX, and beside our codec alone. The shown
// bitmap of ours and the peer's BGRX buffer are each kept from call to call; the repetitions of all three
// take turns (see main).
#include <benchmark/benchmark.h>
#include <jpeglib.h>

#include <QImage>
#include <filesystem>
#include <vector>

#include "formats/jpeg/jpeg_image.h"
#include "platform/text.h"
#include "support/bench_main.h"
#include "support/generated_pictures.h"
#include "ui/bitmap/bitmap32.h"

namespace fs = std::filesystem;

namespace {

const fs::path kJpeg = fs::temp_directory_path() / "tessarin_jpeg_bench.jpg";

// A 2000 x 2000 photograph-like picture: the smooth ramps of the RGBA sample, flattened, at quality 90.
bool MakeJpeg() {
    const QImage picture(QString::fromStdString(GeneratedPicture("rgba8_2000x2000.png").string()));
    return !picture.isNull() && picture.convertToFormat(QImage::Format_RGB32)
                                    .save(QString::fromStdString(kJpeg.string()), "JPG", 90);
}

// Decodes into `pixels`, which keeps its memory from one call to the next as our shown bitmap does.
size_t LibjpegToBgrx(const fs::path& path, std::vector<uint8_t>& pixels) {
    const std::string file = ReadFileBytes(path).value_or("");
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(file.data()),
                 static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_BGRX;
    jpeg_start_decompress(&info);
    pixels.resize(size_t{info.output_width} * info.output_height * 4);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + size_t{info.output_scanline} * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return pixels.size();
}

bool Skip(benchmark::State& state) {
    if (fs::exists(kJpeg)) return false;
    state.SkipWithError("the sample picture could not be made");
    return true;
}

void ShownOurs(benchmark::State& state) {
    if (Skip(state)) return;
    Bitmap32 shown;
    for (auto _ : state)
        shown.LoadFromFileName(kJpeg);
    state.counters["file_kB"] = static_cast<double>(fs::file_size(kJpeg)) / 1024;
}

void ShownLibjpeg(benchmark::State& state) {
    if (Skip(state)) return;
    std::vector<uint8_t> shown;
    for (auto _ : state)
        benchmark::DoNotOptimize(LibjpegToBgrx(kJpeg, shown));
}

void ShownCodecAndRead(benchmark::State& state) {
    if (Skip(state)) return;
    for (auto _ : state) {
        JpegImage image;
        image.LoadFromFile(kJpeg);
        benchmark::DoNotOptimize(image.Width());
    }
}

BENCHMARK(ShownOurs)->Apply(Interleaved);
BENCHMARK(ShownLibjpeg)->Apply(Interleaved);
BENCHMARK(ShownCodecAndRead)->Apply(Interleaved);

} // namespace

int main(int argc, char** argv) {
    const int result = RunInterleaved(argc, argv,
                                      [] {
                                          RegisterJpegPicture();
                                          MakeJpeg();
                                      },
                                      {{"ShownOurs", "ShownLibjpeg"}, {"ShownOurs", "ShownCodecAndRead"}});
    std::error_code ignored;
    fs::remove(kJpeg, ignored);
    return result;
}
