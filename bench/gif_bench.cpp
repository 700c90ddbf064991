// GIF decoding from the file to the shown bitmap, and encoding, ours against giflib and gifsicle in the
// same run; the ratios are printed at the end.
#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <unistd.h>

#include "formats/gif/gif_image.h"
#include "formats/picture_formats.h"
#include "platform/stream.h"
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

void EncodeGiflib(benchmark::State& state) {
    const GIFSubImage& frame = LoadedNoise().Frame(0);
    const std::vector<QRgb> palette = LoadedNoise().Header().ColorMap().MakePalette();
    size_t size = 0;
    for (auto _ : state) {
        std::vector<uint8_t> out;
        int error = 0;
        GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
        ColorMapObject* map = GifMakeMapObject(256, nullptr);
        for (int i = 0; i < 256; ++i)
            map->Colors[i] = {GifByteType(qRed(palette[size_t(i)])), GifByteType(qGreen(palette[size_t(i)])),
                              GifByteType(qBlue(palette[size_t(i)]))};
        EGifPutScreenDesc(gif, frame.Width(), frame.Height(), 8, 0, map);
        EGifPutImageDesc(gif, 0, 0, frame.Width(), frame.Height(), false, nullptr);
        for (int y = 0; y < frame.Height(); ++y)
            EGifPutLine(gif,
                        const_cast<GifPixelType*>(frame.Data().data()) + size_t(y) * size_t(frame.Width()),
                        frame.Width());
        EGifCloseFile(gif, &error);
        GifFreeMapObject(map);
        size = out.size();
    }
    state.counters["bytes"] = static_cast<double>(size);
}

// Whole-process figures: gifsicle reads, decodes, re-encodes (mirroring forces that) and writes the file;
// ours does the same work in-process from and to files.
void RecodeGifsicle(benchmark::State& state) {
    const fs::path out =
        fs::temp_directory_path() / ("tessarin-gif-bench-" + std::to_string(::getpid()) + ".gif");
    const std::string command =
        "gifsicle --flip-horizontal '" + Noise().string() + "' -o '" + out.string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("gifsicle failed");
            return;
        }
    state.counters["bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}

void RecodeOurs(benchmark::State& state) {
    const fs::path out =
        fs::temp_directory_path() / ("tessarin-gif-bench-" + std::to_string(::getpid()) + ".gif");
    for (auto _ : state) {
        GIFImage image;
        image.LoadFromFile(Noise());
        image.SaveToFile(out);
    }
    state.counters["bytes"] = static_cast<double>(fs::file_size(out));
    fs::remove(out);
}

// Keeps the best time of each benchmark over its repetitions, so that pairs can be compared at the end.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string name =
                run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
            const double time = run.GetAdjustedRealTime();
            if (!times_.count(name) || time < times_[name]) times_[name] = time;
            if (run.counters.count("bytes")) bytes_[name] = run.counters.at("bytes");
        }
    }
    void PrintRatio(const char* what, const std::string& ours, const std::string& peer) const {
        if (!times_.count(ours) || !times_.count(peer)) return;
        std::printf("%-40s time %.2f x", what, times_.at(ours) / times_.at(peer));
        if (bytes_.count(ours) && bytes_.count(peer))
            std::printf(", size %.3f x", bytes_.at(ours) / bytes_.at(peer));
        std::printf("\n");
    }

  private:
    std::map<std::string, double> times_, bytes_;
};

} // namespace

BENCHMARK(DecodeShownOurs)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeShownGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeOurs)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(EncodeGiflib)->Unit(benchmark::kMillisecond);
BENCHMARK(RecodeOurs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(RecodeGifsicle)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    RegisterPictureFormats();
    // Ours and the peer take turns, several times over, so that a busy machine slows both alike; the best
    // time of each is compared. Flags given on the command line come later and win.
    std::vector<char*> args{argv[0], const_cast<char*>("--benchmark_repetitions=5"),
                            const_cast<char*>("--benchmark_enable_random_interleaving=true")};
    args.insert(args.end(), argv + 1, argv + argc);
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nours / peer, same run, best of the repetitions:\n");
    reporter.PrintRatio("decode file to shown bitmap / giflib", "DecodeShownOurs", "DecodeShownGiflib");
    reporter.PrintRatio("encode, LZW / giflib", "EncodeOurs/0", "EncodeGiflib");
    reporter.PrintRatio("encode, run-length / giflib", "EncodeOurs/1", "EncodeGiflib");
    reporter.PrintRatio("file to file re-encoded / gifsicle", "RecodeOurs", "RecodeGifsicle");
    benchmark::Shutdown();
    return 0;
}
