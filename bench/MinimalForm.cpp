// The start-up floor of the main window's content: the windows that the program's first paint
// shows (an application window, a stay-on-top main window with its icon, a tab control with
// four tabs, the "Test" page with its three group boxes, a list window, two memos, four
// progress bars, thirteen labels) and its notification-area icon, made with plain Win32 calls,
// linked to the program's libraries, with nothing of the program's class library. What Wine
// costs for these windows is a floor that no framework goes under; the device control is left
// out (it needs a container), so the floor is a little low. Reports like minimal_window.exe.
#include "StartupProbe.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

namespace {

HFONT gFont = nullptr, gLabelFont = nullptr;

struct TLabelSpec {
    int X, Y;
    const wchar_t* Text;
};

// One paint of `wnd`: its client area filled with the system colour `background`, `font`
// selected, then `draw(dc, client)`.
template <class TDraw>
void PaintWith(HWND wnd, int background, HFONT font, TDraw draw)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(wnd, &ps);
    RECT r;
    GetClientRect(wnd, &r);
    FillRect(dc, &r, GetSysColorBrush(background));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, font);
    draw(dc, r);
    SelectObject(dc, old);
    EndPaint(wnd, &ps);
}

// A group box as the program draws its own: background, etched frame, caption, labels.
LRESULT CALLBACK BoxProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PaintWith(wnd, COLOR_BTNFACE, gLabelFont, [wnd](HDC dc, RECT r) {
            r.top += 6;
            DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
            wchar_t caption[80];
            int length = GetWindowTextW(wnd, caption, 80);
            TextOutW(dc, 8, 0, caption, length);
            const auto* labels = reinterpret_cast<const TLabelSpec*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
            for (; labels != nullptr && labels->Text != nullptr; ++labels)
                TextOutW(dc, labels->X, labels->Y, labels->Text, lstrlenW(labels->Text));
        });
        return 0;
    }
    if (msg == WM_ERASEBKGND)
        return 1;
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

// The call list as a report grid draws it empty: header cells and the white area below.
LRESULT CALLBACK ListProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT) {
        PaintWith(wnd, COLOR_WINDOW, gFont, [](HDC dc, RECT r) {
            const wchar_t* titles[5] = {L"Hat", L"Tarih", L"Saat", L"Numara", L"Durum"};
            int width = (r.right - r.left) / 5;
            for (int c = 0; c < 5; ++c) {
                RECT cell{c * width, 0, (c + 1) * width, 20};
                DrawFrameControl(dc, &cell, DFC_BUTTON, DFCS_BUTTONPUSH);
                DrawTextW(dc, titles[c], -1, &cell, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            }
        });
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

HWND Child(const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, HWND parent,
           DWORD exStyle = 0)
{
    HWND wnd = CreateWindowExW(exStyle, cls, text, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, x, y, w, h,
                               parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(gFont), FALSE);
    return wnd;
}

void Register(const wchar_t* name, WNDPROC proc, HICON icon = nullptr)
{
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hIcon = icon;
    wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // the arrow
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
}

const TLabelSpec kStatusLabels[] = {{14, 19, L"Çağrı sayısı : "}, {153, 19, L"0"}, {14, 60, L"Durum :"},
                                    {70, 60, L"Bekleniyor"}, {14, 100, L"Model :"}, {0, 0, nullptr}};
const TLabelSpec kSignalLabels[] = {{10, 38, L"Hat 1"},  {10, 62, L"Hat 2"},  {10, 86, L"Hat 3"},
                                    {10, 110, L"Hat 4"}, {175, 38, L"0"},     {175, 62, L"0"},
                                    {175, 86, L"0"},     {175, 110, L"0"},    {0, 0, nullptr}};

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    bench::MarkStartupStep("entry point (process, DLLs, static objects)");
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                              ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    OleInitialize(nullptr);
    HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512)); // IDI_APPLICATION
    Register(L"FloorApplication", DefWindowProcW, icon);
    Register(L"FloorMain", DefWindowProcW);
    Register(L"FloorBox", BoxProc);
    Register(L"FloorList", ListProc);
    gFont = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    gLabelFont = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, TURKISH_CHARSET, 0, 0, 0, 0, L"Arial");
    HWND application = CreateWindowExW(0, L"FloorApplication", L"Cihaz Test", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                                       0, 0, 0, 0, nullptr, nullptr, instance, nullptr);
    bench::MarkStartupStep("application window");

    HWND main = CreateWindowExW(WS_EX_TOPMOST, L"FloorMain", L"Cihaz Test",
                                WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 560, 443,
                                application, nullptr, instance, nullptr);
    SendMessageW(main, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(main, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    RECT client;
    GetClientRect(main, &client);
    HWND tabs = Child(WC_TABCONTROLW, L"", WS_CLIPCHILDREN, 0, 0, client.right, client.bottom, main);
    const wchar_t* captions[4] = {L"Test", L"Bağlantı Kılavuzu !", L"Ayarlar", L"?"};
    for (int i = 0; i < 4; ++i) {
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(captions[i]);
        SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT display = client;
    SendMessageW(tabs, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
    HWND page = Child(L"FloorMain", L"Test", WS_CLIPCHILDREN, display.left, display.top,
                      display.right - display.left, display.bottom - display.top, tabs);
    HWND outer = Child(L"FloorBox", L"", WS_CLIPCHILDREN, 0, 0, 534, 371, page);
    Child(L"FloorList", L"", 0, 2, 15, 530, 170, outer, WS_EX_STATICEDGE);
    HWND memo = Child(L"EDIT", L"Cihaz ile ilgili başka program çalışıyorsa lütfen sonlandırınız.",
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL, 2, 185, 530, 48, outer, WS_EX_CLIENTEDGE);
    (void)memo;
    HWND status = Child(L"FloorBox", L"     Cihaz Modeli - Bağlantı Durumu   ", WS_CLIPCHILDREN, 2, 233, 319, 136,
                        outer);
    SetWindowLongPtrW(status, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kStatusLabels));
    Child(L"FloorMain", L"", 0, 280, 80, 26, 26, status); // where the device control sits
    HWND signal = Child(L"FloorBox", L"", WS_CLIPCHILDREN, 326, 233, 206, 136, outer);
    SetWindowLongPtrW(signal, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(kSignalLabels));
    for (int i = 0; i < 4; ++i) {
        HWND bar = Child(PROGRESS_CLASSW, L"", PBS_SMOOTH, 71, 40 + 24 * i, 99, 13, signal);
        SendMessageW(bar, PBM_SETRANGE32, 0, 30);
    }
    HWND hidden = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", WS_CHILD | ES_MULTILINE, 93, 53, 25, 17, signal,
                                  nullptr, instance, nullptr);
    (void)hidden;
    bench::MarkStartupStep("main window and its children");

    NOTIFYICONDATAW tray{};
    tray.cbSize = sizeof(tray);
    tray.hWnd = application;
    tray.uID = 1;
    tray.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
    tray.uCallbackMessage = WM_APP;
    tray.hIcon = icon;
    lstrcpyW(tray.szTip, L"Cihaz Test");
    Shell_NotifyIconW(NIM_ADD, &tray);
    bench::MarkStartupStep("notification-area icon");

    ShowWindow(application, SW_SHOWNOACTIVATE);
    ShowWindow(main, SW_SHOWNORMAL);
    bench::MarkStartupStep("main window shown");
    bench::ReportFirstCompletePaint();
    Shell_NotifyIconW(NIM_DELETE, &tray);
    DestroyWindow(main);
    DestroyWindow(application);
    DeleteObject(gFont);
    DeleteObject(gLabelFont);
    OleUninitialize();
    return 0;
}
