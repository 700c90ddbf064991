#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

class EFindFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Attribute flags of a found entry.
enum FindAttribute : int { faArchive = 1, faReadOnly = 2, faHidden = 4, faSysFile = 8, faDirectory = 16 };

// What the walk found: the entry's name, size, attributes and times (days since 1899-12-30, local time).
struct FoundFile {
    QString Name;
    int64_t Size = 0;
    int Attr = 0;
    double CreationTime = 0; // the status change time: the file system keeps no birth time for every file
    double LastWriteTime = 0;
    double LastAccessTime = 0;
};

// Wildcard match of a file name against a mask, case ignored: "*" any run of characters, "?" one; a name
// without a dot also matches as if it ended in one, so "readme.*" finds "readme".
bool MatchesMask(const QString& name, const QString& mask);

// Searches folders for files by name masks and filters, in line or on a worker thread.
class FindFile : public QObject {
    Q_OBJECT
  public:
    explicit FindFile(QObject* parent = nullptr);
    ~FindFile() override;

    QString Filename = QStringLiteral("*.*");
    const QString& Location() const { return location_; }
    // Raises EFindFileError when the value holds wildcards.
    void SetLocation(const QString& location);
    QStringList IncludeFiles;
    QStringList ExcludeFiles;
    bool Subfolders = true;
    int Attributes = faArchive | faReadOnly | faHidden | faSysFile;
    bool ExactAttribute = false;
    double ModifiedBefore = 0, ModifiedAfter = 0, CreatedBefore = 0, CreatedAfter = 0, AccessedBefore = 0,
           AccessedAfter = 0;
    int64_t SizeMin = 0, SizeMax = 0;
    QString Containing;
    bool IgnoreCase = true;
    bool Threaded = false;
    QThread::Priority ThreadPriority() const { return priority_; }
    void SetThreadPriority(QThread::Priority priority);

    std::function<void(FindFile& sender, const QString& folder, const FoundFile& file)> OnFound;
    std::function<void(FindFile& sender, const QString& folder, bool& skip)> OnNewFolder;
    std::function<void(FindFile& sender)> OnComplete;

    // Does nothing while a search runs.
    void StartSearch();
    // Ends the walk at the next entry.
    void Abort() { aborted_ = true; }
    bool Busy() const { return busy_; }

  private:
    struct Entry {
        std::string name;  // as stored
        QString upperName; // for matching
        bool folder = false;
    };
    struct Listing {
        int64_t modified = -1; // SettledFolderStamp when read: a change empties the cached listing
        std::vector<Entry> entries;
    };
    struct Settings; // the filters copied at start

    void Walk();
    void SearchFolder(const std::string& folder, const QString& upperMask);
    const std::vector<Entry>& List(const std::string& folder);
    bool Passes(const std::string& folder, const Entry& entry, FoundFile& found) const;
    bool ContainsText(const std::string& path) const;
    void Found(const QString& folder, const FoundFile& file);
    bool NewFolder(const QString& folder);
    void Complete();

    QString location_;
    QThread::Priority priority_ = QThread::NormalPriority;
    std::atomic<bool> busy_ = false;
    std::atomic<bool> aborted_ = false;
    std::unique_ptr<Settings> settings_;
    std::set<std::pair<uint64_t, uint64_t>> visited_; // device and inode of folders searched in this run
    std::map<std::string, Listing> listings_;
    QThread* thread_ = nullptr;
};
