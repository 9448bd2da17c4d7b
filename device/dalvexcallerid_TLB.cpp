// The caller-ID device control as the application sees it: identifiers and the hosting component.
#include "device/dalvexcallerid_TLB.h"

#include "ui/core/ClassBuilder.h"

using namespace ui;

const CLSID CLSID_Dalvex = {0xEEA18052, 0x171F, 0x4293, {0x85, 0x98, 0xAB, 0x6E, 0x1D, 0x72, 0x57, 0xB2}};
const IID IID_IDalvex = {0x0A16189E, 0x10E9, 0x4A76, {0x8D, 0x2D, 0x0A, 0x8F, 0x1A, 0xD4, 0x72, 0x9A}};
const IID DIID_IDalvexEvents = {0xB6A36C9A, 0x2DC9, 0x4CEF, {0xAF, 0x6E, 0xD6, 0xDD, 0xD2, 0xF9, 0x1C, 0xC4}};

const TClassInfo& TDalvex::StaticClass()
{
    static const TClassInfo info = TClassBuilder<TDalvex>(L"TDalvex", &TOleControl::StaticClass())
        .Event(L"OnCallerID", &TDalvex::OnCallerID)
        .Event(L"OnSignalA", &TDalvex::OnSignalA)
        .Build();
    return info;
}

TDalvex::TDalvex(TComponent* AOwner) : TOleControl(AOwner) {}

void TDalvex::InitControlData(TControlData& data)
{
    data.ClassID = CLSID_Dalvex;
    data.DispatchIID = IID_IDalvex;
    data.EventIID = DIID_IDalvexEvents;
    data.Description = L"caller-ID device control";
}

IDalvex* TDalvex::ControlInterface()
{
    // DefaultDispatch is the pointer the control gave for IID_IDalvex.
    return static_cast<IDalvex*>(DefaultDispatch());
}

bool TDalvex::Visible() { return GetBoolProp(DISPID_Dalvex_Visible); }

void TDalvex::SetVisible(bool value) { SetBoolProp(DISPID_Dalvex_Visible, value); }

void TDalvex::ShowSettings() { CheckCall(ControlInterface()->ShowSettings()); }

void TDalvex::Start() { CheckCall(ControlInterface()->Start()); }

std::wstring TDalvex::GetInfo(const std::wstring& Name)
{
    IDalvex* control = ControlInterface();
    TBStr name(Name);
    TBStr value;
    CheckCall(control->GetInfo(name.Get(), value.Put()));
    return value.Str();
}

void TDalvex::InvokeEvent(DISPID dispid, const TEventArgs& args)
{
    // Events 201 to 208 (activation, clicks, painting of the control's own window) mean
    // nothing to the application.
    switch (dispid) {
    case DISPID_Dalvex_OnCallerID: {
        // Read in declared order, so that a missing argument is reported as the first one missing.
        std::wstring a[5];
        for (int i = 0; i < 5; ++i)
            a[i] = args.String(i);
        DoCallerID(a[0], a[1], a[2], a[3], a[4]);
        break;
    }
    case DISPID_Dalvex_OnSignalA: {
        std::wstring levels[8];
        for (int i = 0; i < 8; ++i)
            levels[i] = args.String(i);
        DoSignalA(levels);
        break;
    }
    default:
        break;
    }
}

void TDalvex::DoCallerID(const std::wstring& DeviceID, const std::wstring& Line, const std::wstring& PhoneNumber,
                         const std::wstring& DateTime, const std::wstring& OtherText)
{
    if (OnCallerID)
        OnCallerID(this, DeviceID, Line, PhoneNumber, DateTime, OtherText);
}

void TDalvex::DoSignalA(const std::wstring (&Levels)[8])
{
    if (OnSignalA)
        OnSignalA(this, Levels[0], Levels[1], Levels[2], Levels[3], Levels[4], Levels[5], Levels[6], Levels[7]);
}
