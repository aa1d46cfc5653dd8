#include "app/commands/log_maintenance.h"

#include <string>
#include <string_view>

#include "app/event_log.h"
#include "app/log_change.h"
#include "app/session_menus.h"
#include "base/settings_key.h"
#include "base/text_encoding.h"
#include "base/timestamp.h"
#include "base/version_info.h"
#include "sessionlog/log_entries.h"
#include "sessionlog/log_location.h"
#include "sessionlog/session_log.h"
#include "storage/file_checks.h"
#include "storage/registry_store.h"
#include "storage/text_lines.h"

namespace uptrail {
namespace {

constexpr std::string_view kContinueQuestion = "Are you sure you wish to continue?";
constexpr std::chrono::milliseconds kLogFolderLockWait{5000};

// The destructive commands ask first; only OK goes on.
bool ConfirmLoss(MainContext& context, std::string consequence) {
    consequence.append(kCrLf).append(kContinueQuestion);
    return context.platform.desktop.AskOkCancel(consequence, kVersion.title);
}

void ShowStop(MainContext& context, const std::string& text) {
    context.platform.desktop.ShowMessage(text, kVersion.title, MessageIcon::kStop);
}

// The section store replaces the file in one step or not at all, so after its error the
// log is known to be untouched and the user only needs to hear that nothing happened.
void ReportUnchangedLog(MainContext& context) {
    std::string text(kVersion.title);
    text.append(" could not change its log file.").append(kCrLf);
    text.append(AnsiFromPath(context.state.session.logFile)).append(kCrLf);
    text.append(
        "It may be open in another program or write-protected. The log was left as it was.");
    ShowStop(context, text);
}

void ReportFailedCopy(MainContext& context, std::string_view folder) {
    std::string text(kVersion.title);
    text.append(" could not copy its log to").append(kCrLf).append(folder).append(kCrLf);
    text.append("The log stays in its old folder.");
    ShowStop(context, text);
}

// The sessions the log holds now; the count of the last trim misses the one logged since.
std::int64_t LoggedSessions(const SettingsStore& settings, DateTime now) {
    const LogFileText file = ReadLogFile(settings.files, settings.logFile);
    return static_cast<std::int64_t>(ReadLogEntries(file.text, now).entries.size());
}

}  // namespace

void OnRightNowClick(MainContext& context) {
    if (!ConfirmLoss(context, "All current statistics will be lost.")) return;
    MainState& state = context.state;
    const DateTime now = context.platform.clock.Now();
    const DateTime bootTime = state.session.bootTime;
    std::int64_t logged = 0;
    OsError error = kOk;
    // Counted and cleared in one change, so that a session another copy logs meanwhile
    // is neither counted without being cleared nor cleared without being counted.
    const bool written = ChangeLogOnce(context, [&](const SettingsStore& settings) {
        logged = LoggedSessions(settings, now);
        // Sleep and reasons of the running session stay: it is logged later, and they with it.
        error = ClearLogBefore(settings.files, settings.logFile, bootTime, now);
    });
    if (!written || error != kOk) {
        ReportUnchangedLog(context);
        return;
    }
    ReportHistoryCleared(context, "Monitor from Now", bootTime, logged);
    state.session.statsFrom = bootTime;
    state.session.logCount = 0;
    RefreshSessionMenus(context);
}

void OnRightOldestClick(MainContext& context) {
    MainState& state = context.state;
    Platform& platform = context.platform;
    // StatsFrom is the start of the oldest entry the trim keeps, so the question names
    // exactly the cut-off.
    if (!ConfirmLoss(context,
                     "All statistics before " +
                         FormatMonthDayYear(state.session.statsFrom, platform.locale.Months()) +
                         " will be lost."))
        return;
    const DateTime now = platform.clock.Now();
    const DateTime bootTime = state.session.bootTime;
    std::int64_t logged = 0;
    TrimResult trimmed;
    const bool written = ChangeLogOnce(context, [&](const SettingsStore& settings) {
        logged = LoggedSessions(settings, now);
        trimmed = TrimLog(settings.files, settings.logFile, true, bootTime, now);
    });
    if (!written || trimmed.error != kOk) {
        ReportUnchangedLog(context);
        return;
    }
    ReportHistoryCleared(context, "Erase Oldest Data", trimmed.statsFrom,
                         logged - trimmed.logCount);
    state.session.statsFrom = trimmed.statsFrom;
    state.session.logCount = trimmed.logCount;
    RefreshSessionMenus(context);
}

void OnRightFolderClick(MainContext& context) {
    Platform& platform = context.platform;
    // Every account's copy writes the machine's log: moving it for one account alone
    // would split the history in two.
    if (LogFolderIsMachinesOnly(platform.registry)) {
        ShowStop(context, std::string("The log folder is set for every account of this PC. "
                                      "Only an administrator can move the log.") +
                              std::string(kCrLf) + AnsiFromPath(context.state.session.logFile));
        return;
    }
    std::filesystem::path currentFolder = StoredLogFolder(platform.registry);
    if (currentFolder.empty()) currentFolder = platform.system.ProgramFolder();

    const auto chosen = platform.desktop.ChooseFolder(currentFolder);
    if (!chosen) return;
    const std::filesystem::path newFolder = WithoutTrailingSeparator(*chosen);
    // Exact names: a folder that differs only in letter case counts as another one. It
    // then names the same file on Windows, which is taken over below without a copy.
    if (newFolder.native() == currentFolder.native()) return;

    // Should even the fallback under the current user be refused, the log still moves for
    // this run; the next start then simply opens the old log again.
    static_cast<void>(StoreLogFolder(platform.registry, newFolder));
    const std::filesystem::path newLog = LogFileIn(newFolder);
    FileSystem& files = platform.files;
    // A log already there (another installation's, or an earlier one of this) is taken
    // over as it is. Without an old log there is nothing to take along: the next write
    // creates the file in the new folder.
    // Under the lock, so that no copy changes the old log after it was copied.
    const LockHold hold(platform.logLock, kLogFolderLockWait);
    const bool copyNeeded =
        !FileExists(files, newLog) && FileExists(files, context.state.session.logFile);
    if (copyNeeded && !CopyLogFile(files, context.state.session.logFile, newLog)) {
        // Left pointing at the new folder, the next start would open an empty log there.
        static_cast<void>(StoreLogFolder(platform.registry, currentFolder));
        ReportFailedCopy(context, AnsiFromPath(newFolder));
        return;
    }
    context.state.session.logFile = newLog;
}

bool CopyLogFile(FileSystem& files, const std::filesystem::path& source,
                 const std::filesystem::path& target) {
    if (!FileExists(files, source)) return false;
    // The errors of these steps need no check of their own: a target that stays in the
    // way, or a folder that is not there, makes the copy itself fail.
    if (FileExists(files, target)) {
        // A read-only or system file (as every log is) cannot be deleted as it is.
        static_cast<void>(files.SetAttributes(target, file_attr::kNormal));
        static_cast<void>(files.RemoveFile(target));
    }
    const std::filesystem::path folder = target.parent_path();
    if (!FolderExists(files, folder)) static_cast<void>(CreateFolderPath(files, folder));
    return files.CopyWholeFile(source, target) == kOk && FileExists(files, target);
}

}  // namespace uptrail
