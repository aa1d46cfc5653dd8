#pragma once
#include <windows.h>

#include <optional>
#include <vector>

#include "app/menu_tree.h"

namespace uptrail {

// A menu model rendered as a real popup menu. The menu and the bitmaps of its marks live
// as long as this object; a menu is built afresh each time it opens, so it always shows
// the current state.
class PopupMenu {
public:
    explicit PopupMenu(const std::vector<MenuNode>& items);
    ~PopupMenu();
    PopupMenu(const PopupMenu&) = delete;
    PopupMenu& operator=(const PopupMenu&) = delete;

    HMENU Handle() const { return menu_; }

    // The command of a menu identifier, as TrackPopupMenu returns it.
    std::optional<MenuCommand> CommandFor(UINT id) const;

    // Shows the menu at the pointer and gives the chosen command, if any. The owner comes
    // to the foreground first and gets a WM_NULL afterwards, or the menu of a tray icon
    // would not close when the user clicks elsewhere.
    std::optional<MenuCommand> Track(HWND owner) const;

private:
    HMENU Build(const std::vector<MenuNode>& items);
    void Append(HMENU menu, const MenuNode& node);
    HBITMAP MarkBitmap(MenuMark mark);

    HMENU menu_ = nullptr;
    std::vector<MenuCommand> commands_;  // identifier k + 1 runs commands_[k]
    HBITMAP stopMark_ = nullptr;
    HBITMAP exclamationMark_ = nullptr;
    HBITMAP repeatMark_ = nullptr;
};

}  // namespace uptrail
