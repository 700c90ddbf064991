#pragma once

#include "platform/gfx/graphic.h"

// The codec's one exception, carrying one of the texts below.
class GIFException : public EInvalidGraphic {
  public:
    using EInvalidGraphic::EInvalidGraphic;
};

[[noreturn]] void RaiseGIF(const char* text);

// Severity of the findings passed to the warning handler.
constexpr int gsWarning = 1;

namespace gif_messages {
inline constexpr const char* kPrematureEnd = "Premature end of data";
inline constexpr const char* kInvalidSignature = "Invalid GIF signature";
inline constexpr const char* kUnknownBlockType = "Unknown GIF block type";
inline constexpr const char* kInvalidTrailer = "Invalid Image trailer";
inline constexpr const char* kUnsupportedVersion = "Unsupported GIF version";
inline constexpr const char* kNoColorTable = "No global or local color table defined";
inline constexpr const char* kWidthTooSmall = "Image width too small for contained frames";
inline constexpr const char* kHeightTooSmall = "Image height too small for contained frames";
inline constexpr const char* kExceedsScreen = "Image exceeds Logical Screen size";
inline constexpr const char* kUnsupportedClipboard = "Unsupported clipboard format";
inline constexpr const char* kInvalidIntroducer = "Invalid extension introducer";
inline constexpr const char* kExtensionMismatch =
    "Internal error: Extension Instance does not match Extension Label";
inline constexpr const char* kAppBlockSize = "Unsupported Application Extension block size";
inline constexpr const char* kInvalidData = "Invalid GIF data";
inline constexpr const char* kInvalidColorIndex = "Invalid color index";
inline constexpr const char* kColorTableOverflow = "Color table overflow";
inline constexpr const char* kColorTableEmpty = "Color table is empty";
inline constexpr const char* kColorNotInTable = "Color not in color table";
inline constexpr const char* kImageEmpty = "Image is empty";
inline constexpr const char* kInvalidPixel = "Invalid pixel coordinates";
inline constexpr const char* kInvalidReduction = "Invalid reduction method";
// Sizes over the decoders' shared limits.
inline constexpr const char* kTooLarge = "Picture too large";
// A code the decoder's table cannot hold yet: the data is damaged.
inline constexpr const char* kImageDefect = "Invalid GIF data: damaged image data";
} // namespace gif_messages
