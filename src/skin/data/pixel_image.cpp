#include "skin/data/pixel_image.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace skin {

// ---------------------------------------------------------------- TPixelImage

TPixelImage::TPixelImage(int width, int height, int bitsPerPixel) {
    Create(width, height, bitsPerPixel);
}

bool TPixelImage::Create(int width, int height, int bitsPerPixel) {
    Clear();
    if (width <= 0 || height <= 0 || width > kMaxImageSide || height > kMaxImageSide ||
        std::int64_t(width) * height > kMaxImagePixels || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return false;
    width_ = width;
    height_ = height;
    bpp_ = bitsPerPixel;
    stride_ = StrideFor(width, bitsPerPixel);
    pixels_.assign(std::size_t(stride_) * height_, 0);
    return true;
}

void TPixelImage::Clear() {
    width_ = height_ = stride_ = 0;
    bpp_ = 24;
    pixels_.clear();
    pixels_.shrink_to_fit();
}

TColor TPixelImage::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return -1;
    const std::uint8_t* p = ScanLine(y) + std::size_t(x) * BytesPerPixel();
    return RGBColor(p[2], p[1], p[0]);
}

void TPixelImage::SetPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    std::uint8_t* p = ScanLine(y) + std::size_t(x) * BytesPerPixel();
    p[0] = static_cast<std::uint8_t>(BlueOf(c));
    p[1] = static_cast<std::uint8_t>(GreenOf(c));
    p[2] = static_cast<std::uint8_t>(RedOf(c));
}

void TPixelImage::Fill(TColor c) { FillRect(0, 0, width_, height_, c); }

void TPixelImage::FillRect(int left, int top, int right, int bottom, TColor c) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    if (left >= right || top >= bottom) return;
    const int bpp = BytesPerPixel();
    const std::uint8_t b = static_cast<std::uint8_t>(BlueOf(c)), g = static_cast<std::uint8_t>(GreenOf(c)),
                       r = static_cast<std::uint8_t>(RedOf(c));
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* p = ScanLine(y) + std::size_t(left) * bpp;
        for (int x = left; x < right; ++x, p += bpp) {
            p[0] = b;
            p[1] = g;
            p[2] = r;
        }
    }
}

void TPixelImage::SetPixelFormat(int bitsPerPixel) {
    if (bitsPerPixel != 24 && bitsPerPixel != 32) return;
    if (Empty()) {
        bpp_ = bitsPerPixel;
        return;
    }
    if (bitsPerPixel == bpp_) return;
    TPixelImage n(width_, height_, bitsPerPixel);
    const int sb = BytesPerPixel(), db = n.BytesPerPixel();
    for (int y = 0; y < height_; ++y) {
        const std::uint8_t* s = ScanLine(y);
        std::uint8_t* d = n.ScanLine(y);
        for (int x = 0; x < width_; ++x, s += sb, d += db) {
            d[0] = s[0];
            d[1] = s[1];
            d[2] = s[2];
        }
    }
    *this = std::move(n);
}

TPixelImage TPixelImage::Copy(int x, int y, int w, int h) const {
    int left = std::max(x, 0), top = std::max(y, 0);
    int right = std::min<std::int64_t>(std::int64_t(x) + w, width_);
    int bottom = std::min<std::int64_t>(std::int64_t(y) + h, height_);
    TPixelImage n;
    if (left >= right || top >= bottom) return n;
    if (!n.Create(right - left, bottom - top, bpp_)) return n;
    const int bpp = BytesPerPixel();
    for (int row = top; row < bottom; ++row)
        std::memcpy(n.ScanLine(row - top), ScanLine(row) + std::size_t(left) * bpp,
                    std::size_t(right - left) * bpp);
    return n;
}

// ---------------------------------------------------------------- bitmap file reader

namespace {

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;
    explicit Channel(std::uint32_t m = 0) : mask(m) {
        if (!m) return;
        while (!((m >> shift) & 1u)) ++shift;
        max = m >> shift; // non-contiguous masks keep their holes; scaling still stays in range
    }
    std::uint8_t Get(std::uint32_t px) const {
        if (!mask) return 0;
        std::uint64_t v = (px & mask) >> shift;
        return static_cast<std::uint8_t>((v * 255 + max / 2) / max);
    }
};

struct Info {
    std::int64_t width = 0, height = 0; // height negative: top-down
    int bpp = 0;
    std::uint32_t compression = 0;
    std::uint32_t clrUsed = 0;
    std::size_t headerSize = 0;
    bool core = false;
    std::uint32_t masks[4] = {0, 0, 0, 0};
    bool hasMasks = false;
};

bool Fail(TPixelImage& image) {
    image.Clear();
    return false;
}

} // namespace

bool ReadBitmapFile(std::span<const std::uint8_t> file, TPixelImage& image) {
    image.Clear();
    const std::uint8_t* f = file.data();
    const std::size_t len = file.size();
    if (len < 14 + 12 || f[0] != 'B' || f[1] != 'M') return Fail(image);
    const std::uint32_t offBits = U32(f + 10);

    Info in;
    in.headerSize = U32(f + 14);
    const std::uint8_t* h = f + 14;
    if (in.headerSize == 12) {
        in.core = true;
        in.width = U16(h + 4);
        in.height = U16(h + 6);
        in.bpp = U16(h + 10);
        in.compression = BI_RGB;
    } else if (in.headerSize == 40 || in.headerSize == 52 || in.headerSize == 56 ||
               in.headerSize == 108 || in.headerSize == 124) {
        if (14 + in.headerSize > len) return Fail(image);
        in.width = static_cast<std::int32_t>(U32(h + 4));
        in.height = static_cast<std::int32_t>(U32(h + 8));
        in.bpp = U16(h + 14);
        in.compression = U32(h + 16);
        in.clrUsed = U32(h + 32);
    } else {
        return Fail(image);
    }
    if (14 + in.headerSize > len) return Fail(image);

    // Bit depth and compression must agree.
    const int bpp = in.bpp;
    switch (in.compression) {
    case BI_RGB:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return Fail(image);
        if (in.core && (bpp == 16 || bpp == 32)) return Fail(image);
        break;
    case BI_RLE8: if (bpp != 8) return Fail(image); break;
    case BI_RLE4: if (bpp != 4) return Fail(image); break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (bpp != 16 && bpp != 32) return Fail(image);
        in.hasMasks = true;
        break;
    default: return Fail(image); // JPEG, PNG and unknown kinds
    }

    // Size.
    const bool topDown = in.height < 0;
    const std::int64_t w = in.width, hgt = topDown ? -in.height : in.height;
    if (w <= 0 || hgt <= 0 || w > kMaxImageSide || hgt > kMaxImageSide || w * hgt > kMaxImagePixels)
        return Fail(image);
    if (topDown && (in.compression == BI_RLE8 || in.compression == BI_RLE4)) return Fail(image);

    // Bit-field masks: in the header (V2 and later) or right after a 40-byte header.
    std::size_t tableOffset = 14 + in.headerSize;
    if (in.hasMasks) {
        const int count = in.compression == BI_ALPHABITFIELDS ? 4 : 3;
        if (in.headerSize == 40) {
            if (tableOffset + 4u * count > len) return Fail(image);
            for (int i = 0; i < count; ++i) in.masks[i] = U32(f + tableOffset + 4 * i);
            tableOffset += 4u * count;
        } else {
            for (int i = 0; i < 3; ++i) in.masks[i] = U32(h + 40 + 4 * i);
            if (in.headerSize >= 56) in.masks[3] = U32(h + 52);
        }
    } else if (bpp == 16) {
        in.masks[0] = 0x7C00;
        in.masks[1] = 0x03E0;
        in.masks[2] = 0x001F;
    }

    // Palette.
    const std::size_t entrySize = in.core ? 3 : 4;
    std::uint32_t palette[256];
    std::size_t paletteCount = 0;
    std::size_t paletteBytes = 0;
    if (bpp <= 8) {
        const std::uint64_t maxEntries = 1ull << bpp;
        const std::uint64_t n = in.clrUsed ? in.clrUsed : maxEntries;
        if (n > maxEntries) return Fail(image); // a palette that lies about its size
        paletteCount = static_cast<std::size_t>(n);
        paletteBytes = paletteCount * entrySize;
        if (tableOffset + paletteBytes > len) return Fail(image);
        for (std::size_t i = 0; i < paletteCount; ++i) {
            const std::uint8_t* e = f + tableOffset + i * entrySize;
            palette[i] = std::uint32_t(e[0]) | std::uint32_t(e[1]) << 8 | std::uint32_t(e[2]) << 16;
        }
    } else if (in.clrUsed) {
        // An optional palette before the pixels of a true-colour file: skipped.
        const std::uint64_t bytes = std::uint64_t(in.clrUsed) * entrySize;
        if (bytes > len) return Fail(image);
        paletteBytes = static_cast<std::size_t>(bytes);
    }
    for (std::size_t i = paletteCount; i < 256; ++i) palette[i] = 0; // indexes past it: black

    // Pixel data.
    std::uint64_t dataOffset = offBits ? offBits : std::uint64_t(tableOffset) + paletteBytes;
    if (dataOffset < 14 + in.headerSize || dataOffset >= len) return Fail(image);
    const std::uint8_t* data = f + dataOffset;
    const std::size_t dataLen = len - static_cast<std::size_t>(dataOffset);

    const int outBpp = bpp == 32 ? 32 : 24;
    if (!image.Create(static_cast<int>(w), static_cast<int>(hgt), outBpp)) return Fail(image);
    const int W = static_cast<int>(w), H = static_cast<int>(hgt);
    const int ob = outBpp / 8;

    auto putIndex = [&](std::uint8_t* d, unsigned index) {
        std::uint32_t c = palette[index & 0xFF];
        d[0] = static_cast<std::uint8_t>(c);
        d[1] = static_cast<std::uint8_t>(c >> 8);
        d[2] = static_cast<std::uint8_t>(c >> 16);
    };

    if (in.compression == BI_RLE8 || in.compression == BI_RLE4) {
        // Unwritten pixels keep palette entry 0.
        for (int y = 0; y < H; ++y) {
            std::uint8_t* d = image.ScanLine(y);
            for (int x = 0; x < W; ++x) putIndex(d + x * ob, 0);
        }
        const bool four = in.compression == BI_RLE4;
        std::size_t p = 0;
        std::int64_t x = 0, row = 0; // row 0 is the bottom row
        auto put = [&](unsigned index) {
            if (x < W && row < H)
                putIndex(image.ScanLine(static_cast<int>(H - 1 - row)) + std::size_t(x) * ob, index);
            ++x;
        };
        while (p + 2 <= dataLen && row < H) {
            const unsigned count = data[p], value = data[p + 1];
            p += 2;
            if (count > 0) {
                for (unsigned i = 0; i < count && x < W; ++i)
                    put(four ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value);
            } else if (value == 0) { // end of line
                x = 0;
                ++row;
            } else if (value == 1) { // end of bitmap
                break;
            } else if (value == 2) { // delta
                if (p + 2 > dataLen) break;
                x += data[p];
                row += data[p + 1];
                p += 2;
            } else { // absolute run of `value` pixels, padded to a 16-bit boundary
                const std::size_t bytes = four ? (value + 1) / 2 : value;
                if (p + bytes > dataLen) return Fail(image);
                for (unsigned i = 0; i < value; ++i) {
                    unsigned index = four ? ((i & 1) ? (data[p + i / 2] & 0x0F) : (data[p + i / 2] >> 4))
                                          : data[p + i];
                    if (x >= W) break;
                    put(index);
                }
                p += (bytes + 1) & ~std::size_t(1);
            }
        }
        return true;
    }

    const std::uint64_t srcStride = ((std::uint64_t(W) * bpp + 31) / 32) * 4;
    if (srcStride * H > dataLen) return Fail(image); // truncated pixel data
    const Channel red(in.masks[0]), green(in.masks[1]), blue(in.masks[2]), alpha(in.masks[3]);
    const bool plain32 = bpp == 32 && (!in.hasMasks || (in.masks[0] == 0x00FF0000 &&
                                                        in.masks[1] == 0x0000FF00 &&
                                                        in.masks[2] == 0x000000FF));
    for (int fileRow = 0; fileRow < H; ++fileRow) {
        const std::uint8_t* s = data + srcStride * fileRow;
        const int y = topDown ? fileRow : H - 1 - fileRow; // from the top
        std::uint8_t* d = image.ScanLine(y);
        switch (bpp) {
        case 1:
            for (int x = 0; x < W; ++x) putIndex(d + x * ob, (s[x >> 3] >> (7 - (x & 7))) & 1);
            break;
        case 4:
            for (int x = 0; x < W; ++x) putIndex(d + x * ob, (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4));
            break;
        case 8:
            for (int x = 0; x < W; ++x) putIndex(d + x * ob, s[x]);
            break;
        case 16:
            for (int x = 0; x < W; ++x) {
                std::uint32_t px = U16(s + 2 * x);
                d[x * 3 + 0] = blue.Get(px);
                d[x * 3 + 1] = green.Get(px);
                d[x * 3 + 2] = red.Get(px);
            }
            break;
        case 24:
            std::memcpy(d, s, std::size_t(W) * 3);
            break;
        case 32:
            if (plain32) {
                std::memcpy(d, s, std::size_t(W) * 4);
                if (in.hasMasks && !in.masks[3])
                    for (int x = 0; x < W; ++x) d[x * 4 + 3] = 0;
            } else {
                for (int x = 0; x < W; ++x) {
                    std::uint32_t px = U32(s + 4 * x);
                    d[x * 4 + 0] = blue.Get(px);
                    d[x * 4 + 1] = green.Get(px);
                    d[x * 4 + 2] = red.Get(px);
                    d[x * 4 + 3] = alpha.Get(px);
                }
            }
            break;
        }
    }
    return true;
}

TPixelImage ReadBitmapFile(std::span<const std::uint8_t> file) {
    TPixelImage image;
    ReadBitmapFile(file, image);
    return image;
}

std::vector<std::uint8_t> WriteBitmapFile(const TPixelImage& image) {
    std::vector<std::uint8_t> out;
    if (image.Empty()) return out;
    const std::uint32_t dataSize = static_cast<std::uint32_t>(image.SizeBytes());
    out.resize(54 + dataSize);
    auto put16 = [&](std::size_t at, std::uint32_t v) {
        out[at] = static_cast<std::uint8_t>(v);
        out[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        put16(at, v & 0xFFFF);
        put16(at + 2, v >> 16);
    };
    out[0] = 'B';
    out[1] = 'M';
    put32(2, 54 + dataSize);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(image.Width()));
    put32(22, static_cast<std::uint32_t>(image.Height()));
    put16(26, 1);
    put16(28, static_cast<std::uint32_t>(image.BitsPerPixel()));
    put32(30, BI_RGB);
    put32(34, dataSize);
    put32(38, 2835); // 72 dpi
    put32(42, 2835);
    std::memcpy(out.data() + 54, image.Bits(), dataSize);
    return out;
}

} // namespace skin
