// The tray's menus and clock as the real Win32 shell renders them, driven inside this
// process: menu handles cannot be read from another one.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/menu_commands.h"
#include "app/menu_tree.h"
#include "app/main_events.h"
#include "sessionlog/session_log.h"
#include "sessionlog/session_menus.h"
#include "support/fake_platform.h"
#include "support/memory_file_system.h"
#include "support/memory_registry.h"
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

HBITMAP MarkAt(HMENU menu, int position) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_CHECKMARKS;
    GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
    return info.hbmpUnchecked;
}

// Two systems, every cause, both systems shown.
class TrayMenusTest : public ::testing::Test {
protected:
    TrayMenusTest() {
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

    FakeClock clock;
    MemoryFileSystem files;
    MemoryRegistry registry;
    FakeSystemInfo system;
    FakeTrayIcon fakeTray;
    FakeMainWindow window;
    FakeDesktop desktop;
    FakeLocale locale;
    FakeHttpClient http;
    MainContext context{{clock, files, registry, system, fakeTray, window, desktop, locale, http}, {}};
};

TEST_F(TrayMenusTest, ASeededLogGivesTheSessionsWithTheirMarksNewestFirst) {
    const PopupMenu left(BuildLeftMenu(context.state));
    HMENU menu = left.Handle();
    ASSERT_EQ(GetMenuItemCount(menu), 5) << "current, separator, three sessions; the log fits";
    EXPECT_EQ(CaptionAt(menu, 2),
              L" [Dec 03, 09:00 - Dec 03, 18:45]\t=  00d 09h 45m  ....  C:\\WINDOWS");
    EXPECT_EQ(CaptionAt(menu, 3),
              L" [Dec 02, 08:10 - Dec 02, 12:00]\t=  00d 03h 50m  ....  - D:\\WINDOWS");
    EXPECT_NE(MarkAt(menu, 2), nullptr);
    EXPECT_NE(MarkAt(menu, 3), nullptr);
    EXPECT_EQ(MarkAt(menu, 4), nullptr);

    // Choosing the crashed session through the rendered menu's own identifier.
    const auto chosen = left.CommandFor(GetMenuItemID(menu, 2));
    ASSERT_TRUE(chosen);
    RunMenuCommand(context, *chosen);
    ASSERT_EQ(desktop.messages.size(), 1u);
    EXPECT_EQ(desktop.messages[0].text, "This session was crashed.");
    EXPECT_EQ(desktop.messages[0].icon, MessageIcon::kStop);
}

TEST_F(TrayMenusTest, TheStatisticsAndTheSystemsFilterAreRendered) {
    const PopupMenu right(BuildRightMenu(context.state));
    HMENU statistics = GetSubMenu(right.Handle(), 1);
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(CaptionAt(statistics, 0), L"Statistics From:\tDec 01, 2026");
    EXPECT_EQ(CaptionAt(statistics, 5), L"Crashed Sessions:\t33.3%");
    const UINT state = GetMenuState(statistics, 5, MF_BYPOSITION);
    EXPECT_TRUE(state & MF_DISABLED);
    EXPECT_FALSE(state & MF_GRAYED);

    HMENU systems = GetSubMenu(right.Handle(), 0);
    ASSERT_NE(systems, nullptr);
    EXPECT_EQ(CaptionAt(systems, 0), L"C:\\WINDOWS");
    EXPECT_TRUE(GetMenuState(systems, 0, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(CaptionAt(systems, 2).rfind(L"- D:\\WINDOWS\t(Last Exit: ", 0), 0u);
    EXPECT_TRUE(GetMenuState(systems, 2, MF_BYPOSITION) & MF_CHECKED);
}

// The colour bits of an icon, to tell two pictures apart.
std::vector<std::uint32_t> IconPixels(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return {};
    BITMAP bitmap{};
    GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = bitmap.bmWidth;
    format.bmiHeader.biHeight = -bitmap.bmHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(bitmap.bmWidth * bitmap.bmHeight));
    HDC screen = GetDC(nullptr);
    GetDIBits(screen, info.hbmColor, 0, static_cast<UINT>(bitmap.bmHeight), pixels.data(), &format,
              DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return pixels;
}

TEST(TrayClockOnWindows, TheIconChangesEverySecondWhileAnimatedAndNotWhenTurnedOff) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    Win32TrayIcon tray(owner, LoadIconW(nullptr, IDI_APPLICATION));
    FakeClock clock;
    clock.now = MakeDateTime(2026, 12, 6, 9, 30, 0);
    MemoryFileSystem files;
    MemoryRegistry registry;
    FakeSystemInfo system;
    FakeMainWindow window;
    FakeDesktop desktop;
    FakeLocale locale;
    FakeHttpClient http;
    MainContext context{{clock, files, registry, system, tray, window, desktop, locale, http}, {}};
    context.state.mRightAnimated.checked = true;
    context.state.animationLevel = 3;
    context.state.mRightWithout.checked = true;  // no shell here to add the icon to

    OnClockTimer(context);
    const auto first = IconPixels(tray.Icon());
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(context);
    const auto second = IconPixels(tray.Icon());
    ASSERT_FALSE(first.empty());
    EXPECT_NE(first, second);

    context.state.mRightAnimated.checked = false;
    HICON kept = tray.Icon();
    clock.Advance(std::chrono::seconds(1));
    OnClockTimer(context);
    EXPECT_EQ(tray.Icon(), kept);
    EXPECT_EQ(IconPixels(tray.Icon()), second);
    DestroyWindow(owner);
}

}  // namespace
}  // namespace uptrail
