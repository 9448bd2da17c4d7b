// The desktop's shell starts anew while the program runs: its notification area has lost every
// icon and says so with the "TaskbarCreated" broadcast; the program puts its icon back, and the
// next call shows its balloon there.
//
// Wine 8 cannot restart the shell of a running desktop: ending the desktop's explorer takes the
// desktop's X window with it, a new "explorer /desktop" then fails (BadWindow), and Wine's
// explorer never broadcasts "TaskbarCreated". So the test does the two things a restarting
// shell does to a running program, through the shell's own interface: the icon is dropped from
// the notification area, and "TaskbarCreated" is broadcast to the top-level windows.
#include "tests/e2e/ProgramDriver.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <shellapi.h>

using namespace e2e;
using testsupport::Narrow;

namespace {

struct TIconSearch {
    DWORD ProcessId = 0;
    HWND Found = nullptr;
};

NOTIFYICONDATAW IconOf(HWND wnd)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = wnd;
    data.uID = 1; // the program's only icon, the first one it created
    return data;
}

// Whether the notification area holds the icon: changing nothing succeeds only for an icon it has.
bool ShellHasIcon(HWND wnd)
{
    NOTIFYICONDATAW data = IconOf(wnd);
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

BOOL CALLBACK FindIconWindow(HWND wnd, LPARAM param)
{
    // Called by Windows: nothing may unwind through the enumeration.
    try {
        auto* search = reinterpret_cast<TIconSearch*>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        if (pid == search->ProcessId && ShellHasIcon(wnd)) {
            search->Found = wnd;
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// The program's window that owns its icon in the notification area, or nullptr.
HWND ProgramIconWindow(DWORD processId)
{
    TIconSearch search{processId, nullptr};
    EnumWindows(FindIconWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

bool BalloonShows(const std::wstring& number)
{
    std::wstring text;
    return FindBalloon(text) != nullptr && text == number;
}

} // namespace

TEST(EndToEnd, AfterTheShellStartsAnewTheTrayIconIsBackAndTheNextCallShowsItsBalloon)
{
    TProgram program("at 1000 plug DLX-4 10004711\n"
                     "at 2000 call 1 05321234567\n"
                     "at 9000 call 2 02124445566\n");
    ASSERT_TRUE(program.Started()) << "cannot start the program, error " << GetLastError();
    ASSERT_NE(program.Main(), nullptr) << "no visible window titled \"Cihaz Test\" appeared";
    ASSERT_TRUE(WaitUntil([] { return BalloonShows(L"05321234567"); })) << "the first call shows no balloon";
    HWND iconWindow = ProgramIconWindow(program.ProcessId());
    ASSERT_NE(iconWindow, nullptr) << "the notification area holds no icon of the program";

    NOTIFYICONDATAW icon = IconOf(iconWindow);
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &icon)) << "the icon could not be taken from the notification area";
    ASSERT_FALSE(ShellHasIcon(iconWindow)) << "the notification area still holds the icon";
    SaveDesktopShot("tray-restart-1-icon-gone");

    SendNotifyMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return ShellHasIcon(iconWindow); }, 10000))
        << "the program did not put its icon back after \"TaskbarCreated\"";

    EXPECT_TRUE(WaitUntil([] { return BalloonShows(L"02124445566"); }))
        << "the call after the restart shows no balloon";
    SaveDesktopShot("tray-restart-2-icon-back-with-balloon");
    EXPECT_TRUE(program.Close()) << "the program did not end cleanly after its window was closed";
}
