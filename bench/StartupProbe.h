// What the start-up benchmark's two programs report: the time from their process's start to
// the end of their first complete paint, and their working set then.
#pragma once

namespace bench {

// Dispatches messages until none is left and no window of this thread waits to be painted,
// then writes "<milliseconds since the process started> <working set in bytes>" to the file
// named by the program's first argument.
void ReportFirstCompletePaint();

} // namespace bench
