#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Bytes of an 8-bit text file to text: UTF-8 when the bytes are valid UTF-8, else Windows-1252.
QString DecodeText(std::string_view bytes);
// Text to bytes: Windows-1252 when every character fits, else UTF-8.
std::string EncodeText(const QString& text);
// Text to the bytes of a file that DecodeText reads back as the same text: Windows-1252 when every
// character fits and those bytes cannot be taken for UTF-8 ("Ã©" would come back as "é"), else UTF-8.
std::string EncodeTextFile(const QString& text);

// ASCII letters to lower case, other bytes as they are: for file names compared without case.
std::string AsciiLower(std::string_view text);

// Where a line end may be from i on: past whole groups of four characters that are all above CR (0x0D).
// The subtraction borrows into a lane's top bit only in a group holding a character below 0x0E.
inline qsizetype SkipAboveCr(const char16_t* chars, qsizetype i, qsizetype n) {
    for (std::uint64_t group = 0; i + 4 <= n; i += 4) {
        std::memcpy(&group, chars + i, sizeof group);
        if ((group - 0x000E000E000E000Eu) & ~group & 0x8000800080008000u) break;
    }
    return i;
}

// The one line splitter: lines end at CRLF, CR or LF, and a Ctrl-Z ends the text. A final line end does
// not start another (empty) line.
QStringList SplitLines(const QString& text);
// ForEachLine's default for the TABs: nothing listens.
struct IgnoreTabs {
    void operator()(qsizetype) const {}
};
// The same lines as views into text, one call of lineFn each, for readers that keep only parts of them.
// tabFn, when given, hears the place of each TAB in the text before the line holding it, so that a reader of
// TAB-separated fields needs no second search of the line.
template <class LineFn, class TabFn = IgnoreTabs>
void ForEachLine(QStringView text, LineFn&& lineFn, TabFn&& tabFn = {}) {
    if (const qsizetype eof = text.indexOf(QChar(0x1A)); eof >= 0) text = text.left(eof);
    const char16_t* const chars = text.utf16();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = SkipAboveCr(chars, 0, n); i < n; i = SkipAboveCr(chars, i + 1, n)) {
        const char16_t c = chars[i];
        if (c == u'\t') tabFn(i);
        if (c != u'\n' && c != u'\r') continue;
        lineFn(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    if (start < n) lineFn(text.mid(start));
}
// Lines joined with CRLF after every line, as every writer emits them.
QString JoinLinesCrlf(const QStringList& lines);

// Whole file as bytes; nothing when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);
// Whole file decoded; nothing when it cannot be read.
std::optional<QString> ReadTextFile(const std::filesystem::path& path);
// Encodes the lines with CRLF ends and saves them as AtomicWrite does. Returns an error text, empty on
// success.
std::string WriteTextFile(const std::filesystem::path& path, const QStringList& lines);
