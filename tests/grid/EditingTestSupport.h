// Helpers shared by the editing tests: a grid with editable columns on a shown window, and real
// key and mouse messages posted to a window and pumped until they are handled.
#pragma once

#include "GridTestSupport.h"

#include <windows.h>

#include <memory>
#include <string>

namespace gridtest {

// A grid on a shown window with the columns
//   0 TTextualColumn  "Ad"     editable, input, auto-select           width 120
//   1 TCheckBoxColumn "Tamam"  editable                               width 60
//   2 TTextualColumn  "Not"    input only, DefaultValue "x"           width 100
//   3 TNumericColumn  "Miktar" editable, Min 0, Max 10                width 90
//   4 TComboBoxColumn "Renk"   editable, items Kırmızı/Yeşil/Mavi     width 100
//   5 TDateColumn     "Tarih"  editable                               width 100
// options goGrid, goHeader, goInput, rows of 20 pixels and three rows "bir", "iki", "üç" in
// column 0, and beside the grid a plain edit that can take the focus away.
struct TEditingGrid {
    std::unique_ptr<THostForm> host;
    grid::TGridView* grid = nullptr;
    ui::TWinControl* other = nullptr;

    TEditingGrid();
    ~TEditingGrid();
    HWND GridWnd() { return grid->Handle(); }
};

// The description text of that window.
std::wstring EditingGridDescription();

// Posts the messages of a key press and release (the pump turns the press into its character)
// and pumps until the queue is empty.
void PressKey(HWND wnd, WORD key);
// Posts one WM_CHAR per character and pumps until they are handled.
void TypeText(HWND wnd, const std::wstring& text);
// Posts a left-button press or release at a client point and pumps until it is handled.
void MouseDown(HWND wnd, int x, int y);
void MouseUp(HWND wnd, int x, int y);
void MouseMove(HWND wnd, int x, int y);
// Pumps until the thread's queue holds nothing for the given window.
void Drain();

// Puts text on the clipboard (nothing when empty).
void SetClipboard(const std::wstring& text);

// Narrow text for failure messages.
inline std::string N(const std::wstring& s) { return testsupport::Narrow(s); }

// The window is shown (its visible style).
bool WindowShown(HWND wnd);

} // namespace gridtest
