#include "app/menu_tree.h"

#include <gtest/gtest.h>

namespace uptrail {
namespace {

std::vector<std::string> Captions(const std::vector<MenuNode>& nodes) {
    std::vector<std::string> captions;
    for (const MenuNode& node : nodes) captions.push_back(node.caption);
    return captions;
}

using Texts = std::vector<std::string>;

TEST(MenuTree, TheRightHandMenuHoldsEveryCommandInOrderWithoutTheInvisibleOnes) {
    MainState state;
    EXPECT_EQ(Captions(BuildRightMenu(state)),
              (Texts{"Syste&ms to show", "&Statistics", "Add-&on: Alarm", "-", "&Log Folder...",
                     "Erase Oldest &Data...", "Monitor from &Now...", "-", "We&bsite...",
                     "&Feedback...", "Check for &Update...", "&About...", "-",
                     "Start with &Windows", "Don't create Tray &Icon", "Animated &Tray Icon",
                     "&Hide Tray Icon", "E&xit"}));

    state.mRightWithout.visible = false;
    state.mRightHide.visible = false;
    state.mRightAuto.checked = true;
    state.mRightOldest.enabled = false;
    const auto menu = BuildRightMenu(state);
    ASSERT_EQ(menu.size(), 16u);
    EXPECT_EQ(menu[13].caption, "Start with &Windows");
    EXPECT_TRUE(menu[13].checked);
    EXPECT_EQ(menu[14].caption, "Animated &Tray Icon");
    EXPECT_FALSE(menu[5].enabled);
    EXPECT_FALSE(menu[5].plainText) << "a disabled command is greyed";
    EXPECT_EQ(menu[15].command.kind, MenuCommandKind::kExit);
}

TEST(MenuTree, TheLeftHandMenuListsTheSessionsWithTheirMarks) {
    MainState state;
    state.currentSessionCaption = " [Dec 06, 08:00 - Dec 06, 09:30]\t=  00d 01h 30m";
    state.sessionItems = {{"newest", "2"}, {"older", "1"}, {"oldest", "0"}};

    auto menu = BuildLeftMenu(state);
    EXPECT_EQ(Captions(menu), (Texts{state.currentSessionCaption, "-", "newest", "older",
                                     "oldest", "-", "Full &Log..."}));
    EXPECT_EQ(menu[2].mark, MenuMark::kStop);
    EXPECT_EQ(menu[3].mark, MenuMark::kExclamation);
    EXPECT_EQ(menu[4].mark, MenuMark::kNone);
    EXPECT_EQ(menu[3].command, (MenuCommand{MenuCommandKind::kSessionItem, 1}));
    EXPECT_EQ(menu[0].command.kind, MenuCommandKind::kNone);

    state.mLeftSeparator.visible = false;
    state.mLeftFull.visible = false;
    EXPECT_EQ(BuildLeftMenu(state).size(), 5u);
}

TEST(MenuTree, TheSystemsFilterSeparatesTheOwnSystemOnlyFromOthers) {
    MainState state;
    state.systemItems = {{"C:\\WINDOWS", "A//c:\\windows", true}};
    state.mListMode.checked = true;
    auto systems = BuildRightMenu(state)[0].children;
    EXPECT_EQ(Captions(systems), (Texts{"C:\\WINDOWS", "-", "&All Systems"}));
    EXPECT_TRUE(systems[2].checked);

    state.systemItems.push_back({"D:\\WINDOWS\t(Last Exit: x)", "B//d:\\windows", false});
    state.systemSeparatorVisible = true;
    systems = BuildRightMenu(state)[0].children;
    EXPECT_EQ(Captions(systems), (Texts{"C:\\WINDOWS", "-", "D:\\WINDOWS\t(Last Exit: x)", "-",
                                        "&All Systems"}));
    EXPECT_EQ(systems[2].command, (MenuCommand{MenuCommandKind::kSystemItem, 1}));
}

TEST(MenuTree, StatisticsReadAsPlainTextOnceTheLogHeldALine) {
    MainState state;
    auto statistics = BuildRightMenu(state)[1].children;
    ASSERT_EQ(statistics.size(), 10u);
    EXPECT_EQ(statistics[0].caption, "Statistics From:");
    EXPECT_TRUE(statistics[1].IsSeparator());
    EXPECT_TRUE(statistics[9].enabled);

    state.statisticsDisabled = true;
    statistics = BuildRightMenu(state)[1].children;
    EXPECT_FALSE(statistics[2].enabled);
    EXPECT_TRUE(statistics[2].plainText);
}

}  // namespace
}  // namespace uptrail
