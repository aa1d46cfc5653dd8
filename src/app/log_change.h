#pragma once
#include <functional>
#include <string>

#include "app/main_context.h"

namespace uptrail {

// Runs `apply` as one change of the log through the context's writer: under the
// machine-wide lock, on the running installation's settings as the file stands, written
// in one replace. `written` follows once the change is in the file, which may be later,
// at a heartbeat, when the file was held by another handle for too long. True when
// written now.
bool ChangeLog(MainContext& context, std::string kind,
               std::function<void(const SettingsStore& settings)> apply,
               std::function<void()> written = {}, WriteHaste haste = WriteHaste::kNormal);

// The same for a command whose failure the user is told of: not kept for later.
bool ChangeLogOnce(MainContext& context, std::function<void(const SettingsStore& settings)> apply);

}  // namespace uptrail
