// Leak checks for GDI and USER handles.
#include "tests/support/GdiLeakCheck.h"

#include "ui/graphics/Graphics.h"

#include <windows.h>

namespace testsupport {

TGdiSnapshot TakeGdiSnapshot()
{
    TGdiSnapshot s;
    s.WrappedGdi = ui::GdiObjectCount();
    s.WrappedUser = ui::UserObjectCount();
    HBRUSH probe = CreateSolidBrush(RGB(1, 2, 3));
    s.ProbeIndex = static_cast<int>(reinterpret_cast<uintptr_t>(probe) & 0xFFFF);
    DeleteObject(probe);
    return s;
}

std::string GdiGrowth(const TGdiSnapshot& before, const TGdiSnapshot& after, int slack)
{
    std::string out;
    if (after.WrappedGdi != before.WrappedGdi)
        out += "wrapped GDI objects " + std::to_string(before.WrappedGdi) + " -> " + std::to_string(after.WrappedGdi) + "; ";
    if (after.WrappedUser != before.WrappedUser)
        out += "wrapped USER objects " + std::to_string(before.WrappedUser) + " -> " +
               std::to_string(after.WrappedUser) + "; ";
    if (after.ProbeIndex > before.ProbeIndex + slack)
        out += "GDI handle index " + std::to_string(before.ProbeIndex) + " -> " + std::to_string(after.ProbeIndex);
    return out;
}

} // namespace testsupport
