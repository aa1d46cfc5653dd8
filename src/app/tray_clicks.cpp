#include "app/tray_clicks.h"

#include <utility>

namespace uptrail {

TrayAction TrayClicks::On(TrayEvent event, TrayProtocol protocol) {
    switch (event) {
    case TrayEvent::kPointerMove: return TrayAction::kUpdateTip;
    case TrayEvent::kLeftButtonUp:
        // The button-up that ends a double click opens nothing.
        return std::exchange(doubleClicked_, false) ? TrayAction::kNone
                                                    : TrayAction::kSessionMenuAfterDoubleClickTime;
    case TrayEvent::kLeftDoubleClick: doubleClicked_ = true; return TrayAction::kAboutBox;
    case TrayEvent::kRightButtonUp:
        return protocol == TrayProtocol::kVersion4 ? TrayAction::kNone : TrayAction::kMainMenu;
    case TrayEvent::kContextMenu: return TrayAction::kMainMenu;
    // A keyboard user has no double click to wait for.
    case TrayEvent::kKeySelect: return TrayAction::kSessionMenuNow;
    case TrayEvent::kMouseSelect:
    case TrayEvent::kOther: return TrayAction::kNone;
    }
    return TrayAction::kNone;
}

}  // namespace uptrail
