// Helpers shared by the test programs: pumping real messages until something happens.
#pragma once

#include <functional>
#include <string>

namespace testsupport {

// Pumps the thread's messages until `condition` holds or `timeoutMs` passes; returns whether the
// condition came true. Tests assert on the result so a hang becomes a clear failure.
bool PumpUntil(const std::function<bool()>& condition, unsigned timeoutMs = 5000);

// Pumps messages for the given time (for checking that something does NOT happen).
void PumpFor(unsigned milliseconds);

// Narrow text for test messages.
std::string Narrow(const std::wstring& text);

} // namespace testsupport
