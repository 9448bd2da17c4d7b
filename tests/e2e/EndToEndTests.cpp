// The real program under Wine: it starts, shows its main window under the application's title,
// and ends cleanly when the window is closed, leaving no process behind.
#include "tests/e2e/ProgramDriver.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

namespace {

int CountProcesses(const wchar_t* exeName)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok; ok = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, exeName) == 0)
            ++count;
    CloseHandle(snapshot);
    return count;
}

} // namespace

TEST(EndToEnd, TheProgramShowsItsMainWindowAndEndsWhenItIsClosed)
{
    {
        e2e::TProgram program;
        ASSERT_TRUE(program.Started()) << "cannot start the program, error " << GetLastError();
        HWND main = program.Main();
        EXPECT_NE(main, nullptr) << "no visible top-level window titled \"Cihaz Test\" appeared";
        if (main != nullptr) {
            EXPECT_EQ(e2e::WindowText(GetWindow(main, GW_OWNER)), L"Caller ID Test")
                << "the taskbar button carries the application title";
            EXPECT_TRUE(e2e::IsTopMost(main)) << "the main window stays on top";
        }
        EXPECT_TRUE(program.Close()) << "the program did not end with exit code 0 after its window was closed";
    }
    EXPECT_EQ(CountProcesses(L"CallerIdTest.exe"), 0) << "a process of the program was left behind";
}
