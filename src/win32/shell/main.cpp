// Uptrail's entry point: builds the Windows platform, runs the main window's start-up
// and then its message loop until the window closes.
#include <windows.h>
#include <objbase.h>

#include <string>
#include <string_view>

#include "alarm/alarm_commands.h"
#include "app/commands/start_with_windows.h"
#include "app/main_context.h"
#include "app/session_menus.h"
#include "app/startup.h"
#include "win32/platform/machine_objects.h"
#include "win32/platform/unique_handle.h"
#include "win32/platform/wide_text.h"
#include "win32/platform/win32_clock.h"
#include "win32/platform/win32_event_sink.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_http_client.h"
#include "win32/platform/win32_locale.h"
#include "win32/platform/win32_machine_lock.h"
#include "win32/platform/win32_machine_sessions.h"
#include "win32/platform/win32_registry.h"
#include "win32/platform/win32_system_info.h"
#include "win32/platform/win32_system_log.h"
#include "win32/platform/win32_time_zone.h"
#include "win32/shell/main_window.h"
#include "win32/shell/win32_desktop.h"
#include "win32/shell/win32_tray_icon.h"

namespace {

// Loaded unshared, at the small icon size, so the tray owns it and destroys it at the end.
uptrail::UniqueIcon LoadTrayIcon(HINSTANCE instance) {
    return uptrail::UniqueIcon(static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                   GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR)));
}

// COM in a single-threaded apartment on the user-interface thread for the whole run: the
// shell's ShellExecute and the folder chooser ask for it, and the hooks they load (copy
// handlers, cloud drives) may rely on it.
class ComApartment {
public:
    ComApartment()
        : initialised_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~ComApartment() {
        if (initialised_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

// Whether the command line is `programSwitch` alone, in any case, blanks around it.
bool IsOnlySwitch(const wchar_t* commandLine, std::string_view programSwitch) {
    std::wstring_view text = commandLine ? commandLine : L"";
    while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
    const std::wstring wanted = uptrail::WideFromAnsi(programSwitch);
    return CompareStringOrdinal(text.data(), static_cast<int>(text.size()), wanted.c_str(),
                                static_cast<int>(wanted.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    using namespace uptrail;
    // The copy the user started with administrator rights to turn Start with Windows off:
    // it changes that one value and touches nothing else, no log, no window, no icon.
    if (IsOnlySwitch(commandLine, kStartWithWindowsOffSwitch)) {
        Win32Registry machineRegistry;
        return RunStartWithWindowsOffSwitch(machineRegistry);
    }
    const ComApartment com;
    MainWindow window(instance);
    if (!window.Create()) return 1;

    Win32Clock clock;
    Win32FileSystem files;
    Win32Registry registry;
    Win32SystemInfo system;
    Win32TrayIcon tray(window.Handle(), LoadTrayIcon(instance));
    Win32Desktop desktop(instance);
    Win32Locale locale;
    Win32HttpClient http(window.Handle());
    Win32SystemLogReader systemLog(window.Handle());
    Win32TimeZone zone;
    Win32EventSink events;
    Win32MachineLock logLock(kLogLockName);
    Win32MachineSessions sessions;
    MainContext context{Platform{clock, files, registry, system, tray, window, window, desktop,
                                 locale, http, zone, events, logLock, sessions, systemLog},
                        {}};

    if (RunStartup(context) == StartupOutcome::kHandedOver) return 0;
    window.Start(context);
    return window.RunMessageLoop();
}
