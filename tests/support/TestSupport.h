// Helpers shared by the test programs: pumping real messages until something happens.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

// Pumps the thread's messages until `condition` holds or `timeoutMs` passes; returns whether the
// condition came true. Tests assert on the result so a hang becomes a clear failure. The limit is
// generous because a loaded machine may be slow to deliver; it costs nothing when the
// condition comes true, which is when the pumping stops.
bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 20000);

// Moves the pointer to (x, y) on the screen and pumps until the system keeps reporting it
// there: under Wine the X server takes the move in its own time, and until then GetCursorPos
// may still give the old place. Returns whether the pointer arrived; tests assert on it.
bool MoveCursorTo(int x, int y, unsigned timeoutMs = 20000);

// Pumps messages for the given time (for checking that something does NOT happen).
void PumpFor(unsigned milliseconds);

// An empty folder "callerid-<name>-<process id>" under the temporary folder (emptied when an
// earlier run with the same process id left it behind). Returns its path.
std::wstring FreshTempFolder(const std::wstring& name);

// Points %LOCALAPPDATA% of this process at a folder of its own under the temporary folder, made
// empty, so that the program's windows made in a test keep their log there and not in the
// prefix's real one. Returns that folder (the log's files go to "Caller ID Test\Logs" in it).
std::wstring UsePrivateLocalAppData(const std::wstring& name);

// Narrow text for test messages.
std::string Narrow(const std::wstring& text);

} // namespace testsupport
