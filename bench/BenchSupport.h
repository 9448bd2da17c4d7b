// Timing shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <functional>

namespace bench {

// Wall-clock seconds that `work` takes, from the performance counter.
inline double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    work();
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

} // namespace bench
