#pragma once
#include <filesystem>

#include "app/main_context.h"

namespace uptrail {

// "Session &Chart...": writes the session chart of the systems the menus show to
// `ChartFile` and opens it with the user's browser. Where the page cannot be written, a
// message says so, and the log is not touched either way.
void OnSessionChartClick(MainContext& context);

// "%TEMP%\Uptrail Chart.html", replaced in one step by each click.
std::filesystem::path ChartFile(const SystemInfo& system);

}  // namespace uptrail
