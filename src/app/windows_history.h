#pragma once
#include <span>

#include "app/main_context.h"
#include "platform/shutdown_records.h"

namespace uptrail {

// On an installation's first start (no import noted in its section), starts reading
// Windows' own records of the PC's past.
void StartPastImport(MainContext& context);

// Adds the sessions that the System log's records tell of to the log, before the log's own
// and never over one, and notes in the installation's section how many, all in one
// replace. Where the log could not be read (no records) nothing changes, and the next
// start tries again.
void OnSystemLogRead(MainContext& context, std::span<const ShutdownRecord> records);

}  // namespace uptrail
