#pragma once

// The HTTP/1.0 wire format of the request queue, as pure functions: the request
// text it writes and the response head it reads.

#include <cstdint>
#include <string>
#include <string_view>

struct HttpRequestText {
    bool post = false;
    std::string_view path;         // without its leading '/'
    std::string_view headerBlock;  // used as the whole header part when not empty
    std::string_view body;
    std::string_view agent;
    std::string_view host;         // without a port
    std::string_view servicePath;  // empty for none
    bool proxy = false;            // absolute URL (always port 80) and no caching
};

// The request line, the header part and the body, at any length.
std::string BuildHttpRequestText(const HttpRequestText& request);

struct HttpResponseHead {
    enum class Outcome { Incomplete, Bad, Complete };
    Outcome outcome = Outcome::Incomplete;
    std::size_t bodyOffset = 0;       // where the body starts, when complete
    std::int32_t contentLength = -1;  // -1 when the head names none
};

// Reads a response head from the start of the bytes received so far. Bad: not
// "HTTP/x.y", a status other than 2xx, or a Content-Length that is no plain
// decimal number below 2^31. Incomplete until the blank line has come.
HttpResponseHead ParseHttpResponseHead(std::string_view received);
