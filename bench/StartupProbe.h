// What the start-up benchmark's two programs report: the time from their process's start to
// the end of their first complete paint, their working set then, and when each step of the start
// ended, so that the bench can say where the time goes.
#pragma once

namespace bench {

// Notes that the step `name` of the start has just ended (the name must outlive the report).
void MarkStartupStep(const char* name);

// Dispatches messages until none is left and no window of this thread waits to be painted,
// then writes "<milliseconds since the process started> <working set in bytes>" to the file
// named by the program's first argument, followed by a line "<milliseconds> <step>" per step.
void ReportFirstCompletePaint();

} // namespace bench
