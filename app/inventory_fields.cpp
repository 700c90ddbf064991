#include "app/inventory_fields.h"

#include <limits>

#include "app/file_paths.h"
#include <QFileInfo>

#include "app/inventory_host.h"
#include "app/user_prompts.h"
#include "platform/text.h"

namespace {
// Far above any inventory a person keeps; refusing bigger files keeps a stray pick from eating memory.
constexpr size_t kMaxInventoryBytes = size_t(256) << 20;
} // namespace

QString FileNameOf(const QString& path) {
    return QFileInfo(path).fileName();
}

namespace {
std::string ReadInventoryBytes(const QString& path) {
    const std::filesystem::path file = ToFsPath(path);
    std::error_code ec;
    const auto size = std::filesystem::file_size(file, ec);
    if (!ec && size > kMaxInventoryBytes) throw InventoryReadError(QStringLiteral("File too large: ") + path);
    std::optional<std::string> read = ReadFileBytes(file);
    if (!read) throw InventoryReadError(QStringLiteral("Cannot open file ") + path);
    return std::move(*read);
}
std::optional<QString> FileBeside(const QString& path, const QString& name) {
    namespace fs = std::filesystem;
    if (name.contains(u'/') || name.contains(u'\\')) return std::nullopt;
    const std::string wanted = AsciiLower(ToFsPath(name).string());
    const fs::path folder = ToFsPath(path).parent_path();
    std::error_code error;
    for (fs::directory_iterator entry(folder.empty() ? fs::path(".") : folder, error), end;
         !error && entry != end; entry.increment(error)) {
        std::error_code typeError;
        if (AsciiLower(entry->path().filename().string()) == wanted && entry->is_regular_file(typeError))
            return ReadInventoryText(FromFsPath(entry->path()));
    }
    return std::nullopt;
}
} // namespace

QString InventoryText(const InventorySource& file) {
    QString text = DecodeText(file.bytes);
    const QString& path = file.path;
    // Checked before the Ctrl-Z cut: binary formats often carry that byte early (a PNG signature does).
    if (text.contains(QChar(0))) throw UnopenedFileError(path + QStringLiteral(" is not a text file."));
    if (const qsizetype eof = text.indexOf(QChar(0x1A)); eof >= 0) text.truncate(eof);
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    return text;
}

TextLines::TextLines(QString text) : text_(std::move(text)) {
    ForEachLine(text_, [this](QStringView line) { lines_.push_back(line); });
}

TextLines InventoryLines(const InventorySource& file) {
    return TextLines(InventoryText(file));
}

QString ReadInventoryText(const QString& path) {
    return InventoryText({path, ReadInventoryBytes(path), {}});
}

InventorySource ReadInventorySource(const QString& path) {
    return {path, ReadInventoryBytes(path), [path](const QString& name) { return FileBeside(path, name); }};
}

QStringView TrimmedView(QStringView text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString TrimField(const QString& text) {
    const QStringView trimmed = TrimmedView(text);
    return trimmed.size() == text.size() ? text : trimmed.toString();
}

FieldLine::FieldLine(QStringView line, QChar separator) {
    for (QStringView part : line.tokenize(separator))
        parts_.append(part);
}

std::optional<long long> ParseQuantity(const QString& text) {
    bool ok = false;
    const long long value = text.toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

long long AddQuantities(long long a, long long b) {
    constexpr long long kMax = std::numeric_limits<long long>::max(),
                        kMin = std::numeric_limits<long long>::min();
    if (b > 0 && a > kMax - b) return kMax;
    if (b < 0 && a < kMin - b) return kMin;
    return a + b;
}

long long SubtractQuantities(long long a, long long b) {
    constexpr long long kMax = std::numeric_limits<long long>::max(),
                        kMin = std::numeric_limits<long long>::min();
    if (b < 0 && a > kMax + b) return kMax;
    if (b > 0 && a < kMin + b) return kMin;
    return a - b;
}

QString TabFileCell(const QString& text) {
    QString cell = text;
    for (QChar& c : cell)
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    return cell;
}

QString StripHtmlTags(const QString& text) {
    QString out;
    out.reserve(text.size());
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype open = text.indexOf(u'<', pos);
        if (open < 0) break;
        const qsizetype close = text.indexOf(u'>', open);
        if (close < 0) break;
        out += QStringView(text).mid(pos, open - pos);
        pos = close + 1;
    }
    out += QStringView(text).mid(pos);
    return out;
}

void RowAdder::Add(const QString& partNumber, const QString& description, const QString& colour,
                   const QString& quantity, const QString& bag, const QString& notes, int lineNo) {
    warning_.Count(quantity, [&] { return QStringLiteral("%1, %2 %3").arg(path_, place_).arg(lineNo); });
    const QString stored = lookups_.Renamed(colour);
    parsed_.rows.push_back({partNumber + stored, quantity, partNumber, bag, stored, description, notes});
    ++added_;
}

void RowAdder::Finish() {
    QStringList findings = notes_;
    if (const QString quantity = warning_.Text(); !quantity.isEmpty()) findings.prepend(quantity);
    notes_.clear();
    warning_ = {};
    parsed_.warnings << findings;
}

QString QuantityWarning::Text() const {
    if (!found_) return {};
    return QStringLiteral("%1: the quantity \"%2\" is not a whole number; it counts as 0.")
        .arg(place_, quantity_);
}

void QuantityWarning::Show(UserPrompts& prompts) {
    const QString text = Text();
    found_ = false;
    if (!text.isEmpty()) prompts.Show(text);
}
