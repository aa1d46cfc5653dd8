// The alarms: the list in the log, the schedule, the menu, and each window's logic and layout.
#include <gtest/gtest.h>

#include <algorithm>

#include "alarm/alarm_commands.h"
#include "alarm/alarm_layout.h"
#include "alarm/alarm_list.h"
#include "alarm/alarm_menu.h"
#include "alarm/alarm_schedule.h"
#include "alarm/alarm_window_logic.h"
#include "alarm/masked_text.h"
#include "app/menu_tree.h"
#include "storage/section_text.h"
#include "support/test_machine.h"

namespace uptrail {

// Found by GoogleTest next to the type, so a failure shows the text and the caret.
void PrintTo(const MaskedEdit& edit, std::ostream* out) {
    *out << '"' << edit.text << "\" caret " << edit.caret;
}

namespace {

using testing::Machine;

const DateTime kNow = MakeDateTime(2026, 12, 6, 9, 30, 15);

// An alarm window with its shell double, opened as the main window opens one.
struct OpenWindow final : AlarmWindowHost {
    OpenWindow(MainContext& context, std::string key, std::uintptr_t id)
        : handle(id), window(context.Alarms(), *this, std::move(key)) {
        window.OnLoad();
        window.OnActivate();
    }
    std::uintptr_t Handle() const override { return handle; }
    void PlayAlarmSound() override { ++sounds; }
    void CloseWindow() override { ++closes; }
    void Restore() override {}

    std::uintptr_t handle;
    int sounds = 0;
    int closes = 0;
    AlarmWindowLogic window;
};

// The machine with a log and the main window running.
class AlarmTest : public ::testing::Test, protected Machine {
protected:
    AlarmTest() {
        clock.now = kNow;
        state.mainStarted = true;
        files.AddFile(state.session.logFile, "[Log]\r\n");
    }
    AlarmList& alarms() { return state.alarms.list; }
    std::string StoredAlarms() {
        return LoadSectionText(files.Contents(state.session.logFile), "Alarm", "");
    }
    // Loaded as the main window loads them at its start: nothing moves on.
    void Store(const std::string& lines) {
        files.AddFile(state.session.logFile, "[Log]\r\n\r\n[Alarm]\r\n" + lines);
        LoadAlarmsAtStartup(context.Alarms());
    }
    void Tick(OpenWindow& w, int times = 1) {
        for (int i = 0; i < times; ++i) {
            clock.Advance(std::chrono::seconds{1});
            w.window.OnAlertTick();
        }
    }
};

TEST_F(AlarmTest, LoadsTitlesWholeAndRepeatsInTheirCanonicalForm) {
    Store("2026:12:24:07:30:00=25:75:00=a=b\r\nnot an alarm\r\n2026:12:25:07:30:00=1:2\r\n");
    ASSERT_EQ(alarms().AlarmUpperBound(), 1) << "a line without \"=\" is no alarm";
    EXPECT_EQ(alarms()[0], (AlarmEntry{"2026:12:24:07:30:00", "0025:59:00", "a=b", 0}));
    EXPECT_EQ(alarms()[1], (AlarmEntry{"2026:12:25:07:30:00", "0000:00:00", "", 0}));
    for (const auto& [stored, loaded] : {std::pair{"#x", "#0"}, {" -5:10:00 ", "0000:10:00"}})
        EXPECT_EQ(NormalisedRepeat(stored), loaded) << stored;
}

TEST_F(AlarmTest, LoadingWithAdvanceMovesMissedRepeatsPastNowOnly) {
    Store(
        "1900:01:01:00:00:00=0000:01:00=long behind\r\n2026:12:03:07:30:00=0000:00:00=once\r\n"
        "2026:12:07:07:30:00=#2=ahead\r\n2026:12:06:09:30:15=#1=due at now\r\n"
        "2026:12:05:07:30:00=#3=monthly\r\n");
    EXPECT_EQ(alarms()[0].Key, "1900:01:01:00:00:00") << "not without advance";
    LoadAlarms(alarms(), files, state.session.logFile, true, kNow);
    EXPECT_EQ(alarms()[0].Key, "2026:12:06:09:31:00") << "at once, not in millions of steps";
    EXPECT_EQ(alarms()[1].Key, "2026:12:03:07:30:00") << "a one-time alarm stays due";
    EXPECT_EQ(alarms()[2].Key, "2026:12:07:07:30:00") << "a future alarm stays";
    EXPECT_EQ(alarms()[3].Key, "2026:12:07:09:30:15") << "an occurrence exactly at now is past";
    EXPECT_EQ(alarms()[4].Key, "2027:01:05:07:30:00") << "December has 31 days";
}

// Of duplicates (same time and repeat) the lowest index stays; what a window holds stays.
TEST_F(AlarmTest, SavingDropsStoppedAndDoubledAlarmsNoWindowHoldsAndSortsTheRest) {
    Store("");
    alarms().Replace({{"2026:03:01:10:00:00", "#1", "c", 0},
                      {"", "0000:00:00", "stopped", 0},
                      {"2026:01:01:10:00:00", "#1", "a", 0},
                      {"", "0000:00:00", "new, in its window", 42},
                      {"2026:03:01:10:00:00", "#1", "c again", 0},
                      {"2026:01:01:10:00:00", "#1", "a in its window", 9}});
    SaveAlarms(alarms(), files, state.session.logFile);
    EXPECT_EQ(StoredAlarms(),
              "=0000:00:00=new, in its window\r\n2026:01:01:10:00:00=#1=a\r\n"
              "2026:01:01:10:00:00=#1=a in its window\r\n2026:03:01:10:00:00=#1=c");
    EXPECT_EQ(alarms()[0].hWnd, 42u) << "the window's entry keeps its window";
}

TEST(AlarmSchedule, PeriodsIntervalsAndCountdowns) {
    EXPECT_EQ(DaysInMonth(2, 2000), 29);
    EXPECT_EQ(DaysInMonth(2, 2100), 28);
    EXPECT_EQ(DaysInMonth(2, 0), 28) << "no leap day before year 1";

    const DateTime t = MakeDateTime(2026, 1, 1);
    EXPECT_EQ(RepeatMinutes("0001:30:00", t), 90);
    EXPECT_EQ(RepeatMinutes("-0001:30:00", t), 0) << "a negative interval is no repeat";
    EXPECT_EQ(RepeatMinutes("#0", t), 0);
    EXPECT_EQ(RepeatMinutes("#2", t), 7 * 1440);
    EXPECT_EQ(RepeatMinutes("#3", MakeDateTime(2024, 2, 15)), 29 * 1440);
    EXPECT_EQ(RepeatMinutes("#4", MakeDateTime(2024, 2, 28)), 366 * 1440) << "leap day ahead";
    EXPECT_EQ(RepeatMinutes("#4", MakeDateTime(2024, 3, 1)), 365 * 1440);
    EXPECT_EQ(RepeatMinutes("#9", MakeDateTime(2024, 1, 10)), 366 * 1440) << "at most a year";

    EXPECT_EQ(CountdownText(t, t + std::chrono::seconds{3725}), "01:02:05");
    EXPECT_EQ(CountdownText(t + std::chrono::hours{100}, t), "100:00:00");
}

TEST_F(AlarmTest, ANewAlarmSetAsAShiftIsStoredWithItsRepeatAndTitleWhenStarted) {
    OnAlarmNewClick(context.Alarms());
    OpenWindow w(context, "", 100);
    EXPECT_EQ(alarms()[0].hWnd, 100u) << "the window holds its entry from the start";

    w.window.OnShiftChange("0000:90:00");
    w.window.OnActivate();  // a stopped window keeps its edits when activated again
    w.window.OnRepeatComboClick(2);
    EXPECT_FALSE(w.window.Controls().customRepeatEnabled) << "the interval box is for custom only";
    w.window.OnTitleChange("Call home");
    w.window.OnButtonClick();
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:29:00=#2=Call home");
    EXPECT_EQ(state.alarms.menu.items.size(), 1u) << "the main window's check finds it at once";
}

// Whatever became of a window's entry (another account's save, a hand edit), the alarm
// the user then starts in it is kept.
TEST_F(AlarmTest, AnAlarmStartedInAWindowWhoseEntryWentIsKept) {
    OnAlarmNewClick(context.Alarms());
    OpenWindow w(context, "", 100);
    alarms().Replace({});
    w.window.OnShiftChange("0001:00:00");
    w.window.OnRepeatChange("0024:30:00");
    w.window.OnButtonClick();
    w.window.OnUnload();
    EXPECT_EQ(StoredAlarms(), "2026:12:06:10:30:00=0024:30:00=");
}

TEST_F(AlarmTest, ADailyAlarmTwoDaysBehindRingsThreeTimesThenCountsDownToTomorrow) {
    Store("2026:12:04:07:30:00=#1=Wake\r\n");
    OnMainAlertTick(context.Alarms());
    ASSERT_EQ(window.openedAlarms, std::vector<std::string>{"2026:12:04:07:30:00"});
    OpenWindow w(context, window.openedAlarms[0], 7);
    Tick(w, 4);
    EXPECT_EQ(w.sounds, 3);
    EXPECT_EQ(StoredAlarms(), "2026:12:07:07:30:00=#1=Wake");
    EXPECT_EQ(w.window.Controls().tbShift.text, "0021:59:41");
    OnMainAlertTick(context.Alarms());
    EXPECT_EQ(window.openedAlarms.size(), 1u) << "the window's alarm is left to the window";
}

// Two windows stopped and closed in turn, and the re-sort that moves one's entry under the
// other, run end to end (tests/e2e/test_alarm.py); here what the screen does not show.
TEST_F(AlarmTest, StopKeepsTheWindowAndClosingTheLastAlarmLeavesABareHeader) {
    Store("2029:01:01:07:30:00=0000:00:00=first\r\n");
    OpenWindow w(context, "2029:01:01:07:30:00", 7);
    Tick(w);
    EXPECT_EQ(w.window.Controls().tbShift.text, "9999:00:00") << "a countdown beyond the box";
    w.window.OnButtonClick();
    EXPECT_EQ(w.closes, 0);
    w.window.OnCloseRequest();
    w.window.OnUnload();
    EXPECT_EQ(files.Contents(state.session.logFile), "[Log]\r\n\r\n[Alarm]\r\n") << "a bare header";
}

// What is typed into a running window stays when it is activated again; restarted after a
// stop, its alarm's new time takes no other alarm's menu item.
TEST_F(AlarmTest, ARunningWindowKeepsWhatIsTypedAndARestartLeavesTheOtherMenuItems) {
    Store("2029:01:01:07:30:00=1100:05:00=first\r\n2029:01:01:08:00:00=0000:00:00=second\r\n");
    OpenWindow w(context, "2029:01:01:07:30:00", 7);
    EXPECT_EQ(w.window.Controls().tbRepeat.text, "1100:05:00") << "its interval as stored";
    w.window.OnTitleChange("typed");
    w.window.OnActivate();
    EXPECT_EQ(w.window.Controls().tbTitle, "typed");
    w.window.OnButtonClick();
    w.window.OnShiftChange("0001:00:00");
    w.window.OnButtonClick();
    ASSERT_EQ(state.alarms.menu.items.size(), 1u);
    EXPECT_EQ(state.alarms.menu.items[0].tag, "2029:01:01:08:00:00");
}

TEST(AlarmMenu, CaptionsNameTheDayOnlyWhenItIsNotToday) {
    const auto caption = [](std::string key, std::string title = "") {
        return AlarmMenuCaption({std::move(key), "0000:00:00", std::move(title), 0}, kNow,
                                EnglishMonthNames());
    };
    EXPECT_EQ(caption("2026:12:06:14:05:00", "Call home"), "14:05\t- Call home");
    EXPECT_EQ(caption("2026:06:06:07:30:00"), "Jun 06, 07:30") << "same day of another month";
    EXPECT_EQ(caption("2027:01:05:08:03:00"), "2027, Jan 05, 08:03");
}

TEST_F(AlarmTest, TheMenuListsWaitingAlarmsAndLocksNewWhileAWindowHoldsAnEntry) {
    alarms().Replace({{"", "0000:00:00", "", 5},
                      {"2026:12:06:10:00:00", "#1", "", 0},
                      {"2026:12:07:10:00:00", "0000:00:00", "", 9}});
    RefreshAlarmMenu(context.Alarms());
    const MenuNode submenu = BuildRightMenu(state)[3];
    ASSERT_EQ(submenu.children.size(), 4u) << "a stopped alarm has no item";
    EXPECT_FALSE(submenu.children[0].enabled);
    EXPECT_EQ(submenu.children[2].mark, MenuMark::kRepeat);
    EXPECT_EQ(submenu.children[3].mark, MenuMark::kNone);

    OnAlarmNewClick(context.Alarms());
    EXPECT_EQ(alarms().AlarmUpperBound(), 2);
    // An alarm's item opens its window, or brings forward the window that shows it.
    OnAlarmItemClick(context.Alarms(), 0);
    OnAlarmItemClick(context.Alarms(), 1);
    EXPECT_EQ(window.openedAlarms, std::vector<std::string>{"2026:12:06:10:00:00"});
    EXPECT_EQ(window.activatedAlarms, std::vector<std::uintptr_t>{9});
}

// A screen and a font: characters `characterWidth` wide at 96 DPI, but "8" two pixels
// wider, so that a box must hold its widest digit; `inset` is what a box takes beside its
// text (the list takes a button more). Where `fitsFixedSizes`, every text fits the window's
// fixed sizes; elsewhere the texts are wide enough that the window has to grow.
struct LayoutCase {
    int dpi;
    int characterWidth;
    int inset;
    bool fitsFixedSizes;
};
constexpr LayoutCase kLayoutCases[] = {
    {96, 5, 0, true},    {120, 5, 0, true},    {144, 5, 0, true},   {192, 4, 0, true},
    {96, 7, 7, false},   {120, 7, 9, false},   {144, 8, 10, false}, {192, 9, 14, false},
    {96, 12, 20, false}, {192, 14, 24, false},
};

int Scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

AlarmLayoutMetrics MetricsFor(const LayoutCase& c) {
    AlarmLayoutMetrics metrics;
    metrics.dpi = c.dpi;
    metrics.scrollBarWidth = Scaled(17, c.dpi);
    metrics.boxTextInset = Scaled(c.inset, c.dpi);
    metrics.listTextInset = Scaled(c.inset + 17, c.dpi);
    metrics.textWidth = [c](AlarmPart, std::string_view text) {
        const auto eights = static_cast<int>(std::count(text.begin(), text.end(), '8'));
        return (static_cast<int>(text.size()) * c.characterWidth + 2 * eights) * c.dpi / 96;
    };
    return metrics;
}

// Boxes hold their widest value with their margins, the list its longest period with its
// button, labels their captions; the window keeps its fixed size while they fit in it,
// and otherwise grows wider, never taller. That every control lies in the window and none
// overlaps another is measured on the real window at each resolution end to end.
void ExpectEveryTextFits(const AlarmLayoutMetrics& metrics, const AlarmLayout& layout,
                         const LayoutCase& c) {
    using P = AlarmPart;
    const std::pair<AlarmPart, std::string_view> kTexts[] = {{P::tlNotes, "Notes:"},
                                                             {P::tlAlarm0, "Set shift from now:"},
                                                             {P::tlShift, "+"},
                                                             {P::tlOr, "OR"},
                                                             {P::tlAlarm1, "Set date & time:"},
                                                             {P::tlAlarm2, "Repeat alarm every:"}};
    for (const auto& [label, caption] : kTexts)
        EXPECT_GE(layout[label].width, metrics.textWidth(label, caption)) << caption;
    for (const auto& [box, value] : {std::pair{P::tbShift, "8888:88:88"},
                                     {P::tbTime, "88:88:00"},
                                     {P::tbRepeat, "8888:88:00"}})
        EXPECT_GE(layout[box].width, metrics.textWidth(box, value) + metrics.boxTextInset) << value;
    EXPECT_GE(layout[P::cbRepeat].width,
              metrics.textWidth(P::cbRepeat, "Month") + metrics.listTextInset);
    EXPECT_EQ(layout.client.height, Scaled(340, c.dpi));
    EXPECT_EQ(layout.client.width == Scaled(292, c.dpi), c.fitsFixedSizes);
    EXPECT_GE(layout.client.width, Scaled(292, c.dpi));
}

// Growing keeps the layout's order: the groups from top to bottom, each label left of
// what it names, one right edge for the rows that reach it, what a frame holds inside it,
// the repeat frame under the shift frame and the same size, and the frames no smaller
// than their fixed sizes.
void ExpectTheOrderAndTheFixedSizesHold(const AlarmLayout& layout, int dpi) {
    using P = AlarmPart;
    const AlarmPart kTopToBottom[] = {P::tbTitle, P::pbShift,  P::tlOr,     P::pbTime,
                                      P::pbDate,  P::pbRepeat, P::loAlarm1, P::bbAlarm};
    const std::pair<AlarmPart, AlarmPart> kLeftToRight[] = {
        {P::tlNotes, P::tbTitle},   {P::tlAlarm0, P::pbShift},  {P::tlShift, P::tbShift},
        {P::tbShift, P::vsShift0},  {P::tlOr, P::loAlarm0},     {P::tlAlarm1, P::pbTime},
        {P::tlAlarm2, P::pbRepeat}, {P::pbRepeat, P::cbRepeat}, {P::tlNow, P::bbAlarm}};
    for (std::size_t i = 1; i < std::size(kTopToBottom); ++i)
        EXPECT_GT(layout[kTopToBottom[i]].top, layout[kTopToBottom[i - 1]].top) << i;
    for (const auto& [left, right] : kLeftToRight)
        EXPECT_LE(layout[left].Right(), layout[right].left) << static_cast<int>(left);
    for (AlarmPart part :
         {P::tbTitle, P::loAlarm0, P::pbTime, P::cbRepeat, P::loAlarm1, P::bbAlarm})
        EXPECT_EQ(layout[part].Right(), layout[P::pbDate].Right()) << static_cast<int>(part);
    // What a frame holds keeps off its border.
    for (const auto& [part, frame] : {std::pair{P::tlShift, P::pbShift},
                                      {P::tbTime, P::pbTime},
                                      {P::ucDate, P::pbDate},
                                      {P::tbRepeat, P::pbRepeat}})
        EXPECT_TRUE(layout[frame].left < layout[part].left &&
                    layout[part].Right() < layout[frame].Right())
            << static_cast<int>(part);
    EXPECT_EQ(layout[P::pbRepeat].left, layout[P::pbShift].left);
    EXPECT_EQ(layout[P::pbRepeat].width, layout[P::pbShift].width);
    EXPECT_GE(layout[P::pbShift].width, Scaled(120, dpi));
    EXPECT_GE(layout[P::pbTime].width, Scaled(117, dpi));
    EXPECT_GE(layout[P::pbDate].width, Scaled(280, dpi));
    EXPECT_EQ(layout[P::bbAlarm].width, Scaled(72, dpi));
}

TEST(AlarmLayout, EveryPartAndTextFitsInItsOrderAtAnyResolutionAndTextWidth) {
    for (const LayoutCase& c : kLayoutCases) {
        SCOPED_TRACE("dpi " + std::to_string(c.dpi) + ", character width " +
                     std::to_string(c.characterWidth) + ", inset " + std::to_string(c.inset));
        const AlarmLayoutMetrics metrics = MetricsFor(c);
        const AlarmLayout layout = LayoutControls(metrics);
        ExpectEveryTextFits(metrics, layout, c);
        ExpectTheOrderAndTheFixedSizesHold(layout, c.dpi);
    }
}

constexpr std::string_view kShift = "####:##:00";
constexpr std::size_t kFarBeyondTheEnd = 1000;
const std::optional<MaskedEdit> kRefused;

// The real box takes its keys through these under Wine (tests/win32/masked_edit_test.cpp);
// here what its keyboard cannot reach: carets past the end, empty masks, damaged text.
TEST(MaskedText, RefusesKeysWithoutAPlaceAndRepairsADamagedText) {
    EXPECT_EQ(TypeIntoMask(kShift, "1234:56:00", kFarBeyondTheEnd, '9'), kRefused);
    EXPECT_EQ(TypeIntoMask("##:##", "1x-3\xC3", 0, '9'), (MaskedEdit{"90:30", 1}));
    EXPECT_EQ(EraseInMask(kShift, "1234:56:00", kFarBeyondTheEnd, true),
              (MaskedEdit{"1234:50:00", 6}));
    EXPECT_EQ(EraseInMask(kShift, "1234:56:00", kFarBeyondTheEnd, false), kRefused);
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 0, kFarBeyondTheEnd),
              (MaskedEdit{"0000:00:00", 0}));
    EXPECT_EQ(EraseRangeInMask(kShift, "1234:56:00", 6, 2), kRefused) << "start after end";
    EXPECT_EQ(PasteIntoMask(kShift, "0000:45:00", 0, "ab:-"), kRefused);
    EXPECT_EQ(PasteIntoMask(kShift, "0000:45:00", kFarBeyondTheEnd, "12"), kRefused);
}

}  // namespace
}  // namespace uptrail
