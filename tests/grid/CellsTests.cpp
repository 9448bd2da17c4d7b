// Cell classes: conversions in the Turkish locale, their errors, and the change path.
#include "GridTestSupport.h"

#include "grid/data/CellClasses.h"
#include "grid/data/ColumnClasses.h"
#include "ui/core/SysUtils.h"

#include <gtest/gtest.h>

using namespace grid;

namespace {

// A store over a column collection with one column of each kind, for conversions without a grid.
struct TStoreFixture {
    TColumns columns{nullptr, nullptr};
    TCells cells{&columns, nullptr};
    std::vector<std::pair<int, int>> changes;

    TStoreFixture()
    {
        columns.OnStructureChange = [this](ui::TObject*, int a, int i1, int i2) { cells.StructureChanged(a, i1, i2); };
        columns.AddColumn(new TTextualColumn(&columns));  // 0: text
        columns.AddColumn(new TCheckBoxColumn(&columns)); // 1: Boolean
        columns.AddColumn(new TDateColumn(&columns));     // 2: date
        columns.AddColumn(new TNumericColumn(&columns));  // 3: float
        columns.AddColumn(new TRateColumn(&columns));     // 4: integer
        cells.OnChange = [this](TCells*, int c, int r) { changes.push_back({c, r}); };
        cells.AddRows(2);
    }
};

std::string ConvertMessage(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const ui::EConvertError& e) {
        return testsupport::Narrow(e.Message());
    }
    return "<no error>";
}

} // namespace

TEST(Cells, LocaleIsTurkish)
{
    EXPECT_EQ(LocaleDecimalSeparator(), L',') << "tests run with LC_ALL=tr_TR.UTF-8";
}

TEST(Cells, StringCellConversions)
{
    TStoreFixture f;
    TCell* c = f.cells.Cell(0, 1);
    ASSERT_NE(dynamic_cast<TStringCell*>(c), nullptr);
    c->SetAsFloat(2.5);
    EXPECT_EQ(c->AsString(), L"2,5");
    c->SetAsString(L" -1,25E2 ");
    EXPECT_DOUBLE_EQ(c->AsFloat(), -125.0);
    c->SetAsFloat(1e20);
    EXPECT_EQ(c->AsString(), L"1E20");
    c->SetAsFloat(0.1 + 0.2);
    EXPECT_EQ(c->AsString(), L"0,3") << "fifteen significant digits";
    c->SetAsString(L"1.5");
    EXPECT_EQ(ConvertMessage([&] { c->AsFloat(); }), "'1.5' is not a valid floating point value")
        << "the point is not the Turkish decimal separator";
    c->SetAsInteger(-42);
    EXPECT_EQ(c->AsString(), L"-42");
    EXPECT_EQ(c->AsInteger(), -42);
    c->SetAsString(L"abc");
    EXPECT_EQ(ConvertMessage([&] { c->AsInteger(); }), "'abc' is not a valid integer value");
    EXPECT_EQ(ConvertMessage([&] { c->AsBoolean(); }), "'abc' is not a valid boolean value");
    c->SetAsString(L"tRuE");
    EXPECT_TRUE(c->AsBoolean());
    c->SetAsString(L"0");
    EXPECT_FALSE(c->AsBoolean());
    c->SetAsString(L"-3");
    EXPECT_TRUE(c->AsBoolean());
    c->SetAsBoolean(false);
    EXPECT_EQ(c->AsString(), L"False");

    // Dates: short date, a blank and the long time; midnight leaves the time out.
    c->SetAsString(L"08.12.2026 14:30:05");
    double stamp = c->AsDateTime();
    EXPECT_NEAR(stamp, 46364.0 + (14 * 3600 + 30 * 60 + 5) / 86400.0, 1e-9);
    c->SetAsDateTime(stamp);
    EXPECT_EQ(c->AsString(), L"08.12.2026 14:30:05");
    c->SetAsDateTime(46364.0);
    EXPECT_EQ(c->AsString(), L"08.12.2026");
    c->SetAsString(L"31.02.2026");
    EXPECT_EQ(ConvertMessage([&] { c->AsDateTime(); }), "'31.02.2026' is not a valid date and time");
}

TEST(Cells, TypedCellConversions)
{
    TStoreFixture f;
    TCell* b = f.cells.Cell(1, 0);
    ASSERT_NE(dynamic_cast<TBooleanCell*>(b), nullptr);
    b->SetAsString(L"TRUE");
    EXPECT_TRUE(b->AsBoolean());
    b->SetAsString(L"yes");
    EXPECT_FALSE(b->AsBoolean()) << "any text but true is False, without an error";
    b->SetAsString(L"true ");
    EXPECT_FALSE(b->AsBoolean());
    b->SetAsFloat(0.5);
    EXPECT_EQ(b->AsString(), L"True");
    b->SetAsInteger(0);
    EXPECT_EQ(b->AsString(), L"False");
    EXPECT_EQ(b->AsInteger(), 0);

    TCell* i = f.cells.Cell(4, 0);
    ASSERT_NE(dynamic_cast<TIntegerCell*>(i), nullptr);
    i->SetAsFloat(2.5);
    EXPECT_EQ(i->AsInteger(), 2) << "halves go to the even neighbour";
    i->SetAsFloat(3.5);
    EXPECT_EQ(i->AsInteger(), 4);
    i->SetAsFloat(-2.5);
    EXPECT_EQ(i->AsInteger(), -2);
    i->SetAsString(L"17");
    EXPECT_EQ(i->AsString(), L"17");
    EXPECT_EQ(ConvertMessage([&] { i->SetAsString(L"x1"); }), "'x1' is not a valid integer value");
    EXPECT_EQ(i->AsInteger(), 17) << "a failed conversion keeps the old value";
    EXPECT_THROW(i->SetAsFloat(1e12), ui::EIntOverflow);
    EXPECT_EQ(i->AsInteger(), 17);

    TCell* fl = f.cells.Cell(3, 0);
    ASSERT_NE(dynamic_cast<TFloatCell*>(fl), nullptr);
    fl->SetAsString(L"0,5");
    EXPECT_EQ(fl->AsInteger(), 0);
    fl->SetAsString(L"1,5");
    EXPECT_EQ(fl->AsInteger(), 2);
    EXPECT_EQ(fl->AsString(), L"1,5");
    fl->SetAsBoolean(true);
    EXPECT_EQ(fl->AsFloat(), 0);

    TCell* d = f.cells.Cell(2, 0);
    ASSERT_NE(dynamic_cast<TDateTimeCell*>(d), nullptr);
    d->SetAsString(L"01.01.2000 12:00");
    EXPECT_DOUBLE_EQ(d->AsFloat(), 36526.5);
    EXPECT_EQ(d->AsString(), L"01.01.2000 12:00:00");
    EXPECT_EQ(d->AsInteger(), 36526) << "36526,5 rounds to the even day";
    d->SetAsBoolean(true);
    EXPECT_EQ(d->AsDateTime(), Today());
}

TEST(Cells, ChangePathReportsLastLookupAndClearsSortedFlag)
{
    TStoreFixture f;
    f.cells.SortRows(0, TSortType::stAlphabetic, false);
    ASSERT_TRUE(f.cells.Sorted());
    f.changes.clear();
    TCell* c = f.cells.Cell(3, 1);
    c->SetAsFloat(4);
    c->SetColor(clRed);
    ASSERT_EQ(f.changes.size(), 2u) << "value and colour changes both report";
    EXPECT_EQ(f.changes[0], std::make_pair(3, 1));
    EXPECT_FALSE(f.cells.Sorted());
    EXPECT_EQ(f.cells.Cell(0, 0)->Color(), clBlack) << "new cells take the column's colour";

    // Cells are created with their column's colour and no report.
    f.columns.Items(4)->SetColor(clWindow);
    f.changes.clear();
    f.cells.AddRows(1);
    EXPECT_TRUE(f.changes.empty());
    EXPECT_EQ(f.cells.Cell(4, 2)->Color(), clWindow);
    EXPECT_THROW(f.cells.Cell(0, 3), ui::EListError);
    EXPECT_THROW(f.cells.Cell(0, -1), ui::EListError);
    EXPECT_THROW(f.cells.Cell(9, 0), ui::EListError);
}

// A slot nobody wrote to owns no cell, yet every reader sees what a cell made at the time would
// show: the value of each kind, the colour its column had when the row came, and a place in
// sorting, deleting, inserting and moving exactly like a written one.
TEST(Cells, UnwrittenCellsReadAsFreshCellsAndOwnNothing)
{
    TStoreFixture f;
    f.cells.AddRows(1000);
    EXPECT_EQ(f.cells.WrittenCount(), 0u) << "adding rows makes no cells";
    for (int c = 0; c < 5; ++c) {
        std::unique_ptr<TCell> fresh = f.cells.CreateCell(c, 7);
        const TCell* read = f.cells.Read(c, 7);
        EXPECT_EQ(read->AsString(), fresh->AsString()) << "column " << c;
        // A conversion that fails on a fresh cell fails the same way on an unwritten one.
        auto outcome = [](const std::function<std::wstring()>& read) {
            try {
                return read();
            } catch (const ui::Exception& e) {
                return L"error: " + e.Message();
            }
        };
        EXPECT_EQ(outcome([&] { return std::to_wstring(read->AsFloat()); }),
                  outcome([&] { return std::to_wstring(fresh->AsFloat()); }))
            << "column " << c;
        EXPECT_EQ(outcome([&] { return std::to_wstring(read->AsBoolean()); }),
                  outcome([&] { return std::to_wstring(fresh->AsBoolean()); }))
            << "column " << c;
        EXPECT_EQ(read->Color(), fresh->Color()) << "column " << c;
        EXPECT_EQ(read->Hint(), fresh->Hint()) << "column " << c;
        EXPECT_EQ(typeid(*read), typeid(*fresh)) << "column " << c << " reads as the class its column makes";
        EXPECT_EQ(read->Col(), c);
        EXPECT_EQ(read->Row(), 7);
    }
    EXPECT_EQ(f.cells.WrittenCount(), 0u) << "reading makes no cells";
    EXPECT_THROW(f.cells.Read(0, 1002), ui::EListError);
    EXPECT_THROW(f.cells.Read(5, 0), ui::EListError);

    // Rows keep the colour their column had when they came, written later or not.
    f.columns.Items(0)->SetColor(clRed);
    f.cells.AddRows(2);
    EXPECT_EQ(f.cells.Read(0, 5)->Color(), clBlack) << "an older row keeps the old colour";
    EXPECT_EQ(f.cells.Read(0, 1003)->Color(), clRed) << "a newer row has the new colour";
    EXPECT_EQ(f.cells.Cell(0, 5)->Color(), clBlack) << "writing an older row later keeps its colour";
    EXPECT_EQ(f.cells.Cell(0, 1003)->Color(), clRed);
    EXPECT_EQ(f.cells.WrittenCount(), 2u) << "Cell() makes the cell it hands out, and only that one";

    // Sorting, deleting, inserting and moving treat unwritten rows like written empty ones.
    f.cells.Clear();
    EXPECT_EQ(f.cells.WrittenCount(), 0u) << "clearing frees every written cell";
    f.cells.AddRows(6);
    f.cells.Cell(0, 1)->SetAsString(L"b");
    f.cells.Cell(0, 3)->SetAsString(L"a");
    f.cells.Cell(3, 3)->SetAsFloat(2);
    f.cells.SortRows(0, TSortType::stAlphabetic, true);
    std::vector<std::wstring> order;
    for (int r = 0; r < 6; ++r)
        order.push_back(f.cells.Peek(0, r)->AsString());
    EXPECT_EQ(order, (std::vector<std::wstring>{L"b", L"a", L"", L"", L"", L""}));
    EXPECT_EQ(f.cells.Peek(3, 1)->AsFloat(), 2.0) << "the row's other cells travel with it";
    f.cells.DeleteRow(0);
    f.cells.DeleteRow(4); // a row nobody wrote to, past the last written one
    f.cells.InsertRow(0);
    f.cells.MoveRow(1, 3);
    EXPECT_EQ(f.cells.RowCount(), 5);
    std::vector<std::wstring> after;
    for (int r = 0; r < 5; ++r)
        after.push_back(f.cells.Peek(0, r)->AsString() + L"|" + f.cells.Peek(3, r)->AsString());
    EXPECT_EQ(after, (std::vector<std::wstring>{L"|0", L"|0", L"|0", L"a|2", L"|0"}));
    EXPECT_EQ(f.cells.WrittenCount(), 2u) << "none of it made a cell";

    // A column added later reads fresh cells for rows that already exist.
    f.columns.AddColumn(new TNumericColumn(&f.columns));
    EXPECT_EQ(f.cells.Read(5, 4)->AsString(), L"0");
    EXPECT_EQ(f.cells.WrittenCount(), 2u);
}
