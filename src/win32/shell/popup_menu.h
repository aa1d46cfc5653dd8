#pragma once
#include <windows.h>

#include <optional>
#include <vector>

#include "app/menu_tree.h"
#include "win32/platform/unique_handle.h"

namespace uptrail {

// A menu model rendered as a real popup menu. The menu and the bitmaps of its marks live
// as long as this object; a menu is built afresh each time it opens, so it always shows
// the current state.
class PopupMenu {
public:
    explicit PopupMenu(const std::vector<MenuNode>& items);

    HMENU Handle() const { return menu_.get(); }

    // The command of a menu identifier, as TrackPopupMenu returns it.
    [[nodiscard]] std::optional<MenuCommand> CommandFor(UINT id) const;

    // Shows the menu at the pointer and gives the chosen command, if any. The owner comes
    // to the foreground first and gets a WM_NULL afterwards, or the menu of a tray icon
    // would not close when the user clicks elsewhere.
    [[nodiscard]] std::optional<MenuCommand> Track(HWND owner,
                                                   std::optional<POINT> at = std::nullopt) const;

private:
    [[nodiscard]] UniqueMenu Build(const std::vector<MenuNode>& items);
    void Append(HMENU menu, const MenuNode& node);
    [[nodiscard]] HBITMAP MarkBitmap(MenuMark mark);

    // A menu item shows a mark bitmap but never owns it. The marks are declared before the
    // menu, so the menu goes first.
    UniqueBitmap stopMark_;
    UniqueBitmap exclamationMark_;
    UniqueBitmap repeatMark_;
    std::vector<MenuCommand> commands_;  // identifier k + 1 runs commands_[k]
    UniqueMenu menu_;
};

}  // namespace uptrail
