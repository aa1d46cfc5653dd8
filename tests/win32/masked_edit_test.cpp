#include "win32/shell/masked_edit.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace uptrail {
namespace {

using Caret = std::pair<DWORD, DWORD>;
Caret At(DWORD position) { return {position, position}; }

// A hidden edit box, masked unless the mask is empty, that takes real keys.
struct Box {
    Box(const wchar_t* text, std::string_view mask)
        : edit(CreateWindowExW(0, L"EDIT", text, WS_POPUP | ES_AUTOHSCROLL, 0, 0, 200, 24, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr)) {
        EXPECT_TRUE(mask.empty() || MakeMaskedEdit(edit, mask));
    }
    ~Box() { DestroyWindow(edit); }
    std::wstring Text() const {
        wchar_t text[64]{};
        GetWindowTextW(edit, text, 64);
        return text;
    }
    Caret Selection() const {
        const auto both = static_cast<DWORD>(SendMessageW(edit, EM_GETSEL, 0, 0));
        return {LOWORD(both), HIWORD(both)};
    }
    void Select(int start, int end) const { SendMessageW(edit, EM_SETSEL, start, end); }
    void Type(wchar_t key) const { SendMessageW(edit, WM_CHAR, key, 1); }
    void Press(WPARAM key) const { SendMessageW(edit, WM_KEYDOWN, key, 1); }
    void Send(UINT message) const { SendMessageW(edit, message, 0, 0); }

    HWND edit;
};

TEST(MaskedEdit, TakesKeysPastesANewMaskAndTheProgramsOwnText) {
    Box box(L"0000:00:00", "####:##:00");
    const auto paste = [&](const wchar_t* text) {
        const Box plain(text, "");
        plain.Select(0, -1);
        plain.Send(WM_COPY);
        box.Send(WM_PASTE);
    };
    box.Select(0, 0);
    for (const wchar_t digit : std::wstring_view(L"12345")) box.Type(digit);
    EXPECT_EQ(box.Text(), L"1234:50:00") << "the 5 past the ':'";
    EXPECT_EQ(box.Selection(), At(6));
    for (const wchar_t refused : {L'a', L':', L' ', L'\x00B2'}) box.Type(refused);
    box.Type(L'6');
    EXPECT_EQ(box.Text(), L"1234:56:00");

    box.Select(5, 5);
    box.Type(VK_BACK);  // over the ':' onto the place before it
    EXPECT_EQ(box.Text(), L"1230:56:00");
    EXPECT_EQ(box.Selection(), At(3));
    box.Select(4, 4);
    box.Press(VK_DELETE);
    EXPECT_EQ(box.Text(), L"1230:06:00");
    box.Select(1, 7);
    box.Type(VK_BACK);
    EXPECT_EQ(box.Text(), L"1000:00:00");
    EXPECT_EQ(box.Selection(), At(1));
    box.Select(5, 7);  // a selection is typed over from its start
    box.Type(L'9');
    EXPECT_EQ(box.Text(), L"1000:90:00");

    box.Select(1, 1);
    paste(L"12:3");
    EXPECT_EQ(box.Text(), L"1123:90:00");
    EXPECT_EQ(box.Selection(), At(4));
    paste(L"98765");
    EXPECT_EQ(box.Text(), L"1123:98:00") << "digits beyond the last place are dropped";
    box.Select(0, 10);
    box.Send(WM_CUT);
    box.Send(WM_CLEAR);
    EXPECT_EQ(box.Text(), L"1123:98:00");
    const Box plain(L"", "");
    plain.Send(WM_PASTE);
    EXPECT_EQ(plain.Text(), L"1123:98:00") << "a cut still copies";

    SetMaskedEditMask(box.edit, "####:##:##");
    box.Select(7, 7);
    box.Type(L'5');
    EXPECT_EQ(box.Text(), L"1123:98:50") << "the seconds are places under the new mask";
    SetWindowTextW(box.edit, L"1:30");
    EXPECT_EQ(box.Text(), L"1:30") << "text the program sets is taken as it is";
    box.Select(0, 0);
    box.Type(L'9');
    EXPECT_EQ(box.Text(), L"9300:00:00") << "and put into the mask at the first key";
}

}  // namespace
}  // namespace uptrail
