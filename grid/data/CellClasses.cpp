// Conversions of the five cell classes.
#include "grid/data/CellClasses.h"

#include "ui/core/SysUtils.h"

namespace grid {

namespace {

// "true" in any letter case. ASCII-only on purpose: under a Turkish locale a general lower-casing
// would turn "TRUE" into "tru\x0131e".
bool IsTrueText(const std::wstring& text)
{
    static const wchar_t kTrue[] = L"true";
    if (text.size() != 4)
        return false;
    for (size_t i = 0; i < 4; ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != kTrue[i])
            return false;
    }
    return true;
}

} // namespace

// --- TStringCell ---
bool TStringCell::AsBoolean() const { return ui::StrToBool(FValue); }
double TStringCell::AsDateTime() const { return StrToDateTime(FValue); }
double TStringCell::AsFloat() const { return StrToFloat(FValue); }
int32_t TStringCell::AsInteger() const { return ui::StrToInt(FValue); }

void TStringCell::SetAsBoolean(bool value)
{
    FValue = value ? L"True" : L"False";
    TCell::SetAsBoolean(value);
}

void TStringCell::SetAsDateTime(double value)
{
    FValue = DateTimeToStr(value);
    TCell::SetAsDateTime(value);
}

void TStringCell::SetAsFloat(double value)
{
    FValue = FloatToStr(value);
    TCell::SetAsFloat(value);
}

void TStringCell::SetAsInteger(int32_t value)
{
    FValue = ui::IntToStr(value);
    TCell::SetAsInteger(value);
}

void TStringCell::SetAsString(const std::wstring& value)
{
    FValue = value;
    TCell::SetAsString(value);
}

// --- TBooleanCell ---
void TBooleanCell::SetAsBoolean(bool value)
{
    FValue = value;
    TCell::SetAsBoolean(value);
}

void TBooleanCell::SetAsDateTime(double value)
{
    FValue = false;
    TCell::SetAsDateTime(value);
}

void TBooleanCell::SetAsFloat(double value)
{
    FValue = value > 0;
    TCell::SetAsFloat(value);
}

void TBooleanCell::SetAsInteger(int32_t value)
{
    FValue = value > 0;
    TCell::SetAsInteger(value);
}

void TBooleanCell::SetAsString(const std::wstring& value)
{
    FValue = IsTrueText(value);
    TCell::SetAsString(value);
}

// --- TDateTimeCell ---
int32_t TDateTimeCell::AsInteger() const { return RoundHalfEven(FValue); }
std::wstring TDateTimeCell::AsString() const { return DateTimeToStr(FValue); }

void TDateTimeCell::SetAsBoolean(bool value)
{
    FValue = Today();
    TCell::SetAsBoolean(value);
}

void TDateTimeCell::SetAsDateTime(double value)
{
    FValue = value;
    TCell::SetAsDateTime(value);
}

void TDateTimeCell::SetAsFloat(double value)
{
    FValue = value;
    TCell::SetAsFloat(value);
}

void TDateTimeCell::SetAsInteger(int32_t value)
{
    FValue = value;
    TCell::SetAsInteger(value);
}

void TDateTimeCell::SetAsString(const std::wstring& value)
{
    // An empty text is the empty date (0), which is what a date editor's "None" gives.
    FValue = value.find_first_not_of(L" \t") == std::wstring::npos ? 0 : StrToDateTime(value);
    TCell::SetAsString(value);
}

// --- TFloatCell ---
int32_t TFloatCell::AsInteger() const { return RoundHalfEven(FValue); }
std::wstring TFloatCell::AsString() const { return FloatToStr(FValue); }

void TFloatCell::SetAsBoolean(bool value)
{
    FValue = 0;
    TCell::SetAsBoolean(value);
}

void TFloatCell::SetAsDateTime(double value)
{
    FValue = value;
    TCell::SetAsDateTime(value);
}

void TFloatCell::SetAsFloat(double value)
{
    FValue = value;
    TCell::SetAsFloat(value);
}

void TFloatCell::SetAsInteger(int32_t value)
{
    FValue = value;
    TCell::SetAsInteger(value);
}

void TFloatCell::SetAsString(const std::wstring& value)
{
    FValue = StrToFloat(value);
    TCell::SetAsString(value);
}

// --- TIntegerCell ---
std::wstring TIntegerCell::AsString() const { return ui::IntToStr(FValue); }

void TIntegerCell::SetAsBoolean(bool value)
{
    FValue = 0;
    TCell::SetAsBoolean(value);
}

void TIntegerCell::SetAsDateTime(double value)
{
    FValue = 0;
    TCell::SetAsDateTime(value);
}

void TIntegerCell::SetAsFloat(double value)
{
    FValue = RoundHalfEven(value);
    TCell::SetAsFloat(value);
}

void TIntegerCell::SetAsInteger(int32_t value)
{
    FValue = value;
    TCell::SetAsInteger(value);
}

void TIntegerCell::SetAsString(const std::wstring& value)
{
    FValue = ui::StrToInt(value);
    TCell::SetAsString(value);
}

} // namespace grid
