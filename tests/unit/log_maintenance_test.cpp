#include "commands/log_maintenance.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/log_location.h"
#include "app/menu_commands.h"
#include "platform/text_encoding.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

const std::string kOwn = "1A2B3C4D//c:\\windows";
const RegistryKey kProgramKey{RegistryRoot::kLocalMachine, "SOFTWARE\\Tamsk\\Uptrail",
                              RegistryView::k64Bit};
const std::string kFolderText = "C:\\Program Files\\Uptrail";
const std::filesystem::path kFolder = PathFromAnsi(kFolderText);
const std::filesystem::path kLog = LogFileIn(kFolder);
constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
constexpr DateTime kFirstStart = MakeDateTime(2026, 1, 1, 8, 0, 0);
constexpr std::uint32_t kReadOnlySystem = file_attr::kReadOnly | file_attr::kSystem;
const std::string kQuestion = "\r\nAre you sure you wish to continue?";

// One session a day from 1 January 2026, so that every entry starts on its own date.
DateTime StartOf(int entry) { return kFirstStart + std::chrono::days{entry}; }

std::string Entries(int first, int last) {
    std::string lines;
    for (int entry = first; entry < last; ++entry) {
        lines += FormatTimestamp(StartOf(entry)) + "=" +
                 FormatTimestamp(StartOf(entry) + std::chrono::hours{2}) + "=0=" + kOwn + "\r\n";
    }
    return lines;
}

std::string LogWith(const std::string& entries) {
    return "[" + kOwn + "]\r\nAnimation=3\r\n\r\n[Log]\r\n" + entries;
}

// A running program whose log in its own folder holds `entries` sessions and was trimmed
// at start-up, as the program leaves it.
class LogMaintenanceTest : public ::testing::Test, protected testing::FakeMainContext {
protected:
    void StartWith(int entries) {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        files.AddFolder(kFolder);
        files.AddFile(kLog, LogWith(Entries(0, entries)), kReadOnlySystem);
        registry.Seed(kProgramKey, "LogFolder", {reg_type::kSz, kFolderText});
        MainState& state = context.state;
        state.logFile = kLog;
        state.systemId = kOwn;
        state.bootTime = kBoot;
        const TrimResult trimmed = TrimLog(files, kLog, false, kBoot, clock.now);
        state.statsFrom = trimmed.statsFrom;
        state.logCount = trimmed.logCount;
        RefreshSessionMenus(context);
    }

    std::string StoredFolder() const {
        const auto value = registry.Stored(kProgramKey, "LogFolder");
        return value ? value->data.substr(0, value->data.find('\0')) : "(none)";
    }
    std::string LoggedEntries() { return LoadSection(files, kLog, kLogSection).text; }
    // Whether the two log commands are offered when the right-hand menu opens now.
    std::pair<bool, bool> Offered() {
        OnRightMenuOpening(context);
        return {context.state.mRightNow.enabled, context.state.mRightOldest.enabled};
    }
    void ExpectStateAsBefore(const MainState& before) const {
        EXPECT_EQ(context.state.logFile, before.logFile);
        EXPECT_EQ(context.state.statsFrom, before.statsFrom);
        EXPECT_EQ(context.state.logCount, before.logCount);
        EXPECT_EQ(context.state.sessionItems.size(), before.sessionItems.size());
    }
    void ExpectLastMessageIsStop(std::size_t messages, const std::string& text) const {
        ASSERT_EQ(desktop.messages.size(), messages);
        EXPECT_EQ(desktop.messages.back().text, text);
        EXPECT_EQ(desktop.messages.back().title, "Uptrail");
        EXPECT_EQ(desktop.messages.back().icon, MessageIcon::kStop);
    }
};

TEST_F(LogMaintenanceTest, CancelChangesNothing) {
    StartWith(60);
    const std::string before = files.Contents(kLog);
    const MainState state = context.state;
    desktop.answerOk = false;
    desktop.chosenFolder.reset();

    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest,
                            MenuCommandKind::kLogFolder}) {
        SCOPED_TRACE(static_cast<int>(kind));
        RunMenuCommand(context, {kind, 0});

        EXPECT_EQ(files.Contents(kLog), before);
        EXPECT_EQ(files.StepsTaken(), 0);
        EXPECT_EQ(registry.SetValueCalls(), 0);
        ExpectStateAsBefore(state);
    }
}

TEST_F(LogMaintenanceTest, MonitorFromNowEmptiesTheLogAndIsThenNoLongerOffered) {
    StartWith(60);
    ASSERT_EQ(Offered(), std::make_pair(true, true));

    RunMenuCommand(context, {MenuCommandKind::kMonitorFromNow, 0});

    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "All current statistics will be lost." + kQuestion);
    EXPECT_EQ(desktop.messages[0].title, "Uptrail");
    EXPECT_EQ(files.Contents(kLog), "[" + kOwn + "]\r\nAnimation=3\r\n\r\n[Log]\r\n")
        << "the other sections stay and \"Log\" is a bare header";
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
    EXPECT_EQ(context.state.statsFrom, kBoot);
    EXPECT_EQ(context.state.logCount, 0);
    EXPECT_TRUE(context.state.sessionItems.empty()) << "the menus were rebuilt";
    EXPECT_EQ(Offered(), std::make_pair(false, false));
}

// One entry over the limit: the oldest goes, and the question names the first one kept.
TEST_F(LogMaintenanceTest, EraseOldestDataKeepsTheNewestFiftyAfterNamingTheCutOff) {
    StartWith(kEraseOldestLimit + 1);
    ASSERT_EQ(context.state.statsFrom, StartOf(1));
    ASSERT_TRUE(Offered().second);
    context.state.sessionItems.clear();

    RunMenuCommand(context, {MenuCommandKind::kEraseOldest, 0});

    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "All statistics before Jan 02, 2026 will be lost." + kQuestion);
    EXPECT_EQ(LoggedEntries() + "\r\n", Entries(1, kEraseOldestLimit + 1));
    EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
    EXPECT_EQ(context.state.statsFrom, StartOf(1));
    EXPECT_EQ(context.state.logCount, kEraseOldestLimit);
    EXPECT_EQ(context.state.sessionItems.size(),
              SessionListLimit(desktop.screenHeight, desktop.menuHeight))
        << "the menus were rebuilt";
    EXPECT_EQ(Offered(), std::make_pair(true, false));
}

TEST_F(LogMaintenanceTest, ALogThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    const std::string report = "Uptrail could not change its log file.\r\n" + AnsiFromPath(kLog) +
                               "\r\nIt may be open in another program or write-protected. "
                               "The log was left as it was.";
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest}) {
        for (const bool locked : {true, false}) {
            SCOPED_TRACE(locked ? "locked" : "write refused");
            files = MemoryFileSystem();
            desktop.messages.clear();
            StartWith(70);
            const std::string before = files.Contents(kLog);
            const MainState state = context.state;
            if (locked) files.LockFile(kLog, kErrorSharingViolation);
            if (!locked) files.InjectFault(1, MemoryFileSystem::Fault::kFail);

            RunMenuCommand(context, {kind, 0});

            ExpectLastMessageIsStop(2, report);
            EXPECT_EQ(files.Contents(kLog), before);
            EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
            EXPECT_EQ(files.FileCount(), 1u) << "no temporary file is left";
            ExpectStateAsBefore(state);
        }
    }
}

TEST_F(LogMaintenanceTest, LogFolderSwitchesToTheChosenFolderTakingTheLogAlong) {
    struct Case {
        const char* name;
        std::string chosen;       // as the folder chooser gives it
        std::string logThere;     // an Uptrail.txt already in the chosen folder ("" none)
        bool writesDenied;        // the chosen folder takes no new files
        bool oldLogMissing;
        std::string folderAfter;  // the stored folder and that of the log in use
        bool copied, registryTouched;
    };
    const std::filesystem::path kLogs = PathFromAnsi("D:\\Logs");
    const std::string otherLog = "[Log]\r\n" + Entries(0, 1);
    const std::string ownLog = LogWith(Entries(0, 60));
    const Case cases[] = {
        {"a new folder", "D:\\Logs", "", false, false, "D:\\Logs", true, true},
        {"a trailing backslash", "D:\\Logs\\", "", false, false, "D:\\Logs", true, true},
        {"a folder that holds a log", "D:\\Logs", otherLog, false, false, "D:\\Logs", false, true},
        {"the folder in use, with a trailing backslash", kFolderText + "\\", "", false, false,
         kFolderText, false, false},
        // On Windows the same file: found there, so taken over rather than copied.
        {"the folder in use in other letter case", "C:\\PROGRAM FILES\\Uptrail", ownLog, false,
         false, "C:\\PROGRAM FILES\\Uptrail", false, true},
        {"a drive root keeps its backslash", "E:\\", "", false, false, "E:\\", true, true},
        {"a folder without rights", "D:\\Logs", "", true, false, kFolderText, false, true},
        {"no old log to take along", "D:\\Logs", "", false, true, "D:\\Logs", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files = MemoryFileSystem();
        registry = testing::MemoryRegistry();
        desktop.messages.clear();
        desktop.chooserStarts.clear();
        StartWith(60);
        const std::filesystem::path chosen = PathFromAnsi(c.chosen);
        const std::filesystem::path newLog = LogFileIn(PathFromAnsi(c.folderAfter));
        files.AddFolder(PathFromAnsi(c.folderAfter));
        files.AddFolder(kLogs);
        if (!c.logThere.empty()) files.AddFile(newLog, c.logThere);
        if (c.writesDenied) files.DenyWritesIn(kLogs);
        if (c.oldLogMissing) files.RemoveFile(kLog);
        const int stepsBefore = files.StepsTaken();
        desktop.chosenFolder = chosen;

        RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});

        EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{kFolder});
        EXPECT_EQ(StoredFolder(), c.folderAfter);
        EXPECT_EQ(registry.SetValueCalls() > 0, c.registryTouched);
        EXPECT_EQ(context.state.logFile, c.folderAfter == kFolderText ? kLog : newLog);
        if (!c.oldLogMissing) {
            EXPECT_EQ(files.Contents(kLog), ownLog) << "the old log stays";
        }
        if (c.copied) {
            EXPECT_EQ(files.Contents(newLog), ownLog);
            EXPECT_EQ(files.Attributes(newLog), kReadOnlySystem);
        } else if (!c.writesDenied) {
            EXPECT_EQ(files.StepsTaken(), stepsBefore) << "nothing was copied";
        }
        if (!c.logThere.empty()) {
            EXPECT_EQ(files.Contents(newLog), c.logThere) << "a log found there is kept";
        }
        if (!c.writesDenied) {
            EXPECT_TRUE(desktop.messages.empty());
            continue;
        }
        EXPECT_FALSE(files.Exists(LogFileIn(chosen)));
        ExpectLastMessageIsStop(1, "Uptrail could not copy its log to\r\n" + c.chosen +
                                       "\r\nThe log stays in its old folder.");
    }
}

TEST_F(LogMaintenanceTest, LogFolderStartsAtTheProgramFolderWhenNoneIsStored) {
    StartWith(1);
    registry = testing::MemoryRegistry();
    system.programFolder = PathFromAnsi("C:\\Tools\\Uptrail");
    desktop.chosenFolder.reset();

    RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});

    EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{system.programFolder});
}

TEST(CopyLogFile, ReplacesAnyTargetAndCreatesItsFolder) {
    const std::filesystem::path source = PathFromAnsi("C:\\Uptrail\\Uptrail.txt");
    const std::filesystem::path target = PathFromAnsi("D:\\Shared") / "Logs" / "Uptrail.txt";
    const struct {
        const char* name;
        bool sourceThere, protectedTargetThere, targetFolderThere;
    } cases[] = {
        {"into a missing folder", true, false, false},
        {"over a read-only system file", true, true, true},
        {"without a source", false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.AddFolder(source.parent_path());
        files.AddFolder(PathFromAnsi("D:\\Shared"));
        if (c.sourceThere) files.AddFile(source, "log", kReadOnlySystem | file_attr::kHidden);
        if (c.targetFolderThere) files.AddFolder(target.parent_path());
        if (c.protectedTargetThere) files.AddFile(target, "old", kReadOnlySystem);

        EXPECT_EQ(CopyLogFile(files, source, target), c.sourceThere);

        if (!c.sourceThere) continue;
        EXPECT_EQ(files.Contents(target), "log");
        EXPECT_EQ(files.Attributes(target), kReadOnlySystem | file_attr::kHidden);
    }
}

}  // namespace
}  // namespace uptrail
