#include "app/picture_chooser.h"

#include "ldraw/ldraw_view.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace fs = std::filesystem;

QString PictureKindText(PictureKind kind) {
    switch (kind) {
    case PictureKind::LDraw:
        return QStringLiteral("LDraw");
    case PictureKind::Jpg:
        return QStringLiteral("jpg");
    case PictureKind::Png:
        return QStringLiteral("png");
    case PictureKind::Gif:
        return QStringLiteral("gif");
    case PictureKind::None:
        break;
    }
    return QString();
}

PictureChoice PictureChooser::Choose(const PictureFolders& folders, const QString& partNumber) {
    const std::string part = partNumber.toStdString();
    if (part.empty()) return {};
    if (!folders.ldraw.empty() && IsLDrawLibrary(folders.ldraw))
        if (std::optional<fs::path> dat = LDrawPartFile(folders.ldraw, part))
            return {PictureKind::LDraw, *dat};
    const std::pair<const fs::path*, PictureKind> pictures[] = {
        {&folders.jpg, PictureKind::Jpg}, {&folders.png, PictureKind::Png}, {&folders.gif, PictureKind::Gif}};
    for (const auto& [folder, kind] : pictures) {
        const char* extension = kind == PictureKind::Jpg   ? ".jpg"
                                : kind == PictureKind::Png ? ".png"
                                                           : ".gif";
        if (fs::path file = FindIn(*folder, part + extension); !file.empty()) return {kind, file};
    }
    return {};
}

fs::path PictureChooser::FindIn(const fs::path& folder, const std::string& name) {
    // A name with a separator would leave the folder.
    if (folder.empty() || name.find_first_of("/\\") != std::string::npos) return {};
    const int64_t stamp = SettledFolderStamp(folder);
    Listing& listing = listings_[folder.string()];
    if (stamp < 0 || listing.stamp != stamp) {
        listing.stamp = stamp;
        listing.names.clear();
        std::error_code ec;
        for (fs::directory_iterator entry(folder, ec), end; !ec && entry != end; entry.increment(ec))
            if (entry->is_regular_file(ec)) {
                std::string stored = entry->path().filename().string();
                listing.names.try_emplace(AsciiLower(stored), stored);
            }
    }
    auto hit = listing.names.find(AsciiLower(name));
    return hit == listing.names.end() ? fs::path() : folder / hit->second;
}
