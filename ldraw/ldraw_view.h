#pragma once

#include <QStringList>
#include <filesystem>
#include <optional>
#include <string_view>

// The LDraw library folder every render reads sub-files from; callers set it before rendering.
extern std::filesystem::path LDrawDirectory;

// A folder is a library when it holds LDRAW.EXE (any case) or both a parts and a p folder.
bool IsLDrawLibrary(const std::filesystem::path& dir);
// The file of a part number in the library's parts folder; nothing when it is missing or the part number
// is an absolute name or climbs out with "..".
std::optional<std::filesystem::path> LDrawPartFile(const std::filesystem::path& dir,
                                                   std::string_view partNumber);

// Sub-file references nested deeper than this below the top file are skipped as if missing.
constexpr int kMaxLDrawDepth = 64;

// Draws an LDraw file into the current render target (which it does not clear). Angles are in radians.
// With offset (3 floats) and matrix (9 floats, row-major) both given they replace the view built from
// the angles; the matrix is scaled either way. Throws std::runtime_error when the file cannot be read.
void RenderLDrawFile(const std::filesystem::path& fileName, int colour, const float* offset, float scale,
                     float xAngle, float yAngle, float zAngle, const float* matrix);
// The same for lines already in memory.
void RenderLDrawLines(const QStringList& lines, int colour, const float* offset, float scale, float xAngle,
                      float yAngle, float zAngle, const float* matrix);
// Forgets every cached sub-file.
void FreeFileCache();

// (M, t) applying (A, tA) first and then (B, tB): M = B x A, t = B x tA + tB. Matrices are row-major.
void ComposeTransform(const float tA[3], const float A[9], const float tB[3], const float B[9], float M[9],
                      float t[3]);
// The rotation about X, then Y, then Z that the view applies before scaling.
void ViewRotation(float xAngle, float yAngle, float zAngle, float M[9]);

// Screen-space rules of quads and optional lines (x and y only).
// True when a and b share x, else when p lies below the line through a and b.
bool SameSideTest(const float a[3], const float b[3], const float p[3]);
void DrawQuad3D(const float p1[3], const float p2[3], const float p3[3], const float p4[3], int colour);
void DrawOptionalLine3D(const float p1[3], const float p2[3], const float c1[3], const float c2[3],
                        int colour);
