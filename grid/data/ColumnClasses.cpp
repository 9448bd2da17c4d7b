// The column class family.
#include "grid/data/ColumnClasses.h"

#include "ui/core/ClassBuilder.h"

#include <windows.h>

#include <cmath>
#include <cstdio>

namespace grid {

using ui::TClassBuilder;

namespace {

ui::TValue ColorValue(TColor c) { return ColorToValue(c); }

} // namespace

// --- TTextualColumn ---
const ui::TClassInfo& TTextualColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TTextualColumn>(L"TTextualColumn", &TCustomColumn::StaticClass())
        .Property(L"AutoExecute", &TTextualColumn::AutoExecute, &TTextualColumn::SetAutoExecute)
        .Property(L"TextAfter", &TTextualColumn::TextAfter, &TTextualColumn::SetTextAfter)
        .Property(L"TextBefore", &TTextualColumn::TextBefore, &TTextualColumn::SetTextBefore)
        .Build();
    return info;
}

TTextualColumn::TTextualColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckText);
    SetSortType(TSortType::stAlphabetic);
}

// --- TCheckBoxColumn ---
const ui::TClassInfo& TCheckBoxColumn::StaticClass()
{
    static const ui::TClassInfo info =
        TClassBuilder<TCheckBoxColumn>(L"TCheckBoxColumn", &TCustomColumn::StaticClass()).Build();
    return info;
}

TCheckBoxColumn::TCheckBoxColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckBoolean);
    SetSortType(TSortType::stNumeric);
}

// --- THtmlColumn ---
const ui::TClassInfo& THtmlColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<THtmlColumn>(L"THtmlColumn", &TCustomColumn::StaticClass()).Build();
    return info;
}

THtmlColumn::THtmlColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckText);
    SetSortType(TSortType::stAlphabetic);
}

// --- TImageColumn ---
const ui::TClassInfo& TImageColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TImageColumn>(L"TImageColumn", &TCustomColumn::StaticClass())
        .Property(L"Masked", &TImageColumn::Masked, &TImageColumn::SetMasked)
        .Property(L"Transparent", &TImageColumn::Transparent, &TImageColumn::SetTransparent)
        .Build();
    return info;
}

TImageColumn::TImageColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckInteger);
    SetDefaultValue(L"0");
    SetSortType(TSortType::stNumeric);
}

void TImageColumn::SetMasked(bool v)
{
    FMasked = v;
    InvalidateStrip();
}

// --- TProgressColumn ---
const ui::TClassInfo& TProgressColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TProgressColumn>(L"TProgressColumn", &TCustomColumn::StaticClass())
        .Custom(L"BorderColor", [](const TProgressColumn& c) { return ColorValue(c.BorderColor()); },
                [](TProgressColumn& c, const ui::TValue& v) { c.SetBorderColor(ValueToColor(v)); })
        .Property(L"HideWhenEmpty", &TProgressColumn::HideWhenEmpty, &TProgressColumn::SetHideWhenEmpty)
        .Property(L"Margin", &TProgressColumn::Margin, &TProgressColumn::SetMargin)
        .Property(L"Max", &TProgressColumn::Max, &TProgressColumn::SetMax)
        .Custom(L"ProgressColor", [](const TProgressColumn& c) { return ColorValue(c.ProgressColor()); },
                [](TProgressColumn& c, const ui::TValue& v) { c.SetProgressColor(ValueToColor(v)); })
        .Property(L"ProgressStyle", &TProgressColumn::ProgressStyle, &TProgressColumn::SetProgressStyle)
        .Property(L"ShowText", &TProgressColumn::ShowText, &TProgressColumn::SetShowText)
        .Property(L"Transparent", &TProgressColumn::Transparent, &TProgressColumn::SetTransparent)
        .Build();
    return info;
}

TProgressColumn::TProgressColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckFloat);
    SetDefaultValue(L"0");
    SetSortType(TSortType::stNumeric);
}

void TProgressColumn::SetHideWhenEmpty(bool v)
{
    FHideWhenEmpty = v;
    InvalidateStrip();
}

void TProgressColumn::SetProgressColor(TColor v)
{
    FProgressColor = v;
    InvalidateStrip();
}

void TProgressColumn::SetProgressStyle(TProgressStyle v)
{
    FProgressStyle = v;
    InvalidateStrip();
}

// --- TRateColumn ---
const ui::TClassInfo& TRateColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TRateColumn>(L"TRateColumn", &TCustomColumn::StaticClass())
        .Property(L"HideWhenEmpty", &TRateColumn::HideWhenEmpty, &TRateColumn::SetHideWhenEmpty)
        .Property(L"Masked", &TRateColumn::Masked, &TRateColumn::SetMasked)
        .Property(L"Max", &TRateColumn::Max, &TRateColumn::SetMax)
        .Property(L"Transparent", &TRateColumn::Transparent, &TRateColumn::SetTransparent)
        .Build();
    return info;
}

TRateColumn::TRateColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckInteger);
    SetDefaultValue(L"0");
    SetSortType(TSortType::stNumeric);
}

void TRateColumn::SetHideWhenEmpty(bool v)
{
    FHideWhenEmpty = v;
    InvalidateStrip();
}

void TRateColumn::SetMasked(bool v)
{
    FMasked = v;
    InvalidateStrip();
}

void TRateColumn::SetMax(int32_t v)
{
    if (v == FMax)
        return;
    FMax = v;
    InvalidateStrip();
}

void TRateColumn::SetTransparent(bool v)
{
    FTransparent = v;
    InvalidateStrip();
}

// --- TComboBoxColumn ---
const ui::TClassInfo& TComboBoxColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TComboBoxColumn>(L"TComboBoxColumn", &TTextualColumn::StaticClass())
        .Property(L"DropDownCount", &TComboBoxColumn::DropDownCount, &TComboBoxColumn::SetDropDownCount)
        .Property(L"Items", &TComboBoxColumn::Items, &TComboBoxColumn::SetItems)
        .Property(L"ShowImages", &TComboBoxColumn::ShowImages, &TComboBoxColumn::SetShowImages)
        .Property(L"Style", &TComboBoxColumn::Style, &TComboBoxColumn::SetStyle)
        .Build();
    return info;
}

TComboBoxColumn::TComboBoxColumn(ui::TComponent* AOwner) : TTextualColumn(AOwner) {}

// --- TIncrementColumn ---
const ui::TClassInfo& TIncrementColumn::StaticClass()
{
    static const ui::TClassInfo info =
        TClassBuilder<TIncrementColumn>(L"TIncrementColumn", &TCustomColumn::StaticClass()).Build();
    return info;
}

TIncrementColumn::TIncrementColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner) { SetCellKind(ckRowNumber); }

// --- TNumericColumn ---
const ui::TClassInfo& TNumericColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TNumericColumn>(L"TNumericColumn", &TCustomColumn::StaticClass())
        .Property(L"FormatMask", &TNumericColumn::FormatMask, &TNumericColumn::SetFormatMask)
        .Property(L"Max", &TNumericColumn::Max, &TNumericColumn::SetMax)
        .Property(L"Min", &TNumericColumn::Min, &TNumericColumn::SetMin)
        .Property(L"TextAfter", &TNumericColumn::TextAfter, &TNumericColumn::SetTextAfter)
        .Build();
    return info;
}

TNumericColumn::TNumericColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckFloat);
    SetDefaultValue(L"0");
    SetSortType(TSortType::stNumeric);
}

std::wstring TNumericColumn::FormatText(const std::wstring& text) const
{
    if (FFormatMask.empty())
        return text + FTextAfter;
    return FormatFloat(FFormatMask, StrToFloat(text)) + FTextAfter;
}

bool TNumericColumn::AcceptsKey(wchar_t c) const
{
    return (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || c == LocaleDecimalSeparator();
}

// --- TDateColumn ---
const ui::TClassInfo& TDateColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TDateColumn>(L"TDateColumn", &TCustomColumn::StaticClass())
        .Property(L"EmptyCaption", &TDateColumn::EmptyCaption, &TDateColumn::SetEmptyCaption)
        .Property(L"HideWhenEmpty", &TDateColumn::HideWhenEmpty, &TDateColumn::SetHideWhenEmpty)
        .Build();
    return info;
}

TDateColumn::TDateColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckDate);
    SetDefaultValue(DateTimeToStr(Today()));
    SetSortType(TSortType::stDate);
}

bool TDateColumn::AcceptsKey(wchar_t c) const { return (c >= L'0' && c <= L'9') || c == LocaleDateSeparator(); }

// --- TGraphicColumn ---
const ui::TClassInfo& TGraphicColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TGraphicColumn>(L"TGraphicColumn", &TCustomColumn::StaticClass())
        .Property(L"BorderWidth", &TGraphicColumn::BorderWidth, &TGraphicColumn::SetBorderWidth)
        .Property(L"Margin", &TGraphicColumn::Margin, &TGraphicColumn::SetMargin)
        .Property(L"Strecht", &TGraphicColumn::Strecht, &TGraphicColumn::SetStrecht)
        .Build();
    return info;
}

TGraphicColumn::TGraphicColumn(ui::TComponent* AOwner) : TCustomColumn(AOwner)
{
    SetCellKind(ckPicture);
    SetSortType(TSortType::stAlphabetic);
}

// These change how pictures sit in their cells, so the strip is repainted (not an empty rectangle).
void TGraphicColumn::SetBorderWidth(int32_t v)
{
    FBorderWidth = v;
    InvalidateStrip();
}

void TGraphicColumn::SetMargin(int32_t v)
{
    FMargin = v;
    InvalidateStrip();
}

void TGraphicColumn::SetStrecht(bool v)
{
    FStrecht = v;
    InvalidateStrip();
}

// --- number masks ---

std::wstring FormatFloat(const std::wstring& fullMask, double value)
{
    std::wstring mask = fullMask.substr(0, fullMask.find(L';'));
    size_t first = mask.find_first_of(L"0#"), last = mask.find_last_of(L"0#");
    if (first == std::wstring::npos)
        return mask;
    std::wstring prefix = mask.substr(0, first), suffix = mask.substr(last + 1);
    std::wstring core = mask.substr(first, last - first + 1);
    size_t point = core.find(L'.');
    std::wstring intPart = core.substr(0, point);
    std::wstring fracPart = point == std::wstring::npos ? L"" : core.substr(point + 1);
    bool grouping = intPart.find(L',') != std::wstring::npos;
    int minInt = 0, minFrac = 0, maxFrac = 0;
    for (wchar_t c : intPart)
        minInt += c == L'0';
    for (wchar_t c : fracPart) {
        if (c == L'0') {
            ++maxFrac;
            minFrac = maxFrac;
        } else if (c == L'#') {
            ++maxFrac;
        }
    }
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.*f", maxFrac, std::fabs(value));
    std::string digits(buffer);
    std::string whole = digits.substr(0, digits.find('.'));
    std::string fraction = maxFrac > 0 ? digits.substr(digits.find('.') + 1) : "";
    while (static_cast<int>(fraction.size()) > minFrac && !fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    if (whole == "0" && minInt == 0)
        whole.clear();
    while (static_cast<int>(whole.size()) < minInt)
        whole.insert(whole.begin(), '0');
    std::wstring out;
    wchar_t thousands = L',';
    wchar_t separatorText[4];
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separatorText, 4) > 1)
        thousands = separatorText[0];
    for (size_t i = 0; i < whole.size(); ++i) {
        if (grouping && i > 0 && (whole.size() - i) % 3 == 0)
            out += thousands;
        out += static_cast<wchar_t>(whole[i]);
    }
    if (!fraction.empty()) {
        out += LocaleDecimalSeparator();
        for (char c : fraction)
            out += static_cast<wchar_t>(c);
    }
    if (out.empty())
        out = L"0";
    bool negative = value < 0 && (whole + fraction).find_first_not_of('0') != std::string::npos;
    return prefix + (negative ? L"-" : L"") + out + suffix;
}

void RegisterIncrementColumn() { ui::RegisterComponentClass(TIncrementColumn::StaticClass()); }

void RegisterColumnClasses()
{
    ui::RegisterComponentClass(TTextualColumn::StaticClass());
    ui::RegisterComponentClass(TCheckBoxColumn::StaticClass());
    ui::RegisterComponentClass(THtmlColumn::StaticClass());
    ui::RegisterComponentClass(TImageColumn::StaticClass());
    ui::RegisterComponentClass(TProgressColumn::StaticClass());
    ui::RegisterComponentClass(TRateColumn::StaticClass());
    ui::RegisterComponentClass(TComboBoxColumn::StaticClass());
    ui::RegisterComponentClass(TNumericColumn::StaticClass());
    ui::RegisterComponentClass(TDateColumn::StaticClass());
    ui::RegisterComponentClass(TGraphicColumn::StaticClass());
}

// ---------------------------------------------------------------------------------------------
// Editor classes

std::wstring TTextualColumn::EditorClassName() const { return L"TTextualEditor"; }
std::wstring TCheckBoxColumn::EditorClassName() const { return L"TCheckBoxEditor"; }
std::wstring TCheckBoxColumn::PlayClassName() const { return L"TCheckBoxColumnPlay"; }
std::wstring TNumericColumn::EditorClassName() const { return L"TSpinEditor"; }
std::wstring TComboBoxColumn::EditorClassName() const { return L"TComboBoxEditor"; }
std::wstring TDateColumn::EditorClassName() const { return L"TDatePickerEditor"; }

TComboBoxColumn::~TComboBoxColumn() { SetImages(nullptr); }

void TComboBoxColumn::SetImages(ui::TImageList* v)
{
    ReplaceReference(this, FImages, v);
}

void TComboBoxColumn::Notification(ui::TComponent* component, ui::TOperation operation)
{
    TTextualColumn::Notification(component, operation);
    if (operation == ui::TOperation::opRemove && component == FImages)
        FImages = nullptr;
}

// ---------------------------------------------------------------------------------------------
// Painter classes and the pictures the drawing columns refer to

std::wstring TTextualColumn::DisplayClassName() const { return L"TTextualColumnDisplay"; }
std::wstring TCheckBoxColumn::DisplayClassName() const { return L"TCheckBoxColumnDisplay"; }
std::wstring THtmlColumn::DisplayClassName() const { return L"THtmlColumnDisplay"; }
std::wstring TImageColumn::DisplayClassName() const { return L"TImageColumnDisplay"; }
std::wstring TProgressColumn::DisplayClassName() const { return L"TProgressColumnDisplay"; }
std::wstring TRateColumn::DisplayClassName() const { return L"TRateColumnDisplay"; }
std::wstring TIncrementColumn::DisplayClassName() const { return L"TIncrementColumnDisplay"; }
std::wstring TNumericColumn::DisplayClassName() const { return L"TNumericColumnDisplay"; }
std::wstring TDateColumn::DisplayClassName() const { return L"TDateColumnDisplay"; }
std::wstring TGraphicColumn::DisplayClassName() const { return L"TGraphicColumnDisplay"; }

void TImageColumn::SetImages(ui::TImageList* v)
{
    if (ReplaceReference(this, FImages, v))
        InvalidateStrip();
}

void TImageColumn::SetMasks(ui::TImageList* v)
{
    if (ReplaceReference(this, FMasks, v))
        InvalidateStrip();
}

void TImageColumn::Notification(ui::TComponent* component, ui::TOperation operation)
{
    TCustomColumn::Notification(component, operation);
    if (operation != ui::TOperation::opRemove)
        return;
    if (component == FImages)
        FImages = nullptr;
    if (component == FMasks)
        FMasks = nullptr;
}

void TRateColumn::SetGlyph(const ui::TBitmap& v)
{
    FGlyph->Assign(v);
    InvalidateStrip();
}

void TRateColumn::SetEmptyGlyph(const ui::TBitmap& v)
{
    FEmptyGlyph->Assign(v);
    InvalidateStrip();
}

void TRateColumn::SetGlyphMask(const ui::TBitmap& v)
{
    FGlyphMask->Assign(v);
    InvalidateStrip();
}

void TRateColumn::SetEmptyGlyphMask(const ui::TBitmap& v)
{
    FEmptyGlyphMask->Assign(v);
    InvalidateStrip();
}

} // namespace grid
