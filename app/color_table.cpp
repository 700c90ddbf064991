#include "app/color_table.h"

#include "app/file_paths.h"
#include "platform/text.h"

namespace {

bool IsHexColour(const QString& text) {
    if (text.size() != 7 || text[0] != u'#') return false;
    for (int i = 1; i < 7; ++i) {
        const char16_t c = text[i].unicode();
        if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) return false;
    }
    return true;
}

bool IsCommentOrEmpty(const QString& line) {
    return line.isEmpty() || line[0] == u'\t' || line[0] == u';';
}

} // namespace

QStringList ColorTable::Load(const std::filesystem::path& file) {
    const QString name = FromFsPath(file.filename());
    auto text = ReadTextFile(file);
    if (!text) {
        Clear();
        return {QStringLiteral("The colour table %1 could not be read; colours will not be translated.")
                    .arg(FromFsPath(file))};
    }
    return LoadText(*text, name);
}

void ColorTable::Clear() {
    rows_.clear();
    validColour_.clear();
    for (auto& index : index_)
        index.clear();
}

QStringList ColorTable::LoadText(const QString& text, const QString& source) {
    Clear();

    int firstBadLine = 0;
    bool tooMany = false;
    const QStringList lines = SplitLines(text);
    for (int lineNo = 0; lineNo < lines.size(); ++lineNo) {
        const QString& line = lines[lineNo];
        if (IsCommentOrEmpty(line)) continue;
        if (RowCount() == kSlots) {
            tooMany = true;
            break;
        }
        Row row;
        const QStringList parts = line.split(u'\t');
        for (int f = 0; f < kFields && f < parts.size(); ++f)
            row[static_cast<size_t>(f)] = parts[f];
        const bool valid = IsHexColour(row[4]);
        if (!valid && firstBadLine == 0) firstBadLine = lineNo + 1;
        rows_.push_back(std::move(row));
        validColour_.push_back(valid);
    }
    // Indexed from the back so that the first row holding a value wins.
    for (int r = RowCount() - 1; r >= 0; --r)
        for (int f = 0; f < kFields; ++f) {
            const QString& value = rows_[static_cast<size_t>(r)][static_cast<size_t>(f)];
            if (!value.isEmpty()) index_[static_cast<size_t>(f)].insert(value, r);
        }

    QStringList messages;
    if (firstBadLine)
        messages << QStringLiteral(
                        "%1, line %2: the display colour is not \"#RRGGBB\"; white is used instead.")
                        .arg(source)
                        .arg(firstBadLine);
    if (tooMany)
        messages << QStringLiteral("%1 holds more than %2 colours; only the first %2 are used.")
                        .arg(source)
                        .arg(kSlots);
    return messages;
}

QString ColorTable::Field(int row, int field) const {
    if (row < 0 || row >= RowCount() || field < 1 || field > kFields) return {};
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(field - 1)];
}

QColor ColorTable::DisplayColour(int row) const {
    if (row < 0 || row >= RowCount() || !validColour_[static_cast<size_t>(row)]) return QColor(Qt::white);
    return QColor(Field(row, 5));
}

bool ColorTable::IsTransparent(int row) const {
    return Field(row, 6) == u"Yes";
}

int ColorTable::FirstRowWith(int field, const QString& value) const {
    if (field < 1 || field > kFields || value.isEmpty()) return -1;
    return index_[static_cast<size_t>(field - 1)].value(value, -1);
}

QString ColorTable::ColourFieldByKey(const QString& key, int keyField, int resultField) const {
    const int row = FirstRowWith(keyField, key);
    return row < 0 ? QStringLiteral("NotFound") : Field(row, resultField);
}

int ColorTable::ColourIndexByName(const QString& name) const {
    return FirstRowWith(1, name);
}

int ColorTable::LDrawColourByName(const QString& name) const {
    bool ok = false;
    const int number = Field(FirstRowWith(1, name), 2).toInt(&ok, 10);
    return ok ? number : 7;
}

QString ColorTable::HtmlColourByName(const QString& name) const {
    const int row = FirstRowWith(1, name);
    return row >= 0 && validColour_[static_cast<size_t>(row)] ? Field(row, 5) : QStringLiteral("#ffffff");
}
