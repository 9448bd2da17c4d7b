// Errors, text conversion and number/time formatting shared by the whole program.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace ui {

// Root of every error the program raises. The message is wide text; what() gives it as UTF-8
// so that a stray catch of std::exception still sees something readable.
class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const { return FMessage; }
    void SetMessage(std::wstring message);
    const char* what() const noexcept override { return FUtf8.c_str(); }

private:
    std::wstring FMessage;
    std::string FUtf8;
};

// A text that is not a number or a Boolean where one is required.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// An index outside a list: "List index out of bounds (%d)".
class EListError : public Exception {
public:
    explicit EListError(int index);
    using Exception::Exception;
};

// A virtual operation that a class declares but does not implement.
class EAbstractError : public Exception {
public:
    EAbstractError();
};

// A signed 32-bit increment or sum that would wrap.
class EIntOverflow : public Exception {
public:
    EIntOverflow();
};

// A failing COM call; the message is the system's text for the HRESULT.
class EOleSysError : public Exception {
public:
    explicit EOleSysError(long hresult);
    long ErrorCode() const { return FErrorCode; }

private:
    long FErrorCode;
};

// A window operation that cannot be carried out in the current state.
class EInvalidOperation : public Exception {
public:
    using Exception::Exception;
};

// A stored window description that cannot be read: the message names the description and line.
class EDescriptionError : public Exception {
public:
    using Exception::Exception;
};

// printf-style formatting into a wide string (%s takes const wchar_t*).
std::wstring Format(const wchar_t* format, ...);

// 8-bit text in the system ANSI code page. A character the code page lacks becomes the code
// page's default character, never a best-fit look-alike.
std::string WideToAnsi(const std::wstring& text);
std::wstring AnsiToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);

// Signed 32-bit parsing in the usual Windows-program manner: leading blanks, an optional sign,
// then decimal digits or a '$' / "0x" hexadecimal form. Anything else, trailing blanks included,
// and any value outside the 32-bit range raises "'%s' is not a valid integer value".
int32_t StrToInt(const std::wstring& text);
int32_t StrToInt(const std::string& ansiText);
bool TryStrToInt(const std::wstring& text, int32_t& value);
std::wstring IntToStr(int64_t value);

// "True"/"False" (any case) and integers (non-zero is true); else
// "'%s' is not a valid boolean value".
bool StrToBool(const std::wstring& text);

// Signed 32-bit addition that raises EIntOverflow instead of wrapping.
int32_t CheckedAdd(int32_t a, int32_t b);

// The current local time in the user's long time format (for time-stamped log lines).
std::wstring TimeToStr();

// Case-insensitive comparison of identifiers (ASCII letters only, as names in descriptions are).
bool SameText(const std::wstring& a, const std::wstring& b);

} // namespace ui
