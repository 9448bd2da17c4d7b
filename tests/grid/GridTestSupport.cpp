// Helpers shared by the grid tests.
#include "GridTestSupport.h"

#include "ui/core/ClassBuilder.h"
#include "ui/core/Description.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
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
    // The program's own description, as it is built into the program, so that the tests see the
    // grid the user sees: the GridView1 object, moved into a host window of its own.
    FILE* file = _wfopen(CALLERID_MAIN_DESCRIPTION, L"rb");
    if (file == nullptr)
        return L"";
    std::string bytes;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        bytes.append(buffer, n);
    std::fclose(file);
    std::wstring text = ui::Utf8ToWide(bytes);
    std::wstring grid, indent;
    size_t pos = 0;
    bool inside = false;
    while (pos < text.size()) {
        size_t end = text.find(L'\n', pos);
        std::wstring line = text.substr(pos, end == std::wstring::npos ? std::wstring::npos : end - pos);
        pos = end == std::wstring::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == L'\r')
            line.pop_back();
        if (!inside && line.find(L"object GridView1: TGridView") != std::wstring::npos) {
            inside = true;
            indent = line.substr(0, line.find(L'o'));
        }
        if (!inside)
            continue;
        grid += L"  " + line.substr(std::min(indent.size(), line.size())) + L"\n";
        if (line == indent + L"end")
            break;
    }
    return L"object Host: THostForm\n" + grid + L"end\n";
}

grid::TGridView* LoadCallListGrid(THostForm& host)
{
    ui::RegisterComponentClass(grid::TGridView::StaticClass());
    ui::ReadDescription(host, CallListDescription(), L"CallList");
    auto* grid = dynamic_cast<grid::TGridView*>(host.FindComponent(L"GridView1"));
    // In the program the grid fills the top of its group box; here it keeps its own size.
    if (grid != nullptr) {
        grid->SetAlign(ui::TAlign::alNone);
        grid->SetBounds(8, 8, 530, 170);
    }
    return grid;
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
