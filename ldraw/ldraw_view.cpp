#include "ldraw/ldraw_view.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <memory>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

#include "ldraw/ldraw_line.h"
#include "ldraw/rasteriser.h"
#include "platform/fs.h"
#include "platform/text.h"

std::filesystem::path LDrawDirectory;

namespace {

struct SubFile;

// A parsed line that draws something, with the sub-file it names once that was looked up.
struct Step {
    LDrawLineRecord record;
    mutable bool looked = false;
    mutable const SubFile* target = nullptr;
};

struct SubFile {
    std::vector<Step> steps;
    mutable bool open = false; // being drawn: a reference back to it would never end
};

// Bounds the work of one render however the files fan out.
constexpr int64_t kMaxStepsPerRender = int64_t{1} << 20;

struct TransformStack {
    int depth = 0;
    float matrix[kMaxLDrawDepth + 1][9];
    float offset[kMaxLDrawDepth + 1][3];
    int colour[kMaxLDrawDepth + 1];
    int64_t stepsLeft = 0;
};

TransformStack stack;

// Sub-files by lower-cased name as written, and names found nowhere (null); a name is looked up on disk
// once per library.
struct SubFileCache {
    std::filesystem::path library;
    std::unordered_map<std::string, std::unique_ptr<SubFile>> files;
};

SubFileCache cache;

std::vector<Step> ParseSteps(const QStringList& lines) {
    std::vector<Step> steps;
    steps.reserve(static_cast<size_t>(lines.size()));
    for (const QString& line : lines) {
        if (line.isEmpty()) continue;
        LDrawLineRecord record = ParseLDrawLine(line.toStdString());
        if (record.type >= 1 && record.type <= 5 && record.Complete()) steps.push_back({std::move(record)});
    }
    return steps;
}

// Blanks and TABs a reference carries at its end (or start) are not part of the file's name.
std::string_view TrimmedName(std::string_view name) {
    const size_t first = name.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return name.substr(first, name.find_last_not_of(" \t") - first + 1);
}

const SubFile* FindSubFile(const std::string& name) {
    std::string key = AsciiLower(name);
    if (auto hit = cache.files.find(key); hit != cache.files.end()) return hit->second.get();
    std::unique_ptr<SubFile>& entry = cache.files[key];
    const std::string_view fileName = TrimmedName(name);
    if (fileName.empty()) return nullptr;
    for (const char* folder : {"p\\", "parts\\", "models\\"}) {
        std::optional<std::filesystem::path> path =
            ResolvePath(LDrawDirectory, folder + std::string(fileName));
        std::error_code ec;
        if (!path || !std::filesystem::is_regular_file(*path, ec)) continue;
        std::optional<QString> text = ReadTextFile(*path);
        if (!text) continue;
        entry = std::make_unique<SubFile>();
        entry->steps = ParseSteps(SplitLines(*text));
        break;
    }
    return entry.get();
}

void TransformPoint(const float in[3], float out[3]) {
    const float* m = stack.matrix[stack.depth];
    const float* t = stack.offset[stack.depth];
    for (int r = 0; r < 3; ++r)
        out[r] = m[3 * r] * in[0] + m[3 * r + 1] * in[1] + m[3 * r + 2] * in[2] + t[r];
}

int ResolveLineColour(int colour) {
    if (colour == 16) return stack.colour[stack.depth];
    if (colour == 24) return EdgeColourOf(stack.colour[stack.depth]);
    return colour;
}

void ProcessSteps(const std::vector<Step>& steps);

void DrawSubFile(const Step& step, int colour) {
    if (stack.depth >= kMaxLDrawDepth) return;
    if (!step.looked) {
        step.target = FindSubFile(step.record.name);
        step.looked = true;
    }
    const SubFile* file = step.target;
    if (!file || file->open) return;
    const float* n = step.record.numbers;
    int d = ++stack.depth;
    ComposeTransform(n, n + 3, stack.offset[d - 1], stack.matrix[d - 1], stack.matrix[d], stack.offset[d]);
    stack.colour[d] = colour;
    file->open = true;
    ProcessSteps(file->steps);
    file->open = false;
    --stack.depth;
}

void DrawPrimitive(const LDrawLineRecord& record, int colour) {
    float p[4][3];
    int points = record.type == 2 ? 2 : record.type == 3 ? 3 : 4;
    for (int i = 0; i < points; ++i)
        TransformPoint(record.numbers + 3 * i, p[i]);
    switch (record.type) {
    case 2:
        DrawLine3D(p[0], p[1], colour);
        break;
    case 3:
        DrawTriangle3D(p[0], p[1], p[2], colour);
        break;
    case 4:
        DrawQuad3D(p[0], p[1], p[2], p[3], colour);
        break;
    default:
        DrawOptionalLine3D(p[0], p[1], p[2], p[3], colour);
        break;
    }
    if (RenderTarget* target = CurrentRenderTarget()) ++target->stats.primitives;
}

void ProcessSteps(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        if (--stack.stepsLeft < 0) return;
        int colour = ResolveLineColour(step.record.colour);
        if (step.record.type == 1)
            DrawSubFile(step, colour);
        else
            DrawPrimitive(step.record, colour);
    }
}

} // namespace

bool IsLDrawLibrary(const std::filesystem::path& dir) {
    std::error_code ec;
    auto isDir = [&](std::string_view name) {
        std::optional<std::filesystem::path> path = ResolvePath(dir, name);
        return path && std::filesystem::is_directory(*path, ec);
    };
    std::optional<std::filesystem::path> exe = ResolvePath(dir, "LDRAW.EXE");
    return (exe && std::filesystem::is_regular_file(*exe, ec)) || (isDir("parts") && isDir("p"));
}

std::optional<std::filesystem::path> LDrawPartFile(const std::filesystem::path& dir,
                                                   std::string_view partNumber) {
    if (partNumber.empty() || partNumber.front() == '/' || partNumber.front() == '\\' ||
        partNumber.find(':') != std::string_view::npos)
        return std::nullopt;
    std::optional<std::filesystem::path> path =
        ResolvePath(dir, "parts\\" + std::string(partNumber) + ".dat");
    std::error_code ec;
    if (!path || !std::filesystem::is_regular_file(*path, ec)) return std::nullopt;
    return path;
}

void ComposeTransform(const float tA[3], const float A[9], const float tB[3], const float B[9], float M[9],
                      float t[3]) {
    float product[9], moved[3];
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c)
            product[3 * r + c] = B[3 * r] * A[c] + B[3 * r + 1] * A[3 + c] + B[3 * r + 2] * A[6 + c];
        moved[r] = B[3 * r] * tA[0] + B[3 * r + 1] * tA[1] + B[3 * r + 2] * tA[2] + tB[r];
    }
    std::copy_n(product, 9, M);
    std::copy_n(moved, 3, t);
}

void ViewRotation(float xAngle, float yAngle, float zAngle, float M[9]) {
    float cx = std::cos(xAngle), sx = std::sin(xAngle), cy = std::cos(yAngle), sy = std::sin(yAngle);
    float cz = std::cos(zAngle), sz = std::sin(zAngle);
    const float mx[9] = {1, 0, 0, 0, cx, sx, 0, -sx, cx};
    const float my[9] = {cy, 0, sy, 0, 1, 0, -sy, 0, cy};
    const float mz[9] = {cz, sz, 0, -sz, cz, 0, 0, 0, 1};
    const float zero[3] = {0, 0, 0};
    float t[3];
    ComposeTransform(zero, mx, zero, my, M, t);
    ComposeTransform(zero, M, zero, mz, M, t);
}

void RenderLDrawLines(const QStringList& lines, int colour, const float* offset, float scale, float xAngle,
                      float yAngle, float zAngle, const float* matrix) {
    if (cache.library != LDrawDirectory) {
        FreeFileCache();
        cache.library = LDrawDirectory;
    }
    stack.depth = 0;
    stack.stepsLeft = kMaxStepsPerRender;
    if (offset && matrix) {
        std::copy_n(matrix, 9, stack.matrix[0]);
        std::copy_n(offset, 3, stack.offset[0]);
    } else {
        ViewRotation(xAngle, yAngle, zAngle, stack.matrix[0]);
        const float centre[3] = {static_cast<float>(RenderWidth()) / 2,
                                 static_cast<float>(RenderHeight()) / 2, 0};
        std::copy_n(centre, 3, stack.offset[0]);
    }
    for (float& m : stack.matrix[0])
        m *= scale;
    stack.colour[0] = colour;
    ProcessSteps(ParseSteps(lines));
}

void RenderLDrawFile(const std::filesystem::path& fileName, int colour, const float* offset, float scale,
                     float xAngle, float yAngle, float zAngle, const float* matrix) {
    std::optional<QString> text = ReadTextFile(fileName);
    if (!text) throw std::runtime_error("Cannot open file \"" + fileName.string() + "\"");
    RenderLDrawLines(SplitLines(*text), colour, offset, scale, xAngle, yAngle, zAngle, matrix);
}

void FreeFileCache() {
    cache.files.clear();
}

bool SameSideTest(const float a[3], const float b[3], const float p[3]) {
    if (a[0] == b[0]) return true;
    float slope = (b[1] - a[1]) / (b[0] - a[0]);
    float yLine = (p[0] - a[0]) * slope + a[1];
    return p[1] > yLine;
}

void DrawQuad3D(const float p1[3], const float p2[3], const float p3[3], const float p4[3], int colour) {
    RGBA fill, alternate;
    ColourRGBAOf(colour, fill, alternate);
    RasterTriangle(ToScreen(p1), ToScreen(p2), ToScreen(p3), fill, alternate);
    RasterTriangle(ToScreen(p1), ToScreen(p3), ToScreen(p4), fill, alternate);
    // A quad folded over its diagonal p1-p3 on screen also needs the other half.
    if (SameSideTest(p1, p3, p2) == SameSideTest(p1, p3, p4))
        RasterTriangle(ToScreen(p2), ToScreen(p3), ToScreen(p4), fill, alternate);
}

void DrawOptionalLine3D(const float p1[3], const float p2[3], const float c1[3], const float c2[3],
                        int colour) {
    if (p1[0] == p2[0] && p1[1] == p2[1]) return;
    // Opposite sides of the line: the outline is not a silhouette from this view.
    auto opposite = [](float line, float a, float b) {
        return (a > line && b < line) || (a < line && b > line);
    };
    if (p1[0] == p2[0]) {
        if (opposite(p1[0], c1[0], c2[0])) return;
    } else if (p1[1] == p2[1]) {
        if (opposite(p1[1], c1[1], c2[1])) return;
    } else if (SameSideTest(p1, p2, c1) != SameSideTest(p1, p2, c2)) {
        return;
    }
    RGBA fill, alternate;
    ColourRGBAOf(colour, fill, alternate);
    DrawLineNearer(p1, p2, fill, alternate);
}
