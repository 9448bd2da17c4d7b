// Shows the notification-area icon for real: run inside Wine's desktop (which has a taskbar) by
// show-tray.sh, it adds the icon, raises a call balloon and then opens the icon's menu the way a
// right click on the icon does, so that screenshots can show all three.
#include "tray/TrayIcon.h"

#include "ui/controls/ExtCtrls.h"
#include "ui/controls/Forms.h"
#include "ui/controls/Menus.h"
#include "ui/core/Description.h"

#include <windows.h>

#include <string>

using namespace ui;

namespace {

// Tells show-tray.sh that a step is on screen: an empty file named after the step in the folder
// named by TRAY_DEMO_MARKS, so that screenshots follow the program rather than a guessed delay.
void Mark(const wchar_t* step)
{
    wchar_t folder[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TRAY_DEMO_MARKS", folder, MAX_PATH) == 0)
        return;
    std::wstring path = std::wstring(folder) + L"\\" + step;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
}

const wchar_t* const kDescription = LR"(object DemoForm: TForm
  Left = 200
  Top = 150
  Width = 360
  Height = 200
  Caption = 'Cihaz Test'
  Icon = file 'CallerIdTest.ico'
  object PopupMenu1: TPopupMenu
    object Listeyisil1: TMenuItem
      Caption = 'Listeyi sil'
    end
    object ki1: TMenuItem
      Caption = 'Çıkış'
    end
  end
  object TrayIcon1: TTrayIcon
    CycleInterval = 400
    Icon = file 'CallerIdTest.ico'
    IconVisible = True
    IconIndex = 0
    PopupMenu = PopupMenu1
    WantEnterExitEvents = True
  end
end
)";

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle(L"Caller ID Test");
        // The window is read from a description whose icon has the main window's settings.
        RegisterStandardClasses();
        tray::RegisterTrayClasses();
        auto* form = new TForm(Application);
        Application->SetMainForm(form);
        ReadDescription(*form, kDescription, L"TrayDemo", ResourceDataResolver);
        auto* icon = dynamic_cast<tray::TTrayIcon*>(form->FindComponent(L"TrayIcon1"));
        if (icon == nullptr)
            throw Exception(L"the description has no TrayIcon1");

        // The call list's balloon: "Çağrı: " and the call number, the caller's number, 10 s.
        int step = 0;
        auto* timer = new TTimer(form);
        timer->SetInterval(2000);
        timer->SetOnTimer([&](TObject*) {
            switch (step++) {
            case 0:
                icon->ShowBalloon(WideToAnsi(L"\u00C7a\u011Fr\u0131: 1"), "05321234567", tray::TBalloonIconKind::bkInfo,
                                  10);
                Mark(L"balloon");
                break;
            case 3: {
                // A right-button press on the icon, as the shell reports it: the menu opens at the
                // cursor on the press. The cursor is put a little left of the icon so that the
                // menu does not cover the balloon, which stays up.
                SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 200, GetSystemMetrics(SM_CYSCREEN) - 10);
                PostMessageW(tray::TTrayIconHandler::Window(), tray::WM_TRAYICON, icon->IconId(), WM_RBUTTONDOWN);
                break;
            }
            case 4:
                // Ticks go on while the menu runs its own loop.
                Mark(L"menu");
                break;
            case 6:
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
