// The grid's paint on memory bitmaps: geometry in pixels, grid lines in each style, the empty
// grid, headers, the indicator, selection and focus, the styled and classic paths, clipping,
// invalidation on resize, the update bracket, and handle use over many paints.
#include "PaintTestSupport.h"

#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "grid/view/Displays.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/SharedClasses.h"
#include "tests/support/GdiLeakCheck.h"
#include "tests/support/InputSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

using namespace grid;
using namespace gridtest;

namespace {

// The call-list grid on a shown window, without focus and with nothing pending to paint, in the
// classic look unless a test puts styles in place.
struct TPaintGrid {
    TFakeThemes classic{false};
    std::unique_ptr<THostForm> host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);

    TPaintGrid()
    {
        host->Show();
        grid->HandleNeeded();
        SetFocus(nullptr);
        ValidateRect(grid->Handle(), nullptr);
    }
    std::unique_ptr<ui::TBitmap> Paint(const RECT* clip = nullptr) { return PaintToBitmap(*grid, clip); }
    TCustomColumn* Col(int index) { return grid->Columns()->Items(index); }
    void SetOption(TGridOption o, bool on)
    {
        TGridOptions v = grid->Options();
        if (on)
            v.Include(o);
        else
            v.Exclude(o);
        grid->SetOptions(v);
    }
};

ui::TColor clYellowForTest() { return ui::RGBColor(255, 255, 0); }

int CountColour(ui::TBitmap& bmp, const RECT& r, ui::TColor colour)
{
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += bmp.PixelAt(x, y) == Rgb(colour);
    return n;
}

} // namespace

TEST(GridPaint, RowsAndColumnsInPixels)
{
    TPaintGrid g;
    g.grid->AddRows(2);
    TCustomColumn* saat = g.Col(0);
    saat->SetWidth(99);
    int left = saat->Left(), x = left + 10;
    auto bmp = g.Paint();
    ui::TColor window = Rgb(clWindow), line = Rgb(clBtnFace);
    EXPECT_EQ(bmp->PixelAt(x, 20), window) << "row 0 starts right under the 20-pixel header";
    EXPECT_EQ(bmp->PixelAt(x, 39), window) << "row 0 ends on y 39";
    EXPECT_EQ(bmp->PixelAt(x, 40), line) << "its grid line lies on y 40";
    EXPECT_EQ(bmp->PixelAt(x, 41), window) << "row 1 starts at 20 + 21";
    EXPECT_EQ(bmp->PixelAt(x, 61), line);
    EXPECT_EQ(bmp->PixelAt(left + 97, 30), window) << "a 99-pixel column's cell is 98 pixels wide";
    EXPECT_EQ(bmp->PixelAt(left + 98, 30), line) << "its grid line is the 99th pixel";

    g.grid->SetGridLinesStyle(TGridLinesStyle::lsHorizontalOnly);
    bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(left + 98, 30), window) << "with horizontal lines only the cell is 99 wide";
    EXPECT_EQ(bmp->PixelAt(x, 40), line);

    g.grid->SetGridLinesStyle(TGridLinesStyle::lsFramed);
    bmp = g.Paint();
    TCustomColumn* last = g.grid->Columns()->DisplayItems(4);
    int lastRight = g.grid->CellRect(last->Index(), 0).right;
    EXPECT_EQ(bmp->PixelAt(x, 40), line) << "inner rows keep the grey line";
    EXPECT_EQ(bmp->PixelAt(x, 61), Rgb(clBlack)) << "black under the last row";
    EXPECT_EQ(bmp->PixelAt(lastRight, 30), Rgb(clBlack)) << "black right of the last column";
    EXPECT_EQ(bmp->PixelAt(lastRight, 70), line) << "empty rows below keep the grey line";
    EXPECT_EQ(bmp->PixelAt(left + 98, 30), line) << "inner columns keep the grey line";

    g.SetOption(TGridOption::goGrid, false);
    bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(x, 40), window) << "without goGrid rows follow each other directly";
    EXPECT_EQ(bmp->PixelAt(left + 98, 30), window);
}

TEST(GridPaint, EmptyGridShowsEmptyCellsAndItsCaption)
{
    TPaintGrid g;
    g.grid->SetCaption(L"Kay\x0131t yok");
    auto bmp = g.Paint();
    int cw = g.grid->ClientWidth(), ch = g.grid->ClientHeight();
    int x = g.Col(3)->Left() + 5; // left of the caption's centred text
    int rows = 0;
    for (int y = 40; y < ch; y += 21, ++rows)
        EXPECT_EQ(bmp->PixelAt(x, y), Rgb(clBtnFace)) << "empty row position " << rows << " has its grid line";
    EXPECT_GE(rows, 6);
    EXPECT_EQ(bmp->PixelAt(x, 30), Rgb(clWindow)) << "empty cells in the grid's colour";
    RECT band{0, 20, cw, ch};
    int top = FirstDarkRow(*bmp, band);
    EXPECT_GE(top, 24) << "the caption starts 4 pixels below the header";
    EXPECT_LE(top, 24 + 6);
    int l = FirstDarkColumn(*bmp, band), r = LastDarkColumn(*bmp, band);
    ASSERT_GT(r, l);
    EXPECT_NEAR((l + r) / 2, cw / 2, 3) << "centred across the client width";

    g.grid->AddRows(1);
    bmp = g.Paint();
    EXPECT_EQ(FirstDarkRow(*bmp, RECT{0, 20, cw, ch}), -1) << "a grid with rows shows no caption";
}

TEST(GridPaint, HeadersCaptionsAndSortMark)
{
    TPaintGrid g;
    g.grid->AddRows(1);
    g.grid->Cell(3, 0)->SetAsString(L"1");
    TCustomColumn* hat = g.Col(3); // shown first, centred cells
    int w = hat->Width();
    auto bmp = g.Paint();
    int headerText = FirstDarkColumn(*bmp, RECT{0, 2, w - 2, 18});
    EXPECT_GE(headerText, 3) << "header text starts after the frame and margin";
    EXPECT_LE(headerText, 6) << "left-aligned although the column is centred";
    EXPECT_GT(FirstDarkColumn(*bmp, RECT{0, 21, w - 1, 40}), w / 2 - 8) << "the cell text is centred";
    EXPECT_EQ(bmp->PixelAt(10, 0), Rgb(clBtnHighlight)) << "flat frame: light top line";
    EXPECT_EQ(bmp->PixelAt(10, 19), Rgb(clBtnShadow)) << "flat frame: dark bottom line";
    EXPECT_EQ(bmp->PixelAt(w - 1, 1), Rgb(clBtnFace)) << "a cut corner between two headers";
    EXPECT_EQ(bmp->PixelAt(w - 1, 5), Rgb(clBtnShadow)) << "the groove between two headers";

    // The sort mark sits 19 pixels right of the caption and is left out when it would reach the
    // header's right edge.
    ui::TBitmap measure(1, 1);
    measure.Canvas().SetFont(*g.grid->Font());
    int captionWidth = measure.Canvas().TextWidth(hat->Header()->Caption());
    int markX = TColumnPartDisplay::SortMarkLeft(0, TDisplayMode::dmTextOnly, 0, captionWidth);
    EXPECT_EQ(markX, 2 + captionWidth + 19);
    hat->SetSorted(true);
    hat->SetWidth(markX + 9);
    bmp = g.Paint();
    RECT mark{markX, 2, markX + 8, 18};
    EXPECT_GT(CountColour(*bmp, mark, clBtnShadow), 2) << "the mark fits: x + 8 is left of the right edge";
    hat->SetWidth(markX + 8);
    bmp = g.Paint();
    EXPECT_EQ(CountColour(*bmp, RECT{markX, 2, markX + 7, 18}, clBtnShadow), 0) << "x + 8 at the right edge: no mark";
}

TEST(GridPaint, HintMarkerIndicatorArrowAndSelection)
{
    TPaintGrid g;
    g.grid->AddRows(2);
    g.grid->Cell(4, 1)->SetHint("ayr\xfdnt\xfd");
    ui::TRect cell = g.grid->CellRect(4, 1);
    auto bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(cell.right - 1, cell.top), Rgb(clRed)) << "hint marker in the top-right corner";
    EXPECT_EQ(bmp->PixelAt(cell.right - 1, cell.top + 3), Rgb(clRed));
    EXPECT_EQ(bmp->PixelAt(cell.right - 5, cell.top), Rgb(clRed));
    EXPECT_NE(bmp->PixelAt(cell.right - 5, cell.top + 3), Rgb(clRed)) << "a triangle, not a square";
    ui::TRect plain = g.grid->CellRect(4, 0);
    EXPECT_NE(bmp->PixelAt(plain.right - 1, plain.top), Rgb(clRed)) << "no marker without a hint";

    g.SetOption(TGridOption::goIndicator, true);
    EXPECT_EQ(g.Col(3)->Left(), kIndicatorWidth) << "the columns move right of the indicator";
    bmp = g.Paint();
    // Arrow box 6 x 11 centred in (0, 20, 12, 41): from (3, 25).
    EXPECT_EQ(bmp->PixelAt(4, 30), Rgb(clWindowText)) << "the current row shows the arrow";
    EXPECT_EQ(bmp->PixelAt(3, 25), Rgb(clWindowText));
    EXPECT_NE(bmp->PixelAt(4, 51), Rgb(clWindowText)) << "other rows have none";
    EXPECT_EQ(bmp->PixelAt(6, 60), Rgb(clBtnFace)) << "indicator cells are button-faced";

    // Selection follows the focus: the current cell is highlighted only while the grid has it.
    g.SetOption(TGridOption::goIndicator, false);
    g.grid->SetCurrentCell(1, 1);
    ui::TRect current = g.grid->CellRect(1, 1);
    bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(current.left + 3, current.top + 3), Rgb(clWindow)) << "no focus: no selection";
    ::SetFocus(g.grid->Handle());
    ASSERT_TRUE(g.grid->GridFocused());
    bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(current.left + 3, current.top + 3), Rgb(clHighlight)) << "focused: highlighted";
    EXPECT_TRUE(bmp->PixelAt(current.left, current.top + 5) != Rgb(clHighlight) ||
                bmp->PixelAt(current.left, current.top + 6) != Rgb(clHighlight))
        << "the dotted focus frame";
    g.SetOption(TGridOption::goAlphaBlendedSelection, true);
    bmp = g.Paint();
    ui::TColor mixed = Rgb(TGraphicsProvider::MixColors(clWindow, clHighlight, 0.25));
    EXPECT_EQ(bmp->PixelAt(current.left + 3, current.top + 3), mixed) << "a quarter highlight over the window colour";
    EXPECT_EQ(bmp->PixelAt(current.left, current.top + 5), Rgb(clHighlight)) << "a solid focus frame";
    SetFocus(nullptr);
}

TEST(GridPaint, CellEventsColoursAndClip)
{
    TPaintGrid g;
    g.grid->AddRows(3);
    std::map<std::pair<int, int>, int> coloured;
    g.grid->OnCellColoring = [&](ui::TObject* sender, int col, int row, TColor& cell, TColor& lines, TCellState) {
        EXPECT_EQ(sender, g.grid);
        ++coloured[{col, row}];
        if (col == 1 && row == 1) {
            cell = clYellowForTest();
            lines = clBlack;
        }
    };
    auto bmp = g.Paint();
    ui::TRect r = g.grid->CellRect(1, 1);
    EXPECT_EQ(bmp->PixelAt(r.left + 2, r.top + 2), Rgb(clYellowForTest())) << "OnCellColoring sets the fill";
    EXPECT_EQ(bmp->PixelAt(r.left + 2, r.bottom), Rgb(clBlack)) << "and the grid-line colour";
    EXPECT_EQ(coloured[std::make_pair(1, 1)], 1);

    bool customDrawn = false;
    g.grid->OnDrawCellBackground = [&](ui::TObject*, int col, int row, const ui::TRect&, TCellState, bool& def) {
        if (col == 2 && row == 0)
            def = false;
    };
    g.Col(2)->SetDrawingOptions(TDrawingOptions::doCustom);
    g.grid->OnCustomDrawCell = [&](ui::TObject*, int col, int row, const ui::TRect&, TCellState) {
        customDrawn |= col == 2 && row == 2;
    };
    bmp = g.Paint();
    ui::TRect skipped = g.grid->CellRect(2, 0);
    EXPECT_EQ(bmp->PixelAt(skipped.left + 3, skipped.top + 3), ui::RGBColor(1, 2, 3))
        << "DefaultDrawing False leaves the cell to the handler";
    EXPECT_TRUE(customDrawn) << "doCustom raises OnCustomDrawCell";

    // A paint limited to one cell touches nothing else and colours only that cell.
    coloured.clear();
    ui::TRect one = g.grid->CellRect(4, 2);
    RECT clip{one.left + 2, one.top + 2, one.right - 2, one.bottom - 2};
    bmp = g.Paint(&clip);
    EXPECT_EQ(coloured.size(), 1u) << "cells outside the clip box are skipped before any colour work";
    EXPECT_EQ(coloured.count({4, 2}), 1u);
    EXPECT_EQ(bmp->PixelAt(one.left + 5, one.top + 5), Rgb(clWindow));
    EXPECT_EQ(bmp->PixelAt(one.left - 5, one.top + 5), ui::RGBColor(1, 2, 3)) << "nothing outside the clip";
    EXPECT_EQ(bmp->PixelAt(5, 5), ui::RGBColor(1, 2, 3)) << "the header was not in the clip";
}

TEST(GridPaint, StyledAndClassicPaths)
{
    TPaintGrid g;
    g.Col(2)->SetWidth(50); // leaves room right of the last column
    g.grid->AddRows(1);
    {
        TFakeThemes themes;
        auto bmp = g.Paint();
        int items = 0, empty = 0;
        for (const TThemeCall& call : TFakeThemes::Calls()) {
            items += call.ClassName == L"header" && call.Part == 1;
            empty += call.ClassName == L"header" && call.Part == 2;
        }
        EXPECT_EQ(items, 5) << "styled header items for every column";
        EXPECT_EQ(empty, 1) << "an empty styled item right of the last column";
        EXPECT_EQ(bmp->PixelAt(g.grid->ClientWidth() - 2, 30), Rgb(clWindow)) << "below it, the grid's colour";

        TFakeThemes::Calls().clear();
        RedrawWindow(g.grid->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
        bool border = false;
        for (const TThemeCall& call : TFakeThemes::Calls())
            border |= call.ClassName == L"listview" && call.Part == 1;
        EXPECT_TRUE(border) << "the styled list-view frame replaces the sunken edge";

        TFakeThemes::Calls().clear();
        g.grid->SetHeaderStyle(THeaderStyle::hsDefault);
        bmp = g.Paint();
        EXPECT_TRUE(TFakeThemes::Calls().empty()) << "hsDefault draws classic headers even with styles";
        EXPECT_EQ(bmp->PixelAt(10, 0), Rgb(clBtnHighlight));
        g.grid->SetHeaderStyle(THeaderStyle::hsAuto);
    }
    auto bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(10, 0), Rgb(clBtnHighlight)) << "without styles: the flat frame";
    EXPECT_EQ(bmp->PixelAt(g.grid->ClientWidth() - 2, 5), Rgb(clWindow)) << "and a plain band right of the columns";
    EXPECT_NE(GetWindowLongW(g.grid->Handle(), GWL_EXSTYLE) & WS_EX_STATICEDGE, 0) << "the platform's edge";

    g.grid->SetHeaderStyle(THeaderStyle::hsOldStyle);
    bmp = g.Paint();
    EXPECT_EQ(bmp->PixelAt(10, 19), Rgb(clWindowFrame)) << "old style: dark bottom edge";
}

TEST(GridPaint, HotHeaderLooksHotInTheStyledLookOnly)
{
    TInputGrid g(2);
    auto headerOf = [&](int col) {
        TCustomColumn* c = g.grid->Columns()->Items(col);
        int left = c->Left() - g.grid->HorzScrollBar()->Position();
        return RECT{left, 0, left + c->Width(), g.grid->HeaderSize()};
    };
    const RECT strip{0, 0, g.grid->ClientWidth(), g.grid->HeaderSize()};
    POINT over = g.HeaderCenter(2);
    {
        // Wine's own style draws the header items, so the hot item's look is the theme's.
        TWineTheme theme;
        ASSERT_TRUE(theme.Active()) << theme.Why();
        auto normal = PaintToBitmap(*g.grid);
        testsupport::SendMouse(g.Wnd(), WM_MOUSEMOVE, over.x, over.y);
        ASSERT_EQ(g.grid->HotHeader(), 2);
        auto hot = PaintToBitmap(*g.grid);
        EXPECT_GT(DifferingPixels(*normal, *hot, headerOf(2)), 0) << "the header under the pointer looks hot";
        EXPECT_EQ(DifferingPixels(*normal, *hot, headerOf(1)), 0) << "the other headers keep their look";
        SendMessageW(g.Wnd(), WM_MOUSELEAVE, 0, 0);
        auto left = PaintToBitmap(*g.grid);
        EXPECT_EQ(DifferingPixels(*normal, *left, strip), 0) << "back to normal when the mouse leaves";
    }
    EXPECT_FALSE(ThemesActive()) << "the style is off again for the tests that follow";

    TFakeThemes classic(false);
    auto normal = PaintToBitmap(*g.grid);
    testsupport::SendMouse(g.Wnd(), WM_MOUSEMOVE, over.x, over.y);
    ASSERT_EQ(g.grid->HotHeader(), 2);
    auto hot = PaintToBitmap(*g.grid);
    EXPECT_EQ(DifferingPixels(*normal, *hot, strip), 0) << "the classic headers have no hot look";
    SendMessageW(g.Wnd(), WM_MOUSELEAVE, 0, 0);
}

TEST(GridPaint, InputRowAndFooter)
{
    TPaintGrid g;
    g.grid->AddRows(1);
    g.Col(3)->SetInputCaption(L"ara");
    g.Col(3)->Footer()->SetCaption(L"Toplam");
    g.SetOption(TGridOption::goInput, true);
    g.SetOption(TGridOption::goFooter, true);
    auto bmp = g.Paint();
    int ch = g.grid->ClientHeight();
    ui::TRect input = g.grid->InputRect();
    EXPECT_EQ(input.top, 20);
    EXPECT_GT(CountColour(*bmp, RECT{0, input.top, g.Col(3)->Width(), input.top + 12}, clGrayText), 3)
        << "the input caption in grey";
    int band = input.top + 12 + 1;
    EXPECT_EQ(bmp->PixelAt(30, band), Rgb(clBtnHighlight)) << "the band under the input row is a raised panel";
    EXPECT_EQ(bmp->PixelAt(30, band + 2), Rgb(clBtnFace));
    ui::TRect footer = g.grid->FooterRect();
    EXPECT_EQ(footer.top, ch - 24 - 1);
    EXPECT_EQ(bmp->PixelAt(30, footer.top), Rgb(clBtnHighlight)) << "a 4-pixel band tops the footer";
    EXPECT_EQ(bmp->PixelAt(30, ch - 1), Rgb(clBtnFace)) << "the footer's bottom grid line";
    EXPECT_NE(FirstDarkRow(*bmp, RECT{0, footer.top + 4, g.Col(3)->Width() - 2, ch - 1}), -1) << "footer caption";
    ui::TRect data = g.grid->DataRect();
    EXPECT_EQ(data.top, input.bottom);
    EXPECT_EQ(data.bottom, footer.top);
    EXPECT_EQ(g.grid->CellRect(3, 0).top, data.top);
}

TEST(GridPaint, ResizeInvalidatesOnlyWhatItUncovers)
{
    TPaintGrid g;
    EXPECT_EQ(g.grid->Columns()->VisibleWidth(), g.grid->ClientWidth()) << "auto-sized columns fill the client";
    g.grid->AddRows(12); // the vertical bar appears and narrows the client
    ASSERT_TRUE(g.grid->VertScrollBar()->Visible());
    EXPECT_EQ(g.grid->Columns()->VisibleWidth(), g.grid->ClientWidth()) << "and follow it when a bar comes";
    g.grid->ClearRows();
    UpdateWindow(g.grid->Handle());
    EXPECT_FALSE(g.grid->VertScrollBar()->Visible()) << "the next paint drops the bar no longer needed";
    EXPECT_EQ(g.grid->Columns()->VisibleWidth(), g.grid->ClientWidth());
    for (int i = 0; i < g.grid->Columns()->Count(); ++i)
        g.Col(i)->SetOptions(g.Col(i)->Options() - TColumnOptions{TColumnOption::coAutoSize});
    ValidateRect(g.grid->Handle(), nullptr);
    int oldWidth = g.grid->ClientWidth();
    g.grid->SetWidth(g.grid->Width() + 40);
    RECT pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.left, oldWidth) << "only the uncovered strip at the right";
    EXPECT_EQ(pending.right, oldWidth + 40);

    g.SetOption(TGridOption::goFooter, true);
    ValidateRect(g.grid->Handle(), nullptr);
    int oldHeight = g.grid->ClientHeight();
    g.grid->SetHeight(g.grid->Height() - 30);
    pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.top, oldHeight - 30 - 25) << "the footer's new place";
    EXPECT_EQ(pending.bottom, oldHeight - 30);

    ValidateRect(g.grid->Handle(), nullptr);
    g.grid->SetHeight(g.grid->Height() + 30);
    pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.top, oldHeight - 30 - 25) << "and the band the footer left behind";
}

TEST(GridPaint, AppendedRowIsPaintedOnceAfterTheHandlerWithAllValues)
{
    TPaintGrid g;
    UpdateWindow(g.grid->Handle());
    std::map<int, int> paints;
    std::map<int, std::wstring> seen;
    int row = -1;
    g.grid->OnCellColoring = [&](ui::TObject*, int col, int r, TColor&, TColor&, TCellState) {
        if (r == row) {
            ++paints[col];
            seen[col] = g.grid->GetCellText(col, r);
        }
    };
    // The call list's handler: append, bracket, fill the five values.
    g.grid->AddRows(1);
    row = g.grid->RowCount() - 1;
    g.grid->BeginUpdate();
    const wchar_t* values[] = {L"12:30:05", L"0001", L"1", L"2", L"05321234567"};
    for (int col = 0; col < 5; ++col)
        g.grid->Cell(col, row)->SetAsString(values[col]);
    g.grid->EndUpdate();
    EXPECT_TRUE(paints.empty()) << "nothing is painted inside the handler";
    UpdateWindow(g.grid->Handle());
    for (int col = 0; col < 5; ++col) {
        EXPECT_EQ(paints[col], 1) << "column " << col << " painted once";
        EXPECT_EQ(seen[col], values[col]) << "with its value";
    }
    RECT pending = PendingUpdate(g.grid->Handle());
    EXPECT_TRUE(IsRectEmpty(&pending));
}

TEST(GridPaint, RepeatedPaintsKeepHandlesAndTextCallsBounded)
{
    TPaintGrid g;
    g.grid->AddRows(6);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 5; ++c)
            g.grid->Cell(c, r)->SetAsString(L"v" + std::to_wstring(r * 5 + c));
    g.grid->Cell(1, 1)->SetHint("h");
    g.SetOption(TGridOption::goIndicator, true);
    g.SetOption(TGridOption::goFooter, true);
    ui::TBitmap bmp(g.grid->ClientWidth(), g.grid->ClientHeight());
    HDC dc = bmp.Canvas().Handle();
    // Warm up: the painters and the fonts they keep are made on first use.
    SendMessageW(g.grid->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    auto before = testsupport::TakeGdiSnapshot();
    for (int i = 0; i < 200; ++i)
        SendMessageW(g.grid->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    {
        TFakeThemes themes;
        for (int i = 0; i < 50; ++i)
            SendMessageW(g.grid->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    }
    auto after = testsupport::TakeGdiSnapshot();
    EXPECT_EQ(testsupport::GdiGrowth(before, after), "") << "every object made in a paint is released in it";

    PaintCounters().TextCalls = 0;
    SendMessageW(g.grid->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    int visibleRows = g.grid->VisibleRowCount();
    EXPECT_LE(PaintCounters().TextCalls, (visibleRows + 1) * (5 + 1));
    EXPECT_GE(PaintCounters().TextCalls, 6 * 5) << "each cell drawn";
}

TEST(GridPaint, RowOperationsRepaintEverythingThatMovedAndLeaveTheHeaders)
{
    // Painting only what a row operation queued, over the picture from before it, must give the
    // picture a full paint gives; and the header, which no row operation changes, stays queued out.
    TPaintGrid g;
    g.SetOption(TGridOption::goFooter, true);
    g.SetOption(TGridOption::goIndicator, true);
    auto fill = [&](int row, int n) {
        g.grid->BeginUpdate();
        for (int col = 0; col < 5; ++col)
            g.grid->Cell(col, row)->SetAsString(std::to_wstring(n * 10 + col));
        g.grid->EndUpdate();
    };
    auto check = [&](const char* what, const std::function<void()>& operation) {
        UpdateWindow(g.grid->Handle());
        std::unique_ptr<ui::TBitmap> picture = g.Paint();
        operation();
        RECT header = g.grid->Layout().HeaderRect();
        HRGN pending = CreateRectRgn(0, 0, 0, 0);
        GetUpdateRgn(g.grid->Handle(), pending, FALSE);
        EXPECT_FALSE(RectInRegion(pending, &header)) << what << ": the header is not repainted";
        DeleteObject(pending);
        EXPECT_TRUE(RepaintPendingOver(*g.grid, *picture)) << what;
        std::unique_ptr<ui::TBitmap> full = g.Paint();
        POINT at = FirstDifference(*picture, *full);
        EXPECT_EQ(at.x, -1) << what << ": stale pixel at " << at.x << ", " << at.y;
    };

    // Four rows fit above the footer without a scroll bar, whose coming or going would rightly
    // repaint everything.
    for (int n = 0; n < 4; ++n) {
        g.grid->AddRows(1);
        fill(n, n);
    }
    ASSERT_FALSE(g.grid->VertScrollBar()->Visible());
    g.grid->SetCurrentCell(2, 3, {});
    int next = 4;
    // The call list's turn: the oldest row goes, a new one comes and is filled in the bracket.
    check("a call", [&] {
        g.grid->DeleteRow(0);
        g.grid->AddRows(1);
        fill(g.grid->RowCount() - 1, next++);
    });
    check("the last row deleted", [&] { g.grid->DeleteRow(g.grid->RowCount() - 1); });
    check("a middle row deleted", [&] { g.grid->DeleteRow(2); });

    // Scrolled down, a row deleted above the first row shown moves every row in view.
    for (int n = 0; n < 30; ++n) {
        g.grid->AddRows(1);
        fill(g.grid->RowCount() - 1, next++);
    }
    g.grid->VertScrollBar()->SetPosition(10);
    check("a row above the view deleted", [&] { g.grid->DeleteRow(1); });
    check("the row under the current cell deleted", [&] { g.grid->DeleteRow(g.grid->CurrentRow()); });
    while (g.grid->RowCount() > 1)
        g.grid->DeleteRow(0);
    check("the only row deleted", [&] { g.grid->DeleteRow(0); });
}

// Rows painted whole must give the pixels the per-cell path gives, on a grid where plain rows
// sit beside rows with a selection, the current cell, a hint, cells of their own colour, a
// sorted column, texts too wide for their cell, empty rows below the last, and a scroll.
TEST(GridPaint, RowsPaintedWholeMatchTheCellByCellPath)
{
    TPaintGrid g;
    g.grid->AddRows(9);
    for (int r = 0; r < 9; ++r)
        for (int c = 0; c < 5; ++c)
            g.grid->Cell(c, r)->SetAsString(r == 4 ? L"a text far too wide for its cell, cut with an ellipsis"
                                                   : L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c));
    g.grid->Cell(2, 2)->SetHint("ipucu");
    g.grid->Cell(1, 3)->SetColor(clYellowForTest());
    g.grid->Cell(2, 3)->SetColor(clYellowForTest());
    g.grid->Cell(4, 5)->SetColor(clRed);
    g.Col(0)->SetAlignment(TAlignment::taLeftJustify);
    g.Col(1)->SetAlignment(TAlignment::taRightJustify);
    g.Col(3)->SetVerticalAlignment(TVerticalAlignment::vaBottom);
    g.Col(4)->SetVerticalAlignment(TVerticalAlignment::vaTop);
    g.grid->SetCurrentCell(1, 1);
    ValidateRect(g.grid->Handle(), nullptr);

    auto compare = [&](const char* what) {
        g.grid->SetPaintByRows(false);
        auto cells = g.Paint();
        g.grid->SetPaintByRows(true);
        auto rows = g.Paint();
        POINT d = FirstDifference(*cells, *rows);
        EXPECT_EQ(d.x, -1) << what << ": first differing pixel at (" << d.x << ", " << d.y << ")";
    };
    compare("plain, unfocused");
    ::SetFocus(g.grid->Handle());
    compare("focused, with the current cell selected");
    g.SetOption(TGridOption::goSelectFullRow, true);
    compare("a whole row selected");
    g.SetOption(TGridOption::goSelectFullRow, false);
    g.SetOption(TGridOption::goIndicator, true);
    compare("with the indicator");
    g.grid->HorzScrollBar()->SetPosition(30);
    compare("scrolled sideways");
    g.grid->HorzScrollBar()->SetPosition(0);
    g.SetOption(TGridOption::goIndicator, false);
    g.SetOption(TGridOption::goGrid, false);
    compare("without grid lines");
    g.SetOption(TGridOption::goGrid, true);
    g.grid->SetGridLinesStyle(TGridLinesStyle::lsFramed);
    compare("framed lines (cell by cell either way)");
    g.grid->SetGridLinesStyle(TGridLinesStyle::lsNormal);
    g.grid->VertScrollBar()->SetPosition(3);
    compare("scrolled down, empty rows below the last");
    const RECT clip{40, 30, 300, 90};
    g.grid->SetPaintByRows(false);
    auto cells = g.Paint(&clip);
    g.grid->SetPaintByRows(true);
    auto rows = g.Paint(&clip);
    POINT d = FirstDifference(*cells, *rows);
    EXPECT_EQ(d.x, -1) << "an update region cutting through rows: first difference at (" << d.x << ", " << d.y << ")";
    SetFocus(nullptr);
}

// A fitting single line drawn the short way lands on the pixels DrawText gives it, for every
// alignment, odd and even sizes, rectangles just as wide as the text, with and without the
// external leading that header captions ask for.
TEST(GridPaint, FittingLinesLandWhereDrawTextPutsThem)
{
    ui::TBitmap a(120, 40), b(120, 40);
    for (ui::TBitmap* bmp : {&a, &b}) {
        bmp->Canvas().Font().SetName(L"MS Sans Serif");
        bmp->Canvas().Font().SetHeight(-11);
        bmp->Canvas().Brush().SetStyle(ui::TBrushStyle::bsClear);
    }
    const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    int drawn = 0;
    for (const std::wstring text : {L"0532 123 45 67", L"Ii", L"\x00C7a\x011Fr\x0131 s\x0131ra no"})
        for (int width : {20, 41, 60, 61, 80})
            for (int height : {13, 14, 16, 17, 20, 21})
                for (UINT h : horizontal)
                    for (UINT v : vertical) {
                        const UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS | h | v |
                                           (width % 2 == 0 ? DT_EXTERNALLEADING : 0);
                        const ui::TRect r = ui::Rect(3, 2, 3 + width, 2 + height);
                        for (ui::TBitmap* bmp : {&a, &b}) {
                            bmp->Canvas().Brush().SetStyle(ui::TBrushStyle::bsSolid);
                            bmp->Canvas().Brush().SetColor(clWhite);
                            bmp->Canvas().FillRect(ui::Rect(0, 0, 120, 40));
                            bmp->Canvas().Brush().SetStyle(ui::TBrushStyle::bsClear);
                        }
                        ui::TRect rr = r;
                        a.Canvas().DrawText(text, rr, flags);
                        if (!DrawFittingLine(b.Canvas(), text, r, flags)) {
                            EXPECT_GT(b.Canvas().TextWidth(text), width) << "only a text too wide is refused";
                            continue;
                        }
                        ++drawn;
                        POINT d = FirstDifference(a, b);
                        EXPECT_EQ(d.x, -1) << "width " << width << ", height " << height << ", flags " << std::hex
                                           << flags << std::dec << ": first difference at (" << d.x << ", " << d.y
                                           << ")";
                    }
    EXPECT_GT(drawn, 100) << "most cases fit and were compared";
    EXPECT_FALSE(DrawFittingLine(b.Canvas(), L"a\tb", ui::Rect(0, 0, 100, 20), DT_SINGLELINE | DT_NOPREFIX))
        << "control characters go to DrawText";
    EXPECT_FALSE(DrawFittingLine(b.Canvas(), L"a&b", ui::Rect(0, 0, 100, 20), DT_SINGLELINE))
        << "prefix processing goes to DrawText";
}

namespace {

// What the grid's window shows now: its client area read back from the screen.
std::unique_ptr<ui::TBitmap> Screen(TGridView& grid)
{
    auto bmp = std::make_unique<ui::TBitmap>(grid.ClientWidth(), grid.ClientHeight());
    HDC dc = GetDC(grid.Handle());
    BitBlt(bmp->Canvas().Handle(), 0, 0, grid.ClientWidth(), grid.ClientHeight(), dc, 0, 0, SRCCOPY);
    ReleaseDC(grid.Handle(), dc);
    return bmp;
}

} // namespace

// A full list that drops its oldest row and appends a new one moves the rows on the screen and
// repaints only the row uncovered at the foot; what the screen shows afterwards is what a full
// repaint shows. Where the move would carry something that belongs to a screen row rather than
// to the data (the focused current cell), everything under the dropped row is repainted.
TEST(GridPaint, DroppingTheOldestRowMovesTheRowsOnTheScreen)
{
    TPaintGrid g;
    g.SetOption(TGridOption::goFooter, true);
    int counter = 0;
    // Four rows, so that the list never needs a scroll bar in this host.
    auto call = [&] {
        if (g.grid->RowCount() > 3)
            g.grid->DeleteRow(0);
        g.grid->AddRows(1);
        const int row = g.grid->RowCount() - 1;
        TGridUpdate update(*g.grid);
        for (int c = 0; c < 5; ++c)
            g.grid->Cell(c, row)->SetAsString(L"call " + std::to_wstring(++counter));
    };
    for (int i = 0; i < 6; ++i)
        call();
    UpdateWindow(g.grid->Handle());
    const int pitch = g.grid->Layout().RowPitch();
    const ui::TRect data = g.grid->Layout().DataRect();

    auto screenMatchesFullRepaint = [&](const char* what) {
        UpdateWindow(g.grid->Handle());
        auto moved = Screen(*g.grid);
        const ui::TRect last = g.grid->RowRect(g.grid->RowCount() - 1);
        EXPECT_GE(FirstDarkRow(*moved, last), 0) << what << ": the screen was read and shows the newest call";
        InvalidateRect(g.grid->Handle(), nullptr, FALSE);
        UpdateWindow(g.grid->Handle());
        auto full = Screen(*g.grid);
        POINT d = FirstDifference(*moved, *full);
        EXPECT_EQ(d.x, -1) << what << ": first difference at (" << d.x << ", " << d.y << ")";
    };

    g.grid->DeleteRow(0);
    RECT pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.top, data.bottom - pitch) << "only the uncovered foot is queued, not the moved rows";
    g.grid->AddRows(1);
    {
        TGridUpdate update(*g.grid);
        for (int c = 0; c < 5; ++c)
            g.grid->Cell(c, g.grid->RowCount() - 1)->SetAsString(L"call " + std::to_wstring(++counter));
    }
    screenMatchesFullRepaint("after one call");
    for (int i = 0; i < 3; ++i)
        call();
    screenMatchesFullRepaint("after three more calls");

    ::SetFocus(g.grid->Handle());
    UpdateWindow(g.grid->Handle());
    g.grid->DeleteRow(0);
    pending = PendingUpdate(g.grid->Handle());
    EXPECT_LE(pending.top, data.top) << "the focused current cell keeps its screen row: everything is repainted";
    screenMatchesFullRepaint("focused");
    SetFocus(nullptr);
}
