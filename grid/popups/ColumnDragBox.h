// The floating header that follows the pointer while a column is dragged, and the red arrow
// markers that show where it would land.
#pragma once

#include "grid/view/FlyoutControl.h"

#include <cstdint>
#include <functional>
#include <memory>

namespace grid {

class TColumnPartDisplay;
class TCustomColumn;
class TPartDisplayHost;

// Screen coordinates of the pointer, for the box's move and drop events.
using TDragPointEvent = std::function<void(ui::TObject* Sender, int X, int Y)>;

// A copy of the dragged column's header in a top-most popup. While dragging it holds the mouse
// capture, so every move and the release arrive here; it reports them to the grid in screen
// coordinates. Losing the capture any other way (another window took it, Escape, the application
// was left) ends the drag without a drop. Owns its header painter; the grid and column are
// references.
class TColumnDragBox : public TFlyoutControl {
    UI_PUBLISHED_CLASS
public:
    TColumnDragBox(ui::TComponent* AOwner, TPartDisplayHost* grid);
    ~TColumnDragBox() override;

    TCustomColumn* Column() const { return FColumn; }
    bool Dragging() const { return FDragging; }
    // Shows the box (unless hidden), takes the column and captures the mouse.
    void StartDrag(int x, int y, bool hidden, TCustomColumn* column);
    // Ends a drag without a drop: hides the box, lets the capture go, raises OnCancel.
    void CancelDrag();

    TDragPointEvent OnMove;
    TDragPointEvent OnDrop;
    ui::TNotifyEvent OnCancel;

    void WndProc(ui::TMessage& message) override;

protected:
    void Paint() override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;

private:
    // Leaves the dragging state; the capture goes without a second cancel.
    void Finish();

    TCustomColumn* FColumn = nullptr;
    std::unique_ptr<TColumnPartDisplay> FHeaderPainter;
    bool FDragging = false;
};

// A 9 x 9 red arrow cut out by the window region: Kind 0 none, 1 up, 2 down.
class TDragArrow : public TFlyoutControl {
    UI_PUBLISHED_CLASS
public:
    explicit TDragArrow(ui::TComponent* AOwner);

    enum : uint8_t { akNone = 0, akUp = 1, akDown = 2 };
    uint8_t Kind() const { return FKind; }
    void SetKind(uint8_t kind);
    // Hands the window the shape of the current Kind.
    virtual void ApplyShape();
    // The shape of a kind as a region; the caller deletes it.
    static HRGN CreateShapeRegion(uint8_t kind);

protected:
    void Paint() override;
    void CreateHandleDone() override;

private:
    uint8_t FKind = akNone;
};

} // namespace grid
