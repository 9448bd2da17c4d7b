// Applying Wine's light visual style inside the running process.
#include "WineTheme.h"

#include <windows.h>

namespace testsupport {

namespace {

constexpr const wchar_t* kKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\ThemeManager";

std::wstring ReadActive()
{
    wchar_t value[16] = L"0";
    DWORD bytes = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, kKey, L"ThemeActive", RRF_RT_REG_SZ, nullptr, value, &bytes);
    return value;
}

void WriteActive(const std::wstring& value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"ThemeActive", REG_SZ, value.c_str(),
                    static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

TWineTheme::TWineTheme()
{
    HMODULE ux = LoadLibraryW(L"uxtheme.dll");
    using SetStyleFn = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, DWORD);
    using EnumFn = HRESULT(WINAPI*)(LPWSTR, LPWSTR, DWORD, LPWSTR);
    using ActiveFn = BOOL(WINAPI*)();
    // Wine exports these by ordinal only: SetSystemVisualStyle 65, EnumThemeColors 9,
    // EnumThemeSizes 10.
    auto setStyle = ux ? reinterpret_cast<SetStyleFn>(GetProcAddress(ux, MAKEINTRESOURCEA(65))) : nullptr;
    auto colours = ux ? reinterpret_cast<EnumFn>(GetProcAddress(ux, MAKEINTRESOURCEA(9))) : nullptr;
    auto sizes = ux ? reinterpret_cast<EnumFn>(GetProcAddress(ux, MAKEINTRESOURCEA(10))) : nullptr;
    auto active = ux ? reinterpret_cast<ActiveFn>(GetProcAddress(ux, "IsThemeActive")) : nullptr;
    if (setStyle == nullptr || colours == nullptr || sizes == nullptr || active == nullptr) {
        FWhy = "uxtheme.dll lacks the entry points to apply a style";
        return;
    }
    wchar_t file[MAX_PATH];
    GetWindowsDirectoryW(file, MAX_PATH);
    lstrcatW(file, L"\\resources\\themes\\light\\light.msstyles");
    // Both fill a THEMENAMES record: name, display name and tooltip, MAX_PATH + 1 each.
    wchar_t colour[3 * (MAX_PATH + 1)] = L"", size[3 * (MAX_PATH + 1)] = L"";
    if (FAILED(colours(file, nullptr, 0, colour)) || FAILED(sizes(file, nullptr, 0, size))) {
        FWhy = "light.msstyles was not found or has no colours and sizes";
        return;
    }
    const std::wstring oldActive = ReadActive();
    HRESULT hr = setStyle(file, colour, size, 0);
    WriteActive(oldActive);
    if (FAILED(hr) || !active())
        FWhy = "uxtheme could not apply light.msstyles";
}

} // namespace testsupport
