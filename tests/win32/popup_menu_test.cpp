#include "win32/popup_menu.h"

#include <gtest/gtest.h>

#include <string>

namespace uptrail {
namespace {

std::wstring CaptionAt(HMENU menu, int position) {
    wchar_t text[256]{};
    GetMenuStringW(menu, static_cast<UINT>(position), text, 256, MF_BYPOSITION);
    return text;
}

UINT StateAt(HMENU menu, int position) {
    return GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION);
}

TEST(PopupMenu, RendersCaptionsValuesStatesAndSubmenus) {
    MainState state;
    state.systemItems = {{"C:\\WINDOWS", "A", true}};
    state.statistics[2] = "Average Session:\t00d 01h 30m";
    state.statisticsDisabled = true;
    state.mRightOldest.enabled = false;
    state.mRightAnimated.checked = true;
    state.mRightWithout.visible = false;
    state.mRightHide.visible = false;
    PopupMenu menu(BuildRightMenu(state));
    HMENU right = menu.Handle();

    ASSERT_EQ(GetMenuItemCount(right), 16);
    EXPECT_EQ(CaptionAt(right, 4), L"&Log Folder...");
    EXPECT_TRUE(StateAt(right, 5) & MF_GRAYED) << "Erase Oldest Data is greyed";
    EXPECT_TRUE(StateAt(right, 14) & MF_CHECKED) << "Animated Tray Icon";
    EXPECT_TRUE(GetMenuState(right, 3, MF_BYPOSITION) & MF_SEPARATOR);

    HMENU statistics = GetSubMenu(right, 1);
    ASSERT_NE(statistics, nullptr);
    EXPECT_EQ(CaptionAt(statistics, 2), L"Average Session:\t00d 01h 30m");
    const UINT figure = StateAt(statistics, 2);
    EXPECT_TRUE(figure & MF_DISABLED);
    EXPECT_FALSE(figure & MF_GRAYED) << "figures read as plain text";

    HMENU systems = GetSubMenu(right, 0);
    ASSERT_NE(systems, nullptr);
    EXPECT_TRUE(StateAt(systems, 0) & MF_CHECKED);
    EXPECT_EQ(menu.CommandFor(GetMenuItemID(systems, 0)),
              (MenuCommand{MenuCommandKind::kSystemItem, 0}));
    EXPECT_EQ(menu.CommandFor(GetMenuItemID(right, 15)), (MenuCommand{MenuCommandKind::kExit, 0}));
    EXPECT_FALSE(menu.CommandFor(0));
}

TEST(PopupMenu, GivesCrashedAndClosedSessionsTheirMarks) {
    MainState state;
    state.currentSessionCaption = "current";
    state.sessionItems = {{"crashed", "2"}, {"closed", "1"}, {"ended", "0"}};
    PopupMenu menu(BuildLeftMenu(state));

    const auto marks = [&](int position) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_CHECKMARKS;
        GetMenuItemInfoW(menu.Handle(), static_cast<UINT>(position), TRUE, &info);
        return info.hbmpUnchecked;
    };
    EXPECT_NE(marks(2), nullptr);
    EXPECT_NE(marks(3), nullptr);
    EXPECT_NE(marks(2), marks(3)) << "stop and exclamation are different pictures";
    EXPECT_EQ(marks(4), nullptr);
    EXPECT_EQ(CaptionAt(menu.Handle(), 2), L"crashed");
    EXPECT_EQ(menu.CommandFor(GetMenuItemID(menu.Handle(), 3)),
              (MenuCommand{MenuCommandKind::kSessionItem, 1}));
}

}  // namespace
}  // namespace uptrail
