#pragma once

#include <png.h>

#include <cstring>
#include <string_view>

// libpng, the reference decoder of the PNG tests and benchmarks, reading a file held in memory: made with its
// header read; the caller sets the transforms and reads the rows.
class LibpngMemoryReader {
  public:
    explicit LibpngMemoryReader(std::string_view bytes)
        : png(png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr)),
          info(png_create_info_struct(png)), bytes_(bytes) {
        png_set_read_fn(png, this, Read);
        png_read_info(png, info);
    }
    ~LibpngMemoryReader() { png_destroy_read_struct(&png, &info, nullptr); }
    LibpngMemoryReader(const LibpngMemoryReader&) = delete;
    LibpngMemoryReader& operator=(const LibpngMemoryReader&) = delete;

    png_structp png;
    png_infop info;

  private:
    static void Read(png_structp png, png_bytep out, png_size_t count) {
        auto* reader = static_cast<LibpngMemoryReader*>(png_get_io_ptr(png));
        if (reader->at_ + count > reader->bytes_.size()) png_error(png, "read past the end");
        std::memcpy(out, reader->bytes_.data() + reader->at_, count);
        reader->at_ += count;
    }

    std::string_view bytes_;
    size_t at_ = 0;
};
