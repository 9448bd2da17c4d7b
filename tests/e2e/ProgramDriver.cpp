// Driving the real program from outside its process: start, find, read, click, screenshot.
#include "tests/e2e/ProgramDriver.h"

#include "tests/support/AccessibleClient.h"

#include <commctrl.h>
#include <oleacc.h>
#include <tlhelp32.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <utility>

namespace e2e {

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

void EnsureCom()
{
    // The tests run on one thread; an accessibility client is an ordinary apartment.
    static const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)hr;
}

TAccElement Describe(IAccessible* acc, long id)
{
    TAccElement e;
    e.Name = testsupport::AccName(acc, id);
    VARIANT v;
    VariantInit(&v);
    if (SUCCEEDED(acc->get_accRole(testsupport::ChildId(id), &v)) && v.vt == VT_I4)
        e.Role = v.lVal;
    VariantClear(&v);
    if (SUCCEEDED(acc->get_accState(testsupport::ChildId(id), &v)) && v.vt == VT_I4)
        e.State = v.lVal;
    VariantClear(&v);
    long x = 0, y = 0, w = 0, h = 0;
    if (acc->accLocation(&x, &y, &w, &h, testsupport::ChildId(id)) == S_OK)
        e.Location = RECT{x, y, x + w, y + h};
    return e;
}

// Wine's COM can hang a program for good when the last stub of an interface it handed out goes
// (its registration waits for calls the program's own thread would have to serve). The tests make
// and drop many accessible objects; one object of each interface they are handed (IAccessible,
// and IDispatch for a row) is kept for as long as the test process runs, so that the program's
// registrations never end while it runs. They are never released: a release after the program
// ended would wait for a process that is gone.
void KeepOneOfEach(IAccessible* table)
{
    static auto* kept = new std::map<DWORD, std::pair<ui::TComPtr<IAccessible>, ui::TComPtr<IDispatch>>>();
    HWND wnd = nullptr;
    DWORD pid = 0;
    if (FAILED(WindowFromAccessibleObject(table, &wnd)) || GetWindowThreadProcessId(wnd, &pid) == 0)
        return;
    auto& [object, row] = (*kept)[pid];
    if (!object)
        object = ui::TComPtr<IAccessible>(table);
    if (!row)
        table->get_accChild(testsupport::ChildId(1), row.Put());
}

bool ClientObject(HWND wnd, IAccessible** acc)
{
    EnsureCom();
    if (FAILED(AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                          reinterpret_cast<void**>(acc))) ||
        *acc == nullptr)
        return false;
    KeepOneOfEach(*acc);
    return true;
}

std::vector<std::wstring> CellNames(IAccessible* row)
{
    std::vector<std::wstring> cells;
    long count = 0;
    row->get_accChildCount(&count);
    for (long i = 1; i <= count; ++i)
        cells.push_back(testsupport::AccName(row, i));
    return cells;
}

} // namespace

std::vector<uint32_t> ScreenPixels(const RECT& r)
{
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0)
        return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> pixels;
    HDC screen = GetDC(nullptr);
    void* bits = nullptr;
    if (HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0)) {
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, dib);
        if (BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY)) {
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            pixels.assign(p, p + static_cast<size_t>(w) * h);
        }
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(dib);
    }
    ReleaseDC(nullptr, screen);
    return pixels;
}

namespace {

bool WriteBmp(HDC screen, const RECT& r, const std::string& path)
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
    HBITMAP dib = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib == nullptr)
        return false;
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
    return out.good();
}

struct TWindowSearch {
    DWORD ProcessId = 0;
    std::wstring Title;
    std::wstring ClassName;
    std::function<bool(HWND)> Accept;
    HWND Found = nullptr;
};

BOOL CALLBACK SearchWindow(HWND wnd, LPARAM data)
{
    // Called by Windows: nothing may unwind through the enumeration.
    try {
        auto* search = reinterpret_cast<TWindowSearch*>(data);
        if (search->Accept(wnd)) {
            search->Found = wnd;
            return FALSE;
        }
        return TRUE;
    } catch (...) {
        return FALSE;
    }
}

std::wstring ClassOf(HWND wnd)
{
    wchar_t name[256] = {};
    GetClassNameW(wnd, name, 256);
    return name;
}

} // namespace

bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
}

// --- the program -----------------------------------------------------------------------------

TProgram::TProgram(const std::string& script, const std::wstring& localAppData)
{
    std::wstring appData = localAppData;
    if (appData.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        appData = std::wstring(temp) + L"callerid-e2e-appdata-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(appData.c_str(), nullptr);
    }
    SetEnvironmentVariableW(L"LOCALAPPDATA", appData.c_str());
    if (!script.empty()) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        FScriptPath = std::wstring(temp) + L"callerid-e2e-" + std::to_wstring(GetCurrentProcessId()) + L".sim";
        std::ofstream(FScriptPath.c_str(), std::ios::binary) << script;
        SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", FScriptPath.c_str());
    }
    const std::wstring path = ProgramPath();
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    std::wstring commandLine = L"\"" + path + L"\"";
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &FProcess))
        FProcess = PROCESS_INFORMATION{};
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", nullptr);
}

TProgram::~TProgram()
{
    if (Started()) {
        if (WaitForSingleObject(FProcess.hProcess, 0) != WAIT_OBJECT_0)
            Close();
        if (WaitForSingleObject(FProcess.hProcess, 0) != WAIT_OBJECT_0)
            TerminateProcess(FProcess.hProcess, 99);
        CloseHandle(FProcess.hThread);
        CloseHandle(FProcess.hProcess);
    }
    if (!FScriptPath.empty())
        DeleteFileW(FScriptPath.c_str());
}

HWND TProgram::Main()
{
    if (FMain == nullptr && Started())
        WaitUntil([&] { return (FMain = FindProcessWindow(ProcessId(), L"Cihaz Test")) != nullptr; });
    return FMain;
}

bool TProgram::Close()
{
    if (!Started())
        return false;
    if (FMain != nullptr && IsWindow(FMain))
        PostMessageW(FMain, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(FProcess.hProcess, 20000) != WAIT_OBJECT_0) {
        TerminateProcess(FProcess.hProcess, 99);
        WaitForSingleObject(FProcess.hProcess, 5000);
        return false;
    }
    DWORD exitCode = 12345;
    GetExitCodeProcess(FProcess.hProcess, &exitCode);
    return exitCode == 0;
}

// --- windows ---------------------------------------------------------------------------------

HWND FindProcessWindow(DWORD processId, const std::wstring& title)
{
    TWindowSearch search;
    search.Accept = [&](HWND wnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        return pid == processId && IsWindowVisible(wnd) && WindowText(wnd) == title;
    };
    EnumWindows(SearchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindProcessWindowOfClass(DWORD processId, const std::wstring& className)
{
    TWindowSearch search;
    search.Accept = [&](HWND wnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        return pid == processId && IsWindowVisible(wnd) && ClassOf(wnd) == className;
    };
    EnumWindows(SearchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::function<bool(const std::wstring&)>& accept)
{
    TWindowSearch search;
    search.Accept = [&](HWND wnd) { return ClassOf(wnd) == className && (!accept || accept(WindowText(wnd))); };
    EnumChildWindows(parent, SearchWindow, reinterpret_cast<LPARAM>(&search));
    return search.Found;
}

std::wstring WindowText(HWND wnd)
{
    std::wstring text(4096, L'\0');
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(wnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             5000, &length))
        return {};
    text.resize(length);
    return text;
}

bool IsTopMost(HWND wnd) { return (GetWindowLongPtrW(wnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

bool IsAbove(HWND upper, HWND lower)
{
    for (HWND wnd = GetWindow(lower, GW_HWNDPREV); wnd != nullptr; wnd = GetWindow(wnd, GW_HWNDPREV))
        if (wnd == upper)
            return true;
    return false;
}

bool SaveDesktopShot(const std::string& name)
{
    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    HDC screen = GetDC(nullptr);
    const bool ok = WriteBmp(screen, desktop, CALLERID_SCREENSHOTS "/" + name + ".bmp");
    ReleaseDC(nullptr, screen);
    return ok;
}

bool SaveWindowShot(HWND wnd, const std::string& name)
{
    RECT r;
    GetWindowRect(wnd, &r);
    HDC screen = GetDC(nullptr);
    const bool ok = WriteBmp(screen, r, CALLERID_SCREENSHOTS "/" + name + ".bmp");
    ReleaseDC(nullptr, screen);
    return ok;
}

// --- accessibility ---------------------------------------------------------------------------

bool ReadAccessible(HWND wnd, TAccElement& self, std::vector<TAccElement>& children)
{
    ui::TComPtr<IAccessible> acc;
    if (!ClientObject(wnd, acc.Put()))
        return false;
    self = Describe(acc.Get(), CHILDID_SELF);
    long count = 0;
    if (FAILED(acc->get_accChildCount(&count)))
        return false;
    children.clear();
    for (long i = 1; i <= count; ++i)
        children.push_back(Describe(acc.Get(), i));
    return true;
}

bool ReadGrid(HWND grid, TGridView& view)
{
    ui::TComPtr<IAccessible> table;
    if (!ClientObject(grid, table.Put()))
        return false;
    long count = 0;
    if (FAILED(table->get_accChildCount(&count)) || count < 1)
        return false;
    view = TGridView{};
    for (long i = 1; i <= count; ++i) {
        ui::TComPtr<IAccessible> row = testsupport::AccChildObject(table.Get(), i);
        if (!row)
            return false;
        if (i == 1) {
            view.Header = CellNames(row.Get());
            for (long c = 1; c <= static_cast<long>(view.Header.size()); ++c)
                view.HeaderLefts.push_back(Describe(row.Get(), c).Location.left);
        } else {
            view.Rows.push_back(CellNames(row.Get()));
            view.RowNames.push_back(testsupport::AccName(row.Get(), CHILDID_SELF));
        }
    }
    ui::TBStr value;
    table->get_accValue(testsupport::ChildId(CHILDID_SELF), value.Put());
    view.CurrentCell = value.Str();
    return true;
}

std::vector<std::vector<std::wstring>> TextLines(std::vector<TAccElement> elements)
{
    std::sort(elements.begin(), elements.end(), [](const TAccElement& a, const TAccElement& b) {
        return a.Location.top != b.Location.top ? a.Location.top < b.Location.top : a.Location.left < b.Location.left;
    });
    std::vector<std::vector<TAccElement>> lines;
    for (const TAccElement& e : elements) {
        if (!lines.empty() && e.Location.top < lines.back().front().Location.bottom)
            lines.back().push_back(e);
        else
            lines.push_back({e});
    }
    std::vector<std::vector<std::wstring>> texts;
    for (auto& line : lines) {
        std::sort(line.begin(), line.end(),
                  [](const TAccElement& a, const TAccElement& b) { return a.Location.left < b.Location.left; });
        texts.emplace_back();
        for (const TAccElement& e : line)
            texts.back().push_back(e.Name);
    }
    return texts;
}

// --- the shell -------------------------------------------------------------------------------

HWND FindBalloon(std::wstring& text)
{
    TWindowSearch search;
    search.Accept = [](HWND wnd) {
        return IsWindowVisible(wnd) && ClassOf(wnd) == TOOLTIPS_CLASSW &&
               (GetWindowLongPtrW(wnd, GWL_STYLE) & TTS_BALLOON) != 0;
    };
    EnumWindows(SearchWindow, reinterpret_cast<LPARAM>(&search));
    text = search.Found != nullptr ? WindowText(search.Found) : std::wstring();
    return search.Found;
}

std::vector<std::wstring> RecogniseText(const RECT& screen, const std::string& name)
{
    // Screenshots live at Z:<unix path>; the Linux side needs the path without the drive.
    const std::string windowsPath = CALLERID_SCREENSHOTS "/" + name;
    const std::string unixPath = windowsPath.substr(2);
    HDC dc = GetDC(nullptr);
    const bool saved = WriteBmp(dc, screen, windowsPath + ".bmp");
    ReleaseDC(nullptr, dc);
    if (!saved)
        return {};
    const std::string done = windowsPath + ".txt";
    DeleteFileA(done.c_str());
    // Four times larger, grey and sharpened: small dialog fonts are then read reliably. The result
    // is renamed only once complete, so its presence says recognition has ended.
    const std::string command = "Z:\\bin\\sh -c \"PATH=/usr/local/bin:/usr/bin:/bin; convert '" + unixPath +
                                ".bmp' -colorspace Gray -resize 400% -sharpen 0x1 '" + unixPath +
                                ".png' && tesseract '" + unixPath + ".png' '" + unixPath +
                                ".ocr' -l tur+eng --psm 6 >/dev/null 2>&1 && mv '" + unixPath + ".ocr.txt' '" +
                                unixPath + ".txt'\"";
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    std::string commandLine = command;
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return {};
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (!WaitUntil([&] { return GetFileAttributesA(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 30000))
        return {};
    std::ifstream in(done, std::ios::binary);
    std::vector<std::wstring> lines;
    std::string line;
    while (std::getline(in, line)) {
        const int size = MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0);
        std::wstring wide(size, L'\0');
        MultiByteToWideChar(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), wide.data(), size);
        if (!wide.empty())
            lines.push_back(wide);
    }
    return lines;
}

void ClickAt(HWND wnd, POINT screen)
{
    POINT client = screen;
    ScreenToClient(wnd, &client);
    const LPARAM at = MAKELPARAM(client.x, client.y);
    PostMessageW(wnd, WM_MOUSEMOVE, 0, at);
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(wnd, WM_LBUTTONUP, 0, at);
}

DWORD ShellProcessId()
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    DWORD pid = 0;
    for (BOOL ok = Process32FirstW(snapshot, &entry); ok && pid == 0; ok = Process32NextW(snapshot, &entry))
        if (_wcsicmp(entry.szExeFile, L"explorer.exe") == 0)
            pid = entry.th32ProcessID;
    CloseHandle(snapshot);
    return pid;
}

} // namespace e2e
