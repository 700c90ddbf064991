#include "app/stored_folders.h"

#include "app/file_paths.h"
#include "platform/fs.h"
#include "platform/ini.h"

namespace {

struct StoredKey {
    const char* section;
    const char* key;
    const char* shipped; // the data folder's own picture folder; none for the LDraw library
};

// The LDraw folder is the settings window's; the picture folders the main window's.
constexpr StoredKey kKeys[] = {{"TForm1", "gif_path_Caption", "gifs"},
                               {"TForm1", "jpg_path_Caption", "jpgs"},
                               {"TForm1", "png_path_Caption", "pngs"},
                               {"TForm5", "Edit1_Text", nullptr}};

} // namespace

StoredFolders::StoredFolders(IniFile& settings) : settings_(settings) {
    for (const FolderKind kind : {FolderKind::Gif, FolderKind::Jpg, FolderKind::Png, FolderKind::LDraw}) {
        const StoredKey& stored = kKeys[Index(kind)];
        const std::optional<QString> value =
            settings_.Value(QLatin1String(stored.section), QLatin1String(stored.key));
        if (value)
            folders_[Index(kind)] = *value;
        else if (stored.shipped)
            SetFolder(kind, FromFsPath(DataDir() / "images" / stored.shipped));
    }
}

void StoredFolders::SetFolder(FolderKind kind, const QString& folder) {
    QString& current = folders_[Index(kind)];
    if (current == folder) return;
    current = folder;
    const StoredKey& stored = kKeys[Index(kind)];
    settings_.WriteString(QLatin1String(stored.section), QLatin1String(stored.key), folder);
    emit FolderChanged(kind, folder);
}

PictureFolders StoredFolders::Pictures() const {
    auto path = [this](FolderKind kind) { return ToFsPath(Folder(kind)); };
    return {path(FolderKind::LDraw), path(FolderKind::Jpg), path(FolderKind::Png), path(FolderKind::Gif)};
}
