#include "win32/shell/popup_menu.h"

#include "win32/platform/dpi.h"
#include "win32/platform/wide_text.h"
#include "win32/shell/menu_mark.h"

namespace uptrail {
namespace {

// Disabled but drawn as ordinary text: MF_DISABLED without MF_GRAYED.
constexpr UINT kPlainTextState = MF_DISABLED;

UINT StateOf(const MenuNode& node) {
    UINT state = node.checked ? MFS_CHECKED : MFS_UNCHECKED;
    if (!node.enabled) state |= node.plainText ? kPlainTextState : MFS_GRAYED;
    return state;
}

// The mark of a session at the size of a small icon where the menu opens, the
// notification area's monitor; loaded at that size, so it is drawn, never stretched.
[[nodiscard]] UniqueBitmap SystemMark(LPCWSTR name) {
    const int size = SystemMetricForDpi(SM_CXSMICON, TaskbarDpi());
    // Shared: the system's icons are never destroyed.
    HICON icon = static_cast<HICON>(LoadImageW(nullptr, name, IMAGE_ICON, size, size, LR_SHARED));
    return MenuMarkBitmap(icon, size);
}

[[nodiscard]] UniqueBitmap ProgramMark() {
    const int size = SystemMetricForDpi(SM_CXSMICON, TaskbarDpi());
    // The program's own icon, resource 1 of the running executable.
    const UniqueIcon icon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0)));
    return MenuMarkBitmap(icon.get(), size);
}

}  // namespace

PopupMenu::PopupMenu(const std::vector<MenuNode>& items) { menu_ = Build(items); }

UniqueMenu PopupMenu::Build(const std::vector<MenuNode>& items) {
    UniqueMenu menu(CreatePopupMenu());
    if (!menu) return menu;
    // One column for the check marks and the marks: an item has one or the other.
    MENUINFO info{};
    info.cbSize = sizeof info;
    info.fMask = MIM_STYLE;
    info.dwStyle = MNS_CHECKORBMP;
    SetMenuInfo(menu.get(), &info);
    for (const MenuNode& node : items) Append(menu.get(), node);
    return menu;
}

HBITMAP PopupMenu::MarkBitmap(MenuMark mark) {
    if (mark == MenuMark::kStop) {
        if (!stopMark_) stopMark_ = SystemMark(IDI_HAND);
        return stopMark_.get();
    }
    if (mark == MenuMark::kExclamation) {
        if (!exclamationMark_) exclamationMark_ = SystemMark(IDI_EXCLAMATION);
        return exclamationMark_.get();
    }
    if (mark == MenuMark::kRepeat) {
        if (!repeatMark_) repeatMark_ = ProgramMark();
        return repeatMark_.get();
    }
    return nullptr;
}

void PopupMenu::Append(HMENU menu, const MenuNode& node) {
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    if (node.IsSeparator()) {
        item.fMask = MIIM_FTYPE;
        item.fType = MFT_SEPARATOR;
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
        return;
    }
    std::wstring caption = WideFromAnsi(node.caption);
    item.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_STATE | MIIM_ID;
    item.fType = MFT_STRING;
    item.dwTypeData = caption.data();
    item.fState = StateOf(node);
    // The item's bitmap, not the check-mark bitmaps: only it is blended by its alpha.
    if (HBITMAP mark = MarkBitmap(node.mark)) {
        item.fMask |= MIIM_BITMAP;
        item.hbmpItem = mark;
    }
    UniqueMenu submenu;
    if (!node.children.empty()) {
        submenu = Build(node.children);
        item.fMask |= MIIM_SUBMENU;
        item.hSubMenu = submenu.get();
    } else if (node.command.kind != MenuCommandKind::kNone) {
        commands_.push_back(node.command);
        item.wID = static_cast<UINT>(commands_.size());
    }
    const int position = GetMenuItemCount(menu);
    // Once inserted, the submenu belongs to the menu, which destroys it with itself.
    if (InsertMenuItemW(menu, position, TRUE, &item)) static_cast<void>(submenu.release());
}

std::optional<MenuCommand> PopupMenu::CommandFor(UINT id) const {
    if (id == 0 || id > commands_.size()) return std::nullopt;
    return commands_[id - 1];
}

std::optional<MenuCommand> PopupMenu::Track(HWND owner, std::optional<POINT> at) const {
    if (!menu_) return std::nullopt;
    POINT pointer{};
    if (at)
        pointer = *at;
    else
        GetCursorPos(&pointer);
    // Also what gives a menu opened from the keyboard the focus, so that its access keys
    // work at once: the shell lets the icon's owner take the foreground for its events.
    SetForegroundWindow(owner);
    const UINT flags = TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY;
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu_.get(), flags, pointer.x, pointer.y, 0, owner, nullptr));
    PostMessageW(owner, WM_NULL, 0, 0);
    return CommandFor(chosen);
}

}  // namespace uptrail
