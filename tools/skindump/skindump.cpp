// skindump: shows what a skin store holds, for reviewing skins.
//
//   skindump [--extract FOLDER] [--ini] FILE
//
// FILE is a skin store (layer 2, a skin file) or a "SkinStream" property value (layer 1:
// recognised when its first word is the file size less 4). Prints the layers' lengths, the
// archive header, and one line per entry (index, offset, size, name, and for bitmaps the
// width, height and bit depth as read). --extract writes every entry into FOLDER under its
// name; --ini prints the description's sections.
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

bool ReadFile(const std::string& path, std::vector<std::uint8_t>& bytes) {
    std::ifstream f(path, std::ios::binary);
    if (!f) return false;
    bytes.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return !f.bad();
}

std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 |
                                     std::uint32_t(b[at + 2]) << 16 | std::uint32_t(b[at + 3]) << 24);
}

// Bitmap facts as the file states them (before the reader converts the pixels).
std::string BitmapFacts(std::span<const std::uint8_t> bytes) {
    skin::TPixelImage image;
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return "";
    std::string depth = "?";
    if (bytes.size() >= 30) {
        std::uint32_t header = bytes[14] | bytes[15] << 8;
        std::size_t at = header == 12 ? 24 : 28;
        depth = std::to_string(bytes[at] | bytes[at + 1] << 8);
    }
    if (!skin::ReadBitmapFile(bytes, image)) return "  bitmap, unreadable (" + depth + " bpp)";
    return "  bitmap " + std::to_string(image.Width()) + "x" + std::to_string(image.Height()) + ", " +
           depth + " bpp";
}

} // namespace

int main(int argc, char** argv) {
    std::string file, extract;
    bool showIni = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--extract" && i + 1 < argc) extract = argv[++i];
        else if (a == "--ini") showIni = true;
        else if (!a.empty() && a[0] != '-' && file.empty()) file = a;
        else {
            std::fprintf(stderr, "usage: skindump [--extract FOLDER] [--ini] FILE\n");
            return 2;
        }
    }
    if (file.empty()) {
        std::fprintf(stderr, "usage: skindump [--extract FOLDER] [--ini] FILE\n");
        return 2;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFile(file, bytes)) {
        std::fprintf(stderr, "skindump: cannot read %s\n", file.c_str());
        return 1;
    }
    std::printf("file: %s, %zu bytes\n", file.c_str(), bytes.size());
    if (bytes.size() < 4) {
        std::fprintf(stderr, "skindump: too short for a skin store\n");
        return 1;
    }
    std::span<const std::uint8_t> store(bytes);
    if (static_cast<std::int64_t>(Int32At(bytes, 0)) == static_cast<std::int64_t>(bytes.size()) - 4) {
        std::printf("layer 1 (SkinStream value): store length %d\n", Int32At(bytes, 0));
        store = store.subspan(4);
    }
    if (store.size() >= 4)
        std::printf("layer 2 (skin store): %zu bytes, unpacked length %d, %zu bytes of LZH code\n",
                    store.size(), static_cast<int>(store[0] | store[1] << 8 | store[2] << 16 | store[3] << 24),
                    store.size() - 4);

    std::string message;
    skin::SetSkinMessageHandler([&](const std::string& text) { message = text; });
    skin::TSkinReader reader;
    if (!reader.Open(store)) {
        if (!message.empty()) {
            for (char& c : message)
                if (c == '\r') c = ' ';
            std::printf("refused: \"%s\"\n", message.c_str());
        } else {
            std::printf("refused: damaged store\n");
        }
        return 1;
    }
    const auto& h = reader.Header;
    std::printf("layer 3 (archive): version %d, name list %d bytes, reserved %d and %d\n", h.Version,
                h.NameListLength, h.Reserved1, h.Reserved2);
    std::int64_t total = 0;
    for (int k = 0; k < reader.EntryCount; ++k) total += reader.EntrySizes[k];
    std::printf("%d entries, sizes add up to %lld, entry data %zu bytes\n", reader.EntryCount,
                static_cast<long long>(total), reader.EntryData.size());
    std::printf("%5s %10s %10s  %s\n", "index", "offset", "size", "name");
    for (int k = 0; k < reader.EntryCount; ++k) {
        auto entry = reader.EntryBytes(k);
        std::string note = BitmapFacts(entry);
        if (entry.empty() && reader.EntrySizes[k] != 0) note = "  (outside the entry data)";
        std::printf("%5d %10lld %10d  %s%s\n", k, static_cast<long long>(reader.EntryOffset(k)),
                    reader.EntrySizes[k], reader.EntryNames[k].c_str(), note.c_str());
    }
    if (showIni) {
        std::vector<std::uint8_t> text;
        std::string name;
        if (reader.FindEntryContaining(".ini", text, name)) {
            skin::TQuickIni ini;
            ini.Load(std::span<const std::uint8_t>(text));
            std::printf("description %s: %zu lines, sections:", name.c_str(), ini.Lines.size());
            for (const auto& s : ini.ReadSections()) std::printf(" [%s]", s.c_str());
            std::printf("\n");
        } else {
            std::printf("no description entry\n");
        }
    }
    if (!extract.empty()) {
        std::filesystem::create_directories(extract);
        for (int k = 0; k < reader.EntryCount; ++k) {
            const std::string& name = reader.EntryNames[k];
            if (name.empty() || name.find_first_of("/\\:") != std::string::npos || name == "." || name == "..") {
                std::printf("skipped entry %d: unsafe name\n", k);
                continue;
            }
            auto entry = reader.EntryBytes(k);
            std::ofstream f(std::filesystem::path(extract) / name, std::ios::binary | std::ios::trunc);
            f.write(reinterpret_cast<const char*>(entry.data()), static_cast<std::streamsize>(entry.size()));
            if (!f) {
                std::fprintf(stderr, "skindump: cannot write %s\n", name.c_str());
                return 1;
            }
        }
        std::printf("extracted %d entries into %s\n", reader.EntryCount, extract.c_str());
    }
    return 0;
}
