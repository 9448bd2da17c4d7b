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

// Sets a variable for the length of the scope and gives it back its earlier value afterwards.
template <class T>
class TScopedValue {
public:
    TScopedValue(T& target, T value) : FTarget(target), FOld(std::move(target)) { FTarget = std::move(value); }
    ~TScopedValue() { FTarget = std::move(FOld); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& FTarget;
    T FOld;
};

} // namespace ui
