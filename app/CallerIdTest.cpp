// Program entry: the application, its six windows in their fixed order, and the message loop.
#include "app/Program.h"
#include "ui/com/Accessible.h"
#include "ui/controls/Forms.h"

#include <windows.h>

using namespace ui;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        // Screen readers (and the end-to-end tests) read the labels and the call list.
        InstallControlAccessibility();
        CreateProgramForms();
        Application->Run();
    } catch (...) {
        // A window that cannot be built leaves nothing to run; say why before ending.
        Application->HandleException(Application);
        Application->Finalize();
        return 1;
    }
    Application->Finalize();
    return 0;
}
