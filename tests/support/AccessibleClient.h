// Helpers for tests that read controls as an accessibility client does.
#pragma once

#include "ui/com/ComObj.h"

#include <oleacc.h>

#include <string>

namespace testsupport {

// The VARIANT that names a child of an accessibility object (CHILDID_SELF for the object).
inline VARIANT ChildId(long id)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// The accessibility name of a child, empty when it has none.
inline std::wstring AccName(IAccessible* acc, long id)
{
    ui::TBStr name;
    acc->get_accName(ChildId(id), name.Put());
    return name.Str();
}

// A child that is an object of its own (a row of a table), or an empty pointer.
inline ui::TComPtr<IAccessible> AccChildObject(IAccessible* acc, long id)
{
    ui::TComPtr<IDispatch> dispatch;
    if (acc->get_accChild(ChildId(id), dispatch.Put()) != S_OK)
        return {};
    return dispatch.As<IAccessible>(__uuidof(IAccessible));
}

} // namespace testsupport
