// The caller-ID device control as the application sees it: its identifiers, its dual interface
// IDalvex (methods by interface slot), and TDalvex, the component that hosts it on a window.
#pragma once

#include "ui/com/OleCtrls.h"

#include <functional>
#include <string>

// Identifiers fixed by the control's vendor.
extern const CLSID CLSID_Dalvex;    // {EEA18052-171F-4293-8598-AB6E1D7257B2}
extern const IID IID_IDalvex;       // {0A16189E-10E9-4A76-8D2D-0A8F1AD4729A}
extern const IID DIID_IDalvexEvents; // {B6A36C9A-2DC9-4CEF-AF6E-D6DDD2F91CC4}

// DISPIDs of the control's events and of its Visible property.
constexpr DISPID DISPID_Dalvex_Visible = 201;
constexpr DISPID DISPID_Dalvex_OnCallerID = 209;
constexpr DISPID DISPID_Dalvex_OnSignalA = 210;

// The control's default dual interface. Only three of its methods are used; they are called
// through their slots in the interface's table (ShowSettings 45, Start 46, GetInfo 49, the last),
// so every method before them must be declared to put them in the right place: IUnknown's 3 and
// IDispatch's 4 slots, then 38 methods we never call (slots 7 to 44), then ours, with two more
// unused ones (47, 48) between Start and GetInfo.
#define DALVEX_UNUSED_SLOT(n) virtual HRESULT STDMETHODCALLTYPE UnusedSlot##n() = 0;
struct IDalvex : public IDispatch {
    DALVEX_UNUSED_SLOT(7) DALVEX_UNUSED_SLOT(8) DALVEX_UNUSED_SLOT(9) DALVEX_UNUSED_SLOT(10)
    DALVEX_UNUSED_SLOT(11) DALVEX_UNUSED_SLOT(12) DALVEX_UNUSED_SLOT(13) DALVEX_UNUSED_SLOT(14)
    DALVEX_UNUSED_SLOT(15) DALVEX_UNUSED_SLOT(16) DALVEX_UNUSED_SLOT(17) DALVEX_UNUSED_SLOT(18)
    DALVEX_UNUSED_SLOT(19) DALVEX_UNUSED_SLOT(20) DALVEX_UNUSED_SLOT(21) DALVEX_UNUSED_SLOT(22)
    DALVEX_UNUSED_SLOT(23) DALVEX_UNUSED_SLOT(24) DALVEX_UNUSED_SLOT(25) DALVEX_UNUSED_SLOT(26)
    DALVEX_UNUSED_SLOT(27) DALVEX_UNUSED_SLOT(28) DALVEX_UNUSED_SLOT(29) DALVEX_UNUSED_SLOT(30)
    DALVEX_UNUSED_SLOT(31) DALVEX_UNUSED_SLOT(32) DALVEX_UNUSED_SLOT(33) DALVEX_UNUSED_SLOT(34)
    DALVEX_UNUSED_SLOT(35) DALVEX_UNUSED_SLOT(36) DALVEX_UNUSED_SLOT(37) DALVEX_UNUSED_SLOT(38)
    DALVEX_UNUSED_SLOT(39) DALVEX_UNUSED_SLOT(40) DALVEX_UNUSED_SLOT(41) DALVEX_UNUSED_SLOT(42)
    DALVEX_UNUSED_SLOT(43) DALVEX_UNUSED_SLOT(44)
    virtual HRESULT STDMETHODCALLTYPE ShowSettings() = 0;                 // slot 45
    virtual HRESULT STDMETHODCALLTYPE Start() = 0;                        // slot 46
    DALVEX_UNUSED_SLOT(47) DALVEX_UNUSED_SLOT(48)
    virtual HRESULT STDMETHODCALLTYPE GetInfo(BSTR Name, BSTR* Value) = 0; // slot 49
};
#undef DALVEX_UNUSED_SLOT

// OnCallerID: one per call; DeviceID is the device's serial number.
using TCallerIDEvent =
    std::function<void(ui::TObject* Sender, const std::wstring& DeviceID, const std::wstring& Line,
                       const std::wstring& PhoneNumber, const std::wstring& DateTime, const std::wstring& OtherText)>;
// OnSignalA: the levels of lines 1 to 8 as decimal texts.
using TSignalAEvent =
    std::function<void(ui::TObject* Sender, const std::wstring& Level1, const std::wstring& Level2,
                       const std::wstring& Level3, const std::wstring& Level4, const std::wstring& Level5,
                       const std::wstring& Level6, const std::wstring& Level7, const std::wstring& Level8)>;

// The caller-ID device control on a window. Calls go to the control as they are made; a
// failing HRESULT raises EOleSysError in the caller. Events arrive on the user-interface thread;
// an error raised by a handler goes to the application's error handling. If the control is
// missing, the window still comes up (the failure is reported once through the application's
// error handling) and every call raises EOleError "The caller-ID device control is not
// available (...)". A control that goes away while the program runs (its object disconnected)
// raises that error from the call that found out, and from every call after it.
class TDalvex : public ui::TOleControl {
    UI_PUBLISHED_CLASS
public:
    explicit TDalvex(ui::TComponent* AOwner);

    // The control's own Visible property (DISPID 201). It hides TControl's Visible on purpose:
    // through a TDalvex the control decides whether its window shows; the host follows it.
    bool Visible();
    void SetVisible(bool value);

    void ShowSettings();
    void Start();
    // "devicemodel" and "serial" are answered; both are empty while no device is connected.
    std::wstring GetInfo(const std::wstring& Name);

    // The default interface (the host keeps the reference).
    IDalvex* ControlInterface();

    TCallerIDEvent OnCallerID;
    TSignalAEvent OnSignalA;

protected:
    void InitControlData(ui::TControlData& data) override;
    void InvokeEvent(DISPID dispid, const ui::TEventArgs& args) override;
    virtual void DoCallerID(const std::wstring& DeviceID, const std::wstring& Line, const std::wstring& PhoneNumber,
                            const std::wstring& DateTime, const std::wstring& OtherText);
    virtual void DoSignalA(const std::wstring (&Levels)[8]);
};
