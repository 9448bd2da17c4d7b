// Accessibility objects (IAccessible) through which screen readers and other programs read what
// a control shows: the COM plumbing shared by all of them, and the object that lists a windowed
// control's windowless children (labels, images), which have no window of their own to ask.
#pragma once

#include "ui/com/ComObj.h"
#include "ui/controls/Controls.h"

#include <oleacc.h>

#include <string>

namespace ui {

// The IAccessible of one element and its simple children (child ids 1..ChildCount; id 0 is the
// element itself). Subclasses answer what the element and its children are called, what they
// are, where they are and what state they are in. The object finds its control through the
// window handle on every call, so a client (often in another process, through a proxy) that
// keeps the object after the window is gone gets an error, never a destroyed control. Every COM
// method is guarded: an error goes to the application's error handling and the call fails.
class TAccessible : public IAccessible {
public:
    explicit TAccessible(HWND wnd) : FWnd(wnd) {}
    TAccessible(const TAccessible&) = delete;
    TAccessible& operator=(const TAccessible&) = delete;
    virtual ~TAccessible() = default;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: clients use the interface's own slots; there is no type information.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

    // Hands the object to the client that sent WM_GETOBJECT (wParam as it came) and gives up
    // the creator's reference; the answer is the message's result. A failure (no COM on this
    // thread) answers 0, and the caller then lets the default handling answer instead.
    static LRESULT Answer(TAccessible* object, WPARAM wParam);

protected:
    HWND Window() const { return FWnd; }
    // The control behind the window, or nullptr once the window is gone.
    TWinControl* Control() const;

    virtual int ChildCount() = 0;
    // `child` is 0 for the element itself, 1..ChildCount for a child.
    virtual std::wstring Name(int child) = 0;
    virtual long Role(int child) = 0;
    virtual long State(int child) { return 0; }
    virtual std::wstring Value(int child) { return {}; }
    // The place on the screen; false when there is none.
    virtual bool Location(int child, TRect& screen) = 0;
    // A child that is an element with children of its own; nullptr (the default) for a simple
    // child. The caller receives a new reference.
    virtual IDispatch* ChildObject(int child) { return nullptr; }
    // The parent element; the default is the window's standard object. New reference or nullptr.
    virtual IDispatch* ParentObject();
    // The child with the keyboard focus: 0 the element itself, -1 none.
    virtual int FocusedChild() { return -1; }

private:
    // Runs `body` for a live window and a child id in range; answers the failure codes
    // accessibility clients expect otherwise.
    template <class F>
    HRESULT ForChild(const VARIANT& child, F&& body);

    LONG FRefCount = 1;
    HWND FWnd;
};

// The element of a windowed control that has windowless children: the control itself (named by
// its caption) with each visible windowless child as a simple child, in creation order, named
// by its caption, a label as static text and anything else as a graphic.
class TControlAccessible : public TAccessible {
public:
    using TAccessible::TAccessible;

protected:
    int ChildCount() override;
    std::wstring Name(int child) override;
    long Role(int child) override;
    long State(int child) override;
    bool Location(int child, TRect& screen) override;

private:
    TControl* Child(int child);
};

// From now on every windowed control with windowless children answers WM_GETOBJECT for its
// client area with a TControlAccessible. The program calls this once at start.
void InstallControlAccessibility();

} // namespace ui
