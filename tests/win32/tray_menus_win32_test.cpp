// The tray's menus and clock as the real Win32 shell renders them, driven inside this
// process: menu handles cannot be read from another one.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/main_events.h"
#include "app/menu_commands.h"
#include "app/menu_tree.h"
#include "app/session_menus.h"
#include "support/fake_main_context.h"
#include "support/log_fields.h"
#include "win32/shell/popup_menu.h"
#include "win32/shell/win32_tray_icon.h"

namespace uptrail {
namespace {

using testing::kOther;
using testing::kSystem;

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
    info.fMask = MIIM_BITMAP;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.hbmpItem;
}

// The alpha of each pixel of a mark, row by row; empty unless it is a 32-bit bitmap.
std::vector<int> MarkAlpha(HBITMAP mark) {
    DIBSECTION dib{};
    if (GetObjectW(mark, sizeof dib, &dib) != sizeof dib || dib.dsBm.bmBitsPixel != 32) return {};
    const auto* pixels = static_cast<const std::uint32_t*>(dib.dsBm.bmBits);
    std::vector<int> alpha;
    for (int i = 0; i < dib.dsBm.bmWidth * dib.dsBm.bmHeight; ++i)
        alpha.push_back(static_cast<int>(pixels[i] >> 24));
    return alpha;
}

// An icon's colour plane, then its mask (a set bit reads as white), row by row; empty
// when the handle names no live icon.
std::vector<COLORREF> ReadIcon(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    std::vector<COLORREF> pixels;
    const UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    // GetIconInfo hands over copies of the icon's bitmaps.
    const UniqueBitmap planes[] = {UniqueBitmap(info.hbmColor), UniqueBitmap(info.hbmMask)};
    for (const UniqueBitmap& plane : planes) {
        BITMAP size{};
        GetObjectW(plane.get(), sizeof size, &size);
        const HGDIOBJ before = SelectObject(dc.get(), plane.get());
        for (int y = 0; y < size.bmHeight; ++y)
            for (int x = 0; x < size.bmWidth; ++x) pixels.push_back(GetPixel(dc.get(), x, y));
        SelectObject(dc.get(), before);
    }
    return pixels;
}

// Two systems, every cause, both systems shown.
class TrayTest : public ::testing::Test, public testing::FakeMainContext {
protected:
    TrayTest() {
        clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
        files.AddFolder("logs");
        context.state.session.logFile = "logs/Uptrail.txt";
        context.state.session.systemId = kSystem;
        context.state.session.bootTime = MakeDateTime(2026, 12, 6, 8, 0, 0);
        files.AddFile(context.state.session.logFile,
                      "[" + kSystem + "]\r\nSysList=" + kSystem + "|" + kOther + "\r\n[Log]\r\n" +
                          "2026:12:01:08:00:00=2026:12:01:17:30:00=0=" + kSystem + "\r\n" +
                          "2026:12:02:08:10:00=2026:12:02:12:00:00=1=" + kOther + "\r\n" +
                          "2026:12:03:09:00:00=2026:12:03:18:45:10=2=" + kSystem + "\r\n");
        RefreshSessionMenus(context);
    }
};

TEST_F(TrayTest, TheMenusOfASeededLogShowTheCaptionsMarksStatesAndCommands) {
    const PopupMenu left(BuildLeftMenu(context.state));
    HMENU menu = left.Handle();
    ASSERT_EQ(GetMenuItemCount(menu), 5) << "current, separator, three sessions; the log fits";
    EXPECT_EQ(CaptionAt(menu, 3),
              L" [Dec 02, 08:10 - Dec 02, 12:00]\t=  00d 03h 50m  ....  - D:\\WINDOWS");
    // Stop and exclamation are different pictures; a session that ended with Windows has none.
    EXPECT_EQ((std::set{MarkAt(menu, 2), MarkAt(menu, 3), MarkAt(menu, 4)}.size()), 3u);
    EXPECT_EQ(MarkAt(menu, 4), nullptr);
    // Blended onto the menu, light or dark: clear at the corner, solid inside, at the small
    // icon size of the prefix's 96 dpi.
    const std::vector<int> stop = MarkAlpha(MarkAt(menu, 2));
    ASSERT_EQ(stop.size(), 16u * 16u);
    EXPECT_EQ(stop.front(), 0);
    EXPECT_EQ(stop[8 * 16 + 8], 255);

    // Choosing the crashed session through the rendered menu's own identifier.
    RunMenuCommand(context, left.CommandFor(GetMenuItemID(menu, 2)).value());
    EXPECT_EQ(desktop.messages.at(0).text, "This session was crashed.");

    context.state.options.mRightOldest.enabled = false;
    context.state.options.mRightAuto.checked = true;
    const PopupMenu right(BuildRightMenu(context.state));
    menu = right.Handle();
    EXPECT_EQ(CaptionAt(menu, 2), L"Session &Chart...") << "right after the statistics";
    EXPECT_TRUE(StateAt(menu, 4) & MF_SEPARATOR);
    EXPECT_TRUE(StateAt(menu, 6) & MF_GRAYED) << "Erase Oldest Data";
    EXPECT_TRUE(StateAt(menu, 14) & MF_CHECKED) << "Start with Windows";
    EXPECT_FALSE(right.CommandFor(0)) << "a closed menu chooses nothing";

    HMENU statistics = GetSubMenu(menu, 1);
    EXPECT_EQ(CaptionAt(statistics, 6), L"Crashed Sessions:\t33.3%");
    EXPECT_TRUE(StateAt(statistics, 6) & MF_DISABLED);
    EXPECT_FALSE(StateAt(statistics, 6) & MF_GRAYED) << "figures read as plain text";

    // Their captions come from the session menus, whose unit tests read them.
    HMENU systems = GetSubMenu(menu, 0);
    EXPECT_TRUE(StateAt(systems, 2) & MF_CHECKED);
    EXPECT_EQ(right.CommandFor(GetMenuItemID(systems, 2)),
              (MenuCommand{MenuCommandKind::kSystemItem, 1}));
}

TEST_F(TrayTest, TheIconIsTheClockAndChangesEverySecondWhileAnimatedAndNotWhenTurnedOff) {
    // No owner window, so no icon in the shell: the test reads the picture it was handed.
    Win32TrayIcon shellTray(nullptr, UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))));
    MainContext withTray{{clock, files, registry, system, shellTray, window, window, desktop,
                          locale, http, zone, events, logLock, sessions, systemLog},
                         {}};
    withTray.state.options.mRightWithout.checked = true;  // no shell here to add the icon to
    withTray.state.options.mRightAnimated.checked = true;
    withTray.state.tray.animationLevel = 3;

    OnClockTimer(withTray);
    const auto first = ReadIcon(shellTray.Icon());
    // The small-icon size of the screen, 16 at the 96 dpi of the test's prefix: the dial
    // as it is drawn, pixel for pixel, not stretched.
    ASSERT_EQ(first.size(), 2u * 16 * 16) << "a colour icon and its mask at the icon size";
    // Transparent where the dial has the colour of its corner; the ring's silver step at
    // (2, 1), and the red second hand's end at twelve.
    EXPECT_EQ(first[16 * 16], RGB(255, 255, 255));
    EXPECT_EQ(first[1 * 16 + 2], RGB(192, 192, 192));
    EXPECT_EQ(first[1 * 16 + 7], RGB(255, 0, 0));

    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(withTray);
    const auto second = ReadIcon(shellTray.Icon());
    EXPECT_NE(first, second);

    withTray.state.options.mRightAnimated.checked = false;
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(withTray);
    EXPECT_EQ(ReadIcon(shellTray.Icon()), second);
}

TEST(ClockIcon, EachUpdateDestroysThePreviousIconAndEveryBitmapItMade) {
    ClockDial dial;
    HICON previous = nullptr;
    {
        ClockIcon clock;
        for (int second = 0; second < 120; ++second) {
            dial.Tick(10, second / 60, second % 60, 3);
            const HICON icon = clock.Update(dial.Picture(), 32);
            EXPECT_FALSE(ReadIcon(icon).empty()) << "update " << second;
            EXPECT_TRUE(ReadIcon(previous).empty()) << "update " << second;
            previous = icon;
        }
        // The icons are counted by their handles above.
        const GdiTally& tally = clock.Tally();
        EXPECT_EQ(tally.bitmapsCreated, 240);
        EXPECT_EQ(tally.bitmapsDeleted, tally.bitmapsCreated);
    }
    EXPECT_TRUE(ReadIcon(previous).empty()) << "the owner's end destroys the current icon";
}

}  // namespace
}  // namespace uptrail
