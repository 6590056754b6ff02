#pragma once
// The timing of the Windows benchmarks: the best per-call time of several runs.
#include <algorithm>
#include <chrono>
#include <functional>

// Best per-call time in microseconds over `runs` runs of `calls` calls.
inline double BestMicros(int runs, int calls, const std::function<void()>& f) {
    double best = 1e30;
    for (int r = 0; r < runs; ++r) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < calls; ++i) f();
        const double us =
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
                .count();
        best = std::min(best, us / calls);
    }
    return best;
}
