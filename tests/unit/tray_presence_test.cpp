#include "app/tray_presence.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/main_events.h"
#include "support/test_machine.h"

namespace uptrail {
namespace {

using namespace uptrail::testing;

// A shell that refuses is asked again after 1, 2, 4 ... seconds, never more than five
// minutes apart, and at once when the taskbar announces itself.
TEST(TrayPresence, ARefusedAddIsTriedAgainAfterAGrowingWait) {
    FakeTrayIcon shell;
    shell.succeeds = false;
    TrayState tray;
    ShowTrayIcon(tray, shell);
    std::vector<int> waits;
    int lastTry = 0;
    for (int tick = 1; tick <= 3600; ++tick) {
        const int before = shell.addCalls;
        RetryTrayIcon(tray, shell);
        if (shell.addCalls == before) continue;
        waits.push_back(tick - lastTry);
        lastTry = tick;
    }
    const std::vector<int> expected = {1, 2, 4, 8, 16, 32, 64, 128, 256, 300, 300, 300, 300, 300};
    ASSERT_GE(waits.size(), expected.size());
    EXPECT_EQ(std::vector<int>(waits.begin(), waits.begin() + 14), expected);
    EXPECT_FALSE(tray.iconShown);

    shell.succeeds = true;
    ShowTrayIconToNewTaskbar(tray, shell);
    EXPECT_TRUE(tray.iconShown);
    const int calls = shell.addCalls;
    for (int tick = 0; tick < 10; ++tick) RetryTrayIcon(tray, shell);
    EXPECT_EQ(shell.addCalls, calls) << "a shown icon is not added again";
}

// An add that timed out at sign-in may have worked: the icon counts as shown, is left
// alone by the clock timer, and goes at the exit. The icon a taskbar announcing itself
// keeps is checked on the real program.
TEST(TrayPresence, AnIconTheShellHasAlreadyCountsAsShownAndGoesAtTheExit) {
    Machine machine;
    machine.tray.addTimesOut = true;
    ShowTrayIcon(machine.state.tray, machine.tray);
    const int calls = machine.tray.addCalls;
    OnClockTimer(machine.context);
    EXPECT_TRUE(machine.state.tray.iconShown);
    EXPECT_EQ(machine.tray.addCalls, calls);
    OnMainWindowClose(machine.context, ProgramEnd::kClosed);
    EXPECT_FALSE(machine.tray.present) << "the icon stays after the exit";

    // Refused without an answer, the icon may still be there: the exit removes it.
    Machine refused;
    refused.tray.succeeds = false;
    ShowTrayIcon(refused.state.tray, refused.tray);
    OnMainWindowClose(refused.context, ProgramEnd::kClosed);
    EXPECT_EQ(refused.tray.deleteCalls, 1);
}

}  // namespace
}  // namespace uptrail
