// The simulated caller-ID device control: what a program (or a test) can see of it besides the
// control's own interfaces -- its test interface, and the format of the scripts that drive it.
//
// The simulator is an in-process COM server (DalvexSim.dll) registered under the control's class
// identifier. It simulates a device that is plugged in or not, with a model and a serial number,
// line levels and calls on lines 1 to 4. It raises its events on the thread that created it,
// and only after Start. GetInfo answers "devicemodel" and "serial" (empty text while no device
// is plugged in, and before Start) and "version"; other names fail with E_INVALIDARG.
//
// Registering it on a Windows PC (per user, no administrator needed; 32-bit):
//     %SystemRoot%\SysWOW64\regsvr32.exe DalvexSim.dll      (on 32-bit Windows: System32)
// and `regsvr32 /u DalvexSim.dll` to remove it again. This shadows the vendor's control for that
// user, so do it only on a PC without the real device.
//
// Script format (the file named by the environment variable CALLERID_SIM_SCRIPT, read as UTF-8
// when the control is made). One timed action per line:
//
//     at <ms> plug <model> <serial>        a device is plugged in
//     at <ms> unplug                       the device goes away
//     at <ms> call <line> <number> [<date-time> [<other text>]]
//                                          a call on line 1 to 4; OnCallerID carries the serial
//                                          number as DeviceID; the date-time defaults to the
//                                          local time "dd.MM HH:mm:ss", the other text to ""
//     at <ms> levels <l1> <l2> <l3> <l4> [<l5> ... <l8>]
//                                          OnSignalA with these texts, unchanged ("0" for missing
//                                          l5 to l8)
//     at <ms> fail <hresult>               the next call on the control (GetInfo, as a rule)
//                                          fails with this HRESULT (0x80004005 or decimal)
//     at <ms> fail <method> [<name>] [<hresult>]
//                                          the next call of Visible, Start, GetInfo or
//                                          ShowSettings fails, with E_FAIL unless an HRESULT
//                                          is given; GetInfo may be narrowed to one name
//                                          ("fail GetInfo serial")
//     at <ms> fail ... always              as above, but the failure stays: every such call
//                                          fails from then on ("at create fail Start always")
//     at <ms> disconnect                   the control goes away underneath its host: its event
//                                          sinks are dropped, its windows close, and every
//                                          later call answers RPC_E_DISCONNECTED
//     at <ms> repeat                       start again from the top, <ms> after the last start
//
// <ms> counts milliseconds from Start (and from each repeat). In place of <ms>, "create" runs
// the action as soon as the control is made, before its host's first call: the way to make
// the host's Visible or Start fail ("at create fail Start"); only plug, unplug, fail and
// disconnect can run then. Actions run in time order; those
// with the same time run in the order written. Words are separated by blanks; a word with blanks
// goes in double quotes ("" inside stands for one quote). Empty lines and lines starting with
// # are ignored. Calls and levels while no device is plugged in are skipped (a device that is
// not there reports nothing). A bad line is reported through debug output (OutputDebugString,
// "Dalvex simulator: <file>: line <n>: <problem>") and skipped; the rest of the script runs.
#pragma once

#include <windows.h>
#include <oaidl.h>

// Identifiers of the control the simulator stands in for.
extern "C" const CLSID CLSID_DalvexSim;          // = the vendor's {EEA18052-171F-4293-8598-AB6E1D7257B2}
extern "C" const IID IID_IDalvexSimulator;       // the test interface below

// DISPIDs of the dual interface's methods when called through IDispatch.
constexpr DISPID DISPID_DalvexSim_ShowSettings = 230;
constexpr DISPID DISPID_DalvexSim_Start = 231;
constexpr DISPID DISPID_DalvexSim_GetInfo = 232;

// What the simulator can tell a test about one control object.
struct TDalvexSimStatus {
    LONG Started;        // Start was called
    LONG Plugged;        // a device is plugged in
    LONG Visible;        // the Visible property
    LONG HasClientSite;  // the host's client site is held
    LONG InPlaceActive;  // activated in place (its window exists)
    LONG Connections;    // event sinks connected
    LONG LiveObjects;    // COM objects of the DLL alive, this one included
    HWND ControlWindow;  // its in-place window, or null
    HWND SettingsWindow; // the window ShowSettings opened, or null
};

// The test interface: reachable by QueryInterface on the control, for tests that run in the
// same process. Every method answers at once, on the caller's thread.
struct IDalvexSimulator : public IUnknown {
    // Plugs a device in (model and serial number) or unplugs it.
    virtual HRESULT STDMETHODCALLTYPE SimSetDevice(BOOL plugged, BSTR model, BSTR serial) = 0;
    // Raises event `dispid` now with `count` arguments given in declared order. S_FALSE (and no
    // event) before Start.
    virtual HRESULT STDMETHODCALLTYPE SimRaiseEvent(DISPID dispid, LONG count, const VARIANT* args) = 0;
    // The next call of ShowSettings, Start, GetInfo or of Visible answers `hr` (armed failures
    // queue up, each failing one call).
    virtual HRESULT STDMETHODCALLTYPE SimFailNextCall(HRESULT hr) = 0;
    // Replaces the script (the environment's, if any); its "at create" actions run at once, its
    // clock starts at Start, or now when already started. `problems` receives the rejected lines, one per line (may be null).
    virtual HRESULT STDMETHODCALLTYPE SimRunScript(BSTR text, BSTR* problems) = 0;
    virtual HRESULT STDMETHODCALLTYPE SimGetStatus(TDalvexSimStatus* status) = 0;
    // The settings the host handed over at creation ("Caption", "AutoSize").
    virtual HRESULT STDMETHODCALLTYPE SimGetControlData(BSTR* caption, BOOL* autoSize) = 0;
};
