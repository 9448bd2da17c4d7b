// An independent client of the simulated control: only CoCreateInstance, raw interface slots
// and IDispatch, as another program would use the vendor's control. It proves the slot layout
// and the dispatch identifiers, whatever the host library does.
#include "tests/device/SimHelpers.h"

#include <gtest/gtest.h>

#include <ocidl.h>
#include <olectl.h>

#include <string>
#include <vector>

using ui::TComPtr;

namespace {

const IID kIDalvex = {0x0A16189E, 0x10E9, 0x4A76, {0x8D, 0x2D, 0x0A, 0x8F, 0x1A, 0xD4, 0x72, 0x9A}};
const IID kIDalvexEvents = {0xB6A36C9A, 0x2DC9, 0x4CEF, {0xAF, 0x6E, 0xD6, 0xDD, 0xD2, 0xF9, 0x1C, 0xC4}};

using NoArgs = HRESULT(__stdcall*)(void*);
using GetInfoFn = HRESULT(__stdcall*)(void*, BSTR, BSTR*);

void* Slot(IUnknown* p, int index) { return (*reinterpret_cast<void***>(p))[index]; }

// Records the raw DISPPARAMS of every event, as the control sends them.
class TRawSink : public IDispatch {
public:
    std::vector<std::pair<DISPID, std::vector<std::wstring>>> Events; // rgvarg in stored order
    LONG Refs = 1;
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IDispatch || riid == kIDalvexEvents) {
            *ppv = this;
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++Refs; }
    STDMETHODIMP_(ULONG) Release() override { return --Refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override
    {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override
    {
        EXPECT_EQ(DISPATCH_METHOD, flags);
        std::vector<std::wstring> stored;
        for (UINT i = 0; i < p->cArgs; ++i)
            stored.push_back(ui::TBStr::ToWide(p->rgvarg[i].bstrVal));
        Events.emplace_back(id, stored);
        return S_OK;
    }
};

TEST(SimulatorClient, MethodsSitInSlots45_46And49AndTheOthersAnswerNotImplemented)
{
    ASSERT_NE(nullptr, simtest::Simulator());
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TComPtr<IUnknown> control;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DalvexSim, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, control.PutVoid()));
    TComPtr<IUnknown> dual;
    ASSERT_EQ(S_OK, control->QueryInterface(kIDalvex, dual.PutVoid()));
    auto sim = simtest::TestInterface(control.Get());
    ASSERT_TRUE(sim);
    ui::TBStr model(L"DLX-2"), serial(L"S-1");
    sim->SimSetDevice(TRUE, model.Get(), serial.Get());

    auto getInfo = reinterpret_cast<GetInfoFn>(Slot(dual.Get(), 49));
    ui::TBStr name(L"devicemodel");
    BSTR value = nullptr;
    ASSERT_EQ(S_OK, getInfo(dual.Get(), name.Get(), &value));
    EXPECT_EQ(L"", ui::TBStr::ToWide(value)) << "not started yet";
    SysFreeString(value);
    EXPECT_EQ(S_OK, reinterpret_cast<NoArgs>(Slot(dual.Get(), 46))(dual.Get())) << "slot 46 is Start";
    EXPECT_TRUE(simtest::Status(sim.Get()).Started);
    ASSERT_EQ(S_OK, getInfo(dual.Get(), name.Get(), &value));
    EXPECT_EQ(L"DLX-2", ui::TBStr::ToWide(value));
    SysFreeString(value);

    EXPECT_EQ(S_OK, reinterpret_cast<NoArgs>(Slot(dual.Get(), 45))(dual.Get())) << "slot 45 is ShowSettings";
    HWND settings = simtest::Status(sim.Get()).SettingsWindow;
    EXPECT_NE(nullptr, settings);
    for (int slot : {7, 8, 20, 44, 47, 48})
        EXPECT_EQ(E_NOTIMPL, reinterpret_cast<NoArgs>(Slot(dual.Get(), slot))(dual.Get())) << "slot " << slot;

    sim.Reset();
    dual.Reset();
    control.Reset();
    EXPECT_FALSE(IsWindow(settings)) << "the settings window goes with the control";
}

TEST(SimulatorClient, DispatchReachesVisibleByDispid201AndEventsArriveLastArgumentFirst)
{
    ASSERT_NE(nullptr, simtest::Simulator());
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    TComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DalvexSim, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                     dispatch.PutVoid()));
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Visible")};
    DISPID id = 0;
    ASSERT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(201, id);

    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    ASSERT_EQ(S_OK, dispatch->Invoke(201, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
    EXPECT_EQ(VT_BOOL, result.vt);
    EXPECT_EQ(VARIANT_TRUE, result.boolVal);
    VARIANT value;
    value.vt = VT_BOOL;
    value.boolVal = VARIANT_FALSE;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS putParams{&value, &put, 1, 1};
    ASSERT_EQ(S_OK, dispatch->Invoke(201, IID_NULL, 0, DISPATCH_PROPERTYPUT, &putParams, nullptr, nullptr, nullptr));
    ASSERT_EQ(S_OK, dispatch->Invoke(201, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &result, nullptr, nullptr));
    EXPECT_EQ(VARIANT_FALSE, result.boolVal);

    // A failing method reports its HRESULT in the exception record.
    auto sim = simtest::TestInterface(dispatch.Get());
    ASSERT_TRUE(sim);
    sim->SimFailNextCall(E_ACCESSDENIED);
    EXCEPINFO info{};
    EXPECT_EQ(DISP_E_EXCEPTION, dispatch->Invoke(DISPID_DalvexSim_Start, IID_NULL, 0, DISPATCH_METHOD, &none,
                                                 nullptr, &info, nullptr));
    EXPECT_EQ(E_ACCESSDENIED, info.scode);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    ASSERT_EQ(S_OK, dispatch->Invoke(DISPID_DalvexSim_Start, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr,
                                     nullptr));

    TComPtr<IConnectionPointContainer> container;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IConnectionPointContainer, container.PutVoid()));
    TComPtr<IConnectionPoint> point;
    EXPECT_EQ(CONNECT_E_NOCONNECTION, container->FindConnectionPoint(IID_IDispatch, point.Put()));
    ASSERT_EQ(S_OK, container->FindConnectionPoint(kIDalvexEvents, point.Put()));
    TRawSink sink;
    DWORD cookie = 0;
    ASSERT_EQ(S_OK, point->Advise(&sink, &cookie));
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), 209, {L"dev", L"line", L"phone", L"time", L"other"}));
    ASSERT_EQ(1u, sink.Events.size());
    EXPECT_EQ(209, sink.Events[0].first);
    EXPECT_EQ((std::vector<std::wstring>{L"other", L"time", L"phone", L"line", L"dev"}), sink.Events[0].second);
    EXPECT_EQ(S_OK, point->Unadvise(cookie));
    EXPECT_EQ(CONNECT_E_NOCONNECTION, point->Unadvise(cookie));
    EXPECT_EQ(1, sink.Refs) << "the control let go of the sink";
    VariantClear(&result);
}

} // namespace
