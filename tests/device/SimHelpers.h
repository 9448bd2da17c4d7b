// Shared by the COM host and device tests: the freshly built simulator, registered for this
// user, and a way to reach its test interface.
#pragma once

#include "device/simulator/DalvexSimulator.h"
#include "ui/com/ComObj.h"
#include "tests/support/SystemMessage.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>
#include <vector>

namespace simtest {

// Loads build/device/simulator/DalvexSim.dll (found from the test program's own folder) and
// registers it through its DllRegisterServer, so the tests use this build's simulator whatever
// the prefix holds. The module stays loaded for the test program's life.
inline HMODULE Simulator()
{
    static HMODULE module = [] {
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        std::wstring path(exe);
        path = path.substr(0, path.find_last_of(L'\\')) + L"\\..\\..\\device\\simulator\\DalvexSim.dll";
        wchar_t full[MAX_PATH];
        GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
        HMODULE m = LoadLibraryW(full);
        if (m != nullptr) {
            auto reg = reinterpret_cast<HRESULT(__stdcall*)()>(GetProcAddress(m, "DllRegisterServer"));
            if (reg == nullptr || FAILED(reg()))
                m = nullptr;
        }
        return m;
    }();
    return module;
}

inline HRESULT CanUnloadNow()
{
    auto fn = reinterpret_cast<HRESULT(__stdcall*)()>(GetProcAddress(Simulator(), "DllCanUnloadNow"));
    return fn != nullptr ? fn() : E_FAIL;
}

inline ui::TComPtr<IDalvexSimulator> TestInterface(IUnknown* control)
{
    ui::TComPtr<IDalvexSimulator> sim;
    if (control != nullptr)
        control->QueryInterface(IID_IDalvexSimulator, sim.PutVoid());
    return sim;
}

inline TDalvexSimStatus Status(IDalvexSimulator* sim)
{
    TDalvexSimStatus status{};
    EXPECT_EQ(S_OK, sim->SimGetStatus(&status));
    return status;
}

// Raises an event with string arguments through the test interface, synchronously.
inline HRESULT RaiseStrings(IDalvexSimulator* sim, DISPID dispid, std::initializer_list<std::wstring> args)
{
    std::vector<VARIANT> v(args.size());
    size_t i = 0;
    for (const std::wstring& a : args) {
        VariantInit(&v[i]);
        v[i].vt = VT_BSTR;
        v[i].bstrVal = SysAllocStringLen(a.data(), static_cast<UINT>(a.size()));
        ++i;
    }
    HRESULT hr = sim->SimRaiseEvent(dispid, static_cast<LONG>(v.size()), v.data());
    for (VARIANT& x : v)
        VariantClear(&x);
    return hr;
}

using testsupport::SystemMessage;

} // namespace simtest
