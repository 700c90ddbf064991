#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The one data folder: $TESSARIN_HOME, else a portable install beside the executable, else the XDG data home.
std::filesystem::path DataDir();
// Tests and the start-up code pin the data folder explicitly.
void SetDataDir(const std::filesystem::path& dir);
// Copies the shipped default data into dir without overwriting anything already there.
void SeedDataDir(const std::filesystem::path& dir, const std::filesystem::path& defaults);

// Resolves a reference written with '\' or '/' and any letter case below base. Returns nothing when a
// component is missing, the reference is absolute or it climbs out with "..".
std::optional<std::filesystem::path> ResolvePath(const std::filesystem::path& base,
                                                 std::string_view reference);
// Forgets the cached directory listings (after files were created or removed).
void ClearPathCache();

// Writes bytes to a temporary file in the same folder and renames it over path; the old file survives any
// failure. Returns an error text, empty on success.
std::string AtomicWrite(const std::filesystem::path& path, std::string_view bytes, int mode = 0644);
