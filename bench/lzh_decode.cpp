// LZH decoding throughput on a 600 KB skin archive: skin::TLZH against the
// straightforward bit-by-bit decoder of the same algorithm (bench/lzh_reference.h),
// measured in the same run, with byte-identical output checked. Also a random-data case
// (few matches, many tree rebuilds). Prints MB/s of decoded output and the ratio.
//
//   build/native/bench/bench_lzh_decode [repeats]
#include "skin/data/lzh.h"

#include "lzh_encoder.h"
#include "lzh_reference.h"
#include "sample_skin.h"
#include "skin_archive.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// Runs a and b alternately, `repeats` times each, and keeps the best time of each: both see
// the same machine conditions, so their ratio holds even on a busy machine.
template <typename A, typename B> void BestSeconds(int repeats, A a, B b, double& ta, double& tb) {
    ta = tb = 1e9;
    for (int i = 0; i < repeats; ++i) {
        auto t0 = Clock::now();
        a();
        auto t1 = Clock::now();
        b();
        auto t2 = Clock::now();
        ta = std::min(ta, std::chrono::duration<double>(t1 - t0).count());
        tb = std::min(tb, std::chrono::duration<double>(t2 - t1).count());
    }
}

bool Run(const char* label, const Bytes& text, int repeats) {
    Bytes code = skinpack::LzhEncode(text);
    const auto n = static_cast<std::int32_t>(text.size());
    Bytes fast, slow;
    double tFast, tSlow;
    BestSeconds(
        repeats,
        [&] {
            fast.clear();
            skin::TLZH lzh;
            lzh.Unpack(n, code, fast);
        },
        [&] { slow = lzh_reference::Unpack(n, code.data(), code.size()); }, tFast, tSlow);
    bool same = fast == slow && fast == text;
    double mb = text.size() / 1e6;
    std::printf("%-22s %8zu -> %7zu bytes  TLZH %7.1f MB/s  baseline %7.1f MB/s  ratio %.2fx  %s\n", label,
                text.size(), code.size(), mb / tFast, mb / tSlow, tSlow / tFast,
                same ? "identical" : "OUTPUT DIFFERS");
    return same;
}

} // namespace

int main(int argc, char** argv) {
    int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    Bytes archive = skinpack::BuildArchive(skinpack::SampleSkinEntries(600 * 1024));
    std::mt19937 rng(1);
    Bytes random(600 * 1024);
    for (auto& b : random) b = static_cast<std::uint8_t>(rng());
    std::printf("LZH decode, best of %d alternating runs each\n", repeats);
    bool ok = Run("skin archive (600 KB)", archive, repeats);
    ok = Run("random bytes (600 KB)", random, repeats) && ok;
    return ok ? 0 : 1;
}
