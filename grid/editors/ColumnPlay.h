// Interactive in-cell elements: a column's element takes one cell's value, reacts to a key or a
// click inside the cell, and reports a new value, which the grid writes back into the cell.
#pragma once

#include "grid/view/Displays.h"

namespace grid {

// Base of the in-cell elements: the cell it was last prepared for and its change notification.
class TColumnPlay : public TVirtualColElement {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnPlay(ui::TComponent* AOwner) : TVirtualColElement(AOwner) {}

    int Col() const { return FCol; }
    int Row() const { return FRow; }
    void SetCell(int ACol, int ARow)
    {
        FCol = ACol;
        FRow = ARow;
    }

    // Raised after the element changed its value (the grid writes it into the cell).
    ui::TNotifyEvent OnChange;

protected:
    void Change();

private:
    int FCol = -1;
    int FRow = -1;
};

// The check box of a TCheckBoxColumn cell: Space or a click inside the box flips the value.
// While the left button is held on the box of a cell, that cell shows the pressed look.
class TCheckBoxColumnPlay : public TColumnPlay {
    UI_PUBLISHED_CLASS
public:
    explicit TCheckBoxColumnPlay(ui::TComponent* AOwner) : TColumnPlay(AOwner) {}

    bool Value() const { return FValue; }
    void SetValue(bool v) { FValue = v; }
    bool Pressed() const { return FPressed; }
    void SetPressed(bool v) { FPressed = v; }

    // The box's rectangle in a cell rectangle, placed as the cell painter draws it.
    ui::TRect BoxRect(const ui::TRect& cell, bool themed) const;
    // A space flips the value and reports the change; true when the key was the element's.
    bool KeyPress(wchar_t key);
    // A click at a point relative to the cell's top-left corner, in a cell of the given size:
    // inside the box it flips the value and reports the change.
    bool Click(ui::TPoint point, int cellWidth, int cellHeight, bool themed);

private:
    void Toggle();

    bool FValue = false;
    bool FPressed = false;
};

} // namespace grid
