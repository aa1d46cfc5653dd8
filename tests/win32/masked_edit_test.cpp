#include "win32/masked_edit.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace uptrail {
namespace {

constexpr int kEditId = 7;

// A hidden top-level window holding one edit control, counting the EN_CHANGE
// notifications that the edit sends it.
class BoxOnAWindow {
public:
    BoxOnAWindow(const wchar_t* text, std::string_view mask) {
        static const ATOM windowClass = RegisterParentClass();
        parent_ = CreateWindowExW(0, MAKEINTATOM(windowClass), L"masked box test", WS_OVERLAPPEDWINDOW,
                                  0, 0, 300, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetWindowLongPtrW(parent_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&changes_));
        edit_ = CreateWindowExW(0, L"EDIT", text, WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 10, 10, 200,
                                24, parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                GetModuleHandleW(nullptr), nullptr);
        made_ = MakeMaskedEdit(edit_, mask);
    }
    ~BoxOnAWindow() { DestroyWindow(parent_); }
    BoxOnAWindow(const BoxOnAWindow&) = delete;
    BoxOnAWindow& operator=(const BoxOnAWindow&) = delete;

    HWND Edit() const { return edit_; }
    bool Made() const { return made_; }

    std::wstring Text() const {
        wchar_t text[64]{};
        GetWindowTextW(edit_, text, 64);
        return text;
    }

    std::pair<DWORD, DWORD> Selection() const {
        DWORD start = 0;
        DWORD end = 0;
        SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
        return {start, end};
    }

    void Select(int start, int end) const { SendMessageW(edit_, EM_SETSEL, start, end); }
    void Type(wchar_t key) const { SendMessageW(edit_, WM_CHAR, key, 1); }
    void Press(WPARAM key) const { SendMessageW(edit_, WM_KEYDOWN, key, 1); }

    // The EN_CHANGE notifications since the last call.
    int TakeChanges() { return std::exchange(changes_, 0); }

private:
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_COMMAND && LOWORD(wParam) == kEditId && HIWORD(wParam) == EN_CHANGE) {
            if (auto* changes = reinterpret_cast<int*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
                ++*changes;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    static ATOM RegisterParentClass() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = ParentProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"UptrailMaskedBoxTest";
        return RegisterClassW(&windowClass);
    }

    HWND parent_ = nullptr;
    HWND edit_ = nullptr;
    bool made_ = false;
    int changes_ = 0;
};

using Caret = std::pair<DWORD, DWORD>;
Caret At(DWORD position) { return {position, position}; }

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool placed = false;
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!placed) GlobalFree(memory);
    }
    CloseClipboard();
    return placed;
}

std::wstring ClipboardText(HWND owner) {
    std::wstring text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

TEST(MaskedEdit, DigitsOverwriteThePlacesAndEverythingElseIsRefusedWithoutANotification) {
    BoxOnAWindow box(L"0000:00:00", "####:##:00");
    ASSERT_TRUE(box.Made());
    box.Select(0, 0);
    box.TakeChanges();

    for (const wchar_t digit : std::wstring_view(L"1234")) box.Type(digit);
    EXPECT_EQ(box.Text(), L"1234:00:00");
    EXPECT_EQ(box.Selection(), At(4));
    EXPECT_EQ(box.TakeChanges(), 4);

    box.Type(L'5');  // past the ':'
    EXPECT_EQ(box.Text(), L"1234:50:00");
    EXPECT_EQ(box.Selection(), At(6));
    EXPECT_EQ(box.TakeChanges(), 1);

    for (const wchar_t refused : {L'a', L':', L' ', L'\x00B2'}) box.Type(refused);
    EXPECT_EQ(box.Text(), L"1234:50:00");
    EXPECT_EQ(box.Selection(), At(6));
    EXPECT_EQ(box.TakeChanges(), 0);

    box.Type(L'6');
    box.Type(L'7');  // only fixed text is left
    EXPECT_EQ(box.Text(), L"1234:56:00");
    EXPECT_EQ(box.Selection(), At(7));
    EXPECT_EQ(box.TakeChanges(), 1);

    box.Select(5, 7);  // a selection is typed over from its start
    box.Type(L'9');
    EXPECT_EQ(box.Text(), L"1234:96:00");
    EXPECT_EQ(box.Selection(), At(6));
}

TEST(MaskedEdit, BackspaceAndDeletePutZerosIntoPlacesAndNeverShortenTheText) {
    BoxOnAWindow box(L"1234:56:00", "####:##:00");
    ASSERT_TRUE(box.Made());
    box.Select(5, 5);
    box.TakeChanges();

    box.Type(VK_BACK);  // over the ':' onto the place before it
    EXPECT_EQ(box.Text(), L"1230:56:00");
    EXPECT_EQ(box.Selection(), At(3));
    EXPECT_EQ(box.TakeChanges(), 1);

    box.Select(4, 4);
    box.Press(VK_DELETE);
    EXPECT_EQ(box.Text(), L"1230:06:00");
    EXPECT_EQ(box.Selection(), At(6));

    box.Select(1, 7);
    box.Type(VK_BACK);
    EXPECT_EQ(box.Text(), L"1000:00:00");
    EXPECT_EQ(box.Selection(), At(1));

    box.Select(0, 0);
    box.Type(VK_BACK);
    box.Select(7, 10);
    box.Press(VK_DELETE);
    EXPECT_EQ(box.Text(), L"1000:00:00");
    EXPECT_EQ(box.TakeChanges(), 2) << "the Delete and the Backspace over a selection";
}

TEST(MaskedEdit, PastesDigitsFromTheCaretAndCutAndClearChangeNothing) {
    BoxOnAWindow box(L"0000:45:00", "####:##:00");
    ASSERT_TRUE(box.Made());
    ASSERT_TRUE(PutOnClipboard(box.Edit(), L"12:3"));
    box.Select(1, 1);
    box.TakeChanges();

    SendMessageW(box.Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(box.Text(), L"0123:45:00");
    EXPECT_EQ(box.Selection(), At(4));
    EXPECT_EQ(box.TakeChanges(), 1);

    ASSERT_TRUE(PutOnClipboard(box.Edit(), L"98765"));
    box.Select(4, 4);
    SendMessageW(box.Edit(), WM_PASTE, 0, 0);
    EXPECT_EQ(box.Text(), L"0123:98:00") << "digits beyond the last place are dropped";

    box.Select(0, 10);
    SendMessageW(box.Edit(), WM_CUT, 0, 0);
    SendMessageW(box.Edit(), WM_CLEAR, 0, 0);
    EXPECT_EQ(box.Text(), L"0123:98:00");
    EXPECT_EQ(ClipboardText(box.Edit()), L"0123:98:00") << "a cut still copies";
}

TEST(MaskedEdit, TakesANewMaskAndTheProgramsOwnText) {
    BoxOnAWindow box(L"0012:34:00", "####:##:00");
    ASSERT_TRUE(box.Made());
    box.Select(7, 7);
    box.Type(L'5');
    EXPECT_EQ(box.Text(), L"0012:34:00") << "no seconds under the first mask";

    SetMaskedEditMask(box.Edit(), "####:##:##");
    box.Type(L'5');
    EXPECT_EQ(box.Text(), L"0012:34:50");
    EXPECT_EQ(box.Selection(), At(9));

    SetWindowTextW(box.Edit(), L"1:30");
    EXPECT_EQ(box.Text(), L"1:30") << "text the program sets is taken as it is";
    box.Select(0, 0);
    box.Type(L'9');
    EXPECT_EQ(box.Text(), L"9300:00:00") << "and put into the mask at the first key";
    EXPECT_EQ(box.Selection(), At(1));

    EXPECT_FALSE(MakeMaskedEdit(nullptr, "##"));
}

}  // namespace
}  // namespace uptrail
