// Types, colour values and text conversions shared by every unit of the report grid.
#pragma once

#include "ui/core/Classes.h"
#include "ui/core/TypInfo.h"
#include "ui/graphics/Graphics.h"

#include <cstdint>
#include <string>

namespace grid {

// Colours are the class library's: RGB with red in the low byte, or a negative system colour
// resolved through ColorToRGB before any arithmetic.
using ui::TColor;
using ui::ColorToRGB;
using ui::ColorToValue;
using ui::RGBColor;
using ui::clBlack;
using ui::clWhite;
using ui::clGray;
using ui::clRed;
using ui::clNone;
using ui::clBtnFace;
using ui::clBtnShadow;
using ui::clBtnHighlight;
using ui::clGrayText;
using ui::clHighlight;
using ui::clHighlightText;
using ui::clInfoBk;
using ui::clWindow;
using ui::clWindowFrame;
using ui::clWindowText;

inline TColor ValueToColor(const ui::TValue& value) { return ui::ColorFromValue(value); }

// Points `slot` (a reference held by `owner`, not owned) at `value`, moving the owner's free
// notification from the component it referred to before to the new one, so that the owner
// hears when the referenced component goes. False when the slot already held `value`.
template <class T>
bool ReplaceReference(ui::TComponent* owner, T*& slot, T* value)
{
    if (slot == value)
        return false;
    if (slot != nullptr)
        slot->RemoveFreeNotification(owner);
    slot = value;
    if (value != nullptr)
        value->FreeNotification(owner);
    return true;
}

// Text placement inside cells, headers and other boxes.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TVerticalAlignment { vaTop, vaMiddle, vaBottom };

// --- locale-aware conversions used by the cells (the user's regional settings) ---

wchar_t LocaleDecimalSeparator();
wchar_t LocaleDateSeparator();

// General decimal format: up to 15 significant digits, scientific for very large and very small
// magnitudes ("1E20", "1,5E-7"), the locale's decimal separator.
std::wstring FloatToStr(double value);
// The same with a decimal separator of the caller's choosing.
std::wstring FloatToStr(double value, wchar_t separator);
// Optional blanks, sign, digits with the locale's decimal separator, optional exponent; else
// "'%s' is not a valid floating point value".
double StrToFloat(const std::wstring& text);
bool TryStrToFloat(const std::wstring& text, double& value);

// Rounds to the nearest integer, an exact half to the even neighbour. Values outside the signed
// 32-bit range raise EIntOverflow instead of wrapping.
int32_t RoundHalfEven(double value);

// Days since 30 December 1899 of a proleptic Gregorian date, and back (Howard Hinnant's
// civil-days method): the one calendar arithmetic of the grid.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d);
void CivilFromDays(int64_t serial, int& year, int& month, int& day);

// Date-times are days since 30 December 1899; the fraction is the time of day.
// Formatted with the short date format, a blank and the long time format; the time is left out
// when it is exactly midnight.
std::wstring DateTimeToStr(double value);
// Reads a date in the short date format's order, optionally followed by a time (hours, minutes,
// optional seconds); else "'%s' is not a valid date and time".
double StrToDateTime(const std::wstring& text);
// Today's date at midnight.
double Today();

} // namespace grid
