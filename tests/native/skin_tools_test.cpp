// The skin tools of skins/tools: archive layout, folder reading, the three layers, and a
// store built from a folder opening in the program's reader.
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

#include "lzh_encoder.h"
#include "sample_skin.h"
#include "skin_archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::int32_t At(const Bytes& b, std::size_t i) {
    std::int32_t v;
    std::memcpy(&v, b.data() + i, 4);
    return v;
}

struct TempDir {
    fs::path path;
    TempDir() {
        std::random_device rd;
        path = fs::temp_directory_path() / ("corvane-skin-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

} // namespace

TEST(SkinTools, ArchiveLayout) {
    skinpack::ArchiveOptions options;
    options.reserved1 = 4839577;
    options.reserved2 = 4839585;
    Bytes a = skinpack::BuildArchive({{"A.bmp", Text("BMxy")}, {"s.ini", Text("[s]")}}, options);
    EXPECT_EQ(At(a, 0), 20000);
    EXPECT_EQ(At(a, 4), 14); // "a.bmp\r\ns.ini\r\n"
    EXPECT_EQ(At(a, 8), 4839577);
    EXPECT_EQ(At(a, 12), 4839585);
    EXPECT_EQ(std::string(a.begin() + 16, a.begin() + 30), "a.bmp\r\ns.ini\r\n");
    EXPECT_EQ(At(a, 30), 4);
    EXPECT_EQ(At(a, 34), 3);
    EXPECT_EQ(std::string(a.begin() + 38, a.end()), "BMxy[s]");
    EXPECT_THROW(skinpack::BuildArchive({{"bad\nname", {}}}), skinpack::SkinPackError);
}

TEST(SkinTools, ThreeLayers) {
    Bytes archive = skinpack::BuildArchive(skinpack::SampleSkinEntries());
    Bytes store = skinpack::PackStore(archive);
    Bytes value = skinpack::StreamValue(store);
    EXPECT_EQ(static_cast<std::size_t>(At(store, 0)), archive.size());
    EXPECT_EQ(static_cast<std::size_t>(At(value, 0)), store.size());
    EXPECT_TRUE(std::equal(store.begin(), store.end(), value.begin() + 4));
    EXPECT_LT(store.size(), archive.size() / 4); // skins compress well
    Bytes code(store.begin() + 4, store.end());
    EXPECT_TRUE(code == skinpack::LzhEncode(archive));
}

TEST(SkinTools, SampleSkinHasTheFortyNamedBitmapsAndOneDescription) {
    auto entries = skinpack::SampleSkinEntries();
    ASSERT_EQ(entries.size(), 41u);
    int inis = 0;
    for (auto& e : entries) {
        if (e.name.ends_with(".ini")) {
            ++inis;
            continue;
        }
        EXPECT_TRUE(e.name.ends_with(".bmp"));
        skin::TPixelImage im = skin::ReadBitmapFile(e.bytes);
        EXPECT_FALSE(im.Empty()) << e.name;
    }
    EXPECT_EQ(inis, 1);
    EXPECT_TRUE(skinpack::SampleSkinEntries() == entries); // deterministic
    // Grown to a size: at least the target.
    auto big = skinpack::SampleSkinEntries(600 * 1024);
    EXPECT_GE(skinpack::BuildArchive(big).size(), 600u * 1024);
}

TEST(SkinTools, FolderToStoreToReader) {
    TempDir dir;
    auto entries = skinpack::SampleSkinEntries();
    skinpack::WriteSkinFolder(entries, dir.path);
    // Files that are neither bitmaps nor descriptions are ignored; extensions in any case.
    skinpack::WriteFileBytes(dir.path / "notes.txt", Text("ignored"));
    fs::rename(dir.path / "menu.bmp", dir.path / "Menu.BMP");

    auto read = skinpack::ReadSkinFolder(dir.path);
    ASSERT_EQ(read.size(), 41u);
    Bytes store = skinpack::PackStore(skinpack::BuildArchive(read));
    skin::TSkinReader reader;
    ASSERT_TRUE(reader.Open(store));
    EXPECT_EQ(reader.EntryCount, 41);
    for (std::size_t k = 1; k < reader.EntryNames.size(); ++k)
        EXPECT_LT(reader.EntryNames[k - 1], reader.EntryNames[k]); // sorted by lower-cased name
    Bytes menu;
    ASSERT_TRUE(reader.FindEntry("menu.bmp", menu));
    EXPECT_FALSE(skin::ReadBitmapFile(menu).Empty());
    Bytes ini;
    std::string name;
    ASSERT_TRUE(reader.FindEntryContaining(".ini", ini, name));
    skin::TQuickIni q;
    q.Load(&ini);
    EXPECT_EQ(q.ReadString("TitlebarSkin", "SkinName", ""), "Corvane Sample");
}

TEST(SkinTools, FolderErrors) {
    TempDir none;
    EXPECT_THROW(skinpack::ReadSkinFolder(none.path / "missing"), skinpack::SkinPackError);
    skinpack::WriteFileBytes(none.path / "a.bmp", skin::WriteBitmapFile(skin::TPixelImage(1, 1)));
    EXPECT_THROW(skinpack::ReadSkinFolder(none.path), skinpack::SkinPackError); // no .ini
    skinpack::WriteFileBytes(none.path / "one.ini", Text("[a]"));
    EXPECT_EQ(skinpack::ReadSkinFolder(none.path).size(), 2u);
    skinpack::WriteFileBytes(none.path / "two.INI", Text("[b]"));
    EXPECT_THROW(skinpack::ReadSkinFolder(none.path), skinpack::SkinPackError); // two
    fs::remove(none.path / "two.INI");
    skinpack::WriteFileBytes(none.path / "fake.bmp", Text("not a bitmap"));
    EXPECT_THROW(skinpack::ReadSkinFolder(none.path), skinpack::SkinPackError);
}
