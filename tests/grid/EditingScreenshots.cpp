// Pictures of the in-place editors for people to look at: a textual editor open on a cell, the
// numeric spin editor, an open combo list and an open date calendar.
// Run under the X server: editing_screenshots.exe <folder>; the pictures are BMP files there.
#include "EditingTestSupport.h"

#include "grid/editors/ButtonEditors.h"

#include <algorithm>
#include <string>

using namespace grid;

namespace {

// The host window together with an open popup, which lies partly outside it.
RECT ShotRect(gridtest::THostForm& host, TPopupView* popup)
{
    RECT r;
    GetWindowRect(host.Handle(), &r);
    if (popup != nullptr && !popup->Closed()) {
        RECT p;
        GetWindowRect(popup->Handle(), &p);
        UnionRect(&r, &r, &p);
    }
    return r;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    std::wstring folder = argc > 1 ? argv[1] : L".";
    gridtest::TEditingGrid g;
    g.host->SetCaption(L"Editing");
    g.grid->SetCellText(3, 0, L"4");
    g.grid->SetCellText(4, 0, L"Mavi");
    g.grid->SetCellText(5, 0, DateTimeToStr(DateFromParts(2026, 12, 8)));
    bool ok = true;

    g.grid->OpenCellEditor(0, 1, L"");
    ok &= gridtest::SaveScreenShot(*g.host, ShotRect(*g.host, nullptr), folder, L"editor-text");

    g.grid->OpenCellEditor(3, 0, L"");
    ok &= gridtest::SaveScreenShot(*g.host, ShotRect(*g.host, nullptr), folder, L"editor-spin");

    g.grid->OpenCellEditor(4, 0, L"");
    auto* combo = dynamic_cast<TComboBoxEditor*>(g.grid->Editor());
    if (combo != nullptr) {
        combo->DropDownNow();
        ok &= gridtest::SaveScreenShot(*g.host, ShotRect(*g.host, combo->Popup()), folder, L"editor-combo-list");
        combo->Popup()->CloseUp();
    }

    g.grid->OpenCellEditor(5, 0, L"");
    auto* date = dynamic_cast<TDatePickerEditor*>(g.grid->Editor());
    if (date != nullptr) {
        date->DropDownNow();
        ok &= gridtest::SaveScreenShot(*g.host, ShotRect(*g.host, date->Popup()), folder, L"editor-date-popup");
        date->Popup()->CloseUp();
    }
    return ok ? 0 : 1;
}
