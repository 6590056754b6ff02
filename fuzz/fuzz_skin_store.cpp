// Fuzz target: a skin store (layer 2) through TSkinReader with its LZH decoder, then every
// entry through the lookups, the bitmap reader and (for the description) TQuickIni and the
// image references, as the skin data component will use them.
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"
#include "skin/data/skin_values.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// The native tests include this file with CORVANE_FUZZ_ENTRY set to another name and run the
// seed corpus through it (tests/native/skin_fuzz_corpus_test.cpp).
#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    skin::TSkinReader reader;
    if (!reader.Open(std::span<const std::uint8_t>(data, size))) return 0;
    std::vector<std::uint8_t> bytes;
    for (int k = 0; k < reader.EntryCount; ++k) {
        reader.FindEntry(reader.EntryNames[k], bytes);
        if (!bytes.empty() && bytes[0] == 'B') skin::ReadBitmapFile(bytes);
    }
    std::string name;
    if (reader.FindEntryContaining(".ini", bytes, name)) {
        skin::TQuickIni ini;
        ini.Load(&bytes);
        for (const std::string& section : ini.ReadSections()) {
            skin::ReadImage(ini, reader, section, "Image");
            skin::ReadImage(ini, reader, section, "Bitmap");
        }
        skin::ReadSkinColours(ini);
        skin::ReadIndexedColours(ini);
    }
    return 0;
}
