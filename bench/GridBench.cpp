// Row operations and memory of the grid's cell store beside the platform's list view (report
// style, five text columns, redraw off) and beside the simplest store there is, a
// std::vector<std::wstring> per column: appending, sorting by a text column, deleting rows from
// the top, clearing, and heap bytes per text cell. Every figure is from this run.
//   scripts/bench.sh, or scripts/with-display.sh scripts/wine-run.sh build/win64/bench/grid_bench.exe [rows]
#include "BenchSupport.h"

#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "grid/control/GridView.h"
#include "ui/controls/Forms.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace grid;
using bench::Ratio;
using bench::Seconds;
using bench::Time;

namespace {

constexpr int kColumns = 5;
constexpr int kDeleted = 1000;
constexpr int kSortRows = 10000;
using TRowTexts = std::array<std::wstring, kColumns>;

// The texts of one test row: a time, a serial, a counter, a line and a caller number. Built
// before any store is timed, so that every store is timed copying the same texts.
std::vector<TRowTexts> MakeTexts(int rows)
{
    std::mt19937 rng(42);
    std::vector<TRowTexts> texts(rows);
    for (auto& t : texts) {
        int key = static_cast<int>(rng() % 1000000);
        t = {std::to_wstring(key % 24) + L":" + std::to_wstring(key % 60), L"SN" + std::to_wstring(key),
             std::to_wstring(key), std::to_wstring(key % 4 + 1), L"0532" + std::to_wstring(key)};
    }
    return texts;
}

// The simplest column-major store: what the grid's store is held against.
struct TReference {
    std::vector<std::vector<std::wstring>> Columns = std::vector<std::vector<std::wstring>>(kColumns);
    void AddRows(int n)
    {
        for (auto& c : Columns)
            c.resize(c.size() + n);
    }
    void Append(const TRowTexts& t)
    {
        for (int c = 0; c < kColumns; ++c)
            Columns[c].push_back(t[c]);
    }
    void DeleteRow(int r)
    {
        for (auto& c : Columns)
            c.erase(c.begin() + r);
    }
    void Clear()
    {
        for (auto& c : Columns)
            c.clear();
    }
    void Sort(int col)
    {
        const auto& keys = Columns[col];
        std::vector<int> order(keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
        for (auto& c : Columns) {
            std::vector<std::wstring> sorted;
            sorted.reserve(c.size());
            for (int i : order)
                sorted.push_back(std::move(c[i]));
            c.swap(sorted);
        }
    }
};

// The platform's list view in report style with five columns and redraw off, as a list view
// user holds rows: each item owns its texts.
struct TListView {
    HWND Host = nullptr;
    HWND List = nullptr;
    TListView()
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        Host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300, nullptr, nullptr, nullptr,
                               nullptr);
        List = CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 580, 280, Host, nullptr,
                               nullptr, nullptr);
        for (int c = 0; c < kColumns; ++c) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH | LVCF_TEXT;
            column.cx = 100;
            wchar_t name[] = L"c";
            column.pszText = name;
            SendMessageW(List, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
        }
        SendMessageW(List, WM_SETREDRAW, FALSE, 0);
    }
    ~TListView() { DestroyWindow(Host); }
    TListView(const TListView&) = delete;
    TListView& operator=(const TListView&) = delete;
    int Count() const { return static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)); }
    void Append(const TRowTexts& texts)
    {
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = Count();
        item.pszText = const_cast<wchar_t*>(texts[0].c_str());
        int at = static_cast<int>(SendMessageW(List, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        for (int c = 1; c < kColumns; ++c) {
            LVITEMW sub{};
            sub.iSubItem = c;
            sub.pszText = const_cast<wchar_t*>(texts[c].c_str());
            SendMessageW(List, LVM_SETITEMTEXTW, at, reinterpret_cast<LPARAM>(&sub));
        }
    }
    std::wstring Get(int row, int col) const
    {
        wchar_t buffer[64];
        LVITEMW item{};
        item.iSubItem = col;
        item.pszText = buffer;
        item.cchTextMax = 64;
        SendMessageW(List, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
        return buffer;
    }
    struct TSortContext {
        const TListView* View;
        int Col;
    };
    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM context)
    {
        auto* c = reinterpret_cast<TSortContext*>(context);
        return c->View->Get(static_cast<int>(a), c->Col).compare(c->View->Get(static_cast<int>(b), c->Col));
    }
    // Sorting by a column's text is a comparison callback that reads the texts back.
    void Sort(int col)
    {
        TSortContext context{this, col};
        SendMessageW(List, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(&Compare));
    }
    void DeleteTop(int n)
    {
        for (int i = 0; i < n; ++i)
            SendMessageW(List, LVM_DELETEITEM, 0, 0);
    }
    void Clear() { SendMessageW(List, LVM_DELETEALLITEMS, 0, 0); }
};

TGridView* MakeGrid(ui::TForm* host)
{
    auto* grid = new TGridView(host);
    for (int c = 0; c < kColumns; ++c)
        grid->Columns()->AddColumn(new TTextualColumn(grid->Columns()));
    return grid;
}

void AppendTo(TGridView* grid, const std::vector<TRowTexts>& texts)
{
    grid->BeginUpdate();
    for (const auto& t : texts) {
        grid->AddRows(1);
        const int row = grid->RowCount() - 1;
        for (int c = 0; c < kColumns; ++c)
            grid->Cell(c, row)->SetAsString(t[c]);
    }
    grid->EndUpdate();
}

// One line: the grid, the vector reference and the list view, with the two goals.
void Line(const std::string& what, double grid, double reference, double listView, double goal = 1.5)
{
    char figures[200];
    const bool nearReference = grid <= goal * reference;
    const bool fasterThanList = listView < 0 || listView >= 5 * grid;
    std::snprintf(figures, sizeof figures, "%10s %10s %8s %-6s %10s %8s %s", Time(grid).c_str(),
                  Time(reference).c_str(), Ratio(grid, reference).c_str(), nearReference ? "ok" : "MISSED",
                  Time(listView).c_str(), Ratio(listView, grid).c_str(),
                  listView < 0 ? "" : fasterThanList ? "ok" : "MISSED");
    bench::Row(what, figures);
}

} // namespace

// The grid's and the reference's side of one round: append, delete from the top, clear.
struct TRound {
    double Append = 1e30, Delete = 1e30, Clear = 1e30;
    void Keep(double a, double d, double c)
    {
        Append = std::min(Append, a);
        Delete = std::min(Delete, d);
        Clear = std::min(Clear, c);
    }
};

// Heap per text cell, each store filled fresh before anything else ran in the process (the
// grid's cell pool keeps its blocks for reuse, so a later fill would not show them):
// everything the heaps hold more afterwards, the blocks' own overhead included.
void HeapPerCell(ui::TForm* host, const std::vector<TRowTexts>& texts)
{
    const double cells = double(texts.size()) * kColumns;
    size_t before = bench::HeapBytesInUse();
    TGridView* grid = MakeGrid(host);
    AppendTo(grid, texts);
    const double gridBytes = (bench::HeapBytesInUse() - before) / cells;
    before = bench::HeapBytesInUse();
    auto* plain = new TReference;
    for (const auto& t : texts)
        plain->Append(t);
    const double referenceBytes = (bench::HeapBytesInUse() - before) / cells;
    before = bench::HeapBytesInUse();
    auto* list = new TListView;
    for (const auto& t : texts)
        list->Append(t);
    const double listBytes = (bench::HeapBytesInUse() - before) / cells;
    char figures[200];
    std::snprintf(figures, sizeof figures, "%8.1f B %8.1f B %8s %-6s %8.1f B %8s %s", gridBytes, referenceBytes,
                  Ratio(gridBytes, referenceBytes).c_str(), "", listBytes, Ratio(listBytes, gridBytes).c_str(),
                  bench::Goal("grid <= list view", gridBytes <= listBytes).c_str());
    bench::Row("heap bytes per text cell", figures);
    delete list;
    delete plain;
    delete grid;
}

int main(int argc, char** argv)
{
    const int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    const std::vector<TRowTexts> texts = MakeTexts(rows);
    auto* host = new ui::TForm(nullptr);

    char title[200];
    std::snprintf(title, sizeof title,
                  "Row operations, %d rows of %d text columns, best of 3 (grid/ref goal <= 1.5x, empty rows <= 3x; "
                  "list view/grid goal >= 5x)",
                  rows, kColumns);
    bench::Heading(title, "      grid vector ref grid/ref goal    list view  lv/grid goal");
    HeapPerCell(host, texts);

    // Appending one row at a time with its texts, redraw off; deleting from the top; clearing.
    // The list view, minutes per round under Wine, does one round.
    TRound grid, reference;
    double la = 0, ld = 0, lc = 0;
    for (int round = 0; round < 3; ++round) {
        TGridView* gridView = MakeGrid(host);
        double ga = Seconds([&] { AppendTo(gridView, texts); });
        double gd = Seconds([&] {
            for (int i = 0; i < kDeleted; ++i)
                gridView->DeleteRow(0);
        });
        double gc = Seconds([&] { gridView->ClearRows(); });
        grid.Keep(ga, gd, gc);
        delete gridView;
        TReference plain;
        double ra = Seconds([&] {
            for (const auto& t : texts)
                plain.Append(t);
        });
        // A vector moves every string behind the row it loses: tens of seconds, once is enough.
        double rd = 1e30;
        if (round == 0)
            rd = Seconds([&] {
                for (int i = 0; i < kDeleted; ++i)
                    plain.DeleteRow(0);
            });
        double rc = Seconds([&] { plain.Clear(); });
        reference.Keep(ra, rd, rc);
    }
    {
        TListView list;
        la = Seconds([&] {
            for (const auto& t : texts)
                list.Append(t);
        });
        ld = Seconds([&] { list.DeleteTop(kDeleted); });
        lc = Seconds([&] { list.Clear(); });
    }
    Line("append rows one by one, with texts", grid.Append, reference.Append, la);
    Line("delete 1,000 rows from the top", grid.Delete, reference.Delete, ld);
    Line("clear", grid.Clear, reference.Clear, lc);

    {
        // The list view sorts through a callback that reads both texts back for every
        // comparison, minutes for 100,000 rows under Wine: all three sort fewer rows.
        const std::vector<TRowTexts> some(texts.begin(), texts.begin() + std::min(rows, kSortRows));
        double gs = 1e30, rs = 1e30;
        for (int round = 0; round < 3; ++round) {
            TGridView* sortGrid = MakeGrid(host);
            AppendTo(sortGrid, some);
            TReference sortReference;
            for (const auto& t : some)
                sortReference.Append(t);
            gs = std::min(gs, Seconds([&] { sortGrid->Cells()->SortRows(1, TSortType::stAlphabetic, false); }));
            rs = std::min(rs, Seconds([&] { sortReference.Sort(1); }));
            delete sortGrid;
        }
        TListView sortList;
        for (const auto& t : some)
            sortList.Append(t);
        double ls = Seconds([&] { sortList.Sort(1); });
        Line("sort by a text column, " + std::to_string(some.size()) + " rows", gs, rs, ls);
    }

    // Empty rows in one call, and one at a time: the list view has no empty rows to compare.
    double g1 = 1e30, r1 = 1e30, g2 = 1e30, r2 = 1e30;
    for (int round = 0; round < 3; ++round) {
        TGridView* gridView = MakeGrid(host);
        TReference plain;
        g1 = std::min(g1, Seconds([&] { gridView->AddRows(rows); }));
        r1 = std::min(r1, Seconds([&] { plain.AddRows(rows); }));
        gridView->ClearRows();
        plain.Clear();
        g2 = std::min(g2, Seconds([&] {
                          for (int r = 0; r < rows; ++r)
                              gridView->AddRows(1);
                      }));
        r2 = std::min(r2, Seconds([&] {
                          for (int r = 0; r < rows; ++r)
                              plain.AddRows(1);
                      }));
        delete gridView;
    }
    Line("AddRows(rows), one call, empty", g1, r1, -1, 3);
    Line("AddRows(1) x rows, empty", g2, r2, -1, 3);
    delete host;
    return 0;
}
