// The session menus, the log commands and the web commands of a running program.
#include "app/session_menus.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "app/commands/session_chart.h"
#include "app/commands/update_check.h"
#include "app/commands/web_commands.h"
#include "app/menu_commands.h"
#include "app/menu_tree.h"
#include "base/version_text.h"
#include "sessionlog/log_location.h"
#include "sessionlog/session_log.h"
#include "sessionlog/system_filter.h"
#include "sessionlog/system_identity.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using ::testing::HasSubstr;
using namespace uptrail::testing;

const std::filesystem::path kFolder = PathFromAnsi(kFolderText);
const std::filesystem::path kLog = LogFileIn(kFolder);

// A session of half an hour starting `hour` hours after midnight of 5 December.
std::string Entry(int hour, const std::string& system = kSystem, int cause = 0) {
    const DateTime start = MakeDateTime(2026, 12, 5) + std::chrono::hours{hour};
    return FormatTimestamp(start) + "=" + FormatTimestamp(start + std::chrono::minutes{30}) + "=" +
           std::to_string(cause) + "=" + system + "\r\n";
}

// `count` sessions of the own system, one a day, the last on 4 December.
std::string Daily(int count) {
    std::string entries;
    for (int day = count; day > 0; --day) entries += Entry(-24 * day);
    return entries;
}

// Erase Oldest Data's trims to the newest 50 are checked on the real program.
TEST(TrimLog, KeepsTheNewestEntriesAndCountsStatisticsFromTheFiftiethNewest) {
    const std::string common = "[Common]\r\nLastWin=A\r\n";
    const struct {
        int entries;
        bool eraseOldest;
        std::string junk;  // lines ahead of the entries that are no entries
        int dropped;
    } cases[] = {{50, true, "", 0},
                 {60, false, "junk\r\n2020:01:01:00:00:00=two fields\r\n\x01\xff=\x80\r\n", 0},
                 {kStartupLogLimit + 1, false, "", 1}};
    for (const auto& c : cases) {
        Machine m;
        const std::filesystem::path& log = m.state.session.logFile;
        m.files.AddFile(log, common + "[Log]\r\n" + c.junk + Daily(c.entries), file_attr::kArchive);
        const TrimResult result = TrimLog(m.files, log, c.eraseOldest, kBoot, m.clock.now);
        EXPECT_EQ(result.logCount, c.entries - c.dropped) << c.entries;
        EXPECT_EQ(result.statsFrom, MakeDateTime(2026, 10, 16)) << c.entries;
        // The bytes two section saves would leave, in one replace: the emptied section
        // leaves a blank line where its block stood.
        const bool rewritten = c.dropped > 0 || !c.junk.empty();
        const std::string expected =
            common + (rewritten ? "\r\n" : "") + "[Log]\r\n" + Daily(c.entries - c.dropped);
        EXPECT_TRUE(m.files.Contents(log) == expected) << c.entries;
        EXPECT_EQ(m.files.Attributes(log), rewritten ? kLogFileAttributes : file_attr::kArchive);
    }

    // A file read but not rewritten still counts as it stands, so Erase Oldest Data stays on
    // offer. A log that cannot be read is met by the tests of the log commands.
    Machine m;
    m.files.AddFile(m.state.session.logFile, "[Log]\r\n" + Daily(120));
    m.files.InjectFault(1, MemoryFileSystem::Fault::kFail);
    const TrimResult result = TrimLog(m.files, m.state.session.logFile, true, kBoot, m.clock.now);
    EXPECT_EQ(result.error, kErrorWriteFault);
    EXPECT_EQ(m.files.Contents(m.state.session.logFile), "[Log]\r\n" + Daily(120));
    EXPECT_EQ(result.logCount, 120);
}

// A running program with its log in its own folder. The rendered menus, their marks and
// the statistics they show are checked on Windows; what the log commands do to the file
// when all goes well is checked on the real program.
class SessionMenusTest : public ::testing::Test, protected Machine {
protected:
    // The log in its folder as start-up leaves it: trimmed, read-only and system.
    void StartWith(const std::string& entries) {
        files.AddFile(kLog, "[Log]\r\n" + entries, file_attr::kReadOnly | file_attr::kSystem);
        const TrimResult trimmed = TrimLog(files, kLog, false, kBoot, clock.now);
        state.session.statsFrom = trimmed.statsFrom;
        state.session.logCount = trimmed.logCount;
        RefreshSessionMenus(context);
    }
    std::vector<bool> SystemChecks() const {
        std::vector<bool> checks;
        for (const auto& item : state.menus.systemItems) checks.push_back(item.checked);
        return checks;
    }
    std::string StoredFolder() {
        return RegRead(registry, RegistryRoot::kLocalMachine, kProgramKey, "LogFolder");
    }
    auto Figures() const {
        return std::tuple(state.session.logFile, state.session.statsFrom, state.session.logCount);
    }
};

// The list follows the screen, up to fifty sessions.
TEST_F(SessionMenusTest, OffersTheFullLogOnlyWhenSomeSessionsDoNotFit) {
    for (const int entries : {0, 41, 42}) {
        StartWith(Daily(entries));
        EXPECT_EQ(state.menus.sessionItems.size(), std::min(entries, 41)) << entries;
        EXPECT_EQ(state.menus.mLeftFull.visible, entries > 41) << entries;
        // The own system is offered even while the log is empty.
        EXPECT_EQ(SystemChecks(), std::vector<bool>{true}) << entries;
        EXPECT_FALSE(state.menus.systemSeparatorVisible) << "no others to set it apart from";
    }
    OnListModeClick(context);
    EXPECT_THAT(state.menus.sessionItems.at(0).caption, ::testing::EndsWith("00d 00h 30m"))
        << "all systems listed, and the log holds one: no names";
    // A menu height of 2 pixels or less would divide by zero or less; at most fifty.
    EXPECT_EQ(SessionListLimit(768, 2), 50u);
}

// The chart goes to the temporary folder, replacing the last one, with the menu's
// statistics; the page and its opening are checked on the real program. Where it cannot be
// written a message says so.
TEST_F(SessionMenusTest, SessionChartShowsTheMenusStatisticsOrSaysItCannotBeWritten) {
    StartWith(Daily(3));
    files.AddFolder("temp");
    files.AddFile("temp/Uptrail Chart.html", "an older chart");
    RunMenuCommand(context, {MenuCommandKind::kSessionChart, 0});
    EXPECT_THAT(files.Contents("temp/Uptrail Chart.html"), HasSubstr("<th>Crashed Sessions:</th>"));
    EXPECT_THAT(files.Contents("temp/Uptrail Chart.html"), HasSubstr(">2026-12-02</text>"))
        << "the day of the oldest session listed";
    EXPECT_TRUE(desktop.messages.empty());

    files.DenyWritesIn("temp");
    RunMenuCommand(context, {MenuCommandKind::kSessionChart, 0});
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text,
              "Cannot write the session chart to\r\n" + AnsiFromPath(ChartFile(system)));
    EXPECT_EQ(desktop.openedFiles.size(), 1u) << "only the written one opened";
}

// Entries of the own system in another letter case are still the own system's.
TEST_F(SessionMenusTest, TheSystemsMenuChoosesWhoseSessionsAreListed) {
    StartWith(Entry(8, "1A2B3C4D//C:\\WINDOWS") + Entry(10, kOther) + Entry(12, "99AA//e:\\winnt"));
    EXPECT_EQ(state.menus.systemItems.at(0).caption, "C:\\WINDOWS");
    EXPECT_EQ(state.menus.systemItems.at(1).tag, "99AA//e:\\winnt")
        << "the most recent system first";
    EXPECT_EQ(state.menus.systemItems.at(2).caption,
              "- D:\\WINDOWS\t(Last Exit: 2026:12:05:10:30:00)");
    EXPECT_EQ(state.menus.sessionItems.at(0).caption,
              " [Dec 05, 08:00 - Dec 05, 08:30]\t=  00d 00h 30m")
        << "no names while one system is listed";
    const std::vector<MenuNode> systems = BuildRightMenu(state)[0].children;
    EXPECT_TRUE(systems.at(1).IsSeparator() && !systems.at(2).IsSeparator()) << "the own apart";

    OnSystemItemClick(context, 2);
    EXPECT_EQ(Get("SysList"), kSystem + "|" + kOther);
    EXPECT_EQ(state.menus.sessionItems.size(), 2u);
    OnLeftMenuOpening(context);
    EXPECT_THAT(state.menus.currentSessionCaption, ::testing::EndsWith("....  C:\\WINDOWS"))
        << "once names are shown, the running session's too";

    // Unchecking both stores an empty list, which stands for the own system alone.
    OnSystemItemClick(context, 0);
    OnSystemItemClick(context, 2);
    EXPECT_EQ(Get("SysList"), "");
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, false}));

    // Under all systems every item is checked; unchecking one lists all but that one.
    OnListModeClick(context);
    EXPECT_EQ(state.menus.sessionItems.size(), 3u);
    OnSystemItemClick(context, 1);
    EXPECT_EQ(Get("ListMode"), "0");
    EXPECT_EQ(Get("SysList"), kSystem + "|" + kOther);
    EXPECT_EQ(SystemChecks(), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(state.menus.sessionItems.size(), 2u);
}

// A log gathered from many installations is looked up through an index, on the rules of
// the few: one item per identity whatever its case, its first spelling, its latest exit.
TEST(SystemExits, ManySystemsKeepOneItemEachWithTheFirstSpellingAndTheLatestExit) {
    const DateTime first = MakeDateTime(2026, 12, 1, 0, 0, 0);
    SystemExits exits(kSystem);
    for (int i = 0; i < 40; ++i) {
        std::string identity = "S";  // appended piece by piece: GCC 12 warns wrongly on "S" + ...
        identity.append(std::to_string(i)).append("//d:\\windows");
        exits.Note(identity, first + std::chrono::hours{i});
    }
    exits.Note("s7//D:\\WINDOWS", first + std::chrono::hours{100});
    exits.Note("S8//D:\\Windows", first - std::chrono::hours{1});
    exits.Note("1a2b3c4d//C:\\WINDOWS", first);
    exits.Note("S40//d:\\windows", first);
    exits.Note("s40//d:\\windows", first + std::chrono::hours{1});

    const FakeLocale locale;
    const auto items = exits.MenuItems({}, true, {}, locale);
    ASSERT_EQ(items.size(), 42u);
    EXPECT_EQ(items[8].tag, "S7//d:\\windows");
    EXPECT_THAT(items[8].caption, HasSubstr("(Last Exit: 2026:12:05:04:00:00)"));
    EXPECT_THAT(items[9].caption, HasSubstr("(Last Exit: 2026:12:01:08:00:00)"));
    EXPECT_EQ(items[41].tag, "S40//d:\\windows");
    EXPECT_THAT(items[41].caption, HasSubstr("(Last Exit: 2026:12:01:01:00:00)"));
}

// The system names in the menus show the drive the running system sees for a serial.
TEST(SystemIdentity, IsTheWindowsDrivesSerialAndFolderAndEachSerialKeepsItsFirstDrive) {
    FakeSystemInfo system;
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

// Cancelled, or refused by a log that cannot be written, a command changes nothing and
// tells the event log nothing. The file is replaced in one step or not at all, so the user
// only hears that nothing happened.
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
    EXPECT_TRUE(events.written.empty());
    EXPECT_EQ(desktop.chooserStarts, std::vector<std::filesystem::path>{kFolder});

    desktop.answerOk = true;
    files.LockFile(kLog, kErrorSharingViolation);
    for (const auto kind : {MenuCommandKind::kMonitorFromNow, MenuCommandKind::kEraseOldest}) {
        desktop.messages.clear();
        RunMenuCommand(context, {kind, 0});
        const std::string& said = desktop.messages.at(1).text;
        EXPECT_TRUE(said.starts_with("Uptrail could not change its log file.")) << said;
        EXPECT_EQ(Figures(), before) << static_cast<int>(kind);
    }
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

    // A copy that fails leaves the log where it is, and the next start looking there too.
    files.AddFolder(PathFromAnsi("F:\\Locked"));
    files.DenyWritesIn(PathFromAnsi("F:\\Locked"));
    desktop.chosenFolder = PathFromAnsi("F:\\Locked");
    RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});
    EXPECT_EQ(StoredFolder(), "E:\\");
    EXPECT_EQ(state.session.logFile, LogFileIn(PathFromAnsi("E:\\")));

    // Without an old log there is nothing to take along: the next write creates the file.
    files.RemoveFile(state.session.logFile);
    desktop.chosenFolder = PathFromAnsi("D:\\Logs");
    RunMenuCommand(context, {MenuCommandKind::kLogFolder, 0});
    EXPECT_EQ(StoredFolder(), "D:\\Logs");
    EXPECT_EQ(state.session.logFile, LogFileIn(PathFromAnsi("D:\\Logs")));
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

TEST(UpdateDescription, GivesTheAssignedVersionOnlyWhenTheWholeTextIsOneAssignment) {
    const std::string longest(kMaxVersionLength, '7');
    EXPECT_EQ(ParseUpdateDescription("version='6'"), "6");
    EXPECT_EQ(ParseUpdateDescription("\xEF\xBB\xBF\r\nvar\tversion =\r\n  \"5.1\" ;\r\n\r\n"),
              "5.1");
    EXPECT_EQ(ParseUpdateDescription("var version = \"" + longest + "\";"), longest);
    EXPECT_EQ(ParseUpdateDescription("var version = \"5.1\"; alert(1);"), std::nullopt);
    EXPECT_EQ(ParseUpdateDescription("variable version = \"5.1\";"), std::nullopt);
}

// That the order is the same whichever side holds the newer version is a fuzz property.
TEST(VersionComparison, ComparesPartByPartAsNumbersWithMissingPartsZero) {
    EXPECT_EQ(CompareVersions("10", "9.99.9999"), std::strong_ordering::greater);
    EXPECT_EQ(CompareVersions("123456789012345678901234567890", "123456789012345678901234567889"),
              std::strong_ordering::greater);
    EXPECT_EQ(CompareVersions("5.0.26", "5.00.26.0"), std::strong_ordering::equal);
}

// The about box shows the full form; the update check and the report's --version the
// compact one.
TEST(VersionText, GivesTheMinorTwoDigitsAndTheRevisionOnlyWhenThereIsOne) {
    VersionRecord version = kVersion;
    version.minor = 0;
    version.revision = 26;
    EXPECT_EQ(VersionText(false, version), std::to_string(version.major) + ".00.0026");
    EXPECT_EQ(VersionText(true, version), std::to_string(version.major) + ".00.26");
    version.minor = 12;
    version.revision = 0;
    EXPECT_EQ(VersionText(true, version), std::to_string(version.major) + ".12");
}

bool UpdateItemEnabled(const MainState& state) {
    for (const MenuNode& node : BuildRightMenu(state))
        if (node.command.kind == MenuCommandKind::kCheckForUpdate) return node.enabled;
    ADD_FAILURE() << "the right-hand menu has no \"Check for &Update...\"";
    return false;
}

// In its order, with an icon item only where it is offered (hiding is not, here).
TEST_F(SessionMenusTest, TheRightMenuOffersEachCommandInItsOrder) {
    using K = MenuCommandKind;
    state.options.mRightHide.visible = false;
    std::vector<K> offered;
    for (const MenuNode& node : BuildRightMenu(state))
        if (node.command.kind != K::kNone) offered.push_back(node.command.kind);
    std::vector<K> expected{K::kSessionChart};
    for (int kind = static_cast<int>(K::kLogFolder); kind <= static_cast<int>(K::kAnimatedTrayIcon);
         ++kind)
        expected.push_back(static_cast<K>(kind));
    expected.push_back(K::kExit);
    EXPECT_EQ(offered, expected);
}

const std::string kNotAccessible = "Remote resource is not accessible now.\r\nPlease try later.";

// One check at a time, its item disabled while it runs. The three answers, a closed port, a
// damaged description, a silent server and the address stored for the check are tried on
// the real program against real servers.
TEST_F(SessionMenusTest, AnUpdateCheckRunsAloneAFailedOneIsNotAccessibleAndDownloadOpensTheSetup) {
    const MenuCommand check{MenuCommandKind::kCheckForUpdate, 0};
    http.starts = false;
    RunMenuCommand(context, check);
    EXPECT_EQ(desktop.messages.at(0).text, kNotAccessible) << "a check that cannot start";
    EXPECT_TRUE(UpdateItemEnabled(state));

    http.starts = true;
    RunMenuCommand(context, check);
    EXPECT_EQ(http.requests, std::vector<std::string>{std::string(SiteAddress()) +
                                                      "/Products/Uptrail/Uptrail.js"});
    EXPECT_FALSE(UpdateItemEnabled(state));
    RunMenuCommand(context, check);
    EXPECT_EQ(http.requests.size(), 1u) << "a request meanwhile starts nothing";
    OnUpdateCheckFinished(context, HttpResponse{kOk, 404, "var version = \"99\";"});
    EXPECT_EQ(desktop.messages.at(1).text, kNotAccessible) << "an error status is no answer";
    EXPECT_TRUE(UpdateItemEnabled(state));

    RunMenuCommand(context, check);
    OnUpdateCheckFinished(context, HttpResponse{kOk, 200, "var version = \"5.0.26\";"});
    EXPECT_EQ(desktop.messages.size(), 3u);
    desktop.answerDownload = true;
    RunMenuCommand(context, check);
    OnUpdateCheckFinished(context, HttpResponse{kOk, 200, "var version = \"6.0\";"});
    OnRightSiteClick(context);
    OnRightMailClick(context);
    EXPECT_EQ(
        desktop.openedAddresses,
        (std::vector<std::string>{SetupAddress(), std::string(SiteAddress()) + "/Products/Uptrail/",
                                  std::string(MailAddress()) + "?subject=Uptrail"}));
}

}  // namespace
}  // namespace uptrail
