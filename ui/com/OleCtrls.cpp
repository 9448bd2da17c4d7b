// Hosting an ActiveX control: creation, client site, in-place activation, events and properties.
#include "ui/com/OleCtrls.h"

#include "ui/core/ClassBuilder.h"
#include "ui/controls/Forms.h"

#include <olectl.h>

#include <cwchar>

namespace ui {

namespace {

// The code a failed IDispatch::Invoke reports, preferring the one the control put into its
// exception record (whose strings are freed).
HRESULT InvokeResult(HRESULT hr, EXCEPINFO& info)
{
    HRESULT code = hr;
    if (hr == DISP_E_EXCEPTION) {
        if (info.pfnDeferredFillIn != nullptr)
            info.pfnDeferredFillIn(&info);
        if (FAILED(info.scode))
            code = info.scode;
    }
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    info = EXCEPINFO{};
    return code;
}

// Answers that mean the control's object is gone (its server died or disconnected it), not
// that one call failed: nothing it is asked afterwards can succeed.
bool MeansControlGone(HRESULT hr)
{
    return hr == RPC_E_DISCONNECTED || hr == CO_E_OBJNOTCONNECTED || hr == RPC_E_SERVER_DIED ||
           hr == RPC_E_SERVER_DIED_DNE || hr == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
}

// Shared reference counting of the small COM objects below: all live on the one UI thread.
class TRefCounted {
protected:
    virtual ~TRefCounted() = default;
    ULONG DoAddRef() { return ++FRefs; }
    ULONG DoRelease()
    {
        ULONG refs = --FRefs;
        if (refs == 0)
            delete this;
        return refs;
    }

private:
    ULONG FRefs = 1;
};

// IDispatch reached by DISPID only, as the control reaches the site's ambient properties and
// the event sink: no type information and no names to look up.
class TDispatchByDispid : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override
    {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
};

// The control's stored settings as a property bag: "Name=Value" lines, read by name.
class TControlDataBag : public IPropertyBag, private TRefCounted {
public:
    explicit TControlDataBag(const std::vector<std::wstring>& lines) : FLines(lines) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IPropertyBag) {
            *ppv = static_cast<IPropertyBag*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override
    {
        return ComGuard(nullptr, E_FAIL, [&]() -> HRESULT {
            if (name == nullptr || value == nullptr)
                return E_POINTER;
            for (const std::wstring& line : FLines) {
                size_t eq = line.find(L'=');
                if (eq == std::wstring::npos || _wcsicmp(line.substr(0, eq).c_str(), name) != 0)
                    continue;
                TBStr text(line.substr(eq + 1));
                VARTYPE wanted = value->vt;
                if (wanted == VT_EMPTY || wanted == VT_BSTR) {
                    value->vt = VT_BSTR;
                    value->bstrVal = SysAllocStringLen(text.Get(), SysStringLen(text.Get()));
                    return value->bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
                }
                // Descriptions are written the same everywhere, so their values convert with
                // English rules ("True", "1.5"), not the user's locale.
                VARIANT source;
                source.vt = VT_BSTR;
                source.bstrVal = text.Get();
                value->vt = VT_EMPTY;
                return VariantChangeTypeEx(value, &source, MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                                                    SORT_DEFAULT),
                                           0, wanted);
            }
            return E_INVALIDARG;
        });
    }
    STDMETHODIMP Write(LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }

private:
    std::vector<std::wstring> FLines;
};

// The frame the control sees while active in place: the host's top-level window. It offers no
// tool space or menus; the control needs none.
class TOleInPlaceFrame : public IOleInPlaceFrame, private TRefCounted {
public:
    explicit TOleInPlaceFrame(HWND frame) : FFrame(frame) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleWindow || riid == IID_IOleInPlaceUIWindow ||
            riid == IID_IOleInPlaceFrame) {
            *ppv = static_cast<IOleInPlaceFrame*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

    STDMETHODIMP GetWindow(HWND* wnd) override
    {
        if (wnd == nullptr)
            return E_POINTER;
        *wnd = FFrame;
        return S_OK;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return S_OK; }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject*, LPCOLESTR) override { return S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

private:
    HWND FFrame;
};

} // namespace

// ---------------------------------------------------------------------------------------------
// The client site: where the control lives (the host's window and bounds), and the ambient
// properties it may ask for. Detached when the host goes; the control may hold it a little longer.

class TOleClientSite : public IOleClientSite, public IOleInPlaceSite, public TDispatchByDispid, private TRefCounted {
public:
    explicit TOleClientSite(TOleControl* host) : FHost(host) {}
    void Detach() { FHost = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite)
            *ppv = static_cast<IOleInPlaceSite*>(this);
        else if (riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else {
            *ppv = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }

    // IOleClientSite
    STDMETHODIMP SaveObject() override { return S_OK; }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override
    {
        if (moniker != nullptr)
            *moniker = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetContainer(IOleContainer** container) override
    {
        if (container != nullptr)
            *container = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP ShowObject() override { return S_OK; }
    STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
    STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* wnd) override
    {
        return ComGuard(FHost, E_FAIL, [&]() -> HRESULT {
            if (wnd == nullptr)
                return E_POINTER;
            *wnd = nullptr;
            if (FHost == nullptr)
                return E_UNEXPECTED;
            *wnd = FHost->Handle();
            return S_OK;
        });
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override { return FHost != nullptr && FHost->HandleAllocated() ? S_OK : S_FALSE; }
    STDMETHODIMP OnInPlaceActivate() override { return S_OK; }
    STDMETHODIMP OnUIActivate() override { return S_OK; }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** doc, LPRECT posRect,
                                  LPRECT clipRect, LPOLEINPLACEFRAMEINFO frameInfo) override
    {
        return ComGuard(FHost, E_FAIL, [&]() -> HRESULT {
            if (frame == nullptr || doc == nullptr || posRect == nullptr || clipRect == nullptr || frameInfo == nullptr)
                return E_POINTER;
            *frame = nullptr;
            *doc = nullptr;
            if (FHost == nullptr)
                return E_UNEXPECTED;
            HWND top = GetAncestor(FHost->Handle(), GA_ROOT);
            *posRect = FHost->ControlRect();
            *clipRect = *posRect;
            frameInfo->fMDIApp = FALSE;
            frameInfo->hwndFrame = top;
            frameInfo->haccel = nullptr;
            frameInfo->cAccelEntries = 0;
            *frame = new TOleInPlaceFrame(top);
            return S_OK;
        });
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return S_OK; }
    STDMETHODIMP OnInPlaceDeactivate() override { return S_OK; }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return E_NOTIMPL; }
    // The host decides where the control goes; a control that would like other bounds keeps ours.
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return S_OK; }

    // IDispatch: the ambient properties a control may ask its site for.
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        bool value;
        switch (dispid) {
        case DISPID_AMBIENT_USERMODE: value = true; break;   // running, not being designed
        case DISPID_AMBIENT_UIDEAD: value = false; break;
        case DISPID_AMBIENT_SHOWHATCHING:
        case DISPID_AMBIENT_SHOWGRABHANDLES: value = false; break;
        default: return DISP_E_MEMBERNOTFOUND;
        }
        if (result != nullptr)
            TOleVariant::SetBool(*result, value);
        return S_OK;
    }

private:
    TOleControl* FHost;
};

// ---------------------------------------------------------------------------------------------
// The event sink: answers to the control's event interface and hands every event to the host.

class TOleEventSink : public TDispatchByDispid, private TRefCounted {
public:
    TOleEventSink(TOleControl* host, const IID& eventIID) : FHost(host), FEventIID(eventIID) {}
    void Detach() { FHost = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == FEventIID) {
            *ppv = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return DoAddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return DoRelease(); }


    // An error raised by a handler belongs to the application, not to the control that fired
    // the event: it goes to the application's error handling and the control hears success.
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        if (result != nullptr)
            VariantInit(result);
        // A handler may destroy the host, which releases this sink; stay alive until we return.
        AddRef();
        HRESULT hr = ComGuard(FHost, S_OK, [&]() -> HRESULT {
            if (FHost != nullptr && params != nullptr)
                FHost->DispatchEvent(dispid, *params);
            return S_OK;
        });
        Release();
        return hr;
    }

private:
    TOleControl* FHost;
    IID FEventIID;
};

// ---------------------------------------------------------------------------------------------
// TEventArgs

const VARIANT& TEventArgs::Arg(int index) const
{
    if (index < 0 || index >= Count())
        throw EOleError(Format(L"The event has %d arguments; argument %d is missing", Count(), index + 1));
    const VARIANT* v = &FParams.rgvarg[FParams.cArgs - 1 - index];
    while (v->vt == (VT_BYREF | VT_VARIANT) && v->pvarVal != nullptr)
        v = v->pvarVal;
    return *v;
}

std::wstring TEventArgs::String(int index) const
{
    const VARIANT& v = Arg(index);
    switch (v.vt) {
    case VT_BSTR: return TBStr::ToWide(v.bstrVal);
    case VT_BSTR | VT_BYREF: return v.pbstrVal != nullptr ? TBStr::ToWide(*v.pbstrVal) : std::wstring();
    case VT_EMPTY:
    case VT_NULL: return std::wstring();
    default: {
        TOleVariant converted;
        OleCheck(VariantChangeType(converted.Get(), const_cast<VARIANT*>(&v), 0, VT_BSTR));
        return TBStr::ToWide(converted.Get()->bstrVal);
    }
    }
}

// ---------------------------------------------------------------------------------------------
// TOleControl

const TClassInfo& TOleControl::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TOleControl>(L"TOleControl", &TWinControl::StaticClass())
        .Property(L"ControlData", &TOleControl::ControlData, &TOleControl::SetControlData)
        .Build();
    return info;
}

TOleControl::TOleControl(TComponent* AOwner) : TWinControl(AOwner) {}

TOleControl::~TOleControl()
{
    // The control goes first, while the window it is active in still exists.
    DestroyControl();
}

void TOleControl::SetControlData(const std::vector<std::wstring>& data)
{
    if (FCreationTried)
        throw EInvalidOperation(L"ControlData can only be set before the control is created");
    FControlData = data;
}

bool TOleControl::ControlAvailable()
{
    if (!FCreationTried) {
        try {
            CreateControl();
        } catch (const Exception&) {
            // Remembered in FCreationError; the caller asked a question, not for an error.
        }
    }
    return FUnknown ? true : false;
}

void TOleControl::RequireControl()
{
    if (!FCreationTried)
        CreateControl();
    if (!FUnknown)
        throw NotAvailableError();
}

EOleError TOleControl::NotAvailableError() const
{
    return EOleError(Format(L"The %s is not available (%s)", FData.Description.c_str(), FCreationError.c_str()));
}

void TOleControl::CheckCall(HRESULT hr)
{
    if (!MeansControlGone(hr)) {
        OleCheck(hr);
        return;
    }
    // The control is let go of as if it had never been made: later calls raise the same
    // "not available" error at once instead of asking a dead object again.
    FCreationError = EOleSysError(hr).Message();
    DestroyControl();
    throw NotAvailableError();
}

IUnknown* TOleControl::OleObject()
{
    RequireControl();
    return FUnknown.Get();
}

IDispatch* TOleControl::DefaultDispatch()
{
    RequireControl();
    return FDispatch.Get();
}

void TOleControl::CreateControl()
{
    if (FCreationTried)
        return;
    FCreationTried = true;
    try {
        OleInitializeOnce();
        InitControlData(FData);
        OleCheck(CoCreateInstance(FData.ClassID, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  FUnknown.PutVoid()));
        FSite = new TOleClientSite(this);
        FOleObject = FUnknown.As<IOleObject>(IID_IOleObject);
        // Controls that want the site before their settings (OLEMISC_SETCLIENTSITEFIRST) get it
        // here; giving it first to the others does them no harm.
        if (FOleObject)
            OleCheck(FOleObject->SetClientSite(static_cast<IOleClientSite*>(FSite)));
        LoadControlData();
        OleCheck(FUnknown->QueryInterface(FData.DispatchIID, FDispatch.PutVoid()));
        if (FData.EventIID != GUID_NULL) {
            auto container = FUnknown.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
            if (!container)
                OleCheck(E_NOINTERFACE);
            OleCheck(container->FindConnectionPoint(FData.EventIID, FEventPoint.Put()));
            FSink = new TOleEventSink(this, FData.EventIID);
            OleCheck(FEventPoint->Advise(FSink, &FEventCookie));
        }
        if (FOleObject) {
            // HIMETRIC (0.01 mm) at the screen's 96 pixels per inch.
            SIZEL extent{MulDiv(Width(), 2540, 96), MulDiv(Height(), 2540, 96)};
            FOleObject->SetExtent(DVASPECT_CONTENT, &extent);
        }
    } catch (const Exception& e) {
        FCreationError = e.Message();
        DestroyControl();
        throw NotAvailableError();
    }
    if (HandleAllocated())
        ActivateInPlace();
}

void TOleControl::LoadControlData()
{
    if (auto bagged = FUnknown.As<IPersistPropertyBag>(IID_IPersistPropertyBag)) {
        if (FControlData.empty()) {
            OleCheck(bagged->InitNew());
        } else {
            TComPtr<IPropertyBag> bag;
            *bag.Put() = new TControlDataBag(FControlData);
            OleCheck(bagged->Load(bag.Get(), nullptr));
        }
    } else if (auto streamed = FUnknown.As<IPersistStreamInit>(IID_IPersistStreamInit)) {
        OleCheck(streamed->InitNew());
    }
}

void TOleControl::DestroyControl()
{
    if (FEventPoint) {
        if (FEventCookie != 0)
            FEventPoint->Unadvise(FEventCookie);
        FEventCookie = 0;
        FEventPoint.Reset();
    }
    DeactivateInPlace();
    if (FOleObject) {
        FOleObject->Close(OLECLOSE_NOSAVE);
        FOleObject->SetClientSite(nullptr);
        FOleObject.Reset();
    }
    FDispatch.Reset();
    FUnknown.Reset();
    if (FSink != nullptr) {
        FSink->Detach();
        FSink->Release();
        FSink = nullptr;
    }
    if (FSite != nullptr) {
        FSite->Detach();
        FSite->Release();
        FSite = nullptr;
    }
}

TRect TOleControl::ControlRect()
{
    TRect r{0, 0, 0, 0};
    if (HandleAllocated())
        GetClientRect(Handle(), &r);
    return r;
}

void TOleControl::ActivateInPlace()
{
    if (!FOleObject || FInPlaceObject || FActivating || !HandleAllocated())
        return;
    FActivating = true;
    TRect r = ControlRect();
    HRESULT hr = FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(FSite), 0,
                                    Handle(), &r);
    FActivating = false;
    OleCheck(hr);
    FInPlaceObject = FUnknown.As<IOleInPlaceObject>(IID_IOleInPlaceObject);
    if (FInPlaceObject && FAILED(FInPlaceObject->GetWindow(&FControlWnd)))
        FControlWnd = nullptr;
    FollowControlVisibility();
}

void TOleControl::DeactivateInPlace()
{
    if (FInPlaceObject) {
        FInPlaceObject->InPlaceDeactivate();
        FInPlaceObject.Reset();
    }
    FControlWnd = nullptr;
}

void TOleControl::FollowControlVisibility()
{
    if (!HandleAllocated() || FControlWnd == nullptr || !IsWindow(FControlWnd))
        return;
    // The style bit, not IsWindowVisible: the latter is false while our own window is hidden.
    bool shown = (GetWindowLongW(FControlWnd, GWL_STYLE) & WS_VISIBLE) != 0 && TControl::Visible();
    ShowWindow(Handle(), shown ? SW_SHOWNA : SW_HIDE);
}

void TOleControl::Loaded()
{
    TWinControl::Loaded();
    // The settings are all read now; a control that cannot be made is reported here, once,
    // and the window it was to sit in comes up without it.
    try {
        CreateControl();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TOleControl::CreateWnd()
{
    TWinControl::CreateWnd();
    if (IsLoading())
        return;
    // Called while the parent window is being built: a failure here must not take the parent
    // down with it, so it goes to the application's error handling.
    try {
        if (!FCreationTried)
            CreateControl();
        else
            ActivateInPlace();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TOleControl::WndProc(TMessage& message)
{
    switch (message.Msg) {
    case WM_SIZE:
        TWinControl::WndProc(message);
        if (FInPlaceObject) {
            TRect r = ControlRect();
            FInPlaceObject->SetObjectRects(&r, &r);
        }
        return;
    case WM_DESTROY:
        // Our window goes (with the parent's, or on recreation); the control's window is a
        // child of it, so deactivate while both still exist.
        DeactivateInPlace();
        break;
    default:
        break;
    }
    TWinControl::WndProc(message);
}

void TOleControl::GetProperty(DISPID dispid, TOleVariant& result)
{
    IDispatch* dispatch = DefaultDispatch();
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXCEPINFO info{};
    VariantClear(result.Get());
    HRESULT hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, result.Get(),
                                  &info, nullptr);
    CheckCall(InvokeResult(hr, info));
}

void TOleControl::SetProperty(DISPID dispid, const VARIANT& value)
{
    IDispatch* dispatch = DefaultDispatch();
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{const_cast<VARIANT*>(&value), &named, 1, 1};
    EXCEPINFO info{};
    HRESULT hr = dispatch->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params, nullptr,
                                  &info, nullptr);
    CheckCall(InvokeResult(hr, info));
    FollowControlVisibility();
}

bool TOleControl::GetBoolProp(DISPID dispid)
{
    TOleVariant value;
    GetProperty(dispid, value);
    return value.AsBool();
}

void TOleControl::SetBoolProp(DISPID dispid, bool value)
{
    VARIANT v;
    VariantInit(&v);
    TOleVariant::SetBool(v, value);
    SetProperty(dispid, v);
}

void TOleControl::DispatchEvent(DISPID dispid, const DISPPARAMS& params)
{
    if (IsDestroying())
        return;
    InvokeEvent(dispid, TEventArgs(params));
}

void TOleControl::InvokeEvent(DISPID, const TEventArgs&) {}

} // namespace ui
