#include "web/http_client.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <stdexcept>

namespace {

// Bounds on what a server can make us hold before the body starts.
constexpr size_t kMaxHeaderLine = 65536;
constexpr size_t kMaxHeaderTotal = 65536;

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string_view Trim(std::string_view s) {
    const char* blanks = " \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Leading decimal digits as a number; -1 when there are none or too many.
int64_t LeadingNumber(std::string_view s) {
    int64_t value = 0;
    size_t i = 0;
    for (; i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])); ++i) {
        if (i >= 18) return -1;
        value = value * 10 + (s[i] - '0');
    }
    return i == 0 ? -1 : value;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

} // namespace

int ExStringList::IndexOfHeader(std::string_view name) const {
    const std::string wanted = Upper(name);
    for (size_t i = 0; i < Lines.size(); ++i)
        if (Upper(std::string_view(Lines[i]).substr(0, Lines[i].find(':'))) == wanted)
            return static_cast<int>(i);
    return -1;
}

void ExStringList::SetValue(std::string_view name, std::string_view value) {
    int index = IndexOfHeader(name);
    if (value.empty()) {
        if (index >= 0) Lines.erase(Lines.begin() + index);
        return;
    }
    // A line break inside a value would start a header line of its own.
    std::string line = std::string(name) + ": ";
    for (char c : value)
        if (c != '\r' && c != '\n') line += c;
    if (index >= 0)
        Lines[static_cast<size_t>(index)] = line;
    else
        Lines.push_back(line);
}

std::string ExStringList::Text() const {
    std::string text;
    for (const std::string& line : Lines)
        text += line + "\r\n";
    return text;
}

std::string UUProcessor::Encode(std::string_view input) const {
    static const char base64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto symbol = [this](unsigned value) {
        if (Method == Base64) return base64[value];
        return value == 0 ? '`' : static_cast<char>(32 + value);
    };
    if (OnBeginEncode) OnBeginEncode();
    std::string out;
    for (size_t start = 0; start < input.size(); start += 45) {
        std::string_view block = input.substr(start, 45);
        if (Method == UUEncode) out += symbol(static_cast<unsigned>(block.size()));
        for (size_t i = 0; i < block.size(); i += 3) {
            const size_t n = std::min<size_t>(3, block.size() - i);
            unsigned bits = 0;
            for (size_t k = 0; k < 3; ++k)
                bits = bits << 8 | (k < n ? static_cast<unsigned char>(block[i + k]) : 0u);
            for (size_t k = 0; k <= n; ++k)
                out += symbol((bits >> (18 - 6 * k)) & 63);
            if (Method == Base64) out.append(3 - n, '=');
        }
        out += "\r\n";
    }
    if (Method == UUEncode) out += "`\r\n";
    if (OnEndEncode) OnEndEncode();
    return out;
}

std::string URLCoder::Decode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '+') {
            out += ' ';
        } else if (text[i] == '%') {
            int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
            int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
            if (low < 0)
                throw std::invalid_argument("Invalid escape in URL text: " + std::string(text.substr(i, 3)));
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string URLEncode(std::string_view text) {
    static const char hex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 15];
        }
    }
    return out;
}

HTTPClient::HTTPClient() = default;

void HTTPClient::Run(Method method, const std::string& url, const std::string& data,
                     const std::string& target) {
    method_ = method;
    URL = url;
    data_ = data;
    target_ = target;
    ExecuteRequest();
}

void HTTPClient::Get(const std::string& url) {
    Run(kGet, url, {}, {});
}
void HTTPClient::Options(const std::string& url) {
    Run(kOptions, url, {}, {});
}
void HTTPClient::Head(const std::string& url) {
    Run(kHead, url, {}, {});
}
void HTTPClient::Post(const std::string& url, const std::string& data) {
    Run(kPost, url, OutputFileMode ? data : URLCoder::Decode(data), {});
}
void HTTPClient::Put(const std::string& url, const std::string& data) {
    Run(kPut, url, data, {});
}
void HTTPClient::Patch(const std::string& url, const std::string& data) {
    Run(kPatch, url, data, {});
}
void HTTPClient::Copy(const std::string& url, const std::string& target) {
    Run(kCopy, url, {}, target);
}
void HTTPClient::Move(const std::string& url, const std::string& target) {
    Run(kMove, url, {}, target);
}
void HTTPClient::Delete(const std::string& url) {
    Run(kDelete, url, {}, {});
}
void HTTPClient::Link(const std::string& url, const std::string& link) {
    Run(kLink, url, "Send.dat", link);
}
void HTTPClient::Unlink(const std::string& url, const std::string& link) {
    Run(kUnlink, url, "Send.dat", link);
}
void HTTPClient::Trace(const std::string& url, const std::string& data) {
    Run(kTrace, url, data, {});
}
void HTTPClient::Raw(const std::string& url, const std::string& data) {
    Run(kRaw, url, data, {});
}

bool HTTPClient::SendsData() const {
    switch (method_) {
    case kPost:
    case kPut:
    case kPatch:
    case kLink:
    case kUnlink:
    case kTrace:
    case kRaw:
        return true;
    default:
        return false;
    }
}

bool HTTPClient::CookieGoesTo() const {
    return !CookieAllowed || CookieAllowed(Host, Port);
}

void HTTPClient::ParseURL() {
    if (URL.empty()) throw ESockError("Empty URL");
    // A control character in the address would split the request line.
    if (std::any_of(URL.begin(), URL.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        throw ESockError("Invalid URL: control character");
    if (Port == 0) Port = 80;
    const bool hasAuthority = URL.find("//") != std::string::npos;
    const size_t slash = URL.find('/');
    if (hasAuthority) {
        int third = NthSeparatorPos(URL, '/', 3);
        path_ =
            std::count(URL.begin(), URL.end(), '/') >= 3 ? URL.substr(static_cast<size_t>(third - 1)) : "";
    } else {
        path_ = slash == std::string::npos ? "" : URL.substr(slash);
    }
    const size_t colon = URL.find(':');
    if (colon != std::string::npos && (slash == std::string::npos || colon < slash)) {
        const std::string scheme = Lower(URL.substr(0, colon));
        if (scheme == "https") throw ESockError("Secure (https) addresses are not supported: " + URL);
        Port = scheme == "gopher" ? 70 : scheme == "ftp" ? 21 : 80;
    }
    std::string hostField = hasAuthority    ? NthFieldByChar(URL, '/', 3)
                            : URL[0] != '/' ? NthFieldByChar(URL, '/', 1)
                                            : "";
    if (size_t portColon = hostField.find(':'); portColon != std::string::npos) {
        int64_t port = LeadingNumber(hostField.substr(portColon + 1));
        if (port < 1 || port > 65535) throw ESockError("Invalid port in " + URL);
        Port = static_cast<int>(port);
        hostField.erase(portColon);
    }
    if (!hostField.empty()) Host = hostField;
    if (path_.empty()) {
        // Not = "/": GCC 12 at -O3 takes that short copy for an overlapping one (-Wrestrict).
        path_.assign(1, '/');
        URL += "/";
    }
}

void HTTPClient::BuildHeader() {
    static const char* const words[] = {"GET ",  "OPTIONS ", "HEAD ", "POST ",   "PUT ",   "PATCH ", "COPY ",
                                        "MOVE ", "DELETE ",  "LINK ", "UNLINK ", "TRACE ", ""};
    const std::string host = Port == 80 ? Host : Host + ":" + std::to_string(Port);
    RequestHeader.Lines.clear();
    if (method_ != kRaw)
        RequestHeader.Lines.push_back(words[method_] + (Proxy.empty() ? path_ : URL) + " HTTP/1.0");
    if (!Proxy.empty()) {
        RequestHeader.Lines.push_back("Proxy-Connection: Keep-Alive");
        RequestHeader.Lines.push_back("Host: " + host);
    }
    RequestHeader.SetValue("Host", host);
    RequestHeader.Lines.push_back("Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff");
    RequestHeader.Lines.push_back("Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript");
    RequestHeader.SetValue("User-Agent", HeaderInfo.LocalMailAddress);
    RequestHeader.SetValue("From", HeaderInfo.LocalProgram);
    if (CookieGoesTo()) RequestHeader.SetValue("Cookie", HeaderInfo.Cookie);
    RequestHeader.SetValue("Referer", HeaderInfo.Referer);
    if (!HeaderInfo.UserId.empty() && !HeaderInfo.Password.empty()) {
        std::string encoded = UUProcessor().Encode(HeaderInfo.UserId + ":" + HeaderInfo.Password);
        std::erase(encoded, '\r');
        std::erase(encoded, '\n');
        RequestHeader.SetValue("Authorization", "Basic " + encoded);
    }
    RequestHeader.Lines.push_back("Content-type: application/x-www-form-urlencoded");
    if (method_ == kCopy || method_ == kMove) RequestHeader.Lines.push_back("URI-header: " + target_);
    if (method_ == kLink || method_ == kUnlink) RequestHeader.Lines.push_back("Link: " + target_);
    if (SendsData()) {
        std::error_code ec;
        const uintmax_t length = OutputFileMode ? std::filesystem::file_size(data_, ec) : data_.size();
        if (ec) throw ESockError("Cannot open " + data_);
        RequestHeader.Lines.push_back("Content-Length: " + std::to_string(length));
    }
    RequestHeader.Lines.push_back("");
}

void HTTPClient::SendRequest() {
    Write(RequestHeader.Text());
    if (SendsData()) {
        if (OutputFileMode)
            SendFile(data_);
        else
            Write(data_);
    }
    method_ = kGet;
}

void HTTPClient::AddHeaderLine(const std::string& line, std::string& text, std::ostream* file) {
    if (file) {
        *file << line;
        if (!*file) throw ESockError("Cannot write " + Header);
    } else {
        text += line;
    }
}

void HTTPClient::ReadResponseHeader() {
    CookieIn.clear();
    Location.clear();
    ContentLength = -1;
    BytesTotal = 0;
    std::ofstream file;
    std::string text;
    if (InputFileMode) {
        file.open(Header, std::ios::binary | std::ios::trunc);
        if (!file) throw ESockError("Cannot create " + Header);
    }
    std::ostream* out = InputFileMode ? &file : nullptr;
    size_t total = 0;
    auto nextLine = [&] {
        std::string line = ReadLn(std::min(kMaxHeaderLine, kMaxHeaderTotal - total + 1));
        total += line.size();
        if (total > kMaxHeaderTotal) throw ESockError("Reply header too long");
        if (line.empty() || line.back() != '\n')
            throw ESockError("Connection closed during the reply header");
        AddHeaderLine(line, text, out);
        return line;
    };
    StatusLine = std::string(Trim(nextLine()));
    // Codes have three digits; a longer number must stay a failure rather than wrap into a success.
    ReplyNumber =
        static_cast<int>(std::clamp<int64_t>(LeadingNumber(NthFieldByChar(StatusLine, ' ', 2)), 0, 999));
    for (;;) {
        const std::string line = nextLine();
        if (line == "\n" || line == "\r\n") break;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) continue;
        const std::string name = Upper(Trim(std::string_view(line).substr(0, colon)));
        const std::string_view value = Trim(std::string_view(line).substr(colon + 1));
        if (name == "SET-COOKIE")
            CookieIn = Trim(value.substr(0, value.find(';')));
        else if (name == "LOCATION")
            Location = value;
        else if (name == "CONTENT-LENGTH")
            ContentLength = LeadingNumber(value);
    }
    BytesTotal = std::max<int64_t>(0, ContentLength);
    if (!InputFileMode) Header = text;
}

std::string HTTPClient::ResolveLocation() const {
    if (Location.find("://") != std::string::npos) return Location;
    if (Location.starts_with("//")) return "http:" + Location;
    std::string base = "http://" + Host;
    // Appended, not ":" + port: GCC 12 at -O3 takes that for an overlapping copy (-Wrestrict).
    if (Port != 80) base.append(1, ':').append(std::to_string(Port));
    if (Location.starts_with("/")) return base + Location;
    // A bare name is relative to the folder of the current path.
    const std::string folder = path_.substr(0, path_.substr(0, path_.find('?')).rfind('/') + 1);
    return base + folder + Location;
}

void HTTPClient::ExecuteRequest() {
    for (int redirects = 0;; ++redirects) {
        ParseURL();
        BuildHeader();
        if (OnAboutToSend) OnAboutToSend();
        Connect();
        try {
            SendRequest();
            ReadResponseHeader();
            if (InputFileMode)
                CaptureFile(Body);
            else
                CaptureString(Body, -1);
        } catch (const std::exception&) {
            Disconnect();
            throw;
        }
        if (ReplyNumber < 300) {
            if (OnSuccess) OnSuccess(ReplyNumber);
            Report(2, "Transaction Completed");
        } else if (ReplyNumber > 399 && OnFailure) {
            OnFailure(ReplyNumber);
        }
        Disconnect();
        if (ReplyNumber == 401 && OnAuthenticationNeeded) OnAuthenticationNeeded();
        if (ReplyNumber < 300 || ReplyNumber > 398 || Location.empty()) return;
        if (!CookieIn.empty() && CookieGoesTo()) HeaderInfo.Cookie = CookieIn;
        if (OnRedirect) {
            bool handled = false;
            OnRedirect(handled);
            if (handled) return;
        }
        if (redirects >= MaxRedirects) throw ESockError("Too many redirects");
        URL = ResolveLocation();
    }
}
