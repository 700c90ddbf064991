#include "support/generated_pictures.h"

#include <gif_lib.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <random>
#include <span>
#include <stdexcept>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

class GeneratedFolder {
  public:
    GeneratedFolder() {
        path_ = fs::temp_directory_path() / ("tessarin-generated-" + std::to_string(::getpid()));
        fs::create_directories(path_);
    }
    ~GeneratedFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    const fs::path& path() const { return path_; }

  private:
    fs::path path_;
};

struct PngSpec {
    int width, height, channels;
    bool interlaced;
};

using RowMaker = void (*)(std::mt19937& random, int y, const PngSpec& spec, std::vector<uint8_t>& row);

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The image data before compression: each row of each pass with its filter byte, the rows cycling through
// the five filters so that every unfilter path sees wide rows. Written here rather than by a codec, which
// would choose its own filters.
std::string FilteredRows(const std::vector<std::vector<uint8_t>>& rows, const PngSpec& spec) {
    static const int kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                     {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    static const int kWhole[1][4] = {{0, 0, 1, 1}};
    const auto passes = spec.interlaced ? std::span<const int[4]>(kAdam7) : std::span<const int[4]>(kWhole);
    const size_t ch = size_t(spec.channels);
    std::string out;
    int filter = 0;
    for (const int* pass : passes) {
        const int columns = (spec.width - pass[0] + pass[2] - 1) / pass[2];
        std::vector<uint8_t> previous(size_t(std::max(columns, 0)) * ch), current(previous.size());
        for (int y = pass[1]; columns > 0 && y < spec.height; y += pass[3]) {
            for (int x = 0; x < columns; ++x)
                std::copy_n(&rows[size_t(y)][size_t(pass[0] + x * pass[2]) * ch], ch,
                            &current[size_t(x) * ch]);
            out.push_back(char(filter));
            for (size_t i = 0; i < current.size(); ++i) {
                const int a = i >= ch ? current[i - ch] : 0, b = previous[i],
                          c = i >= ch ? previous[i - ch] : 0;
                const int predicted = filter == 1   ? a
                                      : filter == 2 ? b
                                      : filter == 3 ? (a + b) / 2
                                      : filter == 4 ? Paeth(a, b, c)
                                                    : 0;
                out.push_back(char(current[i] - predicted));
            }
            previous.swap(current);
            filter = (filter + 1) % 5;
        }
    }
    return out;
}

void PutChunk(std::ofstream& out, const char* type, const std::string& data) {
    auto be32 = [&out](uint32_t v) {
        const char bytes[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        out.write(bytes, 4);
    };
    be32(uint32_t(data.size()));
    out.write(type, 4);
    out.write(data.data(), std::streamsize(data.size()));
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data.data()), uInt(data.size()));
    be32(uint32_t(crc));
}

void WritePng(const fs::path& file, const PngSpec& spec, RowMaker make) {
    std::mt19937 random(2000);
    std::vector<std::vector<uint8_t>> rows(size_t(spec.height),
                                           std::vector<uint8_t>(size_t(spec.width * spec.channels)));
    for (int y = 0; y < spec.height; ++y)
        make(random, y, spec, rows[size_t(y)]);
    const std::string raw = FilteredRows(rows, spec);
    std::string packed(compressBound(uLong(raw.size())), '\0');
    uLongf packedSize = uLongf(packed.size());
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 6) != Z_OK)
        throw std::runtime_error("zlib failed on " + file.string());
    packed.resize(packedSize);

    std::ofstream out(file, std::ios::binary);
    out.write("\x89PNG\r\n\x1a\n", 8);
    std::string header(13, '\0');
    for (int i = 0; i < 4; ++i) {
        header[size_t(i)] = char(spec.width >> (24 - 8 * i));
        header[size_t(4 + i)] = char(spec.height >> (24 - 8 * i));
    }
    header[8] = 8;
    header[9] = char(spec.channels == 4 ? 6 : 2);
    header[12] = char(spec.interlaced);
    PutChunk(out, "IHDR", header);
    // Image data in pieces, as writers split it.
    constexpr size_t kPiece = 256 * 1024;
    for (size_t at = 0; at < packed.size(); at += kPiece)
        PutChunk(out, "IDAT", packed.substr(at, kPiece));
    PutChunk(out, "IEND", "");
    if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

void NoiseRow(std::mt19937& random, int, const PngSpec&, std::vector<uint8_t>& row) {
    for (uint8_t& byte : row)
        byte = uint8_t(random());
}

void GradientRow(std::mt19937& random, int y, const PngSpec& spec, std::vector<uint8_t>& row) {
    for (int x = 0; x < spec.width; ++x) {
        uint8_t* p = &row[size_t(x * 4)];
        const bool noisy = (x / 250 + y / 250) % 3 == 0;
        p[0] = uint8_t(noisy ? random() : unsigned(x * 255 / spec.width));
        p[1] = uint8_t(y * 255 / spec.height);
        p[2] = uint8_t((x + y) & 255);
        p[3] = uint8_t((x ^ y) & 255);
    }
}

void RingsRow(std::mt19937& random, int y, const PngSpec& spec, std::vector<uint8_t>& row) {
    for (int x = 0; x < spec.width; ++x) {
        uint8_t* p = &row[size_t(x * 3)];
        const double r = std::hypot(x - spec.width / 2.0, y - spec.height / 2.0);
        p[0] = uint8_t(int(r * 2) & 255);
        p[1] = uint8_t(((x / 7) % 2 ? 200 : 40) + int(random() % 4));
        p[2] = uint8_t(y * 255 / spec.height);
    }
}

void WriteNoiseGif(const fs::path& file, int side) {
    int error = 0;
    GifFileType* gif = EGifOpenFileName(file.c_str(), false, &error);
    if (!gif) throw std::runtime_error("cannot write " + file.string());
    std::vector<GifColorType> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[size_t(i)] = {GifByteType(i), GifByteType((i * 37 + 11) & 255),
                              GifByteType((i * 101 + 53) & 255)};
    ColorMapObject* map = GifMakeMapObject(256, colours.data());
    std::mt19937 random(2000);
    std::vector<GifPixelType> line(static_cast<size_t>(side));
    bool ok = EGifPutScreenDesc(gif, side, side, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, side, side, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < side; ++y) {
        for (GifPixelType& pixel : line)
            pixel = GifPixelType(random());
        ok = EGifPutLine(gif, line.data(), side) == GIF_OK;
    }
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    if (!ok) throw std::runtime_error("giflib failed on " + file.string());
}

void Generate(const fs::path& file, const std::string& name) {
    if (name == "rgb8_noise_2000x2000.png")
        WritePng(file, {2000, 2000, 3, false}, NoiseRow);
    else if (name == "rgba8_2000x2000.png")
        WritePng(file, {2000, 2000, 4, false}, GradientRow);
    else if (name == "interlaced_rgb8_1000x1000.png")
        WritePng(file, {1000, 1000, 3, true}, RingsRow);
    else if (name == "large_noise_2000x2000_256col.gif")
        WriteNoiseGif(file, 2000);
    else
        throw std::invalid_argument("no generated picture is called " + name);
}

} // namespace

fs::path GeneratedPicture(const std::string& name) {
    static GeneratedFolder folder;
    const fs::path file = folder.path() / name;
    if (!fs::exists(file)) Generate(file, name);
    return file;
}
