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
class TCellPool;
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
    // The size of the block a store made this cell in, 0 for a cell made on its own (in the
    // padding before FRow, so it costs no memory).
    uint8_t FStoredSize = 0;
    int32_t FRow = -1;
    std::unique_ptr<std::string> FHint;
};

using TCellChangeEvent = std::function<void(TCells* Sender, int ACol, int ARow)>;

// Column-major store of cells. Row operations touch every column list once; a lookup is two
// indexed reads. All operations keep every list exactly RowCount long, also when they fail.
// A list is a deque: removing a row moves only the cells on its shorter side, so the rows at
// the top go as cheaply as those at the end (a call list drops its oldest row per call).
//
// Cells are made when written. A slot that nobody has written to holds no cell but a mark that
// names a shared fresh cell of the class and colour the slot's cell would have been made with;
// reading such a slot reads that fresh cell, so a reader sees exactly what a cell made at the
// time would show. Cell() makes the slot's own cell before handing it out, because the caller
// may write to it; Peek() only reads and never makes one. A list may also end before the last
// row: the rows past its end all read as its tail mark, so appending rows nobody wrote to only
// counts them. Adding, inserting and clearing such rows therefore allocate nothing per cell.
class TCells {
public:
    TCells(TColumns* columns, TGridHost* host);
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

    // The cell at (ACol, ARow), made now if the slot had none; writes the coordinates into it.
    // ARow outside the rows raises the list index error; ACol must be an existing column.
    TCell* Cell(int ACol, int ARow);
    // The same lookup for reading only: checked like Cell(), but a slot nobody wrote to reads as
    // the fresh cell it stands for and stays without a cell of its own.
    const TCell* Read(int ACol, int ARow) const;
    // The cell for reading only (painting, sorting, formulas): the slot's own cell, or the fresh
    // cell it stands for. No bounds check; nothing is made.
    const TCell* Peek(int ACol, int ARow) const { return Resolve(FLists[ACol].At(ARow), ACol, ARow); }
    // Whether the slot has a cell of its own, that is, whether anything was written to it.
    bool Written(int ACol, int ARow) const { return !IsFresh(FLists[ACol].At(ARow)); }
    // How many slots own a cell.
    size_t WrittenCount() const { return FWritten; }

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
    // A slot is a cell pointer, or with the lowest bit set (cells are at least 8-byte aligned)
    // the number of a fresh cell in FFresh shifted left by one.
    using TSlot = TCell*;
    // One column's slots: the stored ones, then up to RowCount rows that all read as Tail.
    struct TCellList {
        std::deque<TSlot> Slots;
        TSlot Tail = nullptr;
        TSlot At(int row) const { return static_cast<size_t>(row) < Slots.size() ? Slots[row] : Tail; }
    };
    struct TFresh {
        TCellKind Kind;
        TColor Color;
        std::unique_ptr<TCell> Cell;
    };

    static bool IsFresh(TSlot slot) { return (reinterpret_cast<uintptr_t>(slot) & 1) != 0; }
    static size_t FreshIndex(TSlot slot) { return reinterpret_cast<uintptr_t>(slot) >> 1; }
    const TCell* Resolve(TSlot slot, int col, int row) const
    {
        if (!IsFresh(slot))
            return slot;
        // What a cell made for this slot would report as its coordinates.
        TCell* fresh = FFresh[FreshIndex(slot)].Cell.get();
        fresh->FCol = col;
        fresh->FRow = row;
        return fresh;
    }
    // The mark for column `col`'s fresh cell as the column is now (its class and colour).
    TSlot FreshSlot(int col);
    void Release(TSlot slot) noexcept;
    // A cell of the store's own, made in its pool; Release destroys it.
    TCell* MakeStored(TCellKind kind, TColor color, int col, int row);
    // Stores the list's tail rows as slots, for operations that move or replace single rows.
    void Settle(TCellList& list);
    void SettleAll();
    std::unique_ptr<TCell> NewCell(TCellKind kind, TColor color, int col, int row);
    void CheckRow(int row) const;
    void ReverseRows();
    void ApplyOrder(const std::vector<int>& order);

    TColumns* FColumns;
    TGridHost* FHost;
    // The blocks of the cells in the lists; clearing the store gives them back in one step.
    std::unique_ptr<TCellPool> FPool;
    std::vector<TCellList> FLists;
    // The fresh cells the marks name, one per class and colour seen; they are never changed.
    std::vector<TFresh> FFresh;
    // Per list, the mark last handed out and what it was chosen by, so that appending a row
    // checks its column instead of searching; emptied on every structure change.
    struct TFreshOf {
        const TCustomColumn* Column;
        TCellKind Kind;
        TColor Color;
        TSlot Slot;
    };
    std::vector<TFreshOf> FFreshOf;
    size_t FWritten = 0;
    int FRowCount = 0;
    bool FSorted = false;
    int FSortColumn = -1;
    bool FSortDescending = false;
};

} // namespace grid
