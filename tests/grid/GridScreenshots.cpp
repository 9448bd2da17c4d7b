// Shows the application's grid (GridView1) in a window and saves pictures of the screen: empty,
// with six calls, with a selected cell, with the indicator and footer switched on, and driven by
// the mouse and keyboard (cell moved by keys, header pressed, column being sized, column dragged).
// Run under the X server: grid_screenshots.exe <folder>; the pictures are BMP files there.
#include "GridTestSupport.h"

#include "grid/control/GridInput.h"
#include "tests/support/InputSupport.h"
#include "ui/core/Description.h"

#include <cstdio>
#include <string>

using namespace grid;

namespace {

void Settle(gridtest::THostForm& host)
{
    RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    testsupport::PumpFor(300);
}

using gridtest::TRepaint;

// Saves the window's rectangle of the screen, with `margin` pixels around it for the popups that
// float beside it.
bool Shot(gridtest::THostForm& host, const std::wstring& folder, const std::wstring& name,
          TRepaint repaint = TRepaint::rpFirst, int margin = 0)
{
    RECT r;
    GetWindowRect(host.Handle(), &r);
    InflateRect(&r, margin, margin);
    return gridtest::SaveScreenShot(host, r, folder, name, repaint);
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
    TGridView* grid = gridtest::LoadCallListGrid(*host);
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

    // Driven by the keyboard and the mouse.
    using testsupport::SendMouse;
    grid->SetOptions(grid->Options() - TGridOptions{TGridOption::goIndicator, TGridOption::goFooter});
    grid->SetCurrentCell(4, 0);
    HWND w = grid->Handle();
    testsupport::Key(w, VK_DOWN);
    testsupport::Key(w, VK_DOWN);
    testsupport::Key(w, VK_DOWN);
    testsupport::Key(w, VK_LEFT);
    ok &= Shot(*host, folder, L"grid-keys-moved");

    TCustomColumn* column = grid->Columns()->Items(0);
    column->SetOptions(column->Options() + TColumnOptions{TColumnOption::coCanClick});
    int x = column->Left() + column->Width() / 2, y = grid->HeaderSize() / 2;
    // The styled header has no pressed look of its own; the classic one shows it inverted.
    grid->SetHeaderStyle(THeaderStyle::hsOldStyle);
    SendMouse(w, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    ok &= Shot(*host, folder, L"grid-header-pressed");
    SendMouse(w, WM_LBUTTONUP, x, y);
    grid->SetHeaderStyle(THeaderStyle::hsAuto);

    Settle(*host);
    int edge = column->Left() + column->Width();
    SendMouse(w, WM_LBUTTONDOWN, edge, y, MK_LBUTTON);
    SendMouse(w, WM_MOUSEMOVE, edge + 45, 60, MK_LBUTTON);
    // Lines drawn straight on the window reach the screen when its surface is flushed.
    GdiFlush();
    testsupport::PumpFor(300);
    ok &= Shot(*host, folder, L"grid-column-sizing", TRepaint::rpAsIs);
    SendMouse(w, WM_LBUTTONUP, edge + 45, 60);

    grid->SetOptions(grid->Options() - TGridOptions{TGridOption::goDissableColumnMoving});
    Settle(*host);
    x = column->Left() + column->Width() / 2;
    SendMouse(w, WM_LBUTTONDOWN, x, y, MK_LBUTTON);
    SendMouse(w, WM_MOUSEMOVE, x + 10, y, MK_LBUTTON);
    TCustomColumn* target = grid->Columns()->DisplayItems(0);
    POINT over{target->Left() + target->Width() / 2, y + 3};
    ClientToScreen(w, &over);
    testsupport::SendToCapture(WM_MOUSEMOVE, over, MK_LBUTTON);
    testsupport::PumpFor(300);
    ok &= Shot(*host, folder, L"grid-column-drag", TRepaint::rpAsIs, 30);
    testsupport::Key(w, VK_ESCAPE);
    return ok ? 0 : 1;
}
