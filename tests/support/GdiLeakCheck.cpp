// Leak checks for GDI and USER handles.
#include "tests/support/GdiLeakCheck.h"

#include "ui/graphics/Graphics.h"

#include <windows.h>

#include <vector>

namespace testsupport {

namespace {

BOOL CALLBACK CountChild(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND wnd, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    EnumChildWindows(wnd, CountChild, count);
    return TRUE;
}

int ThreadWindowCount()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
    // Message-only windows (timers' and the simulator's helpers) are not enumerated above.
    HWND wnd = nullptr;
    while ((wnd = FindWindowExW(HWND_MESSAGE, wnd, nullptr, nullptr)) != nullptr)
        if (GetWindowThreadProcessId(wnd, nullptr) == GetCurrentThreadId())
            ++count;
    return count;
}

} // namespace

size_t HeapBytesInUse()
{
    std::vector<HANDLE> heaps(64);
    DWORD n = GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data());
    if (n > heaps.size()) {
        heaps.resize(n);
        n = GetProcessHeaps(n, heaps.data());
    }
    size_t total = 0;
    for (DWORD i = 0; i < n && i < heaps.size(); ++i) {
        if (!HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry))
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
                total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

std::string Figures(const TGdiSnapshot& s, size_t heapBytes)
{
    return "heap " + std::to_string(heapBytes) + " bytes, wrapped GDI " + std::to_string(s.WrappedGdi) +
           ", wrapped USER " + std::to_string(s.WrappedUser) + ", windows " + std::to_string(s.Windows) +
           ", GDI slot " + std::to_string(s.ProbeIndex) + ", GetGuiResources GDI " + std::to_string(s.SystemGdi) +
           " USER " + std::to_string(s.SystemUser);
}

TGdiSnapshot TakeGdiSnapshot()
{
    TGdiSnapshot s;
    s.Windows = ThreadWindowCount();
    s.SystemGdi = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    s.SystemUser = static_cast<int>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
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
    if (after.Windows != before.Windows)
        out += "windows " + std::to_string(before.Windows) + " -> " + std::to_string(after.Windows) + "; ";
    if (after.SystemGdi > before.SystemGdi + slack)
        out += "GDI objects " + std::to_string(before.SystemGdi) + " -> " + std::to_string(after.SystemGdi) + "; ";
    if (after.SystemUser > before.SystemUser + slack)
        out += "USER objects " + std::to_string(before.SystemUser) + " -> " + std::to_string(after.SystemUser) + "; ";
    if (after.ProbeIndex > before.ProbeIndex + slack)
        out += "GDI handle index " + std::to_string(before.ProbeIndex) + " -> " + std::to_string(after.ProbeIndex);
    return out;
}

} // namespace testsupport
