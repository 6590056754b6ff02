#pragma once
// The program's icon, drawn in the product skin's colours: a navy title-bar tile holding a
// picture card, with an aqua arrow taking the picture down. Written as an .ico by skingen.
#include <cstdint>
#include <vector>

namespace skin::art {

// One square picture of the icon: straight (not premultiplied) red, green, blue, alpha bytes,
// rows from the top.
struct IconPicture {
    int size = 0;
    std::vector<std::uint8_t> rgba;
};

// The sizes the .ico holds: the small and big icon sizes of every common display scale.
inline constexpr int kAppIconSizes[] = {16, 20, 24, 32, 40, 48, 64};

IconPicture DrawAppIcon(int size);
// An icon file with one 32-bit image (and its AND mask) per picture, in the order given.
std::vector<std::uint8_t> EncodeIco(const std::vector<IconPicture>& pictures);
// Every size of kAppIconSizes, encoded.
std::vector<std::uint8_t> AppIconFile();

} // namespace skin::art
