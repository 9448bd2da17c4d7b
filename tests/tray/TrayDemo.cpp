// Shows the notification-area icon for real: run inside Wine's desktop (which has a taskbar) by
// show-tray.sh, it adds the icon, raises a call balloon and then opens the icon's menu the way a
// right click on the icon does, so that screenshots can show all three.
#include "tray/TrayIcon.h"

#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"

#include <windows.h>

using namespace ui;

namespace {

// A 16 x 16 icon drawn here, so the demonstration needs no resource file: a blue disc with a
// white handset-like bar, easy to spot in the notification area.
HICON MakeDemoIcon()
{
    const int size = 16;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP colour = CreateCompatibleBitmap(screen, size, size);
    HBITMAP mask = CreateBitmap(size, size, 1, 1, nullptr);
    ReleaseDC(nullptr, screen);

    HGDIOBJ old = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, size, size, WHITENESS);
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    SelectObject(dc, GetStockObject(NULL_PEN));
    Ellipse(dc, 0, 0, size + 1, size + 1);

    SelectObject(dc, colour);
    PatBlt(dc, 0, 0, size, size, BLACKNESS);
    HBRUSH blue = CreateSolidBrush(RGB(0x10, 0x60, 0xD0));
    SelectObject(dc, blue);
    Ellipse(dc, 0, 0, size + 1, size + 1);
    RECT bar{4, 6, 12, 10};
    FillRect(dc, &bar, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(dc, old);
    DeleteObject(blue);
    DeleteDC(dc);

    ICONINFO info{};
    info.fIcon = TRUE;
    info.hbmMask = mask;
    info.hbmColor = colour;
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colour);
    return icon;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    HICON image = nullptr;
    try {
        Application->Initialize();
        Application->SetTitle(L"Caller ID Test");
        auto* form = new TForm(Application);
        Application->SetMainForm(form);
        form->SetCaption(L"Cihaz Test");
        form->SetBounds(200, 150, 360, 200);

        image = MakeDemoIcon();
        auto* icon = new tray::TTrayIcon(form);
        icon->SetHint(L"Caller ID Test");
        icon->SetIconHandle(image);
        icon->SetIconVisible(true);

        // The call list's balloon: "Çağrı: " and the call number, the caller's number, 10 s.
        int step = 0;
        auto* timer = new TTimer(form);
        timer->SetInterval(2000);
        timer->SetOnTimer([&](TObject*) {
            switch (step++) {
            case 0:
                icon->ShowBalloon(WideToAnsi(L"\u00C7a\u011Fr\u0131: 1"), "05321234567", tray::TBalloonIconKind::bkInfo,
                                  10);
                break;
            case 4:
                Application->Terminate();
                break;
            default: break;
            }
        });
        Application->Run();
    } catch (...) {
        Application->HandleException(Application);
    }
    Application->Finalize();
    if (image != nullptr)
        DestroyIcon(image);
    return 0;
}
