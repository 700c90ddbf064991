#include "ldraw/ldraw_colors.h"

#include <array>
#include <charconv>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/fs.h"
#include "platform/text.h"
#include "platform/user_prompts.h"

namespace {

struct ColourDef {
    RGBA fill;
    RGBA alternate;
    std::optional<int> edge; // built-in colours without an edge row take the computed edge
};

constexpr RGBA kClear{255, 255, 255, 0};

struct BuiltInColour {
    int code;
    RGBA fill;
    RGBA alternate; // alpha 0 and all zero means "same as fill"
};

constexpr RGBA Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return {r, g, b, 255};
}

constexpr RGBA kSame{};

constexpr BuiltInColour kBuiltInColours[] = {
    {0, Opaque(51, 51, 51), kSame},
    {1, Opaque(0, 51, 178), kSame},
    {2, Opaque(0, 127, 51), kSame},
    {3, Opaque(0, 170, 170), kSame},
    {4, Opaque(204, 0, 0), kSame},
    {5, Opaque(255, 51, 153), kSame},
    {6, Opaque(102, 51, 0), kSame},
    {7, Opaque(170, 170, 170), kSame},
    {8, Opaque(102, 102, 88), kSame},
    {9, Opaque(0, 128, 255), kSame},
    {10, Opaque(51, 255, 102), kSame},
    {11, Opaque(85, 170, 255), kSame},
    {12, Opaque(255, 85, 85), kSame},
    {13, Opaque(255, 176, 204), kSame},
    {14, Opaque(255, 229, 0), kSame},
    {15, Opaque(255, 255, 255), kSame},
    {17, Opaque(102, 240, 153), kSame},
    {18, Opaque(255, 255, 128), kSame},
    {19, Opaque(204, 170, 102), kSame},
    {20, Opaque(224, 204, 240), kSame},
    {21, Opaque(224, 255, 176), kSame},
    {22, Opaque(153, 51, 153), kSame},
    {23, Opaque(76, 0, 204), kSame},
    {25, Opaque(255, 102, 0), kSame},
    {27, Opaque(158, 171, 5), kSame},
    {28, Opaque(253, 189, 153), kSame},
    {33, Opaque(0, 0, 153), kClear},
    {34, Opaque(0, 80, 24), kClear},
    {36, Opaque(204, 0, 0), kClear},
    {39, Opaque(153, 153, 153), kClear},
    {41, Opaque(153, 192, 240), kClear},
    {42, Opaque(204, 255, 0), kClear},
    {45, Opaque(255, 52, 179), kClear},
    {46, Opaque(240, 196, 0), kClear},
    {47, Opaque(255, 255, 255), kClear},
    {57, Opaque(255, 102, 0), kClear},
    {334, Opaque(255, 229, 0), Opaque(204, 0, 0)},
    {382, Opaque(204, 170, 102), kSame},
    {383, Opaque(255, 255, 255), Opaque(153, 153, 153)},
    {431, Opaque(102, 240, 153), kSame},
    {495, Opaque(255, 255, 128), kSame},
};

struct BuiltInEdge {
    int edge;
    std::initializer_list<int> codes;
};

const BuiltInEdge kBuiltInEdges[] = {
    {8, {0, 7, 14, 15, 20, 22, 23, 25, 39, 46, 47, 57, 334, 383}},
    {9, {1, 33}},
    {10, {2, 34}},
    {11, {3}},
    {12, {4, 36}},
    {13, {5}},
    {0, {6, 8, 21}},
    {1, {9, 41}},
    {2, {10, 17, 42, 431}},
    {3, {11}},
    {4, {12}},
    {5, {13}},
    {14, {18, 495}},
    {6, {19, 382}},
};

} // namespace

// Codes 0..511 in an array, any other code in a hash: every lookup is O(1).
class LDrawColours::Table {
  public:
    const ColourDef* Find(int code) const {
        if (code >= 0 && code < kDirect) return direct_[Index(code)] ? &*direct_[Index(code)] : nullptr;
        auto hit = others_.find(code);
        return hit == others_.end() ? nullptr : &hit->second;
    }
    // The first definition of a code wins.
    void Add(int code, const ColourDef& def) {
        if (code >= 0 && code < kDirect) {
            if (!direct_[Index(code)]) direct_[Index(code)] = def;
        } else {
            others_.try_emplace(code, def);
        }
    }
    void Clear() {
        direct_.fill(std::nullopt);
        others_.clear();
    }

  private:
    static constexpr int kDirect = 512;
    static size_t Index(int code) { return static_cast<size_t>(code); }
    std::array<std::optional<ColourDef>, kDirect> direct_{};
    std::unordered_map<int, ColourDef> others_;
};

namespace {

// Built-in fills and edges, looked up through the same table type.
const LDrawColours::Table& BuiltIn() {
    static const LDrawColours::Table table = [] {
        LDrawColours::Table t;
        std::unordered_map<int, int> edges;
        for (const BuiltInEdge& row : kBuiltInEdges)
            for (int code : row.codes)
                edges[code] = row.edge;
        for (const BuiltInColour& c : kBuiltInColours) {
            RGBA alternate = c.alternate == kSame ? c.fill : c.alternate;
            auto edge = edges.find(c.code);
            t.Add(c.code,
                  {c.fill, alternate, edge == edges.end() ? std::nullopt : std::optional<int>(edge->second)});
        }
        return t;
    }();
    return table;
}

std::optional<int> ParseInt(std::string_view text) {
    int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<uint8_t> HexByte(std::string_view text) {
    unsigned value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + 2, value, 16);
    if (error != std::errc() || end != text.data() + 2) return std::nullopt;
    return static_cast<uint8_t>(value);
}

std::vector<std::string_view> Fields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        size_t blank = line.find(' ', start);
        fields.push_back(
            line.substr(start, blank == std::string_view::npos ? std::string_view::npos : blank - start));
        if (blank == std::string_view::npos) return fields;
        start = blank + 1;
    }
}

// One "0 !COLOUR name CODE n VALUE #RRGGBB EDGE e ..." line; nothing when a field is not as it must be.
std::optional<std::pair<int, ColourDef>> ParseColourLine(std::string_view line) {
    std::vector<std::string_view> fields = Fields(line);
    if (fields.size() < 9) return std::nullopt;
    std::optional<int> code = ParseInt(fields[4]);
    std::string_view value = fields[6];
    if (!code || value.size() != 7 || value[0] != '#') return std::nullopt;
    std::optional<uint8_t> r = HexByte(value.substr(1)), g = HexByte(value.substr(3)),
                           b = HexByte(value.substr(5));
    std::optional<int> edge = fields[8].find('#') != std::string_view::npos ? 0 : ParseInt(fields[8]);
    if (!r || !g || !b || !edge) return std::nullopt;
    ColourDef def;
    def.fill = def.alternate = Opaque(*r, *g, *b);
    if (line.find("ALPHA") != std::string_view::npos) def.alternate = kClear;
    def.edge = *edge;
    return std::pair{*code, def};
}

// 0x2RRGGBB: the colour itself, opaque, as printed parts give their prints.
bool IsDirectColour(int code) {
    return (code & ~0xFFFFFF) == 0x2000000;
}

const ColourDef* Lookup(const LDrawColours::Table& configured, int code) {
    if (const ColourDef* def = configured.Find(code)) return def;
    return BuiltIn().Find(code);
}

} // namespace

QString MissingLDConfigMessage() {
    return QStringLiteral("Can not find ldconfig.ldr.  Please make sure it is in the same directory as "
                          "Varnholt.exe\n\rYour LDraw files will be all black with out this file.");
}

std::string CollapseSpaces(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == ' ' && !out.empty() && out.back() == ' ') continue;
        out.push_back(c);
    }
    return out;
}

LDrawColours::LDrawColours() : configured_(std::make_unique<Table>()) {}

LDrawColours::~LDrawColours() = default;

void LDrawColours::Clear() {
    configured_->Clear();
}

bool LDrawColours::Load(const std::filesystem::path& path) {
    Clear();
    std::optional<QString> text = ReadTextFile(path);
    if (!text) return false;
    for (const QString& raw : SplitLines(*text)) {
        std::string line = CollapseSpaces(raw.toStdString());
        size_t first = line.find_first_not_of(' ');
        if (first == std::string::npos || line.find("0 !COLOUR") == std::string::npos) continue;
        if (auto parsed = ParseColourLine(std::string_view(line).substr(first)))
            configured_->Add(parsed->first, parsed->second);
    }
    return true;
}

void LDrawColours::Init(const std::filesystem::path& ldrawDir, UserPrompts& prompts) {
    for (const std::filesystem::path& dir : {DataDir(), ldrawDir}) {
        if (dir.empty()) continue;
        if (std::optional<std::filesystem::path> file = ResolvePath(dir, "ldconfig.ldr"); file && Load(*file))
            return;
    }
    Clear();
    prompts.Show(MissingLDConfigMessage());
}

void LDrawColours::RGBAOf(int code, RGBA& fill, RGBA& alternate) const {
    if (IsDirectColour(code)) {
        fill = alternate = Opaque(static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 8),
                                  static_cast<uint8_t>(code));
    } else if (const ColourDef* def = Lookup(*configured_, code)) {
        fill = def->fill;
        alternate = def->alternate;
    } else if (code > 256) {
        // Dithered: the fill of the high nibble's colour, the alternate of the low nibble's.
        RGBA unused;
        RGBAOf((code - 256) / 16, fill, unused);
        RGBAOf(code & 15, unused, alternate);
    } else if (code >= 32 && code <= 47) {
        RGBA unused;
        RGBAOf(code - 32, fill, unused);
        alternate = RGBA{0, 0, 0, 0};
    } else {
        fill = Opaque(255, 255, 255);
        alternate = Opaque(0, 0, 0);
    }
}

int LDrawColours::EdgeOf(int code) const {
    if (IsDirectColour(code)) return 0;
    if (const ColourDef* def = Lookup(*configured_, code); def && def->edge) return *def->edge;
    if (code <= 256) return (code ^ 8) & 15;
    return EdgeOf((code - 256) / 16);
}
