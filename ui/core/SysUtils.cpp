// Errors, text conversion and number/time formatting shared by the whole program.
#include "ui/core/SysUtils.h"

#include <windows.h>

#include <cstdarg>
#include <cwchar>
#include <limits>
#include <vector>

namespace ui {

Exception::Exception(std::wstring message) { SetMessage(std::move(message)); }

void Exception::SetMessage(std::wstring message)
{
    FMessage = std::move(message);
    FUtf8 = WideToUtf8(FMessage);
}

EListError::EListError(int index) : Exception(Format(L"List index out of bounds (%d)", index)) {}

EAbstractError::EAbstractError() : Exception(L"Abstract Error") {}

EIntOverflow::EIntOverflow() : Exception(L"Integer overflow") {}

namespace {

std::wstring SystemErrorMessage(long code)
{
    wchar_t* buffer = nullptr;
    DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(code), 0,
                                  reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr)
        text.assign(buffer, length);
    if (buffer != nullptr)
        LocalFree(buffer);
    // The system's texts end with a line break, which would split a log line in two.
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' ||
                             text.back() == L'.'))
        text.pop_back();
    return text;
}

} // namespace

EOleSysError::EOleSysError(long hresult)
    : Exception(L""), FErrorCode(hresult)
{
    std::wstring text = SystemErrorMessage(hresult);
    if (text.empty())
        text = Format(L"OLE error %.8X", static_cast<unsigned>(hresult));
    SetMessage(text);
}

std::wstring Format(const wchar_t* format, ...)
{
    std::vector<wchar_t> buffer(256);
    for (;;) {
        va_list args;
        va_start(args, format);
        int written = _vsnwprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        if (written >= 0 && static_cast<size_t>(written) < buffer.size())
            return std::wstring(buffer.data(), written);
        buffer.resize(buffer.size() * 2);
    }
}

std::string WideToAnsi(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(),
                                   static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        result.data(), size, nullptr, nullptr);
    return result;
}

std::wstring AnsiToWide(const std::string& text)
{
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string WideToUtf8(const std::wstring& text)
{
    if (text.empty())
        return {};
    int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                   0, nullptr, nullptr);
    std::string result(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size,
                        nullptr, nullptr);
    return result;
}

std::wstring Utf8ToWide(const std::string& text)
{
    if (text.empty())
        return {};
    int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(size, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

bool TryStrToInt(const std::wstring& text, int32_t& value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) {
        negative = text[i] == L'-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == L'$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == L'0' && (text[i + 1] == L'x' || text[i + 1] == L'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return false;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        wchar_t c = text[i];
        int digit;
        if (c >= L'0' && c <= L'9')
            digit = c - L'0';
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = c - L'a' + 10;
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = c - L'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t(1) << 32)
            return false;
    }
    int64_t result = negative ? -magnitude : magnitude;
    if (base == 16 && !negative && result <= std::numeric_limits<uint32_t>::max())
        result = static_cast<int32_t>(static_cast<uint32_t>(result));
    if (result < std::numeric_limits<int32_t>::min() || result > std::numeric_limits<int32_t>::max())
        return false;
    value = static_cast<int32_t>(result);
    return true;
}

int32_t StrToInt(const std::wstring& text)
{
    int32_t value = 0;
    if (!TryStrToInt(text, value))
        throw EConvertError(Format(L"'%s' is not a valid integer value", text.c_str()));
    return value;
}

int32_t StrToInt(const std::string& ansiText) { return StrToInt(AnsiToWide(ansiText)); }

std::wstring IntToStr(int64_t value) { return std::to_wstring(value); }

bool SameText(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        wchar_t x = a[i], y = b[i];
        if (x >= L'A' && x <= L'Z')
            x = x - L'A' + L'a';
        if (y >= L'A' && y <= L'Z')
            y = y - L'A' + L'a';
        if (x != y)
            return false;
    }
    return true;
}

bool StrToBool(const std::wstring& text)
{
    if (SameText(text, L"True"))
        return true;
    if (SameText(text, L"False"))
        return false;
    int32_t number = 0;
    if (TryStrToInt(text, number))
        return number != 0;
    throw EConvertError(Format(L"'%s' is not a valid boolean value", text.c_str()));
}

int32_t CheckedAdd(int32_t a, int32_t b)
{
    int32_t result = 0;
    if (__builtin_add_overflow(a, b, &result))
        throw EIntOverflow();
    return result;
}

std::wstring TimeToStr()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t buffer[128];
    int length = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &now, nullptr, buffer, 128);
    if (length <= 0)
        return {};
    return std::wstring(buffer, length - 1);
}

} // namespace ui
