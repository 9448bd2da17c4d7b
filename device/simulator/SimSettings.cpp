// The simulator's settings window: plug or unplug the device, ring a line, set the levels.
#include "device/simulator/SimControl.h"
#include "device/simulator/SimServer.h"

#include <algorithm>
#include <string>
#include <vector>

namespace dalvexsim {

namespace {

enum : int {
    kPlugged = 101,
    kModel,
    kSerial,
    kLine,
    kNumber,
    kRing,
    kLevel1,
    kLevel2,
    kLevel3,
    kLevel4,
    kSendLevels,
    kStatus,
};

std::wstring TextOf(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    int n = GetWindowTextLengthW(item);
    std::wstring text(n + 1, L'\0');
    GetWindowTextW(item, text.data(), n + 1);
    text.resize(n);
    return text;
}

HWND AddChild(HWND parent, const wchar_t* cls, const wchar_t* text, DWORD style, int x, int y, int w, int h, int id)
{
    HWND child = CreateWindowExW(wcscmp(cls, L"EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, cls, text,
                                 WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gModule, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return child;
}

void BuildContent(HWND wnd)
{
    AddChild(wnd, L"BUTTON", L"Device plugged in", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 200, 20, kPlugged);
    AddChild(wnd, L"STATIC", L"Model", 0, 10, 41, 45, 16, 0);
    AddChild(wnd, L"EDIT", L"DLX-4", ES_AUTOHSCROLL | WS_TABSTOP, 60, 38, 110, 21, kModel);
    AddChild(wnd, L"STATIC", L"Serial", 0, 180, 41, 40, 16, 0);
    AddChild(wnd, L"EDIT", L"10004711", ES_AUTOHSCROLL | WS_TABSTOP, 225, 38, 120, 21, kSerial);
    AddChild(wnd, L"STATIC", L"Line", 0, 10, 75, 45, 16, 0);
    AddChild(wnd, L"EDIT", L"1", ES_AUTOHSCROLL | WS_TABSTOP, 60, 72, 30, 21, kLine);
    AddChild(wnd, L"STATIC", L"Number", 0, 100, 75, 45, 16, 0);
    AddChild(wnd, L"EDIT", L"05321234567", ES_AUTOHSCROLL | WS_TABSTOP, 150, 72, 120, 21, kNumber);
    AddChild(wnd, L"BUTTON", L"Ring", BS_PUSHBUTTON | WS_TABSTOP, 280, 71, 65, 23, kRing);
    AddChild(wnd, L"STATIC", L"Levels", 0, 10, 109, 45, 16, 0);
    for (int i = 0; i < 4; ++i)
        AddChild(wnd, L"EDIT", L"0", ES_AUTOHSCROLL | WS_TABSTOP, 60 + 35 * i, 106, 30, 21, kLevel1 + i);
    AddChild(wnd, L"BUTTON", L"Send levels", BS_PUSHBUTTON | WS_TABSTOP, 205, 105, 90, 23, kSendLevels);
    AddChild(wnd, L"STATIC", L"", 0, 10, 143, 335, 16, kStatus);
    AddChild(wnd, L"BUTTON", L"Close", BS_DEFPUSHBUTTON | WS_TABSTOP, 270, 166, 75, 23, IDCANCEL);
}

void Command(HWND wnd, TSimControl* control, int id)
{
    switch (id) {
    case kPlugged:
        control->SetDevice(IsDlgButtonChecked(wnd, kPlugged) == BST_CHECKED, TextOf(wnd, kModel),
                           TextOf(wnd, kSerial));
        break;
    case kRing: control->RingLine(TextOf(wnd, kLine), TextOf(wnd, kNumber), std::wstring(), std::wstring()); break;
    case kSendLevels:
        control->SendLevels({TextOf(wnd, kLevel1), TextOf(wnd, kLevel2), TextOf(wnd, kLevel3), TextOf(wnd, kLevel4)});
        break;
    case IDCANCEL: DestroyWindow(wnd); break;
    default: break;
    }
}

LRESULT CALLBACK SettingsWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<TSimControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    try {
        switch (msg) {
        case WM_COMMAND:
            if (control != nullptr && HIWORD(wParam) == BN_CLICKED) {
                Command(wnd, control, LOWORD(wParam));
                return 0;
            }
            break;
        case WM_CLOSE: DestroyWindow(wnd); return 0;
        case WM_DESTROY:
            if (control != nullptr)
                control->SettingsClosed();
            SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
            break;
        default: break;
        }
    } catch (...) {
        Trace(L"unexpected error in the settings window");
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace

WNDPROC SettingsWindowProcedure() { return SettingsWindowProc; }

HWND OpenSettingsWindow(TSimControl* control, HWND owner)
{
    RegisterWindowClasses();
    RECT r{0, 0, 355, 200};
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&r, style, FALSE, WS_EX_TOOLWINDOW);
    // Beside the host's window if there is room, so that the host stays in sight.
    int width = r.right - r.left, height = r.bottom - r.top;
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    int x = area.left, y = area.top;
    RECT ownerRect;
    if (owner != nullptr && GetWindowRect(owner, &ownerRect)) {
        x = ownerRect.right + 8;
        y = ownerRect.top;
        if (x + width > area.right)
            x = std::max<int>(area.left, ownerRect.left - width - 8);
    }
    x = std::max<int>(area.left, std::min<int>(x, area.right - width));
    y = std::max<int>(area.top, std::min<int>(y, area.bottom - height));
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, kSettingsClass, L"Dalvex simulator", style, x, y, width, height,
                               owner, nullptr, gModule, control);
    if (wnd == nullptr)
        return nullptr;
    BuildContent(wnd);
    RefreshSettingsWindow(wnd, control);
    ShowWindow(wnd, SW_SHOWNORMAL);
    return wnd;
}

void RefreshSettingsWindow(HWND wnd, TSimControl* control)
{
    CheckDlgButton(wnd, kPlugged, control->Plugged() ? BST_CHECKED : BST_UNCHECKED);
    if (control->Plugged()) {
        SetDlgItemTextW(wnd, kModel, control->Model().c_str());
        SetDlgItemTextW(wnd, kSerial, control->Serial().c_str());
    }
    std::wstring status = control->Started() ? L"Started: events go to the host." : L"Not started: no events yet.";
    SetDlgItemTextW(wnd, kStatus, status.c_str());
}

} // namespace dalvexsim
