#include "app/master_catalogue.h"

#include "platform/text.h"

MasterCatalogue::~MasterCatalogue() {
    Hash();
}

std::optional<MasterCatalogue::Stamp> MasterCatalogue::StampOf(const std::filesystem::path& file) {
    std::error_code timeError, sizeError;
    const Stamp stamp{std::filesystem::last_write_time(file, timeError),
                      std::filesystem::file_size(file, sizeError)};
    if (timeError || sizeError) return std::nullopt;
    return stamp;
}

std::optional<MasterCatalogue::Read>
MasterCatalogue::ReadFile(const std::filesystem::path& file, const std::function<void(int rows)>& progress) {
    const std::optional<QString> text = ReadTextFile(file);
    if (!text) return std::nullopt;
    Read read{ParseMasterList(*text, progress), {}};
    read.categories = BuildCategoryTree(read.data.rows);
    return read;
}

void MasterCatalogue::Prefetch(const std::filesystem::path& file) {
    prefetch_ = std::async(std::launch::async, [file] {
        // Stamped before reading: a change while it reads shows as a newer stamp at the load.
        std::optional<Stamp> stamp = StampOf(file);
        return Prefetched{file, stamp, ReadFile(file, {})};
    });
}

std::optional<MasterCatalogue::Read> MasterCatalogue::TakePrefetched(const std::filesystem::path& file) {
    if (!prefetch_.valid()) return std::nullopt;
    Prefetched prefetched = prefetch_.get();
    if (prefetched.file != file || !prefetched.stamp || prefetched.stamp != StampOf(file))
        return std::nullopt;
    return std::move(prefetched.read);
}

bool MasterCatalogue::Load(const std::filesystem::path& file, const std::function<void(int rows)>& progress) {
    Hash();
    lines_ = {};
    categories_.clear();
    search_.reset();
    hash_ = std::make_unique<MasterIndex>();
    std::optional<Read> read = TakePrefetched(file);
    if (read && progress)
        for (std::size_t rows = 0; rows < read->data.rows.size(); rows += 500)
            progress(static_cast<int>(rows));
    if (!read) read = ReadFile(file, progress);
    if (!read) return false;
    lines_ = std::move(read->data);
    categories_ = std::move(read->categories);
    // Inventory reads come later: the hash is filled beside the first paint of the list.
    hashBuild_ =
        std::async(std::launch::async, [rows = lines_.rows] { return std::make_unique<MasterIndex>(rows); });
    return true;
}

const MasterIndex* MasterCatalogue::Hash() const {
    const std::lock_guard lock(hashMutex_);
    if (hashBuild_.valid()) hash_ = hashBuild_.get();
    return hash_.get();
}

QString MasterCatalogue::Description(const QString& partNumber) const {
    const MasterIndex* hash = Hash();
    return hash ? hash->LookUp(partNumber) : QString();
}

std::vector<int> MasterCatalogue::Matching(const QString& upperFilter) {
    if (!search_) search_.emplace(lines_);
    return search_->Matching(FilterTerms(upperFilter));
}
