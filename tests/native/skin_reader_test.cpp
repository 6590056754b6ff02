// TSkinReader on stores built with the tools of skins/tools, well-formed and damaged.
#include "skin/data/skin_reader.h"

#include "sample_skin.h"
#include "skin_archive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <string>

using skin::TSkinReader;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

void Put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Layer 3 written field by field, for archives the builder would not make.
Bytes RawArchive(std::int32_t version, std::int32_t nameLength, const std::string& names,
                 const std::vector<std::int32_t>& sizes, const Bytes& data) {
    Bytes a;
    Put32(a, static_cast<std::uint32_t>(version));
    Put32(a, static_cast<std::uint32_t>(nameLength));
    Put32(a, 4839577);
    Put32(a, 4839585);
    a.insert(a.end(), names.begin(), names.end());
    for (auto s : sizes) Put32(a, static_cast<std::uint32_t>(s));
    a.insert(a.end(), data.begin(), data.end());
    return a;
}

Bytes Store(const Bytes& archive) { return skinpack::PackStore(archive); }

// Captures the version-check message box.
struct MessageCapture {
    std::vector<std::string> messages;
    MessageCapture() {
        skin::SetSkinMessageHandler([this](const std::string& t) { messages.push_back(t); });
    }
    ~MessageCapture() { skin::SetSkinMessageHandler(nullptr); }
};

const Bytes& SampleStore() {
    static const Bytes store = Store(skinpack::BuildArchive(skinpack::SampleSkinEntries()));
    return store;
}

} // namespace

TEST(SkinReader, OpensTheSampleSkinStore) {
    auto entries = skinpack::SampleSkinEntries();
    Bytes archive = skinpack::BuildArchive(entries);
    Bytes store = Store(archive);
    Bytes value = skinpack::StreamValue(store);

    // Layer 1: its first word is the store's length; layer 2: its first word is U.
    std::int32_t n, u;
    std::memcpy(&n, value.data(), 4);
    std::memcpy(&u, store.data(), 4);
    EXPECT_EQ(static_cast<std::size_t>(n), store.size());
    EXPECT_EQ(value.size(), store.size() + 4);
    EXPECT_EQ(static_cast<std::size_t>(u), archive.size());

    MessageCapture capture;
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(store));
    EXPECT_TRUE(capture.messages.empty());
    EXPECT_EQ(reader.Header.Version, 20000);
    EXPECT_EQ(reader.EntryCount, 41); // 40 bitmaps and the description
    std::size_t nameLength = 0;
    for (auto& e : entries) nameLength += e.name.size() + 2;
    EXPECT_EQ(reader.Header.NameListLength, static_cast<std::int32_t>(nameLength));
    std::int64_t total = std::accumulate(reader.EntrySizes.begin(), reader.EntrySizes.begin() + 41, std::int64_t(0));
    EXPECT_EQ(static_cast<std::size_t>(total), archive.size() - 16 - nameLength - 4 * 41);
    EXPECT_EQ(reader.EntryData.size(), static_cast<std::size_t>(total));
    EXPECT_EQ(reader.UnpackedSize, u);
    for (int k = 0; k < 41; ++k) {
        EXPECT_EQ(reader.EntryNames[k], entries[k].name);
        EXPECT_TRUE(reader.EntryBytes(k).size() == entries[k].bytes.size());
        Bytes got;
        EXPECT_TRUE(reader.FindEntry(entries[k].name, got));
        EXPECT_TRUE(got == entries[k].bytes) << entries[k].name;
    }
}

TEST(SkinReader, NamesAreLowerCasedAndLookupsLowerCaseTheName) {
    skinpack::ArchiveOptions keepCase;
    keepCase.lowerCaseNames = false;
    Bytes archive = skinpack::BuildArchive({{"FrameTop.bmp", Text("top")}, {"Skin.INI", Text("[a]")}}, keepCase);
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    EXPECT_EQ(reader.EntryNames[0], "frametop.bmp");
    EXPECT_EQ(reader.EntryNames[1], "skin.ini");
    Bytes got;
    EXPECT_TRUE(reader.FindEntry("FrameTop.bmp", got));
    EXPECT_EQ(got, Text("top"));
    EXPECT_TRUE(reader.FindEntry("FRAMETOP.BMP", got));
    EXPECT_EQ(got, Text("top"));

    // The fragment is not lower-cased: ".INI" finds nothing and leaves the name unchanged.
    std::string full = "unchanged";
    got = Text("old");
    EXPECT_FALSE(reader.FindEntryContaining(".INI", got, full));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(full, "unchanged");
    EXPECT_TRUE(reader.FindEntryContaining(".ini", got, full));
    EXPECT_EQ(full, "skin.ini");
    EXPECT_EQ(got, Text("[a]"));
}

TEST(SkinReader, MissingNameLeavesTheDestinationEmpty) {
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(SampleStore()));
    Bytes got = Text("old bytes");
    EXPECT_FALSE(reader.FindEntry("nosuch.bmp", got));
    EXPECT_TRUE(got.empty());
    EXPECT_FALSE(reader.FindEntry("", got));
}

TEST(SkinReader, FirstOfTwoEqualNamesWins) {
    Bytes archive = skinpack::BuildArchive(
        {{"a.bmp", Text("first")}, {"b.ini", Text("x")}, {"A.BMP", Text("second")}});
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    Bytes got;
    ASSERT_TRUE(reader.FindEntry("a.bmp", got));
    EXPECT_EQ(got, Text("first"));
    std::string full;
    ASSERT_TRUE(reader.FindEntryContaining("bmp", got, full));
    EXPECT_EQ(got, Text("first"));
    EXPECT_EQ(full, "a.bmp");
}

TEST(SkinReader, EntryOfSizeZeroIsEmpty) {
    Bytes archive = skinpack::BuildArchive({{"empty.bmp", {}}, {"after.ini", Text("[s]")}});
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    Bytes got = Text("x");
    EXPECT_TRUE(reader.FindEntry("empty.bmp", got));
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(reader.FindEntry("after.ini", got));
    EXPECT_EQ(got, Text("[s]"));
}

TEST(SkinReader, NameListLineBreaks) {
    // CR, LF and CR LF each end a line; a final break adds no entry; an empty line is an entry.
    std::string names = "a\rb\nc\r\n\r\nd";
    Bytes archive = RawArchive(20000, static_cast<std::int32_t>(names.size()), names, {1, 1, 1, 1, 1},
                               Text("12345"));
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    ASSERT_EQ(reader.EntryCount, 5);
    EXPECT_EQ(reader.EntryNames, (std::vector<std::string>{"a", "b", "c", "", "d"}));
    Bytes got;
    reader.FindEntry("d", got);
    EXPECT_EQ(got, Text("5"));
}

TEST(SkinReader, EmptyArchiveHasNoEntries) {
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(RawArchive(20000, 0, "", {}, {}))));
    EXPECT_EQ(reader.EntryCount, 0);
    Bytes got;
    std::string full = "x";
    EXPECT_FALSE(reader.FindEntryContaining(".ini", got, full));
}

TEST(SkinReader, WrongVersionIsRefusedWithTheMessage) {
    for (std::int32_t version : {19999, 20001, 0, -20000}) {
        MessageCapture capture;
        Bytes archive = RawArchive(version, 7, "a.ini\r\n", {3}, Text("abc"));
        TSkinReader reader;
        EXPECT_FALSE(reader.Open(Store(archive))) << version;
        ASSERT_EQ(capture.messages.size(), 1u) << version;
        EXPECT_EQ(capture.messages[0], "This is Older Skin File\rPlease update to new version !");
        EXPECT_EQ(reader.EntryCount, 0);
        EXPECT_TRUE(reader.EntryData.empty());
        Bytes got;
        EXPECT_FALSE(reader.FindEntry("a.ini", got));
    }
}

TEST(SkinReader, DefaultMessageHandlerDoesNothing) {
    skin::SetSkinMessageHandler(nullptr);
    TSkinReader reader;
    EXPECT_FALSE(reader.Open(Store(RawArchive(1, 0, "", {}, {}))));
}

TEST(SkinReader, ReopeningReplacesEverything) {
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(SampleStore()));
    EXPECT_FALSE(reader.Open(Store(RawArchive(20001, 0, "", {}, {}))));
    EXPECT_EQ(reader.EntryCount, 0);
    EXPECT_TRUE(reader.EntryNames.empty());
}

TEST(SkinReader, At1001EntriesOpensAbove1001IsRefusedLikeAWrongVersion) {
    for (int count : {1001, 1002, 5000}) {
        std::vector<skinpack::Entry> entries;
        for (int i = 0; i < count; ++i) entries.push_back({"e" + std::to_string(i) + ".bmp", Text("x")});
        MessageCapture capture;
        TSkinReader reader;
        bool opened = reader.Open(Store(skinpack::BuildArchive(entries)));
        if (count <= 1001) {
            EXPECT_TRUE(opened);
            EXPECT_EQ(reader.EntryCount, count);
            Bytes got;
            EXPECT_TRUE(reader.FindEntry("e1000.bmp", got));
            EXPECT_EQ(got, Text("x"));
            EXPECT_TRUE(capture.messages.empty());
        } else {
            EXPECT_FALSE(opened) << count;
            EXPECT_EQ(capture.messages.size(), 1u);
            EXPECT_EQ(reader.EntryCount, 0);
        }
    }
}

// ---- damaged stores: never a crash, never a read outside the data ----

TEST(SkinReaderDamaged, TooShortStores) {
    TSkinReader reader;
    EXPECT_FALSE(reader.Open(Bytes{}));
    EXPECT_FALSE(reader.Open(Bytes{1, 2, 3}));
    EXPECT_FALSE(reader.Open(Bytes{0, 0, 0, 0}));
}

TEST(SkinReaderDamaged, NegativeZeroSmallAndHugeUnpackedLengths) {
    Bytes archive = skinpack::BuildArchive({{"a.ini", Text("[x]")}});
    MessageCapture capture;
    for (std::int32_t u : {-1, -2147483647 - 1, 0, 15, 2147483647, 64 << 20 | 1}) {
        TSkinReader reader;
        EXPECT_FALSE(reader.Open(skinpack::PackStoreWithLength(u, archive))) << u;
    }
    // More than 48 bytes per byte of code cannot come from an encoder.
    Bytes store = skinpack::PackStoreWithLength(16, archive);
    std::int32_t tooMuch = static_cast<std::int32_t>(48 * (store.size() - 4) + 1);
    std::memcpy(store.data(), &tooMuch, 4);
    TSkinReader reader;
    EXPECT_FALSE(reader.Open(store));
    EXPECT_TRUE(capture.messages.empty()); // damage is not an old version
}

TEST(SkinReaderDamaged, TheDensestRealStreamIsWithinTheBound) {
    // Runs of one byte compress best: a 1-bit match symbol and a 9-bit position per 60 bytes.
    Bytes archive = skinpack::BuildArchive({{"a.bmp", Bytes(2000000, 0x55)}, {"b.ini", Text("[b]")}});
    Bytes store = skinpack::PackStore(archive);
    EXPECT_LT(archive.size(), 48 * (store.size() - 4));
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(store));
    Bytes got;
    EXPECT_TRUE(reader.FindEntry("a.bmp", got));
    EXPECT_EQ(got.size(), 2000000u);
}

TEST(SkinReaderDamaged, UnpackedLengthShorterThanTheArchive) {
    // U covers the header and the names but not all sizes: refused.
    Bytes archive = skinpack::BuildArchive({{"a.bmp", Text("aaaa")}, {"b.ini", Text("[b]")}});
    TSkinReader reader;
    EXPECT_FALSE(reader.Open(skinpack::PackStoreWithLength(16 + 14 + 2, archive)));
    // U cuts into the entry data: the entries that fit are served, the cut one is empty.
    Bytes store = skinpack::PackStoreWithLength(static_cast<std::int32_t>(archive.size() - 2), archive);
    ASSERT_TRUE(reader.Open(store));
    Bytes got;
    EXPECT_TRUE(reader.FindEntry("a.bmp", got));
    EXPECT_EQ(got, Text("aaaa"));
}

TEST(SkinReaderDamaged, NameListLengthNegativeOrPastTheArchive) {
    MessageCapture capture;
    for (std::int32_t l : {-1, -2147483647 - 1, 1000, 2147483647}) {
        TSkinReader reader;
        EXPECT_FALSE(reader.Open(Store(RawArchive(20000, l, "a.ini\r\n", {3}, Text("abc"))))) << l;
    }
    EXPECT_TRUE(capture.messages.empty());
}

TEST(SkinReaderDamaged, SizeTableRunsPastTheArchive) {
    // Three names, but only one size and no data.
    std::string names = "a\r\nb\r\nc\r\n";
    TSkinReader reader;
    EXPECT_FALSE(reader.Open(Store(RawArchive(20000, static_cast<std::int32_t>(names.size()), names, {1}, {}))));
}

TEST(SkinReaderDamaged, SizesThatAddUpPastTheData) {
    std::string names = "a\r\nb\r\nc\r\n";
    Bytes archive = RawArchive(20000, static_cast<std::int32_t>(names.size()), names,
                               {2, 2147483647, 1}, Text("xyz"));
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    Bytes got;
    EXPECT_TRUE(reader.FindEntry("a", got));
    EXPECT_EQ(got, Text("xy"));
    EXPECT_TRUE(reader.FindEntry("b", got)); // the entry exists, its bytes are not there
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(reader.FindEntry("c", got)); // its offset lies past the data
    EXPECT_TRUE(got.empty());
}

TEST(SkinReaderDamaged, NegativeSizes) {
    std::string names = "a\r\nb\r\nc\r\n";
    Bytes archive = RawArchive(20000, static_cast<std::int32_t>(names.size()), names, {3, -2, 1},
                               Text("abcdef"));
    TSkinReader reader;
    ASSERT_TRUE(reader.Open(Store(archive)));
    Bytes got;
    EXPECT_TRUE(reader.FindEntry("a", got));
    EXPECT_EQ(got, Text("abc"));
    EXPECT_TRUE(reader.FindEntry("b", got));
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(reader.FindEntry("c", got)); // no trustworthy offset after a negative size
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(reader.EntryOffset(2), -1);
    std::string full;
    EXPECT_TRUE(reader.FindEntryContaining("c", got, full));
    EXPECT_TRUE(got.empty());
    EXPECT_EQ(full, "c");
}

TEST(SkinReaderDamaged, TruncatedStoresDecodeOnZeroBitsAndStaySafe) {
    const Bytes& store = SampleStore();
    for (std::size_t keep : {std::size_t(5), std::size_t(20), store.size() / 10, store.size() / 2,
                             store.size() - 1}) {
        Bytes cut(store.begin(), store.begin() + static_cast<std::ptrdiff_t>(keep));
        TSkinReader reader;
        bool opened = reader.Open(cut);
        if (opened) {
            Bytes got;
            for (int k = 0; k < reader.EntryCount; ++k) reader.FindEntry(reader.EntryNames[k], got);
        }
    }
}

TEST(SkinReaderDamaged, FlippedBitsStaySafe) {
    const Bytes& store = SampleStore();
    for (std::size_t at = 4; at < store.size(); at += store.size() / 37 + 1) {
        Bytes bad = store;
        bad[at] ^= 0x5A;
        skin::SetSkinMessageHandler(nullptr);
        TSkinReader reader;
        if (reader.Open(bad)) {
            Bytes got;
            std::string full;
            reader.FindEntryContaining(".ini", got, full);
            for (int k = 0; k < reader.EntryCount; ++k) reader.EntryBytes(k);
        }
    }
}
