// skingen: writes a skin's bitmaps and description into a folder: the product skin, or
// another of the skins drawn from code.
//   skingen <output-folder> [--skin NAME] [--sheet <review.png>] [--icon <program.ico>]
#include "skin/art/app_icon.h"
#include "skin/art/product_skin.h"

#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    std::string folder, sheet, icon, name = "product";
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--skin" && i + 1 < argc)
            name = argv[++i];
        else if (arg == "--sheet" && i + 1 < argc)
            sheet = argv[++i];
        else if (arg == "--icon" && i + 1 < argc)
            icon = argv[++i];
        else if (folder.empty() && arg.rfind("--", 0) != 0)
            folder = arg;
        else
            folder.clear(), argc = 0;
    }
    if (folder.empty()) {
        std::fprintf(stderr, "usage: skingen <output-folder> [--skin NAME] [--sheet <review.png>] "
                             "[--icon <program.ico>]\n");
        return 2;
    }
    skin::art::Theme theme;
    if (!skin::art::FindTheme(name, theme)) {
        std::fprintf(stderr, "skingen: no skin named %s (product, Daylight, Graphite)\n",
                     name.c_str());
        return 2;
    }
    const skin::art::ProductSkin skin = skin::art::BuildSkin(theme);
    std::string error;
    if (!skin::art::WriteSkinFiles(skin::art::EncodeSkinFiles(skin), folder, error)) {
        std::fprintf(stderr, "skingen: %s\n", error.c_str());
        return 1;
    }
    auto write = [](const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) std::fprintf(stderr, "skingen: cannot write %s\n", path.c_str());
        return static_cast<bool>(out);
    };
    if (!sheet.empty() && !write(sheet, skin::art::EncodePng(skin::art::ReviewSheet(skin))))
        return 1;
    if (!icon.empty() && !write(icon, skin::art::AppIconFile())) return 1;
    return 0;
}
