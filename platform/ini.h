#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// A settings file in the classic section/key layout. Sections and keys keep the order in which they were
// first read or written, names are matched without regard to letter case, lines end with CRLF, saves are
// atomic, and a file created here is readable by its owner only (it may hold a password). A save reads the
// file again and writes back only what this object changed, so that another running program's settings
// and hand edits made meanwhile stay.
class IniFile {
  public:
    IniFile() = default;
    // Loads path when it exists; a missing file is an empty one.
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& FileName() const { return path_; }
    // Reads the file again, forgetting what was changed here; false when it exists but cannot be read (the
    // contents are then empty).
    bool Load();
    // Reads the file again and applies what was changed here since the last save on top.
    bool Reload();
    // Reloads, then writes the file atomically when anything was changed here since it was loaded or saved
    // (closing a window whose settings stayed the same costs no write). Returns an error text, empty on
    // success.
    std::string Save();

    // Parses text in the file's layout, replacing the contents (nothing counts as changed).
    void Parse(const QString& text);
    // The file's contents as text with CRLF line ends.
    QString Text() const;

    // The stored text of a key, with one pair of enclosing quotes removed; nothing when the key is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;
    QString ReadString(const QString& section, const QString& key, const QString& defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    // Stores a value; a value that itself begins and ends with a quote, or begins or ends with a blank, gets
    // one more pair of double quotes so that it reads back unchanged. Returns false, storing nothing, when a
    // name or the value holds a line break or the key could not be read back (it holds '=' or is empty).
    bool WriteString(const QString& section, const QString& key, const QString& value);
    bool WriteInteger(const QString& section, const QString& key, int value);

    bool SectionExists(const QString& section) const;
    QStringList Sections() const;
    QStringList Keys(const QString& section) const;
    // Removes the section with its keys.
    void EraseSection(const QString& section);
    // Leaves the section present and empty: its keys go, its place stays (a new one goes last).
    void ClearSection(const QString& section);

  private:
    // One change made here, replayed onto the file as it is on disk when saving.
    struct Change {
        enum Kind { Write, Clear, Erase } kind;
        QString section;
        QString key;
        QString raw;
    };
    void Apply(const Change& change);
    void Record(Change change);

    struct Entry {
        QString key;
        QString raw;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
        QHash<QString, size_t> index; // folded key -> entry
    };

    const Section* Find(const QString& section) const;
    Section& FindOrAdd(const QString& section);
    void Reindex();

    std::filesystem::path path_;
    std::vector<Section> sections_;
    QHash<QString, size_t> index_; // folded section name -> section
    std::vector<Change> changes_;  // since the last load or save
};
