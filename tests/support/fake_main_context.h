#pragma once
#include "app/main_context.h"
#include "support/fake_machine.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

namespace uptrail::testing {

// The doubles each copy of the program has to itself, on a machine of its own or shared.
struct OwnDoubles {
    FakeSystemInfo system;
    FakeTrayIcon tray;
    FakeMainWindow window;
    FakeDesktop desktop;
    FakeLocale locale;
    FakeHttpClient http;
    FixedTimeZone zone;
    FakeEventSink events;
    FakeSystemLog systemLog;
};

// A main window's logic on doubles of every platform part, for tests that need them all.
struct FakeMainContext : OwnDoubles {
    FakeClock clock;
    MemoryFileSystem files;
    MemoryRegistry registry;
    MemoryMachineLock logLock;
    FakeMachineSessions sessions;
    MainContext context{{clock, files, registry, system, tray, window, window, desktop, locale,
                         http, zone, events, logLock, sessions, systemLog},
                        {}};
};

}  // namespace uptrail::testing
