// Helpers shared by the grid tests.
#include "GridTestSupport.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"

#include <cstdio>

namespace gridtest {

const ui::TClassInfo& THostForm::StaticClass()
{
    static const ui::TClassInfo info = ui::TClassBuilder<THostForm>(L"THostForm", &ui::TForm::StaticClass()).Build();
    return info;
}

std::unique_ptr<THostForm> MakeHost(int width, int height)
{
    ui::RegisterComponentClass(grid::TGridView::StaticClass());
    auto host = std::make_unique<THostForm>(nullptr);
    host->SetBounds(50, 50, width, height);
    host->SetClientWidth(width);
    host->SetClientHeight(height);
    return host;
}

std::wstring CallListDescription()
{
    std::wstring text = L"object Host: THostForm\n"
                        L"  object GridView1: TGridView\n"
                        L"    Left = 8\n    Top = 8\n    Width = 530\n    Height = 170\n"
                        L"    Options = [goDissableColumnMoving, goGrid, goHeader]\n"
                        L"    HeaderSize = 20\n    RowSize = 20\n    InputSize = 12\n";
    struct {
        const wchar_t* caption;
        int width;
        int position;
        const wchar_t* sortKind;
    } columns[] = {{L"Saat", 99, 2, L"skAscending"},
                   {L"Cihaz seri no.", 120, 3, L"skAscending"},
                   {L"\x00C7" L"a\x011Fr\x0131 s\x0131ra no", 104, 4, L"skAscending"},
                   {L"Hat no.", 71, 0, L"skDescending"},
                   {L"Arayan numara", 132, 1, L"skAscending"}};
    for (auto& c : columns) {
        text += L"    object TTextualColumn\n";
        text += L"      Alignment = taCenter\n      Color = clWindow\n";
        text += L"      DefaultWidth = " + std::to_wstring(c.width) + L"\n";
        text += L"      Header.Caption = '" + std::wstring(c.caption) + L"'\n";
        text += L"      Header.Color = clBtnFace\n      Header.DisplayMode = dmTextOnly\n";
        text += L"      Footer.Color = clWindow\n";
        text += L"      Options = [coAutoSize, coCanInput, coDontHighlight, coPublicUsing]\n";
        text += L"      Position = " + std::to_wstring(c.position) + L"\n";
        text += L"      SortKind = " + std::wstring(c.sortKind) + L"\n";
        text += L"      Width = " + std::to_wstring(c.width) + L"\n";
        text += L"      WrapKind = wkEllipsis\n      AutoExecute = True\n";
        text += L"    end\n";
    }
    text += L"  end\nend\n";
    return text;
}

grid::TGridView* LoadCallListGrid(THostForm& host)
{
    ui::RegisterComponentClass(grid::TGridView::StaticClass());
    ui::ReadDescription(host, CallListDescription(), L"CallList");
    return dynamic_cast<grid::TGridView*>(host.FindComponent(L"GridView1"));
}

bool SaveScreenShot(THostForm& host, const RECT& r, const std::wstring& folder, const std::wstring& name,
                    TRepaint repaint)
{
    if (repaint == TRepaint::rpFirst) {
        RedrawWindow(host.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        testsupport::PumpFor(300);
    }
    ui::TBitmap picture(r.right - r.left, r.bottom - r.top);
    HDC screen = GetDC(nullptr);
    BitBlt(picture.Canvas().Handle(), 0, 0, picture.Width(), picture.Height(), screen, r.left, r.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    std::wstring path = folder + L"\\" + name + L".bmp";
    try {
        picture.SaveToFile(path);
    } catch (const ui::Exception& e) {
        std::fprintf(stderr, "cannot save %s: %s\n", testsupport::Narrow(path).c_str(),
                     testsupport::Narrow(e.Message()).c_str());
        return false;
    }
    std::printf("saved %s\n", testsupport::Narrow(path).c_str());
    return true;
}

RECT PendingUpdate(HWND wnd)
{
    RECT r{0, 0, 0, 0};
    if (!GetUpdateRect(wnd, &r, FALSE))
        return RECT{0, 0, 0, 0};
    return r;
}

TInputGrid::TInputGrid(int rows) : host(MakeHost())
{
    grid = LoadCallListGrid(*host);
    host->Show();
    grid->HandleNeeded();
    grid->AddRows(rows);
    for (int r = 0; r < rows; ++r)
        grid->SetCellText(4, r, L"r" + std::to_wstring(r));
    SetForegroundWindow(host->Handle());
    grid->SetFocus();
    Settle();
}

POINT TInputGrid::CellCenter(int col, int row) const
{
    ui::TRect r = grid->CellRect(col, row);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

POINT TInputGrid::HeaderCenter(int col) const
{
    grid::TCustomColumn* c = grid->Columns()->Items(col);
    int left = c->Left() - grid->HorzScrollBar()->Position();
    return POINT{left + c->Width() / 2, grid->HeaderSize() / 2};
}

int TInputGrid::RightEdge(int col) const
{
    grid::TCustomColumn* c = grid->Columns()->Items(col);
    return c->Left() - grid->HorzScrollBar()->Position() + c->Width();
}

} // namespace gridtest
