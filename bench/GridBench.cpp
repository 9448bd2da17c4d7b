// Measures the grid's cell store against the simplest column-major reference and against a
// report-mode ListView: appending, sorting, deleting the first row, clearing, bytes per cell.
//   scripts/with-display.sh scripts/wine-run.sh build/win64/bench/grid_bench.exe [rows]
#include "BenchSupport.h"
#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "grid/view/GridView.h"
#include "ui/controls/Forms.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <new>
#include <numeric>
#include <random>
#include <string>
#include <vector>

using namespace grid;

namespace {

constexpr int kColumns = 5;

using bench::Seconds;

// Live heap bytes as the allocator sees them: what was asked for, rounded up to the heap's
// 8-byte granules, plus 8 bytes of block header per allocation.
size_t gLiveBytes = 0;

size_t HeapCost(size_t n) { return (n + 7) / 8 * 8 + 8; }

size_t PrivateBytes() { return gLiveBytes; }

// The texts of one test row: a time, a serial, a counter, a line and a caller number.
std::wstring Text(int row, int col, const std::vector<int>& keys)
{
    switch (col) {
    case 0: return std::to_wstring(keys[row] % 24) + L":" + std::to_wstring(keys[row] % 60);
    case 1: return L"SN" + std::to_wstring(keys[row]);
    case 2: return std::to_wstring(keys[row]);
    case 3: return std::to_wstring(keys[row] % 4 + 1);
    default: return L"0532" + std::to_wstring(keys[row]);
    }
}

// --- the simplest column-major reference ---
struct TReference {
    std::vector<std::vector<std::wstring>> Columns = std::vector<std::vector<std::wstring>>(kColumns);
    void AddRows(int n)
    {
        for (auto& c : Columns)
            c.resize(c.size() + n);
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
    template <class Key>
    void Sort(int col, const std::function<Key(const std::wstring&)>& key)
    {
        std::vector<Key> keys;
        keys.reserve(Columns[col].size());
        for (auto& s : Columns[col])
            keys.push_back(key(s));
        std::vector<int> order(keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
        for (auto& c : Columns) {
            std::vector<std::wstring> sorted;
            sorted.reserve(c.size());
            for (int i : order)
                sorted.push_back(std::move(c[i]));
            c.swap(sorted);
        }
    }
};

// --- a report-mode ListView with redraw off ---
struct TListView {
    HWND Host = nullptr;
    HWND List = nullptr;
    TListView()
    {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
        InitCommonControlsEx(&icc);
        Host = CreateWindowExW(0, L"STATIC", L"bench", WS_OVERLAPPEDWINDOW, 0, 0, 600, 300, nullptr, nullptr, nullptr, nullptr);
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
    int Count() const { return static_cast<int>(SendMessageW(List, LVM_GETITEMCOUNT, 0, 0)); }
    void Append(const std::wstring* texts)
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
        bool Numeric;
    };
    static int CALLBACK Compare(LPARAM a, LPARAM b, LPARAM context)
    {
        auto* c = reinterpret_cast<TSortContext*>(context);
        std::wstring x = c->View->Get(static_cast<int>(a), c->Col), y = c->View->Get(static_cast<int>(b), c->Col);
        if (c->Numeric) {
            double p = wcstod(x.c_str(), nullptr), q = wcstod(y.c_str(), nullptr);
            return p < q ? -1 : p > q ? 1 : 0;
        }
        return x.compare(y);
    }
    void Sort(int col, bool numeric)
    {
        TSortContext context{this, col, numeric};
        SendMessageW(List, LVM_SORTITEMSEX, reinterpret_cast<WPARAM>(&context), reinterpret_cast<LPARAM>(&Compare));
    }
};

void Line(const char* what, double grid, double reference, double listView)
{
    if (listView >= 0)
        std::printf("%-34s grid %9.4f s  reference %9.4f s (%5.2fx)  ListView %9.4f s (grid %6.1fx faster)\n", what,
                    grid, reference, grid / reference, listView, listView / grid);
    else
        std::printf("%-34s grid %9.4f s  reference %9.4f s (%5.2fx)\n", what, grid, reference, grid / reference);
}

} // namespace

void* operator new(size_t n)
{
    void* p = std::malloc(n + sizeof(size_t) * 2);
    if (p == nullptr)
        throw std::bad_alloc();
    *static_cast<size_t*>(p) = n;
    gLiveBytes += HeapCost(n);
    return static_cast<char*>(p) + sizeof(size_t) * 2;
}

void operator delete(void* p) noexcept
{
    if (p == nullptr)
        return;
    auto* block = reinterpret_cast<size_t*>(reinterpret_cast<uintptr_t>(p) - sizeof(size_t) * 2);
    gLiveBytes -= HeapCost(*block);
    std::free(block);
}

void operator delete(void* p, size_t) noexcept { operator delete(p); }

int main(int argc, char** argv)
{
    int rows = argc > 1 ? std::atoi(argv[1]) : 100000;
    std::printf("%d rows of %d text columns\n", rows, kColumns);
    std::mt19937 rng(42);
    std::vector<int> randomKeys(rows);
    for (auto& k : randomKeys)
        k = static_cast<int>(rng() % 1000000);

    auto* host = new ui::TForm(nullptr);
    auto* gridView = new TGridView(host);
    for (int c = 0; c < kColumns; ++c)
        gridView->Columns()->AddColumn(new TTextualColumn(gridView->Columns()));
    TReference reference;

    auto fill = [&](const std::vector<int>& keys) {
        gridView->ClearRows();
        reference.Clear();
        gridView->AddRows(rows);
        reference.AddRows(rows);
        gridView->BeginUpdate();
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < kColumns; ++c) {
                std::wstring t = Text(r, c, keys);
                gridView->Cell(c, r)->SetAsString(t);
                reference.Columns[c][r] = t;
            }
        gridView->EndUpdate();
    };

    // Appending.
    double g1 = Seconds([&] {
        for (int r = 0; r < rows; ++r)
            gridView->AddRows(1);
    });
    double r1 = Seconds([&] {
        for (int r = 0; r < rows; ++r)
            reference.AddRows(1);
    });
    gridView->ClearRows();
    reference.Clear();
    double g2 = Seconds([&] { gridView->AddRows(rows); });
    double r2 = Seconds([&] { reference.AddRows(rows); });
    double lv1 = -1;
    {
        TListView list;
        std::vector<std::wstring> texts(kColumns);
        lv1 = Seconds([&] {
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < kColumns; ++c)
                    texts[c] = Text(r, c, randomKeys);
                list.Append(texts.data());
            }
        });
        // Texts are built inside the ListView's loop; time the same text building alone so the
        // comparison is of the stores.
        double build = Seconds([&] {
            for (int r = 0; r < rows; ++r)
                for (int c = 0; c < kColumns; ++c)
                    texts[c] = Text(r, c, randomKeys);
        });
        lv1 -= build;
        Line("AddRows(1) x rows", g1, r1, lv1);
        Line("AddRows(rows)", g2, r2, lv1);

        // Sorting: random, already sorted, reversed, all equal.
        fill(randomKeys);
        double gs = Seconds([&] { gridView->Cells()->SortRows(1, TSortType::stAlphabetic, false); });
        double rs = Seconds([&] { reference.Sort<std::wstring>(1, [](const std::wstring& s) { return s; }); });
        double ls = Seconds([&] { list.Sort(1, false); });
        Line("SortRows alphabetic, random", gs, rs, ls);
        fill(randomKeys);
        double gn = Seconds([&] { gridView->Cells()->SortRows(2, TSortType::stNumeric, false); });
        double rn = Seconds([&] { reference.Sort<double>(2, [](const std::wstring& s) { return StrToFloat(s); }); });
        double ln = Seconds([&] { list.Sort(2, true); });
        Line("SortRows numeric, random", gn, rn, ln);
    }
    std::vector<int> sortedKeys(rows);
    std::iota(sortedKeys.begin(), sortedKeys.end(), 0);
    std::vector<int> reversedKeys(sortedKeys.rbegin(), sortedKeys.rend());
    std::vector<int> equalKeys(rows, 777);
    struct {
        const char* name;
        const std::vector<int>* keys;
    } shapes[] = {{"numeric, already sorted", &sortedKeys}, {"numeric, reversed", &reversedKeys},
                  {"numeric, all equal", &equalKeys}};
    for (auto& s : shapes) {
        fill(*s.keys);
        double g = Seconds([&] { gridView->Cells()->SortRows(2, TSortType::stNumeric, false); });
        double r = Seconds([&] { reference.Sort<double>(2, [](const std::wstring& t) { return StrToFloat(t); }); });
        Line((std::string("SortRows ") + s.name).c_str(), g, r, -1);
    }

    // Deleting the first row 1,000 times, clearing.
    fill(randomKeys);
    double gd = Seconds([&] {
        for (int i = 0; i < 1000; ++i)
            gridView->DeleteRow(0);
    });
    double rd = Seconds([&] {
        for (int i = 0; i < 1000; ++i)
            reference.DeleteRow(0);
    });
    Line("DeleteRow(0) x 1000", gd, rd, -1);
    double gc = Seconds([&] { gridView->ClearRows(); });
    double rc = Seconds([&] { reference.Clear(); });
    Line("ClearRows", gc, rc, -1);

    // Bytes per cell, on a fresh grid and a fresh reference (list slots included): empty cells,
    // then cells holding the test texts.
    auto* fresh = new TGridView(host);
    for (int c = 0; c < kColumns; ++c)
        fresh->Columns()->AddColumn(new TTextualColumn(fresh->Columns()));
    size_t before = PrivateBytes();
    fresh->AddRows(rows);
    size_t empty = PrivateBytes();
    fresh->BeginUpdate();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kColumns; ++c)
            fresh->Cell(c, r)->SetAsString(Text(r, c, randomKeys));
    fresh->EndUpdate();
    size_t filled = PrivateBytes();
    auto* plain = new TReference;
    size_t refBefore = PrivateBytes();
    plain->AddRows(rows);
    size_t refEmpty = PrivateBytes();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kColumns; ++c)
            plain->Columns[c][r] = Text(r, c, randomKeys);
    size_t refFilled = PrivateBytes();
    double cells = double(rows) * kColumns;
    // Cells come from the grid's own pool, which the heap count above sees only as whole chunks
    // (and not at all when freed cells are reused): a cell costs its pool block and its list slot.
    double cellBytes = (sizeof(TStringCell) + 7) / 8 * 8 + sizeof(TCell*);
    std::printf("bytes per cell: grid %.1f empty, %.1f with texts (heap seen: %.1f, %.1f); "
                "reference %.1f empty, %.1f with texts\n",
                cellBytes, cellBytes + (filled - empty) / cells, (empty - before) / cells, (filled - before) / cells,
                (refEmpty - refBefore) / cells, (refFilled - refBefore) / cells);
    delete plain;
    delete host;
    return 0;
}
