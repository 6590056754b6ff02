// The check a skin file passes before the program hands it to the skin data component, and the
// command-line skin options.
#include "app/skin_file_check.h"

#include "skin/data/skin_reader.h"

#include "sample_skin.h"
#include "skin_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

using app::CheckSkinStore;
using app::SkinFileFault;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

const std::vector<skinpack::Entry>& Entries() {
    static const auto entries = skinpack::SampleSkinEntries();
    return entries;
}

const Bytes& GoodStore() {
    static const Bytes store = skinpack::PackStore(skinpack::BuildArchive(Entries()));
    return store;
}

Bytes StoreOf(const std::vector<skinpack::Entry>& entries, skinpack::ArchiveOptions options = {}) {
    return skinpack::PackStore(skinpack::BuildArchive(entries, options));
}

SkinFileFault FaultOf(const Bytes& b) {
    return CheckSkinStore(b).Fault;
}

// The version check of the reader must never speak during a check: the program names the file
// in a message of its own.
struct SilentReader {
    int shown = 0;
    SilentReader() {
        skin::SetSkinMessageHandler([this](const std::string&) { ++shown; });
    }
    ~SilentReader() { skin::SetSkinMessageHandler(nullptr); }
};

} // namespace

TEST(SkinFileCheck, AWholeSkinPasses) {
    auto check = CheckSkinStore(GoodStore());
    EXPECT_TRUE(check.Ok()) << check.Detail;
    EXPECT_EQ(check.Detail, "");
}

TEST(SkinFileCheck, FilesOfOtherBytesAreNoSkin) {
    EXPECT_EQ(FaultOf({}), SkinFileFault::NotASkin);
    EXPECT_EQ(FaultOf({1, 2, 3}), SkinFileFault::NotASkin);
    // A description on its own, a bitmap, a length too small for the header.
    EXPECT_EQ(FaultOf(Text(skinpack::SampleSkinIni())), SkinFileFault::NotASkin);
    const auto bmp = std::find_if(Entries().begin(), Entries().end(),
                                  [](const auto& e) { return e.name == "buttons.bmp"; });
    ASSERT_NE(bmp, Entries().end());
    EXPECT_EQ(FaultOf(bmp->bytes), SkinFileFault::NotASkin);
    EXPECT_EQ(FaultOf({15, 0, 0, 0, 0xFF, 0xFF}), SkinFileFault::NotASkin);
    // An archive with no description, and one whose description has nothing in it.
    std::vector<skinpack::Entry> noIni;
    for (const auto& e : Entries())
        if (e.name.find(".ini") == std::string::npos) noIni.push_back(e);
    EXPECT_EQ(FaultOf(StoreOf(noIni)), SkinFileFault::NotASkin);
    auto emptyIni = noIni;
    emptyIni.push_back({"empty.ini", Text("; nothing\r\n")});
    const auto check = CheckSkinStore(StoreOf(emptyIni));
    EXPECT_EQ(check.Fault, SkinFileFault::NotASkin);
    EXPECT_NE(check.Detail.find("empty.ini"), std::string::npos) << check.Detail;
}

TEST(SkinFileCheck, OtherVersionsGiveTheReadersMessageWithoutShowingIt) {
    SilentReader reader;
    for (int version : {19999, 20001, 10000}) {
        skinpack::ArchiveOptions options;
        options.version = version;
        const auto check = CheckSkinStore(StoreOf(Entries(), options));
        EXPECT_EQ(check.Fault, SkinFileFault::WrongVersion) << version;
        EXPECT_EQ(check.Detail, skin::kOlderSkinMessage);
    }
    EXPECT_EQ(reader.shown, 0);
}

TEST(SkinFileCheck, EveryCutOfTheFileIsRefused) {
    const Bytes& good = GoodStore();
    // The last byte still carries bits of the code; cuts anywhere before it lose some.
    for (std::size_t keep : {good.size() - 1, good.size() - 2, good.size() * 9 / 10,
                             good.size() / 2, good.size() / 50, std::size_t{40}, std::size_t{8}}) {
        Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep));
        const auto fault = FaultOf(cut);
        EXPECT_NE(fault, SkinFileFault::None) << keep;
        if (keep > good.size() / 10) {
            EXPECT_EQ(fault, SkinFileFault::Truncated) << keep;
        }
    }
    // Extra bytes after the code are never needed and change nothing.
    Bytes longer = good;
    longer.insert(longer.end(), 100, 0xAB);
    EXPECT_TRUE(CheckSkinStore(longer).Ok());
}

TEST(SkinFileCheck, ArchivesThatContradictThemselvesAreDamaged) {
    // Entry sizes that do not add up to the archive.
    Bytes archive = skinpack::BuildArchive(Entries());
    const std::int32_t nameLength = archive[4] | archive[5] << 8 | archive[6] << 16;
    const std::size_t firstSize = 16 + static_cast<std::size_t>(nameLength);
    Bytes grown = archive;
    grown[firstSize] += 1;
    EXPECT_EQ(FaultOf(skinpack::PackStore(grown)), SkinFileFault::Damaged);
    Bytes negative = archive;
    negative[firstSize + 3] = 0xFF;
    EXPECT_EQ(FaultOf(skinpack::PackStore(negative)), SkinFileFault::Damaged);
    // A stated length longer than the code gives.
    EXPECT_NE(FaultOf(skinpack::PackStoreWithLength(
                  static_cast<std::int32_t>(archive.size() + 5000), archive)),
              SkinFileFault::None);
    // A bitmap whose header is there but whose pixels are not.
    auto entries = Entries();
    auto& frame = *std::find_if(entries.begin(), entries.end(),
                                [](const auto& e) { return e.name == "frametop.bmp"; });
    frame.bytes.resize(60);
    const auto check = CheckSkinStore(StoreOf(entries));
    EXPECT_EQ(check.Fault, SkinFileFault::Damaged);
    EXPECT_NE(check.Detail.find("frametop.bmp"), std::string::npos) << check.Detail;
    // An image left empty is a part the skin leaves out, not damage.
    frame.bytes.clear();
    EXPECT_TRUE(CheckSkinStore(StoreOf(entries)).Ok());
}

TEST(SkinFileCheck, FlippedBytesBeforeTheEntriesAreRefused) {
    // The stated length, and the code of the header, the names and the sizes. (The format has
    // no checksum: a flip deep in the pixels, after which the code falls back in step, gives
    // other pixels and cannot be told.)
    const Bytes& good = GoodStore();
    for (std::size_t at : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{12},
                           std::size_t{30}, std::size_t{60}}) {
        Bytes bad = good;
        bad[at] ^= 0x5A;
        EXPECT_FALSE(CheckSkinStore(bad).Ok()) << at;
    }
}

TEST(SkinOptions, SkinAndNoSkinFromTheCommandLine) {
    using app::ParseSkinOptions;
    using app::SkinOptions;
    EXPECT_EQ(ParseSkinOptions({}).Skin, SkinOptions::Default);
    EXPECT_EQ(ParseSkinOptions({"other.css"}).Skin, SkinOptions::Default);
    auto file = ParseSkinOptions({"--skin", "D:\\a b\\x.skin"});
    EXPECT_EQ(file.Skin, SkinOptions::File);
    EXPECT_EQ(file.Path, "D:\\a b\\x.skin");
    EXPECT_EQ(ParseSkinOptions({"--no-skin"}).Skin, SkinOptions::None);
    // The last one given wins.
    EXPECT_EQ(ParseSkinOptions({"--no-skin", "--skin", "x.skin"}).Skin, SkinOptions::File);
    EXPECT_EQ(ParseSkinOptions({"--skin", "x.skin", "--no-skin"}).Skin, SkinOptions::None);
    // A missing path is an error and leaves the built-in skin.
    for (auto args : {std::vector<std::string>{"--skin"}, std::vector<std::string>{"--skin", ""},
                      std::vector<std::string>{"--skin", "--no-skin"}}) {
        auto o = ParseSkinOptions(args);
        EXPECT_FALSE(o.Error.empty());
        if (args.size() < 2 || args[1].empty()) {
            EXPECT_EQ(o.Skin, SkinOptions::Default);
        }
    }
}
