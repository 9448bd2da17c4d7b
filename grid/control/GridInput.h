// The grid's mouse, keyboard and drag state: what a press, a move or a typed key left behind for
// the next message. Held by the grid control; read by its input files (mouse, keyboard, drag).
#pragma once

#include "grid/control/CustomGridViewControl.h"
#include "grid/layout/GridHitTest.h"

#include <string>

namespace ui {
class TTimer;
}

namespace grid {

class TColumnDragBox;
class TDragArrow;
class THintWindow;

// Screen cursors of the grid, registered from the program's cursor resources "HORZSPLIT",
// "COLUMNNODRAG" and "INDICATORSELECT" (copies of close system cursors when absent).
constexpr ui::TCursor crHorzSplit = 3000;
constexpr ui::TCursor crColumnNoDrag = 3001;
constexpr ui::TCursor crIndicatorSelect = 3006;
void RegisterGridCursors();

// How long typed characters add to one incremental search text.
constexpr unsigned kSearchResetMs = 500;

struct TGridInputState {
    // Press: the point, the cell under it and the header picked there.
    bool Pressed = false;
    bool Releasing = false; // a button release is being handled
    ui::TPoint PressPoint{0, 0};
    int PressCol = -1;
    int PressRow = -1;
    int PickedCol = -1;
    // Sizing: the column whose edge is dragged, the width change so far and the guide line
    // drawn last (so it can be inverted away again).
    int SizingCol = -1;
    int SizingChange = 0;
    TGuideLines Guides;
    // Hot tracking: the cell and the header under the pointer.
    int HotCol = -1;
    int HotRow = -1;
    int HotHeader = -1;
    bool TrackingLeave = false;
    // Where the last double click happened (it is raised only over the data area).
    ui::TPoint DblClickPoint{0, 0};
    // The window that takes the focus when the grid loses it (its own editor keeps it open).
    HWND FocusTarget = nullptr;
    // Incremental search.
    std::wstring SearchText;
    ui::TTimer* SearchTimer = nullptr; // owned by the grid as a component
    // Column drag: the box and its two arrows (owned by the grid as components), the dragged
    // column (index) and where it would land.
    TColumnDragBox* DragBox = nullptr;
    TDragArrow* DownArrow = nullptr;
    TDragArrow* UpArrow = nullptr;
    int DragCol = -1;
    int DropCol = -1;
    // The text-fit hint (owned by the grid as a component).
    THintWindow* FitHint = nullptr;
};

} // namespace grid
