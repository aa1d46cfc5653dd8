#pragma once
#include "app/main_context.h"

namespace uptrail {

enum class StartupOutcome {
    kStarted,     // this copy runs: its icon is up (or will be retried) and its timers may start
    kHandedOver,  // another copy runs; it was asked to show its icon and this copy must end
};

// The main window's start-up, once per process, in its fixed order: single instance,
// system repairs, identity and log file, options, version, the session bookkeeping,
// drives, menus, alarms and the tray icon.
StartupOutcome RunStartup(MainContext& context);

}  // namespace uptrail
