#pragma once
#include "platform/http_client.h"

namespace uptrail {

// HTTP and HTTPS through WinHTTP, the system's own client (proxy settings, certificates).
class Win32HttpClient final : public HttpClient {
public:
    HttpResponse Get(std::string_view address, std::chrono::milliseconds timeout) override;
};

}  // namespace uptrail
