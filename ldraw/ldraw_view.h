#pragma once

#include <QImage>
#include <QStringList>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ldraw/ldraw_colors.h"
#include "ldraw/ldraw_line.h"
#include "ldraw/render_target.h"
#include "platform/text.h"

// A folder is a library when it holds LDRAW.EXE (any case) or both a parts and a p folder.
bool IsLDrawLibrary(const std::filesystem::path& dir);
// The file of a part number in the library's parts folder; nothing when it is missing or the part number
// is an absolute name or climbs out with "..".
std::optional<std::filesystem::path> LDrawPartFile(const std::filesystem::path& dir,
                                                   std::string_view partNumber);

// Sub-file references nested deeper than this below the top file are skipped as if missing.
constexpr int kMaxLDrawDepth = 64;

// (M, t) applying (A, tA) first and then (B, tB): M = B x A, t = B x tA + tB. Matrices are row-major.
void ComposeTransform(const float tA[3], const float A[9], const float tB[3], const float B[9], float M[9],
                      float t[3]);
// The rotation about X, then Y, then Z that the view applies before scaling.
void ViewRotation(float xAngle, float yAngle, float zAngle, float M[9]);

// Screen-space rules of quads and optional lines (x and y only).
// True when a and b share x, else when p lies below the line through a and b.
bool SameSideTest(const float a[3], const float b[3], const float p[3]);
void DrawQuad3D(RenderTarget& target, const float p1[3], const float p2[3], const float p3[3],
                const float p4[3], RGBA fill, RGBA alternate);
void DrawOptionalLine3D(RenderTarget& target, const float p1[3], const float p2[3], const float c1[3],
                        const float c2[3], RGBA fill, RGBA alternate);

// A placement that replaces the view built from the angles: offset, then the row-major matrix.
struct LDrawPose {
    std::array<float, 3> offset{};
    std::array<float, 9> matrix{};
};

// How a render looks at its model: angles in radians; the scale multiplies the rotation (or the pose's
// matrix), not the centre.
struct LDrawView {
    int colour = 7;
    float scale = 1;
    float xAngle = 0, yAngle = 0, zAngle = 0;
    std::optional<LDrawPose> pose;
};

// Reads a file's text; nothing when it cannot be read.
using LDrawFileReader = std::function<std::optional<QString>(const std::filesystem::path&)>;

// Draws LDraw files into its own render target, reading sub-files from its library folder once per
// library and colouring them from its colour table.
class LDrawRenderer {
  public:
    explicit LDrawRenderer(LDrawFileReader reader = ReadTextFile);
    ~LDrawRenderer();
    LDrawRenderer(const LDrawRenderer&) = delete;
    LDrawRenderer& operator=(const LDrawRenderer&) = delete;

    // Another folder forgets every cached sub-file.
    void SetLibrary(const std::filesystem::path& folder);
    const std::filesystem::path& Library() const { return library_; }
    LDrawColours& Colours() { return colours_; }
    const LDrawColours& Colours() const { return colours_; }

    // Replaces any previous target with a cleared one. Throws std::bad_alloc when out of memory.
    void InitTarget(int width, int height);
    void FreeTarget();
    // The current target, or nullptr.
    RenderTarget* Target() const { return target_.get(); }
    // Copies the finished picture onto canvas at (0, 0); nothing when no target exists.
    void Present(QImage& canvas) const;

    // Draws an LDraw file into the current target (which it does not clear); nothing without a target.
    // Throws std::runtime_error when the file cannot be read.
    void RenderFile(const std::filesystem::path& fileName, const LDrawView& view);
    // The same for lines already in memory.
    void RenderLines(const QStringList& lines, const LDrawView& view);
    // Renders a file onto picture, the target sized like the picture. False, with the target freed and
    // picture as it was, when rendering fails.
    bool RenderPicture(const std::filesystem::path& file, const LDrawView& view, QImage& picture);
    // Forgets every cached sub-file.
    void FreeFileCache();

    // Defined where they are used.
    struct Step;
    struct SubFile;

  private:
    struct Frame {
        float matrix[9];
        float offset[3];
        int colour;
    };

    const SubFile* FindSubFile(const std::string& name);
    void ProcessSteps(const std::vector<Step>& steps);
    void DrawSubFile(const Step& step, int colour);
    void DrawPrimitive(const LDrawLineRecord& record, int colour);

    LDrawFileReader reader_;
    std::filesystem::path library_;
    LDrawColours colours_;
    std::unique_ptr<RenderTarget> target_;
    // Sub-files read, by lower-cased name as written.
    std::unordered_map<std::string, std::unique_ptr<SubFile>> files_;
    // Names found nowhere during this render; a later render looks again (the file may have been added).
    std::unordered_set<std::string> missing_;
    unsigned renders_ = 0;
    std::array<Frame, kMaxLDrawDepth + 1> stack_{};
    int depth_ = 0;
    int64_t stepsLeft_ = 0;
};
