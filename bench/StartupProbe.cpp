// The start-up probe: the message loop's turns up to the first complete paint, then the figures.
#include "StartupProbe.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace bench {

namespace {

unsigned long long Ticks(const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

unsigned long long Now()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return Ticks(now);
}

std::vector<std::pair<const char*, unsigned long long>>& Steps()
{
    static std::vector<std::pair<const char*, unsigned long long>> steps;
    return steps;
}

} // namespace

void MarkStartupStep(const char* name) { Steps().emplace_back(name, Now()); }

void ReportFirstCompletePaint()
{
    // A paint is generated only when the queue is otherwise empty, so the first time nothing is
    // left and no paint is pending, every window shown so far has been painted completely.
    MSG msg;
    for (;;) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        if (HIWORD(GetQueueStatus(QS_PAINT)) == 0 && LOWORD(GetQueueStatus(QS_PAINT)) == 0)
            break;
    }
    const unsigned long long now = Now();
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));

    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv != nullptr && argc > 1) {
        if (FILE* out = _wfopen(argv[1], L"w")) {
            std::fprintf(out, "%.3f %llu\n", (now - Ticks(created)) / 1e4,
                         static_cast<unsigned long long>(counters.WorkingSetSize));
            for (const auto& [name, at] : Steps())
                std::fprintf(out, "%.3f %s\n", (at - Ticks(created)) / 1e4, name);
            std::fclose(out);
        }
    }
    LocalFree(argv);
}

} // namespace bench
