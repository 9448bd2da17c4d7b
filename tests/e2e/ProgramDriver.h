// Driving the real program from outside its process, as a user and a screen reader would: start
// it with a scripted device, find its windows, read what they show (window texts, the
// accessibility objects of its labels and call list, the shell's balloon), click, screenshot.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Waits, without messages of its own to handle, until `condition` holds or `timeoutMs` passes;
// returns whether it came true. The test asserts on the result.
bool WaitUntil(const std::function<bool()>& condition, unsigned timeoutMs = 20000);

// The program, started as a user starts it (no arguments), with the simulated device driven by
// `script` (the simulator's script text; empty: no script). It is ended when the object goes:
// closed through its main window if still running, terminated if it does not end.
// Its %LOCALAPPDATA%, where it keeps its log, is `localAppData`, or when that is empty a folder
// of this test program's own, so that tests never write into the prefix's real one.
class TProgram {
public:
    explicit TProgram(const std::string& script = {}, const std::wstring& localAppData = {});
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    bool Started() const { return FProcess.hProcess != nullptr; }
    DWORD ProcessId() const { return FProcess.dwProcessId; }
    // The main window "Cihaz Test" once visible (waits for it), or nullptr.
    HWND Main();
    // Closes the main window and waits for the program to end; true when it ended by itself
    // with exit code 0.
    bool Close();

private:
    PROCESS_INFORMATION FProcess{};
    std::wstring FScriptPath;
    HWND FMain = nullptr;
};

// A visible top-level window of the process with this title, or nullptr.
HWND FindProcessWindow(DWORD processId, const std::wstring& title);
// The first visible top-level window of the process whose class is `className` (a message box is
// "#32770"), or nullptr.
HWND FindProcessWindowOfClass(DWORD processId, const std::wstring& className);
// The first descendant of `parent` of the class whose text satisfies `accept` (empty: any).
HWND FindChild(HWND parent, const std::wstring& className,
               const std::function<bool(const std::wstring& text)>& accept = {});
std::wstring WindowText(HWND wnd);
bool IsTopMost(HWND wnd);
// Whether `upper` is above `lower` in the z-order of top-level windows.
bool IsAbove(HWND upper, HWND lower);

// What the screen shows inside `screen`, row by row from the top, one 0x00RRGGBB value a pixel;
// empty when the rectangle is empty or cannot be read.
std::vector<uint32_t> ScreenPixels(const RECT& screen);

// Screenshots into build/<flavour>/screenshots/<name>.bmp: the whole desktop or one window.
bool SaveDesktopShot(const std::string& name);
bool SaveWindowShot(HWND wnd, const std::string& name);

// One element as an accessibility client sees it.
struct TAccElement {
    std::wstring Name;
    long Role = 0;
    long State = 0;
    RECT Location{};
};

// The client object of a window and its simple children, in their order.
bool ReadAccessible(HWND wnd, TAccElement& self, std::vector<TAccElement>& children);

// What a grid shows, read through its accessibility object: the header captions and the rows'
// cell texts (columns in display order), and the current cell's place ("caption; row").
struct TGridView {
    std::vector<std::wstring> Header;
    std::vector<long> HeaderLefts; // the header cells' left edges on the screen
    std::vector<std::vector<std::wstring>> Rows;
    std::vector<std::wstring> RowNames;
    std::wstring CurrentCell;
};
bool ReadGrid(HWND grid, TGridView& view);

// Elements as a reader reads them off the screen: in lines from the top (elements whose heights
// overlap share a line), each line from the left.
std::vector<std::vector<std::wstring>> TextLines(std::vector<TAccElement> elements);

// The balloon the desktop's notification area shows now (a visible balloon tooltip of the shell
// process) and its text, read from the shell's tooltip control; nullptr when none shows.
HWND FindBalloon(std::wstring& text);

// Text recognition of what the screen shows inside `screen` (Debian's tesseract with the Turkish
// data, run as a Linux program through Wine on an enlarged copy). The picture is kept as
// screenshots/<name>.bmp. Returns the recognised lines; none when recognition cannot run.
std::vector<std::wstring> RecogniseText(const RECT& screen, const std::string& name);

// Clicks at a point given in screen coordinates on the window under it, with posted mouse messages.
void ClickAt(HWND wnd, POINT screen);

// The shell process of the desktop (explorer.exe), 0 when none runs.
DWORD ShellProcessId();

} // namespace e2e
