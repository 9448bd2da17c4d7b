// Wine's "light" visual style, made active for this process only, for the tests and benchmarks
// of the styled paths: uxtheme applies it (and writes it to the prefix's settings as the active
// style), then the setting goes back to what it was, so that no other program of the prefix
// starts themed. Callers that keep the system's answer about styles (the grid does) must forget
// it afterwards, as a window does on WM_THEMECHANGED.
#pragma once

#include <string>

namespace testsupport {

class TWineTheme {
public:
    TWineTheme();
    TWineTheme(const TWineTheme&) = delete;
    TWineTheme& operator=(const TWineTheme&) = delete;

    bool Active() const { return FWhy.empty(); }
    // Why the style could not be applied; empty when it was.
    const std::string& Why() const { return FWhy; }

private:
    std::string FWhy;
};

} // namespace testsupport
