#include "app/tray_clicks.h"

#include <gtest/gtest.h>

#include <vector>

namespace uptrail {
namespace {

using Event = TrayEvent;
using Action = TrayAction;

// What each event of a sequence makes the program do; kNone where it does nothing.
std::vector<Action> Actions(const std::vector<Event>& events, TrayProtocol protocol) {
    TrayClicks clicks;
    std::vector<Action> actions;
    for (Event event : events) actions.push_back(clicks.On(event, protocol));
    return actions;
}

// The shells report the same clicks differently; each click still does one thing.
TEST(TrayClicks, EachMouseClickDoesOneThingUnderEitherProtocol) {
    const auto legacy = TrayProtocol::kLegacy;
    const auto modern = TrayProtocol::kVersion4;
    EXPECT_EQ(Actions({Event::kLeftButtonUp}, legacy),
              (std::vector{Action::kSessionMenuAfterDoubleClickTime}));
    EXPECT_EQ(Actions({Event::kLeftButtonUp, Event::kMouseSelect}, modern),
              (std::vector{Action::kSessionMenuAfterDoubleClickTime, Action::kNone}));
    EXPECT_EQ(Actions({Event::kRightButtonUp}, legacy), (std::vector{Action::kMainMenu}));
    EXPECT_EQ(Actions({Event::kRightButtonUp, Event::kContextMenu}, modern),
              (std::vector{Action::kNone, Action::kMainMenu}));

    // The button-up that ends a double click opens nothing; the click after it does.
    const std::vector<Event> doubleClick{Event::kLeftButtonUp,    Event::kMouseSelect,
                                         Event::kLeftDoubleClick, Event::kLeftButtonUp,
                                         Event::kMouseSelect,     Event::kLeftButtonUp};
    EXPECT_EQ(
        Actions(doubleClick, modern),
        (std::vector{Action::kSessionMenuAfterDoubleClickTime, Action::kNone, Action::kAboutBox,
                     Action::kNone, Action::kNone, Action::kSessionMenuAfterDoubleClickTime}));
    EXPECT_EQ(Actions({Event::kPointerMove, Event::kOther}, legacy),
              (std::vector{Action::kUpdateTip, Action::kNone}));
}

TEST(TrayClicks, TheKeyboardOpensTheSessionMenuAtOnceAndTheMainMenuOnRequest) {
    const auto modern = TrayProtocol::kVersion4;
    EXPECT_EQ(Actions({Event::kKeySelect}, modern), (std::vector{Action::kSessionMenuNow}));
    EXPECT_EQ(Actions({Event::kContextMenu}, modern), (std::vector{Action::kMainMenu}));
    // A key select after a double click is no button-up: the double click's end still
    // waits for its own.
    EXPECT_EQ(Actions({Event::kLeftDoubleClick, Event::kKeySelect, Event::kLeftButtonUp}, modern),
              (std::vector{Action::kAboutBox, Action::kSessionMenuNow, Action::kNone}));
}

}  // namespace
}  // namespace uptrail
