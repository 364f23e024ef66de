#pragma once
#include <atomic>

// A member that one thread writes while the other reads, where nothing else is
// published through it: every access is a relaxed atomic load or store.
template <typename T>
class Relaxed {
public:
    constexpr Relaxed(T initial = T()) noexcept : value(initial) {}
    Relaxed(const Relaxed& other) noexcept : value(other.load()) {}
    Relaxed& operator=(const Relaxed& other) noexcept { store(other.load()); return *this; }
    Relaxed& operator=(T v) noexcept { store(v); return *this; }
    operator T() const noexcept { return load(); }
    T load() const noexcept { return value.load(std::memory_order_relaxed); }
    void store(T v) noexcept { value.store(v, std::memory_order_relaxed); }

private:
    std::atomic<T> value;
};
