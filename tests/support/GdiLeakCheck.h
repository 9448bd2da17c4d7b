// Leak checks for GDI and USER handles and for the heap. Wine answers 0 to GetGuiResources, so
// a check compares other measures before and after the work as well: the count of handles the
// library's wrappers hold, the windows of the thread, and the handle-table index of a freshly
// created probe object, which grows when handles are created and never freed.
#pragma once

#include <cstddef>
#include <string>

namespace testsupport {

struct TGdiSnapshot {
    int WrappedGdi = 0;   // GDI objects held by the library's wrappers
    int WrappedUser = 0;  // icons and cursors held by the library's wrappers
    int ProbeIndex = 0;   // low 16 bits of a new brush handle (the GDI table slot)
    int Windows = 0;      // windows of this thread, children included (USER objects Wine can count)
    int SystemGdi = 0;    // GetGuiResources: what Windows counts (Wine answers 0)
    int SystemUser = 0;
};

TGdiSnapshot TakeGdiSnapshot();

// Bytes in use in all of the process's heaps (the C runtime's included), by walking them.
size_t HeapBytesInUse();

// One line of figures for a report: "heap <n> bytes, GDI <n>, USER <n>, windows <n>, ...".
std::string Figures(const TGdiSnapshot& s, size_t heapBytes);

// Empty when `after` shows no growth over `before` (the probe may move within `slack` slots,
// since freed slots are handed out again in no fixed order); else what grew.
std::string GdiGrowth(const TGdiSnapshot& before, const TGdiSnapshot& after, int slack = 64);

} // namespace testsupport
