// Hosting an ActiveX control: TOleControl, a windowed control of the class library that creates
// a control by its class identifier, activates it in place, talks to its default dispatch
// interface and turns the control's events into calls of a virtual method.
#pragma once

#include "ui/com/ComObj.h"
#include "ui/controls/Controls.h"

#include <ocidl.h>

#include <string>
#include <vector>

namespace ui {

// What a host class says about the control it hosts.
struct TControlData {
    CLSID ClassID = GUID_NULL;
    // The default (dual) interface; GUID_NULL: the one the control's type information names
    // as its default, or IDispatch when it names none.
    IID DispatchIID = GUID_NULL;
    IID EventIID = GUID_NULL;    // the outgoing interface the event sink serves; GUID_NULL: none
    // Names the control in errors: "The <Description> is not available (...)".
    std::wstring Description = L"ActiveX control";
};

// The arguments of one event, in the order the event declares them. (DISPPARAMS store them
// last first; this is the only place that knows.)
class TEventArgs {
public:
    explicit TEventArgs(const DISPPARAMS& params) : FParams(params) {}
    int Count() const { return static_cast<int>(FParams.cArgs); }
    // The argument `index` (0 = first declared), followed through VT_BYREF.
    const VARIANT& Arg(int index) const;
    // The argument as text: strings exactly as delivered, other types converted by OLE
    // Automation, empty and null as "". Raises EOleError when the argument is missing.
    std::wstring String(int index) const;

private:
    const DISPPARAMS& FParams;
};

class TOleClientSite;
class TOleEventSink;

// Hosts one ActiveX control in a single-threaded apartment. The host's own window is the
// container in which the control is activated in place, filling it; the container shows only
// while the control shows its window, so a control that hides itself leaves nothing behind.
//
// The control is created when the window description has been read (Loaded), or on first use
// for hosts made in code. A control that cannot be created does not stop the program: the
// failure is handed to the application's error handling once, and every later use raises
// EOleError "The <Description> is not available (<reason>)". A control that goes away later
// (a call answers that its object is disconnected or its server died) is treated the same way
// from then on: it is released, and that call and every later one raise "not available".
//
// To the control the host is a plain container: a client site that is also its in-place site
// and control site, ambient properties taken from the host's own colour, font, name and enabled
// state (a change is announced to the control), and focus passed on to the control's window.
//
// Owns: the control's interfaces, the client site, the event sink and its connection. All are
// released when the host is destroyed (sink disconnected, control deactivated and closed).
class TOleControl : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TOleControl(TComponent* AOwner);
    ~TOleControl() override;

    // The control's stored settings, "Name=Value" lines handed to it at creation through
    // IPersistPropertyBag (each value as text; the control converts it to the type it wants).
    const std::vector<std::wstring>& ControlData() const { return FControlData; }
    void SetControlData(const std::vector<std::wstring>& data);

    // Creates the control if that has not been tried yet; true when it exists.
    bool ControlAvailable();
    // Why creation failed (empty when it did not fail).
    const std::wstring& CreationError() const { return FCreationError; }
    // The control's identity and default interface, creating the control on first use.
    // Raise EOleError when the control is not available. The host keeps the references.
    IUnknown* OleObject();
    IDispatch* DefaultDispatch();

    // Property access by DISPID through IDispatch; a failing call raises EOleSysError (or the
    // "not available" EOleError when the answer says the control is gone).
    void GetProperty(DISPID dispid, TOleVariant& result);
    void SetProperty(DISPID dispid, const VARIANT& value);
    bool GetBoolProp(DISPID dispid);
    void SetBoolProp(DISPID dispid, bool value);

    // The in-place window of the control, nullptr while it is not active in place.
    HWND ControlWindow() const { return FControlWnd; }
    // The client site the control was given, nullptr before creation and after destruction.
    // No reference is handed out; take one to keep it.
    IOleClientSite* ClientSite() const;

protected:
    // Tells which control to create; called once, just before creation.
    virtual void InitControlData(TControlData& data) = 0;
    // One event of the control. Runs inside the sink's Invoke: what it raises goes to the
    // application's error handling.
    virtual void InvokeEvent(DISPID dispid, const TEventArgs& args);
    // Shows the container exactly while the control's own window is visible; hosts call it
    // after a change that may have shown or hidden that window.
    void FollowControlVisibility();
    // Checks the answer of a call on the control: a failure raises EOleSysError, an answer
    // that says the control is gone lets go of it and raises the "not available" EOleError.
    void CheckCall(HRESULT hr);

    // The ambient property `dispid` as the control asks its site for it, answered from this
    // host's own settings (see OleCtrls.cpp for the list). DISP_E_MEMBERNOTFOUND tells the
    // control to use its own default; `value` is empty on entry.
    virtual HRESULT GetAmbientProperty(DISPID dispid, VARIANT& value);
    // Seen by hosts that watch what a control asks of its container: every interface it asks
    // the site for and every ambient property it reads, with the answer it got.
    virtual void SiteQueried(REFIID iid, HRESULT answer) {}
    virtual void AmbientQueried(DISPID dispid, HRESULT answer) {}

    void Loaded() override;
    void CreateWnd() override;
    void WndProc(TMessage& message) override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    void FontChanged() override;
    void ColorChanged() override;

private:
    friend class TOleClientSite;
    friend class TOleEventSink;

    void CreateControl();
    void DestroyControl();
    void LoadControlData();
    void ActivateInPlace();
    void DeactivateInPlace();
    // Raises the "not available" error when the control does not exist.
    void RequireControl();
    EOleError NotAvailableError() const;
    void DispatchEvent(DISPID dispid, const DISPPARAMS& params);
    TRect ControlRect();
    // Tells a live control that an ambient property changed, so that it asks again.
    void AmbientChanged(DISPID dispid);

    std::vector<std::wstring> FControlData;
    TControlData FData;
    bool FCreationTried = false;
    std::wstring FCreationError;
    TComPtr<IUnknown> FUnknown;
    TComPtr<IOleObject> FOleObject;
    TComPtr<IDispatch> FDispatch;
    TComPtr<IOleInPlaceObject> FInPlaceObject;
    TComPtr<IConnectionPoint> FEventPoint;
    DWORD FEventCookie = 0;
    TOleClientSite* FSite = nullptr;   // one reference held
    TOleEventSink* FSink = nullptr;    // one reference held
    HWND FControlWnd = nullptr;
    bool FActivating = false;
};

} // namespace ui
