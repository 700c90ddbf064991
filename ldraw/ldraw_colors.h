#pragma once

#include <QString>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class UserPrompts;

// A colour the rasteriser paints with; alpha 0 leaves the pixel (and its depth) untouched.
struct RGBA {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    friend bool operator==(const RGBA&, const RGBA&) = default;
};

// The message shown when no colour configuration is found.
QString MissingLDConfigMessage();

std::string CollapseSpaces(std::string_view text);

// The LDraw colours: the configured ones (from an ldconfig.ldr) over the built-in table.
class LDrawColours {
  public:
    LDrawColours();
    ~LDrawColours();
    LDrawColours(const LDrawColours&) = delete;
    LDrawColours& operator=(const LDrawColours&) = delete;

    // Looks for "ldconfig.ldr" in the data folder, then in the LDraw folder, and loads it; when neither
    // has it, says so through prompts and keeps only the built-in colours.
    void Init(const std::filesystem::path& ldrawDir, UserPrompts& prompts);
    // Replaces the configured colours with the "0 !COLOUR" definitions of the file at path. Returns false
    // (keeping only the built-in colours) when the file cannot be read.
    bool Load(const std::filesystem::path& path);
    // Forgets the configured colours.
    void Clear();

    // Fill and alternate colour of an LDraw colour code: pixel (x, y) takes the fill colour when x + y is
    // odd, else the alternate. A direct colour 0x2RRGGBB is that colour on every pixel, with black edges.
    void RGBAOf(int code, RGBA& fill, RGBA& alternate) const;
    int EdgeOf(int code) const;

    class Table;

  private:
    std::unique_ptr<Table> configured_;
};
