#pragma once
#include <chrono>
#include <string>
#include <string_view>

#include "base/os_error.h"

namespace uptrail {

struct HttpResponse {
    OsError error = kOk;  // the connection failed or timed out
    int status = 0;       // the HTTP status code when a response came
    std::string body;
};

// Fetches a document over HTTP or HTTPS with the system's own client, away from the
// user-interface thread: a slow or silent server must hold up neither the clock, the
// heartbeat nor the close when Windows ends the session. The whole request, from
// resolving the name to the last byte, ends within `timeout`.
//
// The update check is the program's only request, so its response comes back as that
// check's event: the shell hands it to OnUpdateCheckFinished on the user-interface thread.
class HttpClient {
public:
    virtual ~HttpClient() = default;
    // False when the request could not be started; then no response will come.
    [[nodiscard]] virtual bool StartGet(std::string_view address,
                                        std::chrono::milliseconds timeout) = 0;
};

}  // namespace uptrail
