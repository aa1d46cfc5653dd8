// The main window's own handling of its life as a Win32 window; what it does for the user
// is driven through the real program by the end-to-end tests.
#include <windows.h>
#include <gtest/gtest.h>

#include "support/fake_main_context.h"
#include "win32/shell/main_window.h"

namespace uptrail {
namespace {

// What the window answers, once WM_DESTROY has been handled, when asked for its caption's
// length: a message that still arrives then must reach the window it was sent to.
HWND destroyedWindow = nullptr;
LRESULT captionLengthAfterDestroy = -1;

LRESULT CALLBACK AfterEachMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->hwnd == destroyedWindow && sent->message == WM_DESTROY)
        captionLengthAfterDestroy = SendMessageW(sent->hwnd, WM_GETTEXTLENGTH, 0, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(ProgramWindow, MessagesAfterItsDestructionBeganStillReachTheWindowTheyWereSentTo) {
    testing::FakeMainContext machine;
    MainWindow window(GetModuleHandleW(nullptr));
    ASSERT_TRUE(window.Create());
    window.MarkAsRunningCopy();
    window.Start(machine.context);

    destroyedWindow = window.Handle();
    HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROCRET, AfterEachMessage, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    DestroyWindow(window.Handle());
    UnhookWindowsHookEx(hook);

    EXPECT_EQ(captionLengthAfterDestroy, static_cast<LRESULT>(wcslen(L"Uptrail Tamsk")));
    EXPECT_EQ(window.Handle(), nullptr);
    // The window asked the message loop to end; no other test runs one here.
    MSG quit;
    while (PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

}  // namespace
}  // namespace uptrail
