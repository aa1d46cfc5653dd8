// Uptrail's entry point: builds the Windows platform, runs the main window's start-up
// and then its message loop until the window closes.
#include <windows.h>

#include "alarm/alarm_commands.h"
#include "app/main_context.h"
#include "app/session_menus.h"
#include "app/startup.h"
#include "win32/platform/machine_objects.h"
#include "win32/platform/unique_handle.h"
#include "win32/platform/win32_clock.h"
#include "win32/platform/win32_event_sink.h"
#include "win32/platform/win32_file_system.h"
#include "win32/platform/win32_http_client.h"
#include "win32/platform/win32_locale.h"
#include "win32/platform/win32_machine_lock.h"
#include "win32/platform/win32_machine_sessions.h"
#include "win32/platform/win32_registry.h"
#include "win32/platform/win32_system_info.h"
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

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    using namespace uptrail;
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
    Win32TimeZone zone;
    Win32EventSink events;
    Win32MachineLock logLock(kLogLockName);
    Win32MachineSessions sessions;
    MainContext context{Platform{clock, files, registry, system, tray, window, window, desktop,
                                 locale, http, zone, events, logLock, sessions},
                        {}};

    if (RunStartup(context) == StartupOutcome::kHandedOver) return 0;
    window.Start(context);
    return window.RunMessageLoop();
}
