// TGridView row operations: the change path, update bracket, bounds, sorting, formulas, and a
// random walk of row operations checked against a plain model.
#include "GridTestSupport.h"

#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "grid/popups/ColumnDragBox.h"
#include "grid/popups/ControlsCommon.h"
#include "tests/support/InputSupport.h"
#include "ui/core/SysUtils.h"

#include <gtest/gtest.h>

#include <any>
#include <random>
#include <vector>

using namespace grid;
using gridtest::LoadCallListGrid;
using gridtest::MakeHost;
using gridtest::PendingUpdate;

namespace {

struct TChangeRecord {
    ui::TObject* Sender;
    int Col, Row;
};

// A grid like the call list's, on a shown window with nothing pending to paint.
struct TShownGrid {
    std::unique_ptr<gridtest::THostForm> host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    std::vector<TChangeRecord> changes;

    TShownGrid()
    {
        host->Show();
        grid->HandleNeeded();
        grid->OnChange = [this](ui::TObject* s, int c, int r) { changes.push_back({s, c, r}); };
        Settle();
    }
    void Settle()
    {
        ValidateRect(grid->Handle(), nullptr);
    }
    bool NothingPending() const
    {
        RECT r = PendingUpdate(grid->Handle());
        return r.right <= r.left || r.bottom <= r.top;
    }
};

std::vector<std::wstring> Column(TGridView* grid, int col)
{
    std::vector<std::wstring> values;
    for (int r = 0; r < grid->RowCount(); ++r)
        values.push_back(grid->GetCellText(col, r));
    return values;
}

void Fill(TGridView* grid, int col, const std::vector<std::wstring>& values)
{
    grid->ClearRows();
    grid->AddRows(static_cast<int>(values.size()));
    for (size_t r = 0; r < values.size(); ++r) {
        grid->Cell(col, static_cast<int>(r))->SetAsString(values[r]);
        grid->Cell(0, static_cast<int>(r))->SetAsString(std::to_wstring(r)); // original row number
    }
}

} // namespace

TEST(GridView, AddRowsGivesEmptyCellsInTheColumnsColour)
{
    TShownGrid g;
    g.grid->Columns()->Items(2)->SetColor(clInfoBk);
    g.Settle();
    g.grid->AddRows(1);
    ASSERT_EQ(g.grid->RowCount(), 1);
    for (int c = 0; c < 5; ++c) {
        auto* cell = dynamic_cast<TStringCell*>(g.grid->Cell(c, 0));
        ASSERT_NE(cell, nullptr) << "column " << c;
        EXPECT_EQ(cell->AsString(), L"");
        EXPECT_EQ(cell->Color(), c == 2 ? clInfoBk : clWindow) << "column " << c;
    }
    EXPECT_EQ(g.grid->SelectionMarkCount(), 1);
    // The new row is queued for repainting: its band below the header.
    RECT pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.top, 20);
    EXPECT_EQ(pending.bottom, 41) << "row 0 is 20 pixels plus its grid line";
    EXPECT_TRUE(g.changes.empty()) << "adding rows is not a cell change";

    // After ClearRows, a new first row.
    g.grid->Cell(1, 0)->SetAsString(L"x");
    g.grid->ClearRows();
    EXPECT_EQ(g.grid->RowCount(), 0);
    EXPECT_EQ(g.grid->Columns()->Count(), 5) << "columns stay";
    g.grid->AddRows(1);
    EXPECT_EQ(g.grid->GetCellText(1, 0), L"");
}

TEST(GridView, OutOfRangeOperationsDoNothing)
{
    TShownGrid g;
    g.grid->DeleteRow(0);
    g.grid->DeleteRow(-1);
    EXPECT_EQ(g.grid->RowCount(), 0);
    g.grid->AddRows(2);
    g.grid->Cell(0, 1)->SetAsString(L"keep");
    g.changes.clear();
    g.grid->DeleteRow(2);
    g.grid->DeleteRow(-1);
    g.grid->InsertRow(2);
    g.grid->MoveRow(0, 2);
    g.grid->MoveRow(-1, 0);
    EXPECT_EQ(g.grid->RowCount(), 2);
    EXPECT_EQ(g.grid->GetCellText(0, 1), L"keep");
    EXPECT_EQ(g.grid->GetCellText(5, 0), L"") << "column out of range";
    EXPECT_EQ(g.grid->GetCellText(0, 2), L"") << "row out of range";
    EXPECT_EQ(g.grid->GetCellText(-1, 0), L"");
    g.grid->SetCellText(0, 2, L"x");
    g.grid->SetCellText(5, 0, L"x");
    EXPECT_TRUE(g.changes.empty());
    EXPECT_THROW(g.grid->Cell(0, 2), ui::EListError) << "Cell checks nothing and the list error reaches the caller";
    EXPECT_THROW(g.grid->GetCellColor(0, 5), ui::EListError);
    g.grid->AddRows(0);
    g.grid->AddRows(-3);
    EXPECT_EQ(g.grid->RowCount(), 2);
    EXPECT_THROW(g.grid->AddRows(INT32_MAX), ui::EIntOverflow);
    EXPECT_EQ(g.grid->RowCount(), 2) << "a failed append changes nothing";
    EXPECT_EQ(g.grid->Cells()->Peek(4, 1)->Owner(), g.grid->Cells());
}

TEST(GridView, ChangePathAndUpdateBracket)
{
    TShownGrid g;
    g.grid->AddRows(3);
    g.Settle();
    g.grid->Cell(1, 2)->SetAsString(L"0532");
    ASSERT_EQ(g.changes.size(), 1u);
    EXPECT_EQ(g.changes[0].Sender, g.grid);
    EXPECT_EQ(g.changes[0].Col, 1);
    EXPECT_EQ(g.changes[0].Row, 2);
    // Column 1 is the fourth shown; row 2 starts at 20 + 2 * 21. The cell and its grid lines.
    TCustomColumn* column = g.grid->Columns()->Items(1);
    EXPECT_EQ(column->Left(), g.grid->Columns()->Items(3)->Width() + g.grid->Columns()->Items(4)->Width() +
                                  g.grid->Columns()->Items(0)->Width());
    RECT pending = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(pending.left, column->Left());
    EXPECT_EQ(pending.right, column->Left() + column->Width());
    EXPECT_EQ(pending.top, 62);
    EXPECT_EQ(pending.bottom, 83);

    // SetCellText with the same text reports nothing; a different text reports once.
    g.changes.clear();
    g.grid->SetCellText(1, 2, L"0532");
    EXPECT_TRUE(g.changes.empty());
    g.grid->SetCellText(1, 2, L"0533");
    EXPECT_EQ(g.changes.size(), 1u);

    // Inside the bracket: no OnChange and no invalidation; one EndUpdate ends two BeginUpdates.
    g.changes.clear();
    g.Settle();
    g.grid->BeginUpdate();
    g.grid->BeginUpdate();
    EXPECT_TRUE(g.grid->Updating());
    g.grid->Cell(0, 0)->SetAsString(L"12:00:00");
    g.grid->Cell(4, 1)->SetAsString(L"5551234");
    g.grid->AddRows(1);
    EXPECT_TRUE(g.changes.empty());
    // Only the row above the new one is queued, for its bottom grid line; neither the changed
    // cells nor the new row are.
    RECT queued = PendingUpdate(g.grid->Handle());
    EXPECT_EQ(queued, g.grid->RowRect(2)) << "updating: only the preceding row's band";
    g.grid->EndUpdate();
    EXPECT_FALSE(g.grid->Updating());
    EXPECT_EQ(PendingUpdate(g.grid->Handle()), queued) << "EndUpdate repaints nothing";
    EXPECT_TRUE(g.changes.empty());
    g.grid->Cell(0, 0)->SetAsString(L"12:00:01");
    EXPECT_EQ(g.changes.size(), 1u);
}

TEST(GridView, CallListSequence)
{
    // What the call list does per call: drop the oldest of six, append, fill inside the bracket.
    TShownGrid g;
    for (int call = 1; call <= 8; ++call) {
        if (g.grid->RowCount() == 6)
            g.grid->DeleteRow(0);
        g.grid->AddRows(1);
        int row = g.grid->RowCount() - 1;
        g.grid->BeginUpdate();
        g.grid->Cell(3, row)->SetAsString(L"1");
        g.grid->Cell(4, row)->SetAsString(L"0532000000" + std::to_wstring(call));
        g.grid->Cell(2, row)->SetAsString(std::to_wstring(call));
        g.grid->EndUpdate();
    }
    EXPECT_EQ(g.grid->RowCount(), 6);
    EXPECT_EQ(Column(g.grid, 2), (std::vector<std::wstring>{L"3", L"4", L"5", L"6", L"7", L"8"}));
    EXPECT_TRUE(g.changes.empty());
    EXPECT_FALSE(g.NothingPending()) << "the appended rows were queued before the bracket";
}

TEST(GridView, RandomRowOperationsMatchAPlainModel)
{
    TShownGrid g;
    std::vector<std::vector<std::wstring>> model(5);
    std::mt19937 rng(12345);
    int serial = 0;
    for (int step = 0; step < 3000; ++step) {
        int rows = static_cast<int>(model[0].size());
        int op = static_cast<int>(rng() % 100);
        int a = static_cast<int>(rng() % (rows + 3)) - 1; // sometimes out of range
        int b = static_cast<int>(rng() % (rows + 3)) - 1;
        if (op < 30) {
            int n = static_cast<int>(rng() % 4);
            g.grid->AddRows(n);
            for (auto& col : model)
                col.resize(col.size() + n);
        } else if (op < 45) {
            g.grid->DeleteRow(a);
            if (a >= 0 && a < rows)
                for (auto& col : model)
                    col.erase(col.begin() + a);
        } else if (op < 55) {
            g.grid->InsertRow(a);
            if (a >= 0 && a < rows)
                for (auto& col : model)
                    col.insert(col.begin() + a, L"");
        } else if (op < 65) {
            g.grid->MoveRow(a, b);
            if (a >= 0 && a < rows && b >= 0 && b < rows)
                for (auto& col : model) {
                    std::wstring v = col[a];
                    col.erase(col.begin() + a);
                    col.insert(col.begin() + b, v);
                }
        } else if (op < 67) {
            g.grid->ClearRows();
            for (auto& col : model)
                col.clear();
        } else {
            int c = static_cast<int>(rng() % 7) - 1;
            std::wstring text = L"v" + std::to_wstring(++serial);
            g.grid->SetCellText(c, a, text);
            if (c >= 0 && c < 5 && a >= 0 && a < rows)
                model[c][a] = text;
        }
        ASSERT_EQ(g.grid->RowCount(), static_cast<int>(model[0].size())) << "step " << step;
        ASSERT_EQ(g.grid->SelectionMarkCount(), g.grid->RowCount()) << "step " << step;
        for (int c = 0; c < 5; ++c)
            ASSERT_EQ(Column(g.grid, c), model[c]) << "column " << c << " after step " << step;
    }
}

TEST(GridView, SortingInAllOrders)
{
    TShownGrid g;
    TCells* cells = g.grid->Cells();
    std::vector<std::wstring> texts{L"b", L"a", L"\x00C7", L"B", L"c", L"a"};
    Fill(g.grid, 1, texts);
    cells->SortRows(1, TSortType::stAlphabetic, false);
    EXPECT_EQ(Column(g.grid, 1), (std::vector<std::wstring>{L"B", L"a", L"a", L"b", L"c", L"\x00C7"}))
        << "code-unit order: capitals first, C-cedilla after z";
    cells->SortRows(1, TSortType::stAlphabetic, true);
    EXPECT_EQ(Column(g.grid, 1), (std::vector<std::wstring>{L"\x00C7", L"c", L"b", L"a", L"a", L"B"}));

    Fill(g.grid, 1, {L"10", L"9,5", L"-1", L"100", L"0"});
    cells->SortRows(1, TSortType::stNumeric, false);
    EXPECT_EQ(Column(g.grid, 1), (std::vector<std::wstring>{L"-1", L"0", L"9,5", L"10", L"100"}));
    EXPECT_EQ(Column(g.grid, 0), (std::vector<std::wstring>{L"2", L"4", L"1", L"0", L"3"})) << "whole rows move";

    Fill(g.grid, 1, {L"True", L"0", L"1", L"false"});
    cells->SortRows(1, TSortType::stBoolean, true);
    EXPECT_EQ(Column(g.grid, 1)[0].size() + Column(g.grid, 1)[1].size(), 5u) << "the two true ones first";
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean() && g.grid->Cell(1, 1)->AsBoolean());

    Fill(g.grid, 1, {L"02.01.2020", L"01.01.2020 13:00", L"01.01.2020", L"31.12.2019"});
    cells->SortRows(1, TSortType::stDate, false);
    EXPECT_EQ(Column(g.grid, 0), (std::vector<std::wstring>{L"3", L"2", L"1", L"0"}));

    Fill(g.grid, 1, {L"10.0.0.1", L"9.0.0.2", L"192.168.1.20", L"192.168.1.3", L"9"});
    cells->SortRows(1, TSortType::stIP, false);
    EXPECT_EQ(Column(g.grid, 1),
              (std::vector<std::wstring>{L"9", L"9.0.0.2", L"10.0.0.1", L"192.168.1.3", L"192.168.1.20"}));

    // The other direction on the same sorted column reverses without comparing: these texts are
    // not numbers, so a numeric comparison would raise.
    g.Settle();
    cells->SortRows(1, TSortType::stNumeric, true);
    EXPECT_EQ(Column(g.grid, 1),
              (std::vector<std::wstring>{L"192.168.1.20", L"192.168.1.3", L"10.0.0.1", L"9.0.0.2", L"9"}));
    // The same direction again does nothing; after a change it sorts again (and now fails).
    EXPECT_NO_THROW(cells->SortRows(1, TSortType::stNumeric, true));
    g.grid->Cell(1, 4)->SetAsString(L"8");
    EXPECT_THROW(cells->SortRows(1, TSortType::stNumeric, true), ui::EConvertError);
    EXPECT_EQ(g.grid->GetCellText(1, 0), L"192.168.1.20") << "a failed sort leaves the rows as they were";

    // Missing or extra parts of an address do not convert.
    Fill(g.grid, 1, {L"1..2", L"3"});
    EXPECT_THROW(cells->SortRows(1, TSortType::stIP, false), ui::EConvertError);
    Fill(g.grid, 1, {L"1.2.3.4.5", L"3"});
    EXPECT_THROW(cells->SortRows(1, TSortType::stIP, false), ui::EConvertError);
}

TEST(GridView, SortingLargeAndDegenerateInputs)
{
    TShownGrid g;
    TCells* cells = g.grid->Cells();
    const int n = 5000;
    auto check = [&](const char* what, bool descending) {
        for (int r = 1; r < n; ++r) {
            double x = g.grid->Cell(2, r - 1)->AsFloat(), y = g.grid->Cell(2, r)->AsFloat();
            ASSERT_TRUE(descending ? x >= y : x <= y) << what << " at row " << r;
        }
    };
    std::vector<std::wstring> values(n);
    for (int i = 0; i < n; ++i)
        values[i] = std::to_wstring(i);
    Fill(g.grid, 2, values);
    cells->SortRows(2, TSortType::stNumeric, true);
    check("sorted input, descending", true);
    Fill(g.grid, 2, std::vector<std::wstring>(n, L"7"));
    cells->SortRows(2, TSortType::stNumeric, false);
    check("all equal", false);
    std::mt19937 rng(7);
    for (auto& v : values)
        v = std::to_wstring(rng() % 1000);
    Fill(g.grid, 2, values);
    cells->SortRows(2, TSortType::stNumeric, false);
    check("random", false);
}

TEST(GridView, SortedColumnSortsThroughTheGrid)
{
    TShownGrid g;
    std::vector<int> sortEvents;
    g.grid->OnSortColumn = [&](ui::TObject*, int col, bool ascending) { sortEvents.push_back(ascending ? col : -col); };
    Fill(g.grid, 4, {L"b", L"c", L"a"});
    TCustomColumn* column = g.grid->Columns()->Items(4);
    column->SetSorted(true);
    EXPECT_EQ(Column(g.grid, 4), (std::vector<std::wstring>{L"b", L"c", L"a"})) << "without coCanSort nothing moves";
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coCanSort});
    column->SetSortKind(TSortKind::skDescending);
    EXPECT_EQ(Column(g.grid, 4), (std::vector<std::wstring>{L"c", L"b", L"a"}));
    EXPECT_EQ(sortEvents, (std::vector<int>{4, -4}));
}

TEST(GridView, FooterFormulasAndDefaultValues)
{
    TShownGrid g;
    Fill(g.grid, 1, {L"2", L"-4,5", L"10"});
    TColumns* columns = g.grid->Columns();
    columns->Items(1)->SetFormulaKind(TFormulaKind::fkAverage);
    g.grid->FooterFormulas();
    EXPECT_EQ(columns->Items(1)->Footer()->Caption(), L"2,5");
    columns->Items(1)->SetFormulaKind(TFormulaKind::fkMinimum);
    g.grid->FooterFormulas();
    EXPECT_EQ(columns->Items(1)->Footer()->Caption(), L"-4,5");
    columns->Items(1)->SetFormulaKind(TFormulaKind::fkSum);
    g.grid->FooterFormulas();
    EXPECT_EQ(columns->Items(1)->Footer()->Caption(), L"7,5");
    g.grid->ClearRows();
    columns->Items(1)->SetFormulaKind(TFormulaKind::fkAverage);
    g.grid->FooterFormulas();
    EXPECT_EQ(columns->Items(1)->Footer()->Caption(), L"0") << "no rows: 0, not a division by zero";

    columns->Items(3)->SetDefaultValue(L"1");
    g.grid->AddRows(1);
    EXPECT_EQ(g.grid->GetCellText(3, 0), L"") << "defaults only with goUseDefaultValues";
    g.grid->SetOptions(g.grid->Options() + TGridOptions{TGridOption::goUseDefaultValues});
    g.changes.clear();
    g.grid->AddRows(2);
    EXPECT_EQ(g.grid->GetCellText(3, 1), L"1");
    EXPECT_EQ(g.grid->GetCellText(3, 2), L"1");
    EXPECT_EQ(g.changes.size(), 2u) << "each default written is a change";
}

TEST(GridView, GeometryOfTheCallListGrid)
{
    TGridLayout l;
    l.Options = TGridOptions{TGridOption::goGrid, TGridOption::goHeader};
    l.HeaderSize = 20;
    l.RowSize = 20;
    l.InputSize = 12;
    l.VisibleWidth = 526;
    l.ClientWidth = 528;
    l.ClientHeight = 168;
    EXPECT_EQ(l.DataRect(), ui::Rect(0, 20, 526, 168));
    EXPECT_EQ(l.CellRect(0, 99, 0), ui::Rect(0, 20, 98, 40)) << "99 wide with its grid line on the 99th pixel";
    EXPECT_EQ(l.CellRect(99, 120, 2).top, 20 + 42);
    EXPECT_EQ(l.VisibleRowCount(), 7) << "six rows fit without scrolling";
    EXPECT_EQ(l.RowAt(40), 0);
    EXPECT_EQ(l.RowAt(41), 1);
    l.LinesStyle = TGridLinesStyle::lsHorizontalOnly;
    EXPECT_EQ(l.CellRect(0, 99, 0).right, 99);
    l.Options = l.Options + TGridOptions{TGridOption::goInput, TGridOption::goFooter, TGridOption::goIndicator};
    l.ScrollX = 10;
    EXPECT_EQ(l.InputRect(), ui::Rect(12, 20, 528, 20 + 12 + 6 + 1));
    EXPECT_EQ(l.DataRect(), ui::Rect(12, 39, 528, 168 - 24 - 1));
    EXPECT_EQ(l.FooterRect(), ui::Rect(12, 143, 528, 168));
    EXPECT_EQ(l.InputCellRect(12, 50), ui::Rect(2, 20, 52, 32)) << "horizontal lines only: full width";
}

TEST(GridView, CellHintFollowsThePointer)
{
    TShownGrid g;
    g.grid->AddRows(2);
    g.grid->Cell(3, 1)->SetHint("Hat 1");
    TCustomColumn* column = g.grid->Columns()->Items(3); // shown first, at x = 0
    ui::TRect cell = g.grid->CellRect(3, 1);
    HWND wnd = g.grid->Handle();
    THintWindow* hint = g.grid->CellHintWindow();
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top + 5));
    ASSERT_TRUE(hint->Visible()) << "the cell carries a hint";
    EXPECT_EQ(hint->HintText(), L"Hat 1");
    ui::TPoint at = g.grid->ClientToScreen(ui::Point(cell.left + column->Width(), cell.top - 20));
    EXPECT_EQ(hint->Left(), at.x) << "at the cell's right edge";
    EXPECT_EQ(hint->Top(), at.y) << "20 pixels above the cell";
    EXPECT_LE(hint->Width(), 250 + 6);
    EXPECT_TRUE(IsWindowVisible(hint->Handle()));

    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top - 10)); // row 0: no hint
    EXPECT_FALSE(hint->Visible());
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top + 5));
    EXPECT_TRUE(hint->Visible());
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_FALSE(hint->Visible()) << "leaving the grid hides the hint";
    SendMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 5, cell.top + 5 + 21 * 3));
    EXPECT_FALSE(hint->Visible()) << "below the last row there is no cell";

    int col = -1, row = -1;
    EXPECT_TRUE(g.grid->CellAt(column->Width(), cell.top, col, row)) << "the right edge belongs to the first column";
    EXPECT_EQ(col, 3);
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(g.grid->CellAt(5, 5, col, row)) << "the header is not the data area";
}

TEST(GridView, DeletingAndClearingRowsSettleTheScrollRangeBeforeAnyPaint)
{
    TShownGrid g;
    g.grid->AddRows(30);
    TControlScrollBar* bar = g.grid->VertScrollBar();
    int fit = g.grid->VisibleRowCount();
    ASSERT_EQ(bar->Max(), 30 - fit);
    for (int i = 0; i < 30 - fit; ++i)
        g.grid->DeleteRow(0);
    EXPECT_EQ(bar->Max(), 0) << "the rows left fit: no range, without waiting for a paint";
    g.grid->AddRows(30);
    bar->SetPosition(10);
    g.grid->ClearRows();
    EXPECT_EQ(bar->Max(), 0);
    EXPECT_EQ(bar->Position(), 0) << "an empty grid is not scrolled";
}

TEST(GridView, PopupsGetTheirWindowsOnlyWhenShown)
{
    // The drag box, its arrows, the hint windows and the roll marker show now and then; a grid
    // that never shows them makes no windows for them.
    TShownGrid g;
    const std::vector<ui::TWinControl*> popups = {g.grid->DragBox(), g.grid->DragArrow(0), g.grid->DragArrow(1),
                                                  g.grid->TextFitHint(), g.grid->CellHintWindow(),
                                                  g.grid->RollMarker()};
    for (ui::TWinControl* popup : popups) {
        ASSERT_NE(popup, nullptr);
        EXPECT_FALSE(popup->HandleAllocated()) << ui::WideToAnsi(popup->ClassName());
    }
    g.grid->AddRows(1);
    g.grid->Cell(0, 0)->SetAsString(L"a text far too wide for its column, for the fit hint to show it");
    TCustomColumn* column = g.grid->Columns()->Items(0);
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coShowTextFitHint});
    ui::TRect cell = g.grid->CellRect(0, 0);
    SendMessageW(g.grid->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(cell.left + 3, cell.top + 3));
    ASSERT_TRUE(g.grid->TextFitHint()->HandleAllocated()) << "made when it first shows";
    EXPECT_TRUE(IsWindowVisible(g.grid->TextFitHint()->Handle()));
}

TEST(GridView, EveryEventOfTheGridIsPublishedAndAssignableByName)
{
    const wchar_t* events[] = {L"OnSelectCell", L"OnCellClick", L"OnHeaderClick", L"OnSortColumn", L"OnBeforeEdit",
                               L"OnAfterEdit", L"OnEdit", L"OnApplyCell", L"OnInputAccept", L"OnChange",
                               L"OnClick", L"OnDblClick", L"OnKeyDown", L"OnKeyPress", L"OnKeyUp", L"OnMouseDown",
                               L"OnMouseMove", L"OnMouseUp", L"OnMouseWheelDown", L"OnMouseWheelUp", L"OnEnter",
                               L"OnExit", L"OnDragDrop", L"OnDragOver", L"OnStartDrag", L"OnEndDrag",
                               L"OnCellColoring", L"OnDrawCellBackground", L"OnCustomDrawCell"};
    const ui::TClassInfo& info = TGridView::StaticClass();
    for (const wchar_t* name : events) {
        const ui::TPropInfo* prop = info.FindProp(name);
        EXPECT_TRUE(prop != nullptr && prop->Kind == ui::TPropKind::Method)
            << testsupport::Narrow(name) << " is not a published event of TGridView";
    }

    // What a description does with a handler: set through the class information, then raised.
    TShownGrid g;
    g.grid->AddRows(2);
    std::vector<int> clicked;
    info.FindProp(L"OnCellClick")->SetMethod(*g.grid, std::any(TCellClickEvent(
        [&](ui::TObject*, int, int r) { clicked.push_back(r); })));
    RECT cell = g.grid->CellRect(0, 1);
    testsupport::Click(g.grid->Handle(), (cell.left + cell.right) / 2, (cell.top + cell.bottom) / 2);
    EXPECT_EQ(clicked, (std::vector<int>{1})) << "OnCellClick assigned by name is raised by a click";
}
