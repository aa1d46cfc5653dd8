// A DLL that e2e_driver hooks into Uptrail's user-interface thread, to look at what only
// the program's own process can see. Another process gets no font from WM_GETFONT (Wine
// does not carry font handles between processes, and Windows would not let it use one),
// so the text widths are measured here.
#include "e2e_probe.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "alarm/alarm_controls.h"
#include "alarm/masked_text.h"
#include "win32/platform/wide_text.h"
#include "win32/shell/alarm_window_controls.h"

namespace {

using uptrail::AlarmControlId;
using uptrail::AlarmPart;

std::wstring ClassOf(HWND control) {
    wchar_t name[32]{};
    GetClassNameW(control, name, 32);
    return name;
}

std::wstring TextOf(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return text;
}

// What a label shows of its caption: "&" marks the access key, "&&" is a plain "&".
std::wstring Shown(const std::wstring& caption) {
    std::wstring shown;
    for (std::size_t i = 0; i < caption.size(); ++i) {
        if (caption[i] == L'&' && i + 1 < caption.size()) ++i;
        shown += caption[i];
    }
    return shown;
}

int TextWidth(HWND control, const std::wstring& text) {
    HDC canvas = GetDC(control);
    HGDIOBJ previous =
        SelectObject(canvas, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(canvas, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(canvas, previous);
    ReleaseDC(control, canvas);
    return size.cx;
}

// The masks a box of the alarm window shows its values in; none for a free text box.
std::vector<std::string_view> MasksOf(HWND box) {
    const int id = GetDlgCtrlID(box);
    if (id == AlarmControlId(AlarmPart::tbShift))
        return {uptrail::kShiftMask, uptrail::kCountdownMask};
    if (id == AlarmControlId(AlarmPart::tbTime)) return {uptrail::kTimeMask};
    if (id == AlarmControlId(AlarmPart::tbRepeat)) return {uptrail::kRepeatMask};
    return {};
}

// A masked box's longest content is its mask filled with the widest digit of its font.
int WidestContent(HWND box) {
    const std::vector<std::string_view> masks = MasksOf(box);
    if (masks.empty()) return TextWidth(box, TextOf(box));
    int widest = 0;
    for (std::string_view mask : masks)
        for (char digit = '0'; digit <= '9'; ++digit)
            widest = std::max(
                widest, TextWidth(box, uptrail::WideFromAnsi(uptrail::MaskFilled(mask, digit))));
    return widest;
}

int LongestItem(HWND list) {
    int widest = 0;
    const auto count = static_cast<int>(SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::wstring item(static_cast<std::size_t>(SendMessageW(list, CB_GETLBTEXTLEN, i, 0)) + 1,
                          L'\0');
        item.resize(static_cast<std::size_t>(
            SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()))));
        widest = std::max(widest, TextWidth(list, item));
    }
    return widest;
}

// An edit draws its text only inside its formatting rectangle (its client area less
// its margins); a drop-down list only in its item area, beside the button.
int TextRoom(HWND control, const std::wstring& windowClass) {
    RECT room{};
    if (windowClass == L"Edit") {
        SendMessageW(control, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&room));
        return room.right - room.left;
    }
    COMBOBOXINFO list{};
    list.cbSize = sizeof list;
    if (windowClass == L"ComboBox" && GetComboBoxInfo(control, &list))
        return list.rcItem.right - list.rcItem.left;
    GetClientRect(control, &room);
    return room.right - room.left;
}

// One line per edit box, label and drop-down list: its identifier, the width of its
// longest content in its own font, and the width it has for text.
void WriteTextFit(HWND window, const std::filesystem::path& report) {
    std::ofstream out(report, std::ios::trunc);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const std::wstring windowClass = ClassOf(child);
        int longest = 0;
        if (windowClass == L"Edit")
            longest = WidestContent(child);
        else if (windowClass == L"Static")
            longest = TextWidth(child, Shown(TextOf(child)));
        else if (windowClass == L"ComboBox")
            longest = LongestItem(child);
        else
            continue;
        out << GetDlgCtrlID(child) << ' ' << longest << ' ' << TextRoom(child, windowClass) << ' '
            << uptrail::AnsiFromWide(windowClass) << '\n';
    }
}

// What Windows sends a window that has moved to a monitor at `dpi`: the resolution, and
// the window's rectangle scaled to it, in place. The rectangle must live in this process.
void SendDpiChange(HWND window, int dpi) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int old = static_cast<int>(GetDpiForWindow(window));
    rect.right = rect.left + MulDiv(rect.right - rect.left, dpi, old);
    rect.bottom = rect.top + MulDiv(rect.bottom - rect.top, dpi, old);
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&rect));
}

// The module that holds this object, that is the probe itself.
const char kInThisModule = 0;

HMODULE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<LPCWSTR>(&kInThisModule), &module);
    return module;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    ProbeHook(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == RegisterWindowMessageW(kTextFitMessage))
        WriteTextFit(message->hwnd, ProbeReport(ThisModule()));
    if (code == HC_ACTION && message->message == RegisterWindowMessageW(kDpiChangeMessage))
        SendDpiChange(message->hwnd, static_cast<int>(message->wParam));
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
