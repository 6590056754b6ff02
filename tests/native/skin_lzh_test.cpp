// the LZH decoder TLZH, against the encoder of skins/tools and the straightforward
// decoder kept in bench/ as the baseline.
#include "skin/data/lzh.h"

#include "../../bench/lzh_reference.h"
#include "lzh_encoder.h"
#include "sample_skin.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

using skin::TLZH;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Decode(std::int32_t n, const Bytes& code, std::size_t* used = nullptr, TLZH* with = nullptr) {
    TLZH own;
    TLZH& lzh = with ? *with : own;
    Bytes out;
    std::size_t u = lzh.Unpack(n, code, out);
    if (used) *used = u;
    return out;
}

Bytes Reference(std::int32_t n, const Bytes& code, unsigned* rebuilds = nullptr) {
    return lzh_reference::Unpack(n, code.data(), code.size(), rebuilds);
}

Bytes RandomBytes(std::size_t n, unsigned seed, int alphabet = 256) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<std::uint8_t>(rng() % alphabet);
    return b;
}

// Text with repeats of every length and distance, like the entries of a skin.
Bytes Repetitive(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes b;
    while (b.size() < n) {
        if (b.size() > 10 && rng() % 3) {
            std::size_t dist = 1 + rng() % std::min<std::size_t>(b.size(), 4100);
            std::size_t len = 1 + rng() % 80;
            std::size_t from = b.size() - dist;
            for (std::size_t k = 0; k < len && b.size() < n; ++k) b.push_back(b[from + k]);
        } else {
            b.push_back(static_cast<std::uint8_t>(rng() % 256));
        }
    }
    return b;
}

Bytes SampleArchive() {
    static const Bytes archive = [] {
        auto entries = skinpack::SampleSkinEntries(600 * 1024);
        Bytes a;
        for (auto& e : entries) a.insert(a.end(), e.bytes.begin(), e.bytes.end());
        return a;
    }();
    return archive;
}

void ExpectRoundTrip(const Bytes& text) {
    Bytes code = skinpack::LzhEncode(text);
    std::size_t used = 0;
    Bytes out = Decode(static_cast<std::int32_t>(text.size()), code, &used);
    ASSERT_EQ(out.size(), text.size());
    EXPECT_TRUE(out == text);
    EXPECT_EQ(used, code.size()); // the decoder uses every byte of the encoder's stream
    EXPECT_TRUE(Reference(static_cast<std::int32_t>(text.size()), code) == text);
}

} // namespace

TEST(Lzh, Constants) {
    EXPECT_EQ(skin::lzh::kSymbols, 314);
    EXPECT_EQ(skin::lzh::kTableSize, 627);
    EXPECT_EQ(skin::lzh::kRoot, 626);
    EXPECT_EQ(skin::lzh::kRingStart, 4036);
    EXPECT_EQ(skin::lzh::kRingBufferSize, 4155);
}

TEST(Lzh, PositionTablesOfThePublishedAlgorithm) {
    using skin::lzh::PositionHigh;
    using skin::lzh::PositionLength;
    EXPECT_EQ(PositionHigh(0), 0);
    EXPECT_EQ(PositionHigh(31), 0);
    EXPECT_EQ(PositionLength(31), 3);
    EXPECT_EQ(PositionHigh(32), 1);
    EXPECT_EQ(PositionHigh(79), 3);
    EXPECT_EQ(PositionLength(79), 4);
    EXPECT_EQ(PositionHigh(80), 4);
    EXPECT_EQ(PositionHigh(143), 11);
    EXPECT_EQ(PositionLength(143), 5);
    EXPECT_EQ(PositionHigh(144), 12);
    EXPECT_EQ(PositionHigh(191), 23);
    EXPECT_EQ(PositionLength(191), 6);
    EXPECT_EQ(PositionHigh(192), 24);
    EXPECT_EQ(PositionHigh(239), 47);
    EXPECT_EQ(PositionLength(239), 7);
    EXPECT_EQ(PositionHigh(240), 48);
    EXPECT_EQ(PositionHigh(255), 63);
    EXPECT_EQ(PositionLength(255), 8);
    // Every upper value 0..63 is reachable, each from a run of codes.
    int seen[64] = {};
    for (int b = 0; b < 256; ++b) seen[PositionHigh(b)]++;
    for (int h = 0; h < 64; ++h) EXPECT_GT(seen[h], 0) << h;
}

TEST(Lzh, TextSizeZeroOrLessProducesNothing) {
    Bytes code = skinpack::LzhEncode(Bytes{1, 2, 3});
    for (std::int32_t n : {0, -1, -2147483647 - 1}) {
        Bytes out{9};
        TLZH lzh;
        EXPECT_EQ(lzh.Unpack(n, code, out), 0u);
        EXPECT_EQ(out, Bytes{9}) << n;
    }
}

TEST(Lzh, EmptyAndTinyTexts) {
    ExpectRoundTrip({});
    ExpectRoundTrip({'a'});
    ExpectRoundTrip({'a', 'b'});
    ExpectRoundTrip(Bytes(3, 'x'));
    ExpectRoundTrip(Bytes(61, ' ')); // a match into the ring's initial spaces
}

TEST(Lzh, OutputIsAppended) {
    Bytes text{'h', 'e', 'l', 'l', 'o'};
    Bytes code = skinpack::LzhEncode(text);
    Bytes out{'>'};
    TLZH lzh;
    lzh.Unpack(5, code, out);
    EXPECT_EQ(out, (Bytes{'>', 'h', 'e', 'l', 'l', 'o'}));
}

TEST(Lzh, RandomDataRoundTrips) {
    for (unsigned seed = 1; seed <= 6; ++seed) {
        ExpectRoundTrip(RandomBytes(1000 * seed * seed, seed));
        ExpectRoundTrip(RandomBytes(5000 * seed, seed + 100, 4)); // small alphabet: many matches
        ExpectRoundTrip(Repetitive(20000 * seed, seed + 200));
    }
}

TEST(Lzh, SkinArchiveRoundTrips) {
    Bytes archive = SampleArchive();
    ASSERT_GE(archive.size(), 600u * 1024 - 2000);
    ExpectRoundTrip(archive);
}

TEST(Lzh, RealFilesRoundTrip) {
    // Stylesheets, PNGs and licence texts from the shared fixtures (beside the repository, as
    // CI lays it out), and this test's own source; the fixtures are skipped when absent.
    namespace fs = std::filesystem;
    std::vector<fs::path> files{fs::path(CORVANE_SOURCE_DIR) / "tests/native/skin_lzh_test.cpp"};
    fs::path fixtures = fs::path(CORVANE_SOURCE_DIR).parent_path() / "shared" / "fixtures";
    std::error_code ec;
    if (fs::is_directory(fixtures, ec))
        for (const auto& e : fs::recursive_directory_iterator(fixtures, ec))
            if (e.is_regular_file()) files.push_back(e.path());
    for (const auto& path : files) {
        std::ifstream f(path, std::ios::binary);
        Bytes text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        SCOPED_TRACE(path.string());
        ExpectRoundTrip(text);
    }
}

TEST(Lzh, DecoderStateSurvivesTreeRebuilds) {
    // The root starts at 314 and grows by one per symbol: 32,454 symbols reach 0x8000.
    // Random bytes are mostly literals, so 200,000 of them rebuild the tree several times;
    // both decoders must agree byte for byte after every rebuild.
    Bytes text = RandomBytes(200000, 42);
    Bytes code = skinpack::LzhEncode(text);
    TLZH lzh;
    Bytes out = Decode(static_cast<std::int32_t>(text.size()), code, nullptr, &lzh);
    EXPECT_TRUE(out == text);
    EXPECT_GE(lzh.Rebuilds, 5u);
    unsigned refRebuilds = 0;
    EXPECT_TRUE(Reference(static_cast<std::int32_t>(text.size()), code, &refRebuilds) == text);
    EXPECT_EQ(refRebuilds, lzh.Rebuilds);
    EXPECT_GT(lzh.Symbols, 32454u * 5);
}

TEST(Lzh, ExactlyAtTheFirstRebuild) {
    // 32,454 literals bring the root to 0x8000; the 32,455th symbol rebuilds first.
    for (std::size_t n : {32453u, 32454u, 32455u, 32456u}) {
        Bytes text = RandomBytes(n, 7);
        Bytes code = skinpack::LzhEncode(text);
        TLZH lzh;
        Bytes out = Decode(static_cast<std::int32_t>(n), code, nullptr, &lzh);
        ASSERT_TRUE(out == text) << n;
        unsigned refRebuilds = 0;
        Reference(static_cast<std::int32_t>(n), code, &refRebuilds);
        EXPECT_EQ(lzh.Rebuilds, refRebuilds) << n;
        EXPECT_EQ(lzh.Rebuilds, lzh.Symbols > 32454 ? 1u : 0u) << n;
    }
}

TEST(Lzh, InputEndingEarlyDecodesOnZeroBits) {
    Bytes text = Repetitive(30000, 3);
    Bytes code = skinpack::LzhEncode(text);
    for (std::size_t keep : {std::size_t(0), std::size_t(1), std::size_t(2), code.size() / 3,
                             code.size() - 1}) {
        Bytes cut(code.begin(), code.begin() + static_cast<std::ptrdiff_t>(keep));
        Bytes padded = cut;
        padded.resize(cut.size() + 40000, 0); // what "reads as 0" means
        std::size_t used = 0;
        Bytes out = Decode(static_cast<std::int32_t>(text.size()), cut, &used);
        EXPECT_GE(out.size(), text.size()) << keep;
        EXPECT_LE(out.size(), text.size() + 59) << keep;
        EXPECT_TRUE(out == Decode(static_cast<std::int32_t>(text.size()), padded)) << keep;
        EXPECT_TRUE(out == Reference(static_cast<std::int32_t>(text.size()), cut)) << keep;
        EXPECT_EQ(used, cut.size()) << keep;
        // What was there before the cut still decodes to the text's beginning.
        std::size_t same = 0;
        while (same < text.size() && out[same] == text[same]) ++same;
        if (keep > 100) {
            EXPECT_GT(same, keep) << keep;
        }
    }
}

TEST(Lzh, NoInputAtAllDecodesZeroBits) {
    Bytes out = Decode(1000, {});
    EXPECT_GE(out.size(), 1000u);
    EXPECT_TRUE(out == Reference(1000, {}));
}

TEST(Lzh, AMatchIsCopiedWhole) {
    // 100 equal bytes: a literal, then a long match. Asking for 10 bytes still copies the
    // whole first match; the count is tested only before each symbol.
    Bytes text(100, 'q');
    Bytes code = skinpack::LzhEncode(text);
    Bytes out = Decode(10, code);
    EXPECT_GT(out.size(), 10u);
    EXPECT_LE(out.size(), 10u + 59u);
    EXPECT_TRUE(out == Reference(10, code));
    for (auto b : out) EXPECT_EQ(b, 'q');
}

TEST(Lzh, ArbitraryBitsDecodeLikeTheBaseline) {
    // Any bit string is a valid stream: the optimised decoder and the baseline agree on it.
    for (unsigned seed = 0; seed < 40; ++seed) {
        Bytes junk = RandomBytes(50 + seed * 97, seed + 900);
        std::int32_t n = static_cast<std::int32_t>(1 + (seed * 7919) % 70000);
        ASSERT_TRUE(Decode(n, junk) == Reference(n, junk)) << seed;
    }
}

TEST(Lzh, ExceptionMessages) {
    skin::ElzhException e(skin::kLzhNoMemoryMessage);
    EXPECT_STREQ(e.what(), "LZH : Cannot get memory for dictionary tables");
    EXPECT_STREQ(skin::kLzhFreeErrorMessage, "LZH : Error freeing memory for dictionary tables");
    const std::runtime_error& base = e; // derives from the general exception class
    EXPECT_STREQ(base.what(), e.what());
}
