#include "sessionlog/session_menus.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sessionlog/statistics.h"
#include "sessionlog/system_filter.h"
#include "storage/settings_store.h"
#include "support/fake_main_context.h"

namespace uptrail {
namespace {

using testing::MemoryFileSystem;

const std::string kOwn = "1A2B3C4D//c:\\windows";
const std::string kOther = "5E6F7A8B//d:\\windows";
const std::string kThird = "99AA//e:\\winnt";
const std::filesystem::path kLogFolder = "logs";
const std::filesystem::path kLog = kLogFolder / "Uptrail.txt";
constexpr DateTime kBoot = MakeDateTime(2026, 12, 6, 8, 0, 0);
constexpr std::chrono::hours kHour{1};

// A session of half an hour starting `hour` hours after midnight of 5 December.
std::string Entry(int hour, const std::string& system, int cause = 0) {
    const DateTime start = MakeDateTime(2026, 12, 5, hour);
    return FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::minutes{30}) +
           "=" + std::to_string(cause) + "=" + system + "\r\n";
}

std::string Entries(int count) {
    std::string lines;
    for (int hour = 0; hour < count; ++hour) lines += Entry(hour, kOwn);
    return lines;
}

class SessionMenusTest : public ::testing::Test, protected testing::FakeMainContext {
protected:
    SessionMenusTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        files.AddFolder(kLogFolder);
        MainState& state = context.state;
        state.logFile = kLog;
        state.systemId = kOwn;
        state.bootTime = state.statsFrom = kBoot;
        state.driveTable = {{"1A2B3C4D/", "C:"}};
    }

    void WriteLog(const std::string& lines, const std::string& ownSettings = "") {
        files.AddFile(kLog, "[" + kOwn + "]\r\n" + ownSettings + "\r\n[Log]\r\n" + lines);
    }
    std::string Get(std::string_view key) { return Setting(context.Settings(), "get", key); }
    std::vector<std::string> SessionCaptions() const {
        std::vector<std::string> captions;
        for (const auto& item : context.state.sessionItems) captions.push_back(item.caption);
        return captions;
    }
    std::vector<bool> SystemChecks() const {
        std::vector<bool> checks;
        for (const auto& item : context.state.systemItems) checks.push_back(item.checked);
        return checks;
    }
};

TEST(SessionMenuLimit, FollowsTheScreenUpToFifty) {
    struct Case {
        int screenHeight, menuHeight;
        std::size_t limit;
    };
    const Case cases[] = {{768, 19, 41}, {1080, 22, 50}, {2160, 19, 50},
                          {40, 19, 0},   {768, 2, 50},   {768, 0, 50}};
    for (const Case& c : cases)
        EXPECT_EQ(SessionListLimit(c.screenHeight, c.menuHeight), c.limit)
            << c.screenHeight << "/" << c.menuHeight;
}

TEST_F(SessionMenusTest, ListsNewestFirstAndOffersTheFullLogOnlyWhenSomeDoNotFit) {
    struct Case {
        int entries;
        std::size_t listed;
        bool fullLog;
    };
    for (const Case c : {Case{0, 0, false}, Case{41, 41, false}, Case{42, 41, true}}) {
        WriteLog(Entries(c.entries));
        RefreshSessionMenus(context);
        EXPECT_EQ(context.state.sessionItems.size(), c.listed) << c.entries;
        EXPECT_EQ(context.state.mLeftFull.visible, c.fullLog) << c.entries;
        EXPECT_EQ(context.state.mLeftSeparator.visible, c.fullLog) << c.entries;
        // The own system is offered even while the log is empty.
        EXPECT_EQ(SystemChecks(), std::vector<bool>{true}) << c.entries;
        EXPECT_EQ(context.state.statisticsDisabled, c.entries > 0) << c.entries;
    }
    EXPECT_EQ(context.state.sessionItems.front().caption.substr(0, 9), " [Dec 06,");
}

TEST_F(SessionMenusTest, ASingleSystemShowsNoNamesAndNoSeparator) {
    WriteLog(Entry(8, kOwn, 2) + Entry(10, kOwn));
    RefreshSessionMenus(context);
    const MainState& state = context.state;
    EXPECT_EQ(SessionCaptions(), (std::vector<std::string>{
                                     " [Dec 05, 10:00 - Dec 05, 10:30]\t=  00d 00h 30m",
                                     " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m"}));
    EXPECT_EQ(state.sessionItems[1].tag, "2");
    EXPECT_EQ(state.currentSessionTag, "");
    ASSERT_EQ(state.systemItems.size(), 1u);
    EXPECT_EQ(state.systemItems[0].caption, "C:\\WINDOWS");
    EXPECT_FALSE(state.systemSeparatorVisible);
    EXPECT_EQ(state.statistics[kCrashedSessions], "Crashed Sessions:\t50%");
}

TEST_F(SessionMenusTest, CheckingAnotherSystemListsItsSessionsWithNamesUncheckingAllTheOwn) {
    WriteLog(Entry(8, kOwn) + Entry(10, kOther));
    RefreshSessionMenus(context);
    EXPECT_EQ(SessionCaptions(), (std::vector<std::string>{
                                     " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m"}));
    ASSERT_EQ(context.state.systemItems.size(), 2u);
    EXPECT_EQ(context.state.systemItems[1].caption,
              "- D:\\WINDOWS\t(Last Exit: 2026:12:05:10:30:00)");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false}));
    EXPECT_TRUE(context.state.systemSeparatorVisible);

    OnSystemItemClick(context, 1);

    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    EXPECT_EQ(SessionCaptions(),
              (std::vector<std::string>{
                  " [Dec 05, 10:00 - Dec 05, 10:30]\t=  00d 00h 30m  ....  - D:\\WINDOWS",
                  " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m  ....  C:\\WINDOWS"}));
    EXPECT_EQ(context.state.currentSessionTag, kOwn);

    // Unchecking both stores an empty list, which stands for the own system alone.
    OnSystemItemClick(context, 0);
    OnSystemItemClick(context, 1);
    EXPECT_EQ(Get("SysList"), "");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false}));
    EXPECT_EQ(context.state.sessionItems.size(), 1u);
}

TEST_F(SessionMenusTest, UncheckingASystemUnderAllSystemsKeepsTheOthers) {
    WriteLog(Entry(8, kOwn) + Entry(10, kOther) + Entry(12, kThird), "ListMode=1\r\n");
    context.state.mListMode.checked = true;
    RefreshSessionMenus(context);
    EXPECT_EQ(context.state.sessionItems.size(), 3u);
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, true, true}));
    ASSERT_EQ(context.state.systemItems[1].tag, kThird);  // the most recent system first

    OnSystemItemClick(context, 1);

    EXPECT_FALSE(context.state.mListMode.checked);
    EXPECT_EQ(Get("ListMode"), "0");
    EXPECT_EQ(Get("SysList"), kOwn + "|" + kOther);
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(context.state.sessionItems.size(), 2u);
}

TEST_F(SessionMenusTest, TheOwnSystemIsNeverOfferedWithAnExitOrTwice) {
    // Entries of the own system in another letter case are still the own system's.
    WriteLog(Entry(8, "1A2B3C4D//C:\\WINDOWS") + Entry(10, kOther));
    RefreshSessionMenus(context);
    ASSERT_EQ(context.state.systemItems.size(), 2u);
    EXPECT_EQ(context.state.systemItems[0].caption, "C:\\WINDOWS");
    EXPECT_EQ(context.state.systemItems[1].tag, kOther);
    EXPECT_EQ(SessionCaptions().size(), 1u);
}

TEST_F(SessionMenusTest, ALogThatCannotBeReadLeavesTheMenusAsTheyWere) {
    WriteLog(Entry(8, kOwn));
    RefreshSessionMenus(context);
    const MainState before = context.state;
    files.LockFile(kLog, kErrorSharingViolation);
    RefreshSessionMenus(context);
    EXPECT_EQ(SessionCaptions().size(), before.sessionItems.size());
    EXPECT_EQ(context.state.statistics, before.statistics);
}

TEST_F(SessionMenusTest, ChosenSessionsExplainHowTheyEnded) {
    WriteLog(Entry(6, kOwn, 0) + Entry(8, kOwn, 1) + Entry(10, kOwn, 2));
    RefreshSessionMenus(context);
    for (std::size_t index = 0; index < 4; ++index) OnSessionItemClick(context, index);

    // Newest first: crashed, closed by hand, ended with Windows; the fourth is no item.
    ASSERT_EQ(desktop.messages.size(), 2u);
    EXPECT_EQ(desktop.messages[0].text, "This session was crashed.");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::kStop);
    EXPECT_EQ(desktop.messages[1].text,
              "You do not have accurate information about this session\r\n"
              "because Uptrail was closed manually before the system reboot.");
    EXPECT_EQ(desktop.messages[1].icon, MessageIcon::kExclamation);
    for (const auto& message : desktop.messages) EXPECT_EQ(message.title, "Uptrail Info");
}

TEST(SessionMenuSystemName, UsesTheDriveTheRunningSystemSees) {
    const DriveTable drives{{"5E6F7A8B/", "E:"}, {"--/", "F:"}};
    struct Case {
        const char* identity;
        const char* name;
    };
    const Case cases[] = {
        {"5E6F7A8B//d:\\windows", "E:\\WINDOWS"}, {"5e6f7a8b//d:\\windows", "E:\\WINDOWS"},
        {"1A2B3C4D//c:\\windows", "- C:\\WINDOWS"}, {"--//c:\\winnt", "F:\\WINNT"},
        {"5E6F7A8B//c", "E:"}, {"5E6F7A8B/c:\\windows", ""}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSystemName(c.identity, drives), c.name) << c.identity;
    EXPECT_EQ(FormatSystemName("5E6F7A8B//d:\\windows", {}), "- D:\\WINDOWS");
}

TEST_F(SessionMenusTest, MenusOpeningShowTheRunningSessionAndTheUsefulCommands) {
    WriteLog("", "LastStart=2026:12:06:08:00:00\r\n");
    OnLeftMenuOpening(context);
    EXPECT_EQ(context.state.currentSessionCaption,
              " [Dec 06, 08:00 - Dec 06, 09:30]\t=  00d 01h 30m");

    struct Case {
        DateTime statsFrom;
        int logCount;
        bool now, oldest;
    };
    for (const Case c : {Case{kBoot, 50, false, false}, Case{kBoot - kHour, 51, true, true}}) {
        context.state.statsFrom = c.statsFrom;
        context.state.logCount = c.logCount;
        OnRightMenuOpening(context);
        EXPECT_EQ(context.state.mRightNow.enabled, c.now) << c.logCount;
        EXPECT_EQ(context.state.mRightOldest.enabled, c.oldest) << c.logCount;
    }

    OnFullLogClick(context);
    EXPECT_EQ(desktop.openedFiles, std::vector<std::filesystem::path>{kLog});
}

}  // namespace
}  // namespace uptrail
