// The column-major cell store: row operations, structure changes and sorting.
#include "grid/data/Cells.h"

#include "grid/data/CellClasses.h"
#include "grid/data/GridHost.h"
#include "ui/core/ScopeGuard.h"
#include "ui/core/SysUtils.h"

#include <algorithm>
#include <array>
#include <new>
#include <random>
#include <type_traits>

namespace grid {

// ---------------------------------------------------------------------------------------------
// TCell

TColor TCell::DisplayBackColor() const
{
    return FOwner != nullptr && FOwner->Host() != nullptr ? FOwner->Host()->CellBackColor(FCol, FRow) : FColor;
}

TColor TCell::DisplayTextColor() const
{
    return FOwner != nullptr && FOwner->Host() != nullptr ? FOwner->Host()->CellTextColor(FCol, FRow) : clWindowText;
}

namespace {

} // namespace

// Free lists of cell-sized blocks, one per size in steps of 8 bytes, carved from chunks of up to
// 64 KB. Used from the user-interface thread only, like the cells. The process has one for
// cells made outside a store; each store has its own, which gives all its blocks back at once
// when the store is cleared.
class TCellPool {
public:
    static constexpr size_t kStep = 8, kClasses = 16, kChunk = 64 * 1024;

    explicit TCellPool(size_t firstChunk = kChunk) : FFirstChunk(firstChunk) {}
    TCellPool(const TCellPool&) = delete;
    TCellPool& operator=(const TCellPool&) = delete;
    ~TCellPool()
    {
        for (const TChunk& c : FChunks)
            ::operator delete(c.Memory);
        for (const TChunk& c : FSpare)
            ::operator delete(c.Memory);
    }

    void* Allocate(size_t size)
    {
        size_t k = (size + kStep - 1) / kStep;
        if (k >= kClasses)
            return ::operator new(size);
        if (FFree[k] == nullptr)
            Refill(k);
        TBlock* b = FFree[k];
        FFree[k] = b->Next;
        return b;
    }
    void Release(void* p, size_t size)
    {
        size_t k = (size + kStep - 1) / kStep;
        if (k >= kClasses) {
            ::operator delete(p);
            return;
        }
        auto* b = static_cast<TBlock*>(p);
        b->Next = FFree[k];
        FFree[k] = b;
    }
    // Every block is free again; the chunks are kept for the blocks that come next. The
    // blocks' contents must already have been destroyed.
    void ReleaseAll()
    {
        FSpare.insert(FSpare.end(), FChunks.begin(), FChunks.end());
        FChunks.clear();
        std::fill(std::begin(FFree), std::end(FFree), nullptr);
    }

private:
    struct TBlock {
        TBlock* Next;
    };
    struct TChunk {
        char* Memory;
        size_t Size;
    };
    void Refill(size_t k)
    {
        if (FSpare.empty()) {
            // A store that holds a few rows takes a few kilobytes; one that grows, larger chunks.
            size_t size = std::min(kChunk, FFirstChunk << std::min<size_t>(FChunks.size(), 8));
            FSpare.push_back({static_cast<char*>(::operator new(size)), size});
        }
        FChunks.push_back(FSpare.back());
        FSpare.pop_back();
        const TChunk& chunk = FChunks.back();
        size_t blockSize = k * kStep;
        // Pushed from the end, so that cells made one after another lie one after another.
        for (size_t n = chunk.Size / blockSize; n-- > 0;) {
            auto* b = reinterpret_cast<TBlock*>(chunk.Memory + n * blockSize);
            b->Next = FFree[k];
            FFree[k] = b;
        }
    }
    size_t FFirstChunk;
    TBlock* FFree[kClasses] = {};
    std::vector<TChunk> FChunks, FSpare;
};

namespace {

TCellPool& CellPool()
{
    // Never destroyed: cells of static objects may still be freed during exit.
    static TCellPool* pool = new TCellPool;
    return *pool;
}

} // namespace

void* TCell::operator new(size_t size) { return CellPool().Allocate(size); }
void TCell::operator delete(void* p, size_t size) noexcept
{
    if (p != nullptr)
        CellPool().Release(p, size);
}

void TCell::SetAsBoolean(bool) { Change(); }
void TCell::SetAsDateTime(double) { Change(); }
void TCell::SetAsFloat(double) { Change(); }
void TCell::SetAsInteger(int32_t) { Change(); }
void TCell::SetAsString(const std::wstring&) { Change(); }

void TCell::SetColor(TColor v)
{
    FColor = v;
    if (!FInitialising)
        Change();
}

void TCell::SetHint(const std::string& v)
{
    if (v.empty())
        FHint.reset();
    else
        FHint = std::make_unique<std::string>(v);
}

void TCell::Change()
{
    if (FOwner != nullptr)
        FOwner->Change(FCol, FRow);
}

// ---------------------------------------------------------------------------------------------
// TCells

namespace {

[[noreturn]] void OutOfMemory() { throw ui::Exception(L"Out of memory while adding cells"); }

} // namespace

// A store's first chunks are small: most grids hold a few rows.
TCells::TCells(TColumns* columns, TGridHost* host)
    : FColumns(columns), FHost(host), FPool(std::make_unique<TCellPool>(4 * 1024))
{
}

TCells::~TCells()
{
    for (auto& list : FLists)
        for (TSlot slot : list.Slots)
            Release(slot);
}

void TCells::Settle(TCellList& list)
{
    if (list.Slots.size() < static_cast<size_t>(FRowCount))
        list.Slots.resize(static_cast<size_t>(FRowCount), list.Tail);
}

void TCells::SettleAll()
{
    for (auto& list : FLists)
        Settle(list);
}

void TCells::Release(TSlot slot) noexcept
{
    if (IsFresh(slot))
        return;
    const size_t size = slot->FStoredSize;
    slot->~TCell();
    FPool->Release(slot, size);
    --FWritten;
}

TCell* TCells::MakeStored(TCellKind kind, TColor color, int col, int row)
{
    TCell* cell = nullptr;
    auto make = [&](auto* type) {
        using T = std::remove_pointer_t<decltype(type)>;
        void* block = FPool->Allocate(sizeof(T));
        try {
            cell = ::new (block) T(this);
        } catch (...) {
            FPool->Release(block, sizeof(T));
            throw;
        }
        cell->FStoredSize = sizeof(T);
    };
    switch (kind) {
    case ckBoolean: make(static_cast<TBooleanCell*>(nullptr)); break;
    case ckDate: make(static_cast<TDateTimeCell*>(nullptr)); break;
    case ckFloat: make(static_cast<TFloatCell*>(nullptr)); break;
    case ckInteger: make(static_cast<TIntegerCell*>(nullptr)); break;
    default: make(static_cast<TStringCell*>(nullptr)); break;
    }
    cell->SetColor(color); // still initialising: no change is reported
    cell->FInitialising = false;
    cell->FCol = col;
    cell->FRow = row;
    return cell;
}

TCells::TSlot TCells::FreshSlot(int col)
{
    if (static_cast<size_t>(col) < FFreshOf.size()) {
        const TFreshOf& last = FFreshOf[col];
        if (last.Column != nullptr && last.Column->CellKind() == last.Kind && last.Column->Color() == last.Color)
            return last.Slot;
    }
    const TCustomColumn* column = FColumns->Items(col);
    const TCellKind kind = column->CellKind();
    const TColor color = column->Color();
    size_t k = 0;
    while (k < FFresh.size() && (FFresh[k].Kind != kind || FFresh[k].Color != color))
        ++k;
    if (k == FFresh.size())
        FFresh.push_back({kind, color, NewCell(kind, color, -1, -1)});
    TSlot slot = reinterpret_cast<TSlot>((static_cast<uintptr_t>(k) << 1) | 1);
    if (static_cast<size_t>(col) >= FFreshOf.size())
        FFreshOf.resize(static_cast<size_t>(col) + 1, TFreshOf{nullptr, ckText, clBlack, nullptr});
    FFreshOf[col] = {column, kind, color, slot};
    return slot;
}

void TCells::CheckRow(int row) const
{
    if (row < 0 || row >= FRowCount)
        throw ui::EListError(row);
}

TCell* TCells::Cell(int ACol, int ARow)
{
    // The column is checked too: reading past the slots would use memory that holds no cell.
    if (ACol < 0 || ACol >= ListCount())
        throw ui::EListError(ACol);
    CheckRow(ARow);
    TCellList& list = FLists[ACol];
    Settle(list);
    TSlot& slot = list.Slots[ARow];
    if (IsFresh(slot)) {
        const TFresh& fresh = FFresh[FreshIndex(slot)];
        slot = MakeStored(fresh.Kind, fresh.Color, ACol, ARow);
        ++FWritten;
    }
    TCell* cell = slot;
    cell->FCol = ACol;
    cell->FRow = ARow;
    return cell;
}

const TCell* TCells::Read(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= ListCount())
        throw ui::EListError(ACol);
    CheckRow(ARow);
    TSlot slot = FLists[ACol].At(ARow);
    if (IsFresh(slot))
        return Resolve(slot, ACol, ARow);
    slot->FCol = ACol;
    slot->FRow = ARow;
    return slot;
}

std::unique_ptr<TCell> TCells::CreateCell(int col, int row)
{
    TCustomColumn* column = FColumns->Items(col);
    return NewCell(column->CellKind(), column->Color(), col, row);
}

std::unique_ptr<TCell> TCells::NewCell(TCellKind kind, TColor color, int col, int row)
{
    std::unique_ptr<TCell> cell;
    switch (kind) {
    case ckBoolean: cell = std::make_unique<TBooleanCell>(this); break;
    case ckDate: cell = std::make_unique<TDateTimeCell>(this); break;
    case ckFloat: cell = std::make_unique<TFloatCell>(this); break;
    case ckInteger: cell = std::make_unique<TIntegerCell>(this); break;
    default: cell = std::make_unique<TStringCell>(this); break;
    }
    cell->SetColor(color); // still initialising: no change is reported
    cell->FInitialising = false;
    cell->FCol = col;
    cell->FRow = row;
    return cell;
}

void TCells::AddRows(int Count)
{
    if (Count <= 0)
        return;
    int newCount = ui::CheckedAdd(FRowCount, Count);
    // The new rows join each list's tail. Only a column whose class or colour changed since its
    // tail was marked stores its old tail first; that leaves the rows reading as they did, so a
    // failure needs nothing undone.
    try {
        for (size_t i = 0; i < FLists.size(); ++i) {
            TCellList& list = FLists[i];
            if (i < FFreshOf.size()) {
                // The usual case, checked here without a call: the column is as it was.
                const TFreshOf& last = FFreshOf[i];
                if (last.Slot == list.Tail && last.Column != nullptr && last.Column->CellKind() == last.Kind &&
                    last.Column->Color() == last.Color)
                    continue;
            }
            const TSlot fresh = FreshSlot(static_cast<int>(i));
            if (fresh != list.Tail) {
                Settle(list);
                list.Tail = fresh;
            }
        }
    } catch (const std::bad_alloc&) {
        OutOfMemory();
    } catch (const std::length_error&) {
        OutOfMemory();
    }
    FRowCount = newCount;
    FSorted = false;
}

void TCells::DeleteRow(int ARow)
{
    CheckRow(ARow);
    for (auto& list : FLists) {
        // A row past the stored slots is one of the tail's, which only gets one row shorter.
        if (static_cast<size_t>(ARow) < list.Slots.size()) {
            Release(list.Slots[ARow]);
            list.Slots.erase(list.Slots.begin() + ARow);
        }
    }
    --FRowCount;
}

void TCells::InsertRow(int ARow)
{
    CheckRow(ARow);
    if (FRowCount == INT32_MAX)
        throw ui::EIntOverflow();
    std::vector<TSlot> fresh;
    fresh.reserve(FLists.size());
    for (int i = 0; i < ListCount(); ++i)
        fresh.push_back(FreshSlot(i));
    SettleAll();
    // A deque's single insertion either happens or leaves the list as it was; the lists done
    // before a failing one give their new slot back.
    int done = 0;
    ui::TScopeExit giveBack([&] {
        for (int i = 0; i < done; ++i)
            FLists[i].Slots.erase(FLists[i].Slots.begin() + ARow);
    });
    for (; done < ListCount(); ++done)
        FLists[done].Slots.insert(FLists[done].Slots.begin() + ARow, fresh[done]);
    giveBack.Dismiss();
    ++FRowCount;
    FSorted = false;
}

void TCells::MoveRow(int FromRow, int ToRow)
{
    CheckRow(FromRow);
    CheckRow(ToRow);
    SettleAll();
    for (auto& cells : FLists) {
        std::deque<TSlot>& list = cells.Slots;
        if (FromRow < ToRow)
            std::rotate(list.begin() + FromRow, list.begin() + FromRow + 1, list.begin() + ToRow + 1);
        else if (FromRow > ToRow)
            std::rotate(list.begin() + ToRow, list.begin() + FromRow, list.begin() + FromRow + 1);
    }
    FSorted = false;
}

void TCells::Clear()
{
    // Row by row: the cells of a row were most likely made one after another and lie together,
    // so each block of memory is visited once. Rows nobody wrote to own nothing: with no written
    // cell left there is nothing to visit.
    std::vector<std::deque<TSlot>::iterator> at;
    size_t rows = 0;
    for (auto& list : FLists) {
        at.push_back(list.Slots.begin());
        rows = std::max(rows, list.Slots.size());
    }
    // The cells are destroyed where they lie, and their blocks go back all at once.
    for (size_t r = 0; r < rows && FWritten > 0; ++r)
        for (size_t i = 0; i < FLists.size(); ++i)
            if (r < FLists[i].Slots.size())
                if (TSlot slot = *at[i]++; !IsFresh(slot)) {
                    slot->~TCell();
                    --FWritten;
                }
    FPool->ReleaseAll();
    for (auto& list : FLists)
        list.Slots.clear();
    FRowCount = 0;
    FSorted = false;
}

void TCells::StructureChanged(int action, int index1, int index2)
{
    // Lists change places or columns go: the remembered columns may no longer be the lists'.
    FFreshOf.clear();
    // Without rows the column is not asked for anything: it may still be on its way into the
    // collection. The first rows added mark the tail.
    auto makeList = [this](int column) { return TCellList{{}, FRowCount > 0 ? FreshSlot(column) : nullptr}; };
    auto dropList = [this](int slot) {
        for (TSlot c : FLists[slot].Slots)
            Release(c);
        FLists.erase(FLists.begin() + slot);
        if (FLists.empty())
            FRowCount = 0;
    };
    switch (action) {
    case saAdded:
        if (ListCount() >= kMaxLists)
            throw ui::EInvalidOperation(ui::Format(L"A grid holds at most %d columns", kMaxLists));
        FLists.push_back(makeList(FColumns->Count() - 1));
        break;
    case saRemoved:
        if (index1 < 0 || index1 >= ListCount())
            throw ui::EListError(index1);
        dropList(index1);
        break;
    case saCleared:
        while (!FLists.empty())
            dropList(0);
        break;
    case saInserted:
        if (ListCount() >= kMaxLists)
            throw ui::EInvalidOperation(ui::Format(L"A grid holds at most %d columns", kMaxLists));
        if (index1 < 0 || index1 > ListCount())
            throw ui::EListError(index1);
        FLists.insert(FLists.begin() + index1, makeList(index1));
        FSorted = false;
        break;
    case saMoved: {
        if (index1 < 0 || index1 >= ListCount())
            throw ui::EListError(index1);
        if (index2 < 0 || index2 >= ListCount())
            throw ui::EListError(index2);
        TCellList moving = std::move(FLists[index1]);
        FLists.erase(FLists.begin() + index1);
        FLists.insert(FLists.begin() + index2, std::move(moving));
        break;
    }
    default:
        break;
    }
    FFreshOf.clear();
}

void TCells::Change(int ACol, int ARow)
{
    if (OnChange)
        OnChange(this, ACol, ARow);
    FSorted = false;
}

// --- sorting ---

namespace {

// The four numbers of a dotted address: digits are collected, everything else skipped, a "." or
// the end closes a number. A number without digits, or a fifth number, does not convert.
std::array<int32_t, 4> ReadAddress(const std::wstring& text)
{
    std::array<int32_t, 4> parts{0, 0, 0, 0};
    std::wstring digits;
    size_t count = 0;
    auto close = [&] {
        if (count >= 4)
            throw ui::EConvertError(ui::Format(L"'%s' is not a valid address", text.c_str()));
        parts[count++] = ui::StrToInt(digits); // no digits: the integer conversion error
        digits.clear();
    };
    for (wchar_t c : text) {
        if (c >= L'0' && c <= L'9')
            digits += c;
        else if (c == L'.')
            close();
    }
    close();
    return parts;
}

// Sorts `keys` (and `order` alongside) so that no key is preceded by one that `less` puts after
// it: a quicksort with a random pivot from lo + 1 .. hi, split at the forward index. The smaller
// part recurses, the larger loops, so the stack stays shallow on any input.
template <class K, class Less>
void QuickSort(std::vector<K>& keys, std::vector<int>& order, int lo, int hi, const Less& less, std::minstd_rand& rng)
{
    while (lo < hi) {
        int p = lo + 1 + static_cast<int>(rng() % static_cast<unsigned>(hi - lo));
        K pivot = keys[p];
        int f = lo - 1, b = hi + 1;
        for (;;) {
            do
                ++f;
            while (less(keys[f], pivot));
            do
                --b;
            while (less(pivot, keys[b]));
            // An exchange after the indices crossed would be undone at once; skip it.
            if (f >= b)
                break;
            std::swap(keys[f], keys[b]);
            std::swap(order[f], order[b]);
        }
        if (f - lo < hi - f + 1) {
            QuickSort(keys, order, lo, f - 1, less, rng);
            lo = f;
        } else {
            QuickSort(keys, order, f, hi, less, rng);
            hi = f - 1;
        }
    }
}

template <class K, class Less>
std::vector<int> SortedOrder(std::vector<K>& keys, const Less& less, bool descending)
{
    std::vector<int> order(keys.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    std::minstd_rand rng(0x5EED);
    QuickSort(keys, order, 0, static_cast<int>(keys.size()) - 1, less, rng);
    if (descending)
        std::reverse(order.begin(), order.end());
    return order;
}

} // namespace

void TCells::ReverseRows()
{
    SettleAll();
    for (auto& list : FLists)
        std::reverse(list.Slots.begin(), list.Slots.end());
}

void TCells::ApplyOrder(const std::vector<int>& order)
{
    SettleAll();
    std::vector<TSlot> scratch(order.size());
    for (auto& list : FLists) {
        for (size_t k = 0; k < order.size(); ++k)
            scratch[k] = list.Slots[order[k]];
        std::copy(scratch.begin(), scratch.end(), list.Slots.begin());
    }
}

void TCells::SortRows(int ACol, TSortType sortType, bool descending)
{
    if (ACol < 0 || ACol >= ListCount())
        throw ui::EListError(ACol);
    if (FSorted && FSortColumn == ACol) {
        // Known order: the other direction is the reverse, the same direction is already there.
        if (descending != FSortDescending && FRowCount >= 2)
            ReverseRows();
    } else if (FRowCount >= 2) {
        // Every key is read before anything moves, so a value that does not convert raises
        // with the rows untouched.
        // The cells as a reader sees them: slots nobody wrote to read as fresh cells.
        std::vector<const TCell*> column(static_cast<size_t>(FRowCount));
        for (size_t k = 0; k < column.size(); ++k)
            column[k] = Peek(ACol, static_cast<int>(k));
        std::vector<int> order;
        switch (sortType) {
        case TSortType::stAlphabetic: {
            std::vector<std::wstring> converted;
            std::vector<const std::wstring*> keys(column.size());
            bool allText = std::all_of(column.begin(), column.end(),
                                       [](const TCell* c) { return dynamic_cast<const TStringCell*>(c) != nullptr; });
            if (allText) {
                for (size_t k = 0; k < column.size(); ++k)
                    keys[k] = &static_cast<const TStringCell*>(column[k])->Text();
            } else {
                converted.reserve(column.size());
                for (const TCell* c : column)
                    converted.push_back(c->AsString());
                for (size_t k = 0; k < column.size(); ++k)
                    keys[k] = &converted[k];
            }
            order = SortedOrder(keys, [](const std::wstring* a, const std::wstring* b) { return *a < *b; }, descending);
            break;
        }
        case TSortType::stBoolean: {
            std::vector<uint8_t> keys;
            keys.reserve(column.size());
            for (const TCell* c : column)
                keys.push_back(c->AsBoolean() ? 1 : 0);
            order = SortedOrder(keys, [](uint8_t a, uint8_t b) { return a < b; }, descending);
            break;
        }
        case TSortType::stNumeric:
        case TSortType::stDate: {
            std::vector<double> keys;
            keys.reserve(column.size());
            for (const TCell* c : column)
                keys.push_back(sortType == TSortType::stNumeric ? c->AsFloat() : c->AsDateTime());
            order = SortedOrder(keys, [](double a, double b) { return a < b; }, descending);
            break;
        }
        case TSortType::stIP: {
            std::vector<std::array<int32_t, 4>> keys;
            keys.reserve(column.size());
            for (const TCell* c : column)
                keys.push_back(ReadAddress(c->AsString()));
            order = SortedOrder(keys, [](const std::array<int32_t, 4>& a, const std::array<int32_t, 4>& b) { return a < b; },
                                descending);
            break;
        }
        }
        ApplyOrder(order);
    }
    FSortColumn = ACol;
    FSortDescending = descending;
    FSorted = true;
}

} // namespace grid
