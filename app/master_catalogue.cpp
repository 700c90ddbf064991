#include "app/master_catalogue.h"

#include "platform/text.h"

MasterCatalogue::~MasterCatalogue() {
    if (Hash()) hash_->ClearAll();
}

bool MasterCatalogue::Load(const std::filesystem::path& file, const std::function<void(int rows)>& progress) {
    Hash();
    lines_ = {};
    search_.reset();
    hash_ = std::make_unique<StringHash>(4000, 0);
    std::optional<QString> text = ReadTextFile(file);
    if (!text) return false;
    lines_ = ParseMasterList(*text, progress);
    text.reset();
    // Inventory reads come later: the hash is filled beside the first paint of the list.
    hashBuild_ = std::async(std::launch::async, [&rows = std::as_const(lines_.rows)] {
        // Sized for the whole list at once: growing would move every entry again.
        auto hash = std::make_unique<StringHash>(
            std::max<std::uint32_t>(4000, static_cast<std::uint32_t>(rows.size())), 0);
        for (const QStringList& row : rows)
            hash->SetValue(row[0], row[1]);
        return hash;
    });
    return true;
}

const StringHash* MasterCatalogue::Hash() const {
    const std::lock_guard lock(hashMutex_);
    if (hashBuild_.valid()) hash_ = hashBuild_.get();
    return hash_.get();
}

QString MasterCatalogue::Description(const QString& partNumber) const {
    const StringHash* hash = Hash();
    return hash ? hash->LookUp(partNumber) : QString();
}

std::vector<int> MasterCatalogue::Matching(const QString& upperFilter) {
    if (!search_) search_.emplace(lines_);
    return search_->Matching(FilterTerms(upperFilter));
}
