// Shows the application's grid (GridView1) in a window and saves pictures of the screen: empty,
// with six calls, with a selected cell, and with the indicator and footer switched on.
// Run under the X server: grid_screenshots.exe <folder>; the pictures are BMP files there.
#include "GridTestSupport.h"
#include "GridView1Description.h"

#include "ui/core/Description.h"

#include <cstdio>
#include <string>

using namespace grid;

namespace {

bool Shot(gridtest::THostForm& host, const std::wstring& folder, const std::wstring& name)
{
    RECT r;
    GetWindowRect(host.Handle(), &r);
    return gridtest::SaveScreenShot(host, r, folder, name);
}

void AddCall(TGridView& grid, const std::wstring (&values)[5])
{
    // As the call list does: append, then fill the row inside the update bracket.
    grid.AddRows(1);
    int row = grid.RowCount() - 1;
    grid.BeginUpdate();
    for (int col = 0; col < 5; ++col)
        grid.Cell(col, row)->SetAsString(values[col]);
    grid.EndUpdate();
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring folder = argc > 1 ? argv[1] : L".";
    auto host = gridtest::MakeHost(546, 186);
    ui::ReadDescription(*host, gridtest::GridView1Description(), L"GridView1");
    auto* grid = dynamic_cast<TGridView*>(host->FindComponent(L"GridView1"));
    if (grid == nullptr)
        return 2;
    host->SetCaption(L"GridView1");
    host->Show();
    bool ok = Shot(*host, folder, L"grid-empty");

    const std::wstring calls[6][5] = {
        {L"09:12:04", L"100245", L"1", L"1", L"02124445566"},
        {L"09:15:41", L"100245", L"2", L"2", L"05321234567"},
        {L"10:02:19", L"100245", L"3", L"1", L"05551112233"},
        {L"10:47:55", L"100245", L"4", L"3", L"03122223344"},
        {L"11:30:08", L"100245", L"5", L"2", L"0532123456789012345"},
        {L"11:58:36", L"100245", L"6", L"4", L"02163334455"},
    };
    for (const auto& call : calls)
        AddCall(*grid, call);
    ok &= Shot(*host, folder, L"grid-six-calls");

    grid->SetFocus();
    grid->SetCurrentCell(4, 2);
    ok &= Shot(*host, folder, L"grid-selected-cell");

    grid->Columns()->Items(4)->Footer()->SetCaption(L"6 arama");
    grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goIndicator, TGridOption::goFooter});
    ok &= Shot(*host, folder, L"grid-indicator-footer");
    return ok ? 0 : 1;
}
