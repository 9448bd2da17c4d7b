// Colour values and locale-aware conversions shared by the grid units.
#include "grid/common/GridCommon.h"

#include "ui/core/SysUtils.h"

#include <windows.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <cwctype>

namespace grid {

namespace {

std::wstring LocaleInfo(LCTYPE type, const wchar_t* fallback)
{
    wchar_t buffer[100];
    int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer, 100);
    if (n <= 1)
        return fallback;
    return std::wstring(buffer, n - 1);
}

[[noreturn]] void FloatError(const std::wstring& text)
{
    throw ui::EConvertError(ui::Format(L"'%s' is not a valid floating point value", text.c_str()));
}

[[noreturn]] void DateError(const std::wstring& text)
{
    throw ui::EConvertError(ui::Format(L"'%s' is not a valid date and time", text.c_str()));
}

// Expands a Windows date or time picture (d, dd, M, MM, yy, yyyy, h, hh, H, HH, m, mm, s, ss, t,
// tt, quoted literals) for the given fields.
std::wstring ExpandPicture(const std::wstring& picture, int year, int month, int day, int hour, int minute,
                           int second)
{
    std::wstring out;
    size_t i = 0;
    auto two = [](int v) { return ui::Format(L"%02d", v); };
    while (i < picture.size()) {
        wchar_t c = picture[i];
        size_t n = 1;
        while (i + n < picture.size() && picture[i + n] == c)
            ++n;
        switch (c) {
        case L'\'': {
            size_t end = picture.find(L'\'', i + 1);
            if (end == std::wstring::npos)
                end = picture.size();
            out += picture.substr(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        case L'd':
            out += n >= 2 ? two(day) : std::to_wstring(day); // day names (ddd) are not used in short dates
            break;
        case L'M':
            out += n >= 2 ? two(month) : std::to_wstring(month);
            break;
        case L'y':
            out += n >= 3 ? ui::Format(L"%04d", year) : two(year % 100);
            break;
        case L'H':
            out += n >= 2 ? two(hour) : std::to_wstring(hour);
            break;
        case L'h': {
            int h12 = hour % 12 == 0 ? 12 : hour % 12;
            out += n >= 2 ? two(h12) : std::to_wstring(h12);
            break;
        }
        case L'm':
            out += n >= 2 ? two(minute) : std::to_wstring(minute);
            break;
        case L's':
            out += n >= 2 ? two(second) : std::to_wstring(second);
            break;
        case L't': {
            std::wstring marker = LocaleInfo(hour < 12 ? LOCALE_S1159 : LOCALE_S2359, hour < 12 ? L"AM" : L"PM");
            out += n >= 2 ? marker : marker.substr(0, 1);
            break;
        }
        default:
            out.append(n, c);
        }
        i += n;
    }
    return out;
}

std::wstring Trim(const std::wstring& text)
{
    size_t b = 0, e = text.size();
    while (b < e && std::iswspace(text[b]))
        ++b;
    while (e > b && std::iswspace(text[e - 1]))
        --e;
    return text.substr(b, e - b);
}

} // namespace

int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468 + 25569; // 25569: 1970-01-01 as a serial
}

void CivilFromDays(int64_t serial, int& year, int& month, int& day)
{
    int64_t z = serial - 25569 + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

wchar_t LocaleDecimalSeparator()
{
    std::wstring s = LocaleInfo(LOCALE_SDECIMAL, L".");
    return s.empty() ? L'.' : s[0];
}

wchar_t LocaleDateSeparator()
{
    // The separator is the first character of the short date picture that is not a field letter.
    std::wstring picture = LocaleInfo(LOCALE_SSHORTDATE, L"dd.MM.yyyy");
    for (wchar_t c : picture)
        if (c != L'd' && c != L'M' && c != L'y' && c != L'\'')
            return c;
    return L'/';
}

std::wstring FloatToStr(double value) { return FloatToStr(value, LocaleDecimalSeparator()); }

std::wstring FloatToStr(double value, wchar_t separator)
{
    if (std::isnan(value))
        return L"NAN";
    if (std::isinf(value))
        return value > 0 ? L"INF" : L"-INF";
    // 15 significant digits, a sign, a point and an exponent of three digits fit with room.
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.15G", value);
    std::wstring out;
    for (const char* p = buffer; *p != 0; ++p) {
        if (*p == '.') {
            out += separator;
        } else if (*p == 'E') {
            // "1E+20" and "1E-05" read "1E20" and "1E-5" in the general format.
            out += L'E';
            ++p;
            if (*p == '-')
                out += L'-';
            if (*p == '+' || *p == '-')
                ++p;
            while (*p == '0' && p[1] != 0)
                ++p;
            for (; *p != 0; ++p)
                out += static_cast<wchar_t>(*p);
            break;
        } else {
            out += static_cast<wchar_t>(*p);
        }
    }
    if (out == L"-0")
        out = L"0";
    return out;
}

bool TryStrToFloat(const std::wstring& text, double& value)
{
    std::wstring t = Trim(text);
    wchar_t separator = LocaleDecimalSeparator();
    std::string normal;
    size_t i = 0;
    if (i < t.size() && (t[i] == L'+' || t[i] == L'-'))
        normal += static_cast<char>(t[i++]);
    size_t digits = 0;
    while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
        normal += static_cast<char>(t[i++]);
        ++digits;
    }
    if (i < t.size() && t[i] == separator) {
        normal += '.';
        ++i;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
            normal += static_cast<char>(t[i++]);
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == L'e' || t[i] == L'E')) {
        normal += 'E';
        ++i;
        if (i < t.size() && (t[i] == L'+' || t[i] == L'-'))
            normal += static_cast<char>(t[i++]);
        size_t expDigits = 0;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9') {
            normal += static_cast<char>(t[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != t.size())
        return false;
    errno = 0;
    double v = std::strtod(normal.c_str(), nullptr);
    if (std::isinf(v))
        return false;
    value = v;
    return true;
}

double StrToFloat(const std::wstring& text)
{
    double v = 0;
    if (!TryStrToFloat(text, v))
        FloatError(text);
    return v;
}

int32_t RoundHalfEven(double value)
{
    // nearbyint rounds in the default mode, which is to nearest with ties to even.
    double r = std::nearbyint(value);
    if (!(r >= -2147483648.0 && r <= 2147483647.0))
        throw ui::EIntOverflow();
    return static_cast<int32_t>(r);
}

std::wstring DateTimeToStr(double value)
{
    // Whole milliseconds of the day, rounded, so that 0.5 reads 12:00:00 and not 11:59:59.
    double days = std::floor(value);
    int64_t ms = static_cast<int64_t>(std::llround((value - days) * 86400000.0));
    int64_t serial = static_cast<int64_t>(days);
    if (ms >= 86400000) {
        ms -= 86400000;
        ++serial;
    }
    int year, month, day;
    CivilFromDays(serial, year, month, day);
    int64_t seconds = ms / 1000;
    int hour = static_cast<int>(seconds / 3600), minute = static_cast<int>(seconds / 60 % 60),
        second = static_cast<int>(seconds % 60);
    std::wstring text = ExpandPicture(LocaleInfo(LOCALE_SSHORTDATE, L"dd.MM.yyyy"), year, month, day, 0, 0, 0);
    if (ms != 0)
        text += L" " + ExpandPicture(LocaleInfo(LOCALE_STIMEFORMAT, L"HH:mm:ss"), year, month, day, hour, minute,
                                     second);
    return text;
}

double StrToDateTime(const std::wstring& text)
{
    std::wstring t = Trim(text);
    // The order of day, month and year follows the short date picture.
    std::wstring picture = LocaleInfo(LOCALE_SSHORTDATE, L"dd.MM.yyyy");
    std::wstring order;
    for (wchar_t c : picture)
        if ((c == L'd' || c == L'M' || c == L'y') && order.find(c) == std::wstring::npos)
            order += c;
    if (order.size() != 3)
        order = L"dMy";
    wchar_t separator = LocaleDateSeparator();

    size_t i = 0;
    auto readNumber = [&](int& out, int maxDigits) {
        size_t start = i;
        int64_t v = 0;
        while (i < t.size() && t[i] >= L'0' && t[i] <= L'9' && static_cast<int>(i - start) < maxDigits)
            v = v * 10 + (t[i++] - L'0');
        out = static_cast<int>(v);
        return i > start;
    };
    int parts[3] = {0, 0, 0};
    size_t yearDigits = 0;
    for (int p = 0; p < 3; ++p) {
        if (p > 0) {
            if (i >= t.size() || (t[i] != separator && t[i] != L'/' && t[i] != L'.' && t[i] != L'-'))
                DateError(text);
            ++i;
        }
        size_t start = i;
        if (!readNumber(parts[p], 4))
            DateError(text);
        if (order[p] == L'y')
            yearDigits = i - start;
    }
    int day = 0, month = 0, year = 0;
    for (int p = 0; p < 3; ++p) {
        if (order[p] == L'd')
            day = parts[p];
        else if (order[p] == L'M')
            month = parts[p];
        else
            year = parts[p];
    }
    if (yearDigits <= 2)
        year += year < 50 ? 2000 : 1900;
    if (month < 1 || month > 12 || day < 1 || year < 1 || year > 9999)
        DateError(text);
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > kDays[month - 1] + (month == 2 && leap ? 1 : 0))
        DateError(text);
    double result = static_cast<double>(DaysFromCivil(year, month, day));

    while (i < t.size() && t[i] == L' ')
        ++i;
    if (i < t.size()) {
        int hour = 0, minute = 0, second = 0;
        if (!readNumber(hour, 2) || i >= t.size() || t[i] != L':')
            DateError(text);
        ++i;
        if (!readNumber(minute, 2))
            DateError(text);
        if (i < t.size() && t[i] == L':') {
            ++i;
            if (!readNumber(second, 2))
                DateError(text);
        }
        if (i != t.size() || hour > 23 || minute > 59 || second > 59)
            DateError(text);
        double fraction = (hour * 3600 + minute * 60 + second) / 86400.0;
        result += result < 0 ? -fraction : fraction;
    }
    return result;
}

double Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return static_cast<double>(DaysFromCivil(now.wYear, now.wMonth, now.wDay));
}

} // namespace grid
