#pragma once

#include "web/socket_client.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Values that go into every request header when not empty.
struct HeaderInfo {
    std::string LocalMailAddress; // sent as User-Agent
    std::string LocalProgram;     // sent as From
    std::string Cookie;
    std::string Referer;
    std::string UserId;
    std::string Password;
};

// Header lines "name: value", looked up by name without regard to case.
class ExStringList {
  public:
    std::vector<std::string> Lines;
    int IndexOfHeader(std::string_view name) const;
    // A non-empty value replaces the line or is appended; an empty value removes the line.
    void SetValue(std::string_view name, std::string_view value);
    // The lines, each ended with CR LF.
    std::string Text() const;
};

// Base64 and uuencode in lines of 45 input bytes, each line ended with CR LF.
class UUProcessor {
  public:
    enum { Base64 = 0, UUEncode = 1 };
    int Method = Base64;
    std::function<void()> OnBeginEncode, OnEndEncode;
    std::string Encode(std::string_view input) const;
};

// "+" becomes a blank and "%hh" a byte; a "%" without two hex digits is an error.
class URLCoder {
  public:
    static std::string Decode(std::string_view text);
};

// Percent-encodes everything but the unreserved characters, for query values.
std::string URLEncode(std::string_view text);

// One HTTP/1.0 request per call over a fresh connection, following redirects.
class HTTPClient : public SocketClient {
  public:
    HTTPClient();

    // In InputFileMode the names of the files that receive the reply body and header; otherwise the
    // body and header text themselves after a call.
    std::string Body = "Default.htm";
    std::string Header = "Head.txt";
    ::HeaderInfo HeaderInfo;
    bool InputFileMode = false;
    // The data of Post, Put and the like names a file to send rather than being the bytes.
    bool OutputFileMode = false;
    std::string Proxy;
    int ProxyPort = 0;
    int MaxRedirects = 10;
    // Where the cookie may be sent and taken from; every host when not set.
    std::function<bool(const std::string& host, int port)> CookieAllowed;

    std::function<void()> OnAboutToSend, OnAuthenticationNeeded;
    std::function<void(int code)> OnSuccess, OnFailure;
    std::function<void(bool& handled)> OnRedirect;

    std::string URL;
    // Of the last reply: the status line, Set-Cookie value, Location and Content-Length (-1 when absent).
    std::string StatusLine, CookieIn, Location;
    int64_t ContentLength = -1;
    ExStringList RequestHeader;

    void Get(const std::string& url);
    void Options(const std::string& url);
    void Head(const std::string& url);
    void Post(const std::string& url, const std::string& data);
    void Put(const std::string& url, const std::string& data);
    void Patch(const std::string& url, const std::string& data);
    void Copy(const std::string& url, const std::string& target);
    void Move(const std::string& url, const std::string& target);
    void Delete(const std::string& url);
    void Link(const std::string& url, const std::string& link);
    void Unlink(const std::string& url, const std::string& link);
    void Trace(const std::string& url, const std::string& data);
    // Sends data as it stands, with no request line.
    void Raw(const std::string& url, const std::string& data);

    void ExecuteRequest();
    void ParseURL();
    void BuildHeader();
    void SendRequest();
    void ReadResponseHeader();

  protected:
    std::string ConnectHost() const override { return Proxy.empty() ? Host : Proxy; }
    int ConnectPort() const override { return Proxy.empty() ? Port : ProxyPort; }

  private:
    enum Method {
        kGet,
        kOptions,
        kHead,
        kPost,
        kPut,
        kPatch,
        kCopy,
        kMove,
        kDelete,
        kLink,
        kUnlink,
        kTrace,
        kRaw
    };
    void Run(Method method, const std::string& url, const std::string& data, const std::string& target);
    bool SendsData() const;
    bool CookieGoesTo() const;
    std::string ResolveLocation() const;
    void AddHeaderLine(const std::string& line, std::string& text, std::ostream* file);

    Method method_ = kGet;
    std::string path_, data_, target_;
};
