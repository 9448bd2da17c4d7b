// The text the class library's COM error gives for an HRESULT, worked out independently of it;
// header-only, so that tests of the real program from outside can use it without the library.
#pragma once

#include <windows.h>

#include <cwchar>
#include <string>

namespace testsupport {

// The system's message for `hr` without its trailing line break and full stop, or
// "OLE error XXXXXXXX" when the system has none.
inline std::wstring SystemMessage(HRESULT hr)
{
    wchar_t* buffer = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = buffer != nullptr ? buffer : L"";
    if (buffer != nullptr)
        LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.'))
        text.pop_back();
    if (text.empty()) {
        wchar_t fallback[32];
        swprintf(fallback, 32, L"OLE error %.8X", static_cast<unsigned>(hr));
        text = fallback;
    }
    return text;
}

} // namespace testsupport
