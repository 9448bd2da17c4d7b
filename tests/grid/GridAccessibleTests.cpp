// The grid as an accessibility client sees it: a table whose first row is the header and whose
// other rows hold the cells in display order, the current cell selected and focused, places on
// the screen as painted, and objects that outlive the grid failing cleanly.
#include "grid/control/GridAccessible.h"
#include "tests/grid/GridTestSupport.h"
#include "tests/support/AccessibleClient.h"

#include <gtest/gtest.h>

#include <oleacc.h>

using gridtest::LoadCallListGrid;
using gridtest::MakeHost;
using testsupport::AccChildObject;
using testsupport::AccName;
using testsupport::ChildId;
using testsupport::Narrow;

namespace {

long LongOf(HRESULT (STDMETHODCALLTYPE IAccessible::*get)(VARIANT, VARIANT*), IAccessible* acc, long id)
{
    VARIANT v;
    VariantInit(&v);
    (acc->*get)(ChildId(id), &v);
    const long value = v.vt == VT_I4 ? v.lVal : -1;
    VariantClear(&v);
    return value;
}

bool TableOf(HWND wnd, ui::TComPtr<IAccessible>& table)
{
    ui::OleInitializeOnce();
    return SUCCEEDED(AccessibleObjectFromWindow(wnd, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                                table.PutVoid()));
}

} // namespace

TEST(GridAccessible, TheGridReadsAsATableOfAHeaderRowAndDataRowsWithCellsInDisplayOrder)
{
    auto host = MakeHost();
    grid::TGridView* grid = LoadCallListGrid(*host);
    host->Show();
    grid->AddRows(2);
    // Creation order: time, serial, call number, line, caller; shown as line, caller, time, serial, number.
    const wchar_t* rows[2][5] = {{L"10:00", L"1111", L"1", L"2", L"0532"}, {L"10:01", L"1111", L"2", L"4", L"0212"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c)
            grid->Cell(c, r)->SetAsString(rows[r][c]);

    ui::TComPtr<IAccessible> table;
    ASSERT_TRUE(TableOf(grid->Handle(), table)) << "the grid answers WM_GETOBJECT with its table";
    EXPECT_EQ(LongOf(&IAccessible::get_accRole, table.Get(), CHILDID_SELF), ROLE_SYSTEM_TABLE);
    long count = 0;
    EXPECT_EQ(table->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3) << "the header row and two data rows";

    ui::TComPtr<IAccessible> header = AccChildObject(table.Get(), 1), second = AccChildObject(table.Get(), 3);
    ASSERT_TRUE(header && second);
    EXPECT_EQ(LongOf(&IAccessible::get_accRole, header.Get(), CHILDID_SELF), ROLE_SYSTEM_ROW);
    const std::vector<std::wstring> captions = {L"Hat no.", L"Arayan numara", L"Saat", L"Cihaz seri no.",
                                                L"Çağrı sıra no"};
    for (long i = 1; i <= 5; ++i) {
        EXPECT_EQ(Narrow(AccName(header.Get(), i)), Narrow(captions[i - 1])) << "header cell " << i;
        EXPECT_EQ(LongOf(&IAccessible::get_accRole, header.Get(), i), ROLE_SYSTEM_COLUMNHEADER);
    }
    const std::vector<std::wstring> shown = {L"4", L"0212", L"10:01", L"1111", L"2"};
    for (long i = 1; i <= 5; ++i) {
        EXPECT_EQ(Narrow(AccName(second.Get(), i)), Narrow(shown[i - 1])) << "second row, cell " << i;
        EXPECT_EQ(LongOf(&IAccessible::get_accRole, second.Get(), i), ROLE_SYSTEM_CELL);
    }
    EXPECT_EQ(Narrow(AccName(second.Get(), CHILDID_SELF)), "4; 0212; 10:01; 1111; 2") << "a row reads as its cells";

    // Each cell is where it is painted: the caller's number of the second row is column index 4.
    long x = 0, y = 0, w = 0, h = 0;
    ASSERT_EQ(second->accLocation(&x, &y, &w, &h, ChildId(2)), S_OK);
    const ui::TRect cell = grid->CellRect(4, 1);
    const ui::TPoint topLeft = grid->ClientToScreen(ui::TPoint{cell.left, cell.top});
    EXPECT_EQ(x, topLeft.x);
    EXPECT_EQ(y, topLeft.y);
    EXPECT_EQ(w, cell.right - cell.left);
    EXPECT_EQ(h, cell.bottom - cell.top);

    // The current cell: selected; with the focus, the focused row and cell.
    grid->SetCurrentCell(4, 1);
    grid->SetFocus();
    ASSERT_TRUE(testsupport::PumpUntil([&] { return grid->GridFocused(); })) << "the grid takes the focus";
    EXPECT_NE(LongOf(&IAccessible::get_accState, second.Get(), 2) & (STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED), 0)
        << "the current cell is selected and focused";
    EXPECT_EQ(LongOf(&IAccessible::get_accState, second.Get(), 1) & STATE_SYSTEM_SELECTED, 0)
        << "another cell of the row is not";
    BSTR value = nullptr;
    table->get_accValue(ChildId(CHILDID_SELF), &value);
    EXPECT_EQ(Narrow(value != nullptr ? value : L""), "Arayan numara; 2") << "the table says where the current cell is";
    SysFreeString(value);
    VARIANT focus;
    VariantInit(&focus);
    ASSERT_EQ(table->get_accFocus(&focus), S_OK);
    ASSERT_EQ(focus.vt, VT_DISPATCH) << "the table's focus is a row object";
    ui::TComPtr<IAccessible> focusedRow;
    ASSERT_TRUE(SUCCEEDED(focus.pdispVal->QueryInterface(__uuidof(IAccessible), focusedRow.PutVoid())));
    VariantClear(&focus);
    EXPECT_EQ(Narrow(AccName(focusedRow.Get(), CHILDID_SELF)), "4; 0212; 10:01; 1111; 2") << "the focused row is the second";
    ASSERT_EQ(focusedRow->get_accFocus(&focus), S_OK);
    EXPECT_EQ(focus.vt == VT_I4 ? focus.lVal : -1, 2) << "the focused cell is the caller's number";
}

TEST(GridAccessible, ObjectsKeptAfterTheirRowOrGridHasGoneFailInsteadOfReachingIt)
{
    auto host = MakeHost();
    grid::TGridView* grid = LoadCallListGrid(*host);
    host->Show();
    grid->AddRows(1);
    grid->Cell(3, 0)->SetAsString(L"1");
    ui::TComPtr<IAccessible> table, row;
    ASSERT_TRUE(TableOf(grid->Handle(), table));
    row = AccChildObject(table.Get(), 2);
    ASSERT_TRUE(row);
    EXPECT_EQ(AccName(row.Get(), 1), L"1");

    grid->DeleteRow(0);
    long count = -1;
    EXPECT_EQ(row->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 0) << "a row that went has no cells";
    ui::TBStr name;
    EXPECT_EQ(row->get_accName(ChildId(1), name.Put()), E_INVALIDARG);
    EXPECT_EQ(name.Get(), nullptr);

    host.reset();
    EXPECT_EQ(table->get_accChildCount(&count), CO_E_OBJNOTCONNECTED) << "the grid's window is gone";
    EXPECT_EQ(row->get_accName(ChildId(CHILDID_SELF), name.Put()), CO_E_OBJNOTCONNECTED);
}
