// The program's icon: every size drawn, the file laid out as the resource compiler and
// LoadImage read it, transparent corners and an opaque tile, and the same bytes every run.
#include "skin/art/app_icon.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

using namespace skin::art;

namespace {

std::uint32_t Le(const std::vector<std::uint8_t>& b, size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = 0; i < bytes; ++i) v |= std::uint32_t(b[at + size_t(i)]) << (8 * i);
    return v;
}

} // namespace

TEST(AppIcon, PicturesHaveClearCornersAndAnOpaqueTile) {
    for (int size : kAppIconSizes) {
        SCOPED_TRACE(size);
        const IconPicture p = DrawAppIcon(size);
        ASSERT_EQ(p.size, size);
        ASSERT_EQ(p.rgba.size(), size_t(size) * size * 4);
        auto alpha = [&](int x, int y) { return p.rgba[(size_t(y) * size + x) * 4 + 3]; };
        EXPECT_EQ(alpha(0, 0), 0);
        EXPECT_EQ(alpha(size - 1, size - 1), 0);
        EXPECT_EQ(alpha(size / 2, size / 2), 255);
        // The tile's edge just inside the top is navy: blue well above red and green.
        const std::uint8_t* top = &p.rgba[(size_t(2) * size + size / 2) * 4];
        EXPECT_GT(top[2], top[0] + 20);
        // Clear pixels carry no colour.
        for (size_t i = 0; i < p.rgba.size(); i += 4) {
            if (p.rgba[i + 3] != 0) continue;
            ASSERT_EQ(p.rgba[i] | p.rgba[i + 1] | p.rgba[i + 2], 0) << i / 4;
        }
    }
    EXPECT_TRUE(DrawAppIcon(0).rgba.empty());
}

TEST(AppIcon, FileHoldsEverySizeWithItsMask) {
    const std::vector<std::uint8_t> file = AppIconFile();
    EXPECT_EQ(file, AppIconFile()) << "the same bytes every run";
    ASSERT_GE(file.size(), 6u);
    EXPECT_EQ(Le(file, 0, 2), 0u);
    EXPECT_EQ(Le(file, 2, 2), 1u);
    const size_t count = Le(file, 4, 2);
    ASSERT_EQ(count, std::size(kAppIconSizes));
    size_t next = 6 + 16 * count;
    for (size_t i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * i;
        const int n = kAppIconSizes[i];
        SCOPED_TRACE(n);
        EXPECT_EQ(file[e], n);
        EXPECT_EQ(file[e + 1], n);
        EXPECT_EQ(Le(file, e + 4, 2), 1u);
        EXPECT_EQ(Le(file, e + 6, 2), 32u);
        const size_t bytes = Le(file, e + 8, 4), offset = Le(file, e + 12, 4);
        EXPECT_EQ(offset, next);
        const size_t maskStride = size_t((n + 31) / 32) * 4;
        ASSERT_EQ(bytes, 40 + size_t(n) * n * 4 + maskStride * n);
        ASSERT_LE(offset + bytes, file.size());
        EXPECT_EQ(Le(file, offset, 4), 40u);
        EXPECT_EQ(Le(file, offset + 4, 4), std::uint32_t(n));
        EXPECT_EQ(Le(file, offset + 8, 4), std::uint32_t(2 * n));
        EXPECT_EQ(Le(file, offset + 14, 2), 32u);
        // Bottom row first; the mask is set exactly where alpha is 0.
        const IconPicture p = DrawAppIcon(n);
        const size_t colours = offset + 40, mask = colours + size_t(n) * n * 4;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                const std::uint8_t* want = &p.rgba[(size_t(y) * n + x) * 4];
                const size_t at = colours + (size_t(n - 1 - y) * n + x) * 4;
                ASSERT_EQ(file[at], want[2]);
                ASSERT_EQ(file[at + 2], want[0]);
                ASSERT_EQ(file[at + 3], want[3]);
                const bool bit =
                    file[mask + size_t(n - 1 - y) * maskStride + size_t(x / 8)] & (0x80 >> (x % 8));
                ASSERT_EQ(bit, want[3] == 0) << x << "," << y;
            }
        next = offset + bytes;
    }
    EXPECT_EQ(next, file.size());
}
