#include "net/HttpWire.h"

#include <array>
#include <cctype>

namespace {

constexpr std::string_view kPrefix = "HTTP/1.0\r\nConnection: Keep-Alive\r\nUser-Agent: ";

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// A plain decimal number, spaces around it allowed; -1 when it is none or too large.
std::int32_t ParseLength(std::string_view value) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    while (!value.empty() &&
           (value.back() == ' ' || value.back() == '\t' || value.back() == '\r' || value.back() == '\n'))
        value.remove_suffix(1);
    if (value.empty()) return -1;
    std::int64_t n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
        if (n > INT32_MAX) return -1;
    }
    return static_cast<std::int32_t>(n);
}

}  // namespace

std::string BuildHttpRequestText(const HttpRequestText& r) {
    const std::string_view method = r.post ? "POST" : "GET";
    std::string header;
    if (!r.headerBlock.empty()) {
        header = r.headerBlock;
    } else {
        header.append(kPrefix).append(r.agent).append("\r\nHost: ").append(r.host).append("\r\nAccept: ");
        header.append(r.post || r.proxy ? "text/plain" : "*/*");
        if (r.post) header.append("\r\nContent-length: ").append(std::to_string(r.body.size()));
        if (r.proxy) header.append("\r\nCacheControl: max-age=0");
        header.append("\r\n\r\n");
    }
    std::string text;
    text.reserve(header.size() + r.body.size() + r.path.size() + r.servicePath.size() + r.host.size() + 32);
    text.append(method).append(" ");
    if (r.proxy) text.append("http://").append(r.host).append(":80");
    text.append("/");
    if (!r.servicePath.empty()) text.append(r.servicePath).append("/");
    text.append(r.path).append(" ").append(header).append(r.body);
    return text;
}

HttpResponseHead ParseHttpResponseHead(std::string_view received) {
    using Outcome = HttpResponseHead::Outcome;
    HttpResponseHead head;
    if (received.size() < 12) return head;
    if (received.substr(0, 5) != "HTTP/" || received[6] != '.') return {Outcome::Bad};

    struct Ending {
        std::string_view terminator;
        std::string_view separator;
    };
    static constexpr std::array<Ending, 4> kEndings{{
        {"\r\n\r\n", "\r\n"},
        {"\n\n", "\n"},
        {"\r\r", "\r"},
        {"\n\r\n\r", "\n\r"},
    }};
    std::size_t end = std::string_view::npos;
    const Ending* ending = nullptr;
    for (const Ending& e : kEndings) {
        const std::size_t at = received.find(e.terminator);
        if (at < end) {
            end = at;
            ending = &e;
        }
    }
    if (ending == nullptr) return head;
    if (received[9] != '2') return {Outcome::Bad};

    // The status line, then one header line per separator up to the blank line.
    std::string_view lines = received.substr(0, end);
    std::size_t next = lines.find(ending->separator);
    while (next != std::string_view::npos) {
        lines.remove_prefix(next + ending->separator.size());
        next = lines.find(ending->separator);
        const std::string_view line = lines.substr(0, next);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        if (EqualsIgnoringCase(line.substr(0, colon), "Content-Length")) {
            const std::int32_t length = ParseLength(line.substr(colon + 1));
            if (length < 0) return {Outcome::Bad};
            head.contentLength = length;
        }
    }
    head.outcome = Outcome::Complete;
    head.bodyOffset = end + ending->terminator.size();
    return head;
}
