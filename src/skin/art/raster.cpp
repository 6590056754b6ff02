#include "skin/art/raster.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace skin::art {

namespace {

std::uint8_t ToLevel(float v) {
    return static_cast<std::uint8_t>(std::clamp(std::floor(v + 0.5f), 0.0f, 255.0f));
}

float Coverage(float distance) {
    return std::clamp(0.5f - distance, 0.0f, 1.0f);
}

} // namespace

Rgb Mix(Rgb a, Rgb b, float t) {
    auto lerp = [t](std::uint8_t p, std::uint8_t q) {
        return ToLevel(static_cast<float>(p) + (static_cast<float>(q) - p) * t);
    };
    return {lerp(a.r, b.r), lerp(a.g, b.g), lerp(a.b, b.b)};
}

// ---- Image -------------------------------------------------------------------------------

Image::Image(int width, int height, Rgb fill)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, fill) {}

void Image::Fill(Rgb c) {
    std::fill(pixels_.begin(), pixels_.end(), c);
}

void Image::FillRect(int x, int y, int w, int h, Rgb c) {
    int x0 = std::max(x, 0), y0 = std::max(y, 0);
    int x1 = std::min(x + w, width_), y1 = std::min(y + h, height_);
    for (int yy = y0; yy < y1; ++yy)
        for (int xx = x0; xx < x1; ++xx) Set(xx, yy, c);
}

void Image::Blit(const Image& src, int dx, int dy) {
    for (int y = 0; y < src.height_; ++y)
        for (int x = 0; x < src.width_; ++x) {
            int tx = dx + x, ty = dy + y;
            if (tx >= 0 && ty >= 0 && tx < width_ && ty < height_) Set(tx, ty, src.At(x, y));
        }
}

void Image::BlitKeyed(const Image& src, int dx, int dy) {
    for (int y = 0; y < src.height_; ++y)
        for (int x = 0; x < src.width_; ++x) {
            int tx = dx + x, ty = dy + y;
            Rgb c = src.At(x, y);
            if (c != kKey && tx >= 0 && ty >= 0 && tx < width_ && ty < height_) Set(tx, ty, c);
        }
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx) out.Set(xx, yy, At(x + xx, y + yy));
    return out;
}

Image Image::Mirrored() const {
    Image out(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) out.Set(width_ - 1 - x, y, At(x, y));
    return out;
}

Image Image::Transposed() const {
    Image out(height_, width_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) out.Set(y, x, At(x, y));
    return out;
}

Image Image::Scaled(int w, int h) const {
    Image out(w, h);
    if (width_ == 0 || height_ == 0) return out;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) out.Set(x, y, At(x * width_ / w, y * height_ / h));
    return out;
}

Image Image::Row(const std::vector<Image>& frames) {
    int w = 0, h = frames.empty() ? 0 : frames.front().Height();
    for (const Image& f : frames) w += f.Width();
    Image out(w, h);
    int x = 0;
    for (const Image& f : frames) {
        out.Blit(f, x, 0);
        x += f.Width();
    }
    return out;
}

Image Image::Column(const std::vector<Image>& frames) {
    int w = frames.empty() ? 0 : frames.front().Width(), h = 0;
    for (const Image& f : frames) h += f.Height();
    Image out(w, h);
    int y = 0;
    for (const Image& f : frames) {
        out.Blit(f, 0, y);
        y += f.Height();
    }
    return out;
}

// ---- Shapes ------------------------------------------------------------------------------

namespace shape {

Shape RoundRect(float x0, float y0, float x1, float y1, float radius) {
    float cx = (x0 + x1) / 2, cy = (y0 + y1) / 2;
    float hx = (x1 - x0) / 2, hy = (y1 - y0) / 2;
    float r = std::clamp(radius, 0.0f, std::min(hx, hy));
    return [=](float x, float y) {
        float dx = std::fabs(x - cx) - (hx - r), dy = std::fabs(y - cy) - (hy - r);
        float ox = std::max(dx, 0.0f), oy = std::max(dy, 0.0f);
        return std::sqrt(ox * ox + oy * oy) + std::min(std::max(dx, dy), 0.0f) - r;
    };
}

Shape Rect(float x0, float y0, float x1, float y1) {
    return RoundRect(x0, y0, x1, y1, 0);
}

Shape TopRoundRect(float x0, float y0, float x1, float y1, float radius) {
    Shape tall = RoundRect(x0, y0, x1, y1 + 2 * radius + 2, radius);
    return [=](float x, float y) { return std::max(tall(x, y), y - y1); };
}

Shape Circle(float cx, float cy, float radius) {
    return [=](float x, float y) { return std::hypot(x - cx, y - cy) - radius; };
}

Shape Segment(float ax, float ay, float bx, float by, float halfWidth) {
    return [=](float x, float y) {
        float px = x - ax, py = y - ay, vx = bx - ax, vy = by - ay;
        float len2 = vx * vx + vy * vy;
        float t = len2 > 0 ? std::clamp((px * vx + py * vy) / len2, 0.0f, 1.0f) : 0.0f;
        return std::hypot(px - vx * t, py - vy * t) - halfWidth;
    };
}

Shape Polyline(std::vector<float> xy, float halfWidth) {
    std::vector<Shape> parts;
    for (size_t i = 0; i + 3 < xy.size(); i += 2)
        parts.push_back(Segment(xy[i], xy[i + 1], xy[i + 2], xy[i + 3], halfWidth));
    return [parts](float x, float y) {
        float d = 1e9f;
        for (const Shape& s : parts) d = std::min(d, s(x, y));
        return d;
    };
}

Shape Triangle(float ax, float ay, float bx, float by, float cx, float cy) {
    // Winding decides which side of each edge is outside.
    float area = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
    float sign = area < 0 ? -1.0f : 1.0f;
    std::array<float, 6> p{ax, ay, bx, by, cx, cy};
    return [=](float x, float y) {
        float d = -1e9f;
        for (int i = 0; i < 3; ++i) {
            float x0 = p[2 * i], y0 = p[2 * i + 1];
            float x1 = p[(2 * i + 2) % 6], y1 = p[(2 * i + 3) % 6];
            float ex = x1 - x0, ey = y1 - y0, len = std::hypot(ex, ey);
            // Outward normal of a counter-clockwise (in y-down space: positive area) edge.
            float nx = ey / len * sign, ny = -ex / len * sign;
            d = std::max(d, (x - x0) * nx + (y - y0) * ny);
        }
        return d;
    };
}

Shape Union(Shape a, Shape b) {
    return [=](float x, float y) { return std::min(a(x, y), b(x, y)); };
}

Shape Intersect(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), b(x, y)); };
}

Shape Subtract(Shape a, Shape b) {
    return [=](float x, float y) { return std::max(a(x, y), -b(x, y)); };
}

Shape Ring(Shape outer, Shape inner) {
    return Subtract(std::move(outer), std::move(inner));
}

} // namespace shape

Paint Solid(Rgb c) {
    return [c](int, int) { return c; };
}

namespace {

Rgb RampAt(const std::vector<std::pair<int, Rgb>>& stops, int v) {
    if (v <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i) {
        auto [v1, c1] = stops[i];
        if (v <= v1) {
            auto [v0, c0] = stops[i - 1];
            return Mix(c0, c1, static_cast<float>(v - v0) / static_cast<float>(v1 - v0));
        }
    }
    return stops.back().second;
}

} // namespace

Paint VerticalRamp(std::vector<std::pair<int, Rgb>> stops) {
    return [stops](int, int y) { return RampAt(stops, y); };
}

Paint HorizontalRamp(std::vector<std::pair<int, Rgb>> stops) {
    return [stops](int x, int) { return RampAt(stops, x); };
}

// ---- Layer -------------------------------------------------------------------------------

Layer::Layer(int width, int height)
    : width_(width), height_(height), px_(static_cast<size_t>(width) * height * 4, 0.0f) {}

void Layer::Fill(const Shape& s, const Paint& p, float opacity) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            float a = Coverage(s(x + 0.5f, y + 0.5f)) * opacity;
            if (a <= 0) continue;
            Rgb c = p(x, y);
            float* d = &px_[Index(x, y)];
            d[0] = c.r * a + d[0] * (1 - a);
            d[1] = c.g * a + d[1] * (1 - a);
            d[2] = c.b * a + d[2] * (1 - a);
            d[3] = a + d[3] * (1 - a);
        }
}

Image Layer::Flatten(const Paint& backdrop) const {
    Image out(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const float* s = &px_[Index(x, y)];
            if (s[3] < 0.5f / 255.0f) continue;
            Rgb b = backdrop(x, y);
            float k = 1 - s[3];
            out.Set(x, y,
                    {ToLevel(s[0] + b.r * k), ToLevel(s[1] + b.g * k), ToLevel(s[2] + b.b * k)});
        }
    return out;
}

Image Layer::FlattenHard() const {
    Image out(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            const float* s = &px_[Index(x, y)];
            if (s[3] < 0.5f) continue;
            out.Set(x, y, {ToLevel(s[0] / s[3]), ToLevel(s[1] / s[3]), ToLevel(s[2] / s[3])});
        }
    return out;
}

// ---- Encoders ----------------------------------------------------------------------------

namespace {

void PutLe(std::vector<std::uint8_t>& out, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void PutBe32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

std::uint32_t Crc32(const std::uint8_t* data, size_t n) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void PutChunk(std::vector<std::uint8_t>& out, const char* type,
              const std::vector<std::uint8_t>& data) {
    PutBe32(out, static_cast<std::uint32_t>(data.size()));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

} // namespace

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    const std::uint32_t stride = (static_cast<std::uint32_t>(image.Width()) * 3 + 3) & ~3u;
    const std::uint32_t dataSize = stride * static_cast<std::uint32_t>(image.Height());
    std::vector<std::uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    PutLe(out, 54 + dataSize, 4);
    PutLe(out, 0, 4);  // reserved
    PutLe(out, 54, 4); // pixel data offset
    PutLe(out, 40, 4); // BITMAPINFOHEADER
    PutLe(out, static_cast<std::uint32_t>(image.Width()), 4);
    PutLe(out, static_cast<std::uint32_t>(image.Height()), 4); // positive: bottom-up
    PutLe(out, 1, 2);
    PutLe(out, 24, 2);
    PutLe(out, 0, 4); // BI_RGB
    PutLe(out, dataSize, 4);
    PutLe(out, 2835, 4); // 72 dpi
    PutLe(out, 2835, 4);
    PutLe(out, 0, 4);
    PutLe(out, 0, 4);
    for (int y = image.Height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.Width(); ++x) {
            Rgb c = image.At(x, y);
            out.push_back(c.b);
            out.push_back(c.g);
            out.push_back(c.r);
        }
        for (std::uint32_t pad = static_cast<std::uint32_t>(image.Width()) * 3; pad < stride; ++pad)
            out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> EncodePng(const Image& image) {
    std::vector<std::uint8_t> raw;
    for (int y = 0; y < image.Height(); ++y) {
        raw.push_back(0); // no filter
        for (int x = 0; x < image.Width(); ++x) {
            Rgb c = image.At(x, y);
            raw.insert(raw.end(), {c.r, c.g, c.b});
        }
    }
    std::vector<std::uint8_t> z{0x78, 0x01};
    size_t pos = 0;
    do {
        size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        PutLe(z, static_cast<std::uint32_t>(n), 2);
        PutLe(z, static_cast<std::uint32_t>(~n & 0xFFFF), 2);
        z.insert(z.end(), raw.begin() + static_cast<long>(pos),
                 raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    std::uint32_t a = 1, b = 0;
    for (std::uint8_t v : raw) {
        a = (a + v) % 65521;
        b = (b + a) % 65521;
    }
    PutBe32(z, (b << 16) | a);

    std::vector<std::uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<std::uint8_t> ihdr;
    PutBe32(ihdr, static_cast<std::uint32_t>(image.Width()));
    PutBe32(ihdr, static_cast<std::uint32_t>(image.Height()));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
    PutChunk(out, "IHDR", ihdr);
    PutChunk(out, "IDAT", z);
    PutChunk(out, "IEND", {});
    return out;
}

// ---- Label font --------------------------------------------------------------------------

namespace {

// Five rows of three columns each, read left to right, top to bottom.
const char* GlyphBits(char ch) {
    switch (ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 'a' + 'A') : ch) {
    case 'A':
        return "010101111101101";
    case 'B':
        return "110101110101110";
    case 'C':
        return "011100100100011";
    case 'D':
        return "110101101101110";
    case 'E':
        return "111100110100111";
    case 'F':
        return "111100110100100";
    case 'G':
        return "011100101101011";
    case 'H':
        return "101101111101101";
    case 'I':
        return "111010010010111";
    case 'J':
        return "001001001101010";
    case 'K':
        return "101101110101101";
    case 'L':
        return "100100100100111";
    case 'M':
        return "101111111101101";
    case 'N':
        return "110101101101101";
    case 'O':
        return "010101101101010";
    case 'P':
        return "110101110100100";
    case 'Q':
        return "010101101110011";
    case 'R':
        return "110101110101101";
    case 'S':
        return "011100010001110";
    case 'T':
        return "111010010010010";
    case 'U':
        return "101101101101111";
    case 'V':
        return "101101101101010";
    case 'W':
        return "101101111111101";
    case 'X':
        return "101101010101101";
    case 'Y':
        return "101101010010010";
    case 'Z':
        return "111001010100111";
    case '0':
        return "111101101101111";
    case '1':
        return "010110010010111";
    case '2':
        return "110001010100111";
    case '3':
        return "110001010001110";
    case '4':
        return "101101111001001";
    case '5':
        return "111100110001110";
    case '6':
        return "011100111101111";
    case '7':
        return "111001010010010";
    case '8':
        return "111101111101111";
    case '9':
        return "111101111001110";
    case '.':
        return "000000000000010";
    case '_':
        return "000000000000111";
    case '-':
        return "000000111000000";
    case ':':
        return "000010000010000";
    case '/':
        return "001001010100100";
    case '(':
        return "001010010010001";
    case ')':
        return "100010010010100";
    case '+':
        return "000010111010000";
    case ',':
        return "000000000010100";
    case '=':
        return "000111000111000";
    default:
        return "000000000000000";
    }
}

} // namespace

int TextWidth(std::string_view text, int scale) {
    return text.empty() ? 0 : static_cast<int>(text.size()) * 4 * scale - scale;
}

void DrawText(Image& image, int x, int y, std::string_view text, Rgb colour, int scale) {
    for (char ch : text) {
        const char* bits = GlyphBits(ch);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; col < 3; ++col)
                if (bits[row * 3 + col] == '1')
                    image.FillRect(x + col * scale, y + row * scale, scale, scale, colour);
        x += 4 * scale;
    }
}

} // namespace skin::art
