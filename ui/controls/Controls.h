// Controls: the visual component base (TControl) and controls with a window (TWinControl).
#pragma once

#include "ui/core/Classes.h"
#include "ui/core/Types.h"
#include "ui/graphics/Graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class TWinControl;
class TPopupMenu;

// Screen cursors by number: the standard ones are negative, 0 means "the default of the window";
// a program registers its own cursors under positive numbers (TScreen::SetCursors).
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;

// Stored form of a cursor: its name ("crHandPoint") where it has one, else the number.
TValue CursorToValue(TCursor cursor);
TCursor CursorFromValue(const TValue& value);

// The screen: the cursors known by number, and a cursor that overrides every window's own
// while it is not crDefault (an hourglass during long work).
class TScreen {
public:
    TScreen() = default;
    ~TScreen();
    TScreen(const TScreen&) = delete;
    TScreen& operator=(const TScreen&) = delete;

    // The cursor registered under `index`; the arrow when there is none.
    HCURSOR Cursors(TCursor index);
    // Registers a cursor under a number; the screen destroys loaded cursors it owns when replaced.
    void SetCursors(TCursor index, HCURSOR cursor);
    // Loads a named cursor resource of the program and registers it under `index`.
    void RegisterCursorResource(TCursor index, const std::wstring& resourceName);

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor cursor);

private:
    struct TRegistered {
        TCursor Index;
        HCURSOR Cursor;
        std::wstring ResourceName; // empty when registered by handle
    };
    std::vector<TRegistered> FCursors; // registered by the program (owned)
    TCursor FCursor = crDefault;
};

extern TScreen* const Screen;

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum class TMouseButton { mbLeft, mbRight, mbMiddle };
enum class TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;

// Behaviour switches of a control class.
enum class TControlStyleFlag { csClickEvents, csDoubleClicks, csCaptureMouse, csOpaque, csAcceptsControls };
using TControlStyle = TSet<TControlStyleFlag>;

// Shift state from the modifier bits of a mouse message's WParam.
TShiftState ShiftStateFromMouse(WPARAM keys);
TShiftState ShiftStateFromKeyboard();

// A visual component: bounds within its parent, visibility, caption, mouse events. A control
// without a window (TGraphicControl) is painted and fed mouse messages by its parent.
class TControl : public TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    virtual TRect ClientRect() const { return Rect(0, 0, FWidth, FHeight); }
    int ClientWidth() const { return RectWidth(ClientRect()); }
    int ClientHeight() const { return RectHeight(ClientRect()); }
    void SetClientWidth(int v);
    void SetClientHeight(int v);

    bool Visible() const { return FVisible; }
    void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible here and in every parent up to a top-level window.
    bool Showing() const;

    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool enabled);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign align);

    // The control's text: the caption of labels and buttons, the text of edits and windows.
    const std::wstring& Caption() const { return FText; }
    void SetCaption(const std::wstring& text) { SetText(text); }
    virtual std::wstring GetText() const { return FText; }
    virtual void SetText(const std::wstring& text);

    const std::wstring& Hint() const { return FHint; }
    void SetHint(const std::wstring& hint) { FHint = hint; }
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; }

    int Tag() const { return FTag; }
    void SetTag(int v) { FTag = v; }

    // The font and colour; with ParentFont / ParentColor they follow the parent's.
    TFont* Font() { return FFont.get(); }
    const TFont* Font() const { return FFont.get(); }
    void SetFont(const TFont& font) { FFont->Assign(font); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);

    // The screen cursor shown while the mouse is over the control (crDefault: the parent's).
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v) { FCursor = v; }

    // The context menu shown on a right click; it learns which control it popped up for.
    TPopupMenu* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TPopupMenu* menu);
    // Takes the parent's font and colour where this control follows them (after a new parent
    // or a change of the parent's).
    void ParentFontChanged();
    void ParentColorChanged();
    // Shows the popup menu (of this control or the nearest parent that has one) at a screen
    // point; false when there is none.
    bool ShowPopupMenu(TPoint screen);
    // The description reader's setter: a menu named later in the description is found by Loaded.
    void ReadPopupMenu(const TValue& value);
    void Loaded() override;

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle style) { FControlStyle = style; }

    virtual void Invalidate();
    virtual void Update();
    void Repaint()
    {
        Invalidate();
        Update();
    }
    void BringToFront();

    TPoint ClientToScreen(TPoint p) const;
    TPoint ScreenToClient(TPoint p) const;
    // Top-left of the client area on the screen.
    TPoint ClientOrigin() const;

    // Sends a message straight to the control's message handler.
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // The control's message handler; subclasses handle what they need before or after calling this.
    virtual void WndProc(TMessage& message);

    // Draws a windowless control into its parent's device context, already offset to its origin.
    virtual void PaintTo(HDC dc);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;
    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    TMouseMoveEvent OnMouseMove;

    bool HasParent() const override { return true; }
    TComponent* GetParentComponent() const override;
    void SetParentComponent(TComponent* parent) override;

    virtual void Click();
    virtual void DblClick();

protected:
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void Resize();
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged() { Invalidate(); }
    virtual void ColorChanged() { Invalidate(); }
    virtual void NotifyChildrenOfParentChange() {}
    void Notification(TComponent* component, TOperation operation) override;
    virtual void VisibleChanged();
    virtual void EnabledChanged() { Invalidate(); }
    // Mouse messages in client coordinates become the typed handlers above.
    bool HandleMouseMessage(TMessage& message);
    // Called by SetBounds before the new bounds are stored (windowed controls move their window).
    virtual void BoundsChanging(int left, int top, int width, int height);
    void RequestAlign();
    // Records bounds that the window already has (after Windows moved or sized it).
    void StoreBounds(int left, int top, int width, int height)
    {
        FLeft = left;
        FTop = top;
        FWidth = width;
        FHeight = height;
    }

    bool FMouseDownInside = false;
    TControlStyle FControlStyle{TControlStyleFlag::csClickEvents, TControlStyleFlag::csDoubleClicks,
                                TControlStyleFlag::csCaptureMouse};

private:
    TWinControl* FParent = nullptr;
    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FEnabled = true;
    TAlign FAlign = TAlign::alNone;
    std::wstring FText;
    std::wstring FHint;
    bool FShowHint = false;
    int FTag = 0;
    std::unique_ptr<TFont> FFont;
    bool FParentFont = true;
    TColor FColor = clBtnFace;
    bool FParentColor = false;
    bool FInheriting = false; // the font or colour is being taken from the parent
    TCursor FCursor = crDefault;
    TPopupMenu* FPopupMenu = nullptr;
    std::wstring FPendingPopupMenu;
};

// What a windowed control asks Windows for when its window is created.
struct TCreateParams {
    std::wstring Caption;
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::wstring WinClassName;  // our registered class
    std::wstring SystemClass;   // a system class (EDIT, BUTTON, ...) our class is derived from
    UINT ClassStyle = CS_DBLCLKS;
    HBRUSH Background = nullptr;
};

// The window of this thread that has the keyboard focus, as our windows were told by WM_SETFOCUS
// and WM_KILLFOCUS (what GetFocus answers, without asking the window server); and whether it is
// `wnd` or a window inside it.
HWND FocusedWindow();
bool FocusWithin(HWND wnd);

// A control with a window. The window is created when first needed (Handle()) and destroyed with
// the control. Its messages arrive at WndProc; the default handling is the system class's own
// (for derived system controls) or DefWindowProc.
class TWinControl : public TControl {
    UI_PUBLISHED_CLASS
public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    HWND Handle();
    bool HandleAllocated() const { return FHandle != nullptr; }
    void HandleNeeded() { Handle(); }
    void DestroyHandle();
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(FControls.size()); }
    TControl* Controls(int index) const;
    // Windowless child under a point (client coordinates), topmost first.
    TControl* ControlAtPos(TPoint p, bool allowDisabled) const;

    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    int TabOrder() const { return FTabOrder; }
    void SetTabOrder(int v) { FTabOrder = v; }
    bool Focused() const;
    bool CanFocus() const;
    virtual void SetFocus();

    void SetEnabled(bool enabled) override;
    TRect ClientRect() const override;
    void Invalidate() override;
    void Update() override;
    void WndProc(TMessage& message) override;
    // The default handling of a message: the system control's own, or DefWindowProc.
    virtual void DefaultHandler(TMessage& message);

    // Lays out children docked to a side or filling the client area.
    virtual void AlignControls();
    // The part of the client area that docked children share (a group box leaves its frame).
    virtual void AdjustClientRect(TRect& rect);
    void Realign() { AlignControls(); }
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    void GetChildren(const std::function<void(TComponent*)>& proc, TComponent* root) override;

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    // Finds the control behind one of our windows.
    static TWinControl* FromHandle(HWND wnd);

    // Answers WM_GETOBJECT for the client area with an accessibility object (message.Result);
    // false leaves the question to the default handling. By default a control with windowless
    // children asks the accessibility hook (SetAccessibleHook), since nothing else can tell a
    // screen reader what its labels say.
    virtual bool AnswerAccessibleObject(TMessage& message);

protected:
    friend class TControl;
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void DestroyWnd();
    // Called after the window exists: controls push their state into it.
    virtual void CreateHandleDone() {}
    // Whether the window is made together with its parent's even while hidden. A popup that
    // shows now and then answers false: its window is made when it is first shown or asked
    // for, and a window that never shows costs nothing at start-up.
    virtual bool CreatedWithParent() const { return true; }
    // Paints the window's own content and then its windowless children.
    virtual void PaintWindow(HDC dc);
    void PaintControls(HDC dc);
    void PaintHandler(TMessage& message);
    void BoundsChanging(int left, int top, int width, int height) override;
    void VisibleChanged() override;
    void TextChanged() override;
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(wchar_t& key);
    // A wheel turn over the control (delta in WHEEL_DELTA units, screen position of the pointer).
    // False leaves the message to the default handling, which passes it on to the parent.
    virtual bool MouseWheel(TShiftState shift, int delta, TPoint screen);
    virtual void DoEnter();
    virtual void DoExit();
    // A notification (WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, colour messages) that the parent
    // passed back to the control that raised it.
    virtual bool HandleReflected(TMessage& message) { (void)message; return false; }
    // Answers a reflected WM_CTLCOLOR* with the control's font colour and background colour.
    bool HandleControlColor(TMessage& message);
    // The typed message handlers that WndProc calls, one per message family. Each answers true
    // when it has dealt with the message completely, so that the default handling must not see
    // it, and false to let the default handling run after it. A subclass overrides one to act
    // before or after the base class's step.
    virtual bool WmGetObject(TMessage& message);
    virtual bool WmEraseBackground(TMessage& message);
    virtual bool WmSetCursor(TMessage& message);
    virtual bool WmContextMenu(TMessage& message);
    virtual bool WmPaint(TMessage& message);
    // Runs the default handling first, then takes the new bounds from the window.
    virtual bool WmWindowPosChanged(TMessage& message);
    // WM_COMMAND, WM_NOTIFY, WM_DRAWITEM, scroll and colour messages: sent back to the child
    // that raised them.
    virtual bool WmNotification(TMessage& message);
    // WM_KEYDOWN, WM_KEYUP (and their WM_SYS forms) and WM_CHAR: a handler that clears the key
    // keeps the message from the default handling.
    virtual bool WmKey(TMessage& message);
    virtual bool WmMouseWheel(TMessage& message);
    // WM_SETFOCUS and WM_KILLFOCUS: the default handling first, then OnEnter or OnExit.
    virtual bool WmFocus(TMessage& message);
    // Presses, moves and releases: to a windowless child under the pointer, or to this control.
    virtual bool WmMouse(TMessage& message);
    void FontChanged() override;
    void ColorChanged() override;
    void NotifyChildrenOfParentChange() override;
    void Notification(TComponent* component, TOperation operation) override;
    bool IsSystemClass() const { return FDefWndProc != nullptr; }

private:
    friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    bool DispatchMessageFamily(TMessage& message);
    bool ForwardMouseToChild(TMessage& message);
    void ReflectNotification(TMessage& message);
    void UpdateShowing();
    void WindowDestroyed();

    HWND FHandle = nullptr;
    WNDPROC FDefWndProc = nullptr;
    std::vector<TControl*> FControls;
    TControl* FMouseControl = nullptr; // windowless child that captured the mouse
    bool FTabStop = false;
    int FTabOrder = -1;
    int FAlignLevel = 0;
    bool FCreating = false;
    TBrush FColorBrush; // the background brush handed out for WM_CTLCOLOR*
};

// Makes the accessibility object of a windowed control that has windowless children and answers
// WM_GETOBJECT with it (wParam as the message brought it); 0 for none. The COM layer installs
// it (ui/com/Accessible.h), so that the controls themselves need no COM.
using TAccessibleHook = LRESULT (*)(TWinControl& control, WPARAM wParam);
void SetAccessibleHook(TAccessibleHook hook);

// A windowed control that paints itself on its canvas in Paint.
class TCustomControl : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    // Valid for drawing while Paint runs.
    TCanvas& Canvas() { return *FCanvas; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// A control without a window, painted by its parent on the parent's device context.
class TGraphicControl : public TControl {
    UI_PUBLISHED_CLASS
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    // Valid for drawing while Paint runs.
    TCanvas& Canvas() { return *FCanvas; }
    void PaintTo(HDC dc) override;

protected:
    virtual void Paint() {}

private:
    std::unique_ptr<TCanvas> FCanvas;
};

// A hidden message-only window whose messages go to `handler` (timers and other helpers).
// Exceptions from the handler are passed to the application's error handling.
// The handler returns false for messages it leaves to the default handling.
HWND AllocateHWnd(std::function<bool(TMessage&)> handler);
void DeallocateHWnd(HWND wnd);

// The one hidden window through which every timer of the thread ticks (a hidden top-level window
// costs the window server milliseconds to make). Each timer object holds it from construction to
// destruction; it is made with the first holder and destroyed with the last. A tick finds its
// timer by identifier in a table, so one still queued for a timer stopped since finds nothing.
class TTimerWindow {
public:
    static void Hold();
    static void Release();
    // nullptr while nobody holds it.
    static HWND Window();
    // An identifier no other timer of the thread uses.
    static UINT_PTR NewId();
    // Starts timer `id` (again): `tick` runs every `interval` ms, its exceptions passed to the
    // application's error handling with `sender`. False when the system has no timer to give.
    static bool Start(UINT_PTR id, unsigned interval, TObject* sender, std::function<void()> tick);
    static void Stop(UINT_PTR id);
};

// Registers the library's component classes for the description reader (TApplication::Initialize
// calls it; tests that read descriptions without an application call it themselves).
void RegisterStandardClasses();

// Calls `fn`, passing any exception to the application's error handling; for entry points that
// Windows calls (window procedures, timer and shell callbacks), where nothing may unwind.
void GuardedCall(TObject* sender, const std::function<void()>& fn);

// The application's error handling, called inside a catch block with the exception that reached
// an entry point. The application installs it when it is made (ui/controls/Forms.h); this unit
// sits below the application and reaches it only through the hook. Until one is installed the
// error is only reported to the debugger, and still never unwinds into Windows.
using TExceptionHook = void (*)(TObject* sender);
void SetExceptionHook(TExceptionHook hook);

} // namespace ui
