// The cell and part painters on memory bitmaps: text placement, wrapping and ellipsis, the hint
// marker, check boxes, progress bars, glyph rows, markup, pictures and the part painter's cells.
#include "PaintTestSupport.h"

#include "grid/data/ColumnClasses.h"
#include "grid/view/Displays.h"

#include <gtest/gtest.h>

using namespace grid;
using namespace gridtest;

namespace {

// A white bitmap with the MS Sans Serif font of the program's columns.
struct TSurface {
    ui::TBitmap bmp;
    TSurface(int w, int h) : bmp(w, h)
    {
        bmp.Canvas().Brush().SetColor(clWhite);
        bmp.Canvas().FillRect(ui::Rect(0, 0, w, h));
        bmp.Canvas().Font().SetName(L"MS Sans Serif");
        bmp.Canvas().Font().SetHeight(-11);
        bmp.Canvas().Font().SetColor(clBlack);
    }
    ui::TCanvas& C() { return bmp.Canvas(); }
    bool SameAs(TSurface& other) { return FirstDifference(bmp, other.bmp).x < 0; }
};

int CountOf(ui::TBitmap& bmp, ui::TColor colour)
{
    GdiFlush();
    int n = 0;
    for (int y = 0; y < bmp.Height(); ++y)
        for (int x = 0; x < bmp.Width(); ++x)
            n += bmp.PixelAt(x, y) == Rgb(colour);
    return n;
}

// A column made without a grid, with its painter. Columns find their painters by class name;
// the names are registered when a grid is made, or here, for a column that has no grid.
template <class C>
struct TColumnWithDisplay {
    C column{nullptr};
    TColumnDisplay* display = (RegisterColumnDisplays(), dynamic_cast<TColumnDisplay*>(column.Display()));
};

// A cell in the normal state: not selected, current, hot or pressed; styled parts need the
// window of the grid they are drawn for.
TCellDrawState At(ui::TCanvas& canvas, const ui::TRect& rect, HWND window = nullptr)
{
    return TCellDrawState{.Canvas = canvas, .Rect = rect, .Window = window};
}

TCellValue Text(const std::wstring& text) { return TCellValue{.Text = text}; }
TCellValue Bool(bool value)
{
    TCellValue v;
    v.Bool = value;
    return v;
}
TCellValue Int(int32_t value)
{
    TCellValue v;
    v.Int = value;
    return v;
}
TCellValue Float(double value)
{
    TCellValue v;
    v.Float = value;
    return v;
}

} // namespace

TEST(Displays, EachColumnClassHasItsPainter)
{
    TColumnWithDisplay<TTextualColumn> text;
    ASSERT_NE(text.display, nullptr);
    EXPECT_NE(dynamic_cast<TTextualColumnDisplay*>(text.display), nullptr);
    EXPECT_EQ(text.display->Column(), &text.column);
    TColumnWithDisplay<TComboBoxColumn> combo;
    EXPECT_NE(dynamic_cast<TTextualColumnDisplay*>(combo.display), nullptr) << "combo cells draw as text";
    EXPECT_NE(dynamic_cast<TCheckBoxColumnDisplay*>(TColumnWithDisplay<TCheckBoxColumn>().display), nullptr);
    EXPECT_NE(dynamic_cast<TProgressColumnDisplay*>(TColumnWithDisplay<TProgressColumn>().display), nullptr);
    EXPECT_NE(dynamic_cast<TGraphicColumnDisplay*>(TColumnWithDisplay<TGraphicColumn>().display), nullptr);
    EXPECT_NE(dynamic_cast<TIncrementColumnDisplay*>(TColumnWithDisplay<TIncrementColumn>().display), nullptr);
    EXPECT_EQ(text.column.DisplayClass(), &TTextualColumnDisplay::StaticClass())
        << "the name a column gives is the registered painter class";
}

TEST(Displays, TextAlignmentEllipsisWrapAndAmpersand)
{
    TColumnWithDisplay<TTextualColumn> t;
    t.column.SetAlignment(TAlignment::taCenter);
    t.column.SetWrapKind(TWrapKind::wkEllipsis);
    const std::wstring number = L"053212345678901234";
    ui::TRect cell = ui::Rect(0, 0, 60, 20);

    TSurface cut(80, 40);
    t.display->DrawContent(At(cut.C(), cell), Text(number));
    EXPECT_LE(LastDarkColumn(cut.bmp, RECT{0, 0, 80, 40}), 57) << "the ellipsis keeps the text inside the text rectangle";
    TSurface reference(80, 40);
    ui::TRect textRect = ui::Rect(2, 0, 58, 20);
    reference.C().Brush().SetStyle(ui::TBrushStyle::bsClear);
    reference.C().DrawText(number, textRect, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    EXPECT_TRUE(cut.SameAs(reference)) << "one centred line ending in an ellipsis";

    t.column.SetWrapKind(TWrapKind::wkNone);
    TSurface overflow(80, 40);
    t.display->DrawContent(At(overflow.C(), cell), Text(number));
    EXPECT_FALSE(overflow.SameAs(cut)) << "without the ellipsis the number is not shortened";

    t.column.SetWrapKind(TWrapKind::wkWordWrap);
    t.column.SetVerticalAlignment(TVerticalAlignment::vaTop);
    TSurface wrapped(80, 40);
    t.display->DrawContent(At(wrapped.C(), ui::Rect(0, 0, 60, 40)), Text(L"0532 1234 5678"));
    EXPECT_GE(DarkRowBands(wrapped.bmp, RECT{0, 0, 80, 40}), 2) << "word wrap breaks onto a second line";

    t.column.SetWrapKind(TWrapKind::wkNone);
    t.column.SetAlignment(TAlignment::taLeftJustify);
    t.column.SetTextBefore(L"[");
    t.column.SetTextAfter(L"]");
    TSurface amp(80, 20), ampRef(80, 20);
    t.display->DrawContent(At(amp.C(), ui::Rect(0, 0, 80, 20)), Text(L"A&B"));
    ui::TRect r = ui::Rect(2, 0, 78, 20);
    ampRef.C().Brush().SetStyle(ui::TBrushStyle::bsClear);
    ampRef.C().DrawText(L"[A&B]", r, DT_SINGLELINE | DT_TOP | DT_LEFT | DT_NOPREFIX);
    EXPECT_TRUE(amp.SameAs(ampRef)) << "text before and after, the ampersand printed";
    EXPECT_EQ(FirstDarkColumn(amp.bmp, RECT{0, 0, 80, 20}) >= 2, true) << "2 pixels in from the left";
}

TEST(Displays, HintMarkerCheckBoxAndIncrement)
{
    TFakeThemes classic(false);
    TColumnWithDisplay<TCheckBoxColumn> box;
    box.column.SetAlignment(TAlignment::taCenter);
    TSurface s(40, 20);
    box.display->DrawHintMarker(At(s.C(), ui::Rect(0, 0, 40, 20)));
    EXPECT_EQ(s.bmp.PixelAt(39, 0), Rgb(clRed));
    EXPECT_EQ(s.bmp.PixelAt(35, 0), Rgb(clRed));
    EXPECT_EQ(s.bmp.PixelAt(39, 4), Rgb(clRed));
    EXPECT_NE(s.bmp.PixelAt(35, 4), Rgb(clRed));
    EXPECT_NE(s.bmp.PixelAt(39, 5), Rgb(clRed));

    // An 11 x 11 box centred at (15, 5); the tick bends at (x + 4, y + 6).
    box.display->DrawContent(At(s.C(), ui::Rect(0, 0, 40, 20)), Bool(false));
    EXPECT_EQ(s.bmp.PixelAt(15, 5), Rgb(clBtnShadow)) << "outlined in the shadow colour";
    EXPECT_EQ(s.bmp.PixelAt(19, 11), Rgb(clWindow)) << "unticked: empty";
    box.display->DrawContent(At(s.C(), ui::Rect(0, 0, 40, 20)), Bool(true));
    EXPECT_EQ(s.bmp.PixelAt(19, 11), Rgb(clWindowText)) << "ticked";
    EXPECT_EQ(s.bmp.PixelAt(19, 12), Rgb(clWindowText)) << "three pixels thick";

    TColumnWithDisplay<TIncrementColumn> inc;
    TSurface one(40, 20), ref(40, 20);
    inc.display->DrawContent(At(one.C(), ui::Rect(0, 0, 40, 20)), Int(6));
    ui::TRect r = ui::Rect(2, 0, 38, 20);
    ref.C().Brush().SetStyle(ui::TBrushStyle::bsClear);
    ref.C().DrawText(L"7", r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    EXPECT_TRUE(one.SameAs(ref)) << "row index 6 shows as 7";
}

TEST(Displays, ProgressBarsAndGraphicFit)
{
    EXPECT_EQ(TProgressColumnDisplay::BarWidth(100, 50), 50);
    EXPECT_EQ(TProgressColumnDisplay::BarWidth(10, 25), 2) << "2.5 rounds to even";
    EXPECT_EQ(TProgressColumnDisplay::BarWidth(100, 150), 100) << "never past the box";
    EXPECT_EQ(TProgressColumnDisplay::BarWidth(100, -5), 0);
    EXPECT_EQ(TProgressColumnDisplay::BarBox(ui::Rect(0, 0, 100, 20), 2, true), ui::Rect(32, 2, 98, 18));

    TColumnWithDisplay<TProgressColumn> p;
    p.column.SetColor(clWhite);
    TSurface s(104, 20);
    p.display->DrawContent(At(s.C(), ui::Rect(0, 0, 104, 20)), Float(50));
    // Box (2, 2, 102, 18); inside it from x 4, a bar of 96 x 0.5 = 48 pixels.
    EXPECT_EQ(s.bmp.PixelAt(2, 10), ui::RGBColor(128, 128, 128)) << "the box's border";
    EXPECT_EQ(s.bmp.PixelAt(4, 10), Rgb(clHighlight)) << "the bar";
    EXPECT_EQ(s.bmp.PixelAt(51, 10), Rgb(clHighlight));
    EXPECT_EQ(s.bmp.PixelAt(52, 10), Rgb(clWhite)) << "ends at half the inner width";

    p.column.SetMax(0);
    TSurface zero(104, 20);
    p.display->DrawContent(At(zero.C(), ui::Rect(0, 0, 104, 20)), Float(50));
    EXPECT_EQ(zero.bmp.PixelAt(4, 10), Rgb(clWhite)) << "a Max of 0 shows an empty bar instead of dividing by it";
    p.column.SetMax(100);
    p.column.SetHideWhenEmpty(true);
    TSurface hidden(104, 20);
    p.display->DrawContent(At(hidden.C(), ui::Rect(0, 0, 104, 20)), Float(0));
    EXPECT_EQ(hidden.bmp.PixelAt(2, 10), Rgb(clWhite)) << "hidden when empty";

    p.column.SetHideWhenEmpty(false);
    p.column.SetProgressStyle(TProgressStyle::psGradient);
    p.column.SetProgressColor(ui::RGBColor(0, 0, 255));
    TSurface grad(104, 20);
    p.display->DrawContent(At(grad.C(), ui::Rect(0, 0, 104, 20)), Float(100));
    EXPECT_EQ(grad.bmp.PixelAt(4, 10), Rgb(clWhite)) << "the gradient starts in the column's colour";
    EXPECT_LT(grad.bmp.PixelAt(99, 10) & 0xFF, 10) << "and ends near the progress colour";

    EXPECT_EQ(TGraphicColumnDisplay::FitRect(ui::Rect(0, 0, 40, 20), 20, 20, false), ui::Rect(10, 0, 30, 20))
        << "square picture in a wide box: centred across";
    EXPECT_EQ(TGraphicColumnDisplay::FitRect(ui::Rect(0, 0, 40, 20), 80, 20, false), ui::Rect(0, 5, 40, 15));
    EXPECT_EQ(TGraphicColumnDisplay::FitRect(ui::Rect(0, 0, 40, 20), 80, 20, true), ui::Rect(0, 0, 40, 20));
}

TEST(Displays, RateGlyphsAndMarkup)
{
    TColumnWithDisplay<TRateColumn> rate;
    ui::TBitmap red(4, 4), blue(4, 4);
    red.Canvas().Brush().SetColor(clRed);
    red.Canvas().FillRect(ui::Rect(0, 0, 4, 4));
    blue.Canvas().Brush().SetColor(ui::RGBColor(0, 0, 255));
    blue.Canvas().FillRect(ui::Rect(0, 0, 4, 4));
    rate.column.SetGlyph(red);
    rate.column.SetEmptyGlyph(blue);
    rate.column.SetAlignment(TAlignment::taLeftJustify);
    rate.column.SetVerticalAlignment(TVerticalAlignment::vaTop);
    TSurface s(30, 8);
    rate.display->DrawContent(At(s.C(), ui::Rect(0, 0, 30, 8)), Int(2));
    EXPECT_EQ(s.bmp.PixelAt(1, 1), Rgb(clRed));
    EXPECT_EQ(s.bmp.PixelAt(5, 1), Rgb(clRed));
    EXPECT_EQ(s.bmp.PixelAt(9, 1), ui::RGBColor(0, 0, 255)) << "positions past the value use the empty glyph";
    EXPECT_EQ(s.bmp.PixelAt(17, 1), ui::RGBColor(0, 0, 255)) << "Max glyphs in all";
    EXPECT_EQ(s.bmp.PixelAt(21, 1), Rgb(clWhite));

    TColumnWithDisplay<THtmlColumn> html;
    html.column.SetWrapKind(TWrapKind::wkNone);
    TSurface m(200, 20);
    html.display->DrawContent(At(m.C(), ui::Rect(0, 0, 200, 20)),
                              Text(L"Arayan <font color=\"#FF0000\"><b>0532</b></font> <a>bak</a>"));
    EXPECT_GT(CountOf(m.bmp, clRed), 5) << "font color in red";
    EXPECT_GT(CountOf(m.bmp, ui::RGBColor(0, 0, 255)), 5) << "links in blue";
    EXPECT_EQ(m.C().Font().Color(), clBlack) << "the canvas font is restored";

    html.column.SetWrapKind(TWrapKind::wkEllipsis);
    TSurface cut(60, 20);
    html.display->DrawContent(At(cut.C(), ui::Rect(0, 0, 60, 20)),
                              Text(L"bir iki \x00FC\x00E7 d\x00F6rt be\x015F alt\x0131"));
    EXPECT_LT(LastDarkColumn(cut.bmp, RECT{0, 0, 60, 20}), 58) << "words stop with an ellipsis before the edge";
}

// The markup reader, without a canvas: which words come out, in which font and style.
TEST(Displays, MarkupRunsWordsFontsAndBreaks)
{
    const THtmlFont base{clBlack, L"MS Sans Serif", 8};
    auto words = [](const std::vector<THtmlRun>& runs) {
        std::wstring all;
        for (const THtmlRun& run : runs)
            all += (run.Kind == THtmlRun::hrBreak ? L"|" : L"[" + run.Text + L"]");
        return all;
    };

    std::vector<THtmlRun> runs = ParseHtmlRuns(L"  Arayan  <b>05<i>32</i></b> <a href='x'>bak</a>", base);
    EXPECT_EQ(words(runs), L"[Arayan][05][32][bak]") << "spaces and tags end words; repeated spaces make no empty word";
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_FALSE(runs[0].Bold || runs[0].Italic || runs[0].Underline) << "plain text adds no style";
    EXPECT_TRUE(runs[1].Bold && !runs[1].Italic) << "bold up to its closing tag";
    EXPECT_TRUE(runs[2].Bold && runs[2].Italic) << "styles nest";
    EXPECT_TRUE(runs[3].Underline && !runs[3].Bold) << "a link is underlined, bold closed before it";
    EXPECT_EQ(runs[3].Font.Color, ui::RGBColor(0, 0, 255)) << "a link is blue";

    runs = ParseHtmlRuns(L"<FONT Color=\"#FF8000\" name=Arial size='12'>a <font size=0>b</font></font></font>c", base);
    ASSERT_EQ(words(runs), L"[a][b][c]");
    EXPECT_EQ(runs[0].Font.Color, ui::RGBColor(0xFF, 0x80, 0x00)) << "colour read as #RRGGBB, tag and attributes in any case";
    EXPECT_EQ(runs[0].Font.Name, L"Arial");
    EXPECT_EQ(runs[0].Font.Size, 12) << "quoted, unquoted and single-quoted values";
    EXPECT_EQ(runs[1].Font.Size, 12) << "a size that is not positive keeps the outer size";
    EXPECT_EQ(runs[2].Font.Name, L"MS Sans Serif") << "closing the font goes back to the cell font";
    EXPECT_EQ(runs[2].Font.Color, clBlack) << "and a closing tag too many leaves the cell font in place";

    runs = ParseHtmlRuns(L"x</b></i><b>y</b><br>z<BR/><colour=red>w", base);
    EXPECT_EQ(words(runs), L"[x][y]|[z]|[w]") << "line breaks in both spellings; unknown tags dropped";
    EXPECT_TRUE(runs[1].Bold) << "closing tags that close nothing do not make a later tag inert";
    EXPECT_FALSE(runs[3].Bold);

    runs = ParseHtmlRuns(L"a <b>1 < 2 and more", base);
    EXPECT_EQ(words(runs), L"[a][1][< 2 and more]") << "a '<' without '>' is text to the end, in the current style";
    EXPECT_TRUE(runs.back().Bold);
    EXPECT_TRUE(ParseHtmlRuns(L"", base).empty());
    EXPECT_TRUE(ParseHtmlRuns(L"<b> </b>", base).empty()) << "tags and spaces alone draw nothing";
}

TEST(Displays, PartPainterCellsAndThemedPaths)
{
    TFakeThemes classic(false);
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    TCustomColumn* column = grid->Columns()->Items(3);
    column->Footer()->SetCaption(L"12");
    TColumnPartDisplay& painter = grid->PartDisplay();
    TSurface s(80, 30);
    TPartDrawState part{.Canvas = s.C(), .Column = *column, .Part = pkFooter, .Rect = ui::Rect(0, 0, 80, 30)};
    painter.DrawPart(part);
    EXPECT_EQ(s.bmp.PixelAt(40, 29), Rgb(clBtnFace)) << "footer: grid line along the bottom";
    EXPECT_EQ(s.bmp.PixelAt(79, 10), Rgb(clBtnFace)) << "and the right";
    int l = FirstDarkColumn(s.bmp, RECT{0, 0, 78, 28}), r = LastDarkColumn(s.bmp, RECT{0, 0, 78, 28});
    EXPECT_NEAR((l + r) / 2, 40, 3) << "the caption follows the column's centred alignment";

    part.Part = pkInput;
    part.InputActive = true;
    part.GridFocused = true;
    column->SetInputCaption(L"ara");
    grid->SetCurrentCell(0, 0);
    painter.DrawPart(part);
    EXPECT_EQ(s.bmp.PixelAt(5, 5), Rgb(clHighlight)) << "an active input row is highlighted";
    EXPECT_EQ(s.bmp.PixelAt(79, 5), Rgb(clHighlight)) << "with grid lines in the highlight colour";
    part.GridFocused = false;
    painter.DrawPart(part);
    EXPECT_EQ(s.bmp.PixelAt(5, 5), Rgb(clBtnFace)) << "button face when the grid lacks focus";
    part.InputActive = false;

    // The styled look goes through the theme services (Wine has none by default).
    TFakeThemes themes;
    TColumnWithDisplay<TCheckBoxColumn> box;
    grid->HandleNeeded();
    grid->Columns()->AddColumn(&box.column);
    box.display->DrawContent(At(s.C(), ui::Rect(0, 0, 40, 20), grid->Handle()), Bool(true));
    ASSERT_EQ(TFakeThemes::Calls().size(), 1u);
    EXPECT_EQ(TFakeThemes::Calls()[0].ClassName, L"Button");
    EXPECT_EQ(TFakeThemes::Calls()[0].Part, 3);
    EXPECT_EQ(TFakeThemes::Calls()[0].State, 5) << "ticked, normal";
    EXPECT_EQ(TFakeThemes::Calls()[0].Rect.right - TFakeThemes::Calls()[0].Rect.left, 13);
}

TEST(Displays, HotAndPressedLooksExistOnlyInTheStyledLook)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    grid->HandleNeeded();
    TColumnPartDisplay& painter = grid->PartDisplay();
    TColumnWithDisplay<TCheckBoxColumn> box;
    box.column.SetAlignment(TAlignment::taCenter);
    grid->Columns()->AddColumn(&box.column);
    const ui::TRect cell = ui::Rect(0, 0, 40, 20);
    auto boxIn = [&](TSurface& s, bool checked, bool hot, bool pressed) {
        TCellDrawState state = At(s.C(), cell, grid->Handle());
        state.Hot = hot;
        state.Pressed = pressed;
        box.display->DrawContent(state, Bool(checked));
    };
    {
        TFakeThemes themes;
        TSurface s(80, 20);
        TPartDrawState header{.Canvas = s.C(), .Column = *grid->Columns()->Items(3), .Part = pkHeader,
                              .Rect = ui::Rect(0, 0, 80, 20)};
        painter.DrawPart(header);
        header.Hot = true;
        painter.DrawPart(header);
        for (bool checked : {false, true}) {
            boxIn(s, checked, false, false);
            boxIn(s, checked, true, false);
            boxIn(s, checked, true, true);
            boxIn(s, checked, false, true);
        }
        std::vector<int> states;
        for (const TThemeCall& call : TFakeThemes::Calls())
            states.push_back(call.State);
        EXPECT_EQ(states, (std::vector<int>{1, 2, 1, 2, 3, 3, 5, 6, 7, 7}))
            << "header: normal, hot; box unticked then ticked: normal, hot, pressed, pressed (held, pointer off)";
    }

    // The classic looks: the header and the box under the pointer look as they do elsewhere;
    // only a held box shows the button face.
    TFakeThemes classic(false);
    TSurface normal(80, 20), hot(80, 20);
    TPartDrawState header{.Canvas = normal.C(), .Column = *grid->Columns()->Items(3), .Part = pkHeader,
                          .Rect = ui::Rect(0, 0, 80, 20)};
    painter.DrawPart(header);
    TPartDrawState hotHeader{.Canvas = hot.C(), .Column = *grid->Columns()->Items(3), .Part = pkHeader,
                             .Rect = ui::Rect(0, 0, 80, 20), .Hot = true};
    painter.DrawPart(hotHeader);
    EXPECT_TRUE(normal.SameAs(hot)) << "a classic header has no hot look";
    TSurface plainBox(40, 20), hotBox(40, 20), heldBox(40, 20);
    boxIn(plainBox, true, false, false);
    boxIn(hotBox, true, true, false);
    boxIn(heldBox, true, true, true);
    EXPECT_TRUE(plainBox.SameAs(hotBox)) << "a classic box has no hot look";
    EXPECT_EQ(heldBox.bmp.PixelAt(17, 7), Rgb(clBtnFace)) << "a held classic box shows the button face";
    EXPECT_EQ(plainBox.bmp.PixelAt(17, 7), Rgb(clWindow));
}
