#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

// The folders a part's picture is looked for in; any of them may be empty.
struct PictureFolders {
    std::filesystem::path ldraw, jpg, png, gif;
};

enum class PictureKind { None, LDraw, Jpg, Png, Gif };

struct PictureChoice {
    PictureKind kind = PictureKind::None;
    std::filesystem::path file; // the part's .dat file or its picture
};

// "LDraw", "jpg", "png", "gif", or empty for no picture.
QString PictureKindText(PictureKind kind);

// Picks what shows a part: the LDraw part file when the LDraw folder is a library holding it, else the first
// of <part>.jpg, <part>.png and <part>.gif in their folders (names compared without case). Folder listings
// are kept between calls and read again only when a folder changes, so that browsing the master list with
// the arrow keys stays fast.
class PictureChooser {
  public:
    PictureChoice Choose(const PictureFolders& folders, const QString& partNumber);

  private:
    struct Listing {
        int64_t stamp = -1;                                 // of the folder when read; -1 reads it again
        std::unordered_map<std::string, std::string> names; // lower-cased name -> name as stored
    };
    // The file of that name (any case) directly in folder, or an empty path.
    std::filesystem::path FindIn(const std::filesystem::path& folder, const std::string& name);

    std::unordered_map<std::string, Listing> listings_;
};
