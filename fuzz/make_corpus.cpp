// Writes the seed corpus of the fuzz targets into fuzz/corpus/<target>/. Not part of the
// build; see fuzz/README.md for the command that compiles and runs it.
#include "lzh_encoder.h"
#include "sample_skin.h"
#include "skin_archive.h"
#include "skin/data/pixel_image.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A bitmap file with a header of `headerSize` bytes (40, 108 or 124) or a core header (12).
Bytes Bmp(int headerSize, std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression,
          const std::vector<std::uint32_t>& palette, const std::vector<std::uint32_t>& masks, const Bytes& pixels) {
    Bytes b{'B', 'M'};
    const std::uint32_t entry = headerSize == 12 ? 3 : 4;
    const std::uint32_t extra = headerSize == 40 ? 4 * static_cast<std::uint32_t>(masks.size()) : 0;
    const std::uint32_t off = 14 + headerSize + extra + entry * static_cast<std::uint32_t>(palette.size());
    Put32(b, off + static_cast<std::uint32_t>(pixels.size()));
    Put32(b, 0);
    Put32(b, off);
    Put32(b, static_cast<std::uint32_t>(headerSize));
    if (headerSize == 12) {
        Put16(b, static_cast<std::uint32_t>(w));
        Put16(b, static_cast<std::uint32_t>(h));
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(bpp));
    } else {
        Put32(b, static_cast<std::uint32_t>(w));
        Put32(b, static_cast<std::uint32_t>(h));
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(bpp));
        Put32(b, compression);
        Put32(b, static_cast<std::uint32_t>(pixels.size()));
        Put32(b, 2835);
        Put32(b, 2835);
        Put32(b, static_cast<std::uint32_t>(palette.size()));
        Put32(b, 0);
        if (headerSize > 40) {
            for (int i = 0; i < 4; ++i) Put32(b, i < static_cast<int>(masks.size()) ? masks[i] : 0);
            while (b.size() < 14u + headerSize) b.push_back(0);
        } else {
            for (auto m : masks) Put32(b, m);
        }
    }
    for (auto p : palette) {
        b.push_back(static_cast<std::uint8_t>(p));
        b.push_back(static_cast<std::uint8_t>(p >> 8));
        b.push_back(static_cast<std::uint8_t>(p >> 16));
        if (entry == 4) b.push_back(0);
    }
    b.insert(b.end(), pixels.begin(), pixels.end());
    return b;
}

void Write(const fs::path& file, const Bytes& bytes) {
    fs::create_directories(file.parent_path());
    skinpack::WriteFileBytes(file, bytes);
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

} // namespace

int main(int argc, char** argv) {
    const fs::path out = argc > 1 ? argv[1] : "fuzz/corpus";

    // ---- bitmaps ----
    std::vector<std::pair<std::string, Bytes>> bmps;
    skin::TPixelImage im(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) im.SetPixel(x, y, skin::RGBColor(40 * x, 80 * y, x == y ? 255 : 0));
    im.SetPixel(4, 2, skin::kMagenta);
    bmps.push_back({"24bit.bmp", skin::WriteBitmapFile(im)});
    im.SetPixelFormat(32);
    bmps.push_back({"32bit.bmp", skin::WriteBitmapFile(im)});
    bmps.push_back({"1bit.bmp", Bmp(40, 9, 2, 1, 0, {0x000000, 0xFFFFFF}, {}, {0xA5, 0x80, 0, 0, 0x5A, 0x00, 0, 0})});
    bmps.push_back({"4bit.bmp", Bmp(40, 3, 2, 4, 0, {0xFF00FF, 0x00FF00, 0x0000FF}, {}, {0x01, 0x20, 0, 0, 0x21, 0x00, 0, 0})});
    std::vector<std::uint32_t> grey;
    for (int i = 0; i < 256; ++i) grey.push_back(0x010101u * i);
    bmps.push_back({"8bit-topdown.bmp", Bmp(40, 2, -2, 8, 0, grey, {}, {0, 255, 0, 0, 128, 64, 0, 0})});
    bmps.push_back({"rle8.bmp", Bmp(40, 6, 3, 8, 1, {0, 0xFF0000, 0x00FF00}, {},
                                    {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 2, 1, 1, 2, 0, 1})});
    bmps.push_back({"rle4.bmp", Bmp(40, 6, 2, 4, 2, {0, 0xFF0000, 0x00FF00}, {},
                                    {5, 0x12, 0, 0, 0, 4, 0x21, 0x12, 0, 1})});
    bmps.push_back({"16bit-555.bmp", Bmp(40, 2, 1, 16, 0, {}, {}, {0x00, 0x7C, 0x1F, 0x00})});
    bmps.push_back({"16bit-565.bmp", Bmp(40, 2, 1, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, {0xE0, 0x07, 0x00, 0xF8})});
    bmps.push_back({"32bit-fields.bmp", Bmp(40, 1, 1, 32, 3, {}, {0xFF, 0xFF00, 0xFF0000}, {1, 2, 3, 4})});
    bmps.push_back({"v4-32bit.bmp", Bmp(108, 1, 2, 32, 3, {}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, {1, 2, 3, 4, 5, 6, 7, 8})});
    bmps.push_back({"v5-24bit.bmp", Bmp(124, 1, 1, 24, 0, {}, {}, {9, 8, 7, 0})});
    bmps.push_back({"core-1bit.bmp", Bmp(12, 2, 1, 1, 0, {0, 0xFFFFFF}, {}, {0x40, 0, 0, 0})});
    for (auto& [name, bytes] : bmps) Write(out / "bitmap" / name, bytes);

    // ---- descriptions ----
    Write(out / "quick_ini" / "corvane.ini", Text(skinpack::SampleSkinIni()));
    static const char kEdges[] =
        "; edges\r[Colours]\nButtonFace = 1,2,3\n\r[colour0]\r\ncolor=0x10 0X20 $30\r\n"
        "[Personality]\r\nActiveTextR=0xFF\r\nActiveTextG=-1\r\nLeft=C:\\a\\b.bmp\r\n"
        "Top=x.BMP\r\n[Personality]\r\nLeft=second.bmp\r\n  [ButtonClose]  \r\n"
        "Action=-1\r\nVisibility=0\r\n[]\r\n=\r\nnoequals\r\nk=\0after nul";
    Write(out / "quick_ini" / "edges.ini", Text(std::string(kEdges, sizeof kEdges - 1)));

    // ---- stores ----
    auto sample = skinpack::SampleSkinEntries();
    std::vector<skinpack::Entry> small;
    for (auto& e : sample)
        if (e.name == "closebutton.bmp" || e.name == "checkbox.bmp" || e.name == "corvane.ini") small.push_back(e);
    Write(out / "skin_store" / "small.skn", skinpack::PackStore(skinpack::BuildArchive(small)));
    std::vector<skinpack::Entry> tiny{{"a.bmp", bmps[0].second}, {"skin.ini", Text("[Buttons]\r\nBitmap=a.bmp\r\n")}};
    Write(out / "skin_store" / "tiny.skn", skinpack::PackStore(skinpack::BuildArchive(tiny)));
    skinpack::ArchiveOptions old;
    old.version = 19999;
    Write(out / "skin_store" / "old-version.skn", skinpack::PackStore(skinpack::BuildArchive(tiny, old)));
    Write(out / "skin_store" / "empty-archive.skn", skinpack::PackStore(skinpack::BuildArchive({})));
    // Skin files as the program opens them: the same stores, and the whole sample skin.
    Write(out / "skin_apply" / "sample.skin", skinpack::PackStore(skinpack::BuildArchive(sample)));
    for (const char* name : {"small.skn", "tiny.skn", "old-version.skn", "empty-archive.skn"})
        fs::copy_file(out / "skin_store" / name, out / "skin_apply" / name,
                      fs::copy_options::overwrite_existing);

    // ---- LZH streams: two bytes of text size, then the code ----
    auto lzh = [&](const std::string& name, const Bytes& text) {
        Bytes b;
        Put16(b, static_cast<std::uint32_t>(text.size()));
        Bytes code = skinpack::LzhEncode(text);
        b.insert(b.end(), code.begin(), code.end());
        Write(out / "lzh" / name, b);
    };
    lzh("text.lzh", Text(skinpack::SampleSkinIni().substr(0, 3000)));
    lzh("bitmap.lzh", bmps[0].second);
    Bytes runs;
    for (int i = 0; i < 2000; ++i) runs.push_back(static_cast<std::uint8_t>(i / 7 % 5));
    lzh("runs.lzh", runs);
    return 0;
}
