// The real program under Wine: it starts, shows its main window, and ends cleanly when the
// window is closed.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <string>

namespace {

// The build passes the program's path as a Unix path; Wine sees the Unix root as drive Z:.
std::wstring ProgramPath()
{
    std::string unixPath = CALLERID_EXE;
    std::wstring path = L"Z:";
    for (char c : unixPath)
        path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
    return path;
}

HWND WaitForWindow(const wchar_t* title, DWORD timeoutMs)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        HWND wnd = FindWindowW(nullptr, title);
        if (wnd != nullptr && IsWindowVisible(wnd))
            return wnd;
        Sleep(50);
    }
    return nullptr;
}

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
    std::wstring path = ProgramPath();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::wstring commandLine = L"\"" + path + L"\"";
    ASSERT_TRUE(CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << "cannot start the program, error " << GetLastError();
    HWND main = WaitForWindow(L"Cihaz Test", 20000);
    EXPECT_NE(main, nullptr) << "no visible top-level window titled \"Cihaz Test\" appeared";
    if (main != nullptr) {
        wchar_t appTitle[64] = {};
        GetWindowTextW(GetWindow(main, GW_OWNER), appTitle, 64);
        EXPECT_STREQ(appTitle, L"Caller ID Test") << "the taskbar button carries the application title";
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    DWORD waited = WaitForSingleObject(pi.hProcess, 20000);
    if (waited != WAIT_OBJECT_0)
        TerminateProcess(pi.hProcess, 99);
    EXPECT_EQ(waited, WAIT_OBJECT_0) << "the program did not end after its main window was closed";
    DWORD exitCode = 12345;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(CountProcesses(L"CallerIdTest.exe"), 0) << "a process of the program was left behind";
}
