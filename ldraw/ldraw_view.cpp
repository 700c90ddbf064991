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

// A parsed line that draws something, with the sub-file it names once found; not found, it is looked for
// again in the next render.
struct LDrawRenderer::Step {
    LDrawLineRecord record;
    mutable unsigned lookedIn = 0; // the render that last looked for its sub-file
    mutable const SubFile* target = nullptr;
};

struct LDrawRenderer::SubFile {
    std::vector<Step> steps;
    mutable bool open = false; // being drawn: a reference back to it would never end
};

namespace {

using Step = LDrawRenderer::Step;

// Bounds the work of one render however the files fan out.
constexpr int64_t kMaxStepsPerRender = int64_t{1} << 20;

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

void TransformPoint(const float m[9], const float t[3], const float in[3], float out[3]) {
    for (int r = 0; r < 3; ++r)
        out[r] = m[3 * r] * in[0] + m[3 * r + 1] * in[1] + m[3 * r + 2] * in[2] + t[r];
}

// Restores what drawing a sub-file changes, also when an exception leaves it: a mark left set would make
// every later render skip the file.
class SubFileGuard {
  public:
    SubFileGuard(const LDrawRenderer::SubFile& file, int& depth);
    ~SubFileGuard();
    SubFileGuard(const SubFileGuard&) = delete;
    SubFileGuard& operator=(const SubFileGuard&) = delete;

  private:
    const LDrawRenderer::SubFile& file_;
    int& depth_;
};

SubFileGuard::SubFileGuard(const LDrawRenderer::SubFile& file, int& depth) : file_(file), depth_(depth) {
    file_.open = true;
    ++depth_;
}

SubFileGuard::~SubFileGuard() {
    file_.open = false;
    --depth_;
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

LDrawRenderer::LDrawRenderer(LDrawFileReader reader) : reader_(std::move(reader)) {}

LDrawRenderer::~LDrawRenderer() = default;

void LDrawRenderer::SetLibrary(const std::filesystem::path& folder) {
    if (folder == library_) return;
    FreeFileCache();
    library_ = folder;
}

void LDrawRenderer::FreeFileCache() {
    files_.clear();
}

void LDrawRenderer::InitTarget(int width, int height) {
    // A target of the same size is only cleared: same result without a fresh 4 MB allocation per render.
    if (target_ && target_->width == std::max(width, 1) && target_->height == std::max(height, 1)) {
        target_->Clear();
        return;
    }
    target_.reset();
    target_ = std::make_unique<RenderTarget>(width, height);
}

void LDrawRenderer::FreeTarget() {
    target_.reset();
}

void LDrawRenderer::Present(QImage& canvas) const {
    if (target_) PresentRenderBuffer(*target_, canvas);
}

const LDrawRenderer::SubFile* LDrawRenderer::FindSubFile(const std::string& name) {
    std::string key = AsciiLower(name);
    if (auto hit = files_.find(key); hit != files_.end()) return hit->second.get();
    if (missing_.contains(key)) return nullptr;
    // Entered only once read: a read that throws is tried again by the next render.
    std::unique_ptr<SubFile> found;
    if (const std::string_view fileName = TrimmedName(name); !fileName.empty()) {
        for (const char* folder : {"p\\", "parts\\", "models\\"}) {
            std::optional<std::filesystem::path> path = ResolvePath(library_, folder + std::string(fileName));
            std::error_code ec;
            if (!path || !std::filesystem::is_regular_file(*path, ec)) continue;
            std::optional<QString> text = reader_(*path);
            if (!text) continue;
            found = std::make_unique<SubFile>();
            found->steps = ParseSteps(SplitLines(*text));
            break;
        }
    }
    if (!found) {
        missing_.insert(std::move(key));
        return nullptr;
    }
    return files_.emplace(std::move(key), std::move(found)).first->second.get();
}

void LDrawRenderer::DrawSubFile(const Step& step, int colour) {
    if (depth_ >= kMaxLDrawDepth) return;
    if (!step.target && step.lookedIn != renders_) {
        step.target = FindSubFile(step.record.name);
        step.lookedIn = renders_;
    }
    const SubFile* file = step.target;
    if (!file || file->open) return;
    SubFileGuard guard(*file, depth_);
    const Frame& outer = stack_[static_cast<size_t>(depth_ - 1)];
    Frame& inner = stack_[static_cast<size_t>(depth_)];
    const float* n = step.record.numbers;
    ComposeTransform(n, n + 3, outer.offset, outer.matrix, inner.matrix, inner.offset);
    inner.colour = colour;
    ProcessSteps(file->steps);
}

void LDrawRenderer::DrawPrimitive(const LDrawLineRecord& record, int colour) {
    const Frame& frame = stack_[static_cast<size_t>(depth_)];
    float p[4][3];
    const int points = record.type == 2 ? 2 : record.type == 3 ? 3 : 4;
    for (int i = 0; i < points; ++i)
        TransformPoint(frame.matrix, frame.offset, record.numbers + 3 * i, p[i]);
    RGBA fill, alternate;
    colours_.RGBAOf(colour, fill, alternate);
    RenderTarget& target = *target_;
    switch (record.type) {
    case 2:
        DrawLine3D(target, p[0], p[1], fill, alternate);
        break;
    case 3:
        DrawTriangle3D(target, p[0], p[1], p[2], fill, alternate);
        break;
    case 4:
        DrawQuad3D(target, p[0], p[1], p[2], p[3], fill, alternate);
        break;
    default:
        DrawOptionalLine3D(target, p[0], p[1], p[2], p[3], fill, alternate);
        break;
    }
    ++target.stats.primitives;
}

void LDrawRenderer::ProcessSteps(const std::vector<Step>& steps) {
    for (const Step& step : steps) {
        if (--stepsLeft_ < 0) return;
        const Frame& frame = stack_[static_cast<size_t>(depth_)];
        // 16 is the colour of the referencing line, 24 its edge colour.
        int colour = step.record.colour;
        if (colour == 16)
            colour = frame.colour;
        else if (colour == 24)
            colour = colours_.EdgeOf(frame.colour);
        if (step.record.type == 1)
            DrawSubFile(step, colour);
        else
            DrawPrimitive(step.record, colour);
    }
}

void LDrawRenderer::RenderLines(const QStringList& lines, const LDrawView& view) {
    if (!target_) return;
    depth_ = 0;
    stepsLeft_ = kMaxStepsPerRender;
    ++renders_;
    missing_.clear();
    Frame& top = stack_[0];
    if (view.pose) {
        std::copy_n(view.pose->matrix.begin(), 9, top.matrix);
        std::copy_n(view.pose->offset.begin(), 3, top.offset);
    } else {
        ViewRotation(view.xAngle, view.yAngle, view.zAngle, top.matrix);
        const float centre[3] = {static_cast<float>(target_->width) / 2,
                                 static_cast<float>(target_->height) / 2, 0};
        std::copy_n(centre, 3, top.offset);
    }
    for (float& m : top.matrix)
        m *= view.scale;
    top.colour = view.colour;
    ProcessSteps(ParseSteps(lines));
}

void LDrawRenderer::RenderFile(const std::filesystem::path& fileName, const LDrawView& view) {
    std::optional<QString> text = reader_(fileName);
    if (!text) throw std::runtime_error("Cannot open file \"" + fileName.string() + "\"");
    RenderLines(SplitLines(*text), view);
}

bool LDrawRenderer::RenderPicture(const std::filesystem::path& file, const LDrawView& view, QImage& picture) {
    try {
        InitTarget(picture.width(), picture.height());
        RenderFile(file, view);
        Present(picture);
        return true;
    } catch (const std::exception&) {
        FreeTarget();
        return false;
    }
}

bool SameSideTest(const float a[3], const float b[3], const float p[3]) {
    if (a[0] == b[0]) return true;
    float slope = (b[1] - a[1]) / (b[0] - a[0]);
    float yLine = (p[0] - a[0]) * slope + a[1];
    return p[1] > yLine;
}

void DrawQuad3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3],
                const float p4[3], RGBA fill, RGBA alternate) {
    RasterTriangle(target, ToScreen(p1), ToScreen(p2), ToScreen(p3), fill, alternate);
    RasterTriangle(target, ToScreen(p1), ToScreen(p3), ToScreen(p4), fill, alternate);
    // A quad folded over its diagonal p1-p3 on screen also needs the other half.
    if (SameSideTest(p1, p3, p2) == SameSideTest(p1, p3, p4))
        RasterTriangle(target, ToScreen(p2), ToScreen(p3), ToScreen(p4), fill, alternate);
}

void DrawOptionalLine3D(RenderTarget& target, const float p1[3], const float p2[3], const float c1[3],
                        const float c2[3], RGBA fill, RGBA alternate) {
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
    DrawLineNearer(target, p1, p2, fill, alternate);
}
