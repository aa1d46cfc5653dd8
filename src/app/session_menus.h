#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "app/main_context.h"
#include "base/date_time.h"
#include "base/timestamp.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/session_line.h"
#include "sessionlog/session_log.h"

namespace uptrail {

// The most sessions the left-hand menu lists on a screen of the given height, with menu
// lines of the given height: never more than 50, and room is kept for the current session,
// "Full &Log..." and their separators.
std::size_t SessionListLimit(int screenHeight, int menuHeight);

// Whether the entries come from more than one installation (compared exactly): only then
// can session lines need the system's name.
bool HoldsSeveralSystems(const LogEntries& log);

// Rebuilds the statistics, the session list and "Syste&ms to show" from the log file and
// the stored filter ("SysList", "ListMode"). While the log cannot be read the menus stay
// as they were; an empty log empties the session list but keeps the systems offered.
void RefreshSessionMenus(MainContext& context);

// The left-hand menu opens: the current session's line, running up to now.
void OnLeftMenuOpening(MainContext& context);

// A logged session was chosen (index into sessionItems): crashed sessions and sessions
// whose end is the program's close say so in a message.
void OnSessionItemClick(MainContext& context, std::size_t index);

// "Full &Log...": the log file in the system's viewer for text files.
void OnFullLogClick(MainContext& context);

// A system was chosen (index into systemItems): toggles it, stores the checked systems as
// "SysList" and rebuilds. Unchecking one while "&All Systems" is on turns that off.
void OnSystemItemClick(MainContext& context, std::size_t index);

// "&All Systems": toggles it, stores "ListMode" and rebuilds.
void OnListModeClick(MainContext& context);

// The right-hand menu opens: the log commands are offered only where they change
// something.
void OnRightMenuOpening(MainContext& context);

}  // namespace uptrail
