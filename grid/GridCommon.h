// Types, colour values and text conversions shared by every unit of the report grid.
#pragma once

#include "ui/core/TypInfo.h"

#include <cstdint>
#include <string>

namespace grid {

// A colour: RGB with red in the low byte, or, when negative, a system colour whose low byte is
// the system-colour index (resolved through ColorToRGB before any arithmetic).
using TColor = int32_t;

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }
constexpr TColor RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }

constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clGray = 0x808080;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clWindowText = SystemColor(8);

// Resolves a system colour to its current RGB value; RGB values come back unchanged.
TColor ColorToRGB(TColor color);

// Colours in stored descriptions: by name (clWindow) when they have one, else as a number.
ui::TValue ColorToValue(TColor color);
TColor ValueToColor(const ui::TValue& value);

// Text placement inside cells, headers and other boxes.
enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TVerticalAlignment { vaTop, vaMiddle, vaBottom };

// --- locale-aware conversions used by the cells (the user's regional settings) ---

wchar_t LocaleDecimalSeparator();
wchar_t LocaleDateSeparator();

// General decimal format: up to 15 significant digits, scientific for very large and very small
// magnitudes ("1E20", "1,5E-7"), the locale's decimal separator.
std::wstring FloatToStr(double value);
// Optional blanks, sign, digits with the locale's decimal separator, optional exponent; else
// "'%s' is not a valid floating point value".
double StrToFloat(const std::wstring& text);
bool TryStrToFloat(const std::wstring& text, double& value);

// Rounds to the nearest integer, an exact half to the even neighbour. Values outside the signed
// 32-bit range raise EIntOverflow instead of wrapping.
int32_t RoundHalfEven(double value);

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
