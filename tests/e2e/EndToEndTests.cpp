// The real program under Wine: it starts, shows its main window, and ends cleanly when the
// window is closed; with a scripted simulated device its Test page lists the calls (a
// screenshot of the page and of the whole desktop goes to build/<flavour>/screenshots).
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <fstream>
#include <string>
#include <vector>

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

// Starts the program as a user would, without arguments.
bool StartProgram(PROCESS_INFORMATION& pi)
{
    std::wstring path = ProgramPath();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring commandLine = L"\"" + path + L"\"";
    return CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi) !=
           FALSE;
}

// Waits for the program to end by itself; one that does not is ended so that it outlives no test.
bool WaitForEnd(const PROCESS_INFORMATION& pi)
{
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0)
        return true;
    TerminateProcess(pi.hProcess, 99);
    return false;
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

// Writes the screen's pixels inside `r` as a 24-bit BMP file.
bool SaveScreenRect(const RECT& r, const std::string& path)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return false;
    BITMAPINFOHEADER bi{};
    bi.biSize = sizeof(bi);
    bi.biWidth = w;
    bi.biHeight = h;
    bi.biPlanes = 1;
    bi.biBitCount = 24;
    bi.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    BITMAPFILEHEADER bf{};
    bf.bfType = 0x4D42;
    bf.bfOffBits = sizeof(bf) + sizeof(bi);
    bf.bfSize = bf.bfOffBits + stride * h;
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&bf), sizeof(bf));
    out.write(reinterpret_cast<const char*>(&bi), sizeof(bi));
    out.write(static_cast<const char*>(bits), stride * h);
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(dib);
    ReleaseDC(nullptr, screen);
    return out.good();
}

BOOL CALLBACK CollectText(HWND child, LPARAM param)
{
    // Called by Windows: nothing may unwind through the enumeration.
    try {
        wchar_t text[1024] = {};
        SendMessageTimeoutW(child, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
        if (text[0] != 0)
            reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

// The texts of the child windows that have text (edits and buttons; labels have no window).
std::vector<std::wstring> ChildTexts(HWND parent)
{
    std::vector<std::wstring> texts;
    EnumChildWindows(parent, CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

} // namespace

TEST(EndToEnd, TheProgramShowsItsMainWindowAndEndsWhenItIsClosed)
{
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(StartProgram(pi)) << "cannot start the program, error " << GetLastError();
    HWND main = WaitForWindow(L"Cihaz Test", 20000);
    EXPECT_NE(main, nullptr) << "no visible top-level window titled \"Cihaz Test\" appeared";
    if (main != nullptr) {
        wchar_t appTitle[64] = {};
        GetWindowTextW(GetWindow(main, GW_OWNER), appTitle, 64);
        EXPECT_STREQ(appTitle, L"Caller ID Test") << "the taskbar button carries the application title";
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(WaitForEnd(pi)) << "the program did not end after its main window was closed";
    DWORD exitCode = 12345;
    GetExitCodeProcess(pi.hProcess, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(CountProcesses(L"CallerIdTest.exe"), 0) << "a process of the program was left behind";
}

TEST(EndToEnd, TheTestPageListsTheCallsOfAScriptedDevice)
{
    // Seven calls, so the list shows its sliding window of six, and levels on all four lines.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring script = std::wstring(temp) + L"callerid-e2e.sim";
    {
        std::ofstream out(script.c_str(), std::ios::binary);
        out << "at 100 plug DLX-4 10004711\n"
               "at 200 levels 3 15 27 40\n";
        const char* numbers[] = {"05321234567", "02124445566", "03122223344", "\"0 (232) 444 55 66\"",
                                 "+905057778899", "4441444", "05559998877"};
        for (int i = 0; i < 7; ++i)
            out << "at " << 300 + 150 * i << " call " << (i % 4) + 1 << " " << numbers[i] << " \"08.12 10:0" << i
                << ":00\" ignored\n";
    }
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", script.c_str());

    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(StartProgram(pi)) << "cannot start the program, error " << GetLastError();
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", nullptr);
    HWND main = WaitForWindow(L"Cihaz Test", 20000);
    EXPECT_NE(main, nullptr) << "no visible top-level window titled \"Cihaz Test\" appeared";
    if (main != nullptr) {
        // The script's last call comes 1.2 s after Start; the first polls have run by 3 s.
        Sleep(3000);
        std::vector<std::wstring> texts = ChildTexts(main);
        bool notices = false;
        for (const std::wstring& t : texts) {
            if (t.find(L"Cihaz ile ilgili ba\u015fka program") == 0)
                notices = true;
            EXPECT_EQ(t.find(L":'"), std::wstring::npos) << "no error was logged in the notice box";
        }
        EXPECT_TRUE(notices) << "the notice box shows its two lines";
        RECT window;
        GetWindowRect(main, &window);
        EXPECT_TRUE(SaveScreenRect(window, CALLERID_SCREENSHOTS "/e2e-test-page.bmp"));
        RECT desktop;
        GetWindowRect(GetDesktopWindow(), &desktop);
        EXPECT_TRUE(SaveScreenRect(desktop, CALLERID_SCREENSHOTS "/e2e-desktop.bmp"));
        PostMessageW(main, WM_CLOSE, 0, 0);
    }
    EXPECT_TRUE(WaitForEnd(pi)) << "the program did not end after its main window was closed";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    DeleteFileW(script.c_str());
}
