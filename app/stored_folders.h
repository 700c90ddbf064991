#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "app/picture_chooser.h"

class IniFile;

enum class FolderKind { Gif, Jpg, Png, LDraw };

// The folders the part pictures and renders come from, kept in the settings file under the keys they have
// always had; a change is in the file's contents at once and written with its next save.
class StoredFolders : public QObject {
    Q_OBJECT
  public:
    // Reads the stored folders; a picture folder never stored is the data folder's own.
    explicit StoredFolders(IniFile& settings);

    QString Folder(FolderKind kind) const { return folders_[Index(kind)]; }
    void SetFolder(FolderKind kind, const QString& folder);
    PictureFolders Pictures() const;

  signals:
    void FolderChanged(FolderKind kind, const QString& folder);

  private:
    static std::size_t Index(FolderKind kind) { return static_cast<std::size_t>(kind); }

    IniFile& settings_;
    std::array<QString, 4> folders_;
};
