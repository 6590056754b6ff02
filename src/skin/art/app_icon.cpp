#include "skin/art/app_icon.h"

#include "skin/art/raster.h"
#include "skin/art/skin_parts.h"

#include <algorithm>
#include <cmath>

namespace skin::art {

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

} // namespace

IconPicture DrawAppIcon(int size) {
    using namespace shape;
    IconPicture picture;
    if (size <= 0) return picture;
    const float s = static_cast<float>(size) / 48.0f;
    auto at = [s](float v) { return v * s; };
    const Theme product = ProductTheme();
    const FramePalette& title = product.active;
    const Palette& pal = product.pal;
    Layer layer(size, size);

    // The tile: the active title bar's outline, highlight and gradient.
    const float inset = size <= 20 ? 0.0f : at(1.5f);
    const float radius = std::max(2.0f, at(9.0f));
    Shape tile = RoundRect(inset, inset, size - inset, size - inset, radius);
    layer.Fill(tile, title.outline);
    const float rim = std::max(1.0f, at(1.5f));
    Shape inner = RoundRect(inset + rim, inset + rim, size - inset - rim, size - inset - rim,
                            std::max(1.0f, radius - rim));
    layer.Fill(inner, title.highlight);
    Shape body = RoundRect(inset + rim, inset + rim + std::max(1.0f, at(1.0f)), size - inset - rim,
                           size - inset - rim, std::max(1.0f, radius - rim));
    layer.Fill(body, VerticalRamp({{0, title.titleTop}, {size - 1, title.titleBottom}}));

    // The picture card on the button face, a hill in the selection blue and a yellow sun.
    const float cx0 = at(9), cy0 = at(9), cx1 = at(39), cy1 = at(31);
    Shape card = RoundRect(cx0, cy0, cx1, cy1, std::max(1.0f, at(2.5f)));
    layer.Fill(card, pal.kFace);
    Shape scene = Intersect(card, Triangle(at(7), at(33), at(21), at(16), at(35), at(33)));
    layer.Fill(scene, pal.kSelect);
    Shape hill = Intersect(card, Triangle(at(20), at(33), at(30), at(21), at(42), at(33)));
    layer.Fill(hill, pal.kAqua);
    layer.Fill(Circle(at(31.5f), at(15.5f), std::max(1.2f, at(3.5f))), pal.kYellow);

    // The arrow bringing it down, on the tile below the card.
    const float half = std::max(0.9f, at(2.2f));
    layer.Fill(Segment(at(24), at(27), at(24), at(38), half), pal.kAquaLight);
    layer.Fill(Triangle(at(16.5f), at(35), at(31.5f), at(35), at(24), at(44)), pal.kAquaLight);

    // Straight colours from the premultiplied layer: flattened onto black it is the
    // premultiplied colour, which the alpha divides back out.
    const Image flat = layer.Flatten(Rgb{0, 0, 0});
    picture.size = size;
    picture.rgba.resize(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            std::uint8_t* p = &picture.rgba[(static_cast<size_t>(y) * size + x) * 4];
            const float a = std::clamp(layer.Alpha(x, y), 0.0f, 1.0f);
            const int alpha = static_cast<int>(std::lround(a * 255.0f));
            if (alpha == 0) continue; // fully clear: 0, 0, 0, 0
            const Rgb c = flat.At(x, y);
            auto straight = [a](int v) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(v / a), 0l, 255l));
            };
            p[0] = straight(c.r);
            p[1] = straight(c.g);
            p[2] = straight(c.b);
            p[3] = static_cast<std::uint8_t>(alpha);
        }
    return picture;
}

std::vector<std::uint8_t> EncodeIco(const std::vector<IconPicture>& pictures) {
    std::vector<std::uint8_t> out;
    PutLe(out, 0, 2);
    PutLe(out, 1, 2); // icon
    PutLe(out, static_cast<std::uint32_t>(pictures.size()), 2);
    std::vector<std::vector<std::uint8_t>> images;
    for (const IconPicture& p : pictures) {
        const int n = p.size;
        std::vector<std::uint8_t> img;
        PutLe(img, 40, 4);
        PutLe(img, static_cast<std::uint32_t>(n), 4);
        PutLe(img, static_cast<std::uint32_t>(n * 2), 4); // colour rows and mask rows
        PutLe(img, 1, 2);
        PutLe(img, 32, 2);
        PutLe(img, 0, 4);
        const int maskStride = ((n + 31) / 32) * 4;
        PutLe(img, static_cast<std::uint32_t>(n * n * 4 + maskStride * n), 4);
        PutLe(img, 0, 4);
        PutLe(img, 0, 4);
        PutLe(img, 0, 4);
        PutLe(img, 0, 4);
        for (int y = n - 1; y >= 0; --y) // bottom-up, blue, green, red, alpha
            for (int x = 0; x < n; ++x) {
                const std::uint8_t* c = &p.rgba[(static_cast<size_t>(y) * n + x) * 4];
                img.insert(img.end(), {c[2], c[1], c[0], c[3]});
            }
        for (int y = n - 1; y >= 0; --y) {
            std::vector<std::uint8_t> row(static_cast<size_t>(maskStride), 0);
            for (int x = 0; x < n; ++x)
                if (p.rgba[(static_cast<size_t>(y) * n + x) * 4 + 3] == 0)
                    row[static_cast<size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            img.insert(img.end(), row.begin(), row.end());
        }
        images.push_back(std::move(img));
    }
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * pictures.size());
    for (size_t i = 0; i < pictures.size(); ++i) {
        const int n = pictures[i].size;
        out.push_back(static_cast<std::uint8_t>(n >= 256 ? 0 : n));
        out.push_back(static_cast<std::uint8_t>(n >= 256 ? 0 : n));
        out.push_back(0); // no palette
        out.push_back(0);
        PutLe(out, 1, 2);  // planes
        PutLe(out, 32, 2); // bits per pixel
        PutLe(out, static_cast<std::uint32_t>(images[i].size()), 4);
        PutLe(out, offset, 4);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

std::vector<std::uint8_t> AppIconFile() {
    std::vector<IconPicture> pictures;
    for (int size : kAppIconSizes) pictures.push_back(DrawAppIcon(size));
    return EncodeIco(pictures);
}

} // namespace skin::art
