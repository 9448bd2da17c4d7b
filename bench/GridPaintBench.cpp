// One full paint of the application's 530 x 170 grid with 6, 10,000 and 1,000,000 rows (the large
// ones scrolled to the middle), in the classic look and with visual styles, beside the platform's
// list view doing the same (report style, five columns, owner-data mode for the large counts, as a
// list view user holds a million rows) and beside a minimal hand-written GDI grid, the floor:
// fill, lines and the texts of the visible cells only. Then the repaint one appended call causes,
// the GDI objects over 10,000 paints and the text calls of one paint.
//   scripts/bench.sh, or scripts/with-display.sh scripts/wine-run.sh build/win64/bench/grid_paint_bench.exe
//
// Visual styles: Wine has none active by default. The styled figures use Wine's own uxtheme with
// its "light" theme, switched on inside this process only (gridtest::TWineTheme); where that
// fails the styled column says so and stays empty.
#include "BenchSupport.h"
#include "GridTestSupport.h"
#include "PaintTestSupport.h"

#include "grid/view/Displays.h"
#include "grid/view/ThemesSupport.h"
#include "tests/support/GdiLeakCheck.h"
#include "ui/core/Description.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace grid;

namespace {

constexpr int kRepeats = 100;
constexpr int kBatches = 5;
constexpr int kPairs = 9;

std::array<std::wstring, 5> RowTexts(int row)
{
    return {L"12:30:05", L"100245", std::to_wstring(row + 1), std::to_wstring(row % 4 + 1),
            L"0532" + std::to_wstring(1000000 + row)};
}

// The application's grid on a shown host, painting into a memory bitmap of its client size.
struct TBenchGrid {
    std::unique_ptr<gridtest::THostForm> host = gridtest::MakeHost(546, 186);
    TGridView* grid = nullptr;
    std::unique_ptr<ui::TBitmap> target;

    TBenchGrid()
    {
        grid = gridtest::LoadCallListGrid(*host);
        host->Show();
        grid->HandleNeeded();
        target = std::make_unique<ui::TBitmap>(grid->ClientWidth(), grid->ClientHeight());
    }
    void SetRow(int row)
    {
        const auto t = RowTexts(row);
        for (int c = 0; c < 5; ++c)
            grid->Cell(c, row)->SetAsString(t[c]);
    }
    // Rows are appended in one go; only the rows around the shown ones get values, which is all
    // a paint reads.
    void Fill(int rows, int firstShown)
    {
        grid->BeginUpdate();
        grid->AddRows(rows);
        for (int r = std::max(0, firstShown - 20); r < std::min(rows, firstShown + 40); ++r)
            SetRow(r);
        grid->EndUpdate();
        grid->VertScrollBar()->SetPosition(firstShown);
        ValidateRect(grid->Handle(), nullptr);
    }
    void Paint(const RECT* clip = nullptr)
    {
        HDC dc = target->Canvas().Handle();
        if (clip != nullptr)
            IntersectClipRect(dc, clip->left, clip->top, clip->right, clip->bottom);
        SendMessageW(grid->Handle(), WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        if (clip != nullptr)
            SelectClipRgn(dc, nullptr);
    }
    double SecondsPerPaint(int repeats, const RECT* clip = nullptr)
    {
        Paint(clip);
        return bench::BestSeconds(kBatches, [&] {
                   for (int i = 0; i < repeats; ++i)
                       Paint(clip);
               }) / repeats;
    }
};

// The floor: what any grid must do to show the same picture. A header band, the grid lines of
// the visible rows and columns, and each visible cell's text clipped to its cell, in the grid's
// own font and column widths. Texts are read from the grid beforehand.
struct TMinimalGrid {
    std::vector<int> Widths;
    std::vector<std::array<std::wstring, 5>> Texts;
    std::array<std::wstring, 5> Captions;
    HFONT Font = nullptr;
    int RowPitch = 21;
    int Header = 20;
    int Width = 0, Height = 0;
    // The grid's columns centre their texts: placing a text needs its width, one measure each.
    bool Centred = false;

    void Text(HDC dc, const RECT& cell, int y, const std::wstring& text) const
    {
        int x = cell.left;
        if (Centred) {
            SIZE size{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
            x = cell.left + (cell.right - cell.left - size.cx) / 2;
        }
        ExtTextOutW(dc, x, y, ETO_CLIPPED, &cell, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    }
    void Paint(HDC dc) const
    {
        RECT all{0, 0, Width, Height};
        FillRect(dc, &all, GetSysColorBrush(COLOR_WINDOW));
        RECT band{0, 0, Width, Header};
        FillRect(dc, &band, GetSysColorBrush(COLOR_BTNFACE));
        HGDIOBJ oldFont = SelectObject(dc, Font);
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
        SetDCPenColor(dc, GetSysColor(COLOR_BTNFACE));
        SetBkMode(dc, TRANSPARENT);
        int x = 0;
        for (size_t c = 0; c < Widths.size(); ++c) {
            RECT cell{x + 2, 0, x + Widths[c] - 2, Header};
            Text(dc, cell, 3, Captions[c]);
            x += Widths[c];
            MoveToEx(dc, x - 1, 0, nullptr);
            LineTo(dc, x - 1, Height);
        }
        int y = Header;
        for (const auto& row : Texts) {
            if (y >= Height)
                break;
            int left = 0;
            for (size_t c = 0; c < Widths.size(); ++c) {
                RECT cell{left + 2, y, left + Widths[c] - 2, y + RowPitch - 1};
                Text(dc, cell, y + 3, row[c]);
                left += Widths[c];
            }
            y += RowPitch;
            MoveToEx(dc, 0, y - 1, nullptr);
            LineTo(dc, Width, y - 1);
        }
        SelectObject(dc, oldPen);
        SelectObject(dc, oldFont);
    }
};

TMinimalGrid MinimalLike(TBenchGrid& b, int rows, int firstShown)
{
    TMinimalGrid m;
    for (int p = 0; p < b.grid->Columns()->Count(); ++p) {
        TCustomColumn* column = b.grid->Columns()->DisplayItems(p);
        m.Widths.push_back(column->Width());
        m.Captions[p] = column->Header()->Caption();
    }
    for (int r = firstShown; r < std::min(rows, firstShown + 12); ++r) {
        std::array<std::wstring, 5> row;
        for (int p = 0; p < 5; ++p)
            row[p] = b.grid->Cells()->Peek(b.grid->Columns()->DisplayItems(p)->Index(), r)->AsString();
        m.Texts.push_back(row);
    }
    m.Font = b.grid->Font()->Handle();
    m.RowPitch = b.grid->RowSize() + 1;
    m.Header = b.grid->HeaderSize();
    m.Width = b.grid->ClientWidth();
    m.Height = b.grid->ClientHeight();
    return m;
}

// The platform's list view of the same size, columns and font: six items held by the control,
// or any count in owner-data mode, where the host answers each text request.
class TListViewPaint {
public:
    TListViewPaint(int rows, bool ownerData, const TMinimalGrid& like)
    {
        static bool registered = false;
        if (!registered) {
            INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
            InitCommonControlsEx(&icc);
            WNDCLASSW wc{};
            wc.lpfnWndProc = &HostProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"GridPaintBenchListHost";
            RegisterClassW(&wc);
            registered = true;
        }
        FHost = CreateWindowExW(0, L"GridPaintBenchListHost", L"list view", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                600, 300, nullptr, nullptr, nullptr, nullptr);
        DWORD style = WS_CHILD | WS_VISIBLE | LVS_REPORT | (ownerData ? LVS_OWNERDATA : 0);
        FList = CreateWindowExW(0, WC_LISTVIEWW, L"", style, 0, 0, like.Width, like.Height, FHost, nullptr, nullptr,
                                nullptr);
        SendMessageW(FList, WM_SETFONT, reinterpret_cast<WPARAM>(like.Font), FALSE);
        SendMessageW(FList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES, LVS_EX_GRIDLINES);
        for (size_t c = 0; c < like.Widths.size(); ++c) {
            LVCOLUMNW column{};
            column.mask = LVCF_WIDTH | LVCF_TEXT;
            column.cx = like.Widths[c];
            column.pszText = const_cast<wchar_t*>(like.Captions[c].c_str());
            SendMessageW(FList, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
        }
        if (ownerData) {
            SendMessageW(FList, LVM_SETITEMCOUNT, rows, 0);
        } else {
            for (int r = 0; r < rows; ++r) {
                const auto t = RowTexts(r);
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = r;
                item.pszText = const_cast<wchar_t*>(t[0].c_str());
                SendMessageW(FList, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
                for (int c = 1; c < 5; ++c) {
                    LVITEMW sub{};
                    sub.iSubItem = c;
                    sub.pszText = const_cast<wchar_t*>(t[c].c_str());
                    SendMessageW(FList, LVM_SETITEMTEXTW, r, reinterpret_cast<LPARAM>(&sub));
                }
            }
        }
        if (rows > 8) {
            // The middle row at the top, as the grid shows it.
            const int perPage = static_cast<int>(SendMessageW(FList, LVM_GETCOUNTPERPAGE, 0, 0));
            SendMessageW(FList, LVM_ENSUREVISIBLE, rows / 2 + perPage - 1, FALSE);
        }
        FHeader = reinterpret_cast<HWND>(SendMessageW(FList, LVM_GETHEADER, 0, 0));
        FTarget = std::make_unique<ui::TBitmap>(like.Width, like.Height);
        ValidateRect(FList, nullptr);
        ValidateRect(FHeader, nullptr);
    }
    ~TListViewPaint() { DestroyWindow(FHost); }
    TListViewPaint(const TListViewPaint&) = delete;
    TListViewPaint& operator=(const TListViewPaint&) = delete;

    int TopIndex() const { return static_cast<int>(SendMessageW(FList, LVM_GETTOPINDEX, 0, 0)); }
    // The items and the header, which is a child window of its own.
    void Paint()
    {
        HDC dc = FTarget->Canvas().Handle();
        SendMessageW(FList, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
        SendMessageW(FHeader, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    }

private:
    static LRESULT CALLBACK HostProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
            static std::wstring text;
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
            if ((info->item.mask & LVIF_TEXT) != 0) {
                text = RowTexts(info->item.iItem)[std::min(info->item.iSubItem, 4)];
                lstrcpynW(info->item.pszText, text.c_str(), info->item.cchTextMax);
            }
            return 0;
        }
        return DefWindowProcW(wnd, msg, wParam, lParam);
    }

    HWND FHost = nullptr;
    HWND FList = nullptr;
    HWND FHeader = nullptr;
    std::unique_ptr<ui::TBitmap> FTarget;
};

bool Classic() { return false; }

// One row of the paint table.
struct TPaintFigures {
    int Rows = 0;
    double Classic = -1, Styled = -1, Minimal = -1, Centred = -1, ListView = -1;
};

} // namespace

int main()
{
    const int counts[] = {6, 10000, 1000000};
    std::vector<TPaintFigures> figures;
    for (int rows : counts) {
        TPaintFigures f;
        f.Rows = rows;
        TBenchGrid b;
        const int first = rows > 8 ? rows / 2 : 0;
        b.Fill(rows, first);
        TMinimalGrid minimal = MinimalLike(b, rows, first);
        TThemeServices classic;
        classic.Active = &Classic;
        TThemeServices old = SetThemeServices(classic);
        // The grid and the minimal grid take turns, batch by batch; the pair with the median
        // ratio counts.
        b.Paint();
        const auto [grid, floor] = bench::MedianPairSeconds(
            kPairs,
            [&] {
                for (int i = 0; i < kRepeats; ++i)
                    b.Paint();
            },
            [&] {
                for (int i = 0; i < kRepeats; ++i)
                    minimal.Paint(b.target->Canvas().Handle());
            });
        f.Classic = grid / kRepeats;
        f.Minimal = floor / kRepeats;
        SetThemeServices(old);
        minimal.Centred = true;
        f.Centred = bench::BestSeconds(kBatches, [&] {
                        for (int i = 0; i < kRepeats; ++i)
                            minimal.Paint(b.target->Canvas().Handle());
                    }) / kRepeats;
        minimal.Centred = false;
        TListViewPaint list(rows, rows > 6, minimal);
        list.Paint();
        f.ListView = bench::BestSeconds(kBatches, [&] {
                         for (int i = 0; i < kRepeats; ++i)
                             list.Paint();
                     }) / kRepeats;
        figures.push_back(f);
    }

    // With visual styles: switched on once, for the rest of this process.
    gridtest::TWineTheme theme;
    for (auto& f : figures) {
        if (!theme.Active())
            break;
        TBenchGrid b;
        b.Fill(f.Rows, f.Rows > 8 ? f.Rows / 2 : 0);
        f.Styled = b.SecondsPerPaint(kRepeats);
    }

    bench::Heading("Full paint of the 530 x 170 grid, 5 columns (goals: classic <= 1.5x the minimal GDI grid; "
                   "styled <= 1.5x classic; 1,000,000 rows <= 1.2x 6 rows)",
                   "   classic     styled  minimal GDI  list view  classic/min  styled/cl  lv/classic");
    for (const auto& f : figures) {
        char name[64], line[200];
        std::snprintf(name, sizeof name, "%d rows%s", f.Rows, f.Rows > 6 ? " (list view owner-data)" : "");
        std::snprintf(line, sizeof line, "%10s %10s %12s %10s %7s %-4s %7s %-4s %8s", bench::Time(f.Classic).c_str(),
                      bench::Time(f.Styled).c_str(), bench::Time(f.Minimal).c_str(), bench::Time(f.ListView).c_str(),
                      bench::Ratio(f.Classic, f.Minimal).c_str(), f.Classic <= 1.5 * f.Minimal ? "ok" : "MISS",
                      bench::Ratio(f.Styled, f.Classic).c_str(),
                      f.Styled < 0 ? "" : f.Styled <= 1.5 * f.Classic ? "ok" : "MISS",
                      bench::Ratio(f.ListView, f.Classic).c_str());
        bench::Row(name, line);
    }
    {
        const TPaintFigures &small = figures.front(), &large = figures.back();
        char line[200];
        // The two pictures differ (six rows of short texts against a full page of longer ones):
        // the minimal grid's own ratio between them is the floor of this one.
        std::snprintf(line, sizeof line, "classic %s %s; styled %s %s; minimal GDI grid %s (the pictures' own)",
                      bench::Ratio(large.Classic, small.Classic).c_str(),
                      large.Classic <= 1.2 * small.Classic ? "ok" : "MISSED",
                      bench::Ratio(large.Styled, small.Styled).c_str(),
                      large.Styled < 0 ? "" : large.Styled <= 1.2 * small.Styled ? "ok" : "MISSED",
                      bench::Ratio(large.Minimal, small.Minimal).c_str());
        bench::Row("1,000,000 rows / 6 rows", line);
    }
    {
        // The floor of the picture the grid shows: the minimal grid placing each text centred as
        // the grid's columns do, which takes a measure per text before the output.
        char line[200];
        for (const auto& f : figures) {
            std::snprintf(line, sizeof line, "%d rows: minimal GDI grid with centred texts %s; classic %s of it",
                          f.Rows, bench::Time(f.Centred).c_str(), bench::Ratio(f.Classic, f.Centred).c_str());
            bench::Row(&f == &figures.front() ? "floor with centred texts" : "", line);
        }
    }
    if (!theme.Active())
        bench::Row("styled", "not measured: " + theme.Why());
    else
        bench::Row("styled", "Wine's uxtheme with its light.msstyles, active in this process only");

    {
        TBenchGrid b;
        b.Fill(5, 0);
        const double full = b.SecondsPerPaint(300);
        // One call as the call list appends it: a row, then its values inside the bracket.
        b.grid->AddRows(1);
        const int row = b.grid->RowCount() - 1;
        b.grid->BeginUpdate();
        b.SetRow(row);
        b.grid->EndUpdate();
        RECT pending{0, 0, 0, 0};
        GetUpdateRect(b.grid->Handle(), &pending, FALSE);
        const double partial = b.SecondsPerPaint(300, &pending);
        char line[200];
        std::snprintf(line, sizeof line, "%s for %ld x %ld pixels, against %s for the full repaint (%s)",
                      bench::Time(partial).c_str(), pending.right - pending.left, pending.bottom - pending.top,
                      bench::Time(full).c_str(), bench::Ratio(partial, full).c_str());
        bench::Row("repaint of one appended call", line);
    }
    {
        TBenchGrid b;
        b.Fill(6, 0);
        b.Paint();
        auto before = testsupport::TakeGdiSnapshot();
        for (int i = 0; i < 10000; ++i)
            b.Paint();
        auto after = testsupport::TakeGdiSnapshot();
        std::string growth = testsupport::GdiGrowth(before, after);
        char line[200];
        std::snprintf(line, sizeof line, "%d before, %d after: %s", before.WrappedGdi, after.WrappedGdi,
                      growth.empty() ? "no growth" : growth.c_str());
        bench::Row("GDI objects over 10,000 paints", line);
        PaintCounters().TextCalls = 0;
        b.Paint();
        const int rowsShown = b.grid->VisibleRowCount();
        std::snprintf(line, sizeof line, "%ld (bound (visible rows %d + 1) x (columns 5 + 1) = %d)",
                      PaintCounters().TextCalls, rowsShown, (rowsShown + 1) * 6);
        bench::Row("text calls of one full paint", line);
    }
    return 0;
}
