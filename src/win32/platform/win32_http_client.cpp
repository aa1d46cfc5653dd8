#include "win32/platform/win32_http_client.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

#include "win32/platform/unique_handle.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// Here rather than beside the other owners: winhttp.h clashes with wininet.h, so only the
// files that need it include it.
using UniqueInternetHandle = UniqueHandle<HINTERNET, WinHttpCloseHandle>;

// No update description comes near this; a larger answer is not one.
constexpr std::size_t kMaximumBody = 64 * 1024;

[[nodiscard]] HttpResponse Failure() {
    return HttpResponse{static_cast<OsError>(GetLastError()), 0, {}};
}

// The moment by which the whole request has to be done. WinHTTP bounds each wait on its
// own, so a server that sends a byte just before every timeout could otherwise hold the
// request for as long as it liked; each wait gets only the time that is left.
class Deadline {
public:
    explicit Deadline(std::chrono::milliseconds timeout)
        : end_(GetTickCount64() +
               static_cast<ULONGLONG>(std::max<std::int64_t>(timeout.count(), 0))) {}

    // Bounds the next waits of `request` to the time that is left.
    [[nodiscard]] OsError Limit(HINTERNET request) const {
        const ULONGLONG now = GetTickCount64();
        if (now >= end_) return ERROR_WINHTTP_TIMEOUT;
        const int left = static_cast<int>(std::min<ULONGLONG>(end_ - now, INT_MAX));
        // Waiting for the response headers has a bound of its own, 90 seconds unless set.
        DWORD headersTimeout = static_cast<DWORD>(left);
        if (!WinHttpSetTimeouts(request, left, left, left, left) ||
            !WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &headersTimeout,
                              sizeof headersTimeout))
            return GetLastError();
        return kOk;
    }

private:
    ULONGLONG end_;
};

[[nodiscard]] OsError ReadBody(HINTERNET request, const Deadline& deadline, std::string& body) {
    for (;;) {
        if (const OsError limited = deadline.Limit(request); limited != kOk) return limited;
        DWORD available = 0;
        if (!WinHttpQueryDataAvailable(request, &available)) return GetLastError();
        if (available == 0) return kOk;
        if (body.size() + available > kMaximumBody) return ERROR_INSUFFICIENT_BUFFER;
        const std::size_t start = body.size();
        body.resize(start + available);
        DWORD read = 0;
        if (!WinHttpReadData(request, body.data() + start, available, &read)) return GetLastError();
        body.resize(start + read);
    }
}

// Waits for the server for up to `timeout`, so only a worker may call it.
// The proxy the user set, or the one their proxy auto-config script names, as Windows 8.1
// and later find it; an older Windows refuses that access type, and then only the
// machine's WinHTTP proxy setting is followed.
UniqueInternetHandle OpenSession() {
    for (const DWORD access :
         {DWORD{WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY}, DWORD{WINHTTP_ACCESS_TYPE_DEFAULT_PROXY}}) {
        UniqueInternetHandle session(
            WinHttpOpen(L"Uptrail", access, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
        if (session) return session;
    }
    return UniqueInternetHandle();
}

[[nodiscard]] HttpResponse HttpGet(std::string_view address, std::chrono::milliseconds timeout) {
    const std::wstring url = WideFromAnsi(address);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(url.c_str(), 0, 0, &parts)) return Failure();
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                              std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const Deadline deadline(timeout);
    const UniqueInternetHandle session = OpenSession();
    if (!session) return Failure();
    const UniqueInternetHandle connection(
        WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) return Failure();
    const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
    const UniqueInternetHandle request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(),
                                                          nullptr, WINHTTP_NO_REFERER,
                                                          WINHTTP_DEFAULT_ACCEPT_TYPES, secure));
    if (!request) return Failure();
    // Sending covers resolving the name and connecting: both wait within the first limit.
    if (const OsError limited = deadline.Limit(request.get()); limited != kOk)
        return HttpResponse{limited, 0, {}};
    if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0,
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0))
        return Failure();
    if (const OsError limited = deadline.Limit(request.get()); limited != kOk)
        return HttpResponse{limited, 0, {}};
    if (!WinHttpReceiveResponse(request.get(), nullptr)) return Failure();

    HttpResponse response;
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    response.status = static_cast<int>(status);
    response.error = ReadBody(request.get(), deadline, response.body);
    return response;
}

}  // namespace

bool Win32HttpClient::StartGet(std::string_view address, std::chrono::milliseconds timeout) {
    auto request = [window = window_, address = std::string(address), timeout] {
        auto response = std::make_unique<HttpResponse>(HttpGet(address, timeout));
        // Once posted, the response belongs to the window; a window that is gone (the
        // program is ending) leaves it to be freed here.
        if (PostMessageW(window, kHttpResponseMessage, 0, reinterpret_cast<LPARAM>(response.get())))
            response.release();
    };
    try {
        std::thread(std::move(request)).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

}  // namespace uptrail
