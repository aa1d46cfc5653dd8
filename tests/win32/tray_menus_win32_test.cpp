// The tray's menus and clock as the real Win32 shell renders them, driven inside this
// process: menu handles cannot be read from another one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/main_events.h"
#include "app/menu_commands.h"
#include "app/menu_tree.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "support/fake_main_context.h"
#include "win32/popup_menu.h"
#include "win32/win32_tray_icon.h"

namespace uptrail {
namespace {

using namespace testing;

const std::string kOwn = "1A2B3C4D//c:\\windows";
const std::string kOther = "5E6F7A8B//d:\\windows";

std::wstring CaptionAt(HMENU menu, int position) {
    wchar_t text[256]{};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

UINT StateAt(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

HBITMAP MarkAt(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.hbmpUnchecked;
}

// A bitmap's pixels as 0x00RRGGBB, top row first; a set mask bit reads as white.
std::vector<std::uint32_t> Pixels(HBITMAP bitmap) {
    BITMAP size{};
    if (!GetObjectW(bitmap, sizeof size, &size)) return {};
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = size.bmWidth;
    format.bmiHeader.biHeight = -size.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.bmWidth * size.bmHeight));
    HDC dc = CreateCompatibleDC(nullptr);
    GetDIBits(dc, bitmap, 0, static_cast<UINT>(size.bmHeight), pixels.data(), &format,
              DIB_RGB_COLORS);
    DeleteDC(dc);
    for (auto& pixel : pixels) pixel &= 0xFFFFFF;
    return pixels;
}

// Both planes of an icon; empty when the handle names no live icon.
struct IconPixels {
    std::vector<std::uint32_t> color;
    std::vector<std::uint32_t> mask;
};

IconPixels ReadIcon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    IconPixels pixels{Pixels(info.hbmColor), Pixels(info.hbmMask)};
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

// Two systems, every cause, both systems shown.
class TrayTest : public ::testing::Test, public FakeMainContext {
protected:
    TrayTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        files.AddFolder("logs");
        context.state.logFile = "logs/Uptrail.txt";
        context.state.systemId = kOwn;
        context.state.bootTime = MakeDateTime(2026, 12, 6, 8, 0, 0);
        context.state.driveTable = {{"1A2B3C4D/", "C:"}};
        files.AddFile(context.state.logFile,
                      "[" + kOwn + "]\r\nSysList=" + kOwn + "|" + kOther + "\r\n[Log]\r\n" +
                          "2026:12:01:08:00:00=2026:12:01:17:30:00=0=" + kOwn + "\r\n" +
                          "2026:12:02:08:10:00=2026:12:02:12:00:00=1=" + kOther + "\r\n" +
                          "2026:12:03:09:00:00=2026:12:03:18:45:10=2=" + kOwn + "\r\n");
        context.state.statsFrom = TrimLog(files, context.state.logFile, false,
                                          context.state.bootTime, clock.now).statsFrom;
        RefreshSessionMenus(context);
    }
};

TEST_F(TrayTest, ASeededLogGivesTheSessionsWithTheirMarksNewestFirst) {
    const PopupMenu left(BuildLeftMenu(context.state));
    HMENU menu = left.Handle();
    ASSERT_EQ(GetMenuItemCount(menu), 5) << "current, separator, three sessions; the log fits";
    EXPECT_EQ(CaptionAt(menu, 2),
              L" [Dec 03, 09:00 - Dec 03, 18:45]\t=  00d 09h 45m  ....  C:\\WINDOWS");
    EXPECT_EQ(CaptionAt(menu, 3),
              L" [Dec 02, 08:10 - Dec 02, 12:00]\t=  00d 03h 50m  ....  - D:\\WINDOWS");
    EXPECT_NE(MarkAt(menu, 2), nullptr);
    EXPECT_NE(MarkAt(menu, 3), nullptr);
    EXPECT_NE(MarkAt(menu, 2), MarkAt(menu, 3)) << "stop and exclamation are different pictures";
    EXPECT_EQ(MarkAt(menu, 4), nullptr);

    // Choosing the crashed session through the rendered menu's own identifier.
    const auto chosen = left.CommandFor(GetMenuItemID(menu, 2));
    ASSERT_TRUE(chosen);
    RunMenuCommand(context, *chosen);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "This session was crashed.");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::kStop);
}

TEST_F(TrayTest, TheRightMenuRendersStatesCommandsAndTheStatisticsAndSystems) {
    context.state.mRightOldest.enabled = false;
    context.state.mRightAuto.checked = true;
    const PopupMenu right(BuildRightMenu(context.state));
    HMENU menu = right.Handle();
    EXPECT_TRUE(StateAt(menu, 3) & MF_SEPARATOR);
    EXPECT_TRUE(StateAt(menu, 5) & MF_GRAYED) << "Erase Oldest Data";
    EXPECT_TRUE(StateAt(menu, 13) & MF_CHECKED) << "Start with Windows";
    const UINT exit = GetMenuItemID(menu, GetMenuItemCount(menu) - 1);
    EXPECT_EQ(right.CommandFor(exit), (MenuCommand{MenuCommandKind::kExit, 0}));
    EXPECT_FALSE(right.CommandFor(0)) << "a closed menu chooses nothing";

    HMENU statistics = GetSubMenu(menu, 1);
    EXPECT_EQ(CaptionAt(statistics, 5), L"Crashed Sessions:\t33.3%");
    EXPECT_TRUE(StateAt(statistics, 5) & MF_DISABLED);
    EXPECT_FALSE(StateAt(statistics, 5) & MF_GRAYED) << "figures read as plain text";

    HMENU systems = GetSubMenu(menu, 0);
    EXPECT_EQ(CaptionAt(systems, 2).rfind(L"- D:\\WINDOWS\t(Last Exit: ", 0), 0u);
    EXPECT_TRUE(StateAt(systems, 2) & MF_CHECKED);
    EXPECT_EQ(right.CommandFor(GetMenuItemID(systems, 2)),
              (MenuCommand{MenuCommandKind::kSystemItem, 1}));
}

TEST_F(TrayTest, TheIconIsTheClockAndChangesEverySecondWhileAnimatedAndNotWhenTurnedOff) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    Win32TrayIcon shellTray(owner, LoadIconW(nullptr, IDI_APPLICATION));
    MainContext withTray{{clock, files, registry, system, shellTray, window, desktop, locale, http},
                         {}};
    withTray.state.mRightWithout.checked = true;  // no shell here to add the icon to
    withTray.state.mRightAnimated.checked = true;
    withTray.state.animationLevel = 3;

    OnClockTimer(withTray);
    const IconPixels first = ReadIcon(shellTray.Icon());
    ASSERT_EQ(first.color.size(), 32u * 32u) << "a colour icon at the icon size";
    ASSERT_EQ(first.mask.size(), first.color.size());
    // Transparent where the dial has the colour of its corner, and black there in colour.
    EXPECT_EQ(first.mask[0], 0xFFFFFFu);
    EXPECT_EQ(first.color[0], 0u);
    // The ring's silver step at dial (2, 1), and the red second hand's end at twelve.
    EXPECT_EQ(first.mask[2 * 32 + 4], 0u);
    EXPECT_EQ(first.color[2 * 32 + 4], 0xC0C0C0u);
    EXPECT_EQ(first.color[2 * 32 + 14], 0xFF0000u);

    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(withTray);
    const IconPixels second = ReadIcon(shellTray.Icon());
    EXPECT_NE(first.color, second.color);

    withTray.state.mRightAnimated.checked = false;
    HICON kept = shellTray.Icon();
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(withTray);
    EXPECT_EQ(shellTray.Icon(), kept);
    EXPECT_EQ(ReadIcon(shellTray.Icon()).color, second.color);
    DestroyWindow(owner);
}

TEST(ClockIcon, EachUpdateDestroysThePreviousIconAndEveryBitmapItMade) {
    ClockDial dial;
    const HICON lastIcon = [&dial] {
        ClockIcon clock;
        HICON previous = nullptr;
        for (int second = 0; second < 120; ++second) {
            dial.Tick(10, second / 60, second % 60, 3);
            const HICON icon = clock.Update(dial, 32);
            EXPECT_FALSE(ReadIcon(icon).mask.empty()) << "update " << second;
            if (previous) {
                EXPECT_TRUE(ReadIcon(previous).mask.empty()) << "update " << second;
            }
            previous = icon;
        }
        EXPECT_EQ(clock.Update(dial, 0), nullptr) << "no icon can have no pixels";
        EXPECT_EQ(clock.Current(), previous) << "the previous icon stays";
        const GdiTally& tally = clock.Tally();
        EXPECT_EQ(tally.iconsCreated, 120);
        EXPECT_EQ(tally.iconsDestroyed, 119);
        EXPECT_EQ(tally.bitmapsCreated, 240);
        EXPECT_EQ(tally.bitmapsDeleted, tally.bitmapsCreated);
        return previous;
    }();
    EXPECT_TRUE(ReadIcon(lastIcon).mask.empty()) << "the owner's end destroys the current icon";
}

}  // namespace
}  // namespace uptrail
