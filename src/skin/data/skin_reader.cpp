#include "skin/data/skin_reader.h"

#include "skin/data/lzh.h"

#include <mutex>
#include <utility>

namespace skin {

namespace {

std::mutex& HandlerMutex() {
    static std::mutex m;
    return m;
}
std::function<void(const std::string&)>& Handler() {
    static std::function<void(const std::string&)> h;
    return h;
}

std::int32_t ReadInt32(const std::uint8_t* p) {
    std::uint32_t v = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
                      std::uint32_t(p[3]) << 24;
    return static_cast<std::int32_t>(v);
}

// CR, LF and CR LF each end a line; a final line break adds no empty line.
std::vector<std::string> SplitNameList(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t start = i;
        while (i < text.size() && text[i] != '\r' && text[i] != '\n') ++i;
        lines.emplace_back(text.substr(start, i - start));
        if (i < text.size()) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            ++i;
        }
    }
    return lines;
}

} // namespace

void SetSkinMessageHandler(std::function<void(const std::string& text)> handler) {
    std::lock_guard<std::mutex> lock(HandlerMutex());
    Handler() = std::move(handler);
}

void ShowSkinMessage(const std::string& text) {
    std::function<void(const std::string&)> h;
    {
        std::lock_guard<std::mutex> lock(HandlerMutex());
        h = Handler();
    }
    if (h) h(text);
}

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
    return r;
}

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - ('a' - 'A'));
    return r;
}

TSkinReader::TSkinReader() = default;

void TSkinReader::Clear() {
    EntryNames.clear();
    EntryCount = 0;
    EntrySizes.fill(0);
    EntryData.clear();
    Header = {};
    UnpackedSize = 0;
}

bool TSkinReader::Open(std::span<const std::uint8_t> store) {
    Clear();
    if (store.size() < 4) return false;
    const std::int32_t u = ReadInt32(store.data());
    const std::span<const std::uint8_t> bits = store.subspan(4);
    // A damaged length: too small for the header, or more than the stream can hold.
    if (u < 16 || u > kMaxSkinArchiveSize ||
        static_cast<std::int64_t>(u) > kMaxBytesPerCompressedByte * std::int64_t(bits.size()))
        return false;

    std::vector<std::uint8_t> scratch;
    try {
        TLZH lzh;
        lzh.Unpack(u, bits, scratch);
    } catch (const std::exception&) {
        return false;
    }
    // The archive is the scratch stream to its end (a last match may pass U by a few bytes).
    const std::uint8_t* a = scratch.data();
    const std::size_t size = scratch.size();

    TSkinArchiveHeader header;
    header.Version = ReadInt32(a);
    header.NameListLength = ReadInt32(a + 4);
    header.Reserved1 = ReadInt32(a + 8);
    header.Reserved2 = ReadInt32(a + 12);
    if (header.Version != kSkinArchiveVersion) {
        ShowSkinMessage(kOlderSkinMessage);
        return false;
    }
    const std::int64_t nameLength = header.NameListLength;
    if (nameLength < 0 || 16 + nameLength > static_cast<std::int64_t>(size)) return false;

    std::string nameText(reinterpret_cast<const char*>(a + 16), static_cast<std::size_t>(nameLength));
    std::vector<std::string> names = SplitNameList(LowerAscii(nameText));
    if (names.size() > static_cast<std::size_t>(kMaxSkinEntries)) {
        ShowSkinMessage(kOlderSkinMessage);
        return false;
    }
    const std::int64_t count = static_cast<std::int64_t>(names.size());
    const std::int64_t dataStart = 16 + nameLength + 4 * count;
    if (dataStart > static_cast<std::int64_t>(size)) return false;

    Header = header;
    UnpackedSize = u;
    EntryNames = std::move(names);
    EntryCount = static_cast<std::int32_t>(count);
    for (std::int64_t k = 0; k < count; ++k)
        EntrySizes[static_cast<std::size_t>(k)] = ReadInt32(a + 16 + nameLength + 4 * k);
    EntryData.assign(scratch.begin() + dataStart, scratch.end());
    return true;
}

std::int64_t TSkinReader::EntryOffset(int index) const {
    if (index < 0 || index >= EntryCount) return -1;
    std::int64_t offset = 0;
    for (int k = 0; k < index; ++k) {
        if (EntrySizes[k] < 0) return -1;
        offset += EntrySizes[k];
    }
    return offset;
}

std::span<const std::uint8_t> TSkinReader::EntryBytes(int index) const {
    std::int64_t offset = EntryOffset(index);
    if (offset < 0) return {};
    std::int64_t size = EntrySizes[index];
    if (size < 0 || offset + size > static_cast<std::int64_t>(EntryData.size())) return {};
    return std::span<const std::uint8_t>(EntryData).subspan(static_cast<std::size_t>(offset),
                                                          static_cast<std::size_t>(size));
}

bool TSkinReader::FindEntry(std::string_view name, std::vector<std::uint8_t>& destination) const {
    destination.clear();
    const std::string key = LowerAscii(name);
    for (int k = 0; k < EntryCount; ++k) {
        if (EntryNames[k] == key) {
            auto bytes = EntryBytes(k);
            destination.assign(bytes.begin(), bytes.end());
            return true;
        }
    }
    return false;
}

bool TSkinReader::FindEntryContaining(std::string_view fragment,
                                      std::vector<std::uint8_t>& destination,
                                      std::string& fullName) const {
    destination.clear();
    for (int k = 0; k < EntryCount; ++k) {
        if (EntryNames[k].find(fragment) != std::string::npos) {
            auto bytes = EntryBytes(k);
            destination.assign(bytes.begin(), bytes.end());
            fullName = EntryNames[k];
            return true;
        }
    }
    return false;
}

} // namespace skin
