#pragma once
#include <filesystem>

#include "app/main_context.h"
#include "platform/file_system.h"

namespace uptrail {

// Click handlers of the log items of the right-hand menu.
void OnRightNowClick(MainContext& context);     // "Monitor from &Now...": empties the log
void OnRightOldestClick(MainContext& context);  // "Erase Oldest &Data...": keeps the newest 50
void OnRightFolderClick(MainContext& context);  // "&Log Folder...": moves the log elsewhere

// Copies the log file `source` to `target`, replacing a file there whatever its
// attributes and creating the target's folder when missing; the copy keeps the source's
// attributes (read-only and system). True when the copy was made and `target` exists.
bool CopyLogFile(FileSystem& files, const std::filesystem::path& source,
                 const std::filesystem::path& target);

}  // namespace uptrail
