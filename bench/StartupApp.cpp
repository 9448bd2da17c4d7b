// The program's own start, as its entry point does it, up to the first complete paint of the
// main window; then it reports and ends instead of running the message loop. Each step is marked
// so that the bench shows where the time goes.
#include "StartupProbe.h"

#include "app/Program.h"
#include "ui/controls/Forms.h"

#include <windows.h>

using namespace ui;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    bench::MarkStartupStep("entry point (process, DLLs, static objects)");
    try {
        Application->Initialize();
        bench::MarkStartupStep("Application->Initialize");
        CreateProgramForms(&bench::MarkStartupStep);
        // What TApplication::Run does before its loop.
        ShowWindow(Application->Handle(), SW_SHOWNOACTIVATE);
        Application->MainForm()->Show();
        bench::MarkStartupStep("main window shown");
        bench::ReportFirstCompletePaint();
    } catch (...) {
        Application->HandleException(Application);
    }
    Application->Finalize();
    return 0;
}
