// In-place cell editors: the editor base, the textual editor over the system edit control, and
// the canvas-painted check-box editor.
//
// An editor belongs to its column (created hidden, destroyed with it). The grid opens it over a
// cell, takes its text back and closes it (grid/control/GridEditing.cpp); while open, the grid holds
// its OnEdit, OnEnter, OnExit and OnKeyDown events.
#pragma once

#include "grid/common/GridCommon.h"
#include "grid/data/Columns.h"
#include "ui/controls/Controls.h"

#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <string>

namespace grid {

enum class TEditorBorderStyle { bsNone, bsSingle };
enum class TDropDownStyle { dsDropDown, dsDropDownList };

using TEditEvent = std::function<void(ui::TObject* Sender, const std::wstring& Value)>;
using TCustomPreviewDrawEvent = std::function<void(ui::TObject* Sender, const ui::TRect& PreviewRect)>;

// The screen cursor number of the reversed arrow shown over an editor's left edge.
constexpr ui::TCursor crReversedArrow = 100;

// Base of the in-place editors: a windowed control with an optional one-pixel border, the value
// accessors the grid reads and writes, and the change notifications. Owns its drawing canvas.
class TCellEditor : public ui::TWinControl, public TColumnEditorLink {
    UI_PUBLISHED_CLASS
public:
    explicit TCellEditor(ui::TComponent* AOwner);
    ~TCellEditor() override;

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TEditorBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TEditorBorderStyle v);
    int Margin() const { return FMargin; }
    void SetMargin(int v);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment v);

    // Value accessors: a class that does not implement one raises the abstract-method error.
    virtual bool AsBoolean() const;
    virtual double AsFloat() const;
    virtual double AsDate() const;
    virtual std::wstring AsText() const;
    virtual void SetAsBoolean(bool value);
    virtual void SetAsDate(double value);
    virtual void SetAsFloat(double value);
    virtual void SetAsText(const std::wstring& value);
    // Takes what it needs of the column's settings when the grid opens it; nothing here.
    void PrepareFor(const TCustomColumn&) override {}
    // Puts the caret after the text (textual editors); nothing here.
    virtual void BeginEdit() {}
    virtual void Clear() {}
    virtual void SelectAll() {}

    // Where the keyboard focus went when the editor last lost it (the grid's exit rule asks).
    HWND FocusTarget() const { return FFocusTarget; }

    ui::TNotifyEvent OnChange;
    TEditEvent OnEdit;

    void WndProc(ui::TMessage& message) override;

protected:
    void CreateParams(ui::TCreateParams& params) override;
    // Draws what the platform does not: called after every paint of the window.
    virtual void PaintContent() {}
    virtual void DoChange();
    virtual void DoEdit(const std::wstring& text);
    // The editor's own canvas, bound to its window's device context while painting.
    ui::TCanvas& EditorCanvas() { return *FCanvas; }
    void PaintBorder();

private:
    TAlignment FAlignment = TAlignment::taLeftJustify;
    TEditorBorderStyle FBorderStyle = TEditorBorderStyle::bsSingle;
    int FMargin = 0;
    TVerticalAlignment FVerticalAlignment = TVerticalAlignment::vaMiddle;
    std::unique_ptr<ui::TCanvas> FCanvas;
    HWND FFocusTarget = nullptr;
};

// The text's place inside a textual editor, computed without a window: Margin + 2 from the left,
// client width - Margin - 1 on the right, one font line high placed by the vertical alignment,
// 27 pixels further right with the preview box, and ending `rightReserve` pixels earlier (room
// for a button).
ui::TRect TextualEditorTextRect(int clientWidth, int clientHeight, int margin, TVerticalAlignment vertical,
                                int fontHeight, bool showPreview, int rightReserve);

// Replaces every line break (CR LF, CR or LF) by a blank: a cell holds one line.
std::wstring OneLine(const std::wstring& text);

// An editor over the system edit control (multi-line, so that a formatting rectangle can place
// the one line of text). Enter never reaches the control; neither does any line break.
class TTextualEditor : public TCellEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TTextualEditor(ui::TComponent* AOwner);

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    bool ShowPreview() const { return FShowPreview; }
    void SetShowPreview(bool v);
    TDropDownStyle Style() const { return FStyle; }
    virtual void SetStyle(TDropDownStyle v) { FStyle = v; }

    std::wstring GetText() const override;
    void SetText(const std::wstring& text) override;
    std::wstring Text() const { return GetText(); }

    std::wstring AsText() const override { return GetText(); }
    void SetAsText(const std::wstring& value) override { SetText(value); }
    void BeginEdit() override;
    void Clear() override { SetText(L""); }
    void SelectAll() override;

    // Caret (start of the selection), an empty selection at a position, the selection length.
    int SelStart() const;
    void SetCaret(int position);
    int SelLength() const;
    void Select(int start, int length);

    // The formatting rectangle in client coordinates (what GetTextRect gives the control).
    virtual void GetTextRect(ui::TRect& rect);

    TCustomPreviewDrawEvent OnCustomPreviewDraw;

    void WndProc(ui::TMessage& message) override;

protected:
    void CreateParams(ui::TCreateParams& params) override;
    void CreateHandleDone() override;
    void DestroyWnd() override;
    void Resize() override;
    void KeyPress(wchar_t& key) override;
    void TextChanged() override {}
    bool HandleReflected(ui::TMessage& message) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void PaintContent() override;
    virtual void DrawPreview(const ui::TRect& rect);
    // Pastes the clipboard's text at the caret; the base takes it on one line.
    virtual void PasteText(const std::wstring& clipboard);
    // Inserts text in place of the selection, as typing would.
    void ReplaceSelection(const std::wstring& text);
    // Hands the control its formatting rectangle again (after a resize or a layout change).
    void UpdateTextRect();
    // The pointer came over the editor or left it (buttons inside show a hot look).
    virtual void PointerInside(bool inside) {}

private:
    bool FAutoSelect = true;
    bool FReadOnly = false;
    bool FShowPreview = false;
    TDropDownStyle FStyle = TDropDownStyle::dsDropDown;
    bool FSettingText = false; // our own WM_SETTEXT is reported by SetText itself
    bool FTrackingLeave = false;
    std::optional<std::pair<int, int>> FKeptSelection; // across a re-created window
};

// An editor without a system control: it paints itself on its canvas (PaintContent).
class TCanvasCellEditor : public TCellEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TCanvasCellEditor(ui::TComponent* AOwner);

protected:
    void PaintWindow(HDC dc) override;
};

// A check box in the cell: pressing in the box and releasing in it toggles, as does Space.
class TCheckBoxEditor : public TCanvasCellEditor {
    UI_PUBLISHED_CLASS
public:
    explicit TCheckBoxEditor(ui::TComponent* AOwner);

    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Grayed() const { return FGrayed; }
    void SetGrayed(bool v) { FGrayed = v; }
    bool Pressed() const { return FPressed; }
    bool Hot() const { return FHot; }

    bool AsBoolean() const override { return FChecked; }
    void SetAsBoolean(bool value) override { SetChecked(value); }
    std::wstring AsText() const override { return FChecked ? L"True" : L"False"; }
    void SetAsText(const std::wstring& value) override;
    void BeginEdit() override { Invalidate(); }
    void Clear() override { SetChecked(false); }

    // The box's rectangle in client coordinates.
    ui::TRect BoxRect() const;
    void WndProc(ui::TMessage& message) override;

protected:
    void PaintContent() override;
    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void KeyDown(WORD& key, ui::TShiftState shift) override;
    void KeyUp(WORD& key, ui::TShiftState shift) override;

private:
    bool Themed() const;
    void SetHot(bool v);

    bool FChecked = false;
    bool FGrayed = false;
    bool FPressed = false;
    bool FHot = false;
    bool FSpacePressed = false; // the press came from the Space key
    bool FTrackingLeave = false;
};

} // namespace grid

template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TEditorBorderStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TDropDownStyle>();
