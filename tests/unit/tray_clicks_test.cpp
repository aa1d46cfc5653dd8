#include "app/tray_clicks.h"

#include <gtest/gtest.h>

#include <vector>

namespace uptrail {
namespace {

using E = TrayEvent;
using A = TrayAction;

// The shells report the same clicks differently; each click or key still does one thing.
// The button-up that ends a double click opens nothing, the click after it does; a key
// select after a double click is no button-up, so the double click's end still waits.
TEST(TrayClicks, EachClickOrKeyDoesOneThingUnderEitherProtocol) {
    constexpr auto kLegacy = TrayProtocol::kLegacy;
    constexpr auto kModern = TrayProtocol::kVersion4;
    constexpr auto kMenuSoon = A::kSessionMenuAfterDoubleClickTime;
    const struct {
        TrayProtocol protocol;
        std::vector<std::pair<E, A>> steps;  // each event and what it makes the program do
    } cases[] = {
        {kLegacy, {{E::kLeftButtonUp, kMenuSoon}, {E::kRightButtonUp, A::kMainMenu}}},
        {kLegacy, {{E::kPointerMove, A::kUpdateTip}, {E::kOther, A::kNone}}},
        {kModern, {{E::kRightButtonUp, A::kNone}, {E::kContextMenu, A::kMainMenu}}},
        {kModern,
         {{E::kLeftButtonUp, kMenuSoon},
          {E::kMouseSelect, A::kNone},
          {E::kLeftDoubleClick, A::kAboutBox},
          {E::kLeftButtonUp, A::kNone},
          {E::kMouseSelect, A::kNone},
          {E::kLeftButtonUp, kMenuSoon}}},
        {kModern,
         {{E::kLeftDoubleClick, A::kAboutBox},
          {E::kKeySelect, A::kSessionMenuNow},
          {E::kLeftButtonUp, A::kNone}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << &c - cases);
        TrayClicks clicks;
        for (std::size_t i = 0; i < c.steps.size(); ++i)
            EXPECT_EQ(clicks.On(c.steps[i].first, c.protocol), c.steps[i].second) << "event " << i;
    }
}

}  // namespace
}  // namespace uptrail
