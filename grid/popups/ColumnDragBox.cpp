// The floating header of a column drag and its arrow markers.
#include "grid/popups/ColumnDragBox.h"

#include "grid/data/Columns.h"
#include "grid/view/Displays.h"
#include "ui/core/ClassBuilder.h"
#include "ui/graphics/GdiGuards.h"

namespace grid {

// ---------------------------------------------------------------------------------------------
// TColumnDragBox

const ui::TClassInfo& TColumnDragBox::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TColumnDragBox>(L"TColumnDragBox", &TFlyoutControl::StaticClass()).Build();
    return info;
}

TColumnDragBox::TColumnDragBox(ui::TComponent* AOwner, TPartDisplayHost* grid)
    : TFlyoutControl(AOwner), FHeaderPainter(std::make_unique<TColumnPartDisplay>(grid))
{
    // The box keeps the capture through a right-button release: only the left release drops.
    FControlStyle.Exclude(ui::TControlStyleFlag::csCaptureMouse);
    SetVisible(false);
}

TColumnDragBox::~TColumnDragBox() = default;

void TColumnDragBox::StartDrag(int, int, bool hidden, TCustomColumn* column)
{
    FColumn = column;
    if (!hidden) {
        Show();
        // Shown without activation: the grid keeps the focus and the keyboard (Escape).
        SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
    FDragging = true;
    SetCapture(Handle());
}

void TColumnDragBox::Finish()
{
    FDragging = false;
    Hide();
    if (HandleAllocated() && GetCapture() == Handle())
        ReleaseCapture(); // WM_CAPTURECHANGED finds the drag already over
}

void TColumnDragBox::CancelDrag()
{
    if (!FDragging)
        return;
    Finish();
    FColumn = nullptr;
    if (OnCancel)
        OnCancel(this);
}

void TColumnDragBox::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_CAPTURECHANGED:
        // Someone else took the mouse: the drag cannot know where it ends, so nothing moves.
        if (FDragging && reinterpret_cast<HWND>(message.LParam) != Handle())
            CancelDrag();
        break;
    case WM_CANCELMODE:
        CancelDrag();
        break;
    case WM_ACTIVATEAPP:
        // Leaving the application leaves the drag: the release would never come here.
        if (message.WParam == FALSE)
            CancelDrag();
        break;
    case WM_MOUSEACTIVATE:
        message.Result = MA_NOACTIVATE;
        return;
    default: break;
    }
    TFlyoutControl::WndProc(message);
}

void TColumnDragBox::MouseMove(ui::TShiftState shift, int x, int y)
{
    TFlyoutControl::MouseMove(shift, x, y);
    if (!FDragging)
        return;
    ui::TPoint s = ClientToScreen(ui::Point(x, y));
    if (OnMove)
        OnMove(this, s.x, s.y);
    ui::TRect client = ClientRect();
    int w = ui::RectWidth(client), h = ui::RectHeight(client);
    SetBounds(s.x - w / 2, s.y - h + 4, Width(), Height());
}

void TColumnDragBox::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TFlyoutControl::MouseUp(button, shift, x, y);
    if (!FDragging || button != ui::TMouseButton::mbLeft)
        return;
    ui::TPoint s = ClientToScreen(ui::Point(x, y));
    Finish();
    FColumn = nullptr;
    if (OnDrop)
        OnDrop(this, s.x, s.y);
}

void TColumnDragBox::Paint()
{
    if (FColumn == nullptr)
        return;
    ui::TCanvas& canvas = Canvas();
    ui::TRect client = ClientRect();
    canvas.Brush().SetColor(FColumn->Header()->Color());
    canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    canvas.FillRect(client);
    ui::TRect frame = ui::Rect(0, 0, client.right - 1, client.bottom - 1);
    canvas.Frame3D(frame, ui::clBtnHighlight, ui::clBtnShadow, 1);
    canvas.Pen().SetColor(ui::clBlack);
    canvas.MoveTo(0, client.bottom - 1);
    canvas.LineTo(client.right - 1, client.bottom - 1);
    canvas.LineTo(client.right - 1, -1);
    canvas.Font().Assign(*Font());
    TPartDrawState header{.Canvas = canvas, .Column = *FColumn};
    header.Part = pkHeader;
    header.Rect = ui::Rect(0, 2, client.right - 2, client.bottom - 2);
    FHeaderPainter->DrawPart(header);
}

// ---------------------------------------------------------------------------------------------
// TDragArrow

const ui::TClassInfo& TDragArrow::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TDragArrow>(L"TDragArrow", &TFlyoutControl::StaticClass()).Build();
    return info;
}

TDragArrow::TDragArrow(ui::TComponent* AOwner) : TFlyoutControl(AOwner)
{
    SetVisible(false);
    SetBounds(0, 0, 9, 9);
}

void TDragArrow::SetKind(uint8_t kind)
{
    FKind = kind;
    ApplyShape();
}

HRGN TDragArrow::CreateShapeRegion(uint8_t kind)
{
    static const POINT up[] = {{-1, 5}, {4, -1}, {9, 5}, {6, 5}, {6, 9}, {3, 9}, {3, 4}, {0, 5}};
    static const POINT down[] = {{5, 0}, {3, 0}, {3, 4}, {0, 4}, {4, 9}, {9, 4}, {6, 4}, {6, 0}};
    switch (kind) {
    case akUp: return CreatePolygonRgn(up, 8, WINDING);
    case akDown: return CreatePolygonRgn(down, 8, WINDING);
    default: return CreateRectRgn(0, 0, 0, 0);
    }
}

void TDragArrow::ApplyShape()
{
    // Until the window exists, its creation applies the shape.
    if (!HandleAllocated())
        return;
    ui::TGdiObject<HRGN> shape(CreateShapeRegion(FKind));
    // The window owns the region from here on.
    if (SetWindowRgn(Handle(), shape, TRUE) != 0)
        shape.Release();
}

void TDragArrow::CreateHandleDone()
{
    TFlyoutControl::CreateHandleDone();
    ApplyShape();
}

void TDragArrow::Paint()
{
    Canvas().Brush().SetColor(ui::clRed);
    Canvas().Brush().SetStyle(ui::TBrushStyle::bsSolid);
    Canvas().FillRect(ClientRect());
}

} // namespace grid
