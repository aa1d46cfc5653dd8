#include "win32/shell/masked_edit.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <optional>
#include <string>

#include "alarm/masked_text.h"

namespace uptrail {
namespace {

constexpr UINT_PTR kMaskedBoxId = 1;

// What each masked box keeps; owned by the box's subclass, freed when the box goes.
struct MaskedBox {
    std::string mask;
};

// The box's text as the mask functions read it. Beyond ASCII nothing is a digit, so any
// such character may stand for all of them; the mask supplies the fixed text anyway.
std::string MaskTextFromWide(std::wstring_view text) {
    std::string narrow(text.size(), '?');
    std::transform(text.begin(), text.end(), narrow.begin(),
                   [](wchar_t c) { return c < 0x80 ? static_cast<char>(c) : '?'; });
    return narrow;
}

std::wstring WideFromMaskText(std::string_view text) {
    std::wstring wide(text.size(), L'\0');
    std::transform(text.begin(), text.end(), wide.begin(),
                   [](char c) { return static_cast<wchar_t>(static_cast<unsigned char>(c)); });
    return wide;
}

std::wstring WindowText(HWND edit) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    return text;
}

struct Selection {
    std::size_t start = 0;
    std::size_t end = 0;
};

Selection SelectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

void Select(HWND edit, std::size_t start, std::size_t end) {
    SendMessageW(edit, EM_SETSEL, start, static_cast<LPARAM>(end));
}

// Replaces only the characters that differ, so the view keeps its place and the parent
// hears of a change only when there is one, then puts the caret where the edit says.
void Show(HWND edit, const std::wstring& before, const MaskedEdit& after) {
    const std::wstring text = WideFromMaskText(after.text);
    if (text.size() != before.size()) {
        SetWindowTextW(edit, text.c_str());
    } else {
        const auto first = std::mismatch(text.begin(), text.end(), before.begin()).first;
        if (first != text.end()) {
            const auto last =
                std::mismatch(text.rbegin(), text.rend(), before.rbegin()).first.base();
            const std::wstring changed(first, last);
            Select(edit, static_cast<std::size_t>(first - text.begin()),
                   static_cast<std::size_t>(last - text.begin()));
            SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(changed.c_str()));
        }
    }
    Select(edit, after.caret, after.caret);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// Runs one edit of the mask functions on the box's text and selection; a refused key
// beeps and changes nothing.
template <typename EditFunction>
void Edit(HWND edit, const MaskedBox& box, EditFunction function) {
    const std::wstring before = WindowText(edit);
    const std::optional<MaskedEdit> after =
        function(box.mask, MaskTextFromWide(before), SelectionOf(edit));
    if (after)
        Show(edit, before, *after);
    else
        MessageBeep(MB_OK);
}

void TypeKey(HWND edit, const MaskedBox& box, wchar_t typed) {
    const char key = typed < 0x80 ? static_cast<char>(typed) : '?';
    Edit(edit, box, [key](std::string_view mask, std::string_view text, Selection selection) {
        return TypeIntoMask(mask, text, selection.start, key);
    });
}

void Erase(HWND edit, const MaskedBox& box, bool backward) {
    Edit(edit, box, [backward](std::string_view mask, std::string_view text, Selection selection) {
        if (selection.start < selection.end)
            return EraseRangeInMask(mask, text, selection.start, selection.end);
        return EraseInMask(mask, text, selection.start, backward);
    });
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
    if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            // The clipboard's text need not end where its memory does.
            text.assign(chars, wcsnlen(chars, GlobalSize(data) / sizeof(wchar_t)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void Paste(HWND edit, const MaskedBox& box) {
    const std::string pasted = MaskTextFromWide(ClipboardText(edit));
    Edit(edit, box, [&pasted](std::string_view mask, std::string_view text, Selection selection) {
        return PasteIntoMask(mask, text, selection.start, pasted);
    });
}

bool Pressed(int key) { return GetKeyState(key) < 0; }

// Asks a masked box to take the mask at lParam (a std::string_view); a box answers TRUE,
// any other window 0. The mask lives in the subclass, which comctl32 lets us set but, in
// the import libraries we link, not look up.
UINT SetMaskMessage() {
    static const UINT message = RegisterWindowMessageW(L"Uptrail.MaskedBox.SetMask");
    return message;
}

LRESULT CALLBACK MaskedBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    auto& box = *reinterpret_cast<MaskedBox*>(data);
    if (message == SetMaskMessage() && message != 0) {
        box.mask = *reinterpret_cast<const std::string_view*>(lParam);
        return TRUE;
    }
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
        if (wParam == VK_BACK) {
            Erase(edit, box, true);
            return 0;
        }
        // Other control characters are the edit's shortcuts (copy, paste, select all),
        // which come back to us as the messages below.
        if (wParam < L' ') break;
        TypeKey(edit, box, static_cast<wchar_t>(wParam));
        return 0;
    case WM_KEYDOWN:
        // The edit deletes, cuts and pastes for these keys without a message of its own.
        if (wParam == VK_DELETE) {
            if (Pressed(VK_SHIFT))
                SendMessageW(edit, WM_CUT, 0, 0);
            else
                Erase(edit, box, false);
            return 0;
        }
        if (wParam == VK_INSERT && Pressed(VK_SHIFT) && !Pressed(VK_CONTROL)) {
            Paste(edit, box);
            return 0;
        }
        break;
    case WM_PASTE: Paste(edit, box); return 0;
    case WM_CUT: SendMessageW(edit, WM_COPY, 0, 0); return 0;
    case WM_CLEAR: return 0;
    case WM_UNDO:
    case EM_UNDO: return FALSE;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, MaskedBoxProc, kMaskedBoxId);
        delete &box;
        break;
    default: break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

bool MakeMaskedEdit(HWND edit, std::string_view mask) {
    if (!IsWindow(edit)) return false;
    if (SendMessageW(edit, SetMaskMessage(), 0, reinterpret_cast<LPARAM>(&mask))) return true;
    auto box = std::make_unique<MaskedBox>(MaskedBox{std::string(mask)});
    if (!SetWindowSubclass(edit, MaskedBoxProc, kMaskedBoxId,
                           reinterpret_cast<DWORD_PTR>(box.get())))
        return false;
    box.release();  // the subclass owns it until WM_NCDESTROY
    return true;
}

void SetMaskedEditMask(HWND edit, std::string_view mask) { MakeMaskedEdit(edit, mask); }

}  // namespace uptrail
