// The numeric editor, the spin editor and its buttons.
#include "grid/editors/NumericEditors.h"

#include "grid/common/GridClassInfo.h"
#include "grid/data/ColumnClasses.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ClassBuilder.h"
#include "ui/controls/MouseLeave.h"

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <cwchar>

namespace grid {

namespace {

bool IsSign(wchar_t c) { return c == L'+' || c == L'-'; }

bool HasSign(const std::wstring& text) { return text.find_first_of(L"+-") != std::wstring::npos; }

} // namespace

// ---------------------------------------------------------------------------------------------
// The rules

bool NumericCharAllowed(wchar_t c, wchar_t separator)
{
    return c == 8 || IsSign(c) || (c >= L'0' && c <= L'9') || c == separator;
}

std::wstring FilterNumericText(const std::wstring& text, wchar_t separator, bool separatorAllowed, bool signAllowed)
{
    std::wstring out;
    bool separatorSeen = false;
    for (size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c == 8 || !NumericCharAllowed(c, separator))
            continue;
        if (c == separator) {
            if (separatorAllowed && !separatorSeen)
                out += c;
            separatorSeen = true;
        } else if (IsSign(c)) {
            if (signAllowed && i == 0)
                out += c;
        } else {
            out += c;
        }
    }
    return out;
}

bool NumericKeyAccepted(wchar_t key, const std::wstring& text, int caret, TEditOptions options, wchar_t separator)
{
    if (options.Contains(TEditOption::eoAllowAll))
        return true;
    if (key == 3 || key == 9 || key == 22 || key == 24)
        return true;
    if (!NumericCharAllowed(key, separator))
        return false;
    if (key == separator)
        return options.Contains(TEditOption::eoAllowFloat) && text.find(separator) == std::wstring::npos;
    if (IsSign(key))
        return options.Contains(TEditOption::eoAllowSigns) && caret == 0 && !HasSign(text);
    return true;
}

double ReadNumericValue(const std::wstring& text, TEditOptions options, const std::wstring& nullText,
                        const std::wstring& textAfter, wchar_t separator)
{
    if (text.empty() || (!nullText.empty() && text == nullText))
        return 0;
    std::wstring number = text;
    // The unit after the number may hold digits of its own (" m2"): it is cut off, not filtered.
    if (!textAfter.empty() && number.size() >= textAfter.size() &&
        number.compare(number.size() - textAfter.size(), textAfter.size(), textAfter) == 0)
        number.erase(number.size() - textAfter.size());
    number = FilterNumericText(number, separator, options.Contains(TEditOption::eoAllowFloat),
                               options.Contains(TEditOption::eoAllowSigns));
    double value = 0;
    // A lone sign or separator is what a user types on the way to a number: it reads as 0.
    if (number.empty() || !TryStrToFloat(number, value))
        return 0;
    return value;
}

std::wstring ShowNumericValue(double value, TEditOptions options, int precision, const std::wstring& nullText,
                              const std::wstring& textAfter, wchar_t separator)
{
    if (value == 0 && !nullText.empty())
        return nullText;
    std::wstring text;
    if (precision > 0 && options.Contains(TEditOption::eoAllowFloat) && std::isfinite(value)) {
        // A fixed format writes every digit of the whole part: up to 309 of them for the
        // largest values, so the buffer is sized by asking first.
        int digits = std::min(precision, 18);
        int length = std::snprintf(nullptr, 0, "%.*f", digits, value);
        std::string buffer(static_cast<size_t>(std::max(length, 0)) + 1, '\0');
        std::snprintf(buffer.data(), buffer.size(), "%.*f", digits, value);
        buffer.resize(static_cast<size_t>(std::max(length, 0)));
        for (char c : buffer)
            text += c == '.' ? separator : static_cast<wchar_t>(c);
    } else {
        text = FloatToStr(value, separator);
    }
    return text + textAfter;
}

std::wstring NumericPasteText(const std::wstring& clipboard, const std::wstring& remaining, int caret,
                              TEditOptions options, wchar_t separator)
{
    if (options.Contains(TEditOption::eoAllowAll))
        return OneLine(clipboard);
    bool separatorAllowed = options.Contains(TEditOption::eoAllowFloat) && remaining.find(separator) == std::wstring::npos;
    bool signAllowed = options.Contains(TEditOption::eoAllowSigns) && caret == 0 && !HasSign(remaining);
    return FilterNumericText(clipboard, separator, separatorAllowed, signAllowed);
}

// ---------------------------------------------------------------------------------------------
// Class information

const ui::TClassInfo& TNumericEditor::StaticClass()
{
    using C = TNumericEditor;
    static const ui::TClassInfo info = ui::TClassBuilder<C>(L"TNumericEditor", &TTextualEditor::StaticClass())
        .Property(L"Max", &C::Max, &C::SetMax)
        .Property(L"Min", &C::Min, &C::SetMin)
        .Property(L"NullText", &C::NullText, &C::SetNullText)
        .Property(L"Options", &C::Options, &C::SetOptions)
        .Property(L"Precision", &C::Precision, &C::SetPrecision)
        .Property(L"TextAfter", &C::TextAfter, &C::SetTextAfter)
        .Property(L"Value", &C::Value, &C::SetValue)
        .Build();
    return info;
}

GRID_PLAIN_CLASS(TSpinButtons, ui::TCustomControl)

const ui::TClassInfo& TSpinEditor::StaticClass()
{
    static const ui::TClassInfo info = ui::TClassBuilder<TSpinEditor>(L"TSpinEditor", &TNumericEditor::StaticClass())
        .Property(L"Increment", &TSpinEditor::Increment, &TSpinEditor::SetIncrement)
        .Build();
    return info;
}

// ---------------------------------------------------------------------------------------------
// TNumericEditor

TNumericEditor::TNumericEditor(ui::TComponent* AOwner) : TTextualEditor(AOwner) {}

double TNumericEditor::Value() const
{
    return ReadNumericValue(GetText(), FOptions, FNullText, FTextAfter, LocaleDecimalSeparator());
}

void TNumericEditor::SetValue(double v)
{
    SetText(ShowNumericValue(v, FOptions, FPrecision, FNullText, FTextAfter, LocaleDecimalSeparator()));
}

void TNumericEditor::SetPrecision(int v)
{
    double value = Value();
    FPrecision = v;
    SetValue(value);
}

void TNumericEditor::SetTextAfter(const std::wstring& v)
{
    // The value is read with the old text after, which the shown text still ends with.
    double value = Value();
    FTextAfter = v;
    if (!FOptions.Contains(TEditOption::eoAllowAll))
        SetValue(value);
}

void TNumericEditor::SetNullText(const std::wstring& v)
{
    double value = Value();
    FNullText = v;
    SetValue(value);
}

void TNumericEditor::Assign(const ui::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TNumericEditor*>(&source)) {
        FMax = other->FMax;
        FMin = other->FMin;
        FNullText = other->FNullText;
        FOptions = other->FOptions;
        FPrecision = other->FPrecision;
        SetValue(other->Value());
        return;
    }
    TTextualEditor::Assign(source);
}

void TNumericEditor::CreateHandleDone()
{
    double value = Value();
    TTextualEditor::CreateHandleDone();
    SetValue(value);
}

void TNumericEditor::KeyPress(wchar_t& key)
{
    if (!NumericKeyAccepted(key, GetText(), SelStart(), FOptions, LocaleDecimalSeparator()))
        key = 0;
    if (key != 0)
        TTextualEditor::KeyPress(key);
}

void TNumericEditor::PasteText(const std::wstring& clipboard)
{
    std::wstring text = GetText();
    int start = SelStart();
    std::wstring remaining = text;
    remaining.erase(static_cast<size_t>(start), static_cast<size_t>(SelLength()));
    ReplaceSelection(NumericPasteText(clipboard, remaining, start, FOptions, LocaleDecimalSeparator()));
    SetCaret(start);
}

void TNumericEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_KILLFOCUS:
        // The shown text is tidied before anyone who reacts to the focus leaving reads it.
        if (!FOptions.Contains(TEditOption::eoAllowAll))
            SetValue(Value());
        break;
    case WM_GETDLGCODE:
        TTextualEditor::WndProc(message);
        message.Result |= DLGC_WANTARROWS;
        return;
    default:
        break;
    }
    TTextualEditor::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TSpinButtons

TSpinButtons::TSpinButtons(ui::TComponent* AOwner)
    : ui::TCustomControl(AOwner), FDelay(new ui::TTimer(this)), FRepeat(new ui::TTimer(this))
{
    FDelay->SetEnabled(false);
    FDelay->SetInterval(400);
    FDelay->SetOnTimer([this](ui::TObject*) { DelayElapsed(); });
    FRepeat->SetEnabled(false);
    FRepeat->SetInterval(20);
    FRepeat->SetOnTimer([this](ui::TObject*) { RepeatElapsed(); });
}

void TSpinButtons::SetHotParts(int v)
{
    if (v == FHot)
        return;
    FHot = v;
    Invalidate();
}

void TSpinButtons::DoSpin(int part)
{
    if (OnSpin)
        OnSpin(this, part);
}

void TSpinButtons::Press(int part)
{
    if (part == spNone || part == FPressed)
        return;
    FPressed = part;
    Invalidate();
    FRepeat->SetEnabled(false);
    FDelay->SetEnabled(false);
    FDelay->SetEnabled(true);
    DoSpin(part);
}

void TSpinButtons::Release()
{
    FDelay->SetEnabled(false);
    FRepeat->SetEnabled(false);
    if (FPressed == spNone)
        return;
    FPressed = spNone;
    Invalidate();
}

void TSpinButtons::DelayElapsed()
{
    FDelay->SetEnabled(false);
    if (FPressed != spNone)
        FRepeat->SetEnabled(true);
}

void TSpinButtons::RepeatElapsed()
{
    if (FPressed == spNone) {
        FRepeat->SetEnabled(false);
        return;
    }
    DoSpin(FPressed);
}

void TSpinButtons::MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseDown(button, shift, x, y);
    if (button == ui::TMouseButton::mbLeft)
        Press(y < Height() / 2 ? spUp : spDown);
}

void TSpinButtons::MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseUp(button, shift, x, y);
    if (button == ui::TMouseButton::mbLeft)
        Release();
}

void TSpinButtons::MouseMove(ui::TShiftState shift, int x, int y)
{
    ui::TCustomControl::MouseMove(shift, x, y);
    ui::TrackMouseLeave(HandleAllocated() ? Handle() : nullptr, FTrackingLeave);
    SetHotParts(y < Height() / 2 ? spUp : spDown);
}

void TSpinButtons::Paint()
{
    ui::TCanvas& c = Canvas();
    int w = Width(), h = Height();
    ui::TRect up = ui::Rect(0, -1, w, h / 2), down = ui::Rect(0, h / 2, w, h);
    if (ThemesActive()) {
        auto state = [this](int part) { return FPressed == part ? 3 : (FHot & part) ? 2 : 1; };
        DrawThemePart(Handle(), c.Handle(), up, state(spUp), 1, L"spin");
        DrawThemePart(Handle(), c.Handle(), down, state(spDown), 2, L"spin");
        return;
    }
    DrawFrameControl(c.Handle(), &up, DFC_SCROLL, DFCS_SCROLLUP | DFCS_ADJUSTRECT | (FPressed == spUp ? DFCS_PUSHED : 0));
    DrawFrameControl(c.Handle(), &down, DFC_SCROLL,
                     DFCS_SCROLLDOWN | DFCS_ADJUSTRECT | (FPressed == spDown ? DFCS_PUSHED : 0));
}

void TSpinButtons::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_ERASEBKGND:
        message.Result = 1;
        return;
    case WM_MOUSELEAVE:
        FTrackingLeave = false;
        SetHotParts(0);
        break;
    case WM_CAPTURECHANGED:
        // A release that never arrives (the capture taken away) must not leave it spinning.
        Release();
        break;
    default:
        break;
    }
    ui::TCustomControl::WndProc(message);
}

// ---------------------------------------------------------------------------------------------
// TSpinEditor

TSpinEditor::TSpinEditor(ui::TComponent* AOwner) : TNumericEditor(AOwner), FButtons(new TSpinButtons(this))
{
    FButtons->SetParent(this);
    FButtons->OnSpin = [this](ui::TObject*, int part) { Spin(part); };
    SetPrecision(0);
    SetValue(0);
}

void TSpinEditor::Spin(int part)
{
    double value = Value();
    if (part == spUp) {
        if (Max() > 0 && value + FIncrement > Max())
            return;
        SetValue(value + FIncrement);
    } else if (part == spDown) {
        if (value - FIncrement >= Min())
            SetValue(value - FIncrement);
    }
}

void TSpinEditor::PlaceButtons()
{
    int width = GetSystemMetrics(SM_CXVSCROLL);
    bool border = BorderStyle() == TEditorBorderStyle::bsSingle;
    FButtons->SetBounds(ClientWidth() - width, border ? 1 : 0, width, border ? ClientHeight() - 1 : ClientHeight() + 1);
}

void TSpinEditor::GetTextRect(ui::TRect& rect)
{
    TNumericEditor::GetTextRect(rect);
    rect.right = std::min<LONG>(rect.right, ClientWidth() - GetSystemMetrics(SM_CXVSCROLL));
}

void TSpinEditor::CreateHandleDone()
{
    TNumericEditor::CreateHandleDone();
    PlaceButtons();
    UpdateTextRect();
}

void TSpinEditor::Resize()
{
    PlaceButtons();
    TNumericEditor::Resize();
}

void TSpinEditor::KeyDown(WORD& key, ui::TShiftState shift)
{
    TNumericEditor::KeyDown(key, shift);
    if (key == VK_UP || key == VK_DOWN) {
        FButtons->Press(key == VK_UP ? spUp : spDown);
        key = 0;
    }
}

void TSpinEditor::KeyUp(WORD& key, ui::TShiftState shift)
{
    TNumericEditor::KeyUp(key, shift);
    FButtons->Release();
}

void TSpinEditor::WndProc(ui::TMessage& message)
{
    switch (message.Msg) {
    case WM_MOUSEWHEEL: {
        int part = GET_WHEEL_DELTA_WPARAM(message.WParam) < 0 ? spDown : spUp;
        FButtons->Press(part);
        FButtons->Release();
        message.Result = 0;
        return;
    }
    case WM_KILLFOCUS:
        FButtons->Release();
        break;
    default:
        break;
    }
    TNumericEditor::WndProc(message);
}

void TNumericEditor::PrepareFor(const TCustomColumn& column)
{
    if (auto* numeric = dynamic_cast<const TNumericColumn*>(&column)) {
        SetMin(numeric->Min());
        SetMax(numeric->Max());
    }
}

} // namespace grid

template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TEditOption>()
{
    static const TEnumInfo info{L"TEditOption", {L"eoAllowAll", L"eoAllowFloat", L"eoAllowSigns"}};
    return info;
}
