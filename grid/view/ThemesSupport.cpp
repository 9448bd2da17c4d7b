// Visual styles through uxtheme.dll, looked up once on first use.
#include "grid/view/ThemesSupport.h"

#include "ui/core/SysUtils.h"
#include "ui/graphics/GdiGuards.h"

namespace grid {

namespace {

using HTHEME_ = HANDLE;
using OpenThemeDataFn = HTHEME_(WINAPI*)(HWND, LPCWSTR);
using CloseThemeDataFn = HRESULT(WINAPI*)(HTHEME_);
using DrawThemeBackgroundFn = HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, const RECT*);
using DrawThemeEdgeFn = HRESULT(WINAPI*)(HTHEME_, HDC, int, int, const RECT*, UINT, UINT, RECT*);
using IsThemeActiveFn = BOOL(WINAPI*)();
using IsAppThemedFn = BOOL(WINAPI*)();
using IsPartiallyTransparentFn = BOOL(WINAPI*)(HTHEME_, int, int);

// The library stays loaded for the life of the process, like the system's own users of it.
struct TThemeLibrary {
    HMODULE Module = nullptr;
    OpenThemeDataFn OpenThemeData = nullptr;
    CloseThemeDataFn CloseThemeData = nullptr;
    DrawThemeBackgroundFn DrawThemeBackground = nullptr;
    DrawThemeEdgeFn DrawThemeEdge = nullptr;
    IsThemeActiveFn IsThemeActive = nullptr;
    IsAppThemedFn IsAppThemed = nullptr;
    IsPartiallyTransparentFn IsPartiallyTransparent = nullptr;

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
        IsPartiallyTransparent = reinterpret_cast<IsPartiallyTransparentFn>(
            GetProcAddress(Module, "IsThemeBackgroundPartiallyTransparent"));
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

// The solid colour a part that lets the background show through is drawn over.
void FillUnder(HDC dc, const RECT& rect, COLORREF background)
{
    if (background == CLR_INVALID)
        return;
    COLORREF old = SetBkColor(dc, background);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void DrawBackground(HTHEME_ theme, HDC dc, const RECT& rect, int state, int part)
{
    if (FAILED(Library().DrawThemeBackground(theme, dc, part, state, &rect, nullptr)))
        ThemeError();
}

} // namespace

void TWindowThemes::Draw(HWND window, HDC dc, const RECT& rect, int state, int part, const wchar_t* className,
                         COLORREF background)
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
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return;
    // Without a picture (the system short of bitmaps) the part is drawn as it always could be.
    HBITMAP picture = FindPicture(theme, part, state, width, height, background);
    if (picture == nullptr && (background != CLR_INVALID || Opaque(theme, part, state)))
        picture = MakePicture(theme, dc, part, state, width, height, background);
    bool copied = false;
    if (picture != nullptr) {
        ui::TSelectObject selected(FPictureDC, picture);
        copied = BitBlt(dc, rect.left, rect.top, width, height, FPictureDC, 0, 0, SRCCOPY) != FALSE;
    }
    if (copied)
        return;
    FillUnder(dc, rect, background);
    DrawBackground(theme, dc, rect, state, part);
}

bool TWindowThemes::Opaque(HANDLE theme, int part, int state)
{
    for (const TTransparency& t : FTransparency)
        if (t.Theme == theme && t.Part == part && t.State == state)
            return t.Opaque;
    const TThemeLibrary& lib = Library();
    bool opaque = lib.IsPartiallyTransparent != nullptr && !lib.IsPartiallyTransparent(theme, part, state);
    FTransparency.push_back({theme, part, state, opaque});
    return opaque;
}

HBITMAP TWindowThemes::FindPicture(HANDLE theme, int part, int state, int width, int height,
                                   COLORREF background) const
{
    for (const TPicture& p : FPictures)
        if (p.Theme == theme && p.Part == part && p.State == state && p.Width == width && p.Height == height &&
            p.Background == background)
            return p.Bitmap;
    return nullptr;
}

HBITMAP TWindowThemes::MakePicture(HANDLE theme, HDC dc, int part, int state, int width, int height,
                                   COLORREF background)
{
    if (FPictureDC == nullptr) {
        FPictureDC = CreateCompatibleDC(dc);
        if (FPictureDC == nullptr)
            return nullptr;
        FPictureDCBitmap = GetCurrentObject(FPictureDC, OBJ_BITMAP);
    }
    FPictures.reserve(FPictures.size() + 1); // room first: a made bitmap always has its owner
    // A 32-bit device-independent bitmap: copying from it is a plain pixel copy to both window
    // and memory targets (a device bitmap costs a conversion on every copy under Wine).
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr)
        return nullptr;
    if (FPictures.size() >= kMaxPictures) {
        DeleteObject(FPictures.front().Bitmap);
        FPictures.erase(FPictures.begin());
    }
    FPictures.push_back({theme, part, state, width, height, background, bitmap});
    HRESULT hr;
    {
        // Out of the memory context again before a failed picture is deleted.
        ui::TSelectObject selected(FPictureDC, bitmap);
        RECT whole{0, 0, width, height};
        FillUnder(FPictureDC, whole, background);
        hr = Library().DrawThemeBackground(theme, FPictureDC, part, state, &whole, nullptr);
    }
    if (FAILED(hr)) {
        DeleteObject(bitmap);
        FPictures.pop_back();
        ThemeError();
    }
    return bitmap;
}

void TWindowThemes::Close()
{
    for (const TPicture& p : FPictures)
        DeleteObject(p.Bitmap);
    FPictures.clear();
    FTransparency.clear();
    if (FPictureDC != nullptr) {
        SelectObject(FPictureDC, FPictureDCBitmap);
        DeleteDC(FPictureDC);
        FPictureDC = nullptr;
    }
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
