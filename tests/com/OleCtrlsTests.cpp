// The generic ActiveX host (TOleControl) with the simulated control standing in for any control:
// event arguments, properties by DISPID, activation through the window's life, creation on first
// use, and the ways creation can fail.
#include "ui/com/OleCtrls.h"
#include "ui/controls/Forms.h"

#include "tests/device/SimHelpers.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <olectl.h>

#include <memory>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;

namespace {

const IID kIDalvexEvents = {0xB6A36C9A, 0x2DC9, 0x4CEF, {0xAF, 0x6E, 0xD6, 0xDD, 0xD2, 0xF9, 0x1C, 0xC4}};
const CLSID kNowhere = {0x1D1B7C07, 0x55AA, 0x4C3B, {0x9E, 0x11, 0x70, 0x2F, 0x31, 0x42, 0x53, 0x65}};

// Hosts whatever class and interfaces a test names, and records every event by DISPID.
class TTestHost : public TOleControl {
public:
    TTestHost(TComponent* owner, const CLSID& clsid, const IID& events)
        : TOleControl(owner), FClass(clsid), FEvents(events) {}
    std::vector<std::pair<DISPID, std::vector<std::wstring>>> Events;

protected:
    void InitControlData(TControlData& data) override
    {
        data.ClassID = FClass;
        data.DispatchIID = IID_IDispatch;
        data.EventIID = FEvents;
        data.Description = L"test control";
    }
    void InvokeEvent(DISPID dispid, const TEventArgs& args) override
    {
        std::vector<std::wstring> values;
        for (int i = 0; i < args.Count(); ++i)
            values.push_back(args.String(i));
        Events.emplace_back(dispid, values);
    }

private:
    CLSID FClass;
    IID FEvents;
};

class OleControlTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, simtest::Simulator()) << "the simulator DLL could not be loaded and registered";
        Application->Initialize();
        Owner = std::make_unique<TComponent>(nullptr);
        auto* events = new TApplicationEvents(Owner.get());
        events->OnException = [this](TObject*, Exception& e) { Errors.push_back(e.Message()); };
        Form = new TForm(Owner.get());
        Form->SetBounds(10, 10, 300, 200);
    }
    void TearDown() override
    {
        Owner.reset();
        EXPECT_EQ(S_OK, simtest::CanUnloadNow()) << "every control was released";
    }
    TTestHost* NewHost(const CLSID& clsid = CLSID_DalvexSim, const IID& events = kIDalvexEvents)
    {
        auto* host = new TTestHost(Form, clsid, events);
        host->SetBounds(20, 30, 50, 40);
        host->SetParent(Form);
        return host;
    }

    std::unique_ptr<TComponent> Owner;
    TForm* Form = nullptr;
    std::vector<std::wstring> Errors;
};

TEST(EventArgs, AreReadInDeclaredOrderWhateverTheirType)
{
    // DISPPARAMS keep the last argument first.
    BSTR byRef = SysAllocString(L"second");
    VARIANT inner;
    VariantInit(&inner);
    inner.vt = VT_I4;
    inner.lVal = -7;
    VARIANT stored[4];
    for (VARIANT& v : stored)
        VariantInit(&v);
    stored[3].vt = VT_BSTR;
    stored[3].bstrVal = SysAllocString(L"first");
    stored[2].vt = VT_BSTR | VT_BYREF;
    stored[2].pbstrVal = &byRef;
    stored[1].vt = VT_VARIANT | VT_BYREF;
    stored[1].pvarVal = &inner;
    stored[0].vt = VT_NULL;
    DISPPARAMS params{stored, nullptr, 4, 0};
    TEventArgs args(params);
    ASSERT_EQ(4, args.Count());
    EXPECT_EQ(L"first", args.String(0));
    EXPECT_EQ(L"second", args.String(1));
    EXPECT_EQ(L"-7", args.String(2));
    EXPECT_EQ(L"", args.String(3));
    EXPECT_THROW(args.String(4), EOleError);
    EXPECT_THROW(args.String(-1), EOleError);
    VariantClear(&stored[3]);
    SysFreeString(byRef);
}

TEST_F(OleControlTest, PropertiesAreReadAndWrittenByDispidAndFailuresRaise)
{
    TTestHost* host = NewHost();
    EXPECT_TRUE(host->GetBoolProp(201));
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"no boolean");
    try {
        host->SetProperty(201, text);
        ADD_FAILURE() << "a value the control cannot take must raise";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(DISP_E_TYPEMISMATCH, e.ErrorCode());
    }
    VariantClear(&text);
    text.vt = VT_I4;
    text.lVal = 0;
    host->SetProperty(201, text); // converted by the control
    EXPECT_FALSE(host->GetBoolProp(201));
    TOleVariant value;
    try {
        host->GetProperty(4711, value);
        ADD_FAILURE() << "an unknown DISPID must raise";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, e.ErrorCode());
    }
}

TEST_F(OleControlTest, TheControlIsActiveInPlaceWhileTheHostHasAWindow)
{
    TTestHost* host = NewHost();
    host->DefaultDispatch(); // created on first use, before any window
    auto sim = simtest::TestInterface(host->OleObject());
    ASSERT_TRUE(sim);
    EXPECT_FALSE(simtest::Status(sim.Get()).InPlaceActive);

    Form->Show();
    TDalvexSimStatus status = simtest::Status(sim.Get());
    ASSERT_TRUE(status.InPlaceActive);
    EXPECT_EQ(host->Handle(), GetParent(status.ControlWindow));
    RECT r;
    GetClientRect(status.ControlWindow, &r);
    EXPECT_EQ(50, r.right);
    EXPECT_EQ(40, r.bottom);

    // A new window for the host: the control moves into it.
    HWND oldWindow = status.ControlWindow;
    host->RecreateWnd();
    status = simtest::Status(sim.Get());
    EXPECT_FALSE(IsWindow(oldWindow));
    ASSERT_TRUE(status.InPlaceActive);
    EXPECT_EQ(host->Handle(), GetParent(status.ControlWindow));

    // The whole window goes (as when the program ends): the control is deactivated first.
    Form->DestroyHandle();
    status = simtest::Status(sim.Get());
    EXPECT_FALSE(status.InPlaceActive);
    EXPECT_EQ(nullptr, host->ControlWindow());
    EXPECT_TRUE(status.HasClientSite) << "the control itself stays until the host goes";
    EXPECT_TRUE(Errors.empty());
}

// One ambient property as the control reads it through its site.
HRESULT Ambient(IOleClientSite* site, DISPID dispid, TOleVariant& value)
{
    TComPtr<IDispatch> ambient;
    HRESULT hr = site->QueryInterface(IID_IDispatch, ambient.PutVoid());
    if (FAILED(hr))
        return hr;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    VariantClear(value.Get());
    return ambient->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, value.Get(), nullptr,
                           nullptr);
}

TEST_F(OleControlTest, TheSiteAnswersAmbientPropertiesFromTheHostsOwnSettings)
{
    TTestHost* host = NewHost();
    host->SetName(L"Player1");
    host->SetColor(RGB(10, 20, 30));
    host->Font()->SetName(L"Arial");
    host->Font()->SetHeight(-16);
    host->Font()->SetStyle(TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic});
    host->Font()->SetColor(clHighlight);
    host->SetEnabled(false);
    host->OleObject();
    IOleClientSite* site = host->ClientSite();
    ASSERT_NE(nullptr, site);

    TOleVariant v;
    auto boolean = [&](DISPID dispid) {
        EXPECT_EQ(S_OK, Ambient(site, dispid, v)) << dispid;
        EXPECT_EQ(VT_BOOL, v.Type()) << dispid;
        return v.Get()->boolVal == VARIANT_TRUE;
    };
    EXPECT_TRUE(boolean(DISPID_AMBIENT_USERMODE)) << "the program is never a designer";
    EXPECT_TRUE(boolean(DISPID_AMBIENT_UIDEAD)) << "the host is disabled";
    host->SetEnabled(true);
    EXPECT_FALSE(boolean(DISPID_AMBIENT_UIDEAD)) << "read when asked, not when created";
    EXPECT_FALSE(boolean(DISPID_AMBIENT_SHOWHATCHING));
    EXPECT_FALSE(boolean(DISPID_AMBIENT_SHOWGRABHANDLES));
    EXPECT_FALSE(boolean(DISPID_AMBIENT_DISPLAYASDEFAULT));
    EXPECT_FALSE(boolean(DISPID_AMBIENT_MESSAGEREFLECT)) << "the host reflects nothing to a foreign window";

    ASSERT_EQ(S_OK, Ambient(site, DISPID_AMBIENT_BACKCOLOR, v));
    EXPECT_EQ(VT_I4, v.Type());
    EXPECT_EQ(static_cast<LONG>(RGB(10, 20, 30)), v.Get()->lVal);
    ASSERT_EQ(S_OK, Ambient(site, DISPID_AMBIENT_FORECOLOR, v));
    EXPECT_EQ(static_cast<LONG>(0x80000000u | COLOR_HIGHLIGHT), v.Get()->lVal) << "a system colour as OLE names it";
    ASSERT_EQ(S_OK, Ambient(site, DISPID_AMBIENT_LOCALEID, v));
    EXPECT_EQ(static_cast<LONG>(GetUserDefaultLCID()), v.Get()->lVal);
    ASSERT_EQ(S_OK, Ambient(site, DISPID_AMBIENT_DISPLAYNAME, v));
    EXPECT_EQ(L"Player1", TBStr::ToWide(v.Get()->bstrVal));

    ASSERT_EQ(S_OK, Ambient(site, DISPID_AMBIENT_FONT, v));
    ASSERT_EQ(VT_DISPATCH, v.Type());
    TComPtr<IFont> font;
    ASSERT_EQ(S_OK, v.Get()->pdispVal->QueryInterface(IID_IFont, font.PutVoid()));
    TBStr face;
    font->get_Name(face.Put());
    EXPECT_EQ(L"Arial", face.Str());
    HFONT realized = nullptr;
    ASSERT_EQ(S_OK, font->get_hFont(&realized));
    LOGFONTW logFont{};
    GetObjectW(realized, sizeof logFont, &logFont);
    EXPECT_EQ(-16, logFont.lfHeight) << "the host's font is 16 pixels high";
    BOOL bold = FALSE, italic = FALSE, underline = TRUE;
    font->get_Bold(&bold);
    font->get_Italic(&italic);
    font->get_Underline(&underline);
    EXPECT_TRUE(bold);
    EXPECT_TRUE(italic);
    EXPECT_FALSE(underline);

    // What the host has no setting for, the control decides itself.
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Ambient(site, DISPID_AMBIENT_SCALEUNITS, v));
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Ambient(site, 4711, v));
}

TEST_F(OleControlTest, TheSiteIsAControlSiteThatConvertsBetweenHimetricAndPixels)
{
    TTestHost* host = NewHost();
    host->OleObject();
    TComPtr<IOleControlSite> site;
    ASSERT_EQ(S_OK, host->ClientSite()->QueryInterface(IID_IOleControlSite, site.PutVoid()));
    POINTL himetric{2540, 5080};
    POINTF pixels{};
    ASSERT_EQ(S_OK, site->TransformCoords(&himetric, &pixels, XFORMCOORDS_HIMETRICTOCONTAINER | XFORMCOORDS_SIZE));
    EXPECT_FLOAT_EQ(96.0f, pixels.x);
    EXPECT_FLOAT_EQ(192.0f, pixels.y);
    pixels = POINTF{48.0f, -1.0f};
    ASSERT_EQ(S_OK, site->TransformCoords(&himetric, &pixels, XFORMCOORDS_CONTAINERTOHIMETRIC | XFORMCOORDS_POSITION));
    EXPECT_EQ(1270, himetric.x);
    EXPECT_EQ(-26, himetric.y) << "rounded, not cut";
    EXPECT_EQ(E_INVALIDARG, site->TransformCoords(&himetric, &pixels, 0));

    IDispatch* extended = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(E_NOTIMPL, site->GetExtendedControl(&extended));
    EXPECT_EQ(nullptr, extended) << "no extended control, and no stale pointer";
    MSG msg{};
    EXPECT_EQ(S_FALSE, site->TranslateAccelerator(&msg, 0)) << "the key is the control's";
    EXPECT_EQ(S_OK, site->OnFocus(TRUE));
    EXPECT_EQ(S_OK, site->LockInPlaceActive(TRUE));
    EXPECT_EQ(S_OK, site->LockInPlaceActive(FALSE));
    EXPECT_EQ(S_OK, site->OnControlInfoChanged());
}

TEST_F(OleControlTest, SettingsAreFixedOnceTheControlExists)
{
    TTestHost* host = NewHost();
    host->SetControlData({L"Caption=Tested", L"AutoSize=1"});
    auto sim = simtest::TestInterface(host->OleObject());
    ASSERT_TRUE(sim);
    BSTR caption = nullptr;
    BOOL autoSize = FALSE;
    ASSERT_EQ(S_OK, sim->SimGetControlData(&caption, &autoSize));
    EXPECT_EQ(L"Tested", TBStr::ToWide(caption));
    EXPECT_TRUE(autoSize);
    SysFreeString(caption);
    EXPECT_THROW(host->SetControlData({L"Caption=Late"}), EInvalidOperation);
}

TEST_F(OleControlTest, AnUnregisteredClassRaisesInTheCallerEveryTime)
{
    TTestHost* host = NewHost(kNowhere);
    std::wstring first;
    try {
        host->DefaultDispatch();
        ADD_FAILURE() << "no control, no interface";
    } catch (const EOleError& e) {
        first = e.Message();
    }
    EXPECT_EQ(0u, first.rfind(L"The test control is not available (", 0)) << Narrow(first);
    EXPECT_EQ(host->CreationError(), simtest::SystemMessage(REGDB_E_CLASSNOTREG));
    try {
        host->GetBoolProp(201);
        ADD_FAILURE();
    } catch (const EOleError& e) {
        EXPECT_EQ(first, e.Message()) << "the same clear error, not a crash or a retry";
    }
    Form->Show();
    EXPECT_TRUE(Errors.empty()) << "a failure already raised to a caller is not reported again";

    // A host whose window comes first reports the failure through the application instead.
    TTestHost* late = NewHost(kNowhere);
    late->HandleNeeded();
    ASSERT_EQ(1u, Errors.size());
    EXPECT_EQ(first, Errors[0]);
}

TEST_F(OleControlTest, AControlWithoutTheExpectedEventsIsNotUsedHalfway)
{
    const IID otherEvents = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x55}};
    TTestHost* host = NewHost(CLSID_DalvexSim, otherEvents);
    EXPECT_FALSE(host->ControlAvailable());
    EXPECT_EQ(simtest::SystemMessage(CONNECT_E_NOCONNECTION), host->CreationError());
    EXPECT_EQ(S_OK, simtest::CanUnloadNow()) << "what was created before the failure is released";

    // Without an event interface nothing is connected and the rest works.
    TTestHost* quiet = NewHost(CLSID_DalvexSim, GUID_NULL);
    auto sim = simtest::TestInterface(quiet->OleObject());
    ASSERT_TRUE(sim);
    EXPECT_EQ(0, simtest::Status(sim.Get()).Connections);
}

} // namespace
