// Helpers shared by the editing tests.
#include "EditingTestSupport.h"

#include "grid/data/ColumnClasses.h"
#include "ui/controls/StdCtrls.h"
#include "ui/core/Description.h"

namespace gridtest {

std::wstring EditingGridDescription()
{
    return L"object Host: THostForm\n"
           L"  object GridView1: TGridView\n"
           L"    Left = 8\n    Top = 8\n    Width = 620\n    Height = 200\n"
           L"    Options = [goGrid, goHeader, goInput]\n"
           L"    HeaderSize = 20\n    RowSize = 20\n    InputSize = 20\n"
           L"    object TTextualColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Ad'\n      Width = 120\n"
           L"      Options = [coCanInput, coEditing, coEditorAutoSelect]\n"
           L"    end\n"
           L"    object TCheckBoxColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Tamam'\n      Width = 60\n      Alignment = taCenter\n"
           L"      Options = [coEditing]\n"
           L"    end\n"
           L"    object TTextualColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Not'\n      Width = 100\n      DefaultValue = 'x'\n"
           L"      Options = [coCanInput]\n"
           L"    end\n"
           L"    object TNumericColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Miktar'\n      Width = 90\n      Min = 0\n      Max = 10\n"
           L"      Options = [coCanInput, coEditing]\n"
           L"    end\n"
           L"    object TComboBoxColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Renk'\n      Width = 100\n"
           L"      Options = [coCanInput, coEditing]\n"
           L"    end\n"
           L"    object TDateColumn\n"
           L"      Color = clWindow\n      Header.Caption = 'Tarih'\n      Width = 100\n"
           L"      Options = [coCanInput, coEditing]\n"
           L"    end\n"
           L"  end\n"
           L"  object Other: TEdit\n"
           L"    Left = 8\n    Top = 240\n    Width = 100\n    Height = 21\n"
           L"  end\n"
           L"end\n";
}

TEditingGrid::TEditingGrid()
{
    host = MakeHost(660, 300);
    ui::RegisterComponentClass(ui::TEdit::StaticClass());
    ui::ReadDescription(*host, EditingGridDescription(), L"EditingGrid");
    grid = dynamic_cast<grid::TGridView*>(host->FindComponent(L"GridView1"));
    other = dynamic_cast<ui::TWinControl*>(host->FindComponent(L"Other"));
    if (auto* combo = dynamic_cast<grid::TComboBoxColumn*>(grid->Columns()->Items(4)))
        combo->SetItems({L"K\x0131rm\x0131z\x0131", L"Ye\x015Fil", L"Mavi"});
    host->Show();
    grid->HandleNeeded();
    grid->AddRows(3);
    grid->SetCellText(0, 0, L"bir");
    grid->SetCellText(0, 1, L"iki");
    grid->SetCellText(0, 2, L"\x00FC\x00E7");
    grid->SetFocus();
    Drain();
}

TEditingGrid::~TEditingGrid() { grid->CloseEditor(); }

void Drain()
{
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PressKey(HWND wnd, WORD key)
{
    UINT scan = MapVirtualKeyW(key, MAPVK_VK_TO_VSC);
    PostMessageW(wnd, WM_KEYDOWN, key, 1 | (scan << 16));
    PostMessageW(wnd, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000);
    Drain();
}

void TypeText(HWND wnd, const std::wstring& text)
{
    for (wchar_t c : text)
        PostMessageW(wnd, WM_CHAR, c, 1);
    Drain();
}

void MouseDown(HWND wnd, int x, int y)
{
    PostMessageW(wnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Drain();
}

void MouseUp(HWND wnd, int x, int y)
{
    PostMessageW(wnd, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    Drain();
}

void MouseMove(HWND wnd, int x, int y)
{
    PostMessageW(wnd, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    Drain();
}

void SetClipboard(const std::wstring& text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    if (!text.empty()) {
        size_t bytes = (text.size() + 1) * sizeof(wchar_t);
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
        if (memory != nullptr) {
            memcpy(GlobalLock(memory), text.c_str(), bytes);
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr)
                GlobalFree(memory);
        }
    }
    CloseClipboard();
}

bool WindowShown(HWND wnd) { return (GetWindowLongW(wnd, GWL_STYLE) & WS_VISIBLE) != 0; }

} // namespace gridtest
