// Helpers of the painting tests.
#include "PaintTestSupport.h"

namespace gridtest {

std::unique_ptr<ui::TBitmap> PaintToBitmap(grid::TGridView& grid, const RECT* clip)
{
    auto bmp = std::make_unique<ui::TBitmap>(grid.ClientWidth(), grid.ClientHeight(), ui::TPixelFormat::pf24bit);
    // A colour no painter uses, so unpainted pixels stand out.
    bmp->Canvas().Brush().SetColor(ui::RGBColor(1, 2, 3));
    bmp->Canvas().FillRect(ui::Rect(0, 0, bmp->Width(), bmp->Height()));
    HDC dc = bmp->Canvas().Handle();
    if (clip != nullptr)
        IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
    SendMessageW(grid.Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    SelectClipRgn(dc, nullptr);
    GdiFlush();
    return bmp;
}

bool RepaintPendingOver(grid::TGridView& grid, ui::TBitmap& bmp)
{
    HRGN pending = CreateRectRgn(0, 0, 0, 0);
    bool queued = GetUpdateRgn(grid.Handle(), pending, FALSE) > NULLREGION;
    if (queued) {
        HDC dc = bmp.Canvas().Handle();
        SelectClipRgn(dc, pending);
        SendMessageW(grid.Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        SelectClipRgn(dc, nullptr);
        GdiFlush();
    }
    DeleteObject(pending);
    ValidateRect(grid.Handle(), nullptr);
    return queued;
}

POINT FirstDifference(ui::TBitmap& a, ui::TBitmap& b)
{
    GdiFlush();
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.PixelAt(x, y) != b.PixelAt(x, y))
                return POINT{x, y};
    return POINT{-1, -1};
}

bool IsDark(ui::TColor c)
{
    return (c & 0xFF) < 128 && ((c >> 8) & 0xFF) < 128 && ((c >> 16) & 0xFF) < 128;
}

int FirstDarkColumn(ui::TBitmap& bmp, const RECT& r)
{
    for (int x = r.left; x < r.right; ++x)
        for (int y = r.top; y < r.bottom; ++y)
            if (IsDark(bmp.PixelAt(x, y)))
                return x;
    return -1;
}

int LastDarkColumn(ui::TBitmap& bmp, const RECT& r)
{
    for (int x = r.right - 1; x >= r.left; --x)
        for (int y = r.top; y < r.bottom; ++y)
            if (IsDark(bmp.PixelAt(x, y)))
                return x;
    return -1;
}

int FirstDarkRow(ui::TBitmap& bmp, const RECT& r)
{
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            if (IsDark(bmp.PixelAt(x, y)))
                return y;
    return -1;
}

int DarkRowBands(ui::TBitmap& bmp, const RECT& r)
{
    int bands = 0;
    bool inBand = false;
    for (int y = r.top; y < r.bottom; ++y) {
        bool dark = false;
        for (int x = r.left; x < r.right && !dark; ++x)
            dark = IsDark(bmp.PixelAt(x, y));
        if (dark && !inBand)
            ++bands;
        inBand = dark;
    }
    return bands;
}

int DifferingPixels(ui::TBitmap& a, ui::TBitmap& b, const RECT& r)
{
    GdiFlush();
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += a.PixelAt(x, y) != b.PixelAt(x, y);
    return n;
}

namespace {

bool FakeActive() { return true; }
bool FakeInactive() { return false; }

void FakeDraw(HWND, HDC dc, const RECT& rect, int state, int part, const std::wstring& className)
{
    TFakeThemes::Calls().push_back({part, state, className, rect});
    HBRUSH brush = CreateSolidBrush(ui::ColorToRef(TFakeThemes::Marker));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

std::vector<TThemeCall>& TFakeThemes::Calls()
{
    static std::vector<TThemeCall> calls;
    return calls;
}

TFakeThemes::TFakeThemes(bool active)
{
    Calls().clear();
    grid::TThemeServices fake;
    fake.Active = active ? &FakeActive : &FakeInactive;
    fake.DrawPart = &FakeDraw;
    FOld = grid::SetThemeServices(fake);
}

TFakeThemes::~TFakeThemes() { grid::SetThemeServices(FOld); }

namespace {

constexpr const wchar_t* kThemeManagerKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

// The settings in which uxtheme keeps the active style. Wine's own prefix names its "light"
// style there as active, yet loads none for a program that has not applied one itself.
constexpr const wchar_t* kThemeSettings[] = {L"ThemeActive", L"DllName", L"ColorName", L"SizeName", L"LoadedBefore"};

// Wine exports these by ordinal only: EnumThemeColors 9, EnumThemeSizes 10, SetSystemVisualStyle 65.
using SetStyleFn = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD);
using EnumFn = HRESULT(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPWSTR);

template <class F>
F Ordinal(HMODULE module, int ordinal)
{
    return module != nullptr ? reinterpret_cast<F>(GetProcAddress(module, MAKEINTRESOURCEA(ordinal))) : nullptr;
}

} // namespace

namespace {

bool NoStyles() { return false; }

// Applies the style once; the answer (empty: applied) holds for the rest of the process.
std::string ApplyWineStyle()
{
    // The settings as they are, to be put back after uxtheme rewrites them.
    struct TSetting {
        std::wstring Name, Value;
        bool Present;
    };
    std::vector<TSetting> saved;
    for (const wchar_t* name : kThemeSettings) {
        wchar_t value[MAX_PATH + 1] = L"";
        DWORD bytes = sizeof value;
        TSetting setting{name, L"", false};
        if (RegGetValueW(HKEY_CURRENT_USER, kThemeManagerKey, name, RRF_RT_REG_SZ, nullptr, value, &bytes) ==
            ERROR_SUCCESS) {
            setting.Value = value;
            setting.Present = true;
        }
        saved.push_back(setting);
    }
    HMODULE ux = LoadLibraryW(L"uxtheme.dll");
    auto setStyle = Ordinal<SetStyleFn>(ux, 65);
    auto colours = Ordinal<EnumFn>(ux, 9);
    auto sizes = Ordinal<EnumFn>(ux, 10);
    if (setStyle == nullptr || colours == nullptr || sizes == nullptr)
        return "uxtheme.dll lacks the entry points to apply a style";
    wchar_t file[MAX_PATH];
    GetWindowsDirectoryW(file, MAX_PATH);
    lstrcatW(file, L"\\resources\\themes\\light\\light.msstyles");
    // Both fill a THEMENAMES record: name, display name and tooltip, MAX_PATH + 1 each.
    wchar_t colour[3 * (MAX_PATH + 1)] = L"", size[3 * (MAX_PATH + 1)] = L"";
    if (FAILED(colours(file, nullptr, 0, colour)) || FAILED(sizes(file, nullptr, 0, size)))
        return "light.msstyles was not found or has no colours and sizes";
    HRESULT hr = setStyle(file, colour, size, 0);
    for (const TSetting& setting : saved) {
        if (setting.Present)
            RegSetKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, setting.Name.c_str(), REG_SZ, setting.Value.c_str(),
                            static_cast<DWORD>((setting.Value.size() + 1) * sizeof(wchar_t)));
        else
            RegDeleteKeyValueW(HKEY_CURRENT_USER, kThemeManagerKey, setting.Name.c_str());
    }
    grid::ThemesChanged();
    if (FAILED(hr) || !grid::ThemesActive())
        return "uxtheme could not apply light.msstyles";
    return {};
}

} // namespace

TWineTheme::TWineTheme()
{
    grid::SetThemeServices({}); // the real services again, in case an earlier object ended
    static const std::string why = ApplyWineStyle();
    FWhy = why;
    grid::ThemesChanged();
}

TWineTheme::~TWineTheme()
{
    grid::TThemeServices none;
    none.Active = &NoStyles;
    grid::SetThemeServices(none);
    grid::ThemesChanged();
}

} // namespace gridtest
