#pragma once
// The numbers that keep a later download from overwriting an earlier file of the same name.
// Never seeded: every program run draws the same sequence (0, 313, 8609, 2025, 2728 for
// 9999), so a run's prefixes are reproducible. Keep one instance per program run; not
// thread-safe (the download run draws on the main thread only).
#include <cstdint>
#include <string>

namespace download {

class CollisionRandom {
public:
    // A number from 0 to bound - 1 (0 for bound 0).
    uint32_t Next(uint32_t bound) {
        state_ = state_ * 134775813u + 1u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state_) * bound) >> 32);
    }

    // The prefix put before a colliding name: a number from 0 to 9998 and "_", e.g. "313_".
    std::string NextPrefix() { return std::to_string(Next(9999)) + "_"; }

private:
    uint32_t state_ = 0;
};

} // namespace download
