#include "commands/log_maintenance.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/log_location.h"
#include "app/menu_commands.h"
#include "platform/text_encoding.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "sessionlog/timestamp.h"
#include "storage/section_file.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"

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
class LogMaintenanceTest : public ::testing::Test {
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

    testing::FakeClock clock;
    MemoryFileSystem files;
    testing::MemoryRegistry registry;
    testing::FakeSystemInfo system;
    testing::FakeTrayIcon tray;
    testing::FakeMainWindow window;
    testing::FakeDesktop desktop;
    testing::FakeLocale locale;
    testing::FakeHttpClient http;
    MainContext context{{clock, files, registry, system, tray, window, desktop, locale, http}, {}};
};

TEST_F(LogMaintenanceTest, CancelChangesNothing) {
    const std::pair<const char*, MenuCommandKind> commands[] = {
        {"monitor from now", MenuCommandKind::kMonitorFromNow},
        {"erase oldest data", MenuCommandKind::kEraseOldest},
        {"log folder", MenuCommandKind::kLogFolder},
    };
    StartWith(60);
    const std::string before = files.Contents(kLog);
    const MainState state = context.state;
    desktop.answerOk = false;
    desktop.chosenFolder.reset();

    for (const auto& [name, kind] : commands) {
        SCOPED_TRACE(name);
        RunMenuCommand(context, {kind, 0});

        EXPECT_EQ(files.Contents(kLog), before);
        EXPECT_EQ(files.StepsTaken(), 0);
        EXPECT_EQ(registry.SetValueCalls(), 0);
        EXPECT_EQ(context.state.logFile, state.logFile);
        EXPECT_EQ(context.state.statsFrom, state.statsFrom);
        EXPECT_EQ(context.state.logCount, state.logCount);
        EXPECT_EQ(context.state.sessionItems.size(), state.sessionItems.size());
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

TEST_F(LogMaintenanceTest, EraseOldestDataKeepsTheNewestFiftyAfterNamingTheCutOff) {
    struct Case {
        int entries;
        const char* cutOff;  // the start of the oldest entry kept
    };
    for (const Case& c : {Case{51, "Jan 02, 2026"}, Case{120, "Mar 12, 2026"}}) {
        SCOPED_TRACE(c.entries);
        files = MemoryFileSystem();
        desktop.messages.clear();
        StartWith(c.entries);
        const int firstKept = c.entries - kEraseOldestLimit;
        ASSERT_EQ(context.state.statsFrom, StartOf(firstKept));
        ASSERT_TRUE(Offered().second);
        context.state.sessionItems.clear();

        RunMenuCommand(context, {MenuCommandKind::kEraseOldest, 0});

        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text,
                  std::string("All statistics before ") + c.cutOff + " will be lost." + kQuestion);
        EXPECT_EQ(LoggedEntries() + "\r\n", Entries(firstKept, c.entries));
        EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
        EXPECT_EQ(context.state.statsFrom, StartOf(firstKept));
        EXPECT_EQ(context.state.logCount, kEraseOldestLimit);
        EXPECT_EQ(context.state.sessionItems.size(),
                  SessionListLimit(desktop.screenHeight, desktop.menuHeight))
            << "the menus were rebuilt";
        EXPECT_EQ(Offered(), std::make_pair(true, false));
    }
}

TEST_F(LogMaintenanceTest, ALogThatCannotBeWrittenIsReportedAndLeftAsItWas) {
    struct Case {
        const char* name;
        std::function<void(MemoryFileSystem&)> fault;
    };
    const Case faults[] = {
        {"locked", [](MemoryFileSystem& f) { f.LockFile(kLog, kErrorSharingViolation); }},
        {"write refused", [](MemoryFileSystem& f) { f.InjectFault(1, MemoryFileSystem::Fault::kFail); }},
    };
    const std::string report = "Uptrail could not change its log file.\r\n" + AnsiFromPath(kLog) +
                               "\r\nIt may be open in another program or write-protected. "
                               "The log was left as it was.";
    for (const MenuCommandKind kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest}) {
        for (const Case& c : faults) {
            SCOPED_TRACE(c.name);
            files = MemoryFileSystem();
            desktop.messages.clear();
            StartWith(70);
            const std::string before = files.Contents(kLog);
            const MainState state = context.state;
            c.fault(files);

            RunMenuCommand(context, {kind, 0});

            ASSERT_EQ(desktop.messages.size(), 2u);
            EXPECT_EQ(desktop.messages[1].text, report);
            EXPECT_EQ(desktop.messages[1].title, "Uptrail");
            EXPECT_EQ(desktop.messages[1].icon, MessageIcon::kStop);
            EXPECT_EQ(files.Contents(kLog), before);
            EXPECT_EQ(files.Attributes(kLog), kReadOnlySystem);
            EXPECT_EQ(files.FileCount(), 1u) << "no temporary file is left";
            EXPECT_EQ(context.state.statsFrom, state.statsFrom);
            EXPECT_EQ(context.state.logCount, state.logCount);
            EXPECT_EQ(context.state.sessionItems.size(), state.sessionItems.size());
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
        // What follows.
        std::string storedFolder;
        std::string logFolder;    // the folder of the log file in use
        bool copied;
        bool registryTouched;
    };
    const std::filesystem::path kLogs = PathFromAnsi("D:\\Logs");
    const std::string otherLog = "[Log]\r\n" + Entries(0, 1);
    const std::string ownLog = LogWith(Entries(0, 60));
    const Case cases[] = {
        {"a new folder", "D:\\Logs", "", false, false, "D:\\Logs", "D:\\Logs", true, true},
        {"a folder with a trailing backslash", "D:\\Logs\\", "", false, false, "D:\\Logs",
         "D:\\Logs", true, true},
        {"a folder that holds a log", "D:\\Logs", otherLog, false, false, "D:\\Logs",
         "D:\\Logs", false, true},
        {"the folder in use, with a trailing backslash", kFolderText + "\\", "", false, false,
         kFolderText, kFolderText, false, false},
        // On Windows the same file: found there, so taken over rather than copied.
        {"the folder in use in other letter case", "C:\\PROGRAM FILES\\Uptrail", ownLog,
         false, false, "C:\\PROGRAM FILES\\Uptrail", "C:\\PROGRAM FILES\\Uptrail", false, true},
        {"a drive root keeps its backslash", "E:\\", "", false, false, "E:\\", "E:\\", true, true},
        {"a folder without rights", "D:\\Logs", "", true, false, kFolderText, kFolderText,
         false, true},
        {"no old log to take along", "D:\\Logs", "", false, true, "D:\\Logs", "D:\\Logs",
         false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        files = MemoryFileSystem();
        registry = testing::MemoryRegistry();
        desktop.messages.clear();
        desktop.chooserStarts.clear();
        StartWith(60);
        const std::filesystem::path chosen = PathFromAnsi(c.chosen);
        const std::filesystem::path newLog = LogFileIn(PathFromAnsi(c.logFolder));
        files.AddFolder(PathFromAnsi(c.logFolder));
        files.AddFolder(kLogs);
        if (!c.logThere.empty()) files.AddFile(newLog, c.logThere);
        if (c.writesDenied) files.DenyWritesIn(kLogs);
        if (c.oldLogMissing) files.RemoveFile(kLog);
        const int stepsBefore = files.StepsTaken();
        desktop.chosenFolder = chosen;

        RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});

        EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{kFolder});
        EXPECT_EQ(StoredFolder(), c.storedFolder);
        EXPECT_EQ(registry.SetValueCalls() > 0, c.registryTouched);
        EXPECT_EQ(context.state.logFile, c.logFolder == kFolderText ? kLog : newLog);
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
        ASSERT_EQ(desktop.messages.size(), 1u);
        EXPECT_EQ(desktop.messages[0].text,
                  "Uptrail could not copy its log to\r\n" + c.chosen +
                      "\r\nThe log stays in its old folder.");
        EXPECT_EQ(desktop.messages[0].title, "Uptrail");
        EXPECT_EQ(desktop.messages[0].icon, MessageIcon::kStop);
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
    struct Case {
        const char* name;
        bool sourceThere;
        bool protectedTargetThere;
        bool targetFolderThere;
        bool copied;
    };
    const Case cases[] = {
        {"into a missing folder", true, false, false, true},
        {"over a read-only system file", true, true, true, true},
        {"without a source", false, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.AddFolder(source.parent_path());
        files.AddFolder(PathFromAnsi("D:\\Shared"));
        if (c.sourceThere) files.AddFile(source, "log", kReadOnlySystem | file_attr::kHidden);
        if (c.targetFolderThere) files.AddFolder(target.parent_path());
        if (c.protectedTargetThere) files.AddFile(target, "old", kReadOnlySystem);

        EXPECT_EQ(CopyLogFile(files, source, target), c.copied);

        if (!c.copied) continue;
        EXPECT_EQ(files.Contents(target), "log");
        EXPECT_EQ(files.Attributes(target), kReadOnlySystem | file_attr::kHidden);
    }
}

}  // namespace
}  // namespace uptrail
