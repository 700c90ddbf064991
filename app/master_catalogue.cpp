#include "app/master_catalogue.h"

#include "platform/text.h"

MasterCatalogue::~MasterCatalogue() {
    Hash();
}

bool MasterCatalogue::Load(const std::filesystem::path& file, const std::function<void(int rows)>& progress) {
    Hash();
    lines_ = {};
    search_.reset();
    hash_ = std::make_unique<MasterIndex>();
    std::optional<QString> text = ReadTextFile(file);
    if (!text) return false;
    lines_ = ParseMasterList(*text, progress);
    text.reset();
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
