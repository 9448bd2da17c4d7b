// Helpers shared by the test programs: pumping real messages until something happens.
#include "tests/support/TestSupport.h"

#include "ui/core/SysUtils.h"

#include <windows.h>

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
    if (!SetCursorPos(x, y))
        return false;
    return PumpUntil(
        [&] {
            POINT p;
            return GetCursorPos(&p) && p.x == x && p.y == y;
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

} // namespace testsupport
