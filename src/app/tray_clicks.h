#pragma once

namespace uptrail {

// What the notification area reports about the icon, from the mouse or the keyboard.
enum class TrayEvent {
    kPointerMove,
    kLeftButtonUp,
    kLeftDoubleClick,
    kRightButtonUp,
    kMouseSelect,  // a click, reported once more by a shell that speaks version 4
    kKeySelect,    // Enter or Space on the icon, reached with Win+B and the arrow keys
    kContextMenu,  // Shift+F10 or the Application key; a right click too, in version 4
    kOther,
};

enum class TrayAction {
    kNone,
    kUpdateTip,
    kSessionMenuAfterDoubleClickTime,  // unless a double click follows
    kSessionMenuNow,
    kAboutBox,
    kMainMenu,
};

// How the shell reports an event: version 4 of the icon protocol reports a right click
// as a button-up and then as a context-menu request, and a left click as a button-up and
// then a select; the older protocol sends the button events alone.
enum class TrayProtocol { kLegacy, kVersion4 };

// Turns the icon's events into what the program does, so that a click opens its menu
// once, however the shell reports it.
class TrayClicks {
public:
    TrayAction On(TrayEvent event, TrayProtocol protocol);

private:
    bool doubleClicked_ = false;  // the next left button-up ends a double click
};

}  // namespace uptrail
