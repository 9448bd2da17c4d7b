// Benchmark: calls handled per second by the main window, each raised by the simulated device
// control through its event interface exactly as in the program, with the speaker and the shell
// recording instead of sounding and showing. Reports the memory in use and the live GDI and
// USER objects at the start, half way and at the end (a soak: they must stay flat), and per call the shell calls, the paints that happen
// inside the handler (there must be none) and the deferred paints that follow it.
//
//   build/<flavour>/bench/calllist_bench.exe [calls]      (default 100000; run under scripts/wine-run.sh)
#include "app/Unit1.h"
#include "app/Unit2.h"
#include "app/Unit3.h"
#include "app/Unit4.h"
#include "app/Unit5.h"
#include "app/Unit6.h"
#include "device/simulator/DalvexSimulator.h"
#include "tests/support/GdiLeakCheck.h"
#include "tray/TrayIcon.h"
#include "ui/com/ComObj.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace ui;

namespace {

// This build's simulator, loaded and registered from the build tree.
bool LoadSimulator()
{
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring path(exe);
    path = path.substr(0, path.find_last_of(L'\\')) + L"\\..\\device\\simulator\\DalvexSim.dll";
    HMODULE module = LoadLibraryW(path.c_str());
    if (module == nullptr)
        return false;
    auto reg = reinterpret_cast<HRESULT(__stdcall*)()>(GetProcAddress(module, "DllRegisterServer"));
    return reg != nullptr && SUCCEEDED(reg());
}

size_t WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

// Counts the grid window's paints, telling apart those inside the handler.
WNDPROC GridProc = nullptr;
bool InsideHandler = false;
long PaintsInside = 0;
long PaintsAfter = 0;

LRESULT CALLBACK CountingGridProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_PAINT)
        ++(InsideHandler ? PaintsInside : PaintsAfter);
    return CallWindowProcW(GridProc, wnd, msg, wParam, lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HRESULT RaiseCall(IDalvexSimulator* sim, long n)
{
    const std::wstring args[5] = {L"10004711", std::to_wstring(n % 4 + 1), L"0532" + std::to_wstring(1000000 + n % 9000000),
                                  L"08.12 10:15:00", L""};
    VARIANT v[5];
    for (int i = 0; i < 5; ++i) {
        VariantInit(&v[i]);
        v[i].vt = VT_BSTR;
        v[i].bstrVal = SysAllocStringLen(args[i].data(), static_cast<UINT>(args[i].size()));
    }
    HRESULT hr = sim->SimRaiseEvent(209, 5, v);
    for (VARIANT& x : v)
        VariantClear(&x);
    return hr;
}

} // namespace

int main(int argc, char** argv)
{
    const long calls = argc > 1 ? std::atol(argv[1]) : 100000;
    if (!LoadSimulator()) {
        std::fprintf(stderr, "the simulator DLL could not be loaded and registered\n");
        return 1;
    }
    long beeps = 0, shellCalls = 0;
    SetBeepFunction([&](unsigned, unsigned) { ++beeps; });
    tray::SetShellNotifyIcon([&](DWORD, const tray::TTrayIconData&) {
        ++shellCalls;
        return true;
    });

    Application->Initialize();
    Application->SetTitle(L"Caller ID Test");
    Application->CreateForm(Form1);
    Application->CreateForm(Form2);
    Application->CreateForm(Form3);
    Application->CreateForm(ADSlbag);
    Application->CreateForm(Form6);
    Application->CreateForm(splnedir);
    Form1->Show();
    Form1->Timer1->SetEnabled(false); // only calls are measured
    Pump();

    TComPtr<IDalvexSimulator> sim;
    Form1->Dalvex1->OleObject()->QueryInterface(IID_IDalvexSimulator, sim.PutVoid());
    if (!sim) {
        std::fprintf(stderr, "the control is not the simulator\n");
        return 1;
    }
    HWND grid = Form1->GridView1->Handle();
    GridProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CountingGridProc)));

    // Warm up until the grid holds its six rows, so the start figures are those of a running list.
    for (long n = 0; n < 100; ++n) {
        RaiseCall(sim.Get(), n);
        Pump();
    }
    const long shellAtStart = shellCalls, beepsAtStart = beeps;
    PaintsInside = PaintsAfter = 0;
    using testsupport::HeapBytesInUse;
    const size_t memoryAtStart = HeapBytesInUse(), workingSetAtStart = WorkingSet();
    const testsupport::TGdiSnapshot gdiAtStart = testsupport::TakeGdiSnapshot();
    size_t memoryAtMiddle = memoryAtStart;
    testsupport::TGdiSnapshot gdiAtMiddle = gdiAtStart;

    long failures = 0, queued = 0;
    double handlerSeconds = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long n = 0; n < calls; ++n) {
        InsideHandler = true;
        const auto before = std::chrono::steady_clock::now();
        if (RaiseCall(sim.Get(), n) != S_OK)
            ++failures;
        handlerSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - before).count();
        InsideHandler = false;
        RECT pending;
        if (GetUpdateRect(grid, &pending, FALSE))
            ++queued;
        Pump(); // the loop's turn: the deferred repaint happens here
        if (n == calls / 2) {
            memoryAtMiddle = HeapBytesInUse();
            gdiAtMiddle = testsupport::TakeGdiSnapshot();
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    Pump();
    const size_t memoryAtEnd = HeapBytesInUse(), workingSetAtEnd = WorkingSet();
    const testsupport::TGdiSnapshot gdiAtEnd = testsupport::TakeGdiSnapshot();

    std::printf("calls: %ld (failed: %ld), rows at the end: %d, counter: %d\n", calls, failures,
                Form1->GridView1->RowCount(), Form1->CallCounter);
    std::printf("calls per second: %.0f with the repaints between calls; %.0f in the handler alone\n",
                calls / seconds, calls / handlerSeconds);
    std::printf("per call: %.2f shell calls, %.2f beeps, %.2f paints inside the handler, %.2f deferred paints, "
                "%.2f calls left a repaint queued\n",
                double(shellCalls - shellAtStart) / calls, double(beeps - beepsAtStart) / calls,
                double(PaintsInside) / calls, double(PaintsAfter) / calls, double(queued) / calls);
    std::printf("heap in use: %zu KiB at the start, %zu KiB at the end; working set %zu KiB -> %zu KiB\n",
                memoryAtStart / 1024, memoryAtEnd / 1024, workingSetAtStart / 1024, workingSetAtEnd / 1024);
    std::printf("start:  %s\nmiddle: %s\nend:    %s\n", testsupport::Figures(gdiAtStart, memoryAtStart).c_str(),
                testsupport::Figures(gdiAtMiddle, memoryAtMiddle).c_str(),
                testsupport::Figures(gdiAtEnd, memoryAtEnd).c_str());
    std::printf("GDI/USER: wrapped GDI %d -> %d, wrapped USER %d -> %d, probe slot %d -> %d: %s\n", gdiAtStart.WrappedGdi,
                gdiAtEnd.WrappedGdi, gdiAtStart.WrappedUser, gdiAtEnd.WrappedUser, gdiAtStart.ProbeIndex,
                gdiAtEnd.ProbeIndex,
                testsupport::GdiGrowth(gdiAtStart, gdiAtEnd).empty() ? "no growth"
                                                                     : testsupport::GdiGrowth(gdiAtStart, gdiAtEnd).c_str());

    SetWindowLongPtrW(grid, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(GridProc));
    sim = {};
    Application->Finalize();
    SetBeepFunction({});
    tray::SetShellNotifyIcon({});
    return 0;
}
