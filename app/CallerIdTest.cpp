// Program entry: the application, its six windows in their fixed order, and the message loop.
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"

#include <windows.h>

using namespace ui;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    try {
        Application->Initialize();
        Application->SetTitle(L"Caller ID Test");
        Application->CreateForm(Form1);
        Application->CreateForm(Form2);
        Application->CreateForm(Form3);
        Application->CreateForm(ADSlbag);
        Application->CreateForm(Form6);
        Application->CreateForm(splnedir);
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
