// Gradient fills: the cost of a fill with the 16-slot table cache hit (the repaint
// case), with the cache missing every time, and of the table alone; plus MixColors.
//
//   build/native/bench/bench_skin_gradient [repeats]
#include "skin/data/image_utils.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

using Clock = std::chrono::steady_clock;

template <typename F> double Best(int repeats, int inner, F f) {
    double best = 1e9;
    for (int r = 0; r < repeats; ++r) {
        auto t0 = Clock::now();
        for (int i = 0; i < inner; ++i) f(i);
        best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count() / inner);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    using skin::IntRect;
    skin::TPixelImage bar(400, 40);   // a title-bar-sized strip
    skin::TPixelImage page(800, 600); // a window-sized area
    skin::ClearGradientCache();

    double barHit = Best(repeats, 2000, [&](int) {
        skin::GradientFill(bar, IntRect{0, 0, 400, 40}, 0x805020, true, 0xF0E0D0);
    });
    double barMiss = Best(repeats, 2000, [&](int i) {
        // 17 different end colours in turn: every request misses the 16 slots.
        skin::GradientFill(bar, IntRect{0, 0, 400, 40}, 0x805020, true, 0xF0E0D0 - (i % 17));
    });
    double pageV = Best(repeats, 50, [&](int) {
        skin::GradientFill(page, IntRect{0, 0, 800, 600}, skin::SysColor(15), true, 0xFFFFFF);
    });
    double pageH = Best(repeats, 50, [&](int) {
        skin::GradientFill(page, IntRect{0, 0, 800, 600}, skin::SysColor(15), false, 0xFFFFFF);
    });
    double clipped = Best(repeats, 2000, [&](int) {
        skin::GradientFill(page, IntRect{0, 0, 800, 600}, 0, true, 0xFFFFFF, IntRect{100, 290, 300, 310});
    });
    double table = Best(repeats, 2000, [&](int i) { skin::ComputeGradientTable(600, 0, 0xFFFFFF - i % 3); });
    volatile int sink = 0;
    double mix = Best(repeats, 20000, [&](int i) { sink = sink + skin::MixColors(0x204080, 0xF0F0F0, i % 1000); });

    std::printf("gradient fills, best of %d\n", repeats);
    std::printf("  400x40 vertical, table cached:   %8.2f us  (%.0f Mpixel/s)\n", barHit * 1e6, 16000 / barHit / 1e6);
    std::printf("  400x40 vertical, table missed:   %8.2f us\n", barMiss * 1e6);
    std::printf("  800x600 vertical:                %8.2f us  (%.0f Mpixel/s)\n", pageV * 1e6, 480000 / pageV / 1e6);
    std::printf("  800x600 horizontal:              %8.2f us  (%.0f Mpixel/s)\n", pageH * 1e6, 480000 / pageH / 1e6);
    std::printf("  800x600 clipped to 200x20:       %8.2f us\n", clipped * 1e6);
    std::printf("  table of 600 entries (no cache): %8.2f us\n", table * 1e6);
    std::printf("  MixColors:                       %8.3f us\n", mix * 1e6);
    return 0;
}
