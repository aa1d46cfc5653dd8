#include "win32/shell/update_offer_window.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "app/commands/update_check.h"

namespace uptrail {
namespace {

// What the user presses and sees while the offer is up: a timer callback takes no context.
const wchar_t* pressed = nullptr;
std::wstring shown;
CHARFORMAT2W link{};

// Runs inside the offer's own message loop: reads the offer, then presses a button.
void CALLBACK ActOnOffer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND offer = FindWindowW(L"#32770", L"Uptrail");
    if (!offer) return;
    KillTimer(nullptr, timer);
    HWND text = FindWindowExW(offer, nullptr, MSFTEDIT_CLASS, nullptr);
    wchar_t buffer[256] = {};
    GetWindowTextW(text, buffer, 256);
    shown = buffer;
    const auto address = static_cast<LPARAM>(shown.find(L"https:"));
    SendMessageW(text, EM_SETSEL, static_cast<WPARAM>(address), address + 1);
    link.cbSize = sizeof link;
    SendMessageW(text, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&link));
    SendMessageW(FindWindowExW(offer, nullptr, L"Button", pressed), BM_CLICK, 0, 0);
}

TEST(UpdateOfferWindow, ShowsTheTextWithABlueUnderlinedAddressAndReportsDownload) {
    for (const bool download : {true, false}) {
        pressed = download ? L"Download" : L"Cancel";
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ActOnOffer);
        const bool chosen = ShowUpdateOfferWindow(
            GetModuleHandleW(nullptr), UpdateOfferRichText("6.0", "https://x.example/{setup}\\"));
        KillTimer(nullptr, timer);
        EXPECT_EQ(chosen, download) << pressed;
        EXPECT_EQ(shown,
                  L"Version 6.0 is now available to download:\r\nhttps://x.example/{setup}\\");
        EXPECT_EQ(link.crTextColor, RGB(0, 0, 255));
        EXPECT_TRUE(link.dwEffects & CFE_UNDERLINE);
    }
}

}  // namespace
}  // namespace uptrail
