// The grid's in-memory cell store: one list of cell objects per column (creation order), each
// exactly RowCount long, and the cell base class with its change notification.
#pragma once

#include "grid/data/Columns.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace grid {

class TCells;
class TGridHost;

// One value of the grid. The classes differ in what they hold (TCellClasses); the base keeps the
// cell's colour, user data, hint and the coordinates of its last lookup, which its change
// notification reports.
class TCell {
public:
    explicit TCell(TCells* owner) : FOwner(owner) {}
    TCell(const TCell&) = delete;
    TCell& operator=(const TCell&) = delete;
    virtual ~TCell() = default;

    // Cells come from a pool of fixed-size blocks: a grid makes and frees them by the hundred
    // thousand, and the general heap's per-block header and search cost more than the cell.
    static void* operator new(size_t size);
    static void operator delete(void* p, size_t size) noexcept;

    virtual TColor DisplayBackColor() const;
    virtual TColor DisplayTextColor() const;

    virtual bool AsBoolean() const = 0;
    virtual double AsDateTime() const = 0;
    virtual double AsFloat() const = 0;
    virtual int32_t AsInteger() const = 0;
    virtual std::wstring AsString() const = 0;
    // Each class stores the converted value and then calls the base setter, which reports the
    // change. A text that does not convert raises and leaves the value as it was.
    virtual void SetAsBoolean(bool value);
    virtual void SetAsDateTime(double value);
    virtual void SetAsFloat(double value);
    virtual void SetAsInteger(int32_t value);
    virtual void SetAsString(const std::wstring& value);

    TCells* Owner() const { return FOwner; }
    intptr_t Data() const { return FData; }
    void SetData(intptr_t v) { FData = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    bool Initialising() const { return FInitialising; }
    // The hint is rarely set, so it lives outside the cell until it is.
    std::string Hint() const { return FHint ? *FHint : std::string(); }
    bool HasHint() const { return FHint != nullptr && !FHint->empty(); }
    void SetHint(const std::string& v);

protected:
    void Change();

private:
    friend class TCells;
    TCells* FOwner;
    intptr_t FData = 0;
    TColor FColor = clBlack;
    int32_t FCol = -1;
    bool FInitialising = true;
    int32_t FRow = -1;
    std::unique_ptr<std::string> FHint;
};

using TCellChangeEvent = std::function<void(TCells* Sender, int ACol, int ARow)>;

// Column-major store of cells. Row operations touch every column list once; a lookup is two
// indexed reads. All operations keep every list exactly RowCount long, also when they fail.
// A list is a deque: removing a row moves only the cells on its shorter side, so the rows at
// the top go as cheaply as those at the end (a call list drops its oldest row per call).
class TCells {
public:
    TCells(TColumns* columns, TGridHost* host) : FColumns(columns), FHost(host) {}
    TCells(const TCells&) = delete;
    TCells& operator=(const TCells&) = delete;
    ~TCells();

    static constexpr int kMaxLists = TColumns::kMaxColumns;

    int ListCount() const { return static_cast<int>(FLists.size()); }
    int RowCount() const { return FRowCount; }
    TGridHost* Host() const { return FHost; }
    TColumns* Columns() const { return FColumns; }
    bool Sorted() const { return FSorted; }
    int SortColumn() const { return FSortColumn; }
    bool SortDescending() const { return FSortDescending; }

    // The cell at (ACol, ARow); writes the coordinates into it. ARow outside the rows raises the
    // list index error; ACol must be an existing column.
    TCell* Cell(int ACol, int ARow);
    // The cell without recording a lookup (painting, sorting).
    TCell* Peek(int ACol, int ARow) const { return FLists[ACol][ARow]; }

    // Appends Count rows of fresh cells; the sorted flag is cleared. All or nothing.
    void AddRows(int Count);
    void DeleteRow(int ARow);
    void InsertRow(int ARow);
    void MoveRow(int FromRow, int ToRow);
    void Clear();
    // The column collection's structure change (actions of TStructureAction).
    void StructureChanged(int action, int index1, int index2);
    // Sorts the rows by column ACol; sorting the same column again in the other direction only
    // reverses the rows.
    void SortRows(int ACol, TSortType sortType, bool descending);

    // Reports a cell change: the hook, then the sorted flag is cleared.
    void Change(int ACol, int ARow);
    TCellChangeEvent OnChange;

    // A new cell of the class that column `col`'s CellKind chooses, coloured like the column.
    std::unique_ptr<TCell> CreateCell(int col, int row);

private:
    std::unique_ptr<TCell> NewCell(TCellKind kind, TColor color, int col, int row);
    void CheckRow(int row) const;
    void ReverseRows();
    void ApplyOrder(const std::vector<int>& order);

    TColumns* FColumns;
    TGridHost* FHost;
    using TCellList = std::deque<TCell*>;
    std::vector<TCellList> FLists;
    int FRowCount = 0;
    bool FSorted = false;
    int FSortColumn = -1;
    bool FSortDescending = false;
};

} // namespace grid
