#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/master_list.h"

// The master parts list of master.txt: its rows in file order, the keyword search over their lines and the
// part number -> description hash, which is filled on a worker while the list first shows.
class MasterCatalogue {
  public:
    MasterCatalogue() = default;
    MasterCatalogue(const MasterCatalogue&) = delete;
    MasterCatalogue& operator=(const MasterCatalogue&) = delete;
    ~MasterCatalogue();

    // Starts reading the file on a worker, for the Load of it that follows: the window is built meanwhile.
    void Prefetch(const std::filesystem::path& file);
    // Replaces what an earlier load left (once its hash is built). False, with the catalogue empty, when
    // the file cannot be read; progress is ParseMasterList's, also when the rows came from the prefetch.
    bool Load(const std::filesystem::path& file, const std::function<void(int rows)>& progress);
    // The rows in file order; the master list shows them sharing their texts.
    const MasterRows& Rows() const { return lines_.rows; }
    // The category tree of the rows, made with them (on the worker when they were prefetched).
    const std::vector<CategoryNode>& Categories() const { return categories_; }
    // The description of a part, empty when the part is unknown. File readers ask from a worker.
    QString Description(const QString& partNumber) const;
    // The rows whose line holds every term of the upper-cased filter text; the search is made on first use.
    std::vector<int> Matching(const QString& upperFilter);

  private:
    // A file's last change and size as read: another change since makes a prefetch stale.
    struct Stamp {
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        bool operator==(const Stamp&) const = default;
    };
    // Rows read and their category tree.
    struct Read {
        MasterListData data;
        std::vector<CategoryNode> categories;
    };
    struct Prefetched {
        std::filesystem::path file;
        std::optional<Stamp> stamp;
        std::optional<Read> read;
    };

    static std::optional<Stamp> StampOf(const std::filesystem::path& file);
    static std::optional<Read> ReadFile(const std::filesystem::path& file,
                                        const std::function<void(int rows)>& progress);
    // The prefetched rows of the file when they are still those of the file as it is now.
    std::optional<Read> TakePrefetched(const std::filesystem::path& file);
    const MasterIndex* Hash() const;

    MasterListData lines_;
    std::vector<CategoryNode> categories_;
    std::optional<MasterSearch> search_;
    mutable std::unique_ptr<MasterIndex> hash_;
    mutable std::future<std::unique_ptr<MasterIndex>> hashBuild_;
    mutable std::mutex hashMutex_;
    std::future<Prefetched> prefetch_;
};
