// Helpers shared by the grid tests: a window to put grids on and grids built from descriptions.
#pragma once

#include "grid/control/GridView.h"
#include "ui/controls/Forms.h"
#include "tests/support/TestSupport.h"

#include <memory>
#include <string>

namespace gridtest {

// A plain top-level window that hosts the control under test.
class THostForm : public ui::TForm {
    UI_PUBLISHED_CLASS
public:
    explicit THostForm(ui::TComponent* AOwner) : ui::TForm(AOwner) {}
};

// A shown host window of the given client size.
std::unique_ptr<THostForm> MakeHost(int width = 600, int height = 400);

// The program's call-list grid, GridView1 with its five text columns (widths 99, 120, 104, 71,
// 132; Position 2, 3, 4, 0, 1), read from the program's own description into `host`, at 8, 8.
grid::TGridView* LoadCallListGrid(THostForm& host);

// The description text of that grid inside a THostForm (empty when the program's description
// cannot be read).
std::wstring CallListDescription();

// Repaints the host (and its children), lets the paint settle, and saves the screen rectangle
// `screen` as folder\name.bmp; says on the console what it saved or why it could not.
// rpAsIs saves what is on the screen without the repaint, such as inverted guide lines that a
// repaint would wipe.
enum class TRepaint { rpFirst, rpAsIs };
bool SaveScreenShot(THostForm& host, const RECT& screen, const std::wstring& folder, const std::wstring& name,
                    TRepaint repaint = TRepaint::rpFirst);

// The part of the window waiting to be repainted (empty rectangle when none).
RECT PendingUpdate(HWND wnd);

// The call-list grid on a shown, focused window with `rows` rows (column 4's text "r<row>"),
// for tests that drive it with mouse and key messages.
struct TInputGrid {
    explicit TInputGrid(int rows = 0);
    HWND Wnd() const { return grid->Handle(); }
    // Client points: the middle of a cell, of a header, and a header's right edge.
    POINT CellCenter(int col, int row) const;
    POINT HeaderCenter(int col) const;
    int RightEdge(int col) const;
    // Marks everything painted, so what a step invalidates can be read afterwards.
    void Settle() const { ValidateRect(grid->Handle(), nullptr); }

    std::unique_ptr<THostForm> host;
    grid::TGridView* grid = nullptr;
};

} // namespace gridtest
