#pragma once

#include <QString>
#include <QStringList>
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

    // Replaces what an earlier load left (once its hash is built). False, with the catalogue empty, when
    // the file cannot be read; progress is ParseMasterList's.
    bool Load(const std::filesystem::path& file, const std::function<void(int rows)>& progress);
    // The rows in file order; the master list shows them sharing their texts.
    const MasterRows& Rows() const { return lines_.rows; }
    // The description of a part, empty when the part is unknown. File readers ask from a worker.
    QString Description(const QString& partNumber) const;
    // The rows whose line holds every term of the upper-cased filter text; the search is made on first use.
    std::vector<int> Matching(const QString& upperFilter);

  private:
    const MasterIndex* Hash() const;

    MasterListData lines_;
    std::optional<MasterSearch> search_;
    mutable std::unique_ptr<MasterIndex> hash_;
    mutable std::future<std::unique_ptr<MasterIndex>> hashBuild_;
    mutable std::mutex hashMutex_;
};
