// COM helpers of the class library: apartment, wrappers and HRESULT checks.
#include "ui/com/ComObj.h"

#include "ui/controls/Forms.h"

namespace ui {

HRESULT OleCheck(HRESULT hr)
{
    if (FAILED(hr))
        throw EOleSysError(hr);
    return hr;
}

void OleInitializeOnce()
{
    // OleInitialize (not only CoInitialize) because in-place activation needs the OLE
    // clipboard, drag-and-drop and accelerator support of the apartment.
    static bool initialised = false;
    if (initialised)
        return;
    HRESULT hr = OleInitialize(nullptr);
    if (FAILED(hr))
        throw EOleSysError(hr);
    initialised = true;
}

void HandleComException(TObject* sender) noexcept
{
    Application->HandleException(sender != nullptr ? sender : Application);
}

TBStr::TBStr(const std::wstring& text)
{
    FStr = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (FStr == nullptr)
        throw EOleSysError(E_OUTOFMEMORY);
}

void TOleVariant::SetBool(VARIANT& v, bool value)
{
    VariantClear(&v);
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

bool TOleVariant::AsBool() const
{
    VARIANT converted;
    VariantInit(&converted);
    OleCheck(VariantChangeType(&converted, const_cast<VARIANT*>(&FVar), 0, VT_BOOL));
    bool result = converted.boolVal != VARIANT_FALSE;
    VariantClear(&converted);
    return result;
}

std::wstring TOleVariant::AsString() const
{
    if (FVar.vt == VT_BSTR)
        return TBStr::ToWide(FVar.bstrVal);
    if (FVar.vt == VT_EMPTY || FVar.vt == VT_NULL)
        return std::wstring();
    VARIANT converted;
    VariantInit(&converted);
    OleCheck(VariantChangeType(&converted, const_cast<VARIANT*>(&FVar), 0, VT_BSTR));
    std::wstring result = TBStr::ToWide(converted.bstrVal);
    VariantClear(&converted);
    return result;
}

} // namespace ui
