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
//
// Parts are also kept as pictures, one per style class, part, state, size and background: drawing
// a styled part composes it from the style's images each time (under Wine a millisecond or so for
// a header item), while copying the finished picture costs what a fill does. A part that lets the
// background show through, drawn without a background colour, is drawn each time, since its
// picture depends on what is under it.
class TWindowThemes {
public:
    TWindowThemes() = default;
    TWindowThemes(const TWindowThemes&) = delete;
    TWindowThemes& operator=(const TWindowThemes&) = delete;
    ~TWindowThemes() { Close(); }

    // As DrawThemePart, with the window's kept theme data. With a `background` colour, the
    // rectangle is filled with it first: a part that lets the background show through then
    // looks the same whatever the rectangle held before (a repaint without erasing would
    // otherwise blend the part over its own earlier picture), and can be kept as a picture too.
    void Draw(HWND window, HDC dc, const RECT& rect, int state, int part, const wchar_t* className,
              COLORREF background = CLR_INVALID);
    void Close();
    // Pictures kept now (for the tests' and the benchmark's checks).
    size_t PictureCount() const { return FPictures.size(); }
    // At most this many pictures are kept; the oldest goes first.
    static constexpr size_t kMaxPictures = 32;

private:
    struct TOpen {
        std::wstring ClassName;
        HANDLE Theme;
    };
    struct TPicture {
        HANDLE Theme;
        int Part, State, Width, Height;
        COLORREF Background;
        HBITMAP Bitmap;
    };
    struct TTransparency {
        HANDLE Theme;
        int Part, State;
        bool Opaque;
    };
    // Whether nothing of the background shows through (part, state); asked once, then kept.
    bool Opaque(HANDLE theme, int part, int state);
    HBITMAP FindPicture(HANDLE theme, int part, int state, int width, int height, COLORREF background) const;
    HBITMAP MakePicture(HANDLE theme, HDC dc, int part, int state, int width, int height, COLORREF background);
    HWND FWindow = nullptr;
    std::vector<TOpen> FOpen;
    std::vector<TPicture> FPictures; // oldest first
    std::vector<TTransparency> FTransparency;
    HDC FPictureDC = nullptr;        // selects a kept picture to copy it
    HGDIOBJ FPictureDCBitmap = nullptr;
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
