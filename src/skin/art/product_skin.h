#pragma once
// The product skin: every bitmap of the skin carried by the main window, and its description.
// Drawn from code so that the look is reviewable and every run gives the same bytes.
#include "skin/art/raster.h"

#include <cstdint>
#include <string>
#include <vector>

namespace skin::art {

struct SkinBitmap {
    std::string name; // archive entry name, lower case, ".bmp"
    Image image;
};

struct ProductSkin {
    std::vector<SkinBitmap> bitmaps; // in archive order (sorted by name)
    std::string description;         // INI text, CR LF line ends
};

inline constexpr const char* kDescriptionName = "skin.ini";

ProductSkin BuildProductSkin();

// Archive entries: every bitmap as a BMP file, then the description.
struct SkinFile {
    std::string name;
    std::vector<std::uint8_t> bytes;
};
std::vector<SkinFile> EncodeSkinFiles(const ProductSkin& skin);

// Writes the entries into folder (created when missing). False with a reason on failure.
bool WriteSkinFiles(const std::vector<SkinFile>& files, const std::string& folder,
                    std::string& error);

// A review picture: a mock window composed from the pieces as the engine draws them, and
// every bitmap enlarged with its name.
Image ReviewSheet(const ProductSkin& skin);

} // namespace skin::art
