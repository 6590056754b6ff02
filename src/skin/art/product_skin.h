#pragma once
// The skins drawn from code: the product skin carried by the main window, and the skins
// shipped as skin files. Drawn from code so that the look is reviewable and every run gives
// the same bytes.
#include "skin/art/raster.h"
#include "skin/art/skin_parts.h"

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
    Theme theme;                     // what it was drawn from
};

inline constexpr const char* kDescriptionName = "skin.ini";

ProductSkin BuildSkin(const Theme& theme);
ProductSkin BuildProductSkin();

// The skins by name ("product", "Daylight", "Graphite"), any letter case; false when unknown.
bool FindTheme(const std::string& name, Theme& theme);
// The names of the skins shipped as skin files.
std::vector<std::string> ShippedSkinNames();

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
