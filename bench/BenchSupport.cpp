// Timing, memory readings and table lines for the benchmark programs.
#include "BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <vector>
#include <cstdio>

namespace bench {

namespace {

// Lines appear as they are measured (stdout is a file under wine-run.sh, fully buffered).
const int kUnbuffered = std::setvbuf(stdout, nullptr, _IONBF, 0);

} // namespace

double Seconds(const std::function<void()>& work)
{
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&a);
    work();
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
}

double BestSeconds(int batches, const std::function<void()>& work)
{
    double best = 1e30;
    for (int i = 0; i < batches; ++i)
        best = std::min(best, Seconds(work));
    return best;
}

std::pair<double, double> MedianPairSeconds(int pairs, const std::function<void()>& first,
                                            const std::function<void()>& second)
{
    std::vector<std::pair<double, double>> runs;
    for (int i = 0; i < pairs; ++i) {
        const double a = Seconds(first);
        runs.emplace_back(a, Seconds(second));
    }
    std::sort(runs.begin(), runs.end(),
              [](const auto& x, const auto& y) { return x.first * y.second < y.first * x.second; });
    return runs[runs.size() / 2];
}

size_t HeapBytesInUse()
{
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    size_t total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry{};
        if (!HeapLock(heaps[i]))
            continue;
        while (HeapWalk(heaps[i], &entry))
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
                total += entry.cbData + entry.cbOverhead;
        HeapUnlock(heaps[i]);
    }
    return total;
}

size_t WorkingSet()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return counters.WorkingSetSize;
}

void Heading(const std::string& title, const std::string& columns)
{
    std::printf("\n%s\n%-36s %s\n", title.c_str(), "", columns.c_str());
    std::fflush(stdout);
}

void Row(const std::string& name, const std::string& figures)
{
    std::printf("%-36s %s\n", name.c_str(), figures.c_str());
    std::fflush(stdout);
}

std::string Time(double seconds)
{
    char text[32];
    if (seconds < 0)
        return "-";
    if (seconds < 1e-3)
        std::snprintf(text, sizeof text, "%.1f us", seconds * 1e6);
    else if (seconds < 1)
        std::snprintf(text, sizeof text, "%.2f ms", seconds * 1e3);
    else
        std::snprintf(text, sizeof text, "%.3f s", seconds);
    return text;
}

std::string Ratio(double numerator, double denominator)
{
    if (numerator < 0 || denominator <= 0)
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.2fx", numerator / denominator);
    return text;
}

std::string Goal(const std::string& goal, bool met) { return goal + (met ? ": ok" : ": MISSED"); }

} // namespace bench
