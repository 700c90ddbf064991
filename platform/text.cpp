#include "platform/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>

#include "platform/fs.h"

namespace {

// Windows-1252 bytes 0x80..0x9F; the five unassigned ones map to the C1 control of the same value.
constexpr std::array<char16_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool IsValidUtf8(std::string_view bytes) {
    size_t i = 0;
    const size_t n = bytes.size();
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            // Most text is ASCII: skip it eight bytes at a time.
            for (uint64_t word = 0; i + 8 <= n; i += 8) {
                std::memcpy(&word, bytes.data() + i, 8);
                if (word & 0x8080808080808080u) break;
            }
            if (i < n && static_cast<unsigned char>(bytes[i]) < 0x80) ++i;
            continue;
        }
        int extra;
        char32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<size_t>(extra) >= n) return false;
        for (int k = 1; k <= extra; ++k) {
            unsigned char cc = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
            if ((cc & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += static_cast<size_t>(extra) + 1;
    }
    return true;
}

char16_t From1252(unsigned char c) {
    return c >= 0x80 && c < 0xA0 ? kHigh1252[c - 0x80] : char16_t(c);
}

int Encode1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (size_t k = 0; k < kHigh1252.size(); ++k)
        if (kHigh1252[k] == c) return static_cast<int>(0x80 + k);
    return -1;
}

} // namespace

QString DecodeText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
    // Only 0x80..0x9F differ from Latin-1, whose widening is vectorised: then only the few words holding
    // bytes above 0x7F are looked at again.
    QString text = QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    auto* out = reinterpret_cast<char16_t*>(text.data());
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    for (std::uint64_t word = 0; i + 8 <= n; i += 8) {
        std::memcpy(&word, in + i, 8);
        if (!(word & 0x8080808080808080u)) continue;
        for (std::size_t k = i; k < i + 8; ++k)
            out[k] = From1252(in[k]);
    }
    for (; i < n; ++i)
        out[i] = From1252(in[i]);
    return text;
}

std::string EncodeText(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (QChar ch : text) {
        int b = Encode1252(ch.unicode());
        if (b < 0) {
            QByteArray utf8 = text.toUtf8();
            return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
        }
        out.push_back(static_cast<char>(b));
    }
    return out;
}

std::string EncodeTextFile(const QString& text) {
    std::string bytes = EncodeText(text);
    const bool ascii =
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii || !IsValidUtf8(bytes)) return bytes;
    const QByteArray utf8 = text.toUtf8();
    return std::string(utf8.constData(), static_cast<size_t>(utf8.size()));
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    ForEachLine(text, [&](QStringView line) { lines << line.toString(); });
    return lines;
}

QString JoinLinesCrlf(const QStringList& lines) {
    QString out;
    qsizetype total = 0;
    for (const QString& line : lines)
        total += line.size() + 2;
    out.reserve(total);
    for (const QString& line : lines) {
        out += line;
        out += u"\r\n";
    }
    return out;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes;
    if (const auto size = std::filesystem::file_size(path, ec); !ec) bytes.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    return bytes;
}

std::optional<QString> ReadTextFile(const std::filesystem::path& path) {
    auto bytes = ReadFileBytes(path);
    if (!bytes) return std::nullopt;
    return DecodeText(*bytes);
}

std::string WriteTextFile(const std::filesystem::path& path, const QStringList& lines) {
    return AtomicWrite(path, EncodeTextFile(JoinLinesCrlf(lines)));
}

std::string AsciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}
