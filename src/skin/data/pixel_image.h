#pragma once
// TPixelImage: a portable pixel image laid out like a Windows DIB section, so that the Win32
// side can hand its buffer to CreateDIBSection/SetDIBits without conversion: 24 or 32 bits
// per pixel, blue-green-red(-x) byte order, rows bottom-up (the first row in memory is the
// bottom row), each row padded to a multiple of 4 bytes.
//
// Also the Windows bitmap file reader used for skin entries, and a writer for the tools.
#include "skin/data/colour.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace skin {

// Largest image this code makes: 32,768 pixels a side and 16 M pixels in all. A bitmap
// entry that claims more is refused (an empty image).
inline constexpr int kMaxImageSide = 32768;
inline constexpr std::int64_t kMaxImagePixels = 16ll << 20;

class TPixelImage {
public:
    TPixelImage() = default;
    // A black image; an empty one when a size is 0 or less, beyond the limits, or bpp is
    // neither 24 nor 32.
    TPixelImage(int width, int height, int bitsPerPixel = 24);

    // Makes a black image of that size (see the constructor); false leaves it empty.
    bool Create(int width, int height, int bitsPerPixel = 24);
    void Clear();                                     // empty image
    bool Empty() const { return width_ <= 0 || height_ <= 0; }

    int Width() const { return width_; }
    int Height() const { return height_; }
    int BitsPerPixel() const { return bpp_; }         // 24 or 32 (24 for an empty image)
    int BytesPerPixel() const { return bpp_ / 8; }
    int Stride() const { return stride_; }            // bytes per row, a multiple of 4
    static int StrideFor(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

    // The raw buffer: Height() rows of Stride() bytes, bottom row first.
    std::uint8_t* Bits() { return pixels_.data(); }
    const std::uint8_t* Bits() const { return pixels_.data(); }
    std::size_t SizeBytes() const { return pixels_.size(); }

    // Row y counted from the top, like TBitmap.ScanLine[y]. No bounds check.
    std::uint8_t* ScanLine(int y) { return pixels_.data() + std::size_t(height_ - 1 - y) * stride_; }
    const std::uint8_t* ScanLine(int y) const {
        return pixels_.data() + std::size_t(height_ - 1 - y) * stride_;
    }

    // Colour of pixel (x, y) from the top-left (red low); -1 outside the image.
    TColor Pixel(int x, int y) const;
    // Sets the blue, green and red bytes of pixel (x, y) from colour c; outside: nothing.
    void SetPixel(int x, int y, TColor c);
    // Sets every pixel's colour bytes (the fourth byte of 32-bit pixels is left alone).
    void Fill(TColor c);
    // Fills the rectangle [left, right) x [top, bottom), clipped to the image.
    void FillRect(int left, int top, int right, int bottom, TColor c);
    // Converts to 24 or 32 bits per pixel (a new fourth byte is 0); colours are kept.
    void SetPixelFormat(int bitsPerPixel);
    // The part [x, x + w) x [y, y + h), clipped to the image; same pixel format.
    TPixelImage Copy(int x, int y, int w, int h) const;

    bool operator==(const TPixelImage& o) const = default;

private:
    int width_ = 0, height_ = 0, bpp_ = 24, stride_ = 0;
    std::vector<std::uint8_t> pixels_;
};

// Reads a Windows bitmap file ("BM", then a BITMAPCOREHEADER, BITMAPINFOHEADER, V4 or V5
// header): 1, 4 and 8 bits with a palette (also RLE4 and RLE8), 16 and 32 bits (BI_RGB or
// bit fields), 24 bits; bottom-up or top-down. 32-bit files give 32-bit images, all others
// 24-bit. Anything truncated, inconsistent (palette, bit depth, compression, sizes, offsets)
// or beyond the limits gives false and an empty image.
bool ReadBitmapFile(std::span<const std::uint8_t> file, TPixelImage& image);
TPixelImage ReadBitmapFile(std::span<const std::uint8_t> file);

// Writes the image as an uncompressed bottom-up bitmap file with a BITMAPINFOHEADER (24 or
// 32 bits per pixel as the image is). An empty image gives an empty vector.
std::vector<std::uint8_t> WriteBitmapFile(const TPixelImage& image);

} // namespace skin
