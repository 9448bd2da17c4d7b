// The check box: the check-box editor under real mouse and key messages, the grid's in-cell
// element driven through its entry points, and the one picture both of them draw.
#include "EditingTestSupport.h"
#include "PaintTestSupport.h"

#include "grid/editors/CellEditors.h"
#include "grid/view/Displays.h"
#include "grid/view/SharedClasses.h"
#include "grid/view/ThemesSupport.h"
#include "tests/support/InputSupport.h"

#include <gtest/gtest.h>

using namespace grid;
using namespace gridtest;

namespace {

struct TCheckBoxEditorOnGrid : TEditingGrid {
    TCheckBoxEditor* editor = nullptr;
    HWND wnd = nullptr;
    int changes = 0;

    TCheckBoxEditorOnGrid()
    {
        // The user's way in: a click in the check-box cell beside its box.
        const RECT cell = grid->CellRect(1, 0);
        MouseDown(GridWnd(), cell.left + 2, (cell.top + cell.bottom) / 2);
        MouseUp(GridWnd(), cell.left + 2, (cell.top + cell.bottom) / 2);
        editor = dynamic_cast<TCheckBoxEditor*>(grid->Editor());
        if (editor != nullptr) {
            wnd = editor->Handle();
            editor->OnChange = [this](ui::TObject*) { ++changes; };
        }
    }
    ui::TPoint BoxCentre() const
    {
        ui::TRect box = editor->BoxRect();
        return ui::Point((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    }
};

} // namespace

TEST(CheckBoxEditor, ToggledOnlyByAPressAndReleaseInTheBox)
{
    TCheckBoxEditorOnGrid g;
    ASSERT_NE(g.editor, nullptr) << "a check-box column opens a check-box editor";
    EXPECT_FALSE(g.editor->Checked());
    EXPECT_EQ(GetFocus(), g.wnd);
    ui::TPoint in = g.BoxCentre();
    ui::TPoint out = ui::Point(1, 1);
    RECT boxRect = g.editor->BoxRect();
    ASSERT_FALSE(PtInRect(&boxRect, POINT{out.x, out.y}));

    MouseDown(g.wnd, in.x, in.y);
    EXPECT_TRUE(g.editor->Pressed());
    MouseUp(g.wnd, out.x, out.y);
    EXPECT_FALSE(g.editor->Checked()) << "released outside the box: unchanged";
    EXPECT_FALSE(g.editor->Pressed());

    MouseDown(g.wnd, out.x, out.y);
    MouseUp(g.wnd, in.x, in.y);
    EXPECT_FALSE(g.editor->Checked()) << "pressed outside, released inside: a different gesture, unchanged";

    MouseDown(g.wnd, in.x, in.y);
    MouseUp(g.wnd, in.x, in.y);
    EXPECT_TRUE(g.editor->Checked());
    EXPECT_EQ(g.changes, 1);
    EXPECT_EQ(N(g.editor->AsText()), "True");

    MouseMove(g.wnd, in.x, in.y);
    EXPECT_TRUE(g.editor->Hot());
    MouseMove(g.wnd, out.x, out.y);
    EXPECT_FALSE(g.editor->Hot());
}

TEST(CheckBoxEditor, SpaceTogglesOnReleaseOfItsOwnPress)
{
    TCheckBoxEditorOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    PostMessageW(g.wnd, WM_KEYDOWN, VK_SPACE, 1);
    Drain();
    EXPECT_TRUE(g.editor->Pressed());
    EXPECT_FALSE(g.editor->Checked());
    PostMessageW(g.wnd, WM_KEYUP, VK_SPACE, 0xC0000001);
    Drain();
    EXPECT_TRUE(g.editor->Checked());
    // A release whose press went elsewhere (the space that was typed into the grid) toggles nothing.
    PostMessageW(g.wnd, WM_KEYUP, VK_SPACE, 0xC0000001);
    Drain();
    EXPECT_TRUE(g.editor->Checked());
    // Enter commits the editor's value into the Boolean cell.
    PressKey(g.wnd, VK_RETURN);
    EXPECT_FALSE(g.grid->EditorOpen());
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());
}

TEST(CheckBoxEditor, ArrowKeysCloseItAndMoveTheGrid)
{
    TCheckBoxEditorOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    int keys = 0;
    g.grid->OnKeyDown = [&](ui::TObject*, WORD& key, ui::TShiftState) {
        if (key == VK_DOWN)
            ++keys;
    };
    PressKey(g.wnd, VK_DOWN);
    EXPECT_FALSE(g.grid->EditorOpen());
    EXPECT_EQ(GetFocus(), g.GridWnd());
    EXPECT_EQ(keys, 1) << "the grid gets the arrow key";
}

TEST(CheckBoxElement, SpaceAndClicksFlipTheCell)
{
    TEditingGrid g;
    HWND wnd = g.GridWnd();
    std::vector<std::pair<int, int>> changes;
    g.grid->OnChange = [&](ui::TObject*, int c, int r) { changes.push_back({c, r}); };
    g.grid->SetCurrentCell(1, 2);
    testsupport::Char(wnd, L' ');
    EXPECT_TRUE(g.grid->Cell(1, 2)->AsBoolean()) << "Space flips the current cell";
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_pair(1, 2));

    RECT cell = g.grid->CellRect(1, 0);
    int cx = (cell.left + cell.right) / 2, cy = (cell.top + cell.bottom) / 2;
    testsupport::SendMouse(wnd, WM_LBUTTONDOWN, cx, cy, MK_LBUTTON);
    EXPECT_TRUE(g.grid->CheckBoxPressed(1, 0)) << "the cell shows the pressed look";
    testsupport::SendMouse(wnd, WM_LBUTTONUP, cx, cy);
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 0));
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());

    // Press beside the box, release on it: nothing.
    testsupport::SendMouse(wnd, WM_LBUTTONDOWN, cell.left + 1, cy, MK_LBUTTON);
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 0));
    testsupport::SendMouse(wnd, WM_LBUTTONUP, cx, cy);
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());
    // Press on one cell's box, release on another's: nothing, and no pressed look stays.
    RECT other = g.grid->CellRect(1, 1);
    testsupport::SendMouse(wnd, WM_LBUTTONDOWN, cx, cy, MK_LBUTTON);
    testsupport::SendMouse(wnd, WM_LBUTTONUP, cx, (other.top + other.bottom) / 2);
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 0));
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());
    EXPECT_FALSE(g.grid->Cell(1, 1)->AsBoolean());

    // Without coEditing the box is shown only: neither Space nor a click changes it.
    TCustomColumn* column = g.grid->Columns()->Items(1);
    column->SetOptions(column->Options() - TColumnOptions{TColumnOption::coEditing});
    g.grid->SetCurrentCell(1, 2);
    testsupport::Char(wnd, L' ');
    testsupport::Click(wnd, cx, cy);
    EXPECT_TRUE(g.grid->Cell(1, 2)->AsBoolean());
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());
}

TEST(CheckBoxElement, StyledBoxLooksHotUnderThePointerAndPressedWhileHeld)
{
    TEditingGrid g;
    TFakeThemes themes;
    HWND wnd = g.GridWnd();
    RECT cell = g.grid->CellRect(1, 0);
    int cx = (cell.left + cell.right) / 2, cy = (cell.top + cell.bottom) / 2;
    // The styled state each row's box was drawn in by a paint of the whole grid (0 if none).
    auto boxStates = [&]() {
        TFakeThemes::Calls().clear();
        PaintToBitmap(*g.grid);
        std::vector<int> states(3, 0);
        for (const TThemeCall& call : TFakeThemes::Calls())
            for (int row = 0; row < 3; ++row) {
                RECT r = g.grid->CellRect(1, row);
                if (call.ClassName == L"Button" && PtInRect(&r, POINT{call.Rect.left, call.Rect.top}))
                    states[row] = call.State;
            }
        return states;
    };
    EXPECT_EQ(boxStates(), (std::vector<int>{1, 1, 1})) << "unticked, normal";
    testsupport::SendMouse(wnd, WM_MOUSEMOVE, cx, cy);
    EXPECT_EQ(boxStates(), (std::vector<int>{2, 1, 1})) << "the box under the pointer is hot";
    testsupport::SendMouse(wnd, WM_LBUTTONDOWN, cx, cy, MK_LBUTTON);
    EXPECT_EQ(boxStates(), (std::vector<int>{3, 1, 1})) << "pressed while held";
    testsupport::SendMouse(wnd, WM_LBUTTONUP, cx, cy);
    EXPECT_TRUE(g.grid->Cell(1, 0)->AsBoolean());
    EXPECT_EQ(boxStates(), (std::vector<int>{6, 1, 1})) << "ticked and still hot";
    RECT next = g.grid->CellRect(1, 2);
    testsupport::SendMouse(wnd, WM_MOUSEMOVE, cx, (next.top + next.bottom) / 2);
    EXPECT_EQ(boxStates(), (std::vector<int>{5, 1, 2})) << "the hot look follows the pointer";
    SendMessageW(wnd, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(boxStates(), (std::vector<int>{5, 1, 1})) << "and goes when it leaves";
}

TEST(CheckBoxElement, AClickInDesignModeFlipsNothing)
{
    TEditingGrid g;
    HWND wnd = g.GridWnd();
    RECT cell = g.grid->CellRect(1, 1);
    int cx = (cell.left + cell.right) / 2, cy = (cell.top + cell.bottom) / 2;
    g.grid->SetDesigning(true);
    testsupport::Click(wnd, cx, cy);
    EXPECT_FALSE(g.grid->Cell(1, 1)->AsBoolean()) << "the designer's click is not the box's";
    EXPECT_FALSE(g.grid->CheckBoxPressed(1, 1));
    g.grid->SetDesigning(false);
    testsupport::Click(wnd, cx, cy);
    EXPECT_TRUE(g.grid->Cell(1, 1)->AsBoolean()) << "the same click flips it outside design mode";
}

TEST(CheckBoxPicture, PainterAndEditorDrawTheSameBox)
{
    TCheckBoxEditorOnGrid g;
    ASSERT_NE(g.editor, nullptr);
    g.editor->SetChecked(true);
    UpdateWindow(g.wnd);
    // The editor's window shows exactly what the shared routine draws into a bitmap.
    ui::TRect box = g.editor->BoxRect();
    int size = box.right - box.left;
    bool themed = ThemesActive();
    EXPECT_EQ(size, TGraphicsProvider::CheckBoxSize(themed));
    ui::TBitmap bitmap;
    bitmap.SetSize(size, size);
    TGraphicsProvider::DrawCheckBox(bitmap.Canvas(), g.wnd, ui::Point(0, 0), themed, true, false, false);
    HDC dc = GetDC(g.wnd);
    int differing = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if (GetPixel(dc, box.left + x, box.top + y) != ui::ColorToRef(bitmap.Canvas().Pixel(x, y)))
                ++differing;
    ReleaseDC(g.wnd, dc);
    EXPECT_EQ(differing, 0) << "pixels of the box that differ from the shared picture";
    if (!themed) {
        EXPECT_EQ(ui::ColorToRef(bitmap.Canvas().Pixel(4, 7)), ui::ColorToRef(clWindowText)) << "the tick";
        EXPECT_EQ(ui::ColorToRef(bitmap.Canvas().Pixel(0, 0)), ui::ColorToRef(clBtnShadow)) << "the outline";
    }
}

TEST(CheckBoxPicture, ThemeStateTable)
{
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(true, true, true), 7);
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(true, true, false), 6);
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(true, false, true), 3);
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(true, false, false), 2);
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(false, true, true), 5);
    EXPECT_EQ(TGraphicsProvider::CheckBoxThemeState(false, false, true), 1);
}
