// Helpers shared by the test programs: pumping real messages until something happens.
#include "tests/support/TestSupport.h"

#include "ui/core/SysUtils.h"

#include <windows.h>
#include <shellapi.h>

namespace testsupport {

namespace {

void PumpOnce(DWORD waitMs)
{
    MSG msg;
    bool any = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        any = true;
        if (msg.message == WM_QUIT) {
            // Leave the quit for the code under test's own loop to find.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    if (!any)
        MsgWaitForMultipleObjects(0, nullptr, FALSE, waitMs, QS_ALLINPUT);
}

} // namespace

bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeoutMs)
            return condition();
        PumpOnce(10);
    }
}

bool MoveCursorTo(int x, int y, unsigned timeoutMs)
{
    // Wine answers GetCursorPos from its own record for about 100 ms after a change and asks the
    // X server after that, which may not have taken the move yet. The pointer has arrived when
    // answers stay at the place asked for past that while; a move not taken is made again.
    if (!SetCursorPos(x, y))
        return false;
    DWORD moved = GetTickCount();
    return PumpUntil(
        [&] {
            POINT p;
            if (!GetCursorPos(&p))
                return false;
            if (p.x != x || p.y != y) {
                SetCursorPos(x, y);
                moved = GetTickCount();
                return false;
            }
            return GetTickCount() - moved > 250;
        },
        timeoutMs);
}

void PumpFor(unsigned milliseconds)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds)
        PumpOnce(10);
}

std::string Narrow(const std::wstring& text) { return ui::WideToUtf8(text); }

std::wstring FreshTempFolder(const std::wstring& name)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"callerid-" + name + L"-" + std::to_wstring(GetCurrentProcessId());
    // Left over from an earlier run with the same process id: start empty.
    std::wstring from = folder;
    from.push_back(L'\0');
    from.push_back(L'\0');
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

std::wstring UsePrivateLocalAppData(const std::wstring& name)
{
    const std::wstring folder = FreshTempFolder(name);
    SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
    return folder;
}

} // namespace testsupport
