// Grid columns: the column object with its header, footer and slide bounds, and the collection
// that keeps the columns in creation order (their index, how cells are addressed) and in display
// order (their Position).
#pragma once

#include "grid/common/GridCommon.h"
#include "ui/core/Classes.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace grid {

class TColumns;
class TCustomColumn;

// What a column's editor offers the column: it takes the column's settings (items, limits,
// style) when the grid opens it. The editors implement it; the columns never see their classes.
class TColumnEditorLink {
public:
    virtual void PrepareFor(const TCustomColumn& column) = 0;

protected:
    ~TColumnEditorLink() = default;
};
class TCustomGridViewControl;
class TGridHost;

enum class TWrapKind { wkNone, wkEllipsis, wkWordWrap };
enum class TDrawingOptions { doNormal, doBackgroundOnly, doCustom, doCustomOnly };
enum class TFormulaKind { fkNone, fkAverage, fkMaximum, fkMinimum, fkSum };
enum class TDisplayMode { dmImageOnly, dmTextAndImage, dmTextOnly };
enum class TSortKind { skAscending, skDescending };
enum class TSortType { stAlphabetic, stBoolean, stNumeric, stDate, stIP };
enum class TColumnOption {
    coAutoSize, coCanClick, coCanSort, coEditing, coCanInput, coEditorAutoSelect, coFixedSize,
    coImageForIcon, coDontHighlight, coPublicUsing, coSearchColumn, coShowTextFitHint, coTextForCaption
};
using TColumnOptions = ui::TSet<TColumnOption>;
enum class TProgressStyle { psSolid, psGradient, psCylinder };
enum class TCompoBoxStyle { cbsDropDown, cbsDropDownList };

// Which kind of value a column's cells hold; chooses the cell class and what the painter draws.
enum TCellKind : uint8_t {
    ckRowNumber = 0, ckPicture = 2, ckBoolean = 3, ckDate = 4, ckFloat = 5, ckInteger = 6, ckText = 7
};

// What a column reports to its collection when it changes; the grid repaints accordingly.
enum TColumnChangeKind {
    ccUnnamedText = 0, ccInputText = 1, ccPosition = 2, ccSort = 3, ccAppearance = 4, ccVisibility = 5,
    ccWidth = 6
};

// Structure actions that the collection reports to the cell store (the store's list slots
// follow the columns' indices).
enum TStructureAction { saAdded = 0, saRemoved = 1, saCleared = 2, saInserted = 3, saMoved = 4 };

using TColumnChangeEvent = std::function<void(ui::TObject* Sender, TCustomColumn* Column, int Kind)>;
using TStructureChangeEvent = std::function<void(ui::TObject* Sender, int Action, int Index1, int Index2)>;

// The part of a column shown above (header) or below (footer) its cells.
class TColumnPart : public ui::TPersistent {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnPart(TCustomColumn* column, TColor color) : FColumn(column), FColor(color) {}

    const std::wstring& Caption() const { return FCaption; }
    void SetCaption(const std::wstring& v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TCustomColumn* Column() const { return FColumn; }

    void Assign(const ui::TPersistent& source) override;

    // Raised after any property is set; the owning column turns it into an appearance change.
    ui::TNotifyEvent OnChange;

protected:
    void Changed();

private:
    TCustomColumn* FColumn;
    std::wstring FCaption;
    TColor FColor;
};

// The header owns its glyph; whenever the glyph's picture changes it becomes transparent, the
// bottom-left pixel giving the transparent colour.
class TColumnHeader : public TColumnPart {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnHeader(TCustomColumn* column);
    TDisplayMode DisplayMode() const { return FDisplayMode; }
    void SetDisplayMode(TDisplayMode v);
    ui::TBitmap* Glyph() { return FGlyph.get(); }
    const ui::TBitmap* Glyph() const { return FGlyph.get(); }
    // Copies the given picture.
    void SetGlyph(const ui::TBitmap& v) { FGlyph->Assign(v); }
    void Assign(const ui::TPersistent& source) override;

private:
    void GlyphChanged();

    TDisplayMode FDisplayMode = TDisplayMode::dmTextOnly;
    std::unique_ptr<ui::TBitmap> FGlyph = std::make_unique<ui::TBitmap>();
    std::wstring FGlyphName; // the file a description named for the glyph
    bool FAdjustingGlyph = false;
};

class TColumnFooter : public TColumnPart {
    UI_PUBLISHED_CLASS
public:
    explicit TColumnFooter(TCustomColumn* column) : TColumnPart(column, clWindow) {}
    TFormulaKind FormulaKind() const { return FFormulaKind; }
    void SetFormulaKind(TFormulaKind v);
    void Assign(const ui::TPersistent& source) override;

    // Two values for user code; not stored and not used by the grid.
    int32_t Value1 = 0;
    int32_t Value2 = 0;

private:
    TFormulaKind FFormulaKind = TFormulaKind::fkNone;
};

// The rectangle of a column's cell inside one slide (slides grid style). Plain stored values.
class TSlideBounds : public ui::TPersistent {
    UI_PUBLISHED_CLASS
public:
    int32_t Height() const { return FHeight; }
    void SetHeight(int32_t v) { FHeight = v; }
    int32_t Left() const { return FLeft; }
    void SetLeft(int32_t v) { FLeft = v; }
    int32_t Top() const { return FTop; }
    void SetTop(int32_t v) { FTop = v; }
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t v) { FWidth = v; }
    void Assign(const ui::TPersistent& source) override;

private:
    int32_t FHeight = 0, FLeft = 0, FTop = 0, FWidth = 0;
};

// One column of a grid: how the cells beneath it look and behave. Owned by the grid's TColumns;
// owns its header, footer, slide bounds and (once created) its editor, painter and element.
// Before it joins a collection (while it is read from a description) its setters only store.
class TCustomColumn : public ui::TComponent {
    UI_PUBLISHED_CLASS
public:
    explicit TCustomColumn(ui::TComponent* AOwner);
    ~TCustomColumn() override;

    // --- stored properties, in stored order ---
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int16_t Cursor() const { return FCursor; }
    void SetCursor(int16_t v);
    const std::wstring& DefaultValue() const { return FDefaultValue; }
    void SetDefaultValue(const std::wstring& v) { FDefaultValue = v; }
    TDrawingOptions DrawingOptions() const { return FDrawingOptions; }
    void SetDrawingOptions(TDrawingOptions v);
    int32_t DefaultWidth() const { return FDefaultWidth; }
    void SetDefaultWidth(int32_t v) { FDefaultWidth = v; }
    ui::TFont* Font() { return FFont.get(); }
    const ui::TFont* Font() const { return FFont.get(); }
    // Copies the given font into the column's own.
    void SetFont(const ui::TFont& v) { FFont->Assign(v); }
    TColumnFooter* Footer() { return &FFooter; }
    const TColumnFooter* Footer() const { return &FFooter; }
    void SetFooter(const TColumnFooter& v) { FFooter.Assign(v); }
    TFormulaKind FormulaKind() const { return FFormulaKind; }
    void SetFormulaKind(TFormulaKind v);
    TColumnHeader* Header() { return &FHeader; }
    const TColumnHeader* Header() const { return &FHeader; }
    void SetHeader(const TColumnHeader& v) { FHeader.Assign(v); }
    const std::wstring& InputCaption() const { return FInputCaption; }
    void SetInputCaption(const std::wstring& v);
    TColumnOptions Options() const { return FOptions; }
    void SetOptions(TColumnOptions v);
    int32_t Position() const { return FPosition; }
    void SetPosition(int32_t v);
    TSlideBounds* SlideBounds() { return &FSlideBounds; }
    const TSlideBounds* SlideBounds() const { return &FSlideBounds; }
    void SetSlideBounds(const TSlideBounds& v);
    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    TSortKind SortKind() const { return FSortKind; }
    void SetSortKind(TSortKind v);
    TSortType SortType() const { return FSortType; }
    void SetSortType(TSortType v);
    TVerticalAlignment VerticalAlignment() const { return FVerticalAlignment; }
    void SetVerticalAlignment(TVerticalAlignment v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t v);
    TWrapKind WrapKind() const { return FWrapKind; }
    void SetWrapKind(TWrapKind v) { FWrapKind = v; }

    // --- state that is not stored ---
    TColumns* Columns() const { return FColumns; }
    int Index() const; // place in creation order, -1 outside a collection
    TCellKind CellKind() const { return FCellKind; }
    int32_t Left() const { return FLeft; }
    int32_t VisibleIndex() const { return FVisibleIndex; }
    const std::wstring& InputText() const { return FInputText; }
    void SetInputText(const std::wstring& v);
    bool InputEditing() const { return FInputEditing; }
    void SetInputEditing(bool v) { FInputEditing = v; }
    // A second unstored text; nothing in the program sets it, but setting it raises change kind 0.
    const std::wstring& Tag2() const { return FTag2; }
    void SetTag2(const std::wstring& v);

    // --- the column class family's overridable operations ---
    // The editor, the in-cell element and the painter are named, not linked: their classes
    // belong to the layers above the columns, which register them by name when a grid is made
    // (RegisterColumnEditors, RegisterColumnDisplays). An empty name means none.
    virtual std::wstring EditorClassName() const { return {}; }
    virtual std::wstring PlayClassName() const { return {}; }
    virtual std::wstring DisplayClassName() const = 0;
    // The registered classes of those names; nullptr for none or while not registered yet.
    const ui::TClassInfo* EditorClass() const;
    const ui::TClassInfo* PlayClass() const;
    const ui::TClassInfo* DisplayClass() const;
    virtual std::wstring FormatText(const std::wstring& text) const { return text; }
    virtual bool AcceptsKey(wchar_t c) const { return false; }
    // Hands the column's own settings (items, limits, style) to its editor, which takes what it
    // needs of them (TColumnEditorLink).
    void PrepareEditor();

    // The owned editor, painter and element, created on first use from the classes above
    // (a constructor cannot call the overrides of the class being built). A part whose class is
    // not registered yet is looked up again at the next call rather than remembered as none.
    ui::TComponent* Editor();
    ui::TComponent* Display();
    ui::TComponent* Play();

    // Joins the grid's collection once the column's own stored properties are read.
    void SetParentComponent(ui::TComponent* parent) override;
    bool HasParent() const override { return true; }
    ui::TComponent* GetParentComponent() const override;

protected:
    void SetCellKind(TCellKind kind) { FCellKind = kind; }
    // Reports a change to the collection; nothing before the column has joined one.
    void Changed(TColumnChangeKind kind);
    // A property setter's whole work: the value stored, the change reported.
    template <class T, class V>
    void Store(T& field, const V& value, TColumnChangeKind kind)
    {
        field = value;
        Changed(kind);
    }
    // Asks the grid to repaint this column's strip of the data area (drawing properties of the
    // column classes that draw more than text).
    void InvalidateStrip();
    bool GridReading() const;

private:
    friend class TColumns;
    ui::TComponent* CreatePart(const ui::TClassInfo* info, ui::TComponent*& slot, bool& created);

    TAlignment FAlignment = TAlignment::taLeftJustify;
    TColor FColor = clBlack;
    int16_t FCursor = 0;
    std::wstring FDefaultValue;
    TDrawingOptions FDrawingOptions = TDrawingOptions::doNormal;
    int32_t FDefaultWidth = 80;
    std::unique_ptr<ui::TFont> FFont = std::make_unique<ui::TFont>();
    TColumnFooter FFooter{this};
    TFormulaKind FFormulaKind = TFormulaKind::fkNone;
    TColumnHeader FHeader{this};
    std::wstring FInputCaption;
    TColumnOptions FOptions{TColumnOption::coCanClick, TColumnOption::coCanSort, TColumnOption::coCanInput,
                            TColumnOption::coEditorAutoSelect, TColumnOption::coPublicUsing};
    int32_t FPosition = -1;
    TSlideBounds FSlideBounds;
    bool FSorted = false;
    TSortKind FSortKind = TSortKind::skAscending;
    TSortType FSortType = TSortType::stAlphabetic;
    TVerticalAlignment FVerticalAlignment = TVerticalAlignment::vaMiddle;
    bool FVisible = true;
    int32_t FWidth = 80;
    TWrapKind FWrapKind = TWrapKind::wkEllipsis;

    TColumns* FColumns = nullptr;
    TCellKind FCellKind = ckText;
    int32_t FLeft = 0;
    int32_t FVisibleIndex = -1;
    std::wstring FInputText;
    std::wstring FTag2;
    bool FInputEditing = false;
    ui::TComponent* FEditor = nullptr;
    ui::TComponent* FDisplay = nullptr;
    ui::TComponent* FPlay = nullptr;
    bool FEditorMade = false, FDisplayMade = false, FPlayMade = false;
};

// The grid's columns. Invariants outside loading: both lists hold the same columns; Left and
// VisibleIndex follow the display order (UpdateLayout). Position equals the display place after
// any move; right after loading it still holds the stored sort key.
class TColumns : public ui::TComponent {
    UI_PUBLISHED_CLASS
public:
    // The store behind a grid has one list per column and a fixed number of slots.
    static constexpr int kMaxColumns = 1025;

    TColumns(ui::TComponent* AOwner, TGridHost* host);
    ~TColumns() override;

    TGridHost* Host() const { return FHost; }
    int Count() const { return static_cast<int>(FItems.size()); }
    // Column with index i (creation order); raises EListError outside 0 .. Count - 1.
    TCustomColumn* Items(int index) const;
    // Column at display place p; raises EListError outside 0 .. Count - 1.
    TCustomColumn* DisplayItems(int position) const;
    int IndexOf(const TCustomColumn* column) const;
    int VisibleCount() const;
    int VisibleWidth() const;

    // Recomputes Left and VisibleIndex in display order; with renumber, Position too.
    void UpdateLayout(bool renumber);
    // Takes `column` into the collection: last by index, by its Position in display order.
    void AddColumn(TCustomColumn* column);
    // Moves the column at display place `from` to place `to`; EListError when either is outside.
    void MoveColumn(int from, int to);
    // Destroys every column.
    void Clear();

    // Resizes the auto-sizing columns so that the visible columns fill `clientWidth` less the
    // indicator. The last auto-sizing column absorbs the rounding.
    void DistributeWidths(int clientWidth);

    TColumnChangeEvent OnColumnChange;
    TStructureChangeEvent OnStructureChange;
    TStructureChangeEvent OnLayoutChange;

    void GetChildren(const std::function<void(ui::TComponent*)>& proc, ui::TComponent* root) override;

private:
    friend class TCustomColumn;
    int IndicatorWidth() const;
    void ColumnChanged(TCustomColumn* column, TColumnChangeKind kind);
    void StructureChanged(int action, int index1, int index2);
    // A column destroyed on its own leaves the lists (the store drops its cells).
    void RemoveColumn(TCustomColumn* column);

    TGridHost* FHost;
    std::vector<TCustomColumn*> FItems;
    std::vector<TCustomColumn*> FDisplay;
    bool FClearing = false;
};

} // namespace grid

template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TAlignment>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TVerticalAlignment>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TWrapKind>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TDrawingOptions>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TFormulaKind>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TDisplayMode>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TSortKind>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TSortType>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TColumnOption>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TProgressStyle>();
template <> const ui::TEnumInfo& ui::EnumInfoOf<grid::TCompoBoxStyle>();
