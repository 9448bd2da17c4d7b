// Visual styles through uxtheme.dll, looked up once on first use.
#include "grid/view/ThemesSupport.h"

#include "ui/core/SysUtils.h"

namespace grid {

namespace {

using HTHEME_ = HANDLE;
using OpenThemeDataFn = HTHEME_(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME_);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, const RECT*);
using DrawThemeEdgeFn = HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, UINT, UINT, RECT*);
using IsThemeActiveFn = BOOL(WINAPI*)();
using IsAppThemedFn = BOOL(WINAPI*)();

// The library stays loaded for the life of the process, like the system's own users of it.
struct TThemeLibrary {
    HMODULE Module = nullptr;
    OpenThemeDataFn OpenThemeData = nullptr;
    CloseThemeDataFn CloseThemeData = nullptr;
    DrawThemeBackgroundFn DrawThemeBackground = nullptr;
    DrawThemeEdgeFn DrawThemeEdge = nullptr;
    IsThemeActiveFn IsThemeActive = nullptr;
    IsAppThemedFn IsAppThemed = nullptr;

    TThemeLibrary()
    {
        Module = LoadLibraryW(L"uxtheme.dll");
        if (Module == nullptr)
            return;
        OpenThemeData = reinterpret_cast<OpenThemeDataFn>(GetProcAddress(Module, "OpenThemeData"));
        CloseThemeData = reinterpret_cast<CloseThemeDataFn>(GetProcAddress(Module, "CloseThemeData"));
        DrawThemeBackground = reinterpret_cast<DrawThemeBackgroundFn>(GetProcAddress(Module, "DrawThemeBackground"));
        DrawThemeEdge = reinterpret_cast<DrawThemeEdgeFn>(GetProcAddress(Module, "DrawThemeEdge"));
        IsThemeActive = reinterpret_cast<IsThemeActiveFn>(GetProcAddress(Module, "IsThemeActive"));
        IsAppThemed = reinterpret_cast<IsAppThemedFn>(GetProcAddress(Module, "IsAppThemed"));
    }
    bool Complete() const
    {
        return Module != nullptr && OpenThemeData && CloseThemeData && DrawThemeBackground && DrawThemeEdge &&
               IsThemeActive && IsAppThemed;
    }
};

const TThemeLibrary& Library()
{
    static const TThemeLibrary library;
    return library;
}

TThemeServices& Services()
{
    static TThemeServices services;
    return services;
}

[[noreturn]] void ThemeError() { throw ui::Exception(L"Error in Themes"); }

} // namespace

bool ThemesLoaded() { return Library().Complete(); }

TThemeServices SetThemeServices(const TThemeServices& services)
{
    TThemeServices old = Services();
    Services() = services;
    return old;
}

namespace {

// -1 until asked; then whether the system draws with a theme.
int& KeptActive()
{
    static int kept = -1;
    return kept;
}

} // namespace

bool ThemesActive()
{
    if (Services().Active != nullptr)
        return Services().Active();
    int& kept = KeptActive();
    if (kept < 0) {
        const TThemeLibrary& lib = Library();
        kept = lib.Complete() && lib.IsAppThemed() && lib.IsThemeActive() ? 1 : 0;
    }
    return kept == 1;
}

void ThemesChanged() { KeptActive() = -1; }

namespace {

HTHEME_ OpenTheme(HWND window, const wchar_t* className)
{
    const TThemeLibrary& lib = Library();
    if (!lib.Complete())
        ThemeError();
    HTHEME_ theme = lib.OpenThemeData(window, className);
    if (theme == nullptr)
        ThemeError();
    return theme;
}

void DrawBackground(HTHEME_ theme, HDC dc, const RECT& rect, int state, int part)
{
    if (FAILED(Library().DrawThemeBackground(theme, dc, part, state, &rect, nullptr)))
        ThemeError();
}

} // namespace

void TWindowThemes::Draw(HWND window, HDC dc, const RECT& rect, int state, int part, const wchar_t* className)
{
    if (Services().DrawPart != nullptr) {
        Services().DrawPart(window, dc, rect, state, part, className);
        return;
    }
    if (window != FWindow) {
        Close();
        FWindow = window;
    }
    HTHEME_ theme = nullptr;
    for (const TOpen& open : FOpen)
        if (open.ClassName == className) {
            theme = open.Theme;
            break;
        }
    if (theme == nullptr) {
        // Room first, so that an opened handle is never left without an owner.
        TOpen open{className, nullptr};
        FOpen.reserve(FOpen.size() + 1);
        theme = OpenTheme(window, className);
        open.Theme = theme;
        FOpen.push_back(std::move(open));
    }
    DrawBackground(theme, dc, rect, state, part);
}

void TWindowThemes::Close()
{
    if (!FOpen.empty() && Library().Complete())
        for (const TOpen& open : FOpen)
            Library().CloseThemeData(open.Theme);
    FOpen.clear();
    FWindow = nullptr;
}

void DrawThemePart(HWND window, HDC dc, const RECT& rect, int state, int part, const std::wstring& className)
{
    if (Services().DrawPart != nullptr) {
        Services().DrawPart(window, dc, rect, state, part, className);
        return;
    }
    HTHEME_ theme = OpenTheme(window, className.c_str());
    HRESULT hr = Library().DrawThemeBackground(theme, dc, part, state, &rect, nullptr);
    Library().CloseThemeData(theme);
    if (FAILED(hr))
        ThemeError();
}

} // namespace grid
