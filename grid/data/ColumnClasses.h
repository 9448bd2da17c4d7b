// The column class family: each class differs in the kind of value its cells hold, its editor,
// painter and in-cell element classes, its defaults, its text formatting and key filter, and the
// stored properties it adds.
#pragma once

#include "grid/data/Columns.h"
#include "ui/graphics/ImgList.h"

#include <memory>

#include <string>
#include <vector>

namespace grid {

// Plain text with optional text before and after it. The application's columns.
class TTextualColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TTextualColumn(ui::TComponent* AOwner);
    std::wstring EditorClassName() const override;
    std::wstring DisplayClassName() const override;
    std::wstring FormatText(const std::wstring& text) const override { return FTextBefore + text + FTextAfter; }
    // Space and control characters do not open the editor.
    bool AcceptsKey(wchar_t c) const override { return c > 32; }

    bool AutoExecute() const { return FAutoExecute; }
    void SetAutoExecute(bool v) { FAutoExecute = v; }
    const std::wstring& TextAfter() const { return FTextAfter; }
    void SetTextAfter(const std::wstring& v) { FTextAfter = v; }
    const std::wstring& TextBefore() const { return FTextBefore; }
    void SetTextBefore(const std::wstring& v) { FTextBefore = v; }

private:
    bool FAutoExecute = false;
    std::wstring FTextAfter;
    std::wstring FTextBefore;
};

// A clickable check box in each cell.
class TCheckBoxColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TCheckBoxColumn(ui::TComponent* AOwner);
    std::wstring EditorClassName() const override;
    std::wstring DisplayClassName() const override;
    std::wstring PlayClassName() const override;
};

// Text with simple markup.
class THtmlColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit THtmlColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
};

// An image of an image list, chosen by the cell's integer.
class TImageColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TImageColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
    bool Masked() const { return FMasked; }
    void SetMasked(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }
    // The image lists are references: the column does not own them.
    ui::TImageList* Images() const { return FImages; }
    void SetImages(ui::TImageList* v);
    ui::TImageList* Masks() const { return FMasks; }
    void SetMasks(ui::TImageList* v);

protected:
    void Notification(ui::TComponent* component, ui::TOperation operation) override;

private:
    bool FMasked = false;
    bool FTransparent = true;
    ui::TImageList* FImages = nullptr;
    ui::TImageList* FMasks = nullptr;
};

// A bar showing the cell's number against Max.
class TProgressColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TProgressColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor v) { FBorderColor = v; }
    bool HideWhenEmpty() const { return FHideWhenEmpty; }
    void SetHideWhenEmpty(bool v);
    int32_t Margin() const { return FMargin; }
    void SetMargin(int32_t v) { FMargin = v; }
    int32_t Max() const { return FMax; }
    void SetMax(int32_t v) { FMax = v; }
    TColor ProgressColor() const { return FProgressColor; }
    void SetProgressColor(TColor v);
    TProgressStyle ProgressStyle() const { return FProgressStyle; }
    void SetProgressStyle(TProgressStyle v);
    bool ShowText() const { return FShowText; }
    void SetShowText(bool v) { FShowText = v; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; }

private:
    TColor FBorderColor = RGBColor(128, 128, 128);
    bool FHideWhenEmpty = false;
    int32_t FMargin = 2;
    int32_t FMax = 100;
    TColor FProgressColor = clHighlight;
    TProgressStyle FProgressStyle = TProgressStyle::psSolid;
    bool FShowText = false;
    bool FTransparent = false;
};

// A row of glyphs, as many filled as the cell's integer.
class TRateColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TRateColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
    bool HideWhenEmpty() const { return FHideWhenEmpty; }
    void SetHideWhenEmpty(bool v);
    bool Masked() const { return FMasked; }
    void SetMasked(bool v);
    int32_t Max() const { return FMax; }
    void SetMax(int32_t v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    // Owned pictures, copied on set.
    ui::TBitmap* Glyph() { return FGlyph.get(); }
    ui::TBitmap* EmptyGlyph() { return FEmptyGlyph.get(); }
    ui::TBitmap* GlyphMask() { return FGlyphMask.get(); }
    ui::TBitmap* EmptyGlyphMask() { return FEmptyGlyphMask.get(); }
    void SetGlyph(const ui::TBitmap& v);
    void SetEmptyGlyph(const ui::TBitmap& v);
    void SetGlyphMask(const ui::TBitmap& v);
    void SetEmptyGlyphMask(const ui::TBitmap& v);

private:
    std::unique_ptr<ui::TBitmap> FGlyph = std::make_unique<ui::TBitmap>();
    std::unique_ptr<ui::TBitmap> FEmptyGlyph = std::make_unique<ui::TBitmap>();
    std::unique_ptr<ui::TBitmap> FGlyphMask = std::make_unique<ui::TBitmap>();
    std::unique_ptr<ui::TBitmap> FEmptyGlyphMask = std::make_unique<ui::TBitmap>();
    bool FHideWhenEmpty = false;
    bool FMasked = false;
    int32_t FMax = 5;
    bool FTransparent = false;
};

// Text chosen from a list.
class TComboBoxColumn : public TTextualColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TComboBoxColumn(ui::TComponent* AOwner);
    ~TComboBoxColumn() override;
    std::wstring EditorClassName() const override;
    // The image list is a reference: the column does not own it.
    ui::TImageList* Images() const { return FImages; }
    void SetImages(ui::TImageList* v);
    int32_t DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int32_t v) { FDropDownCount = v; }
    const std::vector<std::wstring>& Items() const { return FItems; }
    void SetItems(const std::vector<std::wstring>& v) { FItems = v; }
    bool ShowImages() const { return FShowImages; }
    void SetShowImages(bool v) { FShowImages = v; }
    TCompoBoxStyle Style() const { return FStyle; }
    void SetStyle(TCompoBoxStyle v) { FStyle = v; }

private:
    int32_t FDropDownCount = 8;
    std::vector<std::wstring> FItems;
    bool FShowImages = false;
    TCompoBoxStyle FStyle = TCompoBoxStyle::cbsDropDown;
    ui::TImageList* FImages = nullptr;

protected:
    void Notification(ui::TComponent* component, ui::TOperation operation) override;
};

// Shows the row's ordinal.
class TIncrementColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TIncrementColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
};

// A number, optionally formatted by a mask, followed by TextAfter.
class TNumericColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TNumericColumn(ui::TComponent* AOwner);
    std::wstring EditorClassName() const override;
    std::wstring DisplayClassName() const override;
    std::wstring FormatText(const std::wstring& text) const override;
    bool AcceptsKey(wchar_t c) const override;

    const std::wstring& FormatMask() const { return FFormatMask; }
    void SetFormatMask(const std::wstring& v) { FFormatMask = v; }
    double Max() const { return FMax; }
    void SetMax(double v) { FMax = v; }
    double Min() const { return FMin; }
    void SetMin(double v) { FMin = v; }
    const std::wstring& TextAfter() const { return FTextAfter; }
    void SetTextAfter(const std::wstring& v) { FTextAfter = v; }

private:
    std::wstring FFormatMask;
    double FMax = 0;
    double FMin = 0;
    std::wstring FTextAfter;
};

// A date and time.
class TDateColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TDateColumn(ui::TComponent* AOwner);
    std::wstring EditorClassName() const override;
    std::wstring DisplayClassName() const override;
    bool AcceptsKey(wchar_t c) const override;
    const std::wstring& EmptyCaption() const { return FEmptyCaption; }
    void SetEmptyCaption(const std::wstring& v) { FEmptyCaption = v; }
    bool HideWhenEmpty() const { return FHideWhenEmpty; }
    void SetHideWhenEmpty(bool v) { FHideWhenEmpty = v; }

private:
    std::wstring FEmptyCaption;
    bool FHideWhenEmpty = false;
};

// A picture referenced by the cell's data value.
class TGraphicColumn : public TCustomColumn {
    UI_PUBLISHED_CLASS
public:
    explicit TGraphicColumn(ui::TComponent* AOwner);
    std::wstring DisplayClassName() const override;
    int32_t BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int32_t v);
    int32_t Margin() const { return FMargin; }
    void SetMargin(int32_t v);
    bool Strecht() const { return FStrecht; }
    void SetStrecht(bool v);

private:
    int32_t FBorderWidth = 1;
    int32_t FMargin = 4;
    bool FStrecht = false;
};

// Formats a number by a mask of '0' (digit always), '#' (digit if any), '.' (decimal point),
// ',' (thousands grouping) and literal text; the locale's separators are used in the output.
std::wstring FormatFloat(const std::wstring& mask, double value);

// Registers the column classes with the description reader.
void RegisterIncrementColumn();
void RegisterColumnClasses();

} // namespace grid
