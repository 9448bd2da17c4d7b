// Helpers shared by the benchmark programs: timing, heap and working-set readings, and the rows
// of the side-by-side table every benchmark prints.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <utility>
#include <string>

namespace bench {

// Seconds that `work` takes, by the performance counter.
double Seconds(const std::function<void()>& work);

// The best of `batches` runs of `work`, in seconds: other processes share the machine, and the
// best run is the one they disturbed least.
double BestSeconds(int batches, const std::function<void()>& work);

// Two pieces of work that take turns, `pairs` times: a slow spell of a shared machine falls on
// both runs of a pair. Answers the seconds of each in the pair whose ratio (first / second) is
// the median.
std::pair<double, double> MedianPairSeconds(int pairs, const std::function<void()>& first,
                                            const std::function<void()>& second);

// Bytes in use in all of the process's heaps (the C++ allocator's and the system controls'
// included), by walking them: Wine leaves the private-bytes counter at 0.
size_t HeapBytesInUse();

// The process's working set in bytes.
size_t WorkingSet();

// One line of the table: a name, then columns of already formatted figures.
void Heading(const std::string& title, const std::string& columns);
void Row(const std::string& name, const std::string& figures);

// "12.3 ms", "45.6 us", "0.123 s": a duration with a unit that keeps three figures or more.
std::string Time(double seconds);
// "3.21x"; "-" when either side is missing (negative).
std::string Ratio(double numerator, double denominator);
// "ok" or "MISSED" against a goal, with the goal written out: "<= 1.5x: ok".
std::string Goal(const std::string& goal, bool met);

} // namespace bench
