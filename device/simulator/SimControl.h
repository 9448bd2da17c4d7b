// The simulated caller-ID device control: one COM object with the vendor control's dual
// interface (same slot layout), its event connection point, what in-place activation needs,
// and the test interface.
#pragma once

#include "device/simulator/DalvexSimulator.h"
#include "device/simulator/SimScript.h"

#include <ocidl.h>
#include <ole2.h>

#include <map>
#include <string>
#include <vector>

namespace dalvexsim {

extern const IID IID_IDalvexDual;   // the vendor's IDalvex
extern const IID DIID_DalvexEvents; // the vendor's IDalvexEvents

constexpr DISPID kDispidVisible = 201;
constexpr DISPID kDispidCallerID = 209;
constexpr DISPID kDispidSignalA = 210;

// The control's dual interface as the vendor lays it out: IDispatch's 7 slots, 38 methods that
// the simulator does not offer (slots 7 to 44), ShowSettings (45), Start (46), two more unused
// slots and GetInfo (49), the last. The unused slots take no arguments and answer E_NOTIMPL.
#define DALVEXSIM_UNUSED(n) \
    virtual HRESULT STDMETHODCALLTYPE Unused##n() { return E_NOTIMPL; }
struct IDalvexDual : public IDispatch {
    DALVEXSIM_UNUSED(7) DALVEXSIM_UNUSED(8) DALVEXSIM_UNUSED(9) DALVEXSIM_UNUSED(10) DALVEXSIM_UNUSED(11)
    DALVEXSIM_UNUSED(12) DALVEXSIM_UNUSED(13) DALVEXSIM_UNUSED(14) DALVEXSIM_UNUSED(15) DALVEXSIM_UNUSED(16)
    DALVEXSIM_UNUSED(17) DALVEXSIM_UNUSED(18) DALVEXSIM_UNUSED(19) DALVEXSIM_UNUSED(20) DALVEXSIM_UNUSED(21)
    DALVEXSIM_UNUSED(22) DALVEXSIM_UNUSED(23) DALVEXSIM_UNUSED(24) DALVEXSIM_UNUSED(25) DALVEXSIM_UNUSED(26)
    DALVEXSIM_UNUSED(27) DALVEXSIM_UNUSED(28) DALVEXSIM_UNUSED(29) DALVEXSIM_UNUSED(30) DALVEXSIM_UNUSED(31)
    DALVEXSIM_UNUSED(32) DALVEXSIM_UNUSED(33) DALVEXSIM_UNUSED(34) DALVEXSIM_UNUSED(35) DALVEXSIM_UNUSED(36)
    DALVEXSIM_UNUSED(37) DALVEXSIM_UNUSED(38) DALVEXSIM_UNUSED(39) DALVEXSIM_UNUSED(40) DALVEXSIM_UNUSED(41)
    DALVEXSIM_UNUSED(42) DALVEXSIM_UNUSED(43) DALVEXSIM_UNUSED(44)
    virtual HRESULT STDMETHODCALLTYPE ShowSettings() = 0;
    virtual HRESULT STDMETHODCALLTYPE Start() = 0;
    DALVEXSIM_UNUSED(47) DALVEXSIM_UNUSED(48)
    virtual HRESULT STDMETHODCALLTYPE GetInfo(BSTR name, BSTR* value) = 0;
};
#undef DALVEXSIM_UNUSED

class TSimControl;

// The event interface's connection point. It shares the control's reference count (it is part
// of the control), so a host holding it keeps the whole control alive.
class TSimConnectionPoint : public IConnectionPoint {
public:
    explicit TSimConnectionPoint(TSimControl* owner) : FOwner(owner) {}
    ~TSimConnectionPoint();

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    // The connected sinks, each with a new reference the caller releases.
    std::vector<IDispatch*> Sinks() const;
    LONG Count() const { return static_cast<LONG>(FSinks.size()); }
    void DisconnectAll();

private:
    TSimControl* FOwner;
    std::map<DWORD, IDispatch*> FSinks;
    DWORD FNextCookie = 1;
};

class TSimControl final : public IDalvexDual,
                    public IOleObject,
                    public IOleInPlaceObject,
                    public IViewObject,
                    public IConnectionPointContainer,
                    public IPersistPropertyBag,
                    public IDalvexSimulator {
public:
    TSimControl();

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excepInfo, UINT* argErr) override;

    // IDalvex
    STDMETHODIMP ShowSettings() override;
    STDMETHODIMP Start() override;
    STDMETHODIMP GetInfo(BSTR name, BSTR* value) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD, IMoniker*) override { return E_NOTIMPL; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject*, BOOL, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP GetClipboardData(DWORD, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override { return S_OK; }
    STDMETHODIMP IsUpToDate() override { return S_OK; }
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD, LPOLESTR*) override { return OLE_S_USEREG; }
    STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP Unadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE*) override { return E_NOTIMPL; }

    // IOleWindow, IOleInPlaceObject
    STDMETHODIMP GetWindow(HWND* wnd) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override { return S_OK; }
    STDMETHODIMP SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    STDMETHODIMP ReactivateAndUndo() override { return E_NOTIMPL; }

    // IViewObject
    STDMETHODIMP Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                      BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) override;
    STDMETHODIMP GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE**) override { return E_NOTIMPL; }
    STDMETHODIMP Freeze(DWORD, LONG, void*, DWORD*) override { return E_NOTIMPL; }
    STDMETHODIMP Unfreeze(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP SetAdvise(DWORD, DWORD, IAdviseSink*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP GetAdvise(DWORD*, DWORD*, IAdviseSink**) override { return E_NOTIMPL; }

    // IConnectionPointContainer
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

    // IPersist, IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP InitNew() override { return S_OK; }
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog*) override;
    STDMETHODIMP Save(IPropertyBag*, BOOL, BOOL) override { return E_NOTIMPL; }

    // IDalvexSimulator
    STDMETHODIMP SimSetDevice(BOOL plugged, BSTR model, BSTR serial) override;
    STDMETHODIMP SimRaiseEvent(DISPID dispid, LONG count, const VARIANT* args) override;
    STDMETHODIMP SimFailNextCall(HRESULT hr) override;
    STDMETHODIMP SimRunScript(BSTR text, BSTR* problems) override;
    STDMETHODIMP SimGetStatus(TDalvexSimStatus* status) override;
    STDMETHODIMP SimGetControlData(BSTR* caption, BOOL* autoSize) override;

    // --- for the settings window and the windows of the control ---
    bool Started() const { return FStarted; }
    bool Plugged() const { return FPlugged; }
    bool Disconnected() const { return FDisconnected; }
    const std::wstring& Model() const { return FModel; }
    const std::wstring& Serial() const { return FSerial; }
    const std::vector<std::wstring>& Levels() const { return FLevels; }
    void SetDevice(bool plugged, const std::wstring& model, const std::wstring& serial);
    // A call on `line` as the device would report it (skipped while no device is plugged in).
    void RingLine(const std::wstring& line, const std::wstring& number, const std::wstring& dateTime,
                  const std::wstring& other);
    void SendLevels(const std::vector<std::wstring>& levels);
    void SettingsClosed() { FSettingsWnd = nullptr; }
    void ScriptTimer();
    void Paint(HDC dc, const RECT& r) const;

private:
    ~TSimControl();
    // The failure armed for this call, if any (S_OK otherwise); taken, so it fails only once.
    // A disconnected control fails every call.
    HRESULT TakeFailure(const wchar_t* method, const std::wstring& infoName = std::wstring());
    void Disconnect();
    void RunActionsAtCreate();
    HRESULT Fire(DISPID dispid, const std::vector<std::wstring>& args);
    HRESULT FireVariants(DISPID dispid, const std::vector<VARIANT>& args);
    void LoadScriptFromEnvironment();
    void StartScript();
    void ScheduleNextAction();
    void RunAction(const TAction& action);
    void StateChanged();
    HRESULT ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect);

    LONG FRefs = 1;
    bool FStarted = false;
    bool FClosed = false;
    bool FPlugged = false;
    bool FVisible = true;
    bool FAutoSize = false;
    std::wstring FCaption = L"Dalvex";
    std::wstring FModel;
    std::wstring FSerial;
    std::vector<std::wstring> FLevels{L"0", L"0", L"0", L"0"};
    struct TFailure {
        HRESULT Code;
        std::wstring Method;   // empty: whichever call comes first
        std::wstring InfoName; // GetInfo only; empty: any name
        bool Always = false;   // fails every matching call, not only the next one
    };
    std::vector<TFailure> FFailures; // armed, in the order they were armed
    bool FDisconnected = false;
    SIZEL FExtent{688, 688}; // 26 pixels in HIMETRIC
    IOleClientSite* FClientSite = nullptr;
    IOleInPlaceSite* FInPlaceSite = nullptr;
    HWND FWnd = nullptr;
    HWND FTimerWnd = nullptr;
    HWND FSettingsWnd = nullptr;
    TSimConnectionPoint FPoint{this};
    TScript FScript;
    std::wstring FScriptName;
    size_t FNextAction = 0;
    DWORD FCycleStart = 0;
};

// The settings window (SimSettings.cpp): opened by ShowSettings, closed with the control.
HWND OpenSettingsWindow(TSimControl* control, HWND owner);
void RefreshSettingsWindow(HWND wnd, TSimControl* control);

} // namespace dalvexsim
