// Accessibility objects: COM plumbing shared by every element, and the windowless children list.
#include "ui/com/Accessible.h"

#include "ui/controls/StdCtrls.h"

namespace ui {

namespace {

// The error a client gets from an element whose window has gone.
constexpr HRESULT kGone = CO_E_OBJNOTCONNECTED;

HRESULT PutText(const std::wstring& text, BSTR* out)
{
    if (text.empty()) {
        *out = nullptr;
        return S_FALSE;
    }
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void PutLong(long value, VARIANT* out)
{
    VariantInit(out);
    out->vt = VT_I4;
    out->lVal = value;
}

} // namespace

// --- IUnknown and IDispatch ------------------------------------------------------------------

HRESULT TAccessible::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG TAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&FRefCount)); }

ULONG TAccessible::Release()
{
    const LONG count = InterlockedDecrement(&FRefCount);
    if (count == 0)
        delete this;
    return static_cast<ULONG>(count);
}

HRESULT TAccessible::GetTypeInfoCount(UINT* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

HRESULT TAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info)
{
    if (info != nullptr)
        *info = nullptr;
    return E_NOTIMPL;
}

HRESULT TAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

HRESULT TAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*)
{
    return E_NOTIMPL;
}

// --- IAccessible -----------------------------------------------------------------------------

TWinControl* TAccessible::Control() const { return IsWindow(FWnd) ? TWinControl::FromHandle(FWnd) : nullptr; }

template <class F>
HRESULT TAccessible::ForChild(const VARIANT& child, F&& body)
{
    return ComGuard(nullptr, E_FAIL, [&]() -> HRESULT {
        if (Control() == nullptr)
            return kGone;
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > ChildCount())
            return E_INVALIDARG;
        return body(static_cast<int>(child.lVal));
    });
}

HRESULT TAccessible::get_accParent(IDispatch** parent)
{
    if (parent == nullptr)
        return E_POINTER;
    *parent = nullptr;
    return ComGuard(nullptr, E_FAIL, [&]() -> HRESULT {
        if (Control() == nullptr)
            return kGone;
        *parent = ParentObject();
        return *parent != nullptr ? S_OK : S_FALSE;
    });
}

IDispatch* TAccessible::ParentObject()
{
    IDispatch* parent = nullptr;
    if (FAILED(CreateStdAccessibleObject(FWnd, OBJID_WINDOW, IID_IDispatch, reinterpret_cast<void**>(&parent))))
        return nullptr;
    return parent;
}

HRESULT TAccessible::get_accChildCount(long* count)
{
    if (count == nullptr)
        return E_POINTER;
    *count = 0;
    return ComGuard(nullptr, E_FAIL, [&]() -> HRESULT {
        if (Control() == nullptr)
            return kGone;
        *count = ChildCount();
        return S_OK;
    });
}

HRESULT TAccessible::get_accChild(VARIANT child, IDispatch** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    return ForChild(child, [&](int id) -> HRESULT {
        if (id == CHILDID_SELF)
            return E_INVALIDARG;
        *object = ChildObject(id);
        return *object != nullptr ? S_OK : S_FALSE; // S_FALSE: a simple child, ask this object
    });
}

HRESULT TAccessible::get_accName(VARIANT child, BSTR* name)
{
    if (name == nullptr)
        return E_POINTER;
    *name = nullptr;
    return ForChild(child, [&](int id) { return PutText(Name(id), name); });
}

HRESULT TAccessible::get_accValue(VARIANT child, BSTR* value)
{
    if (value == nullptr)
        return E_POINTER;
    *value = nullptr;
    return ForChild(child, [&](int id) { return PutText(Value(id), value); });
}

HRESULT TAccessible::get_accDescription(VARIANT, BSTR* description)
{
    if (description != nullptr)
        *description = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::get_accRole(VARIANT child, VARIANT* role)
{
    if (role == nullptr)
        return E_POINTER;
    VariantInit(role);
    return ForChild(child, [&](int id) {
        PutLong(Role(id), role);
        return S_OK;
    });
}

HRESULT TAccessible::get_accState(VARIANT child, VARIANT* state)
{
    if (state == nullptr)
        return E_POINTER;
    VariantInit(state);
    return ForChild(child, [&](int id) {
        PutLong(State(id), state);
        return S_OK;
    });
}

HRESULT TAccessible::get_accHelp(VARIANT, BSTR* help)
{
    if (help != nullptr)
        *help = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic)
{
    if (file != nullptr)
        *file = nullptr;
    if (topic != nullptr)
        *topic = -1;
    return S_FALSE;
}

HRESULT TAccessible::get_accKeyboardShortcut(VARIANT, BSTR* shortcut)
{
    if (shortcut != nullptr)
        *shortcut = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::get_accFocus(VARIANT* focus)
{
    if (focus == nullptr)
        return E_POINTER;
    VariantInit(focus);
    return ComGuard(nullptr, E_FAIL, [&]() -> HRESULT {
        if (Control() == nullptr)
            return kGone;
        const int id = FocusedChild();
        if (id < 0)
            return S_FALSE; // VT_EMPTY: the focus is elsewhere
        if (id > 0) {
            if (IDispatch* object = ChildObject(id)) {
                focus->vt = VT_DISPATCH;
                focus->pdispVal = object;
                return S_OK;
            }
        }
        PutLong(id, focus);
        return S_OK;
    });
}

HRESULT TAccessible::get_accSelection(VARIANT* selection)
{
    if (selection == nullptr)
        return E_POINTER;
    VariantInit(selection);
    return S_FALSE;
}

HRESULT TAccessible::get_accDefaultAction(VARIANT, BSTR* action)
{
    if (action != nullptr)
        *action = nullptr;
    return S_FALSE;
}

HRESULT TAccessible::accSelect(long, VARIANT) { return DISP_E_MEMBERNOTFOUND; }

HRESULT TAccessible::accLocation(long* left, long* top, long* width, long* height, VARIANT child)
{
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    return ForChild(child, [&](int id) -> HRESULT {
        TRect r{};
        if (!Location(id, r))
            return S_FALSE;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    });
}

HRESULT TAccessible::accNavigate(long, VARIANT, VARIANT* end)
{
    if (end != nullptr)
        VariantInit(end);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessible::accHitTest(long, long, VARIANT* child)
{
    if (child != nullptr)
        VariantInit(child);
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT TAccessible::accDoDefaultAction(VARIANT) { return DISP_E_MEMBERNOTFOUND; }
HRESULT TAccessible::put_accName(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }
HRESULT TAccessible::put_accValue(VARIANT, BSTR) { return DISP_E_MEMBERNOTFOUND; }

LRESULT TAccessible::Answer(TAccessible* object, WPARAM wParam)
{
    const LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(object));
    object->Release();
    return result > 0 ? result : 0;
}

// --- windowless children ---------------------------------------------------------------------

TControl* TControlAccessible::Child(int child)
{
    TWinControl* control = Control();
    if (control == nullptr)
        return nullptr;
    int seen = 0;
    for (int i = 0; i < control->ControlCount(); ++i) {
        TControl* c = control->Controls(i);
        if (dynamic_cast<TWinControl*>(c) == nullptr && c->Visible() && ++seen == child)
            return c;
    }
    return nullptr;
}

int TControlAccessible::ChildCount()
{
    TWinControl* control = Control();
    int count = 0;
    for (int i = 0; control != nullptr && i < control->ControlCount(); ++i) {
        TControl* c = control->Controls(i);
        if (dynamic_cast<TWinControl*>(c) == nullptr && c->Visible())
            ++count;
    }
    return count;
}

std::wstring TControlAccessible::Name(int child)
{
    TControl* c = child == CHILDID_SELF ? Control() : Child(child);
    return c != nullptr ? c->GetText() : std::wstring();
}

long TControlAccessible::Role(int child)
{
    if (child == CHILDID_SELF)
        return ROLE_SYSTEM_CLIENT;
    return dynamic_cast<TLabel*>(Child(child)) != nullptr ? ROLE_SYSTEM_STATICTEXT : ROLE_SYSTEM_GRAPHIC;
}

long TControlAccessible::State(int child)
{
    TControl* c = child == CHILDID_SELF ? Control() : Child(child);
    long state = STATE_SYSTEM_READONLY;
    if (c != nullptr && !c->Enabled())
        state |= STATE_SYSTEM_UNAVAILABLE;
    return state;
}

bool TControlAccessible::Location(int child, TRect& screen)
{
    TWinControl* control = Control();
    if (control == nullptr)
        return false;
    TRect r = control->ClientRect();
    if (child != CHILDID_SELF) {
        TControl* c = Child(child);
        if (c == nullptr)
            return false;
        r = c->BoundsRect();
    }
    const TPoint topLeft = control->ClientToScreen(TPoint{r.left, r.top});
    screen = Rect(topLeft.x, topLeft.y, topLeft.x + (r.right - r.left), topLeft.y + (r.bottom - r.top));
    return true;
}

void InstallControlAccessibility()
{
    SetAccessibleHook([](TWinControl& control, WPARAM wParam) -> LRESULT {
        for (int i = 0; i < control.ControlCount(); ++i)
            if (dynamic_cast<TWinControl*>(control.Controls(i)) == nullptr)
                return TAccessible::Answer(new TControlAccessible(control.Handle()), wParam);
        return 0;
    });
}

} // namespace ui
