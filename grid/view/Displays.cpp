// Cell painters of the column classes and the grid's part painter.
#include "grid/view/Displays.h"

#include "grid/data/ColumnClasses.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "ui/core/ClassBuilder.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <vector>

namespace grid {

TPaintCounters& PaintCounters()
{
    static TPaintCounters counters;
    return counters;
}

namespace {

// Parts and states of the visual-style classes the painters use.
constexpr int kHeaderItem = 1, kHeaderItemLeft = 2, kHeaderNormal = 1, kHeaderHot = 2;

// The brush is hollow while text is drawn, so the cell's fill shows through, and solid again
// afterwards (however the drawing ends) for the fills that follow.
struct THollowBrush {
    ui::TCanvas& Canvas;
    explicit THollowBrush(ui::TCanvas& canvas) : Canvas(canvas) { Canvas.Brush().SetStyle(ui::TBrushStyle::bsClear); }
    ~THollowBrush() { Canvas.Brush().SetStyle(ui::TBrushStyle::bsSolid); }
    THollowBrush(const THollowBrush&) = delete;
    THollowBrush& operator=(const THollowBrush&) = delete;
};

int DrawTextHollow(ui::TCanvas& canvas, const std::wstring& text, ui::TRect& rect, UINT flags)
{
    if (text.empty())
        return 0;
    ++PaintCounters().TextCalls;
    THollowBrush hollow(canvas);
    return canvas.DrawText(text, rect, flags);
}

void CountedSharedText(ui::TCanvas& canvas, const ui::TRect& rect, bool rtl, const std::wstring& text, int alignment)
{
    if (text.empty())
        return;
    ++PaintCounters().TextCalls;
    TGraphicsProvider::DrawText(canvas, rect, rtl, text, alignment);
}

// A fitting single line goes the short way; everything else to the platform's DrawText.
void DrawTextHollowLine(ui::TCanvas& canvas, const std::wstring& text, ui::TRect& rect, UINT flags)
{
    if (text.empty())
        return;
    THollowBrush hollow(canvas);
    ++PaintCounters().TextCalls;
    if (!DrawFittingLine(canvas, text, rect, flags))
        canvas.DrawText(text, rect, flags);
}

void Line(ui::TCanvas& canvas, int x1, int y1, int x2, int y2)
{
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
}

template <class C>
C* ColumnAs(const TVirtualColElement& element)
{
    return dynamic_cast<C*>(element.Column());
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Class information

const ui::TClassInfo& TVirtualColElement::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TVirtualColElement>(L"TVirtualColElement", &ui::TComponent::StaticClass()).Build();
    return info;
}

TVirtualColElement::TVirtualColElement(ui::TComponent* AOwner)
    : ui::TComponent(AOwner), FColumn(dynamic_cast<TCustomColumn*>(AOwner))
{
}

const ui::TClassInfo& TColumnDisplay::StaticClass()
{
    static const ui::TClassInfo info =
        ui::TClassBuilder<TColumnDisplay>(L"TColumnDisplay", &TVirtualColElement::StaticClass()).Build();
    return info;
}

#define GRID_DISPLAY_CLASS(C)                                                                        \
    const ui::TClassInfo& C::StaticClass()                                                           \
    {                                                                                                \
        static const ui::TClassInfo info = ui::TClassBuilder<C>(L## #C, &TColumnDisplay::StaticClass()).Build(); \
        return info;                                                                                 \
    }

GRID_DISPLAY_CLASS(TTextualColumnDisplay)
GRID_DISPLAY_CLASS(TCheckBoxColumnDisplay)
GRID_DISPLAY_CLASS(TDateColumnDisplay)
GRID_DISPLAY_CLASS(TNumericColumnDisplay)
GRID_DISPLAY_CLASS(TIncrementColumnDisplay)
GRID_DISPLAY_CLASS(TImageColumnDisplay)
GRID_DISPLAY_CLASS(TProgressColumnDisplay)
GRID_DISPLAY_CLASS(TRateColumnDisplay)
GRID_DISPLAY_CLASS(THtmlColumnDisplay)
GRID_DISPLAY_CLASS(TGraphicColumnDisplay)

#undef GRID_DISPLAY_CLASS

// ---------------------------------------------------------------------------------------------
// TColumnDisplay

ui::TRect TColumnDisplay::TextRect(const TCellDrawState& state) const
{
    return TCalcProvider::ShiftEdges(state.Rect, 2, 0, -2, 0);
}

void TColumnDisplay::DrawText(const TCellDrawState& state, const std::wstring& text, const ui::TRect& rect)
{
    if (text.empty())
        return;
    TCustomColumn* column = Column();
    TAlignment alignment = column ? column->Alignment() : TAlignment::taLeftJustify;
    TVerticalAlignment vertical = column ? column->VerticalAlignment() : TVerticalAlignment::vaMiddle;
    TWrapKind wrap = column ? column->WrapKind() : TWrapKind::wkEllipsis;

    UINT flags = DT_NOPREFIX;
    switch (alignment) {
    case TAlignment::taRightJustify: flags |= DT_RIGHT; break;
    case TAlignment::taCenter: flags |= DT_CENTER; break;
    default: flags |= DT_LEFT; break;
    }
    if (state.RightToLeft)
        flags |= DT_RTLREADING;
    ui::TRect r = rect;
    if (wrap == TWrapKind::wkWordWrap) {
        // The platform centres only single lines; several lines are placed by their measured height.
        flags |= DT_WORDBREAK;
        if (vertical != TVerticalAlignment::vaTop) {
            ui::TRect measure = r;
            state.Canvas.DrawText(text, measure, flags | DT_CALCRECT);
            int room = ui::RectHeight(r) - ui::RectHeight(measure);
            if (room > 0)
                r.top += vertical == TVerticalAlignment::vaMiddle ? room / 2 : room;
        }
    } else {
        flags |= DT_SINGLELINE;
        if (wrap == TWrapKind::wkEllipsis)
            flags |= DT_END_ELLIPSIS;
        switch (vertical) {
        case TVerticalAlignment::vaTop: flags |= DT_TOP; break;
        case TVerticalAlignment::vaBottom: flags |= DT_BOTTOM; break;
        default: flags |= DT_VCENTER; break;
        }
        // An ellipsis shows a beginning of the text, never more characters than the cell is
        // wide in pixels. The platform finds where to cut by measuring ever shorter texts,
        // which for a text of a hundred thousand characters takes minutes: it is given only a
        // beginning that is surely too wide, and cuts the same place.
        const size_t room = static_cast<size_t>(std::max(0, ui::RectWidth(r))) + 1;
        if (wrap == TWrapKind::wkEllipsis && text.size() > room) {
            DrawTextHollow(state.Canvas, text.substr(0, room), r, flags);
            return;
        }
        DrawTextHollowLine(state.Canvas, text, r, flags);
        return;
    }
    DrawTextHollow(state.Canvas, text, r, flags);
}

void TColumnDisplay::DrawHintMarker(const TCellDrawState& state)
{
    const ui::TRect& r = state.Rect;
    ui::TCanvas& c = state.Canvas;
    c.Pen().SetColor(clRed);
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(clRed);
    c.Polygon({ui::Point(r.right - 5, r.top), ui::Point(r.right - 1, r.top), ui::Point(r.right - 1, r.top + 4)});
}

void TTextualColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    if (auto* column = ColumnAs<TTextualColumn>(*this))
        DrawText(state, column->TextBefore() + value.Text + column->TextAfter(), TextRect(state));
    else
        DrawText(state, value.Text, TextRect(state));
}

void TDateColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TDateColumn>(*this);
    if (column != nullptr && column->HideWhenEmpty() && value.Date == 0)
        DrawText(state, column->EmptyCaption(), TextRect(state));
    else
        DrawText(state, DateTimeToStr(value.Date), TextRect(state));
}

void TNumericColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TNumericColumn>(*this);
    std::wstring text = column != nullptr && !column->FormatMask().empty()
                            ? FormatFloat(column->FormatMask(), value.Float)
                            : FloatToStr(value.Float);
    if (column != nullptr)
        text += column->TextAfter();
    DrawText(state, text, TextRect(state));
}

void TIncrementColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    DrawText(state, ui::IntToStr(int64_t(value.Int) + 1), TextRect(state));
}

// ---------------------------------------------------------------------------------------------
// Boxes and pictures

void TCheckBoxColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    TCustomColumn* column = Column();
    int h = column ? static_cast<int>(column->Alignment()) : 2;
    int v = column ? static_cast<int>(column->VerticalAlignment()) : 1;
    bool themed = ThemesActive() && state.Window != nullptr;
    int size = TGraphicsProvider::CheckBoxSize(themed);
    ui::TPoint p = TCalcProvider::AlignBox(size, size, state.Rect, h, v, 2);
    // The styled box is hot under the pointer. While the element is held down on this cell it
    // shows the pressed look, which the style draws only on a hot box.
    TGraphicsProvider::DrawCheckBox(state.Canvas, themed ? state.Window : nullptr, p, themed, value.Bool,
                                    state.Hot || state.Pressed, state.Pressed);
}

void TImageColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TImageColumn>(*this);
    if (column == nullptr || column->Images() == nullptr)
        return;
    ui::TImageList* images = column->Images();
    // A number outside the list draws nothing rather than failing the whole paint.
    if (value.Int < 0 || value.Int >= images->Count())
        return;
    ui::TPoint p = TCalcProvider::AlignBox(images->Width(), images->Height(), state.Rect,
                                           static_cast<int>(column->Alignment()),
                                           static_cast<int>(column->VerticalAlignment()), 2);
    ui::TImageList* masks = column->Masks();
    if (column->Masked() && masks != nullptr && value.Int < masks->Count()) {
        ui::TBitmap picture, mask;
        images->GetBitmap(value.Int, picture, clBlack);
        masks->GetBitmap(value.Int, mask, clBlack);
        if (picture.Width() == mask.Width() && picture.Height() == mask.Height()) {
            TMaskProvider::DrawMasked(state.Canvas, p.x, p.y, mask, picture);
            return;
        }
    }
    images->Draw(state.Canvas, p.x, p.y, value.Int);
}

ui::TRect TProgressColumnDisplay::BarBox(const ui::TRect& cell, int margin, bool showText)
{
    ui::TRect r = TCalcProvider::ShiftEdges(cell, margin, margin, -margin, -margin);
    if (showText)
        r.left += 30;
    return r;
}

int TProgressColumnDisplay::BarWidth(int innerWidth, double percent)
{
    if (!(percent > 0) || innerWidth <= 0)
        return 0;
    double w = std::nearbyint(innerWidth * percent / 100.0);
    return w >= innerWidth ? innerWidth : static_cast<int>(w);
}

void TProgressColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TProgressColumn>(*this);
    if (column == nullptr || (column->HideWhenEmpty() && value.Float == 0))
        return;
    ui::TCanvas& c = state.Canvas;
    // A Max of 0 or less has no meaningful percentage; the bar stays empty instead of dividing by it.
    double percent = column->Max() > 0 ? Percent(column->Max(), value.Float) : 0;
    ui::TRect area = TCalcProvider::ShiftEdges(state.Rect, column->Margin(), column->Margin(), -column->Margin(),
                                               -column->Margin());
    if (column->ShowText()) {
        ui::TRect textRect = ui::Rect(area.left, area.top, area.left + 30, area.bottom);
        long shown = std::isfinite(percent) ? std::lround(percent) : 0;
        DrawTextHollow(c, ui::IntToStr(shown) + L"%", textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    }
    ui::TRect box = BarBox(state.Rect, column->Margin(), column->ShowText());
    if (ui::IsRectEmptyOrInverted(box))
        return;
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    if (column->Transparent()) {
        c.Brush().SetColor(column->BorderColor());
        c.FrameRect(box);
    } else {
        c.Pen().SetColor(column->BorderColor());
        c.Brush().SetColor(column->Color());
        c.Rectangle(box);
    }
    ui::TRect inner = TCalcProvider::ShiftEdges(box, 2, 2, -2, -2);
    int w = BarWidth(ui::RectWidth(inner), percent);
    if (w <= 0 || ui::RectHeight(inner) <= 0)
        return;
    ui::TRect bar = ui::Rect(inner.left, inner.top, inner.left + w, inner.bottom);
    switch (column->ProgressStyle()) {
    case TProgressStyle::psGradient:
        TGraphicsProvider::HorizontalGradient(c, bar, column->ProgressColor(), column->Color());
        break;
    case TProgressStyle::psCylinder:
        TGraphicsProvider::VerticalGradient(c, bar, column->ProgressColor(), column->Color());
        break;
    default:
        c.Brush().SetColor(column->ProgressColor());
        c.FillRect(bar);
        break;
    }
}

void TRateColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TRateColumn>(*this);
    if (column == nullptr || (column->HideWhenEmpty() && value.Int == 0))
        return;
    ui::TBitmap* sizer = !column->Glyph()->Empty() ? column->Glyph() : column->EmptyGlyph();
    if (sizer->Empty() || column->Max() <= 0)
        return;
    int w = sizer->Width(), h = sizer->Height();
    ui::TPoint p = TCalcProvider::AlignBox(w * column->Max(), h, state.Rect, static_cast<int>(column->Alignment()),
                                           static_cast<int>(column->VerticalAlignment()), 0);
    ui::TRect clip = state.Canvas.ClipRect();
    for (int i = 1; i <= column->Max(); ++i) {
        int x = p.x + (i - 1) * w;
        if (x >= clip.right)
            break; // the rest lies outside what this paint can change
        bool filled = i <= value.Int;
        ui::TBitmap* glyph = filled ? column->Glyph() : column->EmptyGlyph();
        ui::TBitmap* mask = filled ? column->GlyphMask() : column->EmptyGlyphMask();
        if (glyph->Empty())
            continue;
        // A mask of another size cannot be applied; the glyph is drawn without it.
        if (column->Masked() && mask->Width() == glyph->Width() && mask->Height() == glyph->Height())
            TMaskProvider::DrawMasked(state.Canvas, x, p.y, *mask, *glyph);
        else if (column->Transparent())
            state.Canvas.DrawTransparent(x, p.y, *glyph, glyph->PixelAt(0, glyph->Height() - 1));
        else
            state.Canvas.Draw(x, p.y, *glyph);
    }
}

ui::TRect TGraphicColumnDisplay::FitRect(const ui::TRect& box, int w, int h, bool stretch)
{
    int bw = ui::RectWidth(box), bh = ui::RectHeight(box);
    if (stretch || w <= 0 || h <= 0 || bw <= 0 || bh <= 0)
        return box;
    // Scale by the smaller ratio, computed in integers: w * bh <= h * bw means height limits.
    int64_t fw, fh;
    if (int64_t(w) * bh <= int64_t(h) * bw) {
        fh = bh;
        fw = int64_t(w) * bh / h;
    } else {
        fw = bw;
        fh = int64_t(h) * bw / w;
    }
    int left = box.left + static_cast<int>((bw - fw) / 2);
    int top = box.top + static_cast<int>((bh - fh) / 2);
    return ui::Rect(left, top, left + static_cast<int>(fw), top + static_cast<int>(fh));
}

void TGraphicColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    auto* column = ColumnAs<TGraphicColumn>(*this);
    if (column == nullptr)
        return;
    ui::TCanvas& c = state.Canvas;
    int m = column->Margin();
    ui::TRect box = TCalcProvider::ShiftEdges(state.Rect, m, m, -m, -m);
    if (column->BorderWidth() > 0) {
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(state.Selected ? clHighlightText : clBtnFace);
        for (int i = 1; i <= column->BorderWidth(); ++i)
            c.FrameRect(TCalcProvider::ShiftEdges(box, -i, -i, i, i));
    }
    if (value.Picture != nullptr && !value.Picture->Empty())
        c.StretchDraw(FitRect(box, value.Picture->Width(), value.Picture->Height(), column->Strecht()), *value.Picture);
}

// ---------------------------------------------------------------------------------------------
// THtmlColumnDisplay

namespace {

std::wstring Lower(std::wstring s)
{
    for (wchar_t& ch : s)
        ch = static_cast<wchar_t>(std::towlower(ch));
    return s;
}

// The value of attribute `name` in a tag's text (quoted or bare), empty when absent.
std::wstring Attribute(const std::wstring& tag, const std::wstring& name)
{
    std::wstring low = Lower(tag);
    size_t at = 0;
    while ((at = low.find(name, at)) != std::wstring::npos) {
        bool startOk = at > 0 && std::iswspace(low[at - 1]);
        size_t eq = at + name.size();
        while (eq < low.size() && std::iswspace(low[eq]))
            ++eq;
        if (startOk && eq < low.size() && low[eq] == L'=') {
            size_t v = eq + 1;
            while (v < tag.size() && std::iswspace(tag[v]))
                ++v;
            if (v < tag.size() && (tag[v] == L'"' || tag[v] == L'\'')) {
                wchar_t quote = tag[v];
                size_t end = tag.find(quote, v + 1);
                return tag.substr(v + 1, end == std::wstring::npos ? std::wstring::npos : end - v - 1);
            }
            size_t end = v;
            while (end < tag.size() && !std::iswspace(tag[end]))
                ++end;
            return tag.substr(v, end - v);
        }
        at = eq;
    }
    return {};
}

THtmlRun BreakRun()
{
    THtmlRun run;
    run.Kind = THtmlRun::hrBreak;
    return run;
}

// The markup state while reading: the nested fonts, how deep each style tag is open, and the
// runs so far.
struct THtmlReader {
    std::vector<THtmlFont> Fonts;
    int Bold = 0, Italic = 0, Underline = 0, Link = 0;
    std::vector<THtmlRun> Runs;

    void EndWord(std::wstring& word)
    {
        if (word.empty())
            return;
        THtmlRun run;
        run.Text = std::move(word);
        word.clear();
        run.Font = Fonts.back();
        if (Link > 0)
            run.Font.Color = RGBColor(0, 0, 255);
        run.Bold = Bold > 0;
        run.Italic = Italic > 0;
        run.Underline = Underline > 0 || Link > 0;
        Runs.push_back(std::move(run));
    }

    void OpenFont(const std::wstring& tag)
    {
        THtmlFont f = Fonts.back();
        std::wstring color = Attribute(tag, L"color");
        if (color.size() == 7 && color[0] == L'#') {
            unsigned long rgb = std::wcstoul(color.c_str() + 1, nullptr, 16);
            f.Color = RGBColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
        }
        if (std::wstring face = Attribute(tag, L"name"); !face.empty())
            f.Name = face;
        if (std::wstring size = Attribute(tag, L"size"); !size.empty())
            if (int points = _wtoi(size.c_str()); points > 0)
                f.Size = points;
        Fonts.push_back(f);
    }

    // `tag` is the text between '<' and '>'.
    void Tag(const std::wstring& tag)
    {
        bool closing = !tag.empty() && tag[0] == L'/';
        std::wstring name = Lower(tag.substr(closing ? 1 : 0));
        name = name.substr(0, name.find_first_of(L" \t"));
        int delta = closing ? -1 : 1;
        if (name == L"b")
            Bold = std::max(0, Bold + delta);
        else if (name == L"i")
            Italic = std::max(0, Italic + delta);
        else if (name == L"u")
            Underline = std::max(0, Underline + delta);
        else if (name == L"a")
            Link = std::max(0, Link + delta);
        else if (name == L"br" || name == L"br/")
            Runs.push_back(BreakRun());
        else if (name == L"font" && !closing)
            OpenFont(tag);
        else if (name == L"font" && Fonts.size() > 1)
            Fonts.pop_back();
    }
};

} // namespace

std::vector<THtmlRun> ParseHtmlRuns(const std::wstring& text, const THtmlFont& base)
{
    THtmlReader reader;
    reader.Fonts.push_back(base);
    std::wstring word;
    size_t i = 0;
    while (i < text.size()) {
        wchar_t ch = text[i];
        if (ch == L'<') {
            size_t end = text.find(L'>', i);
            if (end == std::wstring::npos) {
                word += text.substr(i);
                break;
            }
            reader.EndWord(word);
            reader.Tag(text.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (ch == L' ')
            reader.EndWord(word);
        else
            word += ch;
        ++i;
    }
    reader.EndWord(word);
    return std::move(reader.Runs);
}

void THtmlColumnDisplay::DrawContent(const TCellDrawState& state, const TCellValue& value)
{
    ui::TCanvas& c = state.Canvas;
    TCustomColumn* column = Column();
    bool ellipsis = column == nullptr || column->WrapKind() == TWrapKind::wkEllipsis;
    ui::TRect r = TextRect(state);
    // The runs change the canvas's font; the cells after this one get it back as it was, with a
    // solid brush, however the drawing ends.
    ui::TFont base;
    base.Assign(c.Font());
    ui::TScopeExit restore([&] {
        c.Font().Assign(base);
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    });
    const std::vector<THtmlRun> runs = ParseHtmlRuns(value.Text, THtmlFont{base.Color(), base.Name(), base.Size()});

    int lineHeight = c.TextHeight(L"Wg");
    int x = r.left, y = r.top + std::max(0, (ui::RectHeight(r) - lineHeight) / 2);
    if (column != nullptr && column->VerticalAlignment() == TVerticalAlignment::vaTop)
        y = r.top;
    c.Brush().SetStyle(ui::TBrushStyle::bsClear);
    for (const THtmlRun& run : runs) {
        if (run.Kind == THtmlRun::hrBreak) {
            x = r.left;
            y += lineHeight;
            continue;
        }
        UseRunFont(c, base, run);
        int w = c.TextWidth(run.Text);
        ++PaintCounters().TextCalls;
        if (ellipsis && x + w >= r.right - 8 && x > r.left) {
            c.TextOut(x, y, L"...");
            return;
        }
        c.TextOut(x, y, run.Text);
        x += w + c.TextWidth(L" ");
    }
}

void THtmlColumnDisplay::UseRunFont(ui::TCanvas& canvas, const ui::TFont& base, const THtmlRun& run)
{
    canvas.Font().SetName(run.Font.Name);
    canvas.Font().SetSize(run.Font.Size);
    canvas.Font().SetColor(run.Font.Color);
    ui::TFontStyles style = base.Style();
    if (run.Bold)
        style.Include(ui::TFontStyle::fsBold);
    if (run.Italic)
        style.Include(ui::TFontStyle::fsItalic);
    if (run.Underline)
        style.Include(ui::TFontStyle::fsUnderline);
    canvas.Font().SetStyle(style);
}

// ---------------------------------------------------------------------------------------------
// TColumnPartDisplay

HWND TColumnPartDisplay::GridWindow() const { return FGrid->PartWindow(); }

void TColumnPartDisplay::DrawPart(const TPartDrawState& state)
{
    switch (state.Part) {
    case pkHeader: DrawHeader(state); break;
    case pkInput: DrawInputCell(state); break;
    case pkFooter: DrawFooterCell(state); break;
    }
}

COLORREF TColumnPartDisplay::HeaderBackground() const
{
    // What erasing the window leaves there, the grid's colour: a styled header item is drawn over
    // it, the same on every paint whether or not the window was erased first.
    return ui::ColorToRef(FGrid->PartBackground());
}

void TColumnPartDisplay::DrawEmptyHeader(ui::TCanvas& canvas, const ui::TRect& rect)
{
    FGrid->PartThemes().Draw(GridWindow(), canvas.Handle(), rect, kHeaderNormal, kHeaderItemLeft, L"header",
                         HeaderBackground());
}

void TColumnPartDisplay::DrawIndicatorHeader(ui::TCanvas& canvas, const ui::TRect& rect)
{
    if (ThemesActive() && FGrid->PartHeaderStyle() == THeaderStyle::hsAuto)
        FGrid->PartThemes().Draw(GridWindow(), canvas.Handle(), rect, kHeaderNormal, kHeaderItem, L"header",
                             HeaderBackground());
    else
        TGraphicsProvider::DrawButtonFrame(canvas, rect, FGrid->PartHeaderStyle() == THeaderStyle::hsOldStyle);
}

int TColumnPartDisplay::SortMarkLeft(int left, TDisplayMode mode, int glyphWidth, int captionWidth)
{
    switch (mode) {
    case TDisplayMode::dmImageOnly: return left + 2 + glyphWidth + 19;
    case TDisplayMode::dmTextOnly: return left + 2 + captionWidth + 19;
    default: return left + 2 + glyphWidth + captionWidth + 21;
    }
}

void TColumnPartDisplay::DrawFlatFrame(const TPartDrawState& state)
{
    ui::TCanvas& c = state.Canvas;
    const ui::TRect& r = state.Rect;
    const TCustomColumn& column = state.Column;
    TColor face = column.Header()->Color();
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(face);
    c.FillRect(TCalcProvider::ShiftEdges(r, 1, 1, -1, -1));
    int visible = FGrid->PartVisibleColumns();
    if (visible == 1) {
        ui::TRect frame = r;
        c.Frame3D(frame, clBtnHighlight, clBtnShadow, 1);
        return;
    }
    bool first = column.VisibleIndex() == 0;
    bool last = column.VisibleIndex() == visible - 1;
    c.Pen().SetColor(clBtnHighlight);
    Line(c, r.left, r.top, r.right, r.top);
    if (first) {
        Line(c, r.left, r.top + 1, r.left, r.bottom - 1);
    } else {
        Line(c, r.left, r.top + 2, r.left, r.bottom - 2);
        c.SetPixel(r.left, r.top + 1, face);
        c.SetPixel(r.left, r.bottom - 2, face);
    }
    c.Pen().SetColor(clBtnShadow);
    Line(c, r.left, r.bottom - 1, r.right, r.bottom - 1);
    if (last) {
        Line(c, r.right - 1, r.top, r.right - 1, r.bottom - 1);
    } else {
        Line(c, r.right - 1, r.top + 2, r.right - 1, r.bottom - 2);
        c.SetPixel(r.right - 1, r.top + 1, face);
        c.SetPixel(r.right - 1, r.bottom - 2, face);
    }
}

void TColumnPartDisplay::DrawHeaderFrame(const TPartDrawState& state, bool themed)
{
    ui::TCanvas& c = state.Canvas;
    switch (FGrid->PartHeaderStyle()) {
    case THeaderStyle::hsAuto:
        if (themed) {
            // The styled item has a hot look; the classic frames have none.
            FGrid->PartThemes().Draw(GridWindow(), c.Handle(), state.Rect, state.Hot ? kHeaderHot : kHeaderNormal,
                                 kHeaderItem, L"header", HeaderBackground());
            return;
        }
        DrawFlatFrame(state);
        return;
    case THeaderStyle::hsDefault:
        DrawFlatFrame(state);
        return;
    case THeaderStyle::hsOldStyle: {
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(state.Column.Header()->Color());
        c.FillRect(state.Rect);
        ui::TRect frame = state.Rect;
        c.Frame3D(frame, clBtnHighlight, clWindowFrame, 1);
        return;
    }
    }
}

void TColumnPartDisplay::DrawSortMark(const TPartDrawState& state, int x, bool themed)
{
    ui::TCanvas& c = state.Canvas;
    int y = (state.Rect.top + state.Rect.bottom) / 2 - (themed ? 3 : 4);
    bool up = state.Column.SortKind() == TSortKind::skAscending;
    // An 8 x 7 triangle: apex in the middle, base across the full width.
    ui::TPoint apex = ui::Point(x + 4, up ? y : y + 6);
    ui::TPoint baseLeft = ui::Point(x, up ? y + 6 : y), baseRight = ui::Point(x + 8, up ? y + 6 : y);
    if (themed) {
        c.Pen().SetColor(clGrayText);
        c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
        c.Brush().SetColor(clGrayText);
        c.Polygon({apex, baseLeft, baseRight});
        return;
    }
    // Engraved: the edge facing the light source dark, the others light.
    c.Pen().SetColor(clBtnShadow);
    Line(c, apex.x, apex.y, baseLeft.x, baseLeft.y);
    if (!up)
        Line(c, baseLeft.x, baseLeft.y, baseRight.x, baseRight.y);
    c.Pen().SetColor(clBtnHighlight);
    Line(c, apex.x, apex.y, baseRight.x, baseRight.y);
    if (up)
        Line(c, baseLeft.x, baseLeft.y, baseRight.x + 1, baseRight.y);
}

void TColumnPartDisplay::DrawHeader(const TPartDrawState& state)
{
    ui::TCanvas& c = state.Canvas;
    const ui::TRect& r = state.Rect;
    TCustomColumn& column = state.Column;
    bool themed = ThemesActive() && FGrid->PartHeaderStyle() == THeaderStyle::hsAuto;
    DrawHeaderFrame(state, themed);

    TColumnHeader* header = column.Header();
    TDisplayMode mode = header->DisplayMode();
    int x = r.left + 1 + ((themed && mode == TDisplayMode::dmTextOnly) ? 11 : 2);
    ui::TBitmap* glyph = header->Glyph();
    int glyphWidth = 0;
    if ((mode == TDisplayMode::dmImageOnly || mode == TDisplayMode::dmTextAndImage) && !glyph->Empty()) {
        glyphWidth = glyph->Width();
        int y = (r.top + r.bottom) / 2 - glyph->Height() / 2;
        c.Draw(x, y, *glyph);
        x += glyphWidth + 2;
    }
    int captionWidth = 0;
    c.SetFont(*FGrid->PartFont());
    if (mode == TDisplayMode::dmTextAndImage || mode == TDisplayMode::dmTextOnly) {
        // Header captions are left-aligned whatever the column's own alignment.
        CountedSharedText(c, ui::Rect(x, r.top, r.right, r.bottom), state.RightToLeft, header->Caption(), 0);
        if (column.Sorted())
            captionWidth = c.TextWidth(header->Caption());
    }
    if (column.Sorted()) {
        int markX = SortMarkLeft(r.left, mode, glyphWidth, captionWidth);
        if (markX + 8 < r.right)
            DrawSortMark(state, markX, themed);
    }
    if (state.Pressed && !themed) {
        ui::TRect pressed = FGrid->PartVisibleColumns() == 1 ? TCalcProvider::ShiftEdges(r, -1, -1, 0, 0)
                                                                   : TCalcProvider::ShiftEdges(r, 0, 0, -1, -1);
        c.InvertRect(pressed);
    }
}

void TColumnPartDisplay::DrawInputCell(const TPartDrawState& state)
{
    ui::TCanvas& c = state.Canvas;
    const ui::TRect& r = state.Rect;
    TCustomColumn& column = state.Column;
    bool grid = FGrid->PartOptions().Contains(TGridOption::goGrid);
    bool editing = column.InputEditing();
    TColor text = clGrayText, back = column.Color();
    if (state.InputActive && !editing && column.Index() != FGrid->PartCurrentCol()) {
        text = clHighlightText;
        back = state.GridFocused ? clHighlight : clBtnFace;
    }
    ui::TRect fillRect = (grid && state.InputActive) ? TCalcProvider::ShiftEdges(r, 0, 0, -1, -1) : r;
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(back);
    if (editing)
        c.FrameRect(fillRect);
    else
        c.FillRect(fillRect);
    if (grid && state.InputActive) {
        c.Pen().SetColor(clHighlight);
        Line(c, r.left, r.bottom - 1, r.right, r.bottom - 1);
        Line(c, r.right - 1, r.top, r.right - 1, r.bottom);
    }
    c.SetFont(*column.Font());
    c.Font().SetColor(text);
    ui::TRect textRect = TCalcProvider::ShiftEdges(r, 2, 0, -1, -1);
    if (!column.InputText().empty())
        CountedSharedText(c, textRect, state.RightToLeft, column.InputText(), static_cast<int>(column.Alignment()));
    else
        CountedSharedText(c, textRect, state.RightToLeft, column.InputCaption(),
                          static_cast<int>(TAlignment::taCenter));
}

void TColumnPartDisplay::DrawFooterCell(const TPartDrawState& state)
{
    ui::TCanvas& c = state.Canvas;
    const ui::TRect& r = state.Rect;
    TCustomColumn& column = state.Column;
    int g = FGrid->PartGridLineWidth();
    c.Brush().SetStyle(ui::TBrushStyle::bsSolid);
    c.Brush().SetColor(column.Footer()->Color());
    c.FillRect(TCalcProvider::ShiftEdges(r, 0, 0, -g, -g));
    if (g > 0) {
        c.Pen().SetColor(clBtnFace);
        Line(c, r.left, r.bottom - 1, r.right, r.bottom - 1);
        Line(c, r.right - 1, r.top, r.right - 1, r.bottom + 1);
    }
    c.SetFont(*column.Font());
    CountedSharedText(c, TCalcProvider::ShiftEdges(r, 2, 0, -1, -1), state.RightToLeft, column.Footer()->Caption(),
                      static_cast<int>(column.Alignment()));
}

// ---------------------------------------------------------------------------------------------
// Registration by name

void RegisterColumnDisplays()
{
    static const bool registered = [] {
        for (const ui::TClassInfo* info :
             {&TTextualColumnDisplay::StaticClass(), &TCheckBoxColumnDisplay::StaticClass(),
              &TDateColumnDisplay::StaticClass(), &TNumericColumnDisplay::StaticClass(),
              &TIncrementColumnDisplay::StaticClass(), &TImageColumnDisplay::StaticClass(),
              &TProgressColumnDisplay::StaticClass(), &TRateColumnDisplay::StaticClass(),
              &THtmlColumnDisplay::StaticClass(), &TGraphicColumnDisplay::StaticClass()})
            ui::RegisterComponentClass(*info);
        return true;
    }();
    (void)registered;
}

} // namespace grid
