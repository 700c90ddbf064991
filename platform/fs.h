#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The one data folder: $TESSARIN_HOME, else a portable install beside the executable, else the XDG data home.
std::filesystem::path DataDir();
// Tests and the start-up code pin the data folder explicitly.
void SetDataDir(const std::filesystem::path& dir);
// The default data shipped with the program: the install's share folder, given relative to the executable's
// folder, when it is there; else the data folder of the source tree it was built from.
std::filesystem::path ShippedDataDir(const std::filesystem::path& installed,
                                     const std::filesystem::path& source);
// Copies the shipped default data into dir without overwriting anything already there: once, and again
// only when the shipped files have changed since. Each file appears whole or not at all, and a folder a
// start left half seeded is completed by the next, which removes what that start wrote and nothing else. The
// stamp that tells a seeded folder is written only once its copies are on the disk.
void SeedDataDir(const std::filesystem::path& dir, const std::filesystem::path& defaults);

// Resolves a reference written with '\' or '/' and any letter case below base. Returns nothing when a
// component is missing, the reference is absolute or it climbs out with "..". Folder listings are cached and
// read again once their folder has changed.
std::optional<std::filesystem::path> ResolvePath(const std::filesystem::path& base,
                                                 std::string_view reference);
// Forgets the cached directory listings (after files were created or removed).
void ClearPathCache();
// A stamp of a folder's contents for caches of its listing: its modification time in nanoseconds while that
// lies safely in the past; -1 when it is no folder or was modified so recently that a further change could
// still carry the same time (file system clocks are coarse), so that the listing is read again next time.
int64_t SettledFolderStamp(const std::filesystem::path& folder);

// Where a write to path lands: path itself, or the end of the chain of symbolic links it starts (relative
// targets taken against their link's folder), which need not exist yet. Nothing for a chain too long to
// follow (a loop).
std::optional<std::filesystem::path> FinalTarget(const std::filesystem::path& path);

// Writes bytes to a temporary file beside path's final target and renames it over that target, so that a
// link stays a link; the old file survives any failure. A file replaced keeps its permissions, and its owner
// and group as far as the user may give them; a new file gets newMode when given, else what the umask allows.
// Returns an error text, empty on success.
std::string AtomicWrite(const std::filesystem::path& path, std::string_view bytes,
                        std::optional<int> newMode = std::nullopt);
