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
const RegistryKey kProgramKey{RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                              RegistryView::k64Bit};
const std::string kFolderText = "C:\\Program Files\\Uptrail";
const std::filesystem::path kFolder = PathFromAnsi(kFolderText);
const std::filesystem::path kLog = LogFileIn(kFolder);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;
const std::string kQuestion = "\r\nAre you sure you wish to continue?";

// A session of half an hour starting `hour` hours after midnight of 5 December.
std::string Entry(int hour, const std::string& system, int cause = 0) {
    const DateTime start = MakeDateTime(2026, 12, 5, hour);
    return FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::minutes{30}) +
           "=" + std::to_string(cause) + "=" + system + "\r\n";
}

// `count` sessions of the own system, one a day from 1 January 2026, in its log.
std::string LogWith(int count) {
    std::string log = "[" + kOwn + "]\r\nAnimation=3\r\n\r\n[Log]\r\n";
    for (int entry = 0; entry < count; ++entry) {
        const DateTime start = MakeDateTime(2026, 1, 1, 8, 0, 0) + std::chrono::days{entry};
        log += FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::hours{2}) +
               "=0=" + kOwn + "\r\n";
    }
    return log;
}

// A running program with its log in its own folder. The rendered menus, their marks and
// the statistics they show are checked on Windows; what the log commands do to the file
// when all goes well is checked on the real program.
class SessionMenusTest : public ::testing::Test, protected testing::FakeMainContext {
protected:
    SessionMenusTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        files.AddFolder(kFolder);
        state.logFile = kLog;
        state.systemId = kOwn;
        state.bootTime = state.statsFrom = kBoot;
        state.driveTable = {{"1A2B3C4D/", "C:"}};
    }

    void Show(const std::string& entries, const std::string& ownSettings = "") {
        files.AddFile(kLog, "[" + kOwn + "]\r\n" + ownSettings + "\r\n[Log]\r\n" + entries);
        RefreshSessionMenus(context);
    }
    // The log in its folder as start-up leaves it: trimmed, read-only and system.
    void StartWith(int entries) {
        registry = testing::MemoryRegistry();
        registry.Seed(kProgramKey, "LogFolder", {reg_type::kSz, kFolderText});
        files = MemoryFileSystem();
        files.AddFolder(kFolder);
        files.AddFile(kLog, LogWith(entries), kReadOnlySystem);
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
        return RegRead(registry, RegistryRoot::kLocalMachine, kProgramKey.path, "LogFolder");
    }
    auto Figures() const { return std::tuple(state.logFile, state.statsFrom, state.logCount); }
    MainState& state = context.state;
};

using LogCommandsTest = SessionMenusTest;

// A menu height of 2 pixels or less would divide by zero or less.
TEST(SessionMenuLimit, FollowsTheScreenUpToFifty) {
    EXPECT_EQ(SessionListLimit(768, 19), 41u);
    EXPECT_EQ(SessionListLimit(2160, 19), 50u);
    EXPECT_EQ(SessionListLimit(40, 19), 0u);
    EXPECT_EQ(SessionListLimit(768, 2), 50u);
    EXPECT_EQ(SessionListLimit(768, 0), 50u);
}

TEST_F(SessionMenusTest, OffersTheFullLogOnlyWhenSomeSessionsDoNotFit) {
    for (const int entries : {0, 41, 42}) {
        StartWith(entries);
        EXPECT_EQ(state.sessionItems.size(), std::min(entries, 41)) << entries;
        EXPECT_EQ(state.mLeftFull.visible, entries > 41) << entries;
        // The own system is offered even while the log is empty.
        EXPECT_EQ(SystemChecks(), std::vector<bool>{true}) << entries;
        EXPECT_EQ(state.statisticsDisabled, entries > 0) << entries;
    }
}

TEST_F(SessionMenusTest, ChosenSessionsExplainHowTheyEnded) {
    Show(Entry(6, kOwn, 0) + Entry(8, kOwn, 1) + Entry(10, kOwn, 2));
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
TEST_F(SessionMenusTest, CheckingAnotherSystemListsItsSessionsWithNamesUncheckingAllTheOwn) {
    Show(Entry(8, "1A2B3C4D//C:\\WINDOWS") + Entry(10, kOther));
    ASSERT_EQ(state.systemItems.size(), 2u);
    EXPECT_EQ(state.systemItems[0].caption, "C:\\WINDOWS");
    EXPECT_EQ(state.systemItems[1].caption, "- D:\\WINDOWS\t(Last Exit: 2026:12:05:10:30:00)");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false}));
    EXPECT_EQ(state.sessionItems.at(0).caption, " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m")
        << "no names while one system is listed";

    OnSystemItemClick(context, 1);

    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    ASSERT_EQ(state.sessionItems.size(), 2u);
    EXPECT_EQ(state.sessionItems[0].caption,
              " [Dec 05, 10:00 - Dec 05, 10:30]\t=  00d 00h 30m  ....  - D:\\WINDOWS");
    EXPECT_EQ(state.sessionItems[1].caption,
              " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m  ....  C:\\WINDOWS");

    // Unchecking both stores an empty list, which stands for the own system alone.
    OnSystemItemClick(context, 0);
    OnSystemItemClick(context, 1);
    EXPECT_EQ(Get("SysList"), "");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false}));
}

TEST_F(SessionMenusTest, UncheckingASystemUnderAllSystemsKeepsTheOthers) {
    state.mListMode.checked = true;
    Show(Entry(8, kOwn) + Entry(10, kOther) + Entry(12, "99AA//e:\\winnt"), "ListMode=1\r\n");
    ASSERT_EQ(state.systemItems[1].tag, "99AA//e:\\winnt");  // the most recent system first

    OnSystemItemClick(context, 1);

    EXPECT_FALSE(state.mListMode.checked);
    EXPECT_EQ(Get("ListMode"), "0");
    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(state.sessionItems.size(), 2u);
}

TEST_F(SessionMenusTest, TheLogCommandsAreOfferedOnlyWhenTheyWouldChangeSomething) {
    state.logCount = kEraseOldestLimit;
    OnRightMenuOpening(context);
    EXPECT_FALSE(state.mRightNow.enabled) << "statistics from the boot";
    EXPECT_FALSE(state.mRightOldest.enabled);
    state.statsFrom = kBoot - std::chrono::hours{1};
    state.logCount = kEraseOldestLimit + 1;
    OnRightMenuOpening(context);
    EXPECT_TRUE(state.mRightNow.enabled);
    EXPECT_TRUE(state.mRightOldest.enabled);
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
TEST_F(LogCommandsTest, CancelOrALogThatCannotBeWrittenChangesNothing) {
    StartWith(70);
    const auto before = Figures();
    desktop.answerOk = false;
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest,
                            MenuCommandKind::kLogFolder}) {
        RunMenuCommand(context, {kind, 0});
        EXPECT_EQ(files.StepsTaken(), 0) << static_cast<int>(kind);
        EXPECT_EQ(registry.SetValueCalls(), 0) << static_cast<int>(kind);
        EXPECT_EQ(Figures(), before) << static_cast<int>(kind);
    }
    EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{kFolder});

    desktop.answerOk = true;
    files.LockFile(kLog, kErrorSharingViolation);
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest}) {
        desktop.messages.clear();
        RunMenuCommand(context, {kind, 0});
        ASSERT_EQ(desktop.messages.size(), 2u);
        EXPECT_TRUE(desktop.messages[1].text.starts_with("Uptrail could not change its log file."));
        EXPECT_EQ(desktop.messages[1].icon, MessageIcon::kStop);
        EXPECT_EQ(Figures(), before) << static_cast<int>(kind);
    }
    EXPECT_EQ(files.Contents(kLog), LogWith(70));
}

TEST_F(LogCommandsTest, MonitorFromNowAsksAndStartsTheStatisticsAtTheBoot) {
    StartWith(60);
    RunMenuCommand(context, {MenuCommandKind::kMonitorFromNow, 0});
    EXPECT_EQ(desktop.messages.at(0).text, "All current statistics will be lost." + kQuestion);
    EXPECT_TRUE(state.sessionItems.empty()) << "the menus were rebuilt";
    EXPECT_EQ(Figures(), std::tuple(kLog, kBoot, 0));
}

// One entry over the limit: the oldest goes, and the question names the first one kept.
TEST_F(LogCommandsTest, EraseOldestDataNamesTheCutOffAndKeepsTheNewestFifty) {
    StartWith(kEraseOldestLimit + 1);
    state.sessionItems.clear();
    RunMenuCommand(context, {MenuCommandKind::kEraseOldest, 0});
    EXPECT_EQ(desktop.messages.at(0).text,
              "All statistics before Jan 02, 2026 will be lost." + kQuestion);
    EXPECT_FALSE(state.sessionItems.empty()) << "the menus were rebuilt";
    EXPECT_EQ(state.logCount, kEraseOldestLimit);
}

TEST_F(LogCommandsTest, LogFolderSwitchesToTheChosenFolderTakingTheLogAlong) {
    const struct {
        std::string chosen;       // as the folder chooser gives it
        std::string folderAfter;  // the stored folder and that of the log in use
        bool logThere;            // the chosen folder holds this very log already
        bool oldLogMissing;
    } cases[] = {
        {"D:\\Logs\\", "D:\\Logs", false, false},
        {"E:\\", "E:\\", false, false},  // "E:" alone would be the current folder of E:
        // On Windows the same file: found there, so taken over rather than copied.
        {"C:\\PROGRAM FILES\\Uptrail", "C:\\PROGRAM FILES\\Uptrail", true, false},
        {"D:\\Logs", "D:\\Logs", false, true},  // no old log to take along
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chosen + (c.oldLogMissing ? " without an old log" : ""));
        StartWith(60);
        const std::filesystem::path newLog = LogFileIn(PathFromAnsi(c.folderAfter));
        files.AddFolder(PathFromAnsi(c.folderAfter));
        if (c.logThere) files.AddFile(newLog, LogWith(60));
        if (c.oldLogMissing) files.RemoveFile(kLog);
        const int stepsBefore = files.StepsTaken();
        desktop.chosenFolder = PathFromAnsi(c.chosen);

        RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});

        EXPECT_EQ(StoredFolder(), c.folderAfter);
        EXPECT_EQ(state.logFile, newLog);
        if (c.logThere || c.oldLogMissing) {
            EXPECT_EQ(files.StepsTaken(), stepsBefore) << "nothing was copied";
        } else {
            EXPECT_EQ(files.Contents(newLog), LogWith(60));
        }
    }
}

// Where a first start keeps the log: in the program folder where it may create files
// (checked on the real program), else in the data folder for every user.
TEST_F(LogCommandsTest, WithoutRightsInTheProgramFolderTheLogGoesToTheDataFolder) {
    system.programFolder = kFolder;
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
