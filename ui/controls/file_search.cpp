#include "ui/controls/file_search.h"

#include "platform/fs.h"
#include "platform/text.h"
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <algorithm>
#include <cmath>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr double kUnixEpochDays = 25569; // 1970-01-01 counted from 1899-12-30

double ToDateTime(const timespec& t) {
    const QDateTime local = QDateTime::fromSecsSinceEpoch(t.tv_sec);
    const double seconds = double(t.tv_sec) + local.offsetFromUtc() + double(t.tv_nsec) / 1e9;
    return kUnixEpochDays + seconds / 86400.0;
}

// A bound without a date compares only the time of day; one without a time only the date.
bool WithinBounds(double value, double after, double before) {
    if (after == 0 && before == 0) return true;
    auto comparable = [](double v, double bound) {
        const double day = std::floor(bound);
        if (day == 0) return v - std::floor(v);
        if (bound == day) return std::floor(v);
        return v;
    };
    if (after != 0 && comparable(value, after) < after) return false;
    if (before != 0 && comparable(value, before) > before) return false;
    return true;
}

bool GlobMatch(const QChar* n, const QChar* nEnd, const QChar* m, const QChar* mEnd) {
    const QChar* starM = nullptr;
    const QChar* starN = nullptr;
    while (n != nEnd) {
        if (m != mEnd && (*m == '?' || *m == *n)) {
            ++m, ++n;
        } else if (m != mEnd && *m == '*') {
            starM = ++m;
            starN = n;
        } else if (starM) {
            m = starM;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m != mEnd && *m == '*')
        ++m;
    return m == mEnd;
}

bool MatchUpper(const QString& upperName, const QString& upperMask) {
    if (GlobMatch(upperName.cbegin(), upperName.cend(), upperMask.cbegin(), upperMask.cend())) return true;
    if (upperName.contains('.')) return false;
    const QString dotted = upperName + '.';
    return GlobMatch(dotted.cbegin(), dotted.cend(), upperMask.cbegin(), upperMask.cend());
}

// The matcher of exclusion masks, both sides upper-cased: "?" is one character other than "."; "*" takes the
// name up to its next "." while the mask skips to its own; only "*" and "?" may be left of the mask once the
// whole name is used up.
bool MatchExclusion(QStringView name, QStringView mask) {
    qsizetype n = 0, m = 0;
    while (n < name.size()) {
        if (m >= mask.size()) return false;
        if (mask[m] == u'*') {
            while (n < name.size() && name[n] != u'.')
                ++n;
            while (m < mask.size() && mask[m] != u'.')
                ++m;
        } else if ((mask[m] == u'?' && name[n] != u'.') || mask[m] == name[n]) {
            ++n, ++m;
        } else {
            return false;
        }
    }
    for (; m < mask.size(); ++m)
        if (mask[m] != u'*' && mask[m] != u'?') return false;
    return true;
}

// The bytes up to the last whole UTF-8 character: a lead byte whose sequence runs past the end is left out.
size_t CompleteUtf8Prefix(std::string_view bytes) {
    for (size_t back = 1; back <= 3 && back <= bytes.size(); ++back) {
        const auto c = static_cast<unsigned char>(bytes[bytes.size() - back]);
        if (c < 0x80) break;
        if (c >= 0xC0) {
            const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            return length > back ? bytes.size() - back : bytes.size();
        }
    }
    return bytes.size();
}

// Folder part (with '/' separators, no trailing one) and name part of a mask or path.
std::pair<QString, QString> SplitMask(QString mask) {
    mask.replace('\\', '/');
    const qsizetype slash = mask.lastIndexOf('/');
    if (slash < 0) return {QString(), mask};
    return {mask.left(slash), mask.mid(slash + 1)};
}

std::string WithSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    return folder;
}

QString WithoutSlash(const std::string& folder) {
    QString f = QString::fromStdString(folder);
    while (f.size() > 1 && f.endsWith('/'))
        f.chop(1);
    return f;
}

class SearchThread : public QThread {
  public:
    explicit SearchThread(std::function<void()> body) : body_(std::move(body)) {}
    void run() override { body_(); }

  private:
    std::function<void()> body_;
};

} // namespace

bool MatchesMask(const QString& name, const QString& mask) {
    return MatchUpper(name.toUpper(), mask.toUpper());
}

struct FindFile::Settings {
    struct Target {
        std::string folder; // with a trailing '/'
        QString upperMask;
    };
    std::vector<Target> targets;
    std::vector<std::pair<QString, QString>> exclusions; // upper-cased folder and name parts
    int attributes = 0;
    bool exact = false;
    double modifiedBefore = 0, modifiedAfter = 0, createdBefore = 0, createdAfter = 0, accessedBefore = 0,
           accessedAfter = 0;
    int64_t sizeMin = 0, sizeMax = 0;
    bool subfolders = true;
    QString containing; // case-folded when case is ignored
    bool ignoreCase = true;
};

FindFile::FindFile(QObject* parent) : QObject(parent) {}

FindFile::~FindFile() {
    if (!thread_) return;
    aborted_ = true;
    OnFound = nullptr;
    OnNewFolder = nullptr;
    OnComplete = nullptr;
    // The worker may be waiting for this thread to run one of its calls.
    while (!thread_->wait(5))
        QCoreApplication::sendPostedEvents(this);
    delete thread_;
}

void FindFile::SetLocation(const QString& location) {
    if (location.contains('*') || location.contains('?'))
        throw EFindFileError((location + "\n\rlocation cannot to be contained wildcards").toStdString());
    location_ = location;
}

void FindFile::SetThreadPriority(QThread::Priority priority) {
    priority_ = priority;
    if (thread_ && thread_->isRunning()) thread_->setPriority(priority);
}

void FindFile::StartSearch() {
    if (busy_) return;
    busy_ = true;
    auto s = std::make_unique<Settings>();
    s->attributes = Attributes;
    s->exact = ExactAttribute;
    auto addTarget = [&](std::string folder, const QString& mask) {
        Settings::Target target{WithSlash(std::move(folder)), mask.toUpper()};
        for (const Settings::Target& t : s->targets)
            if (t.folder == target.folder && t.upperMask == target.upperMask) return;
        s->targets.push_back(std::move(target));
    };
    if (IncludeFiles.isEmpty()) {
        for (QString folder : location_.split(';')) {
            folder = folder.trimmed();
            if (folder.isEmpty()) folder = ".";
            const std::string absolute = QDir(folder).absolutePath().toStdString();
            for (QString mask : Filename.split(';')) {
                mask = mask.trimmed();
                if (mask.isEmpty()) mask = "*.*";
                if (!mask.contains('.')) mask += ".*";
                addTarget(absolute, mask);
            }
        }
    } else {
        for (const QString& include : IncludeFiles) {
            const auto [folder, mask] = SplitMask(include);
            addTarget(QDir(folder.isEmpty() ? QStringLiteral(".") : folder).absolutePath().toStdString(),
                      mask);
        }
    }
    for (const QString& exclude : ExcludeFiles)
        s->exclusions.push_back(SplitMask(exclude.toUpper()));
    s->modifiedBefore = ModifiedBefore, s->modifiedAfter = ModifiedAfter;
    s->createdBefore = CreatedBefore, s->createdAfter = CreatedAfter;
    s->accessedBefore = AccessedBefore, s->accessedAfter = AccessedAfter;
    s->sizeMin = SizeMin, s->sizeMax = SizeMax;
    s->subfolders = Subfolders;
    if (!Containing.isEmpty()) {
        s->ignoreCase = IgnoreCase;
        s->containing = IgnoreCase ? Containing.toCaseFolded() : Containing;
    }
    settings_ = std::move(s);
    aborted_ = false;
    if (!Threaded) {
        Walk();
        Complete();
        return;
    }
    // The last run has delivered its completion, but its thread may still be returning from run().
    if (thread_) thread_->wait();
    delete thread_;
    thread_ = new SearchThread([this] {
        Walk();
        QMetaObject::invokeMethod(
            this, [this] { Complete(); }, Qt::QueuedConnection);
    });
    thread_->start(priority_);
}

void FindFile::Walk() {
    visited_.clear();
    for (const Settings::Target& target : settings_->targets) {
        if (aborted_) break;
        // Each mask walks every folder again; only a loop within one walk is cut.
        visited_.clear();
        SearchFolder(target.folder, target.upperMask);
    }
}

void FindFile::SearchFolder(const std::string& folder, const QString& upperMask) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return;
    // Symlinked folders can lead back up the tree: each folder is searched once per run.
    if (!visited_.insert({uint64_t(st.st_dev), uint64_t(st.st_ino)}).second) return;
    if (!NewFolder(WithoutSlash(folder))) return;
    const std::vector<Entry>& entries = List(folder);
    const QString shownFolder = WithoutSlash(folder);
    for (const Entry& entry : entries) {
        if (aborted_) return;
        if (!MatchUpper(entry.upperName, upperMask)) continue;
        FoundFile found;
        if (Passes(folder, entry, found)) Found(shownFolder, found);
    }
    if (!settings_->subfolders) return;
    std::vector<std::string> subfolders;
    for (const Entry& entry : entries)
        if (entry.folder) subfolders.push_back(folder + entry.name + '/');
    for (const std::string& sub : subfolders) {
        if (aborted_) return;
        SearchFolder(sub, upperMask);
    }
}

const std::vector<FindFile::Entry>& FindFile::List(const std::string& folder) {
    const int64_t modified = SettledFolderStamp(folder);
    Listing& listing = listings_[folder];
    if (modified >= 0 && listing.modified == modified) return listing.entries;
    listing.modified = modified;
    listing.entries.clear();
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return listing.entries;
    while (const dirent* d = ::readdir(dir)) {
        const std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        bool isFolder = d->d_type == DT_DIR;
        if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
            struct stat target {};
            isFolder = ::stat((folder + name).c_str(), &target) == 0 && S_ISDIR(target.st_mode);
        }
        listing.entries.push_back({name, QString::fromStdString(name).toUpper(), isFolder});
    }
    ::closedir(dir);
    // By name without regard to case, so that hits come in the same order on every file system.
    std::sort(listing.entries.begin(), listing.entries.end(), [](const Entry& a, const Entry& b) {
        const int byCase = a.upperName.compare(b.upperName);
        return byCase != 0 ? byCase < 0 : a.name < b.name;
    });
    return listing.entries;
}

bool FindFile::Passes(const std::string& folder, const Entry& entry, FoundFile& found) const {
    const Settings& s = *settings_;
    const std::string path = folder + entry.name;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return false;
    const bool isFolder = S_ISDIR(st.st_mode);
    found.Name = QString::fromStdString(entry.name);
    found.Size = isFolder ? 0 : int64_t(st.st_size);
    found.Attr = isFolder ? faDirectory : faArchive;
    if (entry.name[0] == '.') found.Attr |= faHidden;
    if (!(st.st_mode & S_IWUSR)) found.Attr |= faReadOnly;
    found.CreationTime = ToDateTime(st.st_ctim);
    found.LastWriteTime = ToDateTime(st.st_mtim);
    found.LastAccessTime = ToDateTime(st.st_atim);

    if (s.exact ? found.Attr != s.attributes : (found.Attr != 0 && (found.Attr & s.attributes) == 0))
        return false;
    if (!isFolder && ((s.sizeMin && found.Size < s.sizeMin) || (s.sizeMax && found.Size > s.sizeMax)))
        return false;
    if (!WithinBounds(found.CreationTime, s.createdAfter, s.createdBefore) ||
        !WithinBounds(found.LastWriteTime, s.modifiedAfter, s.modifiedBefore) ||
        !WithinBounds(found.LastAccessTime, s.accessedAfter, s.accessedBefore))
        return false;
    const QString upperFolder = WithoutSlash(folder).toUpper();
    for (const auto& [maskFolder, maskName] : s.exclusions)
        if ((maskFolder.isEmpty() || upperFolder.endsWith(maskFolder)) &&
            MatchExclusion(entry.upperName, maskName))
            return false;
    return isFolder || s.containing.isEmpty() || ContainsText(path);
}

// Reads the file in blocks as text (UTF-8 when valid, else Windows-1252), folding case beyond ASCII when
// case is ignored; each block is searched together with the end of the one before, so text across block
// edges is found.
bool FindFile::ContainsText(const std::string& path) const {
    const QString& wanted = settings_->containing;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    constexpr size_t kBlock = 64 * 1024;
    std::string bytes;
    QString carried; // the end of the text before: one character short of the text looked for
    bool hit = false;
    while (!hit && !aborted_) {
        const size_t kept = bytes.size();
        bytes.resize(kept + kBlock);
        const ssize_t got = ::read(fd, bytes.data() + kept, kBlock);
        bytes.resize(kept + size_t(std::max<ssize_t>(got, 0)));
        if (got <= 0 && bytes.empty()) break;
        // A character cut by the block edge waits for the rest of its bytes.
        const size_t whole = got > 0 ? CompleteUtf8Prefix(bytes) : bytes.size();
        QString text = carried + DecodeText(std::string_view(bytes).substr(0, whole));
        bytes.erase(0, whole);
        if (settings_->ignoreCase) text = text.toCaseFolded();
        hit = text.contains(wanted);
        carried = text.right(wanted.size() - 1);
        if (got <= 0) break;
    }
    ::close(fd);
    return hit;
}

void FindFile::Found(const QString& folder, const FoundFile& file) {
    if (QThread::currentThread() == thread()) {
        if (OnFound) OnFound(*this, folder, file);
        return;
    }
    QMetaObject::invokeMethod(
        this, [&] { Found(folder, file); }, Qt::BlockingQueuedConnection);
}

bool FindFile::NewFolder(const QString& folder) {
    bool skip = false;
    if (QThread::currentThread() == thread()) {
        if (OnNewFolder) OnNewFolder(*this, folder, skip);
        return !skip;
    }
    QMetaObject::invokeMethod(
        this, [&] { skip = !NewFolder(folder); }, Qt::BlockingQueuedConnection);
    return !skip;
}

void FindFile::Complete() {
    settings_.reset();
    busy_ = false;
    if (OnComplete) OnComplete(*this);
}
