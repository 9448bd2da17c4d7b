// The simulated caller-ID device control: the COM object, its device state and its script runner.
#include "device/simulator/SimControl.h"

#include "device/simulator/SimServer.h"

#include <olectl.h>

#include <algorithm>
#include <cwchar>
#include <exception>
#include <memory>

namespace dalvexsim {

const IID IID_IDalvexDual = {0x0A16189E, 0x10E9, 0x4A76, {0x8D, 0x2D, 0x0A, 0x8F, 0x1A, 0xD4, 0x72, 0x9A}};
const IID DIID_DalvexEvents = {0xB6A36C9A, 0x2DC9, 0x4CEF, {0xAF, 0x6E, 0xD6, 0xDD, 0xD2, 0xF9, 0x1C, 0xC4}};

namespace {

constexpr UINT_PTR kScriptTimer = 1;

// Runs the body of a COM method or window procedure: nothing may unwind into the caller, who
// is another module (or Windows) and cannot take our exceptions.
template <class F>
HRESULT Guarded(const wchar_t* where, F&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        Trace(std::wstring(L"unexpected error in ") + where);
        return E_UNEXPECTED;
    }
}

BSTR AllocString(const std::wstring& text)
{
    BSTR s = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (s == nullptr)
        throw std::bad_alloc();
    return s;
}

std::wstring FromBSTR(BSTR s) { return s ? std::wstring(s, SysStringLen(s)) : std::wstring(); }

std::wstring LocalDateTime()
{
    SYSTEMTIME t;
    GetLocalTime(&t);
    wchar_t text[32];
    swprintf(text, 32, L"%02u.%02u %02u:%02u:%02u", t.wDay, t.wMonth, t.wHour, t.wMinute, t.wSecond);
    return text;
}

std::wstring ReadUtf8File(const std::wstring& path, bool& ok)
{
    ok = false;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::wstring();
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    CloseHandle(file);
    ok = true;
    if (bytes.empty())
        return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}

LRESULT CALLBACK TimerWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam == kScriptTimer) {
        auto* control = reinterpret_cast<TSimControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
        if (control != nullptr)
            Guarded(L"the script timer", [&] {
                control->ScriptTimer();
                return S_OK;
            });
        return 0;
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

LRESULT CALLBACK ControlWindowProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(wnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* control = reinterpret_cast<TSimControl*>(GetWindowLongPtrW(wnd, GWLP_USERDATA));
    if (control != nullptr) {
        switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(wnd, &ps);
            RECT r;
            GetClientRect(wnd, &r);
            Guarded(L"painting", [&] {
                control->Paint(dc, r);
                return S_OK;
            });
            EndPaint(wnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDBLCLK: control->ShowSettings(); return 0;
        default: break;
        }
    }
    return DefWindowProcW(wnd, msg, wParam, lParam);
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Window classes and procedures live here; SimServer registers them with these procedures.

WNDPROC TimerWindowProcedure() { return TimerWindowProc; }
WNDPROC ControlWindowProcedure() { return ControlWindowProc; }

// ---------------------------------------------------------------------------------------------
// TSimConnectionPoint

TSimConnectionPoint::~TSimConnectionPoint() { DisconnectAll(); }

STDMETHODIMP TSimConnectionPoint::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
        *ppv = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TSimConnectionPoint::AddRef() { return static_cast<IDalvexDual*>(FOwner)->AddRef(); }
STDMETHODIMP_(ULONG) TSimConnectionPoint::Release() { return static_cast<IDalvexDual*>(FOwner)->Release(); }

STDMETHODIMP TSimConnectionPoint::GetConnectionInterface(IID* iid)
{
    if (iid == nullptr)
        return E_POINTER;
    *iid = DIID_DalvexEvents;
    return S_OK;
}

STDMETHODIMP TSimConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    if (container == nullptr)
        return E_POINTER;
    *container = static_cast<IConnectionPointContainer*>(FOwner);
    (*container)->AddRef();
    return S_OK;
}

STDMETHODIMP TSimConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    return Guarded(L"Advise", [&]() -> HRESULT {
        if (sink == nullptr || cookie == nullptr)
            return E_POINTER;
        *cookie = 0;
        if (FOwner->Disconnected())
            return RPC_E_DISCONNECTED;
        // A sink must answer to the event interface itself; plain IDispatch is accepted as
        // many hosts connect that way.
        IDispatch* dispatch = nullptr;
        if (FAILED(sink->QueryInterface(DIID_DalvexEvents, reinterpret_cast<void**>(&dispatch))) &&
            FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
            return CONNECT_E_CANNOTCONNECT;
        *cookie = FNextCookie++;
        FSinks[*cookie] = dispatch;
        return S_OK;
    });
}

STDMETHODIMP TSimConnectionPoint::Unadvise(DWORD cookie)
{
    auto it = FSinks.find(cookie);
    if (it == FSinks.end())
        return CONNECT_E_NOCONNECTION;
    IDispatch* sink = it->second;
    FSinks.erase(it);
    sink->Release();
    return S_OK;
}

STDMETHODIMP TSimConnectionPoint::EnumConnections(IEnumConnections** connections)
{
    if (connections != nullptr)
        *connections = nullptr;
    return E_NOTIMPL;
}

std::vector<IDispatch*> TSimConnectionPoint::Sinks() const
{
    std::vector<IDispatch*> sinks;
    for (const auto& [cookie, sink] : FSinks) {
        sink->AddRef();
        sinks.push_back(sink);
    }
    return sinks;
}

void TSimConnectionPoint::DisconnectAll()
{
    std::map<DWORD, IDispatch*> sinks;
    sinks.swap(FSinks);
    for (auto& [cookie, sink] : sinks)
        sink->Release();
}

// ---------------------------------------------------------------------------------------------
// TSimControl: identity and life

TSimControl::TSimControl()
{
    ObjectCreated();
    // Read now, so that its "at create" lines can make the host's very first calls fail.
    LoadScriptFromEnvironment();
    RunActionsAtCreate();
}

TSimControl::~TSimControl()
{
    Close(OLECLOSE_NOSAVE);
    FPoint.DisconnectAll();
    if (FClientSite != nullptr)
        FClientSite->Release();
    ObjectDestroyed();
}

STDMETHODIMP TSimControl::QueryInterface(REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID_IDalvexDual)
        *ppv = static_cast<IDalvexDual*>(this);
    else if (riid == IID_IOleObject)
        *ppv = static_cast<IOleObject*>(this);
    else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceObject)
        *ppv = static_cast<IOleInPlaceObject*>(this);
    else if (riid == IID_IViewObject)
        *ppv = static_cast<IViewObject*>(this);
    else if (riid == IID_IConnectionPointContainer)
        *ppv = static_cast<IConnectionPointContainer*>(this);
    else if (riid == IID_IPersist || riid == IID_IPersistPropertyBag)
        *ppv = static_cast<IPersistPropertyBag*>(this);
    else if (riid == IID_IDalvexSimulator)
        *ppv = static_cast<IDalvexSimulator*>(this);
    else {
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TSimControl::AddRef() { return ++FRefs; }

STDMETHODIMP_(ULONG) TSimControl::Release()
{
    LONG refs = --FRefs;
    if (refs == 0)
        delete this;
    return refs;
}

HRESULT TSimControl::TakeFailure(const wchar_t* method, const std::wstring& infoName)
{
    if (FDisconnected)
        return RPC_E_DISCONNECTED;
    for (auto it = FFailures.begin(); it != FFailures.end(); ++it) {
        if (!it->Method.empty() && it->Method != method)
            continue;
        if (!it->InfoName.empty() && _wcsicmp(it->InfoName.c_str(), infoName.c_str()) != 0)
            continue;
        HRESULT hr = it->Code;
        if (!it->Always)
            FFailures.erase(it);
        return hr;
    }
    return S_OK;
}

// The control goes away underneath its host, as an object whose server has died or has been
// disconnected does: its event sinks are dropped, its windows go, and every later call answers
// RPC_E_DISCONNECTED. Only releasing the host's last reference still works.
void TSimControl::Disconnect()
{
    Trace(L"the control disconnects from its host");
    Close(OLECLOSE_NOSAVE);
    FPoint.DisconnectAll();
    if (FClientSite != nullptr) {
        IOleClientSite* site = FClientSite;
        FClientSite = nullptr;
        site->Release();
    }
    FDisconnected = true;
}

// ---------------------------------------------------------------------------------------------
// IDispatch: Visible by DISPID 201, and the three methods for clients that only dispatch.

STDMETHODIMP TSimControl::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TSimControl::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info != nullptr)
        *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP TSimControl::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids)
{
    if (names == nullptr || ids == nullptr)
        return E_POINTER;
    static const struct {
        const wchar_t* Name;
        DISPID Id;
    } table[] = {{L"Visible", kDispidVisible},
                 {L"ShowSettings", DISPID_DalvexSim_ShowSettings},
                 {L"Start", DISPID_DalvexSim_Start},
                 {L"GetInfo", DISPID_DalvexSim_GetInfo}};
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i > 0) { // named arguments: none of ours has names
            hr = DISP_E_UNKNOWNNAME;
            continue;
        }
        for (const auto& entry : table)
            if (_wcsicmp(entry.Name, names[i]) == 0)
                ids[i] = entry.Id;
        if (ids[i] == DISPID_UNKNOWN)
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
}

STDMETHODIMP TSimControl::Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excepInfo, UINT* argErr)
{
    return Guarded(L"Invoke", [&]() -> HRESULT {
        if (params == nullptr)
            return E_POINTER;
        // Failures of the methods travel the way dual interfaces report them: as an exception
        // record carrying the HRESULT.
        auto fail = [&](HRESULT hr) -> HRESULT {
            if (excepInfo == nullptr)
                return hr;
            *excepInfo = EXCEPINFO{};
            excepInfo->bstrSource = SysAllocString(L"Dalvex");
            excepInfo->scode = hr;
            return DISP_E_EXCEPTION;
        };
        AddRef();
        std::unique_ptr<TSimControl, void (*)(TSimControl*)> hold(this, [](TSimControl* c) { c->Release(); });
        switch (dispid) {
        case kDispidVisible:
            if (flags & DISPATCH_PROPERTYPUT) {
                if (params->cArgs != 1)
                    return DISP_E_BADPARAMCOUNT;
                VARIANT value;
                VariantInit(&value);
                HRESULT hr = VariantChangeType(&value, &params->rgvarg[0], 0, VT_BOOL);
                if (FAILED(hr)) {
                    if (argErr != nullptr)
                        *argErr = 0;
                    return DISP_E_TYPEMISMATCH;
                }
                if (HRESULT failure = TakeFailure(L"Visible"); FAILED(failure))
                    return fail(failure);
                FVisible = value.boolVal != VARIANT_FALSE;
                if (FWnd != nullptr)
                    ShowWindow(FWnd, FVisible ? SW_SHOWNA : SW_HIDE);
                return S_OK;
            }
            if (flags & DISPATCH_PROPERTYGET) {
                if (params->cArgs != 0)
                    return DISP_E_BADPARAMCOUNT;
                if (HRESULT failure = TakeFailure(L"Visible"); FAILED(failure))
                    return fail(failure);
                if (result != nullptr) {
                    VariantInit(result);
                    result->vt = VT_BOOL;
                    result->boolVal = FVisible ? VARIANT_TRUE : VARIANT_FALSE;
                }
                return S_OK;
            }
            return DISP_E_MEMBERNOTFOUND;
        case DISPID_DalvexSim_ShowSettings:
        case DISPID_DalvexSim_Start: {
            if (!(flags & DISPATCH_METHOD))
                return DISP_E_MEMBERNOTFOUND;
            if (params->cArgs != 0)
                return DISP_E_BADPARAMCOUNT;
            HRESULT hr = dispid == DISPID_DalvexSim_Start ? Start() : ShowSettings();
            return FAILED(hr) ? fail(hr) : S_OK;
        }
        case DISPID_DalvexSim_GetInfo: {
            if (!(flags & DISPATCH_METHOD))
                return DISP_E_MEMBERNOTFOUND;
            if (params->cArgs != 1)
                return DISP_E_BADPARAMCOUNT;
            VARIANT name;
            VariantInit(&name);
            if (FAILED(VariantChangeType(&name, &params->rgvarg[0], 0, VT_BSTR))) {
                if (argErr != nullptr)
                    *argErr = 0;
                return DISP_E_TYPEMISMATCH;
            }
            BSTR value = nullptr;
            HRESULT hr = GetInfo(name.bstrVal, &value);
            VariantClear(&name);
            if (FAILED(hr))
                return fail(hr);
            if (result != nullptr) {
                VariantInit(result);
                result->vt = VT_BSTR;
                result->bstrVal = value;
            } else {
                SysFreeString(value);
            }
            return S_OK;
        }
        default: return DISP_E_MEMBERNOTFOUND;
        }
    });
}

// ---------------------------------------------------------------------------------------------
// IDalvex

STDMETHODIMP TSimControl::ShowSettings()
{
    return Guarded(L"ShowSettings", [&]() -> HRESULT {
        if (HRESULT failure = TakeFailure(L"ShowSettings"); FAILED(failure))
            return failure;
        if (FSettingsWnd != nullptr) {
            ShowWindow(FSettingsWnd, SW_SHOWNORMAL);
            SetForegroundWindow(FSettingsWnd);
            return S_OK;
        }
        HWND owner = nullptr;
        if (FInPlaceSite != nullptr && SUCCEEDED(FInPlaceSite->GetWindow(&owner)))
            owner = GetAncestor(owner, GA_ROOT);
        FSettingsWnd = OpenSettingsWindow(this, owner);
        return FSettingsWnd != nullptr ? S_OK : HRESULT_FROM_WIN32(GetLastError());
    });
}

STDMETHODIMP TSimControl::Start()
{
    return Guarded(L"Start", [&]() -> HRESULT {
        if (HRESULT failure = TakeFailure(L"Start"); FAILED(failure))
            return failure;
        if (FStarted)
            return S_OK;
        FStarted = true;
        StartScript();
        StateChanged();
        return S_OK;
    });
}

STDMETHODIMP TSimControl::GetInfo(BSTR name, BSTR* value)
{
    return Guarded(L"GetInfo", [&]() -> HRESULT {
        if (value == nullptr)
            return E_POINTER;
        *value = nullptr;
        std::wstring key = FromBSTR(name);
        if (HRESULT failure = TakeFailure(L"GetInfo", key); FAILED(failure))
            return failure;
        std::wstring answer;
        // Until Start the device is not opened, so nothing is known about it.
        bool known = FStarted && FPlugged;
        if (_wcsicmp(key.c_str(), L"devicemodel") == 0)
            answer = known ? FModel : std::wstring();
        else if (_wcsicmp(key.c_str(), L"serial") == 0)
            answer = known ? FSerial : std::wstring();
        else if (_wcsicmp(key.c_str(), L"version") == 0)
            answer = L"Dalvex simulator 1.0";
        else
            return E_INVALIDARG;
        *value = AllocString(answer);
        return S_OK;
    });
}

// ---------------------------------------------------------------------------------------------
// IOleObject, IOleInPlaceObject: a small window of its own inside the host's.

STDMETHODIMP TSimControl::SetClientSite(IOleClientSite* site)
{
    if (FDisconnected)
        return RPC_E_DISCONNECTED;
    if (site == nullptr)
        InPlaceDeactivate();
    if (site != nullptr)
        site->AddRef();
    if (FClientSite != nullptr)
        FClientSite->Release();
    FClientSite = site;
    return S_OK;
}

STDMETHODIMP TSimControl::GetClientSite(IOleClientSite** site)
{
    if (site == nullptr)
        return E_POINTER;
    *site = FClientSite;
    if (FClientSite != nullptr)
        FClientSite->AddRef();
    return S_OK;
}

STDMETHODIMP TSimControl::Close(DWORD)
{
    // After Close the control raises nothing more: the host is going away.
    FClosed = true;
    if (FTimerWnd != nullptr) {
        KillTimer(FTimerWnd, kScriptTimer);
        DestroyWindow(FTimerWnd);
        FTimerWnd = nullptr;
    }
    if (FSettingsWnd != nullptr) {
        HWND settings = FSettingsWnd;
        FSettingsWnd = nullptr;
        DestroyWindow(settings);
    }
    InPlaceDeactivate();
    return S_OK;
}

STDMETHODIMP TSimControl::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    if (moniker != nullptr)
        *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TSimControl::GetClipboardData(DWORD, IDataObject** data)
{
    if (data != nullptr)
        *data = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TSimControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND parent, LPCRECT posRect)
{
    return Guarded(L"DoVerb", [&]() -> HRESULT {
        if (FDisconnected)
            return RPC_E_DISCONNECTED;
        switch (verb) {
        case OLEIVERB_PRIMARY:
        case OLEIVERB_SHOW:
        case OLEIVERB_INPLACEACTIVATE:
        case OLEIVERB_UIACTIVATE: return ActivateInPlace(site != nullptr ? site : FClientSite, parent, posRect);
        case OLEIVERB_HIDE:
            if (FWnd != nullptr)
                ShowWindow(FWnd, SW_HIDE);
            return S_OK;
        default: return OLEOBJ_S_INVALIDVERB;
        }
    });
}

HRESULT TSimControl::ActivateInPlace(IOleClientSite* site, HWND parent, LPCRECT posRect)
{
    if (FClosed)
        return E_UNEXPECTED;
    if (FWnd != nullptr) {
        if (posRect != nullptr)
            SetObjectRects(posRect, posRect);
        return S_OK;
    }
    if (site == nullptr)
        return E_INVALIDARG;
    IOleInPlaceSite* inPlace = nullptr;
    if (FAILED(site->QueryInterface(IID_IOleInPlaceSite, reinterpret_cast<void**>(&inPlace))))
        return E_NOINTERFACE;
    if (inPlace->CanInPlaceActivate() != S_OK) {
        inPlace->Release();
        return E_FAIL;
    }
    inPlace->OnInPlaceActivate();
    HWND window = parent;
    if (window == nullptr)
        inPlace->GetWindow(&window);
    RECT pos{0, 0, 26, 26};
    RECT clip;
    IOleInPlaceFrame* frame = nullptr;
    IOleInPlaceUIWindow* doc = nullptr;
    OLEINPLACEFRAMEINFO info{};
    info.cb = sizeof(info);
    if (SUCCEEDED(inPlace->GetWindowContext(&frame, &doc, &pos, &clip, &info))) {
        if (frame != nullptr)
            frame->Release();
        if (doc != nullptr)
            doc->Release();
    }
    if (posRect != nullptr)
        pos = *posRect;
    RegisterWindowClasses();
    FWnd = CreateWindowExW(0, kControlClass, FCaption.c_str(),
                           WS_CHILD | WS_CLIPSIBLINGS | (FVisible ? WS_VISIBLE : 0), pos.left, pos.top,
                           pos.right - pos.left, pos.bottom - pos.top, window, nullptr, gModule, this);
    if (FWnd == nullptr) {
        HRESULT hr = HRESULT_FROM_WIN32(GetLastError());
        inPlace->OnInPlaceDeactivate();
        inPlace->Release();
        return FAILED(hr) ? hr : E_FAIL;
    }
    FInPlaceSite = inPlace;
    return S_OK;
}

STDMETHODIMP TSimControl::EnumVerbs(IEnumOLEVERB** verbs)
{
    if (verbs != nullptr)
        *verbs = nullptr;
    return OLEOBJ_E_NOVERBS;
}

STDMETHODIMP TSimControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP TSimControl::SetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    FExtent = *size;
    return S_OK;
}

STDMETHODIMP TSimControl::GetExtent(DWORD aspect, SIZEL* size)
{
    if (size == nullptr)
        return E_POINTER;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    *size = FExtent;
    return S_OK;
}

STDMETHODIMP TSimControl::EnumAdvise(IEnumSTATDATA** advise)
{
    if (advise != nullptr)
        *advise = nullptr;
    return OLE_E_ADVISENOTSUPPORTED;
}

STDMETHODIMP TSimControl::GetMiscStatus(DWORD, DWORD* status)
{
    if (status == nullptr)
        return E_POINTER;
    *status = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;
    return S_OK;
}

STDMETHODIMP TSimControl::GetWindow(HWND* wnd)
{
    if (wnd == nullptr)
        return E_POINTER;
    *wnd = FWnd;
    return FWnd != nullptr ? S_OK : E_FAIL;
}

STDMETHODIMP TSimControl::InPlaceDeactivate()
{
    if (FWnd != nullptr) {
        HWND wnd = FWnd;
        FWnd = nullptr;
        DestroyWindow(wnd);
    }
    if (FInPlaceSite != nullptr) {
        IOleInPlaceSite* site = FInPlaceSite;
        FInPlaceSite = nullptr;
        site->OnInPlaceDeactivate();
        site->Release();
    }
    return S_OK;
}

STDMETHODIMP TSimControl::SetObjectRects(LPCRECT posRect, LPCRECT)
{
    if (posRect == nullptr)
        return E_POINTER;
    if (FWnd != nullptr)
        SetWindowPos(FWnd, nullptr, posRect->left, posRect->top, posRect->right - posRect->left,
                     posRect->bottom - posRect->top, SWP_NOZORDER | SWP_NOACTIVATE);
    return S_OK;
}

STDMETHODIMP TSimControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR)
{
    if (dc == nullptr || bounds == nullptr)
        return E_INVALIDARG;
    if (aspect != DVASPECT_CONTENT)
        return DV_E_DVASPECT;
    RECT r{bounds->left, bounds->top, bounds->right, bounds->bottom};
    return Guarded(L"Draw", [&] {
        Paint(dc, r);
        return S_OK;
    });
}

// A framed square with the caption and a lamp: green while a device is plugged in and the
// control is started, grey otherwise.
void TSimControl::Paint(HDC dc, const RECT& r) const
{
    HBRUSH face = CreateSolidBrush(RGB(255, 255, 225));
    FillRect(dc, &r, face);
    DeleteObject(face);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    int lamp = std::max<int>(4, std::min<int>(r.right - r.left, r.bottom - r.top) / 4);
    HBRUSH lampBrush = CreateSolidBrush(FStarted && FPlugged ? RGB(0, 176, 0) : RGB(160, 160, 160));
    RECT lampRect{r.right - lamp - 3, r.top + 3, r.right - 3, r.top + 3 + lamp};
    FillRect(dc, &lampRect, lampBrush);
    DeleteObject(lampBrush);
    RECT text = r;
    text.top += lamp + 3;
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, FCaption.c_str(), static_cast<int>(FCaption.size()), &text,
              DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

// ---------------------------------------------------------------------------------------------
// IConnectionPointContainer, IPersistPropertyBag

STDMETHODIMP TSimControl::EnumConnectionPoints(IEnumConnectionPoints** points)
{
    if (points != nullptr)
        *points = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TSimControl::FindConnectionPoint(REFIID riid, IConnectionPoint** point)
{
    if (point == nullptr)
        return E_POINTER;
    *point = nullptr;
    if (riid != DIID_DalvexEvents)
        return CONNECT_E_NOCONNECTION;
    *point = &FPoint;
    FPoint.AddRef();
    return S_OK;
}

STDMETHODIMP TSimControl::GetClassID(CLSID* clsid)
{
    if (clsid == nullptr)
        return E_POINTER;
    *clsid = CLSID_DalvexSim;
    return S_OK;
}

STDMETHODIMP TSimControl::Load(IPropertyBag* bag, IErrorLog*)
{
    return Guarded(L"Load", [&]() -> HRESULT {
        if (bag == nullptr)
            return E_POINTER;
        VARIANT v;
        VariantInit(&v);
        v.vt = VT_BSTR;
        if (SUCCEEDED(bag->Read(L"Caption", &v, nullptr)) && v.vt == VT_BSTR)
            FCaption = FromBSTR(v.bstrVal);
        VariantClear(&v);
        v.vt = VT_BOOL;
        if (SUCCEEDED(bag->Read(L"AutoSize", &v, nullptr)) && v.vt == VT_BOOL)
            FAutoSize = v.boolVal != VARIANT_FALSE;
        VariantClear(&v);
        return S_OK;
    });
}

// ---------------------------------------------------------------------------------------------
// Events

HRESULT TSimControl::FireVariants(DISPID dispid, const std::vector<VARIANT>& args)
{
    if (!FStarted || FClosed)
        return S_FALSE;
    // DISPPARAMS hold the arguments last first.
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());
    DISPPARAMS params{reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    // A handler may release the control (its host destroyed); keep it until the loop is done.
    AddRef();
    std::vector<IDispatch*> sinks = FPoint.Sinks();
    for (IDispatch* sink : sinks) {
        sink->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
    Release();
    return S_OK;
}

HRESULT TSimControl::Fire(DISPID dispid, const std::vector<std::wstring>& args)
{
    std::vector<VARIANT> variants(args.size());
    for (size_t i = 0; i < args.size(); ++i) {
        VariantInit(&variants[i]);
        variants[i].vt = VT_BSTR;
        variants[i].bstrVal = SysAllocStringLen(args[i].data(), static_cast<UINT>(args[i].size()));
    }
    HRESULT hr = FireVariants(dispid, variants);
    for (VARIANT& v : variants)
        VariantClear(&v);
    return hr;
}

void TSimControl::SetDevice(bool plugged, const std::wstring& model, const std::wstring& serial)
{
    FPlugged = plugged;
    if (plugged) {
        FModel = model;
        FSerial = serial;
    }
    StateChanged();
}

void TSimControl::RingLine(const std::wstring& line, const std::wstring& number, const std::wstring& dateTime,
                           const std::wstring& other)
{
    if (!FPlugged) {
        Trace(L"a call on line " + line + L" is lost: no device is plugged in");
        return;
    }
    Fire(kDispidCallerID, {FSerial, line, number, dateTime.empty() ? LocalDateTime() : dateTime, other});
}

void TSimControl::SendLevels(const std::vector<std::wstring>& levels)
{
    if (!FPlugged) {
        Trace(L"levels are lost: no device is plugged in");
        return;
    }
    std::vector<std::wstring> all = levels;
    all.resize(8, L"0");
    FLevels.assign(all.begin(), all.begin() + 4);
    Fire(kDispidSignalA, all);
    StateChanged();
}

void TSimControl::StateChanged()
{
    if (FWnd != nullptr)
        InvalidateRect(FWnd, nullptr, TRUE);
    if (FSettingsWnd != nullptr)
        RefreshSettingsWindow(FSettingsWnd, this);
}

// ---------------------------------------------------------------------------------------------
// The script: loaded when the control is made, its timed actions run from Start by a timer on
// a hidden window of the host's thread.

void TSimControl::RunActionsAtCreate()
{
    for (const TAction& action : FScript.AtCreate)
        RunAction(action);
}

void TSimControl::LoadScriptFromEnvironment()
{
    wchar_t path[MAX_PATH * 2];
    DWORD n = GetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", path, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2)
        return;
    FScriptName = path;
    bool ok = false;
    std::wstring text = ReadUtf8File(FScriptName, ok);
    if (!ok) {
        Trace(FScriptName + L": cannot be read (error " + std::to_wstring(GetLastError()) + L")");
        return;
    }
    std::vector<std::wstring> problems;
    FScript = ParseScript(text, problems);
    for (const std::wstring& problem : problems)
        Trace(FScriptName + L": " + problem);
}

void TSimControl::StartScript()
{
    FNextAction = 0;
    FCycleStart = GetTickCount();
    ScheduleNextAction();
}

void TSimControl::ScheduleNextAction()
{
    if (FClosed || !FStarted || FNextAction >= FScript.Actions.size()) {
        if (FTimerWnd != nullptr)
            KillTimer(FTimerWnd, kScriptTimer);
        return;
    }
    if (FTimerWnd == nullptr) {
        RegisterWindowClasses();
        FTimerWnd = CreateWindowExW(0, kTimerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, gModule, nullptr);
        if (FTimerWnd == nullptr) {
            Trace(L"cannot create the script's timer window");
            return;
        }
        SetWindowLongPtrW(FTimerWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    DWORD elapsed = GetTickCount() - FCycleStart;
    unsigned due = FScript.Actions[FNextAction].AtMs;
    UINT wait = due > elapsed ? due - elapsed : 0;
    SetTimer(FTimerWnd, kScriptTimer, std::max<UINT>(wait, USER_TIMER_MINIMUM), nullptr);
}

void TSimControl::ScriptTimer()
{
    if (FTimerWnd != nullptr)
        KillTimer(FTimerWnd, kScriptTimer);
    AddRef();
    while (!FClosed && FNextAction < FScript.Actions.size() &&
           FScript.Actions[FNextAction].AtMs <= GetTickCount() - FCycleStart) {
        TAction action = FScript.Actions[FNextAction++]; // a copy: handlers may replace the script
        if (action.Kind == TActionKind::Repeat) {
            FCycleStart += action.AtMs;
            // Far behind (the thread was blocked): skip the missed rounds rather than race them.
            if (GetTickCount() - FCycleStart >= action.AtMs)
                FCycleStart = GetTickCount();
            FNextAction = 0;
            continue;
        }
        RunAction(action);
    }
    ScheduleNextAction();
    Release();
}

void TSimControl::RunAction(const TAction& action)
{
    switch (action.Kind) {
    case TActionKind::Plug: SetDevice(true, action.Args[0], action.Args[1]); break;
    case TActionKind::Unplug: SetDevice(false, FModel, FSerial); break;
    case TActionKind::Call:
        RingLine(action.Args[0], action.Args[1], action.Args.size() > 2 ? action.Args[2] : std::wstring(),
                 action.Args.size() > 3 ? action.Args[3] : std::wstring());
        break;
    case TActionKind::Levels: SendLevels(action.Args); break;
    case TActionKind::Fail: FFailures.push_back({action.Code, action.Method, action.InfoName, action.Always}); break;
    case TActionKind::Disconnect: Disconnect(); break;
    case TActionKind::Repeat: break;
    }
}

// ---------------------------------------------------------------------------------------------
// IDalvexSimulator

STDMETHODIMP TSimControl::SimSetDevice(BOOL plugged, BSTR model, BSTR serial)
{
    return Guarded(L"SimSetDevice", [&] {
        SetDevice(plugged != FALSE, FromBSTR(model), FromBSTR(serial));
        return S_OK;
    });
}

STDMETHODIMP TSimControl::SimRaiseEvent(DISPID dispid, LONG count, const VARIANT* args)
{
    return Guarded(L"SimRaiseEvent", [&]() -> HRESULT {
        if (count < 0 || (count > 0 && args == nullptr))
            return E_INVALIDARG;
        return FireVariants(dispid, std::vector<VARIANT>(args, args + count));
    });
}

STDMETHODIMP TSimControl::SimFailNextCall(HRESULT hr)
{
    FFailures.push_back({hr, std::wstring(), std::wstring()});
    return S_OK;
}

STDMETHODIMP TSimControl::SimRunScript(BSTR text, BSTR* problems)
{
    return Guarded(L"SimRunScript", [&]() -> HRESULT {
        if (problems != nullptr)
            *problems = nullptr;
        std::vector<std::wstring> found;
        FScript = ParseScript(FromBSTR(text), found);
        FScriptName = L"(test script)";
        RunActionsAtCreate();
        if (problems != nullptr) {
            std::wstring joined;
            for (const std::wstring& p : found)
                joined += p + L"\n";
            *problems = AllocString(joined);
        }
        if (FStarted)
            StartScript();
        return S_OK;
    });
}

STDMETHODIMP TSimControl::SimGetStatus(TDalvexSimStatus* status)
{
    if (status == nullptr)
        return E_POINTER;
    status->Started = FStarted;
    status->Plugged = FPlugged;
    status->Visible = FVisible;
    status->HasClientSite = FClientSite != nullptr;
    status->InPlaceActive = FInPlaceSite != nullptr;
    status->Connections = FPoint.Count();
    status->LiveObjects = LiveObjects();
    status->ControlWindow = FWnd;
    status->SettingsWindow = FSettingsWnd;
    return S_OK;
}

STDMETHODIMP TSimControl::SimGetControlData(BSTR* caption, BOOL* autoSize)
{
    return Guarded(L"SimGetControlData", [&]() -> HRESULT {
        if (caption == nullptr || autoSize == nullptr)
            return E_POINTER;
        *caption = AllocString(FCaption);
        *autoSize = FAutoSize;
        return S_OK;
    });
}

} // namespace dalvexsim
