#include "platform/ini.h"

#include "platform/fs.h"
#include "platform/text.h"

namespace {

// A settings file is small; anything bigger is not ours and is not read into memory.
constexpr std::uintmax_t kMaxFileBytes = 16u << 20;

QString Fold(const QString& name) {
    return name.trimmed().toCaseFolded();
}

bool HasLineBreak(const QString& text) {
    return text.contains('\r') || text.contains('\n');
}

bool IsQuotedBy(const QString& text, QChar quote) {
    return text.size() >= 2 && text.front() == quote && text.back() == quote;
}

// The reader removes one pair of enclosing quotes, so a value that has its own gets one more pair; so does
// one with blanks at either end, which the reader would trim away.
bool NeedsExtraQuotes(const QString& value) {
    return !value.isEmpty() && ((value.front() == '"' && value.back() == '"') ||
                                (value.front() == '\'' && value.back() == '\'') || value.front().isSpace() ||
                                value.back().isSpace());
}

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path)) {
    Load();
}

bool IniFile::Load() {
    sections_.clear();
    index_.clear();
    changes_.clear();
    std::error_code error;
    if (!std::filesystem::exists(path_, error)) return true;
    auto size = std::filesystem::file_size(path_, error);
    if (error || size > kMaxFileBytes) return false;
    auto bytes = ReadFileBytes(path_);
    if (!bytes) return false;
    Parse(DecodeText(*bytes));
    return true;
}

bool IniFile::Reload() {
    std::vector<Change> pending = std::move(changes_);
    const bool loaded = Load();
    for (const Change& change : pending)
        Apply(change);
    changes_ = std::move(pending);
    return loaded;
}

std::string IniFile::Save() {
    std::error_code error;
    const bool exists = std::filesystem::exists(path_, error);
    if (changes_.empty() && exists) return {};
    // What another program or a hand edit wrote meanwhile stays; a file that cannot be read is not
    // overwritten with this object's view of it.
    if (!Reload() && exists) return "Cannot read " + path_.string() + "; the settings were not saved.";
    // A new file is private to its owner (it holds a password); an existing one keeps its permissions.
    std::string failure = AtomicWrite(path_, EncodeTextFile(Text()), 0600);
    if (failure.empty()) changes_.clear();
    return failure;
}

void IniFile::Parse(const QString& text) {
    sections_.clear();
    index_.clear();
    changes_.clear();
    Section* current = nullptr;
    for (const QString& rawLine : SplitLines(text)) {
        QString line = rawLine.trimmed();
        if (line.isEmpty() || line.front() == ';') continue;
        if (line.front() == '[') {
            qsizetype close = line.indexOf(']');
            current = &FindOrAdd(line.mid(1, close < 0 ? -1 : close - 1).trimmed());
            continue;
        }
        qsizetype equals = line.indexOf('=');
        if (!current || equals <= 0) continue;
        QString key = line.left(equals).trimmed();
        QString folded = key.toCaseFolded();
        if (key.isEmpty() || current->index.contains(folded)) continue; // the first of twins wins
        current->index.insert(folded, current->entries.size());
        current->entries.push_back({key, line.mid(equals + 1).trimmed()});
    }
}

QString IniFile::Text() const {
    QString out;
    for (const Section& section : sections_) {
        if (!out.isEmpty()) out += "\r\n";
        out += '[' + section.name + "]\r\n";
        for (const Entry& entry : section.entries)
            out += entry.key + '=' + entry.raw + "\r\n";
    }
    return out;
}

std::optional<QString> IniFile::Value(const QString& section, const QString& key) const {
    const Section* found = Find(section);
    if (!found) return std::nullopt;
    auto it = found->index.constFind(Fold(key));
    if (it == found->index.constEnd()) return std::nullopt;
    const QString& raw = found->entries[*it].raw;
    if (IsQuotedBy(raw, '"') || IsQuotedBy(raw, '\'')) return raw.mid(1, raw.size() - 2);
    return raw;
}

QString IniFile::ReadString(const QString& section, const QString& key, const QString& defaultValue) const {
    return Value(section, key).value_or(defaultValue);
}

int IniFile::ReadInteger(const QString& section, const QString& key, int defaultValue) const {
    auto text = Value(section, key);
    if (!text) return defaultValue;
    bool ok = false;
    int value = text->trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

bool IniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    QString sectionName = section.trimmed();
    QString keyName = key.trimmed();
    if (HasLineBreak(section) || sectionName.contains(']') || HasLineBreak(key) || keyName.isEmpty() ||
        keyName.contains('=') || keyName.front() == '[' || keyName.front() == ';' || HasLineBreak(value))
        return false;
    QString raw = NeedsExtraQuotes(value) ? '"' + value + '"' : value;
    if (const Section* found = Find(sectionName)) {
        auto it = found->index.constFind(keyName.toCaseFolded());
        if (it != found->index.constEnd() && found->entries[*it].raw == raw) return true;
    }
    Record({Change::Write, sectionName, keyName, raw});
    return true;
}

bool IniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool IniFile::SectionExists(const QString& section) const {
    return Find(section) != nullptr;
}

QStringList IniFile::Sections() const {
    QStringList names;
    for (const Section& section : sections_)
        names << section.name;
    return names;
}

QStringList IniFile::Keys(const QString& section) const {
    QStringList keys;
    if (const Section* found = Find(section))
        for (const Entry& entry : found->entries)
            keys << entry.key;
    return keys;
}

void IniFile::EraseSection(const QString& section) {
    if (Find(section)) Record({Change::Erase, section, {}, {}});
}

void IniFile::ClearSection(const QString& section) {
    const Section* found = Find(section);
    if (!found || !found->entries.empty()) Record({Change::Clear, section, {}, {}});
}

void IniFile::Record(Change change) {
    Apply(change);
    changes_.push_back(std::move(change));
}

void IniFile::Apply(const Change& change) {
    if (change.kind == Change::Erase) {
        auto it = index_.constFind(Fold(change.section));
        if (it == index_.constEnd()) return;
        sections_.erase(sections_.begin() + static_cast<std::ptrdiff_t>(*it));
        Reindex();
        return;
    }
    Section& target = FindOrAdd(change.section);
    if (change.kind == Change::Clear) {
        target.entries.clear();
        target.index.clear();
        return;
    }
    const QString folded = change.key.toCaseFolded();
    auto it = target.index.constFind(folded);
    if (it != target.index.constEnd()) {
        target.entries[*it].raw = change.raw;
    } else {
        target.index.insert(folded, target.entries.size());
        target.entries.push_back({change.key, change.raw});
    }
}

const IniFile::Section* IniFile::Find(const QString& section) const {
    auto it = index_.constFind(Fold(section));
    return it == index_.constEnd() ? nullptr : &sections_[*it];
}

IniFile::Section& IniFile::FindOrAdd(const QString& section) {
    QString folded = Fold(section);
    auto it = index_.constFind(folded);
    if (it != index_.constEnd()) return sections_[*it];
    index_.insert(folded, sections_.size());
    sections_.push_back({section.trimmed(), {}, {}});
    return sections_.back();
}

void IniFile::Reindex() {
    index_.clear();
    for (size_t i = 0; i < sections_.size(); ++i)
        index_.insert(Fold(sections_[i].name), i);
}
