// The simulator DLL's shared state: its module, the count of live objects that decides whether
// it may be unloaded, and the window classes its objects use.
#pragma once

#include <windows.h>

#include <string>

namespace dalvexsim {

extern HINSTANCE gModule;

// Every COM object of the DLL counts itself while it lives; DllCanUnloadNow agrees when none is left.
void ObjectCreated();
void ObjectDestroyed();
LONG LiveObjects();

// Window classes of the DLL, registered on first use and unregistered when the last object goes
// (a class would otherwise keep a window procedure of an unloaded DLL).
extern const wchar_t* const kTimerClass;
extern const wchar_t* const kControlClass;
extern const wchar_t* const kSettingsClass;
void RegisterWindowClasses();

// Debug output, the simulator's only way of complaining.
void Trace(const std::wstring& text);

} // namespace dalvexsim
