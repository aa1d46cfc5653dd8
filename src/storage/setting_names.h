#pragma once
#include <string_view>

namespace uptrail {

// Where a setting is kept.
enum class SettingPlace {
    kOwnSection,     // the running installation's own section of the log file
    kCommonSection,  // section "Common" of the log file, shared by every installation
    kProgramKey,     // the program's key under HKEY_LOCAL_MACHINE
};

struct SettingName {
    std::string_view key;
    SettingPlace place;
};

// Every setting the program stores, by the name it is stored under. Other installations
// of the PC read these names from the same files, so they never change.
namespace setting {

// The running installation's own section.
inline constexpr SettingName kLastStart{"LastStart", SettingPlace::kOwnSection};
inline constexpr SettingName kLastClose{"LastClose", SettingPlace::kOwnSection};
inline constexpr SettingName kLastCause{"LastCause", SettingPlace::kOwnSection};
inline constexpr SettingName kRestart{"Restart", SettingPlace::kOwnSection};
// How many sessions of Windows' own records the first start added before the log's own;
// there once that import ran.
inline constexpr SettingName kImportedSessions{"ImportedSessions", SettingPlace::kOwnSection};
// When the PC went to sleep; empty while it is awake.
inline constexpr SettingName kSleepStart{"SleepStart", SettingPlace::kOwnSection};
inline constexpr SettingName kSysList{"SysList", SettingPlace::kOwnSection};
inline constexpr SettingName kListMode{"ListMode", SettingPlace::kOwnSection};
inline constexpr SettingName kHiddenIcon{"HiddenIcon", SettingPlace::kOwnSection};
inline constexpr SettingName kAnimation{"Animation", SettingPlace::kOwnSection};
// The folder the installation last started from, as the program key's default value
// holds it for the account that could write it: a first start is the installation's,
// whichever account makes it.
inline constexpr SettingName kInstalledFolder{"ProgramFolder", SettingPlace::kOwnSection};

// Section "Common": the installation that ran last, and the heartbeat.
inline constexpr SettingName kLastWin{"LastWin", SettingPlace::kCommonSection};
inline constexpr SettingName kCommonHeartbeat{"CurStroke", SettingPlace::kCommonSection};

// The program's key. The heartbeat is kept here too, for a log file that cannot be written.
inline constexpr SettingName kKeyHeartbeat{"CurStroke", SettingPlace::kProgramKey};
inline constexpr SettingName kCurrentVersion{"CurrentVersion", SettingPlace::kProgramKey};
// When set, replaces the update description's address: an administrator's way to point the
// check at a mirror or a test server. The offered download stays on the site.
inline constexpr SettingName kUpdateAddress{"UpdateAddress", SettingPlace::kProgramKey};
// The key's default value: the folder the program last started from.
inline constexpr SettingName kProgramFolder{"", SettingPlace::kProgramKey};
// Whether each logged session is copied to the Windows event log: 0 off, 1 (or unset) on.
inline constexpr SettingName kEventLog{"EventLog", SettingPlace::kProgramKey};
// A folder path, read and written as wide text (see RegReadPath).
inline constexpr SettingName kLogFolder{"LogFolder", SettingPlace::kProgramKey};

}  // namespace setting

// The log file's section names beside the installations' own.
inline constexpr std::string_view kCommonSection = "Common";

}  // namespace uptrail
