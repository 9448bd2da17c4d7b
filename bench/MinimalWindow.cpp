// The start-up floor: the smallest program that shows a window, built like the program (same
// compiler, static run-time, windows subsystem). Reports its first complete paint and exits.
#include "StartupProbe.h"

#include <windows.h>

namespace {

LRESULT CALLBACK Proc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        TextOutW(dc, 8, 8, L"Caller ID Test", 14);
        EndPaint(wnd, &ps);
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    bench::MarkStartupStep("entry point (process, DLLs, static objects)");
    WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    wc.lpszClassName = L"MinimalWindow";
    RegisterClassW(&wc);
    HWND wnd = CreateWindowExW(0, L"MinimalWindow", L"Caller ID Test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                               560, 420, nullptr, nullptr, instance, nullptr);
    ShowWindow(wnd, SW_SHOWNORMAL);
    bench::MarkStartupStep("main window shown");
    bench::ReportFirstCompletePaint();
    DestroyWindow(wnd);
    return 0;
}
