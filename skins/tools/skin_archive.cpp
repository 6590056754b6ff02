#include "skin_archive.h"

#include "skin/art/product_skin.h"

#include "lzh_encoder.h"

#include <algorithm>
#include <fstream>

namespace skinpack {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

} // namespace

std::vector<std::uint8_t> BuildArchive(const std::vector<Entry>& entries,
                                       const ArchiveOptions& options) {
    std::string names;
    for (const Entry& e : entries) {
        if (e.name.find_first_of("\r\n") != std::string::npos)
            throw SkinPackError("entry name with a line break: " + e.name);
        names += options.lowerCaseNames ? Lower(e.name) : e.name;
        names += "\r\n";
    }
    std::vector<std::uint8_t> out;
    Put32(out, static_cast<std::uint32_t>(options.version));
    Put32(out, static_cast<std::uint32_t>(names.size()));
    Put32(out, static_cast<std::uint32_t>(options.reserved1));
    Put32(out, static_cast<std::uint32_t>(options.reserved2));
    out.insert(out.end(), names.begin(), names.end());
    for (const Entry& e : entries) Put32(out, static_cast<std::uint32_t>(e.bytes.size()));
    for (const Entry& e : entries) out.insert(out.end(), e.bytes.begin(), e.bytes.end());
    return out;
}

std::vector<std::uint8_t> PackStoreWithLength(std::int32_t unpackedLength,
                                              std::span<const std::uint8_t> archive) {
    std::vector<std::uint8_t> out;
    Put32(out, static_cast<std::uint32_t>(unpackedLength));
    std::vector<std::uint8_t> code = LzhEncode(archive);
    out.insert(out.end(), code.begin(), code.end());
    return out;
}

std::vector<std::uint8_t> PackStore(std::span<const std::uint8_t> archive) {
    if (archive.size() > 0x7FFFFFFFu) throw SkinPackError("archive too large");
    return PackStoreWithLength(static_cast<std::int32_t>(archive.size()), archive);
}

std::vector<std::uint8_t> StreamValue(std::span<const std::uint8_t> store) {
    // Sized once: growing from empty here trips a false warning of GCC 12.
    std::vector<std::uint8_t> out(4 + store.size());
    const auto n = static_cast<std::uint32_t>(store.size());
    for (int i = 0; i < 4; ++i)
        out[static_cast<size_t>(i)] = static_cast<std::uint8_t>(n >> (8 * i));
    std::copy(store.begin(), store.end(), out.begin() + 4);
    return out;
}

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw SkinPackError("cannot open " + path.string());
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(f)),
                                    std::istreambuf_iterator<char>());
    if (f.bad()) throw SkinPackError("cannot read " + path.string());
    return bytes;
}

void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    if (!f) throw SkinPackError("cannot create " + path.string());
    f.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
    if (!f) throw SkinPackError("cannot write " + path.string());
}

std::vector<Entry> ReadSkinFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec) throw SkinPackError("cannot read folder " + folder.string() + ": " + ec.message());
    std::vector<Entry> entries;
    int inis = 0;
    for (const auto& de : it) {
        if (!de.is_regular_file()) continue;
        std::string name = de.path().filename().string();
        std::string ext = Lower(de.path().extension().string());
        if (ext != ".bmp" && ext != ".ini") continue;
        Entry e{name, ReadFileBytes(de.path())};
        if (ext == ".ini") {
            ++inis;
        } else if (e.bytes.size() < 2 || e.bytes[0] != 'B' || e.bytes[1] != 'M') {
            throw SkinPackError("not a Windows bitmap: " + de.path().string());
        }
        entries.push_back(std::move(e));
    }
    if (inis != 1)
        throw SkinPackError(folder.string() +
                            ": a skin folder needs exactly one .ini file, found " +
                            std::to_string(inis));
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return Lower(a.name) < Lower(b.name); });
    return entries;
}

void WriteSkinFolder(const std::vector<Entry>& entries, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (const Entry& e : entries) WriteFileBytes(folder / e.name, e.bytes);
}

std::vector<std::uint8_t> DrawnSkinStore(const std::string& name) {
    skin::art::Theme theme;
    if (!skin::art::FindTheme(name, theme))
        throw SkinPackError("no skin named " + name + " (product, Daylight, Graphite)");
    std::vector<Entry> entries;
    for (auto& f : skin::art::EncodeSkinFiles(skin::art::BuildSkin(theme)))
        entries.push_back({f.name, std::move(f.bytes)});
    std::sort(entries.begin(), entries.end(),
              [](const Entry& a, const Entry& b) { return a.name < b.name; });
    return PackStore(BuildArchive(entries));
}

} // namespace skinpack
