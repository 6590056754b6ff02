#include "skin/data/image_utils.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <mutex>

namespace skin {

void GreyScale(TPixelImage& image) {
    image.SetPixelFormat(24);
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            std::uint8_t v = static_cast<std::uint8_t>((p[0] + p[1] + p[2]) / 3);
            p[0] = p[1] = p[2] = v;
        }
    }
}

void ReplaceMagenta(TPixelImage& image, TColor colour) {
    image.SetPixelFormat(24);
    const std::uint8_t r = static_cast<std::uint8_t>(RedOf(colour)),
                       g = static_cast<std::uint8_t>(GreenOf(colour)),
                       b = static_cast<std::uint8_t>(BlueOf(colour));
    for (int y = 0; y < image.Height(); ++y) {
        std::uint8_t* p = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, p += 3) {
            if (p[2] == 255 && p[1] == 0 && p[0] == 255) {
                p[0] = b;
                p[1] = g;
                p[2] = r;
            }
        }
    }
}

namespace {
// One pixel of 3 or 4 bytes (a fixed-size copy the compiler inlines).
inline void CopyPixel(std::uint8_t* d, const std::uint8_t* s, int bpp) {
    if (bpp == 3) {
        d[0] = s[0];
        d[1] = s[1];
        d[2] = s[2];
    } else {
        std::memcpy(d, s, 4);
    }
}
} // namespace

void Mirror(TPixelImage& image) {
    if (image.Empty()) return;
    TPixelImage n(image.Width(), image.Height(), image.BitsPerPixel());
    const int w = image.Width(), bpp = image.BytesPerPixel();
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* s = image.ScanLine(y);
        std::uint8_t* d = n.ScanLine(y);
        for (int x = 0; x < w; ++x) CopyPixel(d + x * bpp, s + (w - 1 - x) * bpp, bpp);
    }
    image = std::move(n);
}

void Flip(TPixelImage& image) {
    if (image.Empty()) return;
    TPixelImage n(image.Width(), image.Height(), image.BitsPerPixel());
    const int h = image.Height();
    const std::size_t rowBytes = std::size_t(image.Width()) * image.BytesPerPixel();
    for (int i = 0; i < h; ++i) std::memcpy(n.ScanLine(i), image.ScanLine(h - 1 - i), rowBytes);
    image = std::move(n);
}

namespace {
template <typename Map> void Rotate(TPixelImage& image, Map map) {
    if (image.Empty()) return;
    const int w = image.Width(), h = image.Height(), bpp = image.BytesPerPixel();
    TPixelImage n(h, w, image.BitsPerPixel());
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* s = image.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            int dx, dy;
            map(x, y, w, h, dx, dy);
            CopyPixel(n.ScanLine(dy) + dx * bpp, s + x * bpp, bpp);
        }
    }
    image = std::move(n);
}
} // namespace

void RotateCounterClockwise(TPixelImage& image) {
    Rotate(image, [](int x, int y, int w, int, int& dx, int& dy) {
        dx = y;
        dy = w - 1 - x;
    });
}

void RotateClockwise(TPixelImage& image) {
    Rotate(image, [](int x, int y, int, int h, int& dx, int& dy) {
        dx = h - 1 - y;
        dy = x;
    });
}

TColor MixColors(TColor c1, TColor c2, int w) {
    c1 = ColorToRGB(c1);
    c2 = ColorToRGB(c2);
    const std::int64_t d = w < 100 ? 100 : 1000;
    auto channel = [&](int a, int b) {
        // 32-bit integer arithmetic that wraps, as the original's: the exact sum taken
        // modulo 2^32 is what wrapping each step gives.
        std::int64_t sum = std::int64_t(b) * (d - w) + std::int64_t(a) * w + d / 2;
        std::int32_t wrapped = static_cast<std::int32_t>(static_cast<std::uint32_t>(sum));
        std::int32_t q = static_cast<std::int32_t>(wrapped / d);
        return static_cast<int>(static_cast<std::uint32_t>(q) & 0xFF);
    };
    return RGBColor(channel(RedOf(c1), RedOf(c2)), channel(GreenOf(c1), GreenOf(c2)),
                    channel(BlueOf(c1), BlueOf(c2)));
}

std::vector<TColor> ComputeGradientTable(int n, TColor s, TColor e) {
    std::vector<TColor> t;
    if (n <= 0) return t;
    t.resize(static_cast<std::size_t>(n));
    const int sr = RedOf(s), sg = GreenOf(s), sb = BlueOf(s);
    const std::int64_t dr = RedOf(e) - sr, dg = GreenOf(e) - sg, db = BlueOf(e) - sb;
    if (n == 1) {
        t[0] = RGBColor(sr + int(dr / 2), sg + int(dg / 2), sb + int(db / 2));
        return t;
    }
    const std::int64_t d = n - 1, h = d / 2;
    for (std::int64_t i = 0; i < n; ++i)
        t[static_cast<std::size_t>(i)] = RGBColor(sr + int((h + i * dr) / d), sg + int((h + i * dg) / d),
                                                  sb + int((h + i * db) / d));
    return t;
}

namespace {
struct GradientCache {
    std::mutex mutex;
    std::array<std::shared_ptr<const std::vector<TColor>>, 16> slots;
    int next = 0;
};
GradientCache& Cache() {
    static GradientCache c;
    return c;
}
} // namespace

std::shared_ptr<const std::vector<TColor>> GradientTable(int n, TColor s, TColor e) {
    if (n <= 0) return std::make_shared<const std::vector<TColor>>();
    GradientCache& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (int i = 15; i >= 0; --i) {
        const auto& t = c.slots[i];
        if (t && t->size() == static_cast<std::size_t>(n) && t->front() == s && t->back() == e) return t;
    }
    auto table = std::make_shared<const std::vector<TColor>>(ComputeGradientTable(n, s, e));
    c.slots[c.next] = table;
    c.next = (c.next + 1) & 15;
    return table;
}

void ClearGradientCache() {
    GradientCache& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    for (auto& s : c.slots) s.reset();
    c.next = 0;
}

std::shared_ptr<const std::vector<TColor>> GradientCacheSlot(int i) {
    GradientCache& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return i >= 0 && i < 16 ? c.slots[i] : nullptr;
}

int GradientCacheNextSlot() {
    GradientCache& c = Cache();
    std::lock_guard<std::mutex> lock(c.mutex);
    return c.next;
}

bool GradientLines(const IntRect& r, bool vertical, const IntRect& clip, int& first, int& last) {
    // No part of r visible: nothing.
    if (std::max(r.left, clip.left) >= std::min(r.right, clip.right) ||
        std::max(r.top, clip.top) >= std::min(r.bottom, clip.bottom))
        return false;
    const int n = vertical ? r.Height() : r.Width();
    if (n <= 0) return false;
    const int origin = vertical ? r.top : r.left;
    const int lo = vertical ? clip.top : clip.left, hi = vertical ? clip.bottom : clip.right;
    first = std::max(0, lo - origin);
    last = std::min(n - 1, hi - 1 - origin);
    return first <= last;
}

void GradientFill(TPixelImage& image, const IntRect& r, TColor start, bool vertical, TColor end,
                  const IntRect& clip) {
    IntRect c{std::max(clip.left, 0), std::max(clip.top, 0), std::min(clip.right, image.Width()),
              std::min(clip.bottom, image.Height())};
    int first, last;
    if (!GradientLines(r, vertical, c, first, last)) return;
    start = ColorToRGB(start);
    end = ColorToRGB(end);
    const int n = vertical ? r.Height() : r.Width();
    auto table = GradientTable(n, start, end);
    if (vertical) {
        for (int i = first; i <= last; ++i)
            image.FillRect(std::max(r.left, c.left), r.top + i, std::min(r.right, c.right), r.top + i + 1,
                           (*table)[i]);
        return;
    }
    // Horizontal: every row of the rectangle is the same run of colours, laid down once and
    // copied to the other rows (24-bit images; 32-bit ones keep each pixel's fourth byte).
    const int top = std::max(r.top, c.top), bottom = std::min(r.bottom, c.bottom);
    if (top >= bottom) return;
    const int x0 = r.left + first, bpp = image.BytesPerPixel();
    auto layRow = [&](int y) {
        std::uint8_t* p = image.ScanLine(y) + std::size_t(x0) * bpp;
        for (int i = first; i <= last; ++i, p += bpp) {
            const TColor colour = (*table)[i];
            p[0] = static_cast<std::uint8_t>(BlueOf(colour));
            p[1] = static_cast<std::uint8_t>(GreenOf(colour));
            p[2] = static_cast<std::uint8_t>(RedOf(colour));
        }
    };
    layRow(top);
    const std::uint8_t* row = image.ScanLine(top) + std::size_t(x0) * bpp;
    const std::size_t bytes = std::size_t(last - first + 1) * bpp;
    for (int y = top + 1; y < bottom; ++y) {
        if (bpp == 3) std::memcpy(image.ScanLine(y) + std::size_t(x0) * bpp, row, bytes);
        else layRow(y);
    }
}

void GradientFill(TPixelImage& image, const IntRect& r, TColor start, bool vertical, TColor end) {
    GradientFill(image, r, start, vertical, end, IntRect{0, 0, image.Width(), image.Height()});
}

int SaturationMeasure(TColor c) {
    c = ColorToRGB(c);
    const int r = RedOf(c), g = GreenOf(c), b = BlueOf(c);
    if (r < 160 && g < 160 && b < 160) return 200;
    const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
    const double s = mx == 0 ? 0.0 : double(mx - mn) / double(mx);
    return static_cast<int>(std::nearbyint(s * 255.0)); // ties to even, like the original's Round
}

} // namespace skin
