// Controls: the visual component base (TControl) and controls with a window (TWinControl).
#include "ui/controls/Controls.h"

#include "ui/controls/Menus.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"

#include <windowsx.h>

#include <algorithm>
#include <map>

namespace ui {

template <>
const TEnumInfo& EnumInfoOf<TAlign>()
{
    static const TEnumInfo info{L"TAlign", {L"alNone", L"alTop", L"alBottom", L"alLeft", L"alRight", L"alClient"}};
    return info;
}

LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

namespace {

// Each of our windows keeps its control in GWLP_USERDATA, which reads the window's own memory;
// a window property would cost a round trip to the window server under Wine on every message.
// Only windows of our classes are read (known by the class's procedure, which subclassing leaves
// alone), since other windows use that slot as they like.
TWinControl* ControlOf(HWND wnd)
{
    if (GetClassLongPtrW(wnd, GCLP_WNDPROC) != reinterpret_cast<ULONG_PTR>(&ControlWindowProc))
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
}

void SetControlOf(HWND wnd, TWinControl* control)
{
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
}

// The window with the keyboard focus, as this thread's own windows were told: the focus enters,
// leaves or moves among them only with WM_SETFOCUS and WM_KILLFOCUS to one of them. Asking the
// system (GetFocus) costs a round trip to the window server under Wine, too much for every paint.
HWND gFocus = nullptr;

// The control whose window is being created: messages that arrive before CreateWindowEx returns
// (WM_GETMINMAXINFO comes even before WM_NCCREATE) are routed to it. One UI thread, so one slot.
TWinControl* gCreatingControl = nullptr;

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK && msg != WM_MOUSEWHEEL; }

bool IsButtonDown(UINT msg)
{
    return msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN || msg == WM_LBUTTONDBLCLK ||
           msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
}

bool IsButtonUp(UINT msg) { return msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP; }

TExceptionHook& ExceptionHook()
{
    static TExceptionHook hook = nullptr;
    return hook;
}

// Inside a catch block: passes the exception on to the application's error handling.
void HandleEntryException(TObject* sender)
{
    if (ExceptionHook() != nullptr)
        ExceptionHook()(sender);
    else
        OutputDebugStringW(L"An error reached a window procedure before the application was made");
}

} // namespace

void SetExceptionHook(TExceptionHook hook) { ExceptionHook() = hook; }

void GuardedCall(TObject* sender, const std::function<void()>& fn)
{
    try {
        fn();
    } catch (...) {
        HandleEntryException(sender);
    }
}

TShiftState ShiftStateFromMouse(WPARAM keys)
{
    TShiftState s;
    if (keys & MK_SHIFT)
        s.Include(TShiftStateFlag::ssShift);
    if (keys & MK_CONTROL)
        s.Include(TShiftStateFlag::ssCtrl);
    if (keys & MK_LBUTTON)
        s.Include(TShiftStateFlag::ssLeft);
    if (keys & MK_RBUTTON)
        s.Include(TShiftStateFlag::ssRight);
    if (keys & MK_MBUTTON)
        s.Include(TShiftStateFlag::ssMiddle);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(TShiftStateFlag::ssAlt);
    return s;
}

TShiftState ShiftStateFromKeyboard()
{
    TShiftState s;
    if (GetKeyState(VK_SHIFT) < 0)
        s.Include(TShiftStateFlag::ssShift);
    if (GetKeyState(VK_CONTROL) < 0)
        s.Include(TShiftStateFlag::ssCtrl);
    if (GetKeyState(VK_MENU) < 0)
        s.Include(TShiftStateFlag::ssAlt);
    return s;
}

// ---------------------------------------------------------------------------------------------
// TControl

const TClassInfo& TControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TControl>(L"TControl", &TComponent::StaticClass())
        .Property(L"Left", &TControl::Left, &TControl::SetLeft)
        .Property(L"Top", &TControl::Top, &TControl::SetTop)
        .Property(L"Width", &TControl::Width, &TControl::SetWidth)
        .Property(L"Height", &TControl::Height, &TControl::SetHeight)
        .Property(L"Align", &TControl::Align, &TControl::SetAlign)
        .Property(L"Caption", &TControl::GetText, &TControl::SetText)
        .Property(L"Enabled", &TControl::Enabled, &TControl::SetEnabled)
        .Property(L"Hint", &TControl::Hint, &TControl::SetHint)
        .Property(L"ShowHint", &TControl::ShowHint, &TControl::SetShowHint)
        .Property(L"Tag", &TControl::Tag, &TControl::SetTag)
        .Property(L"Visible", &TControl::Visible, &TControl::SetVisible)
        .Object(L"Font", static_cast<TFont* (TControl::*)()>(&TControl::Font))
        .Property(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont)
        .Custom(L"Color", [](const TControl& c) { return ColorToValue(c.Color()); },
                [](TControl& c, const TValue& v) { c.SetColor(ColorFromValue(v)); })
        .Property(L"ParentColor", &TControl::ParentColor, &TControl::SetParentColor)
        .Custom(L"Cursor", [](const TControl& c) { return CursorToValue(c.Cursor()); },
                [](TControl& c, const TValue& v) { c.SetCursor(CursorFromValue(v)); })
        .Custom(L"PopupMenu",
                [](const TControl& c) {
                    return TValue::Ident(c.PopupMenu() != nullptr ? c.PopupMenu()->Name() : std::wstring(L"nil"));
                },
                [](TControl& c, const TValue& v) { c.ReadPopupMenu(v); })
        .Event(L"OnClick", &TControl::OnClick)
        .Event(L"OnDblClick", &TControl::OnDblClick)
        .Event(L"OnResize", &TControl::OnResize)
        .Event(L"OnMouseDown", &TControl::OnMouseDown)
        .Event(L"OnMouseUp", &TControl::OnMouseUp)
        .Event(L"OnMouseMove", &TControl::OnMouseMove)
        .Build();
    return info;
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(std::make_unique<TFont>())
{
    FFont->OnChange = [this](TObject*) {
        if (!FInheriting)
            FParentFont = false;
        FontChanged();
        NotifyChildrenOfParentChange();
    };
}

TControl::~TControl()
{
    SetParent(nullptr);
    FFont->OnChange = nullptr;
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == FParent)
        return;
    for (TControl* p = parent; p != nullptr; p = p->FParent)
        if (p == this)
            throw EInvalidOperation(L"A control cannot have itself as its parent");
    if (FParent != nullptr) {
        if (!dynamic_cast<TWinControl*>(this))
            Invalidate();
        FParent->RemoveControl(this);
    }
    FParent = parent;
    if (FParent != nullptr) {
        ParentFontChanged();
        ParentColorChanged();
        FParent->InsertControl(this);
    }
}

TComponent* TControl::GetParentComponent() const { return FParent; }

void TControl::SetParentComponent(TComponent* parent)
{
    if (auto* w = dynamic_cast<TWinControl*>(parent))
        SetParent(w);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    if (left == FLeft && top == FTop && width == FWidth && height == FHeight)
        return;
    bool resized = width != FWidth || height != FHeight;
    BoundsChanging(left, top, width, height);
    FLeft = left;
    FTop = top;
    FWidth = width;
    FHeight = height;
    if (!dynamic_cast<TWinControl*>(this)) {
        Invalidate();
        if (resized && !IsLoading())
            Resize();
    }
    RequestAlign();
}

void TControl::BoundsChanging(int, int, int, int)
{
    Invalidate(); // the old place of a windowless control
}

void TControl::RequestAlign()
{
    if (FParent != nullptr && FAlign != TAlign::alNone && !IsLoading())
        FParent->AlignControls();
}

void TControl::SetClientWidth(int v) { SetWidth(FWidth - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(FHeight - ClientHeight() + v); }

void TControl::SetVisible(bool visible)
{
    if (visible == FVisible)
        return;
    if (!visible)
        Invalidate();
    FVisible = visible;
    VisibleChanged();
    if (FParent != nullptr && FAlign != TAlign::alNone && !IsLoading())
        FParent->AlignControls();
}

void TControl::VisibleChanged() { Invalidate(); }

bool TControl::Showing() const
{
    for (const TControl* c = this; c != nullptr; c = c->FParent)
        if (!c->FVisible)
            return false;
    return true;
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == FEnabled)
        return;
    FEnabled = enabled;
    EnabledChanged();
}

void TControl::SetAlign(TAlign align)
{
    if (align == FAlign)
        return;
    FAlign = align;
    RequestAlign();
}

void TControl::SetText(const std::wstring& text)
{
    if (text == FText)
        return;
    FText = text;
    TextChanged();
}

void TControl::Invalidate()
{
    if (FParent != nullptr && FParent->HandleAllocated() && FVisible) {
        TRect r = BoundsRect();
        // A parent that paints all of its background itself (csOpaque) needs no erasing first:
        // under Wine erasing costs the paint a second device context.
        const bool erase = !FParent->ControlStyle().Contains(TControlStyleFlag::csOpaque);
        InvalidateRect(FParent->Handle(), &r, erase ? TRUE : FALSE);
    }
}

void TControl::Update()
{
    if (FParent != nullptr)
        FParent->Update();
}

void TControl::BringToFront()
{
    if (auto* w = dynamic_cast<TWinControl*>(this); w != nullptr && w->HandleAllocated())
        SetWindowPos(w->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    else
        Invalidate();
}

TPoint TControl::ClientOrigin() const
{
    // A window knows where its client area is on the screen (after its frame and caption).
    if (auto* w = dynamic_cast<const TWinControl*>(this); w != nullptr && w->HandleAllocated()) {
        POINT origin{0, 0};
        ::ClientToScreen(const_cast<TWinControl*>(w)->Handle(), &origin);
        return origin;
    }
    TPoint p{FLeft, FTop};
    if (FParent != nullptr) {
        TPoint parent = FParent->ClientOrigin();
        p.x += parent.x;
        p.y += parent.y;
    }
    return p;
}

TPoint TControl::ClientToScreen(TPoint p) const
{
    TPoint o = ClientOrigin();
    return TPoint{p.x + o.x, p.y + o.y};
}

TPoint TControl::ScreenToClient(TPoint p) const
{
    TPoint o = ClientOrigin();
    return TPoint{p.x - o.x, p.y - o.y};
}

LRESULT TControl::Perform(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TMessage m{msg, wParam, lParam, 0};
    WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& message) { HandleMouseMessage(message); }

void TControl::PaintTo(HDC) {}

bool TControl::HandleMouseMessage(TMessage& message)
{
    if (!IsMouseMessage(message.Msg))
        return false;
    int x = GET_X_LPARAM(message.LParam);
    int y = GET_Y_LPARAM(message.LParam);
    TShiftState shift = ShiftStateFromMouse(message.WParam);
    switch (message.Msg) {
    case WM_LBUTTONDOWN:
        FMouseDownInside = true;
        MouseDown(TMouseButton::mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        FMouseDownInside = true;
        if (FControlStyle.Contains(TControlStyleFlag::csDoubleClicks))
            DblClick();
        MouseDown(TMouseButton::mbLeft, shift + TShiftState{TShiftStateFlag::ssDouble}, x, y);
        break;
    case WM_LBUTTONUP: {
        bool clicked = FMouseDownInside;
        FMouseDownInside = false;
        if (clicked && FControlStyle.Contains(TControlStyleFlag::csClickEvents) &&
            PtInRectangle(ClientRect(), TPoint{x, y}))
            Click();
        MouseUp(TMouseButton::mbLeft, shift, x, y);
        break;
    }
    // The second press of a double click is marked as such for every button, so that a control
    // can tell it from a fresh press.
    case WM_RBUTTONDOWN: MouseDown(TMouseButton::mbRight, shift, x, y); break;
    case WM_RBUTTONDBLCLK: MouseDown(TMouseButton::mbRight, shift + TShiftState{TShiftStateFlag::ssDouble}, x, y); break;
    case WM_RBUTTONUP: MouseUp(TMouseButton::mbRight, shift, x, y); break;
    case WM_MBUTTONDOWN: MouseDown(TMouseButton::mbMiddle, shift, x, y); break;
    case WM_MBUTTONDBLCLK: MouseDown(TMouseButton::mbMiddle, shift + TShiftState{TShiftStateFlag::ssDouble}, x, y); break;
    case WM_MBUTTONUP: MouseUp(TMouseButton::mbMiddle, shift, x, y); break;
    case WM_MOUSEMOVE: MouseMove(shift, x, y); break;
    default: return false;
    }
    return true;
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

// ---------------------------------------------------------------------------------------------
// The one window procedure of every control window

LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* control = ControlOf(wnd);
    if (control == nullptr && gCreatingControl != nullptr) {
        control = gCreatingControl;
        control->FHandle = wnd;
        SetControlOf(wnd, control);
    }
    if (msg == WM_SETFOCUS)
        gFocus = wnd;
    else if (msg == WM_KILLFOCUS)
        gFocus = reinterpret_cast<HWND>(wParam);
    else if (msg == WM_NCDESTROY && gFocus == wnd)
        gFocus = nullptr;
    if (control == nullptr)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    try {
        control->WndProc(message);
    } catch (...) {
        HandleEntryException(control);
    }
    if (msg == WM_NCDESTROY)
        control->WindowDestroyed();
    return message.Result;
}

namespace {

// Registers our window class, derived from a system class when one is named; remembers the
// system class's own procedure, which stays the default handling of those windows.
WNDPROC RegisterControlClass(const TCreateParams& params)
{
    static std::map<std::wstring, WNDPROC> registered;
    auto it = registered.find(params.WinClassName);
    if (it != registered.end())
        return it->second;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    WNDPROC original = nullptr;
    if (!params.SystemClass.empty()) {
        if (!GetClassInfoExW(nullptr, params.SystemClass.c_str(), &wc))
            throw EInvalidOperation(Format(L"The system window class %s is missing", params.SystemClass.c_str()));
        original = wc.lpfnWndProc;
        wc.cbSize = sizeof(wc);
    } else {
        wc.style = params.ClassStyle;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = params.Background;
    }
    wc.lpfnWndProc = ControlWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = params.WinClassName.c_str();
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassExW(&wc))
        throw EInvalidOperation(Format(L"Cannot register the window class %s", params.WinClassName.c_str()));
    registered[params.WinClassName] = original;
    return original;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// TWinControl

const TClassInfo& TWinControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TWinControl>(L"TWinControl", &TControl::StaticClass())
        .Property(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop)
        .Property(L"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
        .Event(L"OnEnter", &TWinControl::OnEnter)
        .Event(L"OnExit", &TWinControl::OnExit)
        .Event(L"OnKeyDown", &TWinControl::OnKeyDown)
        .Event(L"OnKeyUp", &TWinControl::OnKeyUp)
        .Event(L"OnKeyPress", &TWinControl::OnKeyPress)
        .Build();
    return info;
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    // Children that someone else owns stay alive but lose their parent; their windows go with ours.
    while (!FControls.empty())
        FControls.back()->SetParent(nullptr);
    DestroyHandle();
}

TWinControl* TWinControl::FromHandle(HWND wnd)
{
    if (wnd == nullptr)
        return nullptr;
    return ControlOf(wnd);
}

HWND TWinControl::Handle()
{
    if (FHandle == nullptr) {
        if (FCreating)
            throw EInvalidOperation(Format(L"Window of %s requested while it is being created", Name().c_str()));
        if (IsDestroying())
            throw EInvalidOperation(L"Window requested while the control is being destroyed");
        CreateWnd();
    }
    return FHandle;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.Caption = Caption();
    params.Style = WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    // Nothing here listens for a child's birth or death, and each notice climbs every ancestor.
    params.ExStyle = WS_EX_NOPARENTNOTIFY;
    if (Visible())
        params.Style |= WS_VISIBLE;
    if (!Enabled())
        params.Style |= WS_DISABLED;
    if (FTabStop)
        params.Style |= WS_TABSTOP;
    params.X = Left();
    params.Y = Top();
    params.Width = Width();
    params.Height = Height();
    params.WinClassName = L"CallerIdTest." + ClassName();
    params.ClassStyle = CS_DBLCLKS;
    params.Background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if ((params.Style & WS_CHILD) && Parent() != nullptr)
        params.WndParent = Parent()->Handle();
    if ((params.Style & WS_CHILD) && params.WndParent == nullptr)
        throw EInvalidOperation(Format(L"Control '%s' has no parent window", Name().c_str()));
    FDefWndProc = RegisterControlClass(params);
    FCreating = true;
    TWinControl* previous = gCreatingControl;
    gCreatingControl = this;
    HWND wnd = CreateWindowExW(params.ExStyle, params.WinClassName.c_str(), params.Caption.c_str(), params.Style,
                               params.X, params.Y, params.Width, params.Height, params.WndParent, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    gCreatingControl = previous;
    FCreating = false;
    if (wnd == nullptr) {
        FHandle = nullptr;
        throw EInvalidOperation(Format(L"Cannot create the window of %s (error %lu)", Name().c_str(), GetLastError()));
    }
    FHandle = wnd;
    // The window's first message has usually bound it already (each write is a server call).
    if (ControlOf(wnd) != this)
        SetControlOf(wnd, this);
    // Only the system's classes keep a font; ours draw with the control's own.
    if (!params.SystemClass.empty())
        SendMessageW(wnd, WM_SETFONT, reinterpret_cast<WPARAM>(Font()->Handle()), FALSE);
    CreateHandleDone();
    // Windowed children get their windows together with ours, in creation order.
    std::vector<TControl*> children = FControls;
    for (TControl* child : children)
        if (auto* w = dynamic_cast<TWinControl*>(child); w != nullptr && (w->Visible() || w->CreatedWithParent()))
            w->HandleNeeded();
    AlignControls();
}

void TWinControl::DestroyWnd()
{
    if (FHandle != nullptr)
        DestroyWindow(FHandle); // WM_NCDESTROY clears FHandle
    FHandle = nullptr;
}

void TWinControl::DestroyHandle()
{
    if (FHandle == nullptr)
        return;
    for (TControl* child : FControls)
        if (auto* w = dynamic_cast<TWinControl*>(child))
            w->DestroyHandle();
    DestroyWnd();
}

void TWinControl::RecreateWnd()
{
    if (FHandle == nullptr)
        return;
    DestroyHandle();
    HandleNeeded();
}

void TWinControl::WindowDestroyed()
{
    if (FHandle != nullptr)
        SetControlOf(FHandle, nullptr);
    FHandle = nullptr;
}

TControl* TWinControl::Controls(int index) const
{
    if (index < 0 || index >= ControlCount())
        throw EListError(index);
    return FControls[index];
}

void TWinControl::InsertControl(TControl* control)
{
    FControls.push_back(control);
    if (auto* w = dynamic_cast<TWinControl*>(control)) {
        if (HandleAllocated() && !w->IsLoading() && (w->Visible() || w->CreatedWithParent()))
            w->HandleNeeded();
    } else {
        control->Invalidate();
    }
    if (control->Align() != TAlign::alNone && !control->IsLoading())
        AlignControls();
}

void TWinControl::RemoveControl(TControl* control)
{
    if (FMouseControl == control)
        FMouseControl = nullptr;
    if (auto* w = dynamic_cast<TWinControl*>(control))
        w->DestroyHandle();
    FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
}

void TWinControl::Notification(TComponent* component, TOperation operation)
{
    TControl::Notification(component, operation);
    if (operation == TOperation::opRemove && component == FMouseControl)
        FMouseControl = nullptr;
}

TControl* TWinControl::ControlAtPos(TPoint p, bool allowDisabled) const
{
    for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
        TControl* c = *it;
        if (dynamic_cast<TWinControl*>(c) != nullptr || !c->Visible())
            continue;
        if (!allowDisabled && !c->Enabled())
            continue;
        if (PtInRectangle(c->BoundsRect(), p))
            return c;
    }
    return nullptr;
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root)
{
    for (TControl* c : FControls)
        if (c->Owner() == root)
            proc(c);
}

void TWinControl::SetTabStop(bool v)
{
    if (v == FTabStop)
        return;
    FTabStop = v;
    if (FHandle != nullptr) {
        LONG style = GetWindowLongW(FHandle, GWL_STYLE);
        SetWindowLongW(FHandle, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

HWND FocusedWindow() { return gFocus; }

bool FocusWithin(HWND wnd)
{
    if (wnd == nullptr)
        return false;
    for (HWND w = gFocus; w != nullptr; w = GetAncestor(w, GA_PARENT))
        if (w == wnd)
            return true;
    return false;
}

bool TWinControl::Focused() const { return FHandle != nullptr && GetFocus() == FHandle; }

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c != nullptr; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    if (!CanFocus())
        throw EInvalidOperation(L"Cannot focus a disabled or invisible window");
    ::SetFocus(Handle());
}

void TWinControl::SetEnabled(bool enabled)
{
    TControl::SetEnabled(enabled);
    if (FHandle != nullptr)
        EnableWindow(FHandle, enabled);
}

TRect TWinControl::ClientRect() const
{
    if (FHandle != nullptr) {
        TRect r;
        GetClientRect(FHandle, &r);
        return r;
    }
    // Without a window, derive the frame from the styles the window would be created with.
    TCreateParams params;
    const_cast<TWinControl*>(this)->CreateParams(params);
    TRect frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, params.Style, FALSE, params.ExStyle);
    return Rect(0, 0, std::max(0, Width() - RectWidth(frame)), std::max(0, Height() - RectHeight(frame)));
}

void TWinControl::Invalidate()
{
    if (FHandle != nullptr)
        InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update()
{
    if (FHandle != nullptr)
        UpdateWindow(FHandle);
}

void TWinControl::BoundsChanging(int left, int top, int width, int height)
{
    if (FHandle != nullptr)
        SetWindowPos(FHandle, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TWinControl::VisibleChanged()
{
    if (FHandle != nullptr)
        ShowWindow(FHandle, Visible() ? SW_SHOWNA : SW_HIDE);
    else if (Visible() && Parent() != nullptr && Parent()->HandleAllocated())
        HandleNeeded();
}

void TWinControl::TextChanged()
{
    if (FHandle != nullptr)
        SetWindowTextW(FHandle, Caption().c_str());
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        AlignControls();
}

void TWinControl::AdjustClientRect(TRect&) {}

void TWinControl::AlignControls()
{
    if (FAlignLevel > 0 || IsLoading())
        return;
    TRect area = ClientRect();
    AdjustClientRect(area);
    auto place = [&](TAlign kind) {
        std::vector<TControl*> list;
        for (TControl* c : FControls)
            if (c->Align() == kind && c->Visible())
                list.push_back(c);
        std::stable_sort(list.begin(), list.end(), [kind](TControl* a, TControl* b) {
            switch (kind) {
            case TAlign::alTop: return a->Top() < b->Top();
            case TAlign::alBottom: return a->Top() + a->Height() > b->Top() + b->Height();
            case TAlign::alLeft: return a->Left() < b->Left();
            case TAlign::alRight: return a->Left() + a->Width() > b->Left() + b->Width();
            default: return false;
            }
        });
        for (TControl* c : list) {
            int w = RectWidth(area), h = RectHeight(area);
            switch (kind) {
            case TAlign::alTop:
                c->SetBounds(area.left, area.top, w, c->Height());
                area.top += c->Height();
                break;
            case TAlign::alBottom:
                c->SetBounds(area.left, area.bottom - c->Height(), w, c->Height());
                area.bottom -= c->Height();
                break;
            case TAlign::alLeft:
                c->SetBounds(area.left, area.top, c->Width(), h);
                area.left += c->Width();
                break;
            case TAlign::alRight:
                c->SetBounds(area.right - c->Width(), area.top, c->Width(), h);
                area.right -= c->Width();
                break;
            case TAlign::alClient: c->SetBounds(area.left, area.top, w, h); break;
            default: break;
            }
        }
    };
    ++FAlignLevel; // children's SetBounds must not re-enter
    place(TAlign::alTop);
    place(TAlign::alBottom);
    place(TAlign::alLeft);
    place(TAlign::alRight);
    place(TAlign::alClient);
    --FAlignLevel;
}

void TWinControl::PaintWindow(HDC dc)
{
    if (IsSystemClass()) {
        TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
        DefaultHandler(paint);
    }
}

void TWinControl::PaintControls(HDC dc)
{
    for (TControl* c : FControls) {
        if (dynamic_cast<TWinControl*>(c) != nullptr || !c->Visible())
            continue;
        TRect r = c->BoundsRect();
        if (!RectVisible(dc, &r))
            continue;
        // Each control paints with its own origin and clip; the next one starts from the
        // window's again, whatever happened to this one.
        TSavedDC saved(dc);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        IntersectClipRect(dc, 0, 0, RectWidth(r), RectHeight(r));
        c->PaintTo(dc);
    }
}

void TWinControl::PaintHandler(TMessage& message)
{
    // A paint into a given device context (WM_PAINT with a DC, as PaintTo sends) draws there;
    // otherwise the window's own paint cycle is opened and always closed again.
    HDC given = reinterpret_cast<HDC>(message.WParam);
    TPaintBracket bracket(FHandle, given == nullptr);
    HDC dc = given != nullptr ? given : bracket.DC();
    PaintWindow(dc);
    PaintControls(dc);
}

bool TWinControl::ForwardMouseToChild(TMessage& message)
{
    if (!IsMouseMessage(message.Msg))
        return false;
    TPoint p{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TControl* target = FMouseControl != nullptr ? FMouseControl : ControlAtPos(p, false);
    if (target == nullptr)
        return false;
    if (IsButtonDown(message.Msg)) {
        FMouseControl = target;
        SetCapture(FHandle);
    }
    TMessage forwarded = message;
    forwarded.LParam = MAKELPARAM(p.x - target->Left(), p.y - target->Top());
    bool released = IsButtonUp(message.Msg) && FMouseControl == target;
    target->WndProc(forwarded);
    message.Result = forwarded.Result;
    if (released) {
        FMouseControl = nullptr;
        if (GetCapture() == FHandle)
            ReleaseCapture();
    }
    // Windows raises WM_CONTEXTMENU only for messages that reach the default handling, which a
    // windowless child's messages do not: raise it here, at the point of the click.
    if (message.Msg == WM_RBUTTONUP) {
        POINT screen = p;
        ::ClientToScreen(FHandle, &screen);
        Perform(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(FHandle), MAKELPARAM(screen.x, screen.y));
    }
    return true;
}

void TWinControl::ReflectNotification(TMessage& message)
{
    HWND source = nullptr;
    switch (message.Msg) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: source = reinterpret_cast<HWND>(message.LParam); break;
    case WM_NOTIFY: source = reinterpret_cast<NMHDR*>(message.LParam)->hwndFrom; break;
    case WM_DRAWITEM: source = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam)->hwndItem; break;
    default: return;
    }
    TWinControl* child = FromHandle(source);
    if (child != nullptr && child != this && child->HandleReflected(message))
        message.Msg = 0; // handled
}

namespace {
TAccessibleHook& AccessibleHook()
{
    static TAccessibleHook hook = nullptr;
    return hook;
}
} // namespace

void SetAccessibleHook(TAccessibleHook hook) { AccessibleHook() = hook; }

bool TWinControl::AnswerAccessibleObject(TMessage& message)
{
    if (AccessibleHook() == nullptr)
        return false;
    message.Result = AccessibleHook()(*this, message.WParam);
    return message.Result != 0;
}

void TWinControl::WndProc(TMessage& message)
{
    if (DispatchMessageFamily(message))
        return;
    DefaultHandler(message);
}

bool TWinControl::DispatchMessageFamily(TMessage& message)
{
    switch (message.Msg) {
    case WM_GETOBJECT: return WmGetObject(message);
    case WM_ERASEBKGND: return WmEraseBackground(message);
    case WM_SETCURSOR: return WmSetCursor(message);
    case WM_CONTEXTMENU: return WmContextMenu(message);
    case WM_PAINT: return WmPaint(message);
    case WM_WINDOWPOSCHANGED: return WmWindowPosChanged(message);
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSCROLLBAR: return WmNotification(message);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR: return WmKey(message);
    case WM_MOUSEWHEEL: return WmMouseWheel(message);
    case WM_SETFOCUS:
    case WM_KILLFOCUS: return WmFocus(message);
    default: return IsMouseMessage(message.Msg) && WmMouse(message);
    }
}

bool TWinControl::WmGetObject(TMessage& message)
{
    return static_cast<LONG>(message.LParam) == OBJID_CLIENT && AnswerAccessibleObject(message);
}

bool TWinControl::WmEraseBackground(TMessage& message)
{
    if (IsSystemClass())
        return false;
    TRect r;
    GetClientRect(FHandle, &r);
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    COLORREF old = SetBkColor(dc, ColorToRef(Color()));
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr);
    SetBkColor(dc, old);
    message.Result = 1;
    return true;
}

bool TWinControl::WmSetCursor(TMessage& message)
{
    if (reinterpret_cast<HWND>(message.WParam) != FHandle || LOWORD(message.LParam) != HTCLIENT)
        return false;
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(FHandle, &p);
        TControl* child = ControlAtPos(p, false);
        cursor = child != nullptr && child->Cursor() != crDefault ? child->Cursor() : Cursor();
    }
    if (cursor == crDefault)
        return false;
    ::SetCursor(Screen->Cursors(cursor));
    message.Result = TRUE;
    return true;
}

bool TWinControl::WmContextMenu(TMessage& message)
{
    TPoint screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    TControl* target = this;
    if (screen.x == -1 && screen.y == -1) { // from the keyboard: below the control's corner
        screen = ClientToScreen(TPoint{0, 0});
    } else {
        POINT p = screen;
        ::ScreenToClient(FHandle, &p);
        if (TControl* child = ControlAtPos(p, false))
            target = child;
    }
    if (!target->ShowPopupMenu(screen))
        return false;
    message.Result = 0;
    return true;
}

bool TWinControl::WmPaint(TMessage& message)
{
    bool graphicChildren = std::any_of(FControls.begin(), FControls.end(), [](TControl* c) {
        return dynamic_cast<TWinControl*>(c) == nullptr && c->Visible();
    });
    if (IsSystemClass() && !graphicChildren)
        return false;
    PaintHandler(message);
    return true;
}

bool TWinControl::WmWindowPosChanged(TMessage& message)
{
    DefaultHandler(message);
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(message.LParam);
    if ((pos->flags & SWP_NOSIZE) && (pos->flags & SWP_NOMOVE))
        return true;
    TRect r;
    GetWindowRect(FHandle, &r);
    HWND parent = GetParent(FHandle);
    if ((GetWindowLongW(FHandle, GWL_STYLE) & WS_CHILD) && parent != nullptr)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    bool resized = RectWidth(r) != Width() || RectHeight(r) != Height();
    StoreBounds(r.left, r.top, RectWidth(r), RectHeight(r));
    if (resized) {
        AlignControls();
        if (!IsLoading())
            Resize();
    }
    return true;
}

bool TWinControl::WmNotification(TMessage& message)
{
    UINT original = message.Msg;
    ReflectNotification(message);
    if (message.Msg != 0)
        return false;
    message.Msg = original;
    return true;
}

bool TWinControl::WmKey(TMessage& message)
{
    if (message.Msg == WM_CHAR) {
        wchar_t ch = static_cast<wchar_t>(message.WParam);
        KeyPress(ch);
        if (ch == 0)
            return true;
        message.WParam = ch;
        return false;
    }
    WORD key = static_cast<WORD>(message.WParam);
    if (message.Msg == WM_KEYDOWN || message.Msg == WM_SYSKEYDOWN)
        KeyDown(key, ShiftStateFromKeyboard());
    else
        KeyUp(key, ShiftStateFromKeyboard());
    if (key == 0)
        return true;
    message.WParam = key;
    return false;
}

bool TWinControl::WmMouseWheel(TMessage& message)
{
    // Not among the other mouse messages: its position is in screen coordinates and it goes to
    // the focused window, not to a windowless child under the pointer.
    TShiftState shift = ShiftStateFromMouse(GET_KEYSTATE_WPARAM(message.WParam));
    TPoint screen{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
    if (!MouseWheel(shift, GET_WHEEL_DELTA_WPARAM(message.WParam), screen))
        return false;
    message.Result = 0;
    return true;
}

bool TWinControl::WmFocus(TMessage& message)
{
    DefaultHandler(message);
    if (message.Msg == WM_SETFOCUS)
        DoEnter();
    else
        DoExit();
    return true;
}

bool TWinControl::WmMouse(TMessage& message)
{
    if (ForwardMouseToChild(message))
        return true;
    if (!IsSystemClass() && FControlStyle.Contains(TControlStyleFlag::csCaptureMouse)) {
        if (IsButtonDown(message.Msg))
            SetCapture(FHandle);
        else if (IsButtonUp(message.Msg) && GetCapture() == FHandle)
            ReleaseCapture();
    }
    HandleMouseMessage(message);
    return false;
}

void TWinControl::DefaultHandler(TMessage& message)
{
    if (FHandle == nullptr)
        return;
    if (FDefWndProc != nullptr)
        message.Result = CallWindowProcW(FDefWndProc, FHandle, message.Msg, message.WParam, message.LParam);
    else
        message.Result = DefWindowProcW(FHandle, message.Msg, message.WParam, message.LParam);
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(wchar_t& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

bool TWinControl::MouseWheel(TShiftState, int, TPoint) { return false; }

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

// ---------------------------------------------------------------------------------------------
// Hidden helper windows

namespace {

struct THelperWindow {
    std::function<bool(TMessage&)> Handler;
};

LRESULT CALLBACK HelperWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* helper = reinterpret_cast<THelperWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (helper == nullptr || !helper->Handler)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    TMessage message{msg, wParam, lParam, 0};
    bool handled = true;
    try {
        handled = helper->Handler(message);
    } catch (...) {
        HandleEntryException(nullptr);
    }
    if (!handled)
        return DefWindowProcW(wnd, msg, wParam, lParam);
    return message.Result;
}

} // namespace

HWND AllocateHWnd(std::function<bool(TMessage&)> handler)
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = HelperWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CallerIdTest.Helper";
        RegisterClassExW(&wc);
        registered = true;
    }
    // Not a message-only window: broadcasts such as "TaskbarCreated" must reach it.
    HWND wnd = CreateWindowExW(WS_EX_TOOLWINDOW, L"CallerIdTest.Helper", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    if (wnd == nullptr)
        throw EInvalidOperation(L"Cannot create a helper window");
    SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new THelperWindow{std::move(handler)}));
    return wnd;
}

void DeallocateHWnd(HWND wnd)
{
    if (wnd == nullptr)
        return;
    auto* helper = reinterpret_cast<THelperWindow*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    SetWindowLongPtrW(wnd, GWLP_USERDATA, 0);
    DestroyWindow(wnd);
    delete helper;
}

namespace {

struct TTimerEntry {
    TObject* Sender = nullptr;
    std::function<void()> Tick;
};

struct TSharedTimers {
    HWND Window = nullptr;
    int Holders = 0;
    UINT_PTR LastId = 0;
    std::map<UINT_PTR, TTimerEntry> Running;
};

TSharedTimers& SharedTimers()
{
    static TSharedTimers shared;
    return shared;
}

} // namespace

void TTimerWindow::Hold()
{
    TSharedTimers& shared = SharedTimers();
    if (shared.Window == nullptr)
        shared.Window = AllocateHWnd([](TMessage& message) {
            if (message.Msg != WM_TIMER)
                return false;
            auto found = SharedTimers().Running.find(message.WParam);
            if (found != SharedTimers().Running.end()) {
                // A copy: the tick may stop or destroy its own timer, and with it the entry.
                TTimerEntry entry = found->second;
                GuardedCall(entry.Sender, entry.Tick);
            }
            return true;
        });
    ++shared.Holders;
}

void TTimerWindow::Release()
{
    TSharedTimers& shared = SharedTimers();
    if (shared.Holders > 0 && --shared.Holders == 0) {
        DeallocateHWnd(shared.Window);
        shared.Window = nullptr;
        shared.Running.clear();
    }
}

HWND TTimerWindow::Window() { return SharedTimers().Window; }

UINT_PTR TTimerWindow::NewId() { return ++SharedTimers().LastId; }

bool TTimerWindow::Start(UINT_PTR id, unsigned interval, TObject* sender, std::function<void()> tick)
{
    TSharedTimers& shared = SharedTimers();
    if (shared.Window == nullptr || SetTimer(shared.Window, id, interval, nullptr) == 0)
        return false;
    shared.Running[id] = TTimerEntry{sender, std::move(tick)};
    return true;
}

void TTimerWindow::Stop(UINT_PTR id)
{
    TSharedTimers& shared = SharedTimers();
    if (shared.Window != nullptr)
        KillTimer(shared.Window, id);
    shared.Running.erase(id);
}

} // namespace ui
