// The simulator DLL: entry points, class factory, per-user registration and object counting.
#include "device/simulator/SimServer.h"

#include "device/simulator/SimControl.h"

#include <olectl.h>

#include <cwchar>

namespace dalvexsim {

WNDPROC TimerWindowProcedure();
WNDPROC ControlWindowProcedure();
WNDPROC SettingsWindowProcedure();

HINSTANCE gModule = nullptr;
const wchar_t* const kTimerClass = L"DalvexSimulator.Timer";
const wchar_t* const kControlClass = L"DalvexSimulator.Control";
const wchar_t* const kSettingsClass = L"DalvexSimulator.Settings";

namespace {

LONG gObjects = 0;
LONG gLocks = 0;
bool gClassesRegistered = false;

const wchar_t* const kClassKey = L"Software\\Classes\\CLSID\\{EEA18052-171F-4293-8598-AB6E1D7257B2}";

void UnregisterWindowClasses()
{
    if (!gClassesRegistered)
        return;
    UnregisterClassW(kTimerClass, gModule);
    UnregisterClassW(kControlClass, gModule);
    UnregisterClassW(kSettingsClass, gModule);
    gClassesRegistered = false;
}

class TClassFactory final : public IClassFactory {
public:
    TClassFactory() { ObjectCreated(); }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *ppv = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++FRefs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG refs = --FRefs;
        if (refs == 0)
            delete this;
        return refs;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        try {
            auto* control = new TSimControl();
            HRESULT hr = static_cast<IDalvexDual*>(control)->QueryInterface(riid, ppv);
            static_cast<IDalvexDual*>(control)->Release();
            return hr;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            ++gLocks;
        else
            --gLocks;
        return S_OK;
    }

private:
    ~TClassFactory() { ObjectDestroyed(); }
    LONG FRefs = 1;
};

bool SetValue(HKEY key, const wchar_t* name, const std::wstring& value)
{
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

const wchar_t* const kClassesRootKey = L"CLSID\\{EEA18052-171F-4293-8598-AB6E1D7257B2}";

// The server path registered under `root`\`key`\InprocServer32, empty when there is none.
std::wstring RegisteredServer(HKEY root, const wchar_t* key)
{
    std::wstring subKey = std::wstring(key) + L"\\InprocServer32";
    wchar_t value[MAX_PATH + 1] = {};
    DWORD size = sizeof(value) - sizeof(wchar_t);
    if (RegGetValueW(root, subKey.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return std::wstring();
    return value;
}

bool RegisterClassUnder(HKEY root, const wchar_t* path)
{
    HKEY classKey = nullptr;
    if (RegCreateKeyExW(root, kClassKey, 0, nullptr, 0, KEY_WRITE, nullptr, &classKey, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = SetValue(classKey, nullptr, L"Dalvex caller-ID device control (simulator)");
    HKEY server = nullptr;
    if (ok && RegCreateKeyExW(classKey, L"InprocServer32", 0, nullptr, 0, KEY_WRITE, nullptr, &server, nullptr) ==
                  ERROR_SUCCESS) {
        ok = SetValue(server, nullptr, path) && SetValue(server, L"ThreadingModel", L"Apartment");
        RegCloseKey(server);
    } else {
        ok = false;
    }
    HKEY control = nullptr;
    if (ok && RegCreateKeyExW(classKey, L"Control", 0, nullptr, 0, KEY_WRITE, nullptr, &control, nullptr) ==
                  ERROR_SUCCESS)
        RegCloseKey(control);
    RegCloseKey(classKey);
    return ok;
}

} // namespace

void ObjectCreated() { ++gObjects; }

void ObjectDestroyed()
{
    if (--gObjects == 0)
        UnregisterWindowClasses();
}

LONG LiveObjects() { return gObjects; }

void RegisterWindowClasses()
{
    if (gClassesRegistered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.hInstance = gModule;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpfnWndProc = TimerWindowProcedure();
    wc.lpszClassName = kTimerClass;
    RegisterClassExW(&wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = ControlWindowProcedure();
    wc.lpszClassName = kControlClass;
    RegisterClassExW(&wc);
    wc.style = 0;
    wc.lpfnWndProc = SettingsWindowProcedure();
    wc.lpszClassName = kSettingsClass;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    RegisterClassExW(&wc);
    gClassesRegistered = true;
}

void Trace(const std::wstring& text)
{
    std::wstring line = L"Dalvex simulator: " + text + L"\n";
    OutputDebugStringW(line.c_str());
}

} // namespace dalvexsim

using namespace dalvexsim;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        gModule = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    if (clsid != CLSID_DalvexSim)
        return CLASS_E_CLASSNOTAVAILABLE;
    try {
        auto* factory = new TClassFactory();
        HRESULT hr = factory->QueryInterface(riid, ppv);
        factory->Release();
        return hr;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

extern "C" HRESULT __stdcall DllCanUnloadNow()
{
    return gObjects == 0 && gLocks == 0 ? S_OK : S_FALSE;
}

// Registers the control for the current user: no administrator rights are needed, and a
// vendor's machine-wide registration is left untouched (the per-user one wins while it exists).
// Wine does not merge the user's classes into HKEY_CLASSES_ROOT, so where COM cannot see the
// per-user entry the class is written machine-wide as well (a Wine prefix has no rights to
// withhold).
extern "C" HRESULT __stdcall DllRegisterServer()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(gModule, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return SELFREG_E_CLASS;
    if (!RegisterClassUnder(HKEY_CURRENT_USER, path))
        return SELFREG_E_CLASS;
    if (RegisteredServer(HKEY_CLASSES_ROOT, kClassesRootKey) != path &&
        !RegisterClassUnder(HKEY_LOCAL_MACHINE, path))
        return SELFREG_E_CLASS;
    return S_OK;
}

extern "C" HRESULT __stdcall DllUnregisterServer()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(gModule, path, MAX_PATH);
    LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, kClassKey);
    bool ok = status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    // A machine-wide entry is removed only when it is ours, never the vendor's.
    if (RegisteredServer(HKEY_LOCAL_MACHINE, kClassKey) == path)
        ok = RegDeleteTreeW(HKEY_LOCAL_MACHINE, kClassKey) == ERROR_SUCCESS && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}
