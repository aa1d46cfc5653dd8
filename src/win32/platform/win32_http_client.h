#pragma once
#include <windows.h>

#include "platform/http_client.h"

namespace uptrail {

// Posted to the window a Win32HttpClient answers to, when a request has ended. lParam is
// an HttpResponse made with new, which the window then owns.
inline constexpr UINT kHttpResponseMessage = WM_APP + 2;

// HTTP and HTTPS through WinHTTP, the system's own client (proxy settings, certificates).
// Each request runs on a thread of its own that shares nothing with the program: it gets
// copies of the address and the bound, owns its WinHTTP handles, and hands its response
// over only by posting it to `window`. Nothing waits for that thread, so the program can
// end while a request still runs.
class Win32HttpClient final : public HttpClient {
public:
    explicit Win32HttpClient(HWND window) : window_(window) {}

    bool StartGet(std::string_view address, std::chrono::milliseconds timeout) override;

private:
    HWND window_;
};

}  // namespace uptrail
