// Shows the notification-area icon for real: run inside Wine's desktop (which has a taskbar) by
// show-tray.sh, it adds the icon, raises a call balloon and then opens the icon's menu the way a
// right click on the icon does, so that screenshots can show all three.
#include "tray/TrayIcon.h"

#include "tests/tray/TestIcons.h"

#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"

#include <windows.h>

using namespace ui;


int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle(L"Caller ID Test");
        auto* form = new TForm(Application);
        Application->SetMainForm(form);
        form->SetCaption(L"Cihaz Test");
        form->SetBounds(200, 150, 360, 200);

        TIcon image;
        image.LoadFromBytes(traytest::DiscIconBytes(RGB(0x10, 0x60, 0xD0)));
        auto* icon = new tray::TTrayIcon(form);
        icon->SetIcon(&image);
        icon->SetIconVisible(true);

        // The main window's menu: "Listeyi sil" and "Çıkış".
        auto* menu = new TPopupMenu(form);
        for (const wchar_t* caption : {L"Listeyi sil", L"\u00C7\u0131k\u0131\u015F"}) {
            auto* item = new TMenuItem(form);
            item->SetCaption(caption);
            menu->Items()->Add(item);
        }
        icon->SetPopupMenu(menu);

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
            case 2: {
                // The balloon goes, then a right click on the icon, as the shell reports it: the
                // menu opens on the press.
                icon->HideBalloon();
                SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 12, GetSystemMetrics(SM_CYSCREEN) - 10);
                PostMessageW(tray::TTrayIconHandler::Window(), tray::WM_TRAYICON, icon->IconId(), WM_RBUTTONDOWN);
                break;
            }
            case 4:
                EndMenu();
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
    return 0;
}
