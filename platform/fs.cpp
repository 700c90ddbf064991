#include "platform/fs.h"

#include <QCoreApplication>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/text.h"

namespace fs = std::filesystem;

namespace {

fs::path& PinnedDataDir() {
    static fs::path dir;
    return dir;
}

fs::path ExecutableDir() {
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

// Lower-cased name -> real name, per directory. A listing is read again when its folder changed since, so
// that files added while the program runs (a library unpacked, a part dropped in) are found; a folder changed
// so recently that its time cannot tell a further change is read again at most every 100 ms.
struct DirectoryIndex {
    struct Listing {
        int64_t stamp = -1; // SettledFolderStamp when read
        std::chrono::steady_clock::time_point readAt;
        std::unordered_map<std::string, std::string> names;
    };
    std::mutex lock;
    std::unordered_map<std::string, Listing> dirs;

    const std::unordered_map<std::string, std::string>& Names(const fs::path& dir) {
        constexpr auto kUnsettledReread = std::chrono::milliseconds(100);
        const int64_t stamp = SettledFolderStamp(dir);
        const auto now = std::chrono::steady_clock::now();
        auto [it, inserted] = dirs.try_emplace(dir.string());
        Listing& listing = it->second;
        const bool current =
            stamp == listing.stamp && (stamp >= 0 || now - listing.readAt < kUnsettledReread);
        if (inserted || !current) {
            listing = {stamp, now, {}};
            std::error_code ec;
            for (fs::directory_iterator entry(dir, ec), end; !ec && entry != end; entry.increment(ec)) {
                std::string name = entry->path().filename().string();
                listing.names.try_emplace(AsciiLower(name), name);
            }
        }
        return listing.names;
    }
};

DirectoryIndex& Index() {
    static DirectoryIndex index;
    return index;
}

} // namespace

void SetDataDir(const fs::path& dir) {
    PinnedDataDir() = dir;
}

fs::path DataDir() {
    if (!PinnedDataDir().empty()) return PinnedDataDir();
    if (const char* home = std::getenv("TESSARIN_HOME"); home && *home) return fs::path(home);
    fs::path exeDir = ExecutableDir();
    std::error_code ec;
    if (!exeDir.empty() && (fs::exists(exeDir / "Tessarin.ini", ec) || fs::exists(exeDir / "master.txt", ec)))
        return exeDir;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg) return fs::path(xdg) / "Tessarin";
    const char* user = std::getenv("HOME");
    return fs::path(user && *user ? user : ".") / ".local" / "share" / "Tessarin";
}

fs::path ShippedDataDir(const fs::path& installed, const fs::path& source) {
    const fs::path exeDir = ExecutableDir();
    std::error_code ec;
    if (!exeDir.empty() && fs::is_directory(exeDir / installed, ec))
        return (exeDir / installed).lexically_normal();
    return source;
}

namespace {

int64_t ModifiedNs(const struct stat& st) {
    return int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
}

// The newest change below an open folder, the folder itself included; takes over the descriptor. Plain
// system calls: the check runs at every start, and the library's iterator costs several times more.
int64_t NewestChange(int folder) {
    DIR* dir = ::fdopendir(folder);
    if (!dir) {
        ::close(folder);
        return -1;
    }
    struct stat st {};
    int64_t newest = ::fstat(folder, &st) == 0 ? ModifiedNs(st) : -1;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        if (::fstatat(folder, entry->d_name, &st, 0) != 0) continue;
        newest = std::max(newest, ModifiedNs(st));
        // Linked folders are not followed, so a link cannot lead round in a circle.
        struct stat own {};
        const bool subfolder =
            entry->d_type == DT_DIR ||
            (entry->d_type == DT_UNKNOWN &&
             ::fstatat(folder, entry->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(own.st_mode));
        if (!subfolder) continue;
        const int sub = ::openat(folder, entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (sub >= 0) newest = std::max(newest, NewestChange(sub));
    }
    ::closedir(dir);
    return newest;
}

// Creates a temporary file for a file in the given folder, hidden, six random letters or digits appended
// to its name, and returns it open for writing (-1 and errno on failure). Made by open() with mode rather
// than by mkstemp(), which makes it 0600: so the kernel applies the umask, which cannot be read without
// changing it for the whole process.
int CreateTemporary(const fs::path& folder, const fs::path& file, mode_t mode, std::string& name) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Appended, not "." + name: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
    std::string hidden(1, '.');
    hidden.append(file.filename().string()).append(".XXXXXX");
    name = (folder / hidden).string();
    for (int attempt = 0; attempt < 100; ++attempt) {
        unsigned char random[6];
        if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) return -1;
        for (size_t i = 0; i < sizeof random; ++i)
            name[name.size() - sizeof random + i] = kLetters[random[i] % kLetters.size()];
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// Writes bytes to a temporary file in the folder temporaries and renames it over path, which is no link.
// Only a durable write waits for the disk first: a copy that can be made again spares that wait.
std::string WriteThrough(const fs::path& temporaries, const fs::path& path, std::string_view bytes,
                         std::optional<int> newMode, bool durable);

// Seeding writes its copies in a work folder of its own beside their places, marked inside, so that the
// next start removes what a cut-short seeding left and never a user's file, whatever its name.
constexpr char kWorkPrefix[] = ".seeding.";
constexpr char kWorkMarker[] = ".tessarin-seeding";

bool IsSeedingWork(const fs::path& entry) {
    std::error_code ec;
    return entry.filename().string().starts_with(kWorkPrefix) &&
           fs::symlink_status(entry, ec).type() == fs::file_type::directory &&
           fs::exists(entry / kWorkMarker, ec);
}

// Copies one shipped file whole or not at all, with its permissions, through the work folder.
bool CopyWhole(const fs::directory_entry& shipped, const fs::path& work, const fs::path& to) {
    std::error_code ec;
    const fs::perms mode = shipped.status(ec).permissions() & fs::perms::mask;
    const std::optional<std::string> bytes = ReadFileBytes(shipped.path());
    return !ec && bytes && WriteThrough(work, to, *bytes, static_cast<int>(mode), false).empty();
}

// Copies the shipped files into folder through a new work folder, and notes the folder among those filled.
// False when one could not be copied.
bool CopyFiles(const std::vector<fs::directory_entry>& files, const fs::path& folder,
               std::vector<fs::path>& filled) {
    if (files.empty()) return true;
    filled.push_back(folder);
    std::string name = (folder / kWorkPrefix).string() + "XXXXXX";
    if (!::mkdtemp(name.data())) return false;
    const fs::path work(name);
    // Marked before any copy begins, so that a folder holding a part-written one is always known.
    const int marker = ::open((work / kWorkMarker).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool whole = marker >= 0 && ::close(marker) == 0;
    if (whole) {
        for (const fs::directory_entry& file : files)
            whole = CopyWhole(file, work, folder / file.path().filename()) && whole;
    }
    std::error_code ec;
    fs::remove_all(work, ec);
    return whole;
}

// Copies into to what it lacks of the shipped folder from, and removes the work folders a cut-short
// seeding left there; the folders it copied into are added to filled. False when something could not be
// copied.
bool CopyMissing(const fs::path& from, const fs::path& to, std::vector<fs::path>& filled) {
    std::error_code ec;
    fs::create_directory(to, from, ec);
    std::unordered_set<std::string> present;
    for (fs::directory_iterator entry(to, ec), end; !ec && entry != end; entry.increment(ec))
        present.insert(entry->path().filename().string());
    if (ec) return false;
    for (const std::string& name : present) {
        std::error_code gone;
        if (IsSeedingWork(to / name)) fs::remove_all(to / name, gone);
    }
    bool whole = true;
    std::vector<fs::directory_entry> missing;
    for (fs::directory_iterator entry(from, ec), end; !ec && entry != end; entry.increment(ec)) {
        const std::string name = entry->path().filename().string();
        std::error_code kind;
        if (entry->is_directory(kind))
            whole = CopyMissing(entry->path(), to / name, filled) && whole;
        else if (!present.count(name))
            missing.push_back(*entry);
    }
    return CopyFiles(missing, to, filled) && whole && !ec;
}

// Puts the copies in the folders filled on the disk, with their names. One syncfs() for each file system
// among them (the data folder's, and another's only where a subfolder leads to one): one flush of a few
// megabytes, where an fsync() of each of some hundreds of copies and of its folder would wait for the disk
// hundreds of times.
bool FlushCopies(const std::vector<fs::path>& filled) {
    std::vector<dev_t> flushed;
    for (const fs::path& folder : filled) {
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st {};
        bool done = fd >= 0 && ::fstat(fd, &st) == 0;
        if (done && std::find(flushed.begin(), flushed.end(), st.st_dev) == flushed.end()) {
            done = ::syncfs(fd) == 0;
            flushed.push_back(st.st_dev);
        }
        if (fd >= 0) ::close(fd);
        if (!done) return false;
    }
    return true;
}

} // namespace

void SeedDataDir(const fs::path& dir, const fs::path& defaults) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (defaults.empty()) return;
    const int shippedFolder = ::open(defaults.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (shippedFolder < 0) return;
    // The stamp carries the time of the shipped files last seeded: copying again only when they are newer.
    // It is set only once every shipped file is whole, so that the next start completes a cut-short seeding.
    const fs::path stamp = dir / ".seeded";
    const int64_t shipped = NewestChange(shippedFolder);
    struct stat seeded {};
    if (::stat(stamp.c_str(), &seeded) == 0 && ModifiedNs(seeded) >= shipped) return;
    std::vector<fs::path> filled{dir}; // with what an earlier start copied but did not stamp
    if (!CopyMissing(defaults, dir, filled)) return;
    // The copies are on the disk before the stamp that vouches for them, and the stamp appears whole: after a
    // power cut it never stands over empty copies that no later start would make again.
    if (!FlushCopies(filled) || !AtomicWrite(stamp, {}).empty()) return;
    const timespec times[2] = {{0, UTIME_OMIT}, {shipped / 1'000'000'000, shipped % 1'000'000'000}};
    ::utimensat(AT_FDCWD, stamp.c_str(), times, 0);
}

std::optional<fs::path> ResolvePath(const fs::path& base, std::string_view reference) {
    std::string ref(reference);
    std::replace(ref.begin(), ref.end(), '\\', '/');
    if (ref.empty() || ref.front() == '/' || (ref.size() > 1 && ref[1] == ':')) return std::nullopt;
    fs::path current = base;
    DirectoryIndex& index = Index();
    std::lock_guard guard(index.lock);
    size_t start = 0;
    while (start <= ref.size()) {
        size_t end = ref.find('/', start);
        if (end == std::string::npos) end = ref.size();
        std::string_view part(ref.data() + start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") return std::nullopt;
        const auto& listing = index.Names(current);
        auto hit = listing.find(AsciiLower(part));
        if (hit == listing.end()) return std::nullopt;
        current /= hit->second;
    }
    return current;
}

void ClearPathCache() {
    DirectoryIndex& index = Index();
    std::lock_guard guard(index.lock);
    index.dirs.clear();
}

int64_t SettledFolderStamp(const fs::path& folder) {
    // Wider than the coarsest modification-time step of the usual file systems.
    constexpr int64_t kSettle = 2'000'000'000;
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return -1;
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const int64_t modified = int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec;
    const int64_t current = int64_t(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
    return current - modified >= kSettle ? modified : -1;
}

namespace {

// Gives the temporary file the owner and group of the file it replaces as far as the user may: only root
// gives a file away, and others set only a group of their own. A failure is no reason to refuse the save:
// EPERM is the common one, and a file system without owners, or an owner that a user namespace does not map,
// gives others.
void KeepOwner(int fd, const struct stat& old) {
    if (::fchown(fd, old.st_uid, old.st_gid) != 0) (void)::fchown(fd, static_cast<uid_t>(-1), old.st_gid);
}

std::string WriteThrough(const fs::path& temporaries, const fs::path& path, std::string_view bytes,
                         std::optional<int> newMode, bool durable) {
    // A file replaced keeps its mode; a new one gets newMode, else 0666 less the umask as open() makes it.
    // The temporary has its final mode before the first byte goes in.
    struct stat old {};
    const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::optional<mode_t> mode;
    if (replacing)
        mode = old.st_mode & 07777;
    else if (newMode)
        mode = static_cast<mode_t>(*newMode) & 07777;
    std::string name;
    const int fd = CreateTemporary(temporaries, path, mode.value_or(0666), name);
    if (fd < 0) return "Cannot create " + path.string() + ": " + std::strerror(errno);
    auto fail = [&](const char* what) {
        std::string text = std::string(what) + " " + path.string() + ": " + std::strerror(errno);
        ::close(fd);
        ::unlink(name.c_str());
        return text;
    };
    // The owner before the mode: a change of owner clears the set-user-ID and set-group-ID bits.
    if (replacing) KeepOwner(fd, old);
    if (mode && ::fchmod(fd, *mode) != 0) return fail("Cannot write");
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("Cannot write");
        }
        done += static_cast<size_t>(n);
    }
    if (durable && ::fsync(fd) != 0) return fail("Cannot write");
    if (::close(fd) != 0) {
        std::string text = "Cannot write " + path.string() + ": " + std::strerror(errno);
        ::unlink(name.c_str());
        return text;
    }
    if (::rename(name.c_str(), path.c_str()) != 0) {
        std::string text = "Cannot replace " + path.string() + ": " + std::strerror(errno);
        ::unlink(name.c_str());
        return text;
    }
    ClearPathCache();
    return {};
}

} // namespace

std::optional<fs::path> FinalTarget(const fs::path& path) {
    constexpr int kMaxLinks = 40; // as many as the kernel follows
    fs::path current = path;
    for (int hop = 0; hop <= kMaxLinks; ++hop) {
        std::error_code noLink;
        const fs::path target = fs::read_symlink(current, noLink);
        if (noLink) return current;
        current = current.parent_path() / target; // an absolute target replaces the folder
    }
    return std::nullopt;
}

std::string AtomicWrite(const fs::path& path, std::string_view bytes, std::optional<int> newMode) {
    const std::optional<fs::path> target = FinalTarget(path);
    if (!target) return "Cannot write " + path.string() + ": " + std::strerror(ELOOP);
    return WriteThrough(target->parent_path(), *target, bytes, newMode, true);
}
