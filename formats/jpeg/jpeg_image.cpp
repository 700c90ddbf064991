#include "formats/jpeg/jpeg_image.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "platform/stream.h"

namespace {

// Compressed files larger than this are refused before they are read.
constexpr int64_t kMaxJpegBytes = int64_t(256) << 20;
// Progressive files with absurd scan counts would take minutes; real ones use at most a few dozen.
constexpr int kMaxScans = 1000;

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    info->err->format_message(info, errors->message);
    std::longjmp(errors->jump, 1);
}

void OutputMessage(j_common_ptr) {}

struct ScanLimit {
    jpeg_progress_mgr pub;
};

void CheckScans(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > kMaxScans) {
        auto* errors = reinterpret_cast<ErrorManager*>(info->err);
        std::snprintf(errors->message, sizeof errors->message, "too many scans");
        std::longjmp(errors->jump, 1);
    }
}

// Everything between setjmp and the jumps lives in plain structures, so nothing needs unwinding.
// Returns an empty text on success, else the decoder's message.
std::string Decode(const std::vector<uint8_t>& bytes, QImage& image) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    ScanLimit progress{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = ErrorExit;
    errors.pub.output_message = OutputMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return errors.message;
    }
    jpeg_create_decompress(&info);
    progress.pub.progress_monitor = CheckScans;
    info.progress = &progress.pub;
    jpeg_mem_src(&info, bytes.data(), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (!PictureSizeAllowed(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        return "picture too large";
    }
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    // The decoder writes blue, green, red and an opaque fourth byte: the memory of an RGB32 row on the
    // little-endian machines the program runs on.
    static_assert(std::endian::native == std::endian::little);
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&info);
    image = QImage(static_cast<int>(info.output_width), static_cast<int>(info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return "out of memory";
    }
    if (!cmyk) {
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = image.scanLine(static_cast<int>(info.output_scanline));
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
        return {};
    }
    // Taken from the decoder's own pool, which jpeg_destroy_decompress frees also after a jump.
    JSAMPARRAY rows = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                info.output_width * 4, 1);
    // Files with the APP14 colour-transform marker store CMYK inverted.
    const bool inverted = info.saw_Adobe_marker;
    while (info.output_scanline < info.output_height) {
        const int y = static_cast<int>(info.output_scanline);
        jpeg_read_scanlines(&info, rows, 1);
        QRgb* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (JDIMENSION x = 0; x < info.output_width; ++x) {
            const JSAMPLE* p = rows[0] + 4 * static_cast<size_t>(x);
            int c = p[0], m = p[1], yel = p[2], k = p[3];
            if (!inverted) c = 255 - c, m = 255 - m, yel = 255 - yel, k = 255 - k;
            out[x] = qRgb(c * k / 255, m * k / 255, yel * k / 255);
        }
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return {};
}

} // namespace

void JpegImage::LoadFromStream(Stream& stream) {
    const int64_t size = stream.Size() - stream.Position();
    if (size <= 0) throw EInvalidGraphic("JPEG error: empty file");
    if (size > kMaxJpegBytes) throw EInvalidGraphic("JPEG error: file too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    stream.ReadBuffer(bytes.data(), bytes.size());
    QImage decoded;
    const std::string error = Decode(bytes, decoded);
    if (!error.empty()) throw EInvalidGraphic("JPEG error: " + error);
    image_ = std::move(decoded);
    bytes_ = std::move(bytes);
}

void JpegImage::SaveToStream(Stream& stream) {
    if (bytes_.empty()) throw EInvalidGraphic("JPEG error: no picture to save");
    stream.WriteBuffer(bytes_.data(), bytes_.size());
}

bool JpegImage::CopyPixels(QRgb* rows, size_t stride) const {
    for (int y = 0; y < image_.height(); ++y)
        std::memcpy(rows + static_cast<size_t>(y) * stride, image_.constScanLine(y),
                    static_cast<size_t>(image_.width()) * sizeof(QRgb));
    return false; // every pixel is opaque
}

void RegisterJpegPicture() {
    for (const char* extension : {"jpg", "jpeg"})
        PictureRegistry::Register(extension, "JPEG Image File", [] { return std::make_unique<JpegImage>(); });
}
