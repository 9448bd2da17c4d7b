// Hosting an ActiveX control: creation, client site, in-place activation, events and properties.
#include "ui/com/OleCtrls.h"

#include "ui/core/ClassBuilder.h"
#include "ui/controls/Forms.h"

#include <olectl.h>

#include <cstdlib>
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

// The interface that the control's class names as its default in its type information, or
// IDispatch when the control tells no class information or names no default.
IID DefaultInterfaceOf(IUnknown* control)
{
    TComPtr<IProvideClassInfo> provider;
    TComPtr<ITypeInfo> coclass;
    TYPEATTR* attr = nullptr;
    if (FAILED(control->QueryInterface(IID_IProvideClassInfo, provider.PutVoid())) ||
        FAILED(provider->GetClassInfo(coclass.Put())) || FAILED(coclass->GetTypeAttr(&attr)))
        return IID_IDispatch;
    const UINT count = attr->cImplTypes;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < count; ++i) {
        INT flags = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags)) || !(flags & IMPLTYPEFLAG_FDEFAULT) ||
            (flags & IMPLTYPEFLAG_FSOURCE))
            continue;
        HREFTYPE ref = 0;
        TComPtr<ITypeInfo> iface;
        if (FAILED(coclass->GetRefTypeOfImplType(i, &ref)) || FAILED(coclass->GetRefTypeInfo(ref, iface.Put())) ||
            FAILED(iface->GetTypeAttr(&attr)))
            break;
        const IID iid = attr->guid;
        iface->ReleaseTypeAttr(attr);
        return iid;
    }
    return IID_IDispatch;
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
// The client site: where the control lives (the host's window and bounds), what it may tell its
// container (focus, control-info changes, accelerators), and the ambient properties it may ask
// for. Detached when the host goes; the control may hold it a little longer.
//
// What it answers, and why the rest is "not supported":
// - IOleClientSite, IOleWindow, IOleInPlaceSite, IOleInPlaceSiteEx: a windowed control active
//   in place in the host's window. Some controls activate only through the extended site.
//   IOleInPlaceSiteWindowless is not offered, so a control that could also draw without a
//   window makes one of its own: every control we host then has a window that follows the
//   host's.
// - IOleControlSite: controls made with the common frameworks ask for it at once.
// - IDispatch: the ambient properties (TOleControl::GetAmbientProperty).
// - No container (GetContainer), no services (IServiceProvider), no simple-frame children, no
//   property-change or document-host interfaces: the host offers nothing behind them, and a
//   control is written to do without them.

class TOleClientSite : public IOleClientSite,
                       public IOleInPlaceSiteEx,
                       public IOleControlSite,
                       public TDispatchByDispid,
                       private TRefCounted {
public:
    explicit TOleClientSite(TOleControl* host) : FHost(host) {}
    void Detach() { FHost = nullptr; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        HRESULT hr = S_OK;
        if (riid == IID_IUnknown || riid == IID_IOleClientSite)
            *ppv = static_cast<IOleClientSite*>(this);
        else if (riid == IID_IOleWindow || riid == IID_IOleInPlaceSite || riid == IID_IOleInPlaceSiteEx)
            *ppv = static_cast<IOleInPlaceSiteEx*>(this);
        else if (riid == IID_IOleControlSite)
            *ppv = static_cast<IOleControlSite*>(this);
        else if (riid == IID_IDispatch)
            *ppv = static_cast<IDispatch*>(this);
        else {
            *ppv = nullptr;
            hr = E_NOINTERFACE;
        }
        if (hr == S_OK)
            AddRef();
        if (FHost != nullptr)
            ComGuard(FHost, S_OK, [&]() -> HRESULT {
                FHost->SiteQueried(riid, hr);
                return S_OK;
            });
        return hr;
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

    // IOleInPlaceSiteEx. The host never draws the control's content for it, so the control
    // must draw itself when it comes up (no "no redraw").
    STDMETHODIMP OnInPlaceActivateEx(BOOL* noRedraw, DWORD) override
    {
        if (noRedraw != nullptr)
            *noRedraw = FALSE;
        return S_OK;
    }
    STDMETHODIMP OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
    STDMETHODIMP RequestUIActivate() override { return FHost != nullptr ? S_OK : S_FALSE; }

    // IOleControlSite. The host keeps the control active in place for as long as its window
    // lives, so a lock changes nothing; it has no mnemonics to read again, no extended control
    // object, no property pages, and no accelerators of its own that a control's keys could mean.
    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** disp) override
    {
        if (disp == nullptr)
            return E_POINTER;
        *disp = nullptr;
        return E_NOTIMPL;
    }
    // The container's coordinates are the host's pixels, at the screen's 96 pixels per inch,
    // as the extent given at creation.
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override
    {
        if (himetric == nullptr || container == nullptr)
            return E_POINTER;
        if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
            container->x = static_cast<float>(himetric->x) * 96.0f / 2540.0f;
            container->y = static_cast<float>(himetric->y) * 96.0f / 2540.0f;
        } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
            himetric->x = static_cast<LONG>(container->x * 2540.0f / 96.0f + (container->x < 0 ? -0.5f : 0.5f));
            himetric->y = static_cast<LONG>(container->y * 2540.0f / 96.0f + (container->y < 0 ? -0.5f : 0.5f));
        } else {
            return E_INVALIDARG;
        }
        return S_OK;
    }
    STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD) override { return msg == nullptr ? E_POINTER : S_FALSE; }
    STDMETHODIMP OnFocus(BOOL) override { return S_OK; }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    // IDispatch: the ambient properties, read only.
    STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                        UINT*) override
    {
        HRESULT hr = ComGuard(FHost, E_FAIL, [&]() -> HRESULT {
            if (!(flags & DISPATCH_PROPERTYGET) || FHost == nullptr)
                return DISP_E_MEMBERNOTFOUND;
            TOleVariant value;
            HRESULT answer = FHost->GetAmbientProperty(dispid, *value.Get());
            if (answer == S_OK && result != nullptr) {
                VariantInit(result);
                answer = VariantCopy(result, value.Get());
            }
            return answer;
        });
        if (FHost != nullptr)
            ComGuard(FHost, S_OK, [&]() -> HRESULT {
                FHost->AmbientQueried(dispid, hr);
                return S_OK;
            });
        return hr;
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
        const IID dispatchIID =
            FData.DispatchIID != GUID_NULL ? FData.DispatchIID : DefaultInterfaceOf(FUnknown.Get());
        OleCheck(FUnknown->QueryInterface(dispatchIID, FDispatch.PutVoid()));
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
    // A control gone before it could be shown (its window is made when its page first shows)
    // is let go of and reported as not available, like a call that finds it gone.
    CheckCall(hr);
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

IOleClientSite* TOleControl::ClientSite() const { return FSite; }

namespace {

// A colour as OLE hands colours around: system colours with the top bit set and their index in
// the low byte, other colours as RGB.
OLE_COLOR ToOleColor(TColor color)
{
    if (color < 0)
        return 0x80000000u | static_cast<OLE_COLOR>(color & 0xFF);
    return static_cast<OLE_COLOR>(color);
}

// A new font object with the face, size, weight, style and character set of `font`.
HRESULT NewFontDisp(const TFont& font, VARIANT& value)
{
    FONTDESC desc{};
    desc.cbSizeofstruct = sizeof(desc);
    std::wstring name = font.Name();
    desc.lpstrName = name.data();
    // Heights are pixels at 96 pixels per inch (negative: without the internal leading); the
    // font object wants points in currency units (1/10000 point).
    desc.cySize.int64 = static_cast<LONGLONG>(std::abs(font.Height())) * 72 * 10000 / 96;
    desc.sWeight = static_cast<SHORT>(font.Style().Contains(TFontStyle::fsBold) ? FW_BOLD : FW_NORMAL);
    desc.sCharset = static_cast<SHORT>(font.Charset());
    desc.fItalic = font.Style().Contains(TFontStyle::fsItalic);
    desc.fUnderline = font.Style().Contains(TFontStyle::fsUnderline);
    desc.fStrikethrough = font.Style().Contains(TFontStyle::fsStrikeOut);
    IFontDisp* disp = nullptr;
    HRESULT hr = OleCreateFontIndirect(&desc, IID_IFontDisp, reinterpret_cast<void**>(&disp));
    if (FAILED(hr))
        return hr;
    value.vt = VT_DISPATCH;
    value.pdispVal = disp;
    return S_OK;
}

void SetInt(VARIANT& value, LONG number)
{
    value.vt = VT_I4;
    value.lVal = number;
}

} // namespace

// The ambient properties come from the host's own settings where it has them: its colour, its
// font (and the font's colour as the foreground), its name, whether it is enabled. The rest
// describe this container: the program always runs (user mode, no hatching, no grab handles),
// it is never a dialog's default button, it does not reflect the control's notifications back
// to it (a control that wants them must catch them itself) and it does not route mnemonics.
HRESULT TOleControl::GetAmbientProperty(DISPID dispid, VARIANT& value)
{
    switch (dispid) {
    case DISPID_AMBIENT_USERMODE: TOleVariant::SetBool(value, true); return S_OK;
    case DISPID_AMBIENT_UIDEAD: TOleVariant::SetBool(value, !Enabled()); return S_OK;
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_DISPLAYASDEFAULT:
    case DISPID_AMBIENT_MESSAGEREFLECT:
    case DISPID_AMBIENT_SUPPORTSMNEMONICS: TOleVariant::SetBool(value, false); return S_OK;
    case DISPID_AMBIENT_BACKCOLOR: SetInt(value, static_cast<LONG>(ToOleColor(Color()))); return S_OK;
    case DISPID_AMBIENT_FORECOLOR: SetInt(value, static_cast<LONG>(ToOleColor(Font()->Color()))); return S_OK;
    case DISPID_AMBIENT_FONT: return NewFontDisp(*Font(), value);
    case DISPID_AMBIENT_LOCALEID: SetInt(value, static_cast<LONG>(GetUserDefaultLCID())); return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME: {
        const std::wstring& name = Name();
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        return value.bstrVal != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    default: return DISP_E_MEMBERNOTFOUND;
    }
}

void TOleControl::AmbientChanged(DISPID dispid)
{
    // A notice, not a request: what the control answers changes nothing here.
    if (auto control = FUnknown.As<IOleControl>(IID_IOleControl))
        control->OnAmbientPropertyChange(dispid);
}

void TOleControl::VisibleChanged()
{
    TWinControl::VisibleChanged();
    // Shown again, the container still shows only while the control shows its window.
    FollowControlVisibility();
}

void TOleControl::EnabledChanged()
{
    TWinControl::EnabledChanged();
    AmbientChanged(DISPID_AMBIENT_UIDEAD);
}

void TOleControl::FontChanged()
{
    TWinControl::FontChanged();
    AmbientChanged(DISPID_AMBIENT_FONT);
    AmbientChanged(DISPID_AMBIENT_FORECOLOR);
}

void TOleControl::ColorChanged()
{
    TWinControl::ColorChanged();
    AmbientChanged(DISPID_AMBIENT_BACKCOLOR);
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
    case WM_SETFOCUS:
        // The host's window is only the control's frame: the keys belong to the control.
        TWinControl::WndProc(message);
        if (FControlWnd != nullptr && IsWindowVisible(FControlWnd))
            ::SetFocus(FControlWnd);
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
