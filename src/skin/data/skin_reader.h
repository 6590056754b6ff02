#pragma once
// TSkinReader: splits an unpacked skin archive into named entries. Portable.
//
// A skin store is input: damaged or hostile stores give the "missing" results (Open returns
// false, an entry comes back empty) and never read or write out of bounds. See README.md.
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace skin {

// The message shown when an archive's version is not 20000 (a CR between the sentences).
inline constexpr const char* kOlderSkinMessage =
    "This is Older Skin File\rPlease update to new version !";

// The modal message box of the version check. The Win32 side installs a handler that shows
// `text` with an OK button; the default handler does nothing. Pass an empty function to go
// back to the default.
void SetSkinMessageHandler(std::function<void(const std::string& text)> handler);
// Shows `text` through the installed handler.
void ShowSkinMessage(const std::string& text);

inline constexpr std::int32_t kSkinArchiveVersion = 20000;
inline constexpr std::int32_t kMaxSkinEntries = 1001;
// Limits on the unpacked archive size U (layer 2). Every symbol of the LZH code takes at
// least 1 bit and yields at most 1 byte (a literal), or takes at least 1 + 9 bits (length and
// position) and yields at most 60 bytes (a match): at most 6 bytes per bit, 48 per byte. So a
// U above 48 times the compressed size cannot come from an encoder, and neither can one above
// 64 MiB (real skins unpack to about 600 KB): such a store is damaged or hostile.
inline constexpr std::int64_t kMaxSkinArchiveSize = 64ll << 20;
inline constexpr std::int64_t kMaxBytesPerCompressedByte = 48;

struct TSkinArchiveHeader {
    std::int32_t Version = 0;
    std::int32_t NameListLength = 0; // L
    std::int32_t Reserved1 = 0;
    std::int32_t Reserved2 = 0;
};

class TSkinReader {
public:
    TSkinReader();

    // Unpacks a skin store (layer 2: unpacked length U, then the LZH bits) and fills the
    // reader. False, with the older-skin message, when the archive's version is not 20000
    // or it has more than 1,001 entries; false without a message when the store is damaged
    // (shorter than 4 bytes, U below the 16-byte header, U beyond the limits above, a name list or a
    // size table that runs past the archive). Nothing of a refused store is kept.
    bool Open(std::span<const std::uint8_t> store);

    // Clears `destination`; takes the first entry whose name equals `name` lower-cased
    // (ASCII letters) and copies its bytes into `destination`. True when an entry of that
    // name exists, even when its bytes are empty or unusable.
    bool FindEntry(std::string_view name, std::vector<std::uint8_t>& destination) const;

    // Clears `destination`; takes the first entry whose name contains `fragment` as given
    // (not lower-cased: callers pass lower case), copies its bytes and sets `fullName`.
    // When nothing matches, `destination` stays empty and `fullName` unchanged.
    bool FindEntryContaining(std::string_view fragment, std::vector<std::uint8_t>& destination,
                             std::string& fullName) const;

    // The bytes of entry `index` (0-based), empty when the entry's size is negative or its
    // bytes do not lie wholly inside the entry data. Entries after one of negative size have
    // no trustworthy offset and are empty too.
    std::span<const std::uint8_t> EntryBytes(int index) const;
    // Offset of entry `index` in EntryData: the sum of the sizes before it; -1 when that sum
    // passes a negative size.
    std::int64_t EntryOffset(int index) const;

    // State as read; public like the other skin data.
    std::vector<std::string> EntryNames;                // lower-cased
    std::int32_t EntryCount = 0;
    std::array<std::int32_t, kMaxSkinEntries> EntrySizes{};
    std::vector<std::uint8_t> EntryData;                // archive bytes from 16 + L + 4c
    TSkinArchiveHeader Header;
    std::int32_t UnpackedSize = 0;                      // U, as read from the store

private:
    void Clear();
};

// Lower-cases ASCII letters; other bytes (code page 936 lead and trail bytes) stay.
std::string LowerAscii(std::string_view s);
std::string UpperAscii(std::string_view s);

} // namespace skin
