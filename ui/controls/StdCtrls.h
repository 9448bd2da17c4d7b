// Standard controls: labels, one-line edits, memos and group boxes.
#pragma once

#include "ui/controls/Controls.h"

#include <string>
#include <vector>

namespace ui {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };
enum class TTextLayout { tlTop, tlCenter, tlBottom };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// A caption without a window, painted by its parent. With AutoSize it sizes itself to its
// text whenever the text or the font changes; without, it keeps the size it was given.
class TLabel : public TGraphicControl {
    UI_PUBLISHED_CLASS
public:
    explicit TLabel(TComponent* AOwner);

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TTextLayout Layout() const { return FLayout; }
    void SetLayout(TTextLayout v);
    // Without a background the parent shows through the label.
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    // "&" marks the next letter as an accelerator (underlined); "&&" is an ampersand.
    bool ShowAccelChar() const { return FShowAccelChar; }
    void SetShowAccelChar(bool v);

    // The DrawText flags the label paints with.
    UINT TextFlags() const;

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;
    void Loaded() override;

private:
    void AdjustBounds();

    bool FAutoSize = true;
    TAlignment FAlignment = TAlignment::taLeftJustify;
    TTextLayout FLayout = TTextLayout::tlTop;
    bool FTransparent = false;
    bool FWordWrap = false;
    bool FShowAccelChar = true;
};

// The system edit control, one line or (TMemo) several. The window holds the text while it
// exists; OnChange follows every change of the text, typed or set by the program.
class TCustomEdit : public TWinControl {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomEdit(TComponent* AOwner);

    std::wstring GetText() const override;
    void SetText(const std::wstring& text) override;
    const std::wstring Text() const { return GetText(); }

    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);

    void SelectAll();
    int SelStart() const;
    int SelLength() const;
    void SetSelStart(int v);
    void SetSelLength(int v);
    std::wstring SelText() const;

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    void CreateParams(TCreateParams& params) override;
    void CreateHandleDone() override;
    void TextChanged() override;
    bool HandleReflected(TMessage& message) override;

private:
    bool FReadOnly = false;
    int FMaxLength = 0;
    bool FSettingText = false; // our own WM_SETTEXT: its EN_CHANGE is not a second change
};

class TEdit : public TCustomEdit {
    UI_PUBLISHED_CLASS
public:
    explicit TEdit(TComponent* AOwner);
};

class TMemo;

// The lines of a memo, read from and written to its text (lines end with CR LF; a final line
// break does not start another line).
class TMemoLines {
public:
    explicit TMemoLines(TMemo& memo) : FMemo(memo) {}
    int Count() const;
    std::wstring Strings(int index) const;
    std::wstring operator[](int index) const { return Strings(index); }
    int Add(const std::wstring& line);
    void Insert(int index, const std::wstring& line);
    void Delete(int index);
    void Clear();
    void SetStrings(int index, const std::wstring& line);
    std::vector<std::wstring> ToVector() const;
    void Assign(const std::vector<std::wstring>& lines);
    std::wstring Text() const;
    void SetText(const std::wstring& text);

private:
    TMemo& FMemo;
};

class TMemo : public TCustomEdit {
    UI_PUBLISHED_CLASS
public:
    explicit TMemo(TComponent* AOwner);

    TMemoLines& Lines() { return FLines; }
    std::vector<std::wstring> LinesList() const { return FLines.ToVector(); }
    void SetLinesList(const std::vector<std::wstring>& lines) { FLines.Assign(lines); }

    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool WantReturns() const { return FWantReturns; }
    void SetWantReturns(bool v) { FWantReturns = v; }

    // Splits text into lines and joins them again (the memo's rules; used by TMemoLines).
    static std::vector<std::wstring> SplitLines(const std::wstring& text);
    static std::wstring JoinLines(const std::vector<std::wstring>& lines);

protected:
    void CreateParams(TCreateParams& params) override;

private:
    TMemoLines FLines{*this};
    TScrollStyle FScrollBars = TScrollStyle::ssNone;
    bool FWordWrap = true;
    bool FWantReturns = true;
};

// A frame with a caption that holds other controls; docked children share the area inside the
// frame, below the caption band.
class TGroupBox : public TCustomControl {
    UI_PUBLISHED_CLASS
public:
    explicit TGroupBox(TComponent* AOwner);
    void AdjustClientRect(TRect& rect) override;
    // Height of the caption band: the font's character cell.
    int CaptionHeight() const;

protected:
    void Paint() override;
    void FontChanged() override;
    void TextChanged() override;
};

// The selection of an edit control window: its start and end (the caret is at the start).
void EditSelection(HWND wnd, int& start, int& end);

// The height of a text line in a font, as text measurement gives it.
int FontLineHeight(TFont& font);

} // namespace ui

template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TAlignment>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TTextLayout>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<ui::TScrollStyle>();
