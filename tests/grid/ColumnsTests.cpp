// Columns: loading order by Position, moves, widths, notifications and stored round trips.
#include "GridTestSupport.h"

#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "ui/core/Description.h"
#include "ui/core/SysUtils.h"

#include <gtest/gtest.h>

#include <vector>

using namespace grid;
using gridtest::LoadCallListGrid;
using gridtest::MakeHost;

namespace {

std::vector<int> DisplayOrder(TColumns* columns)
{
    std::vector<int> order;
    for (int p = 0; p < columns->Count(); ++p)
        order.push_back(columns->DisplayItems(p)->Index());
    return order;
}

std::vector<int> Positions(TColumns* columns)
{
    std::vector<int> positions;
    for (int i = 0; i < columns->Count(); ++i)
        positions.push_back(columns->Items(i)->Position());
    return positions;
}

struct TChange {
    TCustomColumn* Column;
    int Kind;
};

} // namespace

TEST(Columns, LoadOrdersByPositionAndKeepsStoredKeys)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    ASSERT_NE(grid, nullptr);
    TColumns* columns = grid->Columns();
    ASSERT_EQ(columns->Count(), 5);
    EXPECT_EQ(DisplayOrder(columns), (std::vector<int>{3, 4, 0, 1, 2})) << "Hat no. first, Cagri sira no last";
    EXPECT_EQ(Positions(columns), (std::vector<int>{2, 3, 4, 0, 1})) << "stored keys survive loading";
    EXPECT_EQ(columns->Items(3)->Header()->Caption(), L"Hat no.");
    EXPECT_EQ(columns->Items(3)->SortKind(), TSortKind::skDescending);
    EXPECT_EQ(columns->Items(0)->Color(), clWindow);
    EXPECT_EQ(columns->Items(0)->Alignment(), TAlignment::taCenter);
    EXPECT_TRUE(columns->Items(0)->Options().Contains(TColumnOption::coAutoSize));
    EXPECT_FALSE(columns->Items(0)->Options().Contains(TColumnOption::coCanSort));
    // Left follows the display order from the left edge (no indicator).
    EXPECT_EQ(columns->Items(3)->Left(), 0);
    EXPECT_EQ(columns->Items(4)->Left(), 71);
    EXPECT_EQ(columns->Items(0)->Left(), 71 + 132);
    EXPECT_EQ(columns->Items(2)->Left(), 71 + 132 + 99 + 120);
    EXPECT_EQ(columns->Items(2)->VisibleIndex(), 4);
    EXPECT_EQ(grid->Cells()->ListCount(), 5) << "each loaded column gave the store a list";

    // One move renumbers every Position to its display place.
    columns->MoveColumn(0, 4);
    EXPECT_EQ(DisplayOrder(columns), (std::vector<int>{4, 0, 1, 2, 3}));
    EXPECT_EQ(Positions(columns), (std::vector<int>{1, 2, 3, 4, 0}));
    EXPECT_EQ(columns->Items(4)->Left(), 0);
}

TEST(Columns, EqualPositionsKeepLoadingOrderAndUnknownClassFails)
{
    auto host = MakeHost();
    std::wstring text = L"object Host: THostForm\n  object G: TGridView\n"
                        L"    object TTextualColumn\n      Position = 1\n      Header.Caption = 'a'\n    end\n"
                        L"    object TNumericColumn\n      Position = 0\n      Header.Caption = 'b'\n    end\n"
                        L"    object TTextualColumn\n      Position = 1\n      Header.Caption = 'c'\n    end\n"
                        L"    object TCheckBoxColumn\n      Position = 0\n      Header.Caption = 'd'\n    end\n"
                        L"  end\nend\n";
    ui::RegisterComponentClass(TGridView::StaticClass());
    ui::ReadDescription(*host, text, L"Equal");
    auto* grid = dynamic_cast<TGridView*>(host->FindComponent(L"G"));
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(DisplayOrder(grid->Columns()), (std::vector<int>{1, 3, 0, 2}));
    EXPECT_EQ(grid->Columns()->Items(1)->CellKind(), ckFloat);
    EXPECT_EQ(grid->Columns()->Items(3)->CellKind(), ckBoolean);

    auto other = MakeHost();
    std::wstring bad = L"object Host: THostForm\n  object G: TGridView\n    object TNoSuchColumn\n    end\n  end\nend\n";
    try {
        ui::ReadDescription(*other, bad, L"Bad");
        ADD_FAILURE() << "an unknown column class must fail";
    } catch (const ui::EDescriptionError& e) {
        EXPECT_NE(e.Message().find(L"TNoSuchColumn"), std::wstring::npos) << testsupport::Narrow(e.Message());
    }
}

TEST(Columns, WrittenDescriptionReadsBackTheSame)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    ASSERT_NE(grid, nullptr);
    auto* textual = dynamic_cast<TTextualColumn*>(grid->Columns()->Items(1));
    ASSERT_NE(textual, nullptr);
    textual->SetTextBefore(L"<");
    textual->Footer()->SetFormulaKind(TFormulaKind::fkSum);
    textual->SlideBounds()->SetTop(7);
    textual->SetOptions(textual->Options() + TColumnOptions{TColumnOption::coSearchColumn});
    // The grid is written as a description of its own: a window's description cannot be read
    // back while the class library writes an empty form icon as "file ''".
    std::wstring written = ui::WriteDescription(*grid);
    EXPECT_EQ(written.find(L"object TTextualColumn: "), std::wstring::npos) << "columns are stored without a name";
    EXPECT_NE(written.find(L"object TTextualColumn\n"), std::wstring::npos);

    auto copy = MakeHost();
    auto* again = new TGridView(copy.get());
    again->Columns()->AddColumn(new TNumericColumn(again->Columns())); // replaced by the loaded ones
    ui::ReadDescription(*again, written, L"Written");
    ASSERT_EQ(again->Columns()->Count(), 5);
    EXPECT_EQ(DisplayOrder(again->Columns()), (std::vector<int>{3, 4, 0, 1, 2}));
    for (int i = 0; i < 5; ++i) {
        TCustomColumn* a = grid->Columns()->Items(i);
        TCustomColumn* b = again->Columns()->Items(i);
        EXPECT_EQ(a->Header()->Caption(), b->Header()->Caption()) << "column " << i;
        EXPECT_EQ(a->Width(), b->Width()) << "column " << i;
        EXPECT_EQ(a->Position(), b->Position()) << "column " << i;
        EXPECT_EQ(a->Options(), b->Options()) << "column " << i;
        EXPECT_EQ(a->SortKind(), b->SortKind()) << "column " << i;
        EXPECT_EQ(a->Color(), b->Color()) << "column " << i;
    }
    auto* copied = dynamic_cast<TTextualColumn*>(again->Columns()->Items(1));
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->TextBefore(), L"<");
    EXPECT_TRUE(copied->AutoExecute());
    EXPECT_EQ(copied->Footer()->FormulaKind(), TFormulaKind::fkSum);
    EXPECT_EQ(copied->SlideBounds()->Top(), 7);
    EXPECT_EQ(again->HeaderSize(), 20);
    EXPECT_TRUE(again->Options().Contains(TGridOption::goGrid));
}

TEST(Columns, WidthVisibilityAndPositionRules)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    TColumns* columns = grid->Columns();
    std::vector<TChange> changes;
    columns->OnColumnChange = [&](ui::TObject*, TCustomColumn* c, int kind) { changes.push_back({c, kind}); };

    columns->Items(3)->SetWidth(3);
    EXPECT_EQ(columns->Items(3)->Width(), 8) << "minimum width";
    EXPECT_EQ(columns->Items(4)->Left(), 8) << "layout follows the new width";
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].Kind, ccWidth);
    EXPECT_EQ(columns->Items(3)->DefaultWidth(), 71) << "outside design mode DefaultWidth stays";

    int widthBefore = columns->VisibleWidth();
    columns->Items(4)->SetVisible(false);
    EXPECT_EQ(columns->Items(4)->VisibleIndex(), -1);
    EXPECT_EQ(columns->VisibleCount(), 4);
    EXPECT_EQ(columns->VisibleWidth(), widthBefore - 132);
    EXPECT_EQ(columns->Items(0)->Left(), 8) << "the next column starts where the hidden one would have";
    EXPECT_EQ(columns->Items(0)->VisibleIndex(), 1);

    // Position outside the columns: the index error reaches the caller and nothing moves.
    std::vector<int> before = DisplayOrder(columns);
    EXPECT_THROW(columns->Items(0)->SetPosition(5), ui::EListError);
    EXPECT_THROW(columns->Items(0)->SetPosition(-1), ui::EListError);
    EXPECT_EQ(DisplayOrder(columns), before);
    EXPECT_EQ(columns->Items(0)->Position(), 2);

    // A valid Position moves the column and reports two position changes.
    changes.clear();
    columns->Items(0)->SetPosition(0);
    EXPECT_EQ(columns->DisplayItems(0), columns->Items(0));
    EXPECT_EQ(columns->Items(0)->Position(), 0);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].Kind, ccPosition);
    EXPECT_EQ(changes[1].Kind, ccPosition);
    EXPECT_EQ(changes[1].Column, columns->Items(0));
}

TEST(Columns, SortedAndSearchColumnAreExclusive)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    TColumns* columns = grid->Columns();
    columns->Items(0)->SetSorted(true);
    std::vector<TChange> changes;
    columns->OnColumnChange = [&](ui::TObject*, TCustomColumn* c, int kind) { changes.push_back({c, kind}); };
    columns->Items(2)->SetSorted(true);
    EXPECT_FALSE(columns->Items(0)->Sorted());
    EXPECT_TRUE(columns->Items(2)->Sorted());
    ASSERT_EQ(changes.size(), 1u) << "only the newly sorted column reports";
    EXPECT_EQ(changes[0].Column, columns->Items(2));
    EXPECT_EQ(changes[0].Kind, ccSort);

    auto search = TColumnOptions{TColumnOption::coSearchColumn};
    columns->Items(1)->SetOptions(columns->Items(1)->Options() + search);
    columns->Items(4)->SetOptions(columns->Items(4)->Options() + search);
    EXPECT_FALSE(columns->Items(1)->Options().Contains(TColumnOption::coSearchColumn));
    EXPECT_TRUE(columns->Items(4)->Options().Contains(TColumnOption::coSearchColumn));

    // WrapKind is stored only: no notification.
    changes.clear();
    columns->Items(1)->SetWrapKind(TWrapKind::wkWordWrap);
    EXPECT_TRUE(changes.empty());
}

TEST(Columns, WidthDistribution)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    TColumns* columns = grid->Columns();
    auto widths = [&] {
        std::vector<int> w;
        for (int i = 0; i < columns->Count(); ++i)
            w.push_back(columns->Items(i)->Width());
        return w;
    };
    columns->DistributeWidths(526);
    EXPECT_EQ(widths(), (std::vector<int>{99, 120, 104, 71, 132})) << "exact fit keeps every width";
    columns->DistributeWidths(263);
    EXPECT_EQ(widths(), (std::vector<int>{49, 60, 52, 36, 66}));
    EXPECT_EQ(columns->VisibleWidth(), 263);

    // Fixed and hidden columns keep their widths; the indicator's 12 pixels are left out.
    for (int i = 0; i < 5; ++i)
        columns->Items(i)->SetWidth(100);
    columns->Items(1)->SetOptions(columns->Items(1)->Options() + TColumnOptions{TColumnOption::coFixedSize});
    columns->Items(2)->SetVisible(false);
    grid->SetOptions(grid->Options() + TGridOptions{TGridOption::goIndicator});
    EXPECT_EQ(columns->Items(3)->Left(), 12) << "the indicator shifts the columns";
    columns->DistributeWidths(262);
    EXPECT_EQ(columns->Items(0)->Width(), 50);
    EXPECT_EQ(columns->Items(1)->Width(), 100);
    EXPECT_EQ(columns->Items(2)->Width(), 100);
    EXPECT_EQ(columns->Items(4)->Width(), 50);
    EXPECT_EQ(columns->VisibleWidth(), 250);
    // A window narrower than the fixed columns: every auto column drops to the minimum.
    columns->DistributeWidths(50);
    EXPECT_EQ(columns->Items(0)->Width(), 8);
    EXPECT_EQ(columns->Items(4)->Width(), 8);
}

TEST(Columns, AddColumnLimitAndRemoval)
{
    auto host = MakeHost();
    TGridView* grid = LoadCallListGrid(*host);
    TColumns* columns = grid->Columns();
    grid->AddRows(3);
    auto* extra = new TCheckBoxColumn(columns);
    extra->SetPosition(0);
    columns->AddColumn(extra);
    EXPECT_EQ(extra->Index(), 5);
    EXPECT_EQ(columns->DisplayItems(0), columns->Items(3)) << "equal Position goes after the existing one";
    EXPECT_EQ(columns->DisplayItems(1), extra);
    ASSERT_EQ(grid->Cells()->ListCount(), 6);
    EXPECT_NE(dynamic_cast<TBooleanCell*>(grid->Cell(5, 2)), nullptr) << "the new list holds cells of its kind";
    EXPECT_THROW(columns->AddColumn(extra), ui::EInvalidOperation);

    grid->Cell(1, 0)->SetAsString(L"row0");
    delete columns->Items(0);
    EXPECT_EQ(columns->Count(), 5);
    EXPECT_EQ(grid->Cells()->ListCount(), 5) << "the store drops the removed column's list";
    EXPECT_EQ(grid->GetCellText(0, 0), L"row0") << "later columns move down one index";

    while (columns->Count() < TColumns::kMaxColumns)
        columns->AddColumn(new TTextualColumn(columns));
    auto* tooMany = new TTextualColumn(columns);
    EXPECT_THROW(columns->AddColumn(tooMany), ui::EInvalidOperation);
    delete tooMany;
    EXPECT_EQ(grid->Cells()->ListCount(), TColumns::kMaxColumns);
    EXPECT_EQ(grid->RowCount(), 3);

    columns->Clear();
    EXPECT_EQ(columns->Count(), 0);
    EXPECT_EQ(grid->Cells()->ListCount(), 0);
    EXPECT_EQ(grid->RowCount(), 0) << "no columns, no rows";
}

TEST(Columns, HeaderGlyphIsCopiedAndTransparent)
{
    ui::TBitmap picture(4, 4);
    picture.Canvas().Brush().SetColor(clWhite);
    picture.Canvas().FillRect(ui::Rect(0, 0, 4, 4));
    picture.Canvas().SetPixel(0, 3, clRed);
    std::vector<uint8_t> bytes = picture.SaveToBytes();
    auto host = MakeHost();
    std::wstring text = L"object Host: THostForm\n  object G: TGridView\n"
                        L"    object TTextualColumn\n      Header.Glyph = file 'arrow.bmp'\n    end\n"
                        L"    object TTextualColumn\n      Header.Glyph = nil\n    end\n"
                        L"  end\nend\n";
    ui::RegisterComponentClass(TGridView::StaticClass());
    ui::ReadDescription(*host, text, L"Glyph", [&](const std::wstring& name, std::vector<uint8_t>& out) {
        if (name != L"arrow.bmp")
            return false;
        out = bytes;
        return true;
    });
    auto* grid = dynamic_cast<TGridView*>(host->FindComponent(L"G"));
    ASSERT_NE(grid, nullptr);
    const ui::TBitmap* glyph = grid->Columns()->Items(0)->Header()->Glyph();
    EXPECT_EQ(glyph->Width(), 4);
    EXPECT_TRUE(glyph->Transparent());
    EXPECT_EQ(glyph->TransparentColor(), clRed) << "the bottom-left pixel";
    EXPECT_TRUE(grid->Columns()->Items(1)->Header()->Glyph()->Empty());

    std::wstring written = ui::WriteDescription(*grid);
    EXPECT_NE(written.find(L"Header.Glyph = file 'arrow.bmp'"), std::wstring::npos);
    EXPECT_NE(written.find(L"Header.Glyph = nil"), std::wstring::npos);

    // Setting a glyph copies the picture and is an appearance change of the column.
    std::vector<int> kinds;
    grid->Columns()->OnColumnChange = [&](ui::TObject*, TCustomColumn*, int kind) { kinds.push_back(kind); };
    ui::TBitmap other(2, 2);
    other.Canvas().SetPixel(0, 1, clBlack);
    grid->Columns()->Items(1)->Header()->SetGlyph(other);
    other.SetSize(5, 5);
    EXPECT_EQ(grid->Columns()->Items(1)->Header()->Glyph()->Width(), 2) << "a copy, not a reference";
    EXPECT_EQ(grid->Columns()->Items(1)->Header()->Glyph()->TransparentColor(), clBlack);
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), ccAppearance);
}
