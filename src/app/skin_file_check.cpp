#include "app/skin_file_check.h"

#include "skin/data/lzh.h"
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

#include <exception>

namespace app {

namespace {

std::int32_t Int32At(const std::uint8_t* p) {
    return static_cast<std::int32_t>(std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 |
                                     std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24);
}

SkinFileCheck Fault(SkinFileFault fault, std::string detail) {
    return {fault, std::move(detail)};
}

bool EndsWith(const std::string& s, std::string_view tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

} // namespace

SkinFileCheck CheckSkinStore(std::span<const std::uint8_t> store) {
    using skin::kMaxBytesPerCompressedByte;
    using skin::kMaxSkinArchiveSize;
    if (store.size() < 4) return Fault(SkinFileFault::NotASkin, "文件太短，不是皮肤文件。");
    const std::int32_t unpacked = Int32At(store.data());
    const std::span<const std::uint8_t> bits = store.subspan(4);
    if (unpacked < 16 || unpacked > kMaxSkinArchiveSize)
        return Fault(SkinFileFault::NotASkin, "文件开头不是皮肤存储的长度，不是皮肤文件。");
    if (unpacked > kMaxBytesPerCompressedByte * static_cast<std::int64_t>(bits.size()))
        return Fault(SkinFileFault::Truncated, "皮肤文件不完整：压缩数据太短，文件被截断了。");

    // The header alone first: a file of other bytes is told apart cheaply, before a decode of
    // up to the whole limit.
    std::vector<std::uint8_t> archive;
    try {
        skin::TLZH().Unpack(16, bits, archive);
    } catch (const std::exception&) {
        return Fault(SkinFileFault::Damaged, "皮肤文件无法解压。");
    }
    const std::int32_t version = Int32At(archive.data());
    const std::int32_t nameLength = Int32At(archive.data() + 4);
    const bool looksLikeArchive =
        version > 0 && version < 1000000 && nameLength >= 0 && nameLength <= unpacked - 16;
    if (!looksLikeArchive)
        return Fault(SkinFileFault::NotASkin, "文件内容不是皮肤存档，不是皮肤文件。");
    if (version != skin::kSkinArchiveVersion)
        return Fault(SkinFileFault::WrongVersion, skin::kOlderSkinMessage);

    // Bits past the end read as zeros: a store that needs any is cut short, whatever the
    // zeros happen to decode to.
    std::vector<std::uint8_t> padded(bits.begin(), bits.end());
    padded.resize(bits.size() + 16, 0);
    archive.clear();
    std::size_t used = 0;
    try {
        used = skin::TLZH().Unpack(unpacked, padded, archive);
    } catch (const std::exception&) {
        return Fault(SkinFileFault::Damaged, "皮肤文件无法解压。");
    }
    if (used > bits.size())
        return Fault(SkinFileFault::Truncated,
                     "皮肤文件不完整：压缩数据在存档结束之前就断了，文件被截断了。");

    skin::TSkinReader reader;
    if (!reader.Open(store))
        return Fault(SkinFileFault::Damaged, "皮肤文件已损坏：条目目录超出了存档。");
    const std::int64_t dataSize =
        std::int64_t(unpacked) - 16 - nameLength - 4 * std::int64_t(reader.EntryCount);
    std::int64_t total = 0;
    for (int k = 0; k < reader.EntryCount; ++k) {
        if (reader.EntrySizes[k] < 0)
            return Fault(SkinFileFault::Damaged,
                         "皮肤文件已损坏：条目“" + reader.EntryNames[k] + "”的大小是负数。");
        total += reader.EntrySizes[k];
    }
    if (total != dataSize)
        return Fault(SkinFileFault::Damaged, "皮肤文件已损坏：条目大小之和与存档长度不符。");

    std::vector<std::uint8_t> text;
    std::string iniName;
    if (!reader.FindEntryContaining(".ini", text, iniName))
        return Fault(SkinFileFault::NotASkin, "存档里没有皮肤描述（.ini），不是皮肤文件。");
    skin::TQuickIni ini;
    ini.Load(std::span<const std::uint8_t>(text));
    if (ini.ReadSections().empty())
        return Fault(SkinFileFault::NotASkin, "皮肤描述“" + iniName + "”是空的，不是皮肤文件。");
    // An empty image is a part the skin leaves out; one that is there must be readable.
    for (int k = 0; k < reader.EntryCount; ++k) {
        const std::string& name = reader.EntryNames[k];
        if (!EndsWith(name, ".bmp")) continue;
        const auto bytes = reader.EntryBytes(k);
        if (!bytes.empty() && skin::ReadBitmapFile(bytes).Width() == 0)
            return Fault(SkinFileFault::Damaged, "皮肤文件已损坏：图像“" + name + "”无法读取。");
    }
    return {};
}

SkinOptions ParseSkinOptions(const std::vector<std::string>& args) {
    SkinOptions options;
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--no-skin") {
            options = {SkinOptions::None, "", ""};
        } else if (args[i] == "--skin") {
            if (i + 1 >= args.size() || args[i + 1].empty() || args[i + 1].rfind("--", 0) == 0) {
                error = "--skin 后面缺少皮肤文件的路径。";
                continue;
            }
            options = {SkinOptions::File, args[++i], ""};
        }
    }
    options.Error = error;
    return options;
}

} // namespace app
