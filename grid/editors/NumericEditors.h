// Number editors: the numeric editor (typing rules, precision, null text, text after) and the
// spin editor with its up and down buttons. The typing and reading rules are plain functions,
// so they are tested without a window.
#pragma once

#include "grid/editors/CellEditors.h"
#include "ui/controls/ExtCtrls.h"

#include <string>

namespace grid {

enum class TEditOption { eoAllowAll, eoAllowFloat, eoAllowSigns };
using TEditOptions = ui::TSet<TEditOption>;

// --- the rules, without a window ---

// Backspace, "+", "-", the digits and the decimal separator `separator`.
bool NumericCharAllowed(wchar_t c, wchar_t separator);
// Keeps the allowed characters; of the separators only the first, and only with
// separatorAllowed; a sign only as the first character and only with signAllowed.
std::wstring FilterNumericText(const std::wstring& text, wchar_t separator, bool separatorAllowed, bool signAllowed);
// Whether a typed character goes on to the edit control, for a text with the caret at `caret`.
bool NumericKeyAccepted(wchar_t key, const std::wstring& text, int caret, TEditOptions options, wchar_t separator);
// The value a text stands for: 0 for an empty text, the null text, or a text with no number
// in it (a lone sign or separator); the text after the number is not part of it.
double ReadNumericValue(const std::wstring& text, TEditOptions options, const std::wstring& nullText,
                        const std::wstring& textAfter, wchar_t separator);
// The text that shows a value: the null text for 0 when there is one; else fixed-point with
// `precision` decimals (with eoAllowFloat and precision > 0) or the general format, then
// `textAfter`.
std::wstring ShowNumericValue(double value, TEditOptions options, int precision, const std::wstring& nullText,
                              const std::wstring& textAfter, wchar_t separator);
// What a paste inserts: the clipboard's text filtered as typing would allow it where it goes
// (`remaining` is the text without the selection, `caret` where the paste lands). Under
// eoAllowAll the text is taken on one line as it is.
std::wstring NumericPasteText(const std::wstring& clipboard, const std::wstring& remaining, int caret,
                              TEditOptions options, wchar_t separator);

// A textual editor for numbers. Max and Min bound nothing here (the spin editor uses them).
class TNumericEditor : public TTextualEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TNumericEditor(ui::TComponent* AOwner);
    // A numeric column's Min and Max.
    void PrepareFor(const TCustomColumn& column) override;

    double Max() const { return FMax; }
    void SetMax(double v) { FMax = v; }
    double Min() const { return FMin; }
    void SetMin(double v) { FMin = v; }
    const std::wstring& NullText() const { return FNullText; }
    void SetNullText(const std::wstring& v);
    TEditOptions Options() const { return FOptions; }
    void SetOptions(TEditOptions v) { FOptions = v; }
    int Precision() const { return FPrecision; }
    void SetPrecision(int v);
    const std::wstring& TextAfter() const { return FTextAfter; }
    void SetTextAfter(const std::wstring& v);
    double Value() const;
    void SetValue(double v);

    double AsFloat() const override { return Value(); }
    void SetAsFloat(double value) override { SetValue(value); }
    void Assign(const ui::TPersistent& source) override;

    void WndProc(ui::TMessage& message) override;

protected:
    void CreateHandleDone() override;
    void KeyPress(wchar_t& key) override;
    void PasteText(const std::wstring& clipboard) override;

private:
    double FMax = 0;
    double FMin = 0;
    std::wstring FNullText;
    TEditOptions FOptions{TEditOption::eoAllowFloat, TEditOption::eoAllowSigns};
    int FPrecision = 2;
    std::wstring FTextAfter;
};

// Which spin button part: none, up, down.
enum TSpinPart { spNone = 0, spUp = 1, spDown = 2 };
using TSpinEvent = std::function<void(ui::TObject* Sender, int Part)>;

// The up and down buttons of a spin editor. A press spins once at once, again after 400 ms and
// then every 20 ms until the release.
class TSpinButtons : public ui::TCustomControl {
    UI_PUBLISHED_CLASS
public:
    explicit TSpinButtons(ui::TComponent* AOwner);

    int PressedPart() const { return FPressed; }
    int HotParts() const { return FHot; } // bit 1 up, bit 2 down
    void SetHotParts(int v);
    // Presses a part: one spin now, the delay timer started. Pressing the part already held
    // does nothing (a held key's autorepeat must not add spins to the timer's).
    void Press(int part);
    void Release();
    ui::TTimer* DelayTimer() const { return FDelay; }
    ui::TTimer* RepeatTimer() const { return FRepeat; }

    TSpinEvent OnSpin;

    void WndProc(ui::TMessage& message) override;

protected:
    void Paint() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;

private:
    void DelayElapsed();
    void RepeatElapsed();
    void DoSpin(int part);

    int FPressed = spNone;
    int FHot = 0;
    bool FTrackingLeave = false;
    ui::TTimer* FDelay;
    ui::TTimer* FRepeat;
};

// A numeric editor with spin buttons at its right edge; Up and Down (keys, buttons or wheel)
// add or take Increment within Min and, when positive, Max.
class TSpinEditor : public TNumericEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TSpinEditor(ui::TComponent* AOwner);

    double Increment() const { return FIncrement; }
    void SetIncrement(double v) { FIncrement = v; }
    TSpinButtons* Buttons() const { return FButtons; }
    void Spin(int part);

    void GetTextRect(ui::TRect& rect) override;
    void WndProc(ui::TMessage& message) override;

protected:
    void CreateHandleDone() override;
    void Resize() override;
    void KeyDown(WORD& key, ui::TShiftState shift) override;
    void KeyUp(WORD& key, ui::TShiftState shift) override;
    void PointerInside(bool inside) override { FButtons->SetHotParts(inside ? 3 : 0); }

private:
    void PlaceButtons();

    double FIncrement = 1.0;
    TSpinButtons* FButtons;
};

} // namespace grid

template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TEditOption>();
