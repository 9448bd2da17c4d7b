// Scroll-bar model, scroll view and middle-button auto-scroll.
#include "grid/view/ScrollView.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/graphics/GdiGuards.h"

#include <algorithm>
#include <cstdlib>

namespace grid {

// ---------------------------------------------------------------------------------------------
// TControlScrollBar

void TControlScrollBar::SetEnabled(bool v)
{
    FEnabled = v;
    Update();
}

void TControlScrollBar::SetMax(int32_t v)
{
    FMax = std::max<int32_t>(v, 0);
    // Lowered without scrolling the content: the owner lays out again after a range change.
    if (FMax < FPosition)
        FPosition = FMax;
    Update();
}

void TControlScrollBar::SetMin(int32_t v)
{
    FMin = std::max<int32_t>(v, 0);
    Update();
}

void TControlScrollBar::SetPageSize(int32_t v)
{
    FPageSize = v;
    Update();
}

void TControlScrollBar::SetPosition(int32_t v)
{
    v = std::min(v, FMax);
    v = std::max(v, FMin);
    // Both lie in [0, INT32_MAX], so the difference cannot overflow.
    int32_t delta = FPosition - v;
    FPosition = v;
    Update();
    FOwner->BeforeScroll(FKind);
    if (FKind == sbHorizontal) {
        FOwner->LastHorzDelta = delta;
        FOwner->ScrollBy(delta, 0);
    } else {
        FOwner->LastVertDelta = delta;
        FOwner->ScrollBy(0, delta);
    }
}

void TControlScrollBar::SetVisible(bool v)
{
    FVisible = v;
    // Showing or hiding a bar changes the window's frame, which repaints the whole window; the
    // grid settles its ranges after every row operation, so only a real change may reach it.
    HWND wnd = FOwner->Handle();
    LONG_PTR style = GetWindowLongPtrW(wnd, GWL_STYLE);
    bool shown = (style & (FKind == sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
    if (shown != v)
        ShowScrollBar(wnd, Bar(), v);
}

void TControlScrollBar::SetParams(int32_t position, int32_t min, int32_t max, int32_t pageSize, bool enabled,
                                  bool visible)
{
    {
        // The bar is pushed to the window once, after all the values are in.
        UpdateLock = true;
        ui::TAssignOnExit<bool> unlock(UpdateLock, false);
        SetEnabled(enabled);
        SetMax(max);
        SetMin(min);
        SetPageSize(pageSize);
        if (position > 0)
            SetPosition(position);
        SetVisible(visible);
    }
    Update();
}

void TControlScrollBar::Scroll(int code)
{
    if (FMax < 1)
        return;
    SendMessageW(FOwner->Handle(), FKind == sbHorizontal ? WM_HSCROLL : WM_VSCROLL, static_cast<WPARAM>(code), 0);
}

void TControlScrollBar::Update()
{
    if (UpdateLock || !FOwner->HandleAllocated())
        return;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    info.nMin = FMin;
    info.nMax = FMax;
    info.nPage = static_cast<UINT>(std::max<int32_t>(FPageSize, 0));
    info.nPos = FPosition;
    HWND wnd = FOwner->Handle();
    // Setting what the bar already shows would still redraw it; after a call the call list asks
    // for the same range every time.
    SCROLLINFO now{};
    now.cbSize = sizeof now;
    now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    bool same = GetScrollInfo(wnd, Bar(), &now) && now.nMin == info.nMin && now.nMax == info.nMax &&
                now.nPage == info.nPage && now.nPos == info.nPos;
    if (!same)
        SetScrollInfo(wnd, Bar(), &info, TRUE);
    if (!FEnabledSent || *FEnabledSent != FEnabled || !same) {
        EnableScrollBar(wnd, Bar(), FEnabled ? ESB_ENABLE_BOTH : ESB_DISABLE_BOTH);
        FEnabledSent = FEnabled;
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomScrollView

const ui::TClassInfo& TCustomScrollView::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TCustomScrollView>(L"TCustomScrollView", &ui::TCustomControl::StaticClass()).Build();
    return info;
}

TCustomScrollView::TCustomScrollView(ui::TComponent* AOwner) : ui::TCustomControl(AOwner) {}

void TCustomScrollView::ScrollBy(int dx, int dy)
{
    if (!HandleAllocated())
        return;
    RECT clip = dx != 0 ? HorzScrollArea : VertScrollArea;
    ScrollWindowEx(Handle(), dx * HorzUnitSize, dy * VertUnitSize, nullptr, &clip, nullptr, nullptr, SW_INVALIDATE);
}

// ---------------------------------------------------------------------------------------------
// TRollShadow

const ui::TClassInfo& TRollShadow::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TRollShadow>(L"TRollShadow", &TFlyoutControl::StaticClass()).Build();
    return info;
}

TRollShadow::TRollShadow(ui::TComponent* AOwner) : TFlyoutControl(AOwner)
{
    SetVisible(false);
    SetBounds(0, 0, 32, 32);
}

HRGN TRollShadow::CreateShapeRegion()
{
    static const POINT up[] = {{-1, 7}, {7, -1}, {8, 0}, {14, 7}, {0, 6}};
    static const POINT down[] = {{-1, 15}, {14, 15}, {6, 22}, {6, 22}, {-1, 14}};
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    ui::TGdiObject<HRGN> upRgn(CreatePolygonRgn(up, 5, WINDING));
    ui::TGdiObject<HRGN> downRgn(CreatePolygonRgn(down, 5, WINDING));
    ui::TGdiObject<HRGN> dot(CreateEllipticRgn(5, 9, 10, 14));
    CombineRgn(shape, shape, upRgn, RGN_OR);
    CombineRgn(shape, shape, downRgn, RGN_OR);
    CombineRgn(shape, shape, dot, RGN_OR);
    return shape;
}

void TRollShadow::ApplyShape()
{
    // The shape needs the window; until it exists, window creation applies it.
    if (!HandleAllocated())
        return;
    ui::TGdiObject<HRGN> shape(CreateShapeRegion());
    // The window owns the region from here on.
    if (SetWindowRgn(Handle(), shape, TRUE) != 0)
        shape.Release();
}

void TRollShadow::CreateHandleDone() { ApplyShape(); }

void TRollShadow::PlaceAt(ui::TPoint p)
{
    ApplyShape();
    FMarker = p;
    SetBounds(p.x - 7, p.y - 11, 32, 32);
}

void TRollShadow::Paint()
{
    Canvas().Brush().SetColor(ui::clGrayText);
    Canvas().Brush().SetStyle(ui::TBrushStyle::bsSolid);
    Canvas().FillRect(ClientRect());
}

// ---------------------------------------------------------------------------------------------
// TScrollView

const ui::TClassInfo& TScrollView::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TScrollView>(L"TScrollView", &TCustomScrollView::StaticClass()).Build();
    return info;
}

void RegisterCursorOrFallback(ui::TCursor number, const wchar_t* resource, LPCWSTR fallback)
{
    if (FindResourceW(GetModuleHandleW(nullptr), resource, MAKEINTRESOURCEW(12)) != nullptr) { // RT_GROUP_CURSOR
        ui::Screen->RegisterCursorResource(number, resource);
        return;
    }
    // The screen destroys what it is given when replaced, so it gets a copy of its own.
    HCURSOR copy = static_cast<HCURSOR>(CopyImage(LoadCursorW(nullptr, fallback), IMAGE_CURSOR, 0, 0, 0));
    if (copy != nullptr)
        ui::Screen->SetCursors(number, copy);
}

void RegisterRollCursors()
{
    RegisterCursorOrFallback(crRoll, L"ROLL", IDC_SIZEALL);
    RegisterCursorOrFallback(crRollUp, L"ROLLUP", IDC_UPARROW);
    RegisterCursorOrFallback(crRollDown, L"ROLLDOWN", IDC_SIZENS);
}

TScrollView::TScrollView(ui::TComponent* AOwner)
    : TCustomScrollView(AOwner),
      FHorzScrollBar(std::make_unique<TControlScrollBar>(this)),
      FVertScrollBar(std::make_unique<TControlScrollBar>(this))
{
    FHorzScrollBar->SetKind(TControlScrollBar::sbHorizontal);
    FVertScrollBar->SetKind(TControlScrollBar::sbVertical);
    FRollMarker = new TRollShadow(this);
    FRollMarker->SetParent(this);
    FRollTimer = new ui::TTimer(this);
    FRollTimer->SetEnabled(false);
    FRollTimer->SetInterval(1);
    FRollTimer->SetOnTimer([this](ui::TObject*) { RollStep(); });
    RegisterRollCursors();
}

TScrollView::~TScrollView()
{
    // Marker and timer refer to this view; they go first, then the bars.
    delete FRollMarker;
    FRollMarker = nullptr;
    delete FRollTimer;
    FRollTimer = nullptr;
    FHorzScrollBar.reset();
    FVertScrollBar.reset();
}

void TScrollView::CreateParams(ui::TCreateParams& params)
{
    TCustomScrollView::CreateParams(params);
    params.Style |= WS_HSCROLL | WS_VSCROLL | WS_CLIPCHILDREN;
}

void TScrollView::CreateHandleDone()
{
    TCustomScrollView::CreateHandleDone();
    FVertScrollBar->Update();
    FHorzScrollBar->Update();
}

void TScrollView::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_HSCROLL:
        DefaultHandler(message);
        HandleScrollMessage(message, *FHorzScrollBar);
        return;
    case WM_VSCROLL:
        DefaultHandler(message);
        HandleScrollMessage(message, *FVertScrollBar);
        return;
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_GETDLGCODE:
        message.Result = DLGC_WANTARROWS;
        return;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (Rolling() && reinterpret_cast<HWND>(message.LParam) != Handle())
            EndRoll();
        break;
    }
    TCustomScrollView::WndProc(message);
}

void TScrollView::HandleScrollMessage(ui::TMessage& message, TControlScrollBar& bar)
{
    int code = LOWORD(message.WParam);
    int64_t position = bar.Position();
    bool change = true;
    switch (code) {
    case SB_LINEUP: position -= bar.SmallChange; break;
    case SB_LINEDOWN: position += bar.SmallChange; break;
    case SB_PAGEUP: position -= bar.LargeChange; break;
    case SB_PAGEDOWN: position += bar.LargeChange; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        GetScrollInfo(Handle(), bar.Kind() == TControlScrollBar::sbHorizontal ? SB_HORZ : SB_VERT, &info);
        position = info.nTrackPos;
        break;
    }
    case SB_TOP: position = 0; break;
    case SB_BOTTOM: position = bar.Max(); break;
    default: change = false;
    }
    if (change)
        bar.SetPosition(static_cast<int32_t>(std::clamp<int64_t>(position, INT32_MIN, INT32_MAX)));
    // The bar's own visibility rules here, so that a bar the owner hid stays hidden.
    ShowScrollBar(Handle(), bar.Kind() == TControlScrollBar::sbHorizontal ? SB_HORZ : SB_VERT, bar.Visible());
    message.Result = 0;
}

unsigned TScrollView::RollInterval(int dy)
{
    int64_t interval = 100 - std::llabs(static_cast<int64_t>(dy));
    return static_cast<unsigned>(std::max<int64_t>(interval, 1));
}

void TScrollView::SetRollCursor(ui::TCursor cursor)
{
    FRollCursor = cursor;
    ui::Screen->SetCursor(cursor);
    FRollMarker->SetCursor(cursor);
}

void TScrollView::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomScrollView::MouseDown(button, shift, x, y);
    if (button != ui::TMouseButton::mbMiddle)
        return;
    FRollState |= 1;
    FRollDirection = 0;
    FRollCursor = crRoll;
    FRollMarker->SetCursor(crRoll);
    FRollAnchor = ui::Point(x, y);
    FRollMarker->PlaceAt(ClientToScreen(FRollAnchor));
    FRollMarker->Show();
    FRollTimer->SetInterval(1);
    FRollTimer->SetEnabled(true);
    SetCapture(Handle());
}

void TScrollView::MouseMove(ui::TShiftState shift, int x, int y)
{
    TCustomScrollView::MouseMove(shift, x, y);
    if (!Rolling())
        return;
    FRollDirection = 0;
    int dy = y - FRollAnchor.y;
    if (dy < -5) {
        SetRollCursor(crRollUp);
        FRollDirection = rdUp;
    } else if (dy > 5) {
        SetRollCursor(crRollDown);
        FRollDirection = rdDown;
    } else {
        SetRollCursor(crRoll);
    }
}

void TScrollView::RollStep()
{
    if (!Rolling())
        return;
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(Handle(), &p);
    FRollTimer->SetInterval(RollInterval(p.y - FRollAnchor.y));
    if (FRollDirection & rdUp)
        FVertScrollBar->LineUp();
    if (FRollDirection & rdDown)
        FVertScrollBar->LineDown();
}

void TScrollView::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    TCustomScrollView::MouseUp(button, shift, x, y);
    EndRoll();
}

void TScrollView::EndRoll()
{
    bool wasRolling = Rolling();
    FRollTimer->SetEnabled(false);
    FRollState &= ~1;
    FRollDirection = 0;
    FRollMarker->Hide();
    FRollCursor = ui::crDefault;
    if (wasRolling) {
        ui::Screen->SetCursor(ui::crDefault);
        if (GetCapture() == Handle())
            ReleaseCapture();
    }
}

} // namespace grid
