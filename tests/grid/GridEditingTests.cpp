// Cell editing through real windows: opening an editor on a cell and on the input row, typing,
// committing on Enter and on focus loss, cancelling on Escape, the text editor's rules, and the
// check box (editor and in-cell element).
#include "EditingTestSupport.h"

#include "grid/editors/CellEditors.h"
#include "tests/support/GdiLeakCheck.h"
#include "tests/support/InputSupport.h"

#include <gtest/gtest.h>

#include <vector>

using namespace grid;
using namespace gridtest;

namespace {

TTextualEditor* TextEditorOf(TGridView* grid, int col)
{
    return dynamic_cast<TTextualEditor*>(grid->Columns()->Items(col)->Editor());
}

RECT WindowRectIn(HWND wnd, HWND parent)
{
    RECT r;
    GetWindowRect(wnd, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

TEST(TextEditor, TextRectangleFollowsMarginAlignmentAndPreview)
{
    // Margin -1, centred, client height 18, a font 13 high: (1, 2) - (width, 15).
    ui::TRect r = TextualEditorTextRect(100, 18, -1, TVerticalAlignment::vaMiddle, 13, false, 0);
    EXPECT_EQ(r.left, 1);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.right, 100);
    EXPECT_EQ(r.bottom, 15);
    r = TextualEditorTextRect(100, 18, 0, TVerticalAlignment::vaBottom, 13, true, 21);
    EXPECT_EQ(r.left, 29) << "the preview box moves the text 27 pixels right";
    EXPECT_EQ(r.top, 5);
    EXPECT_EQ(r.right, 100 - 1 - 21) << "a button's width comes off the right edge";
    r = TextualEditorTextRect(100, 18, 2, TVerticalAlignment::vaTop, 13, false, 0);
    EXPECT_EQ(r.top, 2);
    EXPECT_EQ(r.bottom, 15);
}

TEST(TextEditor, OneLineTakesLineBreaksOut)
{
    EXPECT_EQ(OneLine(L"a\r\nb\rc\nd"), L"a b c d");
    EXPECT_EQ(OneLine(L""), L"");
}

TEST(GridEditing, CellEditorOpensOverTheCellTypesAndCommitsOnEnter)
{
    TEditingGrid g;
    std::vector<std::wstring> edits;
    std::vector<std::wstring> afterEdits;
    g.grid->OnEdit = [&](ui::TObject*, int c, int r, const std::wstring& v) {
        if (c == 0 && r == 1)
            edits.push_back(v);
    };
    g.grid->OnAfterEdit = [&](ui::TObject*, int c, int r, const std::wstring& v, bool&) {
        afterEdits.push_back(std::to_wstring(c) + L"," + std::to_wstring(r) + L"=" + v);
    };
    RECT clicked = g.grid->CellRect(0, 1);
    testsupport::Click(g.GridWnd(), (clicked.left + clicked.right) / 2, (clicked.top + clicked.bottom) / 2);
    TTextualEditor* editor = TextEditorOf(g.grid, 0);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(g.grid->Editor(), editor);
    HWND wnd = editor->Handle();
    EXPECT_TRUE(WindowShown(wnd));
    EXPECT_EQ(GetFocus(), wnd) << "the open editor takes the focus";
    EXPECT_EQ(N(editor->Text()), "iki");
    EXPECT_EQ(editor->SelLength(), 3) << "coEditorAutoSelect selects the cell's text";
    RECT cell = g.grid->CellRect(0, 1);
    RECT placed = WindowRectIn(wnd, g.GridWnd());
    EXPECT_EQ(placed.left, cell.left + 1);
    EXPECT_EQ(placed.top, cell.top + 1);
    EXPECT_EQ(placed.right, cell.right - 1);
    EXPECT_EQ(placed.bottom, cell.bottom - 1);
    // The formatting rectangle is the one the editor computes.
    ui::TRect expected;
    editor->GetTextRect(expected);
    RECT actual{};
    SendMessageW(wnd, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&actual));
    EXPECT_EQ(actual.left, expected.left);
    EXPECT_EQ(actual.top, expected.top);

    TypeText(wnd, L"d\x00F6rt");
    EXPECT_EQ(N(editor->Text()), N(L"d\x00F6rt")) << "typing replaces the selected text";
    EXPECT_FALSE(edits.empty()) << "text changes are reported as the grid's OnEdit";
    EXPECT_EQ(N(g.grid->GetCellText(0, 1)), "iki") << "nothing is written before the commit";

    PressKey(wnd, VK_RETURN);
    EXPECT_EQ(N(g.grid->GetCellText(0, 1)), N(L"d\x00F6rt"));
    EXPECT_FALSE(g.grid->EditorOpen());
    EXPECT_FALSE(WindowShown(wnd)) << "the editor is hidden after Enter";
    EXPECT_EQ(GetFocus(), g.GridWnd()) << "the focus goes back to the grid";
    EXPECT_EQ(g.grid->CurrentRow(), 2) << "Enter moves down (SelectionMoveDirection mdDown)";
    ASSERT_EQ(afterEdits.size(), 1u);
    EXPECT_EQ(N(afterEdits[0]), N(L"0,1=d\x00F6rt"));
}

TEST(GridEditing, TypedCharacterThatOpensTheEditorIsKept)
{
    TEditingGrid g;
    g.grid->SetCurrentCell(0, 0);
    TypeText(g.GridWnd(), L"Q");
    TTextualEditor* editor = TextEditorOf(g.grid, 0);
    ASSERT_TRUE(g.grid->EditorOpen());
    TypeText(editor->Handle(), L"rs");
    EXPECT_EQ(N(editor->Text()), "Qrs") << "the opening character must not be selected and overwritten";
    PressKey(editor->Handle(), VK_RETURN);
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "Qrs");
}

TEST(GridEditing, EscapeCancelsAndFocusLossCommits)
{
    TEditingGrid g;
    auto clickCell = [&](int col, int row) {
        RECT r = g.grid->CellRect(col, row);
        testsupport::Click(g.GridWnd(), (r.left + r.right) / 2, (r.top + r.bottom) / 2);
    };
    clickCell(0, 0);
    TTextualEditor* editor = TextEditorOf(g.grid, 0);
    ASSERT_TRUE(g.grid->EditorOpen()) << "a click on an editable cell opens its editor";
    TypeText(editor->Handle(), L"yeni");
    PressKey(editor->Handle(), VK_ESCAPE);
    EXPECT_FALSE(g.grid->EditorOpen());
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "bir") << "Escape leaves the cell as it was";
    EXPECT_EQ(GetFocus(), g.GridWnd());

    clickCell(0, 2);
    TypeText(editor->Handle(), L"son");
    g.other->SetFocus();
    Drain();
    EXPECT_FALSE(g.grid->EditorOpen()) << "losing the focus closes the editor";
    EXPECT_EQ(N(g.grid->GetCellText(0, 2)), "son") << "and commits its text first";
    EXPECT_FALSE(WindowShown(editor->Handle()));
    EXPECT_EQ(GetFocus(), g.other->Handle()) << "closing does not pull the focus back";
}

TEST(GridEditing, OpeningRulesAndVetoes)
{
    TEditingGrid g;
    g.grid->OpenCellEditor(2, 0, L""); // column without coEditing
    EXPECT_FALSE(g.grid->EditorOpen());
    g.grid->OpenCellEditor(0, 3, L""); // no such row
    EXPECT_FALSE(g.grid->EditorOpen());
    g.grid->OpenCellEditor(9, 0, L""); // no such column
    EXPECT_FALSE(g.grid->EditorOpen());

    g.grid->OnBeforeEdit = [](ui::TObject*, int, int ARow, bool& accept) { accept = ARow != 1; };
    g.grid->OpenCellEditor(0, 1, L"");
    EXPECT_FALSE(g.grid->EditorOpen()) << "OnBeforeEdit refused";
    g.grid->OpenCellEditor(0, 0, L"");
    ASSERT_TRUE(g.grid->EditorOpen());

    g.grid->OnAfterEdit = [](ui::TObject*, int, int, const std::wstring&, bool& accept) { accept = false; };
    TypeText(g.grid->Editor()->Handle(), L"red");
    EXPECT_TRUE(g.grid->CommitEdit()) << "the text differed, so the commit ran";
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "bir") << "OnAfterEdit refused the value";
    g.grid->CloseEditor();

    // Unchanged text is no commit at all.
    g.grid->OnAfterEdit = nullptr;
    g.grid->OpenCellEditor(0, 0, L"");
    EXPECT_FALSE(g.grid->CommitEdit());
    // A second open on the same cell keeps the editor as it is.
    TypeText(g.grid->Editor()->Handle(), L"abc");
    g.grid->OpenCellEditor(0, 0, L"");
    EXPECT_EQ(N(g.grid->Editor()->AsText()), "abc");
    // Opening on another cell commits the open one first.
    g.grid->OpenCellEditor(0, 2, L"");
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "abc");
    EXPECT_EQ(g.grid->EditRow(), 2);
}

TEST(GridEditing, NoLineBreakEverReachesACell)
{
    TEditingGrid g;
    g.grid->OpenCellEditor(0, 0, L"");
    TTextualEditor* editor = TextEditorOf(g.grid, 0);
    HWND wnd = editor->Handle();
    TypeText(wnd, L"a");
    TypeText(wnd, L"\n"); // Ctrl+Enter types a line feed
    TypeText(wnd, L"b");
    EXPECT_EQ(N(editor->Text()), "ab");
    SetClipboard(L"c\r\nd");
    TypeText(wnd, L"\x16"); // Ctrl+V
    EXPECT_EQ(N(editor->Text()), "abc d") << "a pasted line break becomes a blank";
    SetClipboard(L"e\nf");
    SendMessageW(wnd, WM_PASTE, 0, 0);
    EXPECT_EQ(N(editor->Text()), "abc de f");
    PressKey(wnd, VK_RETURN);
    EXPECT_EQ(N(g.grid->GetCellText(0, 0)), "abc de f");
}

TEST(GridEditing, InputRowEnterAppendsARowAndStaysOpen)
{
    TEditingGrid g;
    int accepts = 0;
    g.grid->OnInputAccept = [&](ui::TObject*, bool&) { ++accepts; };
    g.grid->OpenInputEditor(0, L"");
    ASSERT_TRUE(g.grid->EditorOpen());
    EXPECT_TRUE(g.grid->InputRowActive());
    TTextualEditor* editor = TextEditorOf(g.grid, 0);
    HWND wnd = editor->Handle();
    TCustomColumn* column = g.grid->Columns()->Items(0);
    RECT input = g.grid->Layout().InputCellRect(column->Left(), column->Width());
    RECT placed = WindowRectIn(wnd, g.GridWnd());
    EXPECT_EQ(placed.left, input.left + 1);
    EXPECT_EQ(placed.top, input.top + 1);
    EXPECT_TRUE(column->InputEditing());

    TypeText(wnd, L"d\x00F6rt");
    PressKey(wnd, VK_RETURN);
    ASSERT_EQ(g.grid->RowCount(), 4);
    EXPECT_EQ(N(g.grid->GetCellText(0, 3)), N(L"d\x00F6rt"));
    EXPECT_EQ(N(g.grid->GetCellText(2, 3)), "x") << "an empty input takes the column's DefaultValue";
    EXPECT_EQ(accepts, 1);
    EXPECT_TRUE(g.grid->EditorOpen()) << "the input editor stays open for the next row";
    EXPECT_EQ(N(editor->Text()), "");
    EXPECT_TRUE(WindowShown(wnd));
    EXPECT_EQ(N(column->InputText()), "") << "the input text went back to the DefaultValue";

    g.grid->OnInputAccept = [&](ui::TObject*, bool& accept) { accept = false; };
    TypeText(wnd, L"yok");
    PressKey(wnd, VK_RETURN);
    EXPECT_EQ(g.grid->RowCount(), 4) << "OnInputAccept refused the row";
    EXPECT_EQ(N(editor->Text()), "yok") << "a refused row keeps what was typed";
    EXPECT_EQ(editor->SelLength(), 3);

    // Leaving the input editor for another column keeps what was typed as the column's input.
    TypeText(wnd, L"kalan");
    g.grid->OpenInputEditor(2, L"");
    EXPECT_EQ(N(column->InputText()), "kalan");
    EXPECT_FALSE(column->InputEditing());
}

TEST(GridEditing, ClosingHidesWithoutRedrawAndRepaintsTheCell)
{
    TEditingGrid g;
    g.grid->OpenCellEditor(0, 0, L"");
    HWND wnd = g.grid->Editor()->Handle();
    ValidateRect(g.GridWnd(), nullptr);
    g.grid->CloseEditor();
    EXPECT_FALSE(WindowShown(wnd));
    RECT pending = PendingUpdate(g.GridWnd());
    RECT cell = g.grid->CellRect(0, 0);
    EXPECT_EQ(pending.left, cell.left);
    EXPECT_EQ(pending.top, cell.top);
    EXPECT_LE(pending.bottom, cell.bottom + 1) << "only the edited cell is repainted";
    // A resize of the grid closes an open editor.
    g.grid->OpenCellEditor(0, 1, L"");
    ASSERT_TRUE(g.grid->EditorOpen());
    g.grid->SetWidth(g.grid->Width() - 40);
    Drain();
    EXPECT_FALSE(g.grid->EditorOpen());
}

TEST(GridEditing, OpenAndCloseCyclesLeakNoHandles)
{
    TEditingGrid g;
    auto cycles = [&](int count) {
        for (int i = 0; i < count; ++i) {
            g.grid->OpenCellEditor(i % 2, i % 3, L"");
            UpdateWindow(g.grid->Editor()->Handle());
            g.grid->CloseEditor();
            UpdateWindow(g.GridWnd());
        }
    };
    cycles(6); // fonts, brushes and cursors that are made once, on first use
    auto before = testsupport::TakeGdiSnapshot();
    cycles(30);
    EXPECT_EQ(testsupport::GdiGrowth(before, testsupport::TakeGdiSnapshot()), "");
}
