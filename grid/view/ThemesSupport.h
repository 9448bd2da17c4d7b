// Visual styles ("themes"), loaded at run time from uxtheme.dll when the system has it.
#pragma once

#include <windows.h>

#include <string>

namespace grid {

// True when uxtheme.dll is loaded, the application is themed and a theme is active. Callers
// decide at each paint whether to draw themed or classic.
bool ThemesActive();
// True when uxtheme.dll and its entry points were found.
bool ThemesLoaded();
// Draws the background of (part, state) of the named style class into rect; raises
// "Error in Themes" when the theme services fail.
void DrawThemePart(HWND window, HDC dc, const RECT& rect, int state, int part, const std::wstring& className);

// The theme services the painters go through. Wine runs without visual styles, so tests put
// their own in place to exercise the themed paths; empty members fall back to uxtheme.dll.
struct TThemeServices {
    bool (*Active)() = nullptr;
    void (*DrawPart)(HWND window, HDC dc, const RECT& rect, int state, int part, const std::wstring& className) = nullptr;
};
// Installs `services` and returns the ones in place before.
TThemeServices SetThemeServices(const TThemeServices& services);

} // namespace grid
