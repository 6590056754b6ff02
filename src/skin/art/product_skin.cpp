#include "skin/art/product_skin.h"

#include "skin/art/skin_parts.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>

namespace skin::art {

ProductSkin BuildSkin(const Theme& theme) {
    ProductSkin skin;
    skin.theme = theme;
    for (auto* pieces : {FramePieces, ControlPieces})
        for (Piece& p : pieces(theme))
            skin.bitmaps.push_back({std::move(p.name), std::move(p.image)});
    std::sort(skin.bitmaps.begin(), skin.bitmaps.end(),
              [](const SkinBitmap& a, const SkinBitmap& b) { return a.name < b.name; });
    skin.description = Description(theme);
    return skin;
}

ProductSkin BuildProductSkin() {
    return BuildSkin(ProductTheme());
}

bool FindTheme(const std::string& name, Theme& theme) {
    std::string lower = name;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "product")
        theme = ProductTheme();
    else if (lower == "daylight")
        theme = DaylightTheme();
    else if (lower == "graphite")
        theme = GraphiteTheme();
    else
        return false;
    return true;
}

std::vector<std::string> ShippedSkinNames() {
    return {"Daylight", "Graphite"};
}

std::vector<SkinFile> EncodeSkinFiles(const ProductSkin& skin) {
    std::vector<SkinFile> files;
    for (const SkinBitmap& b : skin.bitmaps) files.push_back({b.name, EncodeBmp(b.image)});
    files.push_back({kDescriptionName, {skin.description.begin(), skin.description.end()}});
    return files;
}

bool WriteSkinFiles(const std::vector<SkinFile>& files, const std::string& folder,
                    std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) {
        error = "cannot create " + folder + ": " + ec.message();
        return false;
    }
    for (const SkinFile& f : files) {
        std::filesystem::path path = std::filesystem::path(folder) / f.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(f.bytes.data()),
                  static_cast<std::streamsize>(f.bytes.size()));
        if (!out) {
            error = "cannot write " + path.string();
            return false;
        }
    }
    return true;
}

} // namespace skin::art
