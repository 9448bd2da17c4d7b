// Visual styles ("themes"), loaded at run time from uxtheme.dll when the system has it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace grid {

// True when uxtheme.dll is loaded, the application is themed and a theme is active. Callers
// decide at each paint whether to draw themed or classic. The system's answer is kept until
// ThemesChanged: asking it reads the settings each time (under Wine, a registry round trip to
// the server), and painters ask for every part.
bool ThemesActive();
// Forgets the kept answer of ThemesActive; windows call it on WM_THEMECHANGED.
void ThemesChanged();
// True when uxtheme.dll and its entry points were found.
bool ThemesLoaded();
// Draws the background of (part, state) of the named style class into rect; raises
// "Error in Themes" when the theme services fail.
void DrawThemePart(HWND window, HDC dc, const RECT& rect, int state, int part, const std::wstring& className);

// The theme data one window draws with, opened on first use per style class and kept open:
// opening a style class's data is most of the cost of a styled draw, and a paint draws dozens
// of parts. Close() drops it all, for when the theme changes (WM_THEMECHANGED) or the window
// goes; data opened for another window handle is reopened. Owns the handles it opened.
class TWindowThemes {
public:
    TWindowThemes() = default;
    TWindowThemes(const TWindowThemes&) = delete;
    TWindowThemes& operator=(const TWindowThemes&) = delete;
    ~TWindowThemes() { Close(); }

    // As DrawThemePart, with the window's kept theme data.
    void Draw(HWND window, HDC dc, const RECT& rect, int state, int part, const wchar_t* className);
    void Close();

private:
    struct TOpen {
        std::wstring ClassName;
        HANDLE Theme;
    };
    HWND FWindow = nullptr;
    std::vector<TOpen> FOpen;
};

// The theme services the painters go through. Wine runs without visual styles, so tests put
// their own in place to exercise the themed paths; empty members fall back to uxtheme.dll.
struct TThemeServices {
    bool (*Active)() = nullptr;
    void (*DrawPart)(HWND window, HDC dc, const RECT& rect, int state, int part, const std::wstring& className) = nullptr;
};
// Installs `services` and returns the ones in place before.
TThemeServices SetThemeServices(const TThemeServices& services);

} // namespace grid
