// Leak checks for GDI and USER handles. Wine answers 0 to GetGuiResources, so a check compares
// two other measures before and after the work: the count of handles the library's wrappers
// hold, and the handle-table index of a freshly created probe object, which grows when handles
// are created and never freed.
#pragma once

#include <string>

namespace testsupport {

struct TGdiSnapshot {
    int WrappedGdi = 0;   // GDI objects held by the library's wrappers
    int WrappedUser = 0;  // icons and cursors held by the library's wrappers
    int ProbeIndex = 0;   // low 16 bits of a new brush handle (the GDI table slot)
};

TGdiSnapshot TakeGdiSnapshot();

// Empty when `after` shows no growth over `before` (the probe may move within `slack` slots,
// since freed slots are handed out again in no fixed order); else what grew.
std::string GdiGrowth(const TGdiSnapshot& before, const TGdiSnapshot& after, int slack = 64);

} // namespace testsupport
