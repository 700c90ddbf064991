#pragma once

#include <QColor>
#include <QHash>
#include <QString>
#include <QStringList>
#include <array>
#include <filesystem>
#include <vector>

// The colour table read from colors.txt: translates between colour names, LDraw colour numbers,
// marketplace colour ids and display colours. Fields are counted from 1 as in the file.
class ColorTable {
  public:
    static constexpr int kSlots = 112;
    static constexpr int kFields = 6;

    // Reads the file and keeps whatever could be read. Returns the messages for the user: a missing file,
    // a bad display colour or too many rows each give one.
    [[nodiscard]] QStringList Load(const std::filesystem::path& file);
    // The same from text already in memory; `source` names it in the messages.
    [[nodiscard]] QStringList LoadText(const QString& text, const QString& source);

    int RowCount() const { return static_cast<int>(rows_.size()); }
    QString Field(int row, int field) const;
    // Field 5 as a colour; white when the field is not "#RRGGBB".
    QColor DisplayColour(int row) const;
    bool IsTransparent(int row) const;

    // Result field of the first row whose key field equals key; "NotFound" when none.
    QString ColourFieldByKey(const QString& key, int keyField, int resultField) const;
    // Index of the first row named so; -1 when none.
    int ColourIndexByName(const QString& name) const;
    // LDraw number of the named colour; 7 when unknown, empty or not a number.
    int LDrawColourByName(const QString& name) const;
    // Display colour text of the named colour; "#ffffff" when unknown, empty or malformed.
    QString HtmlColourByName(const QString& name) const;

  private:
    using Row = std::array<QString, kFields>;
    void Clear();
    int FirstRowWith(int field, const QString& value) const;

    std::vector<Row> rows_;
    std::vector<bool> validColour_;
    // Per field: value -> first row holding it. Empty values are never indexed.
    std::array<QHash<QString, int>, kFields> index_;
};
