#include "sessionlog/session_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "app/log_location.h"
#include "app/menu_commands.h"
#include "app/system_identity.h"
#include "platform/text_encoding.h"
#include "sessionlog/session_log.h"
#include "storage/registry_store.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

const std::string kOwn = "1A2B3C4D//c:\\windows";
const std::string kOther = "5E6F7A8B//d:\\windows";
const std::filesystem::path kFolder = PathFromAnsi("C:\\Program Files\\Uptrail");
const std::filesystem::path kLog = LogFileIn(kFolder);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
const std::string kQuestion = "\r\nAre you sure you wish to continue?";

// A session of half an hour starting `hour` hours after midnight of 5 December.
std::string Entry(int hour, const std::string& system = kOwn, int cause = 0) {
    const DateTime start = MakeDateTime(2026, 12, 5) + std::chrono::hours{hour};
    return FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::minutes{30}) +
           "=" + std::to_string(cause) + "=" + system + "\r\n";
}

// `count` sessions of the own system, one a day, the last on 4 December.
std::string Daily(int count) {
    std::string entries;
    for (int day = count; day > 0; --day) entries += Entry(-24 * day);
    return entries;
}

// A running program with its log in its own folder. The rendered menus, their marks and
// the statistics they show are checked on Windows; what the log commands do to the file
// when all goes well is checked on the real program.
class SessionMenusTest : public ::testing::Test, protected testing::FakeMainContext {
protected:
    SessionMenusTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        system.programFolder = kFolder;
        state.systemId = kOwn;
        state.bootTime = state.statsFrom = kBoot;
        state.driveTable = {{"1A2B3C4D/", "C:"}};
    }

    // The log in its folder as start-up leaves it: trimmed, read-only and system.
    void StartWith(const std::string& entries) {
        files = MemoryFileSystem();
        files.AddFolder(kFolder);
        files.AddFile(kLog, "[Log]\r\n" + entries, file_attr::kReadOnly | file_attr::kSystem);
        state.logFile = kLog;
        const TrimResult trimmed = TrimLog(files, kLog, false, kBoot, clock.now);
        state.statsFrom = trimmed.statsFrom;
        state.logCount = trimmed.logCount;
        RefreshSessionMenus(context);
    }
    std::string Get(std::string_view key) { return Setting(context.Settings(), "get", key); }
    std::vector<bool> SystemChecks() const {
        std::vector<bool> checks;
        for (const auto& item : state.systemItems) checks.push_back(item.checked);
        return checks;
    }
    std::string StoredFolder() {
        return RegRead(registry, RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                       "LogFolder");
    }
    auto Figures() const { return std::tuple(state.logFile, state.statsFrom, state.logCount); }
    MainState& state = context.state;
};

// The list follows the screen, up to fifty sessions.
TEST_F(SessionMenusTest, OffersTheFullLogOnlyWhenSomeSessionsDoNotFit) {
    for (const int entries : {0, 41, 42}) {
        StartWith(Daily(entries));
        EXPECT_EQ(state.sessionItems.size(), std::min(entries, 41)) << entries;
        EXPECT_EQ(state.mLeftFull.visible, entries > 41) << entries;
        // The own system is offered even while the log is empty.
        EXPECT_EQ(SystemChecks(), std::vector<bool>{true}) << entries;
    }
    EXPECT_EQ(SessionListLimit(2160, 19), 50u);
    // A menu height of 2 pixels or less would divide by zero or less.
    EXPECT_EQ(SessionListLimit(768, 2), 50u);
}

TEST_F(SessionMenusTest, ChosenSessionsExplainHowTheyEnded) {
    StartWith(Entry(6) + Entry(8, kOwn, 1) + Entry(10, kOwn, 2));
    for (const int index : {0, 1, 2, 3, -1})
        RunMenuCommand(context, {MenuCommandKind::kSessionItem, index});

    // Crashed (its message is checked on Windows), closed by hand, ended with Windows; the
    // rest are no items.
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[1].text,
              "You do not have accurate information about this session\r\n"
              "because Uptrail was closed manually before the system reboot.");
    EXPECT_EQ(desktop.messages[1].icon, MessageIcon::kExclamation);
}

// Entries of the own system in another letter case are still the own system's.
TEST_F(SessionMenusTest, TheSystemsMenuChoosesWhoseSessionsAreListed) {
    StartWith(Entry(8, "1A2B3C4D//C:\\WINDOWS") + Entry(10, kOther) + Entry(12, "99AA//e:\\winnt"));
    EXPECT_EQ(state.systemItems.at(0).caption, "C:\\WINDOWS");
    EXPECT_EQ(state.systemItems.at(1).tag, "99AA//e:\\winnt") << "the most recent system first";
    EXPECT_EQ(state.systemItems.at(2).caption, "- D:\\WINDOWS\t(Last Exit: 2026:12:05:10:30:00)");
    EXPECT_EQ(state.sessionItems.at(0).caption, " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m")
        << "no names while one system is listed";

    OnSystemItemClick(context, 2);
    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    EXPECT_EQ(state.sessionItems.size(), 2u);

    // Unchecking both stores an empty list, which stands for the own system alone.
    OnSystemItemClick(context, 0);
    OnSystemItemClick(context, 2);
    EXPECT_EQ(Get("SysList"), "");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, false}));

    // Under all systems every item is checked; unchecking one lists all but that one.
    OnListModeClick(context);
    EXPECT_EQ(state.sessionItems.size(), 3u);
    OnSystemItemClick(context, 1);
    EXPECT_EQ(Get("ListMode"), "0");
    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(state.sessionItems.size(), 2u);
}

// The system names in the menus show the drive the running system sees for a serial.
TEST(SystemIdentity, IsTheWindowsDrivesSerialAndFolderAndEachSerialKeepsItsFirstDrive) {
    testing::FakeSystemInfo system;
    system.windowsFolder = "C:\\WIN\xC4";  // only ASCII letters are lowered
    system.drivePaths = {"C:", "A:", "D:", "E:", "F:"};
    system.SetSerial("C:", 0xABC);
    system.SetSerial("D:", 0x5E6F7A8Bu);
    system.SetSerial("F:", 0xABC);  // another path to the volume of C:
    EXPECT_EQ(SystemIdentity(system), "ABC//c:\\win\xC4");
    // A: and E: are not ready: both read "--/", and only A: stays.
    EXPECT_EQ(BuildDriveTable(system),
              (DriveTable{{"ABC/", "C:"}, {"--/", "A:"}, {"5E6F7A8B/", "D:"}}));
}

// Cancelled, or refused by a log that cannot be written, a command changes nothing. The
// file is replaced in one step or not at all, so the user only hears that nothing happened.
TEST_F(SessionMenusTest, CancelOrALogThatCannotBeWrittenChangesNothing) {
    StartWith(Daily(70));
    const auto before = Figures();
    desktop.answerOk = false;
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest,
                            MenuCommandKind::kLogFolder}) {
        RunMenuCommand(context, {kind, 0});
        EXPECT_EQ(files.StepsTaken(), 0) << static_cast<int>(kind);
        EXPECT_EQ(registry.SetValueCalls(), 0) << static_cast<int>(kind);
    }
    EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{kFolder});

    desktop.answerOk = true;
    files.LockFile(kLog, kErrorSharingViolation);
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest}) {
        desktop.messages.clear();
        RunMenuCommand(context, {kind, 0});
        const std::string& said = desktop.messages.at(1).text;
        EXPECT_TRUE(said.starts_with("Uptrail could not change its log file.")) << said;
        EXPECT_EQ(desktop.messages.at(1).icon, MessageIcon::kStop);
        EXPECT_EQ(Figures(), before) << static_cast<int>(kind);
    }
}

// The commands are offered only when they would change something. One entry over the
// limit: the oldest goes, and the question names the first one kept.
TEST_F(SessionMenusTest, EraseOldestDataNamesTheCutOffAndMonitorFromNowStartsAtTheBoot) {
    StartWith(Daily(kEraseOldestLimit + 1));
    OnRightMenuOpening(context);
    EXPECT_TRUE(state.mRightNow.enabled);
    EXPECT_TRUE(state.mRightOldest.enabled);
    state.sessionItems.clear();
    RunMenuCommand(context, {MenuCommandKind::kEraseOldest, 0});
    EXPECT_EQ(desktop.messages.at(0).text,
              "All statistics before Oct 16, 2026 will be lost." + kQuestion);
    EXPECT_FALSE(state.sessionItems.empty()) << "the menus were rebuilt";
    EXPECT_EQ(state.logCount, kEraseOldestLimit);
    OnRightMenuOpening(context);
    EXPECT_FALSE(state.mRightOldest.enabled) << "the newest fifty are left";

    RunMenuCommand(context, {MenuCommandKind::kMonitorFromNow, 0});
    EXPECT_EQ(desktop.messages.at(1).text, "All current statistics will be lost." + kQuestion);
    EXPECT_TRUE(state.sessionItems.empty()) << "the menus were rebuilt";
    EXPECT_EQ(Figures(), std::tuple(kLog, kBoot, 0));
    OnRightMenuOpening(context);
    EXPECT_FALSE(state.mRightNow.enabled) << "statistics from the boot";
}

// A trailing backslash, a log in the chosen folder and a failed copy are met on the real
// program.
TEST_F(SessionMenusTest, LogFolderKeepsARootsBackslashAndNeedsNoOldLog) {
    StartWith(Daily(60));
    const std::string log = files.Contents(kLog);
    // "E:" alone would be the current folder of E:.
    files.AddFolder(PathFromAnsi("E:\\"));
    desktop.chosenFolder = PathFromAnsi("E:\\");
    RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});
    EXPECT_EQ(StoredFolder(), "E:\\");
    EXPECT_EQ(files.Contents(LogFileIn(PathFromAnsi("E:\\"))), log);

    // Without an old log there is nothing to take along: the next write creates the file.
    files.RemoveFile(state.logFile);
    desktop.chosenFolder = PathFromAnsi("D:\\Logs");
    RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});
    EXPECT_EQ(StoredFolder(), "D:\\Logs");
    EXPECT_EQ(state.logFile, LogFileIn(PathFromAnsi("D:\\Logs")));
}

// Where a first start keeps the log: in the program folder where it may create files
// (checked on the real program), else in the data folder for every user.
TEST_F(SessionMenusTest, WithoutRightsInTheProgramFolderTheLogGoesToTheDataFolder) {
    system.programDataFolder = PathFromAnsi("C:\\ProgramData");
    files.AddFolder(system.programDataFolder);
    files.DenyWritesIn(kFolder);
    const std::filesystem::path dataFolder = system.programDataFolder / "Tamsk" / "Uptrail";

    EXPECT_EQ(ResolveLogFolder(registry, files, system), dataFolder);

    EXPECT_TRUE(files.FolderExistsNow(dataFolder));
    EXPECT_EQ(StoredFolder(), AnsiFromPath(dataFolder));
}

}  // namespace
}  // namespace uptrail
