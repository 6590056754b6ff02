// A skin author's round trip with the project's own tools, as skins/README.md tells it: unpack
// a skin file with skindump, change a bitmap, pack the folder again with skinpack, and the
// program's reader finds the change and everything else as it was.
#include "skin/data/pixel_image.h"
#include "skin/data/skin_reader.h"

#include "skin_archive.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

int RunTool(const std::string& command) {
    return std::system((command + " > /dev/null 2>&1").c_str());
}

std::string Quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

Bytes Entry(const Bytes& store, const std::string& name) {
    skin::TSkinReader reader;
    EXPECT_TRUE(reader.Open(store));
    Bytes out;
    reader.FindEntry(name, out);
    return out;
}

TEST(SkinRoundTrip, UnpackChangeABitmapAndPackAgainWithTheProjectsTools) {
    const fs::path dir =
        fs::temp_directory_path() / ("skin_round_trip_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path original = dir / "Graphite.skin", unpacked = dir / "unpacked";
    const Bytes store = skinpack::DrawnSkinStore("Graphite");
    skinpack::WriteFileBytes(original, store);

    ASSERT_EQ(RunTool(std::string(CORVANE_SKINDUMP) + " --extract " + Quoted(unpacked) + " " +
                      Quoted(original)),
              0);
    ASSERT_TRUE(fs::exists(unpacked / "skin.ini"));
    ASSERT_TRUE(fs::exists(unpacked / "buttons.bmp"));

    // Packed again untouched, the folder gives the very same file.
    const fs::path same = dir / "same.skin";
    ASSERT_EQ(
        RunTool(std::string(CORVANE_SKINPACK) + " build " + Quoted(unpacked) + " " + Quoted(same)),
        0);
    EXPECT_TRUE(skinpack::ReadFileBytes(same) == store);

    // Paint the middle of the normal push button's frame pure orange.
    Bytes bmp = skinpack::ReadFileBytes(unpacked / "buttons.bmp");
    skin::TPixelImage image = skin::ReadBitmapFile(bmp);
    ASSERT_GT(image.Width(), 0);
    const int x = image.Width() / 5 / 2, y = image.Height() / 2;
    const skin::TColor before = image.Pixel(x, y), orange = 0x0080FF;
    ASSERT_NE(before, orange);
    const std::uint32_t offset = bmp[10] | bmp[11] << 8 | bmp[12] << 16 | bmp[13] << 24;
    const std::size_t stride = (static_cast<std::size_t>(image.Width()) * 3 + 3) & ~std::size_t(3);
    const std::size_t at = offset + (image.Height() - 1 - y) * stride + x * 3;
    bmp[at] = 0x00, bmp[at + 1] = 0x80, bmp[at + 2] = 0xFF; // blue, green, red
    skinpack::WriteFileBytes(unpacked / "buttons.bmp", bmp);

    const fs::path changed = dir / "changed.skin";
    ASSERT_EQ(RunTool(std::string(CORVANE_SKINPACK) + " build " + Quoted(unpacked) + " " +
                      Quoted(changed)),
              0);
    const Bytes next = skinpack::ReadFileBytes(changed);
    skin::TPixelImage after = skin::ReadBitmapFile(Entry(next, "buttons.bmp"));
    ASSERT_EQ(after.Width(), image.Width());
    EXPECT_EQ(after.Pixel(x, y), orange);
    EXPECT_EQ(after.Pixel(x + 1, y), image.Pixel(x + 1, y));
    for (const char* other : {"skin.ini", "frametop.bmp", "closebutton.bmp", "radio.bmp"})
        EXPECT_EQ(Entry(next, other), Entry(store, other)) << other;
    fs::remove_all(dir);
}

} // namespace
