// Scoped guards: state that a call sets for its own length goes back when the scope ends, however
// it ends, so no caller needs a try/catch that restores and rethrows.
#pragma once

#include <utility>

namespace ui {

// Assigns `onExit` to a variable when the scope ends (a lock flag, the operation in progress).
template <class T>
class TAssignOnExit {
public:
    TAssignOnExit(T& target, T onExit) : FTarget(target), FOnExit(std::move(onExit)) {}
    ~TAssignOnExit() { FTarget = std::move(FOnExit); }
    TAssignOnExit(const TAssignOnExit&) = delete;
    TAssignOnExit& operator=(const TAssignOnExit&) = delete;

private:
    T& FTarget;
    T FOnExit;
};

} // namespace ui
