// TDalvex hosting the simulated device control for real: creation from a window description,
// in-place activation, events, GetInfo, Visible, failures, a missing control, and clean release.
#include "device/dalvexcallerid_TLB.h"
#include "device/simulator/SimScript.h"
#include "tests/device/SimHelpers.h"
#include "tests/support/TestSupport.h"
#include "ui/controls/Forms.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include <algorithm>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace ui;
using testsupport::Narrow;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

const CLSID kUnregisteredClass = {0x1D1B7C07, 0x55AA, 0x4C3B, {0x9E, 0x11, 0x70, 0x2F, 0x31, 0x42, 0x53, 0x64}};

// A TDalvex whose control class is registered nowhere, as on a PC without the vendor's control.
class TMissingDalvex : public TDalvex {
    UI_PUBLISHED_CLASS
public:
    explicit TMissingDalvex(TComponent* owner) : TDalvex(owner) {}

protected:
    void InitControlData(TControlData& data) override
    {
        TDalvex::InitControlData(data);
        data.ClassID = kUnregisteredClass;
    }
};

const TClassInfo& TMissingDalvex::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TMissingDalvex>(L"TMissingDalvex", &TDalvex::StaticClass()).Build();
    return info;
}

// One received event, its arguments joined by '|' and the thread it arrived on.
struct TEventRecord {
    std::wstring Kind;
    std::vector<std::wstring> Args;
    DWORD Thread = 0;
};

// A window with the device control, as the main window has it, with handlers bound by name.
class TTestForm : public TForm {
    UI_PUBLISHED_CLASS
public:
    explicit TTestForm(TComponent* owner) : TForm(owner) {}
    TDalvex* Dalvex1 = nullptr;
    std::vector<TEventRecord> Received;
    std::function<void()> OnSignal; // lets a test make the handler fail

    void Dalvex1CallerID(TObject* sender, const std::wstring& DeviceID, const std::wstring& Line,
                         const std::wstring& PhoneNumber, const std::wstring& DateTime, const std::wstring& OtherText)
    {
        EXPECT_EQ(sender, Dalvex1);
        Received.push_back({L"CallerID", {DeviceID, Line, PhoneNumber, DateTime, OtherText}, GetCurrentThreadId()});
    }
    void Dalvex1SignalA(TObject* sender, const std::wstring& L1, const std::wstring& L2, const std::wstring& L3,
                        const std::wstring& L4, const std::wstring& L5, const std::wstring& L6,
                        const std::wstring& L7, const std::wstring& L8)
    {
        EXPECT_EQ(sender, Dalvex1);
        if (OnSignal)
            OnSignal();
        Received.push_back({L"SignalA", {L1, L2, L3, L4, L5, L6, L7, L8}, GetCurrentThreadId()});
    }
};

const TClassInfo& TTestForm::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TTestForm>(L"TTestForm", &TForm::StaticClass())
        .Field(L"Dalvex1", &TTestForm::Dalvex1)
        .Handler<TCallerIDEvent>(L"Dalvex1CallerID", &TTestForm::Dalvex1CallerID)
        .Handler<TSignalAEvent>(L"Dalvex1SignalA", &TTestForm::Dalvex1SignalA)
        .Build();
    return info;
}

std::wstring FormText(const wchar_t* controlClass)
{
    return std::wstring(L"object TestForm: TTestForm\n"
                        L"  Left = 20\n  Top = 20\n  Width = 400\n  Height = 300\n"
                        L"  object Dalvex1: ") +
           controlClass +
           L"\n"
           L"    Left = 280\n    Top = 80\n    Width = 26\n    Height = 26\n"
           L"    ControlData = ('AutoSize=True' 'Caption=Dalvex')\n"
           L"    OnCallerID = Dalvex1CallerID\n"
           L"    OnSignalA = Dalvex1SignalA\n"
           L"  end\n"
           L"end\n";
}

class DalvexTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, simtest::Simulator()) << "the simulator DLL could not be loaded and registered";
        Application->Initialize();
        Owner = std::make_unique<TComponent>(nullptr);
        auto* events = new TApplicationEvents(Owner.get());
        events->OnException = [this](TObject*, Exception& e) { Errors.push_back(e.Message()); };
    }
    void TearDown() override { Owner.reset(); }

    // Builds the test window from its description, as the program builds its main window.
    TTestForm* LoadForm(const wchar_t* controlClass = L"TDalvex")
    {
        auto* form = new TTestForm(Owner.get());
        ReadDescription(*form, FormText(controlClass), L"TestForm");
        return form;
    }
    ui::TComPtr<IDalvexSimulator> Sim(TDalvex* d) { return simtest::TestInterface(d->OleObject()); }

    std::unique_ptr<TComponent> Owner;
    std::vector<std::wstring> Errors;
};

TEST_F(DalvexTest, TheDescriptionCreatesTheControlHandsItsSettingsAndActivatesItInPlace)
{
    TTestForm* form = LoadForm();
    ASSERT_NE(nullptr, form->Dalvex1);
    EXPECT_TRUE(Errors.empty()) << Narrow(Errors.empty() ? L"" : Errors[0]);
    ASSERT_TRUE(form->Dalvex1->ControlAvailable()) << Narrow(form->Dalvex1->CreationError());

    auto sim = Sim(form->Dalvex1);
    ASSERT_TRUE(sim) << "the control answers the simulator's test interface";
    BSTR caption = nullptr;
    BOOL autoSize = FALSE;
    ASSERT_EQ(S_OK, sim->SimGetControlData(&caption, &autoSize));
    EXPECT_EQ(L"Dalvex", TBStr::ToWide(caption)) << "ControlData reached the control";
    EXPECT_TRUE(autoSize) << "'True' was converted to the Boolean the control asked for";
    SysFreeString(caption);
    EXPECT_TRUE(simtest::Status(sim.Get()).HasClientSite);

    form->Show();
    TDalvexSimStatus status = simtest::Status(sim.Get());
    ASSERT_TRUE(status.InPlaceActive) << "showing the window activates the control in place";
    HWND host = form->Dalvex1->Handle();
    EXPECT_EQ(status.ControlWindow, form->Dalvex1->ControlWindow());
    EXPECT_EQ(host, GetParent(status.ControlWindow));
    RECT r;
    GetWindowRect(host, &r);
    MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(280, r.left);
    EXPECT_EQ(80, r.top);
    GetWindowRect(status.ControlWindow, &r);
    EXPECT_EQ(26, r.right - r.left);
    EXPECT_EQ(26, r.bottom - r.top);

    // The bounds follow the host.
    form->Dalvex1->SetBounds(100, 50, 40, 30);
    GetClientRect(status.ControlWindow, &r);
    EXPECT_EQ(40, r.right);
    EXPECT_EQ(30, r.bottom);

    std::wstring written = WriteDescription(*form);
    size_t data = written.find(L"ControlData = (");
    ASSERT_NE(std::wstring::npos, data) << Narrow(written);
    EXPECT_LT(written.find(L"'AutoSize=True'", data), written.find(L"'Caption=Dalvex'", data)) << Narrow(written);
    EXPECT_NE(std::wstring::npos, written.find(L"'Caption=Dalvex'", data)) << Narrow(written);
    EXPECT_NE(std::wstring::npos, written.find(L"OnCallerID = Dalvex1CallerID")) << Narrow(written);
    EXPECT_NE(std::wstring::npos, written.find(L"OnSignalA = Dalvex1SignalA")) << Narrow(written);
}

TEST_F(DalvexTest, AfterStartEventsArriveOnTheUiThreadInOrderWithTheirArgumentsUnchanged)
{
    TTestForm* form = LoadForm();
    form->Show();
    auto sim = Sim(form->Dalvex1);
    ASSERT_TRUE(sim);

    EXPECT_EQ(S_FALSE, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnCallerID, {L"1", L"2", L"3", L"4", L"5"}));
    EXPECT_TRUE(form->Received.empty()) << "no event before Start";

    form->Dalvex1->SetVisible(false);
    form->Dalvex1->Start();
    const std::wstring longText(100000, L'7');
    const std::wstring outsideCodePage = L"\u4E2D\u6587 \u0416 \U0001F4DE";
    const std::wstring withNull(L"a\0b", 3);
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnCallerID,
                                          {L"10004711", L"2", L"05321234567", L"08.12 10:15:00", L"other"}));
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnSignalA,
                                          {L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}));
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnCallerID,
                                          {L"", longText, outsideCodePage, withNull, L""}));
    // Events the application does not handle are ignored.
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), 205, {}));

    ASSERT_EQ(3u, form->Received.size());
    EXPECT_EQ(L"CallerID", form->Received[0].Kind);
    EXPECT_EQ((std::vector<std::wstring>{L"10004711", L"2", L"05321234567", L"08.12 10:15:00", L"other"}),
              form->Received[0].Args);
    EXPECT_EQ(L"SignalA", form->Received[1].Kind);
    EXPECT_EQ((std::vector<std::wstring>{L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8"}), form->Received[1].Args);
    EXPECT_EQ((std::vector<std::wstring>{L"", longText, outsideCodePage, withNull, L""}), form->Received[2].Args);
    for (const TEventRecord& e : form->Received)
        EXPECT_EQ(GetCurrentThreadId(), e.Thread);

    // Arguments by reference or of another type arrive as text as well.
    BSTR line = SysAllocString(L"3");
    VARIANT args[5];
    for (VARIANT& v : args)
        VariantInit(&v);
    args[0].vt = VT_BSTR;
    args[0].bstrVal = SysAllocString(L"SN");
    args[1].vt = VT_BSTR | VT_BYREF;
    args[1].pbstrVal = &line;
    args[2].vt = VT_I4;
    args[2].lVal = 5551234;
    args[3].vt = VT_NULL;
    args[4].vt = VT_EMPTY;
    EXPECT_EQ(S_OK, sim->SimRaiseEvent(DISPID_Dalvex_OnCallerID, 5, args));
    VariantClear(&args[0]);
    SysFreeString(line);
    ASSERT_EQ(4u, form->Received.size());
    EXPECT_EQ((std::vector<std::wstring>{L"SN", L"3", L"5551234", L"", L""}), form->Received[3].Args);
    EXPECT_TRUE(Errors.empty()) << Narrow(Errors.empty() ? L"" : Errors[0]);
}

TEST_F(DalvexTest, ScriptedEventsComeThroughTheMessageLoopInScriptOrderAndRepeat)
{
    TTestForm* form = LoadForm();
    form->Show();
    auto sim = Sim(form->Dalvex1);
    ASSERT_TRUE(sim);
    TBStr script(L"at 0 plug DLX-4 \"SN 42\"\n"
                 L"at 30 levels 0 15 45 -2\n"
                 L"at 30 call 4 02121234567 \"08.12 10:00:00\" extra\n"
                 L"at 60 unplug\n"
                 L"at 70 call 1 lost\n"
                 L"at 80 repeat\n");
    BSTR problems = nullptr;
    ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), &problems));
    EXPECT_EQ(L"", TBStr::ToWide(problems));
    SysFreeString(problems);
    PumpFor(100);
    EXPECT_TRUE(form->Received.empty()) << "the script waits for Start";

    form->Dalvex1->Start();
    ASSERT_TRUE(PumpUntil([&] { return form->Received.size() >= 4; })) << "a second round after repeat";
    EXPECT_EQ(L"SignalA", form->Received[0].Kind);
    EXPECT_EQ((std::vector<std::wstring>{L"0", L"15", L"45", L"-2", L"0", L"0", L"0", L"0"}), form->Received[0].Args);
    EXPECT_EQ(L"CallerID", form->Received[1].Kind);
    EXPECT_EQ((std::vector<std::wstring>{L"SN 42", L"4", L"02121234567", L"08.12 10:00:00", L"extra"}),
              form->Received[1].Args);
    EXPECT_EQ(L"SignalA", form->Received[2].Kind) << "the call while unplugged was skipped";
    EXPECT_EQ(L"CallerID", form->Received[3].Kind);
    for (const TEventRecord& e : form->Received)
        EXPECT_EQ(GetCurrentThreadId(), e.Thread);
}

TEST_F(DalvexTest, TheScriptNamedByTheEnvironmentDrivesTheDevice)
{
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    std::wstring path = std::wstring(dir) + L"dalvex-test.sim";
    // UTF-8 with a byte-order mark and a bad line, which is skipped.
    const char text[] = "\xEF\xBB\xBF# demo\r\nat 0 plug \"T\xC3\xBCrk\" 77\r\nat 5 ring 1 x\r\nat 10 call 2 \"0 (212) 555 \xC3\xA7\"\r\n";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    WriteFile(file, text, sizeof(text) - 1, &written, nullptr);
    CloseHandle(file);
    // `make run` sets the variable from a Linux shell, with a Unix path; under Wine use that form.
    std::wstring named = path;
    using ToUnix = char*(__cdecl*)(LPCWSTR);
    if (auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")))) {
        char* unixPath = toUnix(path.c_str());
        ASSERT_NE(nullptr, unixPath);
        named = Utf8ToWide(unixPath);
        HeapFree(GetProcessHeap(), 0, unixPath);
        ASSERT_EQ(L'/', named[0]) << Narrow(named);
    }
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", named.c_str());

    TTestForm* form = LoadForm();
    form->Show();
    form->Dalvex1->Start();
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", nullptr);
    DeleteFileW(path.c_str());
    ASSERT_TRUE(PumpUntil([&] { return !form->Received.empty(); }));
    EXPECT_EQ((std::vector<std::wstring>{L"77", L"2", L"0 (212) 555 \u00E7"}),
              std::vector<std::wstring>(form->Received[0].Args.begin(), form->Received[0].Args.begin() + 3));
    EXPECT_EQ(L"T\u00FCrk", form->Dalvex1->GetInfo(L"devicemodel"));
}

TEST_F(DalvexTest, GetInfoAnswersModelAndSerialOnlyWhileADeviceIsPluggedIn)
{
    TTestForm* form = LoadForm();
    TDalvex* d = form->Dalvex1;
    auto sim = Sim(d);
    ASSERT_TRUE(sim);
    TBStr model(L"DLX-4"), serial(L"10004711");
    ASSERT_EQ(S_OK, sim->SimSetDevice(TRUE, model.Get(), serial.Get()));
    EXPECT_EQ(L"", d->GetInfo(L"devicemodel")) << "nothing is known before Start";

    d->Start();
    EXPECT_EQ(L"DLX-4", d->GetInfo(L"devicemodel"));
    EXPECT_EQ(L"10004711", d->GetInfo(L"serial"));
    ASSERT_EQ(S_OK, sim->SimSetDevice(FALSE, nullptr, nullptr));
    EXPECT_EQ(L"", d->GetInfo(L"devicemodel")) << "no device: success with empty text";
    EXPECT_EQ(L"", d->GetInfo(L"serial"));
    try {
        d->GetInfo(L"no such thing");
        ADD_FAILURE() << "an unknown name must fail";
    } catch (const EOleSysError& e) {
        EXPECT_EQ(E_INVALIDARG, e.ErrorCode());
    }
}

TEST_F(DalvexTest, VisibleIsTheControlsOwnPropertyAndItsWindowFollows)
{
    TTestForm* form = LoadForm();
    form->Show();
    TDalvex* d = form->Dalvex1;
    auto sim = Sim(d);
    ASSERT_TRUE(sim);
    EXPECT_TRUE(d->Visible());
    EXPECT_TRUE(IsWindowVisible(d->ControlWindow()));

    d->SetVisible(false);
    EXPECT_FALSE(d->Visible());
    EXPECT_FALSE(simtest::Status(sim.Get()).Visible) << "written by DISPID 201";
    EXPECT_FALSE(IsWindowVisible(d->Handle())) << "nothing of the control is left on the window";
    EXPECT_TRUE(static_cast<TControl*>(d)->Visible()) << "the component's own visibility is another thing";

    d->SetVisible(true);
    EXPECT_TRUE(d->Visible());
    EXPECT_TRUE(IsWindowVisible(d->ControlWindow()));
    EXPECT_TRUE(IsWindowVisible(d->Handle()));
}

TEST_F(DalvexTest, AFailingHResultBecomesTheComErrorWithTheSystemsMessage)
{
    TTestForm* form = LoadForm();
    TDalvex* d = form->Dalvex1;
    auto sim = Sim(d);
    ASSERT_TRUE(sim);
    struct {
        const char* Name;
        std::function<void()> Call;
        HRESULT Code;
    } cases[] = {
        {"GetInfo", [&] { d->GetInfo(L"devicemodel"); }, E_ACCESSDENIED},
        {"Start", [&] { d->Start(); }, E_FAIL},
        {"ShowSettings", [&] { d->ShowSettings(); }, HRESULT_FROM_WIN32(ERROR_DEVICE_NOT_CONNECTED)},
        {"Visible read", [&] { d->Visible(); }, E_OUTOFMEMORY},
        {"Visible write", [&] { d->SetVisible(false); }, E_NOTIMPL},
    };
    for (auto& c : cases) {
        ASSERT_EQ(S_OK, sim->SimFailNextCall(c.Code));
        try {
            c.Call();
            ADD_FAILURE() << c.Name << " did not raise";
        } catch (const EOleSysError& e) {
            EXPECT_EQ(c.Code, e.ErrorCode()) << c.Name;
            EXPECT_EQ(simtest::SystemMessage(c.Code), e.Message()) << c.Name;
            EXPECT_FALSE(e.Message().empty()) << c.Name;
        }
    }
    EXPECT_NO_THROW(d->GetInfo(L"devicemodel")) << "only the next call fails";
    EXPECT_TRUE(d->Visible()) << "the failed write changed nothing";
}

TEST_F(DalvexTest, AnErrorRaisedByAHandlerGoesToTheApplicationAndTheControlCarriesOn)
{
    TTestForm* form = LoadForm();
    form->Show();
    form->Dalvex1->Start();
    auto sim = Sim(form->Dalvex1);
    ASSERT_TRUE(sim);
    form->OnSignal = [] { throw EConvertError(L"'x' is not a valid integer value"); };
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnSignalA,
                                          {L"1", L"2", L"x", L"4", L"", L"", L"", L""}));
    ASSERT_EQ(1u, Errors.size());
    EXPECT_EQ(L"'x' is not a valid integer value", Errors[0]);

    form->OnSignal = nullptr;
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnSignalA,
                                          {L"1", L"2", L"3", L"4", L"", L"", L"", L""}));
    EXPECT_EQ(1u, form->Received.size()) << "still connected";

    // A control that breaks the contract (too few arguments) is reported, not obeyed.
    EXPECT_EQ(S_OK, simtest::RaiseStrings(sim.Get(), DISPID_Dalvex_OnCallerID, {L"1", L"2", L"3"}));
    ASSERT_EQ(2u, Errors.size());
    EXPECT_NE(std::wstring::npos, Errors[1].find(L"argument 4 is missing")) << Narrow(Errors[1]);
    EXPECT_EQ(1u, form->Received.size());
}

TEST_F(DalvexTest, DestroyingTheHostReleasesEverythingAndTheDllMayUnload)
{
    TTestForm* form = LoadForm();
    form->Show();
    form->Dalvex1->Start();
    auto sim = Sim(form->Dalvex1);
    ASSERT_TRUE(sim);
    TDalvexSimStatus before = simtest::Status(sim.Get());
    EXPECT_TRUE(before.HasClientSite);
    EXPECT_TRUE(before.InPlaceActive);
    EXPECT_EQ(1, before.Connections);
    EXPECT_EQ(S_FALSE, simtest::CanUnloadNow());

    // Calls are still on their way when the host goes.
    TBStr script(L"at 0 plug M S\nat 20 call 1 100\nat 40 levels 1 2 3 4\n");
    ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
    HWND controlWindow = before.ControlWindow;
    delete form;

    TDalvexSimStatus after = simtest::Status(sim.Get());
    EXPECT_FALSE(after.HasClientSite);
    EXPECT_FALSE(after.InPlaceActive);
    EXPECT_EQ(0, after.Connections);
    EXPECT_FALSE(IsWindow(controlWindow));
    EXPECT_EQ(1, after.LiveObjects) << "only the control, which this test still holds";
    PumpFor(150);
    EXPECT_TRUE(Errors.empty());

    sim.Reset();
    EXPECT_EQ(S_OK, simtest::CanUnloadNow()) << "no reference of the host was left behind";
}

TEST_F(DalvexTest, AMissingControlLeavesTheWindowRunningAndEveryCallRaisesAClearError)
{
    static const bool registered = (RegisterComponentClass(TMissingDalvex::StaticClass()), true);
    (void)registered;
    TTestForm* form = LoadForm(L"TMissingDalvex");
    ASSERT_NE(nullptr, form->Dalvex1) << "the window was built all the same";
    ASSERT_EQ(1u, Errors.size()) << "the failure was reported once, at creation";
    const std::wstring expected = L"The caller-ID device control is not available (" +
                                  simtest::SystemMessage(REGDB_E_CLASSNOTREG) + L")";
    EXPECT_EQ(expected, Errors[0]);

    form->Show();
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(nullptr, form->Dalvex1->ControlWindow());
    EXPECT_FALSE(form->Dalvex1->ControlAvailable());
    TDalvex* d = form->Dalvex1;
    std::function<void()> calls[] = {[&] { d->SetVisible(false); }, [&] { d->Start(); },
                                     [&] { d->GetInfo(L"devicemodel"); }, [&] { d->ShowSettings(); },
                                     [&] { d->Visible(); }};
    for (auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "a call on a missing control must raise";
        } catch (const EOleError& e) {
            EXPECT_EQ(expected, e.Message());
        }
    }
    EXPECT_EQ(1u, Errors.size()) << "calls raise in the caller; nothing more was reported";
    delete form;
}

TEST_F(DalvexTest, AControlThatDisconnectsIsLetGoAndEveryLaterCallSaysItIsNotAvailable)
{
    TTestForm* form = LoadForm();
    form->Show();
    TDalvex* d = form->Dalvex1;
    d->Start();
    auto sim = Sim(d);
    ASSERT_TRUE(sim);
    TBStr model(L"DLX-4"), serial(L"1");
    ASSERT_EQ(S_OK, sim->SimSetDevice(TRUE, model.Get(), serial.Get()));
    ASSERT_EQ(L"DLX-4", d->GetInfo(L"devicemodel"));
    TBStr script(L"at 0 disconnect");
    ASSERT_EQ(S_OK, sim->SimRunScript(script.Get(), nullptr));
    ASSERT_TRUE(PumpUntil([&] { return simtest::Status(sim.Get()).Connections == 0; })) << "the control went away";
    EXPECT_EQ(nullptr, simtest::Status(sim.Get()).ControlWindow);

    const std::wstring expected = L"The caller-ID device control is not available (" +
                                  simtest::SystemMessage(RPC_E_DISCONNECTED) + L")";
    std::function<void()> calls[] = {[&] { d->GetInfo(L"devicemodel"); }, [&] { d->Visible(); },
                                     [&] { d->SetVisible(false); }, [&] { d->Start(); }, [&] { d->ShowSettings(); }};
    for (auto& call : calls) {
        try {
            call();
            ADD_FAILURE() << "a call on a control that went away must raise";
        } catch (const EOleError& e) {
            EXPECT_EQ(expected, e.Message());
        }
    }
    EXPECT_FALSE(d->ControlAvailable());
    EXPECT_FALSE(simtest::Status(sim.Get()).HasClientSite) << "the host's site was handed back";
    // The first failing call let go of the control: only this test's reference keeps it.
    EXPECT_EQ(1, simtest::Status(sim.Get()).LiveObjects);
    delete form;
    EXPECT_TRUE(Errors.empty()) << "the calls raised in their callers; nothing went to the error hook";
    sim.Reset();
    EXPECT_EQ(S_OK, simtest::CanUnloadNow()) << "no reference of the host was left behind";
}

TEST_F(DalvexTest, TheSettingsWindowPlugsTheDeviceAndRingsALine)
{
    TTestForm* form = LoadForm();
    form->Show();
    TDalvex* d = form->Dalvex1;
    d->Start();
    d->ShowSettings();
    auto sim = Sim(d);
    ASSERT_TRUE(sim);
    HWND settings = simtest::Status(sim.Get()).SettingsWindow;
    ASSERT_NE(nullptr, settings);
    EXPECT_TRUE(IsWindowVisible(settings));
    EXPECT_EQ(form->Handle(), GetWindow(settings, GW_OWNER)) << "it stays above the host's window";

    auto button = [&](const wchar_t* text) { return FindWindowExW(settings, nullptr, L"Button", text); };
    ASSERT_NE(nullptr, button(L"Device plugged in"));
    SendMessageW(button(L"Device plugged in"), BM_CLICK, 0, 0);
    EXPECT_EQ(L"DLX-4", d->GetInfo(L"devicemodel"));
    SendMessageW(button(L"Ring"), BM_CLICK, 0, 0);
    SendMessageW(button(L"Send levels"), BM_CLICK, 0, 0);
    ASSERT_EQ(2u, form->Received.size());
    EXPECT_EQ(L"10004711", form->Received[0].Args[0]);
    EXPECT_EQ(L"1", form->Received[0].Args[1]);
    EXPECT_EQ(L"05321234567", form->Received[0].Args[2]);
    EXPECT_EQ(L"SignalA", form->Received[1].Kind);

    SendMessageW(button(L"Device plugged in"), BM_CLICK, 0, 0);
    EXPECT_EQ(L"", d->GetInfo(L"devicemodel"));
    SendMessageW(button(L"Close"), BM_CLICK, 0, 0);
    EXPECT_FALSE(IsWindow(settings));
    EXPECT_EQ(nullptr, simtest::Status(sim.Get()).SettingsWindow);
}

TEST_F(DalvexTest, TheDemonstrationScriptPlugsTheDeviceInAndRingsALine)
{
    // resources/demo.sim of the source tree, wherever the flavour's build folder is.
    std::wstring path = L"Z:" CALLERID_DEMO_SCRIPT;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    ASSERT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(path.c_str())) << Narrow(path);
    {
        HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        char buffer[8192];
        DWORD read = 0;
        ReadFile(file, buffer, sizeof(buffer), &read, nullptr);
        CloseHandle(file);
        std::vector<std::wstring> problems;
        dalvexsim::TScript script = dalvexsim::ParseScript(Utf8ToWide(std::string(buffer, read)), problems);
        EXPECT_TRUE(problems.empty()) << Narrow(problems.empty() ? L"" : problems[0]);
        ASSERT_FALSE(script.Actions.empty());
        EXPECT_EQ(dalvexsim::TActionKind::Repeat, script.Actions.back().Kind) << "the demonstration loops";
    }
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", path.c_str());
    TTestForm* form = LoadForm();
    form->Show();
    form->Dalvex1->SetVisible(false);
    form->Dalvex1->Start();
    SetEnvironmentVariableW(L"CALLERID_SIM_SCRIPT", nullptr);
    ASSERT_TRUE(PumpUntil([&] {
        for (const TEventRecord& e : form->Received)
            if (e.Kind == L"CallerID")
                return true;
        return false;
    }));
    EXPECT_EQ(L"DLX-4", form->Dalvex1->GetInfo(L"devicemodel"));
    EXPECT_EQ(L"SignalA", form->Received.front().Kind) << "the levels move before the first call";
    const TEventRecord& call = form->Received.back();
    EXPECT_EQ(L"10004711", call.Args[0]);
    EXPECT_EQ(L"1", call.Args[1]);
    EXPECT_EQ(L"05321234567", call.Args[2]);
}

} // namespace
