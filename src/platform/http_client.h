#pragma once
#include <chrono>
#include <string>
#include <string_view>

#include "platform/os_error.h"

namespace uptrail {

struct HttpResponse {
    OsError error = kOk;  // the connection failed or timed out
    int status = 0;       // the HTTP status code when a response came
    std::string body;
};

// Fetches a document over HTTP or HTTPS with the system's own client. The whole request,
// from resolving the name to the last byte, ends within `timeout`, so a slow or silent
// server cannot hold the program.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpResponse Get(std::string_view address, std::chrono::milliseconds timeout) = 0;
};

}  // namespace uptrail
