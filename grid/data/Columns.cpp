// Grid columns and their collection.
#include "grid/data/Columns.h"

#include "grid/data/GridHost.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"

#include <algorithm>

template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TAlignment>()
{
    static const TEnumInfo info{L"TAlignment", {L"taLeftJustify", L"taRightJustify", L"taCenter"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TVerticalAlignment>()
{
    static const TEnumInfo info{L"TVerticalAlignment", {L"vaTop", L"vaMiddle", L"vaBottom"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TWrapKind>()
{
    static const TEnumInfo info{L"TWrapKind", {L"wkNone", L"wkEllipsis", L"wkWordWrap"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TDrawingOptions>()
{
    static const TEnumInfo info{L"TDrawingOptions", {L"doNormal", L"doBackgroundOnly", L"doCustom", L"doCustomOnly"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TFormulaKind>()
{
    static const TEnumInfo info{L"TFormulaKind", {L"fkNone", L"fkAverage", L"fkMaximum", L"fkMinimum", L"fkSum"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TDisplayMode>()
{
    static const TEnumInfo info{L"TDisplayMode", {L"dmImageOnly", L"dmTextAndImage", L"dmTextOnly"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TSortKind>()
{
    static const TEnumInfo info{L"TSortKind", {L"skAscending", L"skDescending"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TSortType>()
{
    static const TEnumInfo info{L"TSortType", {L"stAlphabetic", L"stBoolean", L"stNumeric", L"stDate", L"stIP"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TColumnOption>()
{
    static const TEnumInfo info{L"TColumnOption",
                                {L"coAutoSize", L"coCanClick", L"coCanSort", L"coEditing", L"coCanInput",
                                 L"coEditorAutoSelect", L"coFixedSize", L"coImageForIcon", L"coDontHighlight",
                                 L"coPublicUsing", L"coSearchColumn", L"coShowTextFitHint", L"coTextForCaption"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TProgressStyle>()
{
    static const TEnumInfo info{L"TProgressStyle", {L"psSolid", L"psGradient", L"psCylinder"}};
    return info;
}
template <>
const ui::TEnumInfo& ui::EnumInfoOf<grid::TCompoBoxStyle>()
{
    static const TEnumInfo info{L"TCompoBoxStyle", {L"cbsDropDown", L"cbsDropDownList"}};
    return info;
}

namespace grid {

using ui::TClassBuilder;

// ---------------------------------------------------------------------------------------------
// Header, footer, slide bounds

const ui::TClassInfo& TColumnPart::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TColumnPart>(L"TColumnPart", &ui::TPersistent::StaticClass())
        .Property(L"Caption", &TColumnPart::Caption, &TColumnPart::SetCaption)
        .Custom(L"Color", [](const TColumnPart& p) { return ColorToValue(p.Color()); },
                [](TColumnPart& p, const ui::TValue& v) { p.SetColor(ValueToColor(v)); })
        .Build();
    return info;
}

void TColumnPart::SetCaption(const std::wstring& v)
{
    FCaption = v;
    Changed();
}

void TColumnPart::SetColor(TColor v)
{
    FColor = v;
    Changed();
}

void TColumnPart::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TColumnPart::Assign(const ui::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TColumnPart*>(&source)) {
        FCaption = other->FCaption;
        FColor = other->FColor;
        Changed();
        return;
    }
    ui::TPersistent::Assign(source);
}

const ui::TClassInfo& TColumnHeader::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TColumnHeader>(L"TColumnHeader", &TColumnPart::StaticClass())
        .Property(L"DisplayMode", &TColumnHeader::DisplayMode, &TColumnHeader::SetDisplayMode)
        .Custom(L"Glyph",
                [](const TColumnHeader& h) {
                    // No glyph is written as nil: a description names no file for it.
                    if (h.FGlyph->Empty() || h.FGlyphName.empty())
                        return ui::TValue::Ident(L"nil");
                    return ui::TValue::Data(h.FGlyphName, h.FGlyph->SaveToBytes());
                },
                [](TColumnHeader& h, const ui::TValue& v) {
                    if (v.Kind == ui::TValue::TKind::Ident && ui::SameText(v.Str, L"nil")) {
                        h.FGlyph->Assign(ui::TBitmap());
                        h.FGlyphName.clear();
                        return;
                    }
                    if (v.Kind != ui::TValue::TKind::Data)
                        throw ui::EConvertError(L"A glyph must be stored as file data");
                    h.FGlyph->LoadFromBytes(v.Bytes);
                    h.FGlyphName = v.Str;
                })
        .Build();
    return info;
}

TColumnHeader::TColumnHeader(TCustomColumn* column) : TColumnPart(column, clBtnFace)
{
    FGlyph->OnChange = [this](ui::TObject*) { GlyphChanged(); };
}

void TColumnHeader::GlyphChanged()
{
    if (FAdjustingGlyph)
        return;
    FAdjustingGlyph = true;
    {
        ui::TAssignOnExit<bool> adjusted(FAdjustingGlyph, false);
        if (!FGlyph->Empty()) {
            FGlyph->SetTransparentColor(FGlyph->PixelAt(0, FGlyph->Height() - 1));
            FGlyph->SetTransparent(true);
        }
    }
    Changed();
}

void TColumnHeader::SetDisplayMode(TDisplayMode v)
{
    FDisplayMode = v;
    Changed();
}

void TColumnHeader::Assign(const ui::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TColumnHeader*>(&source)) {
        FDisplayMode = other->FDisplayMode;
        FGlyph->Assign(*other->FGlyph);
    }
    TColumnPart::Assign(source);
}

const ui::TClassInfo& TColumnFooter::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TColumnFooter>(L"TColumnFooter", &TColumnPart::StaticClass())
        .Property(L"FormulaKind", &TColumnFooter::FormulaKind, &TColumnFooter::SetFormulaKind)
        .Build();
    return info;
}

void TColumnFooter::SetFormulaKind(TFormulaKind v)
{
    FFormulaKind = v;
    Changed();
}

void TColumnFooter::Assign(const ui::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TColumnFooter*>(&source))
        FFormulaKind = other->FFormulaKind;
    TColumnPart::Assign(source);
}

const ui::TClassInfo& TSlideBounds::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TSlideBounds>(L"TSlideBounds", &ui::TPersistent::StaticClass())
        .Property(L"Height", &TSlideBounds::Height, &TSlideBounds::SetHeight)
        .Property(L"Left", &TSlideBounds::Left, &TSlideBounds::SetLeft)
        .Property(L"Top", &TSlideBounds::Top, &TSlideBounds::SetTop)
        .Property(L"Width", &TSlideBounds::Width, &TSlideBounds::SetWidth)
        .Build();
    return info;
}

void TSlideBounds::Assign(const ui::TPersistent& source)
{
    if (const auto* other = dynamic_cast<const TSlideBounds*>(&source)) {
        FHeight = other->FHeight;
        FLeft = other->FLeft;
        FTop = other->FTop;
        FWidth = other->FWidth;
        return;
    }
    ui::TPersistent::Assign(source);
}

// ---------------------------------------------------------------------------------------------
// TCustomColumn

const ui::TClassInfo& TCustomColumn::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TCustomColumn>(L"TCustomColumn", &ui::TComponent::StaticClass())
        .Property(L"Alignment", &TCustomColumn::Alignment, &TCustomColumn::SetAlignment)
        .Custom(L"Color", [](const TCustomColumn& c) { return ColorToValue(c.Color()); },
                [](TCustomColumn& c, const ui::TValue& v) { c.SetColor(ValueToColor(v)); })
        .Property(L"Cursor", &TCustomColumn::Cursor, &TCustomColumn::SetCursor)
        .Property(L"DefaultValue", &TCustomColumn::DefaultValue, &TCustomColumn::SetDefaultValue)
        .Property(L"DrawingOptions", &TCustomColumn::DrawingOptions, &TCustomColumn::SetDrawingOptions)
        .Property(L"DefaultWidth", &TCustomColumn::DefaultWidth, &TCustomColumn::SetDefaultWidth)
        .Object(L"Font", [](TCustomColumn& c) -> ui::TPersistent* { return c.Font(); })
        .Object(L"Footer", [](TCustomColumn& c) -> ui::TPersistent* { return c.Footer(); })
        .Property(L"FormulaKind", &TCustomColumn::FormulaKind, &TCustomColumn::SetFormulaKind)
        .Object(L"Header", [](TCustomColumn& c) -> ui::TPersistent* { return c.Header(); })
        .Property(L"InputCaption", &TCustomColumn::InputCaption, &TCustomColumn::SetInputCaption)
        .Property(L"Options", &TCustomColumn::Options, &TCustomColumn::SetOptions)
        .Property(L"Position", &TCustomColumn::Position, &TCustomColumn::SetPosition)
        .Object(L"SlideBounds", [](TCustomColumn& c) -> ui::TPersistent* { return c.SlideBounds(); })
        .Property(L"Sorted", &TCustomColumn::Sorted, &TCustomColumn::SetSorted)
        .Property(L"SortKind", &TCustomColumn::SortKind, &TCustomColumn::SetSortKind)
        .Property(L"SortType", &TCustomColumn::SortType, &TCustomColumn::SetSortType)
        .Property(L"VerticalAlignment", &TCustomColumn::VerticalAlignment, &TCustomColumn::SetVerticalAlignment)
        .Property(L"Visible", &TCustomColumn::Visible, &TCustomColumn::SetVisible)
        .Property(L"Width", &TCustomColumn::Width, &TCustomColumn::SetWidth)
        .Property(L"WrapKind", &TCustomColumn::WrapKind, &TCustomColumn::SetWrapKind)
        .Build();
    return info;
}

TCustomColumn::TCustomColumn(ui::TComponent* AOwner) : ui::TComponent(AOwner)
{
    auto appearance = [this](ui::TObject*) { Changed(ccAppearance); };
    FHeader.OnChange = appearance;
    FFooter.OnChange = appearance;
    FFont->OnChange = appearance;
}

TCustomColumn::~TCustomColumn()
{
    // Owned editor, painter and element go with the owned components; the collection forgets us.
    if (FColumns != nullptr)
        FColumns->RemoveColumn(this);
}

int TCustomColumn::Index() const { return FColumns != nullptr ? FColumns->IndexOf(this) : -1; }


bool TCustomColumn::GridReading() const
{
    return FColumns != nullptr && FColumns->Host() != nullptr && FColumns->Host()->HostLoading();
}

void TCustomColumn::Changed(TColumnChangeKind kind)
{
    if (FColumns != nullptr)
        FColumns->ColumnChanged(this, kind);
}

void TCustomColumn::InvalidateStrip()
{
    if (FColumns != nullptr && FColumns->Host() != nullptr)
        FColumns->Host()->InvalidateColumnData(this);
}

void TCustomColumn::SetAlignment(TAlignment v) { Store(FAlignment, v, ccAppearance); }

void TCustomColumn::SetColor(TColor v) { Store(FColor, v, ccAppearance); }

void TCustomColumn::SetCursor(int16_t v) { Store(FCursor, v, ccAppearance); }

void TCustomColumn::SetDrawingOptions(TDrawingOptions v) { Store(FDrawingOptions, v, ccAppearance); }

void TCustomColumn::SetFormulaKind(TFormulaKind v) { Store(FFormulaKind, v, ccAppearance); }

void TCustomColumn::SetInputCaption(const std::wstring& v) { Store(FInputCaption, v, ccAppearance); }

void TCustomColumn::SetSlideBounds(const TSlideBounds& v)
{
    FSlideBounds.Assign(v);
    Changed(ccAppearance);
}

void TCustomColumn::SetOptions(TColumnOptions v)
{
    // At most one column of a grid is the search column.
    if (v.Contains(TColumnOption::coSearchColumn) && !FOptions.Contains(TColumnOption::coSearchColumn) &&
        FColumns != nullptr) {
        for (TCustomColumn* other : FColumns->FItems)
            if (other != this && other->FOptions.Contains(TColumnOption::coSearchColumn))
                other->SetOptions(other->FOptions - TColumnOptions{TColumnOption::coSearchColumn});
    }
    FOptions = v;
    Changed(ccAppearance);
}

void TCustomColumn::SetPosition(int32_t v)
{
    if (FColumns == nullptr || GridReading()) {
        // While loading, Position is only the sort key that AddColumn orders by.
        FPosition = v;
        return;
    }
    // Move from where the column really stands: right after loading, Position may still hold a
    // stored sort key that is not a display place.
    int from = static_cast<int>(std::find(FColumns->FDisplay.begin(), FColumns->FDisplay.end(), this) -
                                FColumns->FDisplay.begin());
    FColumns->MoveColumn(from, v);
    Changed(ccPosition);
    FPosition = v;
}

void TCustomColumn::SetSorted(bool v)
{
    if (v && !FSorted && FColumns != nullptr)
        for (TCustomColumn* other : FColumns->FItems)
            other->FSorted = false; // silently: only this column reports the sort change
    FSorted = v;
    Changed(ccSort);
}

void TCustomColumn::SetSortKind(TSortKind v) { Store(FSortKind, v, ccSort); }

void TCustomColumn::SetSortType(TSortType v) { Store(FSortType, v, ccSort); }

void TCustomColumn::SetVerticalAlignment(TVerticalAlignment v) { Store(FVerticalAlignment, v, ccAppearance); }

void TCustomColumn::SetVisible(bool v)
{
    FVisible = v;
    if (FColumns == nullptr)
        return;
    FColumns->UpdateLayout(false);
    Changed(ccVisibility);
}

void TCustomColumn::SetWidth(int32_t v)
{
    FWidth = std::max<int32_t>(v, 8); // the minimum width of a column
    if (FColumns == nullptr)
        return;
    if (!GridReading())
        FColumns->UpdateLayout(false);
    Changed(ccWidth);
    if (FColumns->Host() != nullptr && FColumns->Host()->HostDesigning())
        FDefaultWidth = FWidth;
}

void TCustomColumn::SetInputText(const std::wstring& v) { Store(FInputText, v, ccInputText); }

void TCustomColumn::SetTag2(const std::wstring& v) { Store(FTag2, v, ccUnnamedText); }

ui::TComponent* TCustomColumn::CreatePart(const ui::TClassInfo* info, ui::TComponent*& slot, bool& created)
{
    // A class not registered yet is looked up again next time rather than remembered as none.
    if (!created && info != nullptr) {
        created = true;
        if (info->Create)
            slot = info->Create(this);
    }
    return slot;
}

namespace {

const ui::TClassInfo* RegisteredClass(const std::wstring& name)
{
    return name.empty() ? nullptr : ui::FindClass(name);
}

} // namespace

const ui::TClassInfo* TCustomColumn::EditorClass() const { return RegisteredClass(EditorClassName()); }
const ui::TClassInfo* TCustomColumn::PlayClass() const { return RegisteredClass(PlayClassName()); }
const ui::TClassInfo* TCustomColumn::DisplayClass() const { return RegisteredClass(DisplayClassName()); }

// Asked for every cell painted and every key typed: a name is looked up only until its part exists.
ui::TComponent* TCustomColumn::Editor() { return FEditorMade ? FEditor : CreatePart(EditorClass(), FEditor, FEditorMade); }
ui::TComponent* TCustomColumn::Display() { return FDisplayMade ? FDisplay : CreatePart(DisplayClass(), FDisplay, FDisplayMade); }
ui::TComponent* TCustomColumn::Play() { return FPlayMade ? FPlay : CreatePart(PlayClass(), FPlay, FPlayMade); }

void TCustomColumn::PrepareEditor()
{
    if (auto* link = dynamic_cast<TColumnEditorLink*>(Editor()))
        link->PrepareFor(*this);
}

void TCustomColumn::SetParentComponent(ui::TComponent* parent)
{
    if (auto* host = dynamic_cast<TGridHost*>(parent))
        host->HostColumns()->AddColumn(this);
}

ui::TComponent* TCustomColumn::GetParentComponent() const
{
    return FColumns != nullptr && FColumns->Host() != nullptr ? FColumns->Host()->HostComponent() : nullptr;
}

// ---------------------------------------------------------------------------------------------
// TColumns

const ui::TClassInfo& TColumns::StaticClass()
{
    static const ui::TClassInfo info = TClassBuilder<TColumns>(L"TColumns", &ui::TComponent::StaticClass()).Build();
    return info;
}

TColumns::TColumns(ui::TComponent* AOwner, TGridHost* host) : ui::TComponent(AOwner), FHost(host) {}

TColumns::~TColumns()
{
    FClearing = true;
    for (TCustomColumn* c : FItems)
        c->FColumns = nullptr;
    FItems.clear();
    FDisplay.clear();
    DestroyComponents();
}

TCustomColumn* TColumns::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ui::EListError(index);
    return FItems[index];
}

TCustomColumn* TColumns::DisplayItems(int position) const
{
    if (position < 0 || position >= Count())
        throw ui::EListError(position);
    return FDisplay[position];
}

int TColumns::IndexOf(const TCustomColumn* column) const
{
    auto it = std::find(FItems.begin(), FItems.end(), column);
    return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TColumns::VisibleCount() const
{
    return static_cast<int>(std::count_if(FItems.begin(), FItems.end(), [](TCustomColumn* c) { return c->Visible(); }));
}

int TColumns::VisibleWidth() const
{
    int64_t sum = 0;
    for (TCustomColumn* c : FItems)
        if (c->Visible())
            sum += c->Width();
    return static_cast<int>(std::min<int64_t>(sum, INT32_MAX));
}

int TColumns::IndicatorWidth() const { return FHost != nullptr ? FHost->IndicatorWidth() : 0; }

void TColumns::UpdateLayout(bool renumber)
{
    int64_t x = IndicatorWidth();
    int v = 0;
    for (size_t p = 0; p < FDisplay.size(); ++p) {
        TCustomColumn* c = FDisplay[p];
        if (c->Visible()) {
            c->FLeft = static_cast<int32_t>(std::min<int64_t>(x, INT32_MAX));
            c->FVisibleIndex = v++;
            x += c->Width();
        } else {
            c->FVisibleIndex = -1;
        }
        if (renumber)
            c->FPosition = static_cast<int32_t>(p);
    }
}

void TColumns::AddColumn(TCustomColumn* column)
{
    if (column == nullptr)
        throw ui::EInvalidOperation(L"AddColumn: no column given");
    if (IndexOf(column) >= 0)
        throw ui::EInvalidOperation(L"The column is already in the grid");
    if (Count() >= kMaxColumns)
        throw ui::EInvalidOperation(ui::Format(L"A grid holds at most %d columns", kMaxColumns));
    if (column->FColumns != nullptr && column->FColumns != this)
        column->FColumns->RemoveColumn(column);
    column->FColumns = this;
    FItems.push_back(column);
    // After every column whose Position is equal or smaller: equal keys keep their loading order.
    auto at = std::find_if(FDisplay.begin(), FDisplay.end(),
                           [column](TCustomColumn* c) { return c->Position() > column->Position(); });
    FDisplay.insert(at, column);
    UpdateLayout(false);
    StructureChanged(saAdded, -1, -1);
}

void TColumns::MoveColumn(int from, int to)
{
    if (from < 0 || from >= Count())
        throw ui::EListError(from);
    if (to < 0 || to >= Count())
        throw ui::EListError(to);
    if (from == to)
        return;
    TCustomColumn* moving = FDisplay[from];
    FDisplay.erase(FDisplay.begin() + from);
    FDisplay.insert(FDisplay.begin() + to, moving);
    UpdateLayout(true);
    ColumnChanged(FDisplay[to], ccPosition);
}

void TColumns::Clear()
{
    FClearing = true;
    std::vector<TCustomColumn*> doomed = FItems;
    FItems.clear();
    FDisplay.clear();
    for (TCustomColumn* c : doomed) {
        c->FColumns = nullptr;
        delete c;
    }
    FClearing = false;
    StructureChanged(saCleared, -1, -1);
}

void TColumns::RemoveColumn(TCustomColumn* column)
{
    column->FColumns = nullptr;
    if (FClearing)
        return;
    int index = IndexOf(column);
    if (index < 0)
        return;
    FItems.erase(FItems.begin() + index);
    FDisplay.erase(std::find(FDisplay.begin(), FDisplay.end(), column));
    UpdateLayout(false);
    StructureChanged(saRemoved, index, -1);
}

void TColumns::ColumnChanged(TCustomColumn* column, TColumnChangeKind kind)
{
    if (OnColumnChange)
        OnColumnChange(this, column, kind);
}

void TColumns::StructureChanged(int action, int index1, int index2)
{
    if (OnStructureChange)
        OnStructureChange(this, action, index1, index2);
    if (OnLayoutChange)
        OnLayoutChange(this, action, index1, index2);
}

void TColumns::DistributeWidths(int clientWidth)
{
    int64_t fixed = 0;
    for (TCustomColumn* c : FItems)
        if (c->Visible() && (c->Options().Contains(TColumnOption::coFixedSize) ||
                             !c->Options().Contains(TColumnOption::coAutoSize)))
            fixed += c->Width();
    int64_t total = 0;
    for (TCustomColumn* c : FItems)
        if (c->Visible())
            total += c->Width();
    int64_t room = static_cast<int64_t>(clientWidth) - IndicatorWidth() - fixed;
    int64_t rest = total - fixed;
    if (rest < 0)
        rest = 1;
    for (TCustomColumn* c : FItems) {
        if (c->Options().Contains(TColumnOption::coFixedSize) || !c->Options().Contains(TColumnOption::coAutoSize) ||
            !c->Visible())
            continue;
        int64_t old = c->Width();
        if (rest == 0) // only zero-width columns left to share: nothing to scale by
            break;
        int64_t product = old * room;
        int64_t q = product / rest;
        if (product % rest > (rest >> 1))
            ++q;
        int32_t widthNew = static_cast<int32_t>(std::clamp<int64_t>(q, INT32_MIN, INT32_MAX));
        c->SetWidth(widthNew);
        room -= widthNew;
        rest -= old;
    }
}

void TColumns::GetChildren(const std::function<void(ui::TComponent*)>& proc, ui::TComponent*)
{
    for (TCustomColumn* c : FItems)
        proc(c);
}

} // namespace grid
