// Scoped guards: state that a call sets for its own length, and device contexts it borrows, go
// back when the scope ends, however it ends, so no caller needs a try/catch that restores and
// rethrows.
#pragma once

#include <windows.h>

#include <utility>

namespace ui {

// Assigns `onExit` to a variable when the scope ends (a lock flag, the operation in progress).
template <class T>
class TAssignOnExit {
public:
    TAssignOnExit(T& target, T onExit) : FTarget(target), FOnExit(std::move(onExit)) {}
    ~TAssignOnExit() { FTarget = std::move(FOnExit); }
    TAssignOnExit(const TAssignOnExit&) = delete;
    TAssignOnExit& operator=(const TAssignOnExit&) = delete;

private:
    T& FTarget;
    T FOnExit;
};

// Runs an action when the scope ends, unless dismissed first: the undo of a step that only a
// failure needs (Dismiss once the step has succeeded), or clean-up that every exit needs. The
// action must not throw: it may run while an exception is already on its way out.
template <class F>
class TScopeExit {
public:
    explicit TScopeExit(F action) : FAction(std::move(action)) {}
    ~TScopeExit()
    {
        if (FArmed)
            FAction();
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    void Dismiss() { FArmed = false; }
    // Runs the action at once rather than at scope end (an undo that must come before what
    // follows it), and not again.
    void RunNow()
    {
        if (FArmed) {
            FArmed = false;
            FAction();
        }
    }

private:
    F FAction;
    bool FArmed = true;
};

// A window's device context, of its client area or of the whole window with its frame, for
// drawing outside WM_PAINT; given back to the window when the scope ends. nullptr when none was had.
class TWindowDC {
public:
    enum TArea { waClient, waWhole };
    TWindowDC(HWND window, TArea area) : FWindow(window), FDC(area == waWhole ? GetWindowDC(window) : GetDC(window)) {}
    ~TWindowDC()
    {
        if (FDC != nullptr)
            ReleaseDC(FWindow, FDC);
    }
    TWindowDC(const TWindowDC&) = delete;
    TWindowDC& operator=(const TWindowDC&) = delete;
    operator HDC() const { return FDC; }

private:
    HWND FWindow;
    HDC FDC;
};

// The device context's state (origin, clip, selected objects) as it was, restored at scope end.
class TSavedDC {
public:
    explicit TSavedDC(HDC dc) : FDC(dc), FSaved(SaveDC(dc)) {}
    ~TSavedDC() { RestoreDC(FDC, FSaved); }
    TSavedDC(const TSavedDC&) = delete;
    TSavedDC& operator=(const TSavedDC&) = delete;

private:
    HDC FDC;
    int FSaved;
};

// BeginPaint when asked to open the window's paint cycle, and the matching EndPaint at scope end.
class TPaintBracket {
public:
    TPaintBracket(HWND window, bool open) : FWindow(open ? window : nullptr)
    {
        if (FWindow != nullptr)
            FDC = BeginPaint(FWindow, &FPaint);
    }
    ~TPaintBracket()
    {
        if (FWindow != nullptr)
            EndPaint(FWindow, &FPaint);
    }
    TPaintBracket(const TPaintBracket&) = delete;
    TPaintBracket& operator=(const TPaintBracket&) = delete;
    HDC DC() const { return FDC; }

private:
    HWND FWindow;
    PAINTSTRUCT FPaint{};
    HDC FDC = nullptr;
};

} // namespace ui
