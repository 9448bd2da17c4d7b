// Hit testing and column-sizing geometry as plain values, without a window.
#include "grid/layout/GridHitTest.h"

#include <gtest/gtest.h>

#include <cstdint>

using namespace grid;

namespace {

// Three columns shown in the order 2, 0, 1 (indices), widths 50, 60, 70, after a 12-pixel
// indicator; client 300 x 200, header 20, rows 16 + grid line.
TGridGeometry ThreeColumns(TGridOptions options)
{
    TGridGeometry g;
    g.Layout.Options = options;
    g.Layout.HeaderSize = 20;
    g.Layout.InputSize = 16;
    g.Layout.RowSize = 16;
    g.Layout.ClientWidth = 300;
    g.Layout.ClientHeight = 200;
    int indicator = g.Layout.IndicatorWidth();
    g.Columns = {{2, indicator, 50, true, false, {}},
                 {0, indicator + 50, 60, true, false, {}},
                 {1, indicator + 110, 70, true, false, {}}};
    g.Layout.VisibleWidth = 180;
    return g;
}

const TGridOptions kAllAreas{TGridOption::goHeader, TGridOption::goInput, TGridOption::goFooter,
                             TGridOption::goIndicator, TGridOption::goGrid};

} // namespace

TEST(GridHitTest, AreasAreTestedInOrderAndOnlyWhenShown)
{
    TGridGeometry g = ThreeColumns(kAllAreas);
    // Header 0..20, input row 20..43 (16 + 6 + 1), data 43..175, footer 175..200 (20 + 4 + 1).
    EXPECT_EQ(AreaAt(g, 20, 5), TGridArea::gaHeader);
    EXPECT_EQ(AreaAt(g, 20, 25), TGridArea::gaInput);
    EXPECT_EQ(AreaAt(g, 20, 43), TGridArea::gaData);
    EXPECT_EQ(AreaAt(g, 20, 174), TGridArea::gaData);
    EXPECT_EQ(AreaAt(g, 20, 175), TGridArea::gaFooter);
    EXPECT_EQ(AreaAt(g, 5, 5), TGridArea::gaIndicator) << "the indicator's header corner is the indicator";
    EXPECT_EQ(AreaAt(g, 5, 100), TGridArea::gaIndicator);
    EXPECT_EQ(AreaAt(g, 250, 100), TGridArea::gaNone) << "right of the last column is no area";

    TGridGeometry bare = ThreeColumns({TGridOption::goGrid});
    EXPECT_EQ(AreaAt(bare, 20, 5), TGridArea::gaData) << "without a header the rows start at the top";
    EXPECT_EQ(AreaAt(bare, 5, 100), TGridArea::gaData) << "without an indicator the first column starts at 0";
    EXPECT_EQ(AreaAt(bare, 20, 199), TGridArea::gaData) << "without a footer the rows reach the bottom";

    TGridGeometry slides = ThreeColumns(kAllAreas);
    slides.Style = TGridStyle::gsSlides;
    EXPECT_EQ(AreaAt(slides, 5, 5), TGridArea::gaData) << "every point of a slide grid is data";
}

TEST(GridHitTest, CellsFollowDisplayOrderScrollingAndRows)
{
    TGridGeometry g = ThreeColumns({TGridOption::goHeader, TGridOption::goGrid});
    TGridHit hit = HitTest(g, 10, 20 + 17 * 3 + 2);
    EXPECT_EQ(hit.Area, TGridArea::gaData);
    EXPECT_EQ(hit.Col, 2) << "the first column shown has index 2";
    EXPECT_EQ(hit.Row, 3);
    EXPECT_EQ(HitTest(g, 50, 30).Col, 2) << "a shared edge belongs to the column left of it";
    EXPECT_EQ(HitTest(g, 51, 30).Col, 0);
    EXPECT_EQ(HitTest(g, 170, 30).Col, 1);

    g.Layout.ScrollX = 40;
    g.Layout.TopRow = 5;
    EXPECT_EQ(HitTest(g, 10, 30).Col, 2) << "scrolled: x 10 is x 50 of the columns";
    EXPECT_EQ(HitTest(g, 11, 30).Col, 0);
    EXPECT_EQ(HitTest(g, 11, 20).Row, 5) << "the top data row is the first row shown";

    // Hidden: the layout closes the gap, the hidden column keeps its old Left.
    g.Columns[0].Visible = false;
    g.Columns[1].Left = 0;
    g.Columns[2].Left = 60;
    g.Layout.ScrollX = 0;
    EXPECT_EQ(HitTest(g, 10, 30).Col, 0) << "a hidden column takes no strip";

    TGridHit header = HitTest(ThreeColumns({TGridOption::goHeader}), 60, 5);
    EXPECT_EQ(header.Area, TGridArea::gaHeader);
    EXPECT_EQ(header.Col, 0);
    EXPECT_EQ(header.Row, -1) << "a header has no row";
}

TEST(GridHitTest, IndicatorGivesTheRowBesideIt)
{
    TGridGeometry g = ThreeColumns({TGridOption::goHeader, TGridOption::goIndicator, TGridOption::goGrid});
    TGridHit hit = HitTest(g, 3, 20 + 17 * 2 + 1);
    EXPECT_EQ(hit.Area, TGridArea::gaIndicator);
    EXPECT_EQ(hit.Row, 2);
    EXPECT_EQ(hit.Col, -1);
    EXPECT_EQ(HitTest(g, 3, 5).Row, -1) << "the indicator's header corner has no row";
}

TEST(GridHitTest, SlidesFindTheSlideAndTheColumnWithinIt)
{
    TGridGeometry g = ThreeColumns({TGridOption::goGrid});
    g.Style = TGridStyle::gsSlides;
    g.SlideSize = 79; // pitch 80 with the grid line
    g.Layout.TopRow = 4;
    g.Columns[0].Slide = ui::Rect(0, 0, 100, 20);
    g.Columns[1].Slide = ui::Rect(0, 20, 100, 40);
    g.Columns[2].Slide = ui::Rect(100, 0, 200, 40);
    TGridHit hit = HitTest(g, 10, 80 * 2 + 25);
    EXPECT_EQ(hit.Row, 6) << "third slide shown, first shown is 4";
    EXPECT_EQ(hit.Col, 0) << "y 25 within the slide is the second slide rectangle (index 0)";
    EXPECT_EQ(HitTest(g, 150, 10).Col, 1);
    EXPECT_EQ(HitTest(g, 250, 10).Col, -1) << "no slide rectangle there";
}

TEST(GridHitTest, SizingEdgeIsTwoPixelsEitherSideInTheHeaderOnly)
{
    TGridGeometry g = ThreeColumns({TGridOption::goHeader});
    // The first column shown (index 2) ends at 50.
    for (int x : {48, 49, 50, 51, 52})
        EXPECT_EQ(SizingColumnAt(g, x, 5), 2) << "x " << x;
    EXPECT_EQ(SizingColumnAt(g, 47, 5), -1);
    EXPECT_EQ(SizingColumnAt(g, 53, 5), -1);
    EXPECT_EQ(SizingColumnAt(g, 50, 20), -1) << "below the header";
    EXPECT_EQ(SizingColumnAt(g, 180, 5), 1) << "the last column's right edge sizes it";
    g.Columns[0].FixedSize = true;
    EXPECT_EQ(SizingColumnAt(g, 50, 5), -1) << "coFixedSize";
    g.Layout.Options = {};
    EXPECT_EQ(SizingColumnAt(g, 110, 5), -1) << "no header, no edge";
    g.Layout.Options = {TGridOption::goHeader};
    g.Layout.ScrollX = 10;
    EXPECT_EQ(SizingColumnAt(g, 100, 5), 0) << "scrolled: the edge at 110 shows at 100";
    EXPECT_EQ(HitTest(g, 100, 5).SizingCol, 0);
}

TEST(GridHitTest, SizingKeepsTheMinimumAndGuidesFollow)
{
    // Column index 1 at Left 110, width 70 (right edge 180), not scrolled.
    EXPECT_EQ(SizingWidthChange(110, 70, 0, 200), 20);
    EXPECT_EQ(SizingWidthChange(110, 70, 0, 150), -30);
    EXPECT_EQ(SizingWidthChange(110, 70, 0, 60), kMinColumnWidth - 70) << "left of the left edge + 8: width 8";
    EXPECT_EQ(SizingWidthChange(110, 70, 15, 185), 20) << "scrolled by 15";
    EXPECT_EQ(SizingWidthChange(0, 5, 0, 0), 3) << "a column already narrower than 8 grows to 8";

    TGuideLines lines = SizingGuideLines(1, 110, 70, 0, 0);
    EXPECT_EQ(lines.First, 109) << "one pixel left of the left edge";
    EXPECT_EQ(lines.Second, 179) << "right edge - 1";
    EXPECT_EQ(SizingGuideLines(0, 0, 70, 0, 10).First, 0) << "the first column's line stays on its edge";
    EXPECT_EQ(SizingGuideLines(0, 0, 70, 0, 10).Second, 79);
}

TEST(GridHitTest, DropBandStopsAtTheLastColumnOrTheClient)
{
    TGridGeometry g = ThreeColumns({TGridOption::goHeader});
    ui::TRect band = DropBand(g);
    EXPECT_EQ(band.right, 180);
    EXPECT_EQ(band.bottom, 40) << "twice the header";
    g.Layout.ClientWidth = 150;
    EXPECT_EQ(DropBand(g).right, 150) << "never past the client";
    g.Layout.ClientWidth = 300;
    g.Layout.ScrollX = 30;
    EXPECT_EQ(DropBand(g).right, 150) << "as shown after scrolling";

    EXPECT_FALSE(PastDragThreshold(ui::Point(10, 10), ui::Point(13, 7)));
    EXPECT_TRUE(PastDragThreshold(ui::Point(10, 10), ui::Point(14, 10)));
    EXPECT_TRUE(PastDragThreshold(ui::Point(10, 10), ui::Point(10, 6)));
}

TEST(GridLayout, ScrollExtentsCountWhatDoesNotFitAndNeverDivideByZero)
{
    TGridLayout l = ThreeColumns(TGridOptions{TGridOption::goHeader, TGridOption::goGrid}).Layout;
    // Data area 20..200: 180 pixels hold 10 rows of 17 (a row and its grid line).
    EXPECT_EQ(l.VertScrollMax(10), 0) << "ten rows fit";
    EXPECT_EQ(l.VertScrollMax(25), 15) << "fifteen do not";
    EXPECT_EQ(l.VertScrollMax(0), 0);
    l.ClientHeight = 10;
    EXPECT_EQ(l.VertScrollMax(3), 3) << "a data area too low for any row";
    l.RowSize = 0;
    l.Options = TGridOptions{};
    EXPECT_EQ(l.VertScrollMax(3), 0) << "rows without height all fit, and nothing divides by zero";

    EXPECT_EQ(l.HorzScrollMax(), 0) << "180 pixels of columns in a 300-pixel client";
    l.ClientWidth = 100;
    EXPECT_EQ(l.HorzScrollMax(), 80);
    l.Options = TGridOptions{TGridOption::goIndicator};
    EXPECT_EQ(l.HorzScrollMax(), 92) << "the indicator takes room too";
    l.VisibleWidth = INT32_MAX;
    l.ClientWidth = 0;
    EXPECT_EQ(l.HorzScrollMax(), INT32_MAX) << "the widest columns and the indicator stay in the bar's range";
}
