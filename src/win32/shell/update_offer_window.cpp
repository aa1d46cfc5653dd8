#include "win32/shell/update_offer_window.h"

#include <richedit.h>

#include <cstring>
#include <string>
#include <vector>

#include "base/version_info.h"
#include "win32/platform/dpi.h"
#include "win32/platform/wide_text.h"

namespace uptrail {
namespace {

// "Cancel" has the system's cancel number, so Esc and the close box choose it as well.
constexpr int kTextId = 100;
constexpr int kDownloadId = 101;
constexpr INT_PTR kDownloadChosen = 1;

// The layout in dialog units, which follow the dialog font and so the screen's DPI.
constexpr int kMargin = 7;
constexpr int kTextWidth = 230;
constexpr int kFallbackTextHeight = 20;  // two lines, should the control not say
constexpr int kButtonWidth = 50;
constexpr int kButtonHeight = 14;
constexpr int kButtonGap = 4;
constexpr WORD kFontPoints = 8;

struct OfferState {
    std::string richText;
    int textHeight = 0;  // what the text needs, in pixels, as the control reports it
};

// The rich edit control of the system; loaded once and kept for the life of the process.
[[nodiscard]] bool LoadRichEdit() {
    static const HMODULE module = LoadLibraryW(L"Msftedit.dll");
    return module != nullptr;
}

// An in-memory dialog template without controls: the window, its title and font. The
// controls are made when the dialog starts, sized to the text they have to show.
std::vector<WORD> OfferTemplate(std::wstring_view title) {
    DLGTEMPLATE header{};
    header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SHELLFONT;
    // Nothing else of the program is on screen to come up in front of.
    header.dwExtendedStyle = WS_EX_TOPMOST;
    std::vector<WORD> words(sizeof header / sizeof(WORD));
    std::memcpy(words.data(), &header, sizeof header);
    words.push_back(0);  // no menu
    words.push_back(0);  // the dialog class
    words.insert(words.end(), title.begin(), title.end());
    words.push_back(0);
    words.push_back(kFontPoints);
    constexpr std::wstring_view kFace = L"MS Shell Dlg";
    words.insert(words.end(), kFace.begin(), kFace.end());
    words.push_back(0);
    return words;
}

// Dialog units to pixels of this dialog.
RECT Units(HWND dialog, int left, int top, int width, int height) {
    RECT rect{left, top, left + width, top + height};
    MapDialogRect(dialog, &rect);
    return rect;
}

[[nodiscard]] HWND CreateChild(HWND dialog, const wchar_t* windowClass, const wchar_t* text,
                               DWORD style, int id) {
    HWND child = CreateWindowExW(
        0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, dialog,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    SendMessageW(child, WM_SETFONT, SendMessageW(dialog, WM_GETFONT, 0, 0), FALSE);
    return child;
}

void Place(HWND control, const RECT& rect) {
    SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The text, read-only on the dialog's own background; returns the height it needs.
int ShowText(HWND dialog, OfferState& state, const RECT& area) {
    HWND text = CreateChild(dialog, MSFTEDIT_CLASS, L"", ES_MULTILINE | ES_READONLY, kTextId);
    SendMessageW(text, EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(GetSysColor(COLOR_3DFACE)));
    SETTEXTEX format{ST_DEFAULT, CP_ACP};
    SendMessageW(text, EM_SETTEXTEX, reinterpret_cast<WPARAM>(&format),
                 reinterpret_cast<LPARAM>(state.richText.c_str()));
    Place(text, area);
    // The control reports the height its text needs through EN_REQUESTRESIZE.
    SendMessageW(text, EM_SETEVENTMASK, 0, ENM_REQUESTRESIZE);
    SendMessageW(text, EM_REQUESTRESIZE, 0, 0);
    SendMessageW(text, EM_SETEVENTMASK, 0, 0);
    const int height = state.textHeight > 0 ? state.textHeight
                                            : Units(dialog, 0, 0, 0, kFallbackTextHeight).bottom;
    Place(text, RECT{area.left, area.top, area.right, area.top + height});
    return height;
}

// Sizes the dialog to its content and centres it on the screen the mouse is on, where
// the user has just clicked the tray icon.
void FitAndCenter(HWND dialog, int clientWidth, int clientHeight) {
    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectForDpi(frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)),
                           static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                           WindowDpi(dialog));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void Build(HWND dialog, OfferState& state) {
    const RECT margins = Units(dialog, 0, 0, kMargin, kMargin);
    const RECT textArea = Units(dialog, kMargin, kMargin, kTextWidth, kFallbackTextHeight);
    const int textHeight = ShowText(dialog, state, textArea);

    const RECT button = Units(dialog, 0, 0, kButtonWidth, kButtonHeight);
    const RECT gap = Units(dialog, 0, 0, kButtonGap, 0);
    const int buttonTop = textArea.top + textHeight + margins.bottom;
    const int clientWidth = textArea.right + margins.right;
    const int downloadLeft = textArea.right - button.right;
    const int cancelLeft = downloadLeft - gap.right - button.right;
    HWND cancel =
        CreateChild(dialog, L"BUTTON", L"Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
    HWND download =
        CreateChild(dialog, L"BUTTON", L"Download", WS_TABSTOP | BS_PUSHBUTTON, kDownloadId);
    Place(cancel,
          RECT{cancelLeft, buttonTop, cancelLeft + button.right, buttonTop + button.bottom});
    Place(download,
          RECT{downloadLeft, buttonTop, downloadLeft + button.right, buttonTop + button.bottom});
    // Enter, like Esc, declines: a download starts only when "Download" is chosen itself.
    SendMessageW(dialog, DM_SETDEFID, IDCANCEL, 0);
    SetFocus(cancel);
    FitAndCenter(dialog, clientWidth, buttonTop + button.bottom + margins.bottom);
}

INT_PTR CALLBACK OfferProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        Build(dialog, *reinterpret_cast<OfferState*>(lParam));
        SetForegroundWindow(dialog);
        return FALSE;  // the focus is set
    }
    case WM_NOTIFY: {
        const auto* resize = reinterpret_cast<const REQRESIZE*>(lParam);
        auto* state = reinterpret_cast<OfferState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (!state || resize->nmhdr.idFrom != kTextId || resize->nmhdr.code != EN_REQUESTRESIZE)
            return FALSE;
        state->textHeight = resize->rc.bottom - resize->rc.top;
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == kDownloadId) EndDialog(dialog, kDownloadChosen);
        if (LOWORD(wParam) == IDCANCEL) EndDialog(dialog, 0);
        return TRUE;
    default: return FALSE;
    }
}

}  // namespace

bool ShowUpdateOfferWindow(HINSTANCE instance, std::string_view richText) {
    if (!LoadRichEdit()) return false;
    const std::vector<WORD> dialog = OfferTemplate(WideFromAnsi(kVersion.title));
    OfferState state{std::string(richText)};
    const INT_PTR chosen =
        DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()),
                                nullptr, OfferProc, reinterpret_cast<LPARAM>(&state));
    return chosen == kDownloadChosen;
}

}  // namespace uptrail
