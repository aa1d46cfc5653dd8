#include "win32/update_offer_window.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "commands/update_check.h"

namespace uptrail {
namespace {

// What the user does and sees while the offer is up. A timer callback takes no context,
// hence the one visit at a time.
struct Visit {
    const wchar_t* button = nullptr;
    std::wstring text;
    CHARFORMAT2W link{};
};
Visit* currentVisit = nullptr;

// Runs inside the offer's own message loop: reads the offer, then presses a button.
void CALLBACK ActOnOffer(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND offer = FindWindowW(L"#32770", L"Uptrail");
    if (!offer) return;
    KillTimer(nullptr, timer);
    HWND text = FindWindowExW(offer, nullptr, MSFTEDIT_CLASS, nullptr);
    wchar_t shown[256] = {};
    GetWindowTextW(text, shown, 256);
    currentVisit->text = shown;

    const auto link = static_cast<LPARAM>(currentVisit->text.find(L"https:"));
    SendMessageW(text, EM_SETSEL, static_cast<WPARAM>(link), link + 1);
    currentVisit->link.cbSize = sizeof currentVisit->link;
    SendMessageW(text, EM_GETCHARFORMAT, SCF_SELECTION,
                 reinterpret_cast<LPARAM>(&currentVisit->link));

    SendMessageW(FindWindowExW(offer, nullptr, L"Button", currentVisit->button), BM_CLICK, 0, 0);
}

TEST(UpdateOfferWindow, ShowsTheTextWithABlueUnderlinedAddressAndReportsDownload) {
    for (const bool download : {true, false}) {
        Visit visit;
        visit.button = download ? L"Download" : L"Cancel";
        currentVisit = &visit;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ActOnOffer);

        const bool chosen = ShowUpdateOfferWindow(
            GetModuleHandleW(nullptr), UpdateOfferRichText("6.0", "https://x.example/{setup}\\"));

        KillTimer(nullptr, timer);
        EXPECT_EQ(chosen, download) << visit.button;
        EXPECT_EQ(visit.text,
                  L"Version 6.0 is now available to download:\r\nhttps://x.example/{setup}\\");
        EXPECT_EQ(visit.link.crTextColor, RGB(0, 0, 255));
        EXPECT_TRUE(visit.link.dwEffects & CFE_UNDERLINE);
    }
}

}  // namespace
}  // namespace uptrail
