#include "skin/data/skin_bitmap.h"

#include <cstring>
#include <vector>

namespace skin {

namespace {

// 32-bit TBitmap rows hold 0x00RRGGBB words, top row first; TPixelImage rows are bottom-up
// bytes in blue, green, red (, x) order: the same byte order per pixel, so rows copy pixel by
// pixel. Other formats go through the bitmap's row conversion.
std::uint32_t* BitmapRow(const TBitmap& bitmap, int y) {
    // ScanLine only computes an address; the bitmap is not changed through it here.
    return const_cast<TBitmap&>(bitmap).ScanLine(y);
}

} // namespace

void AssignPixels(TBitmap& target, const TPixelImage& image) {
    if (image.Empty()) {
        if (!target.Empty()) target.SetSize(0, 0);
        return;
    }
    if (target.Width() != image.Width() || target.Height() != image.Height())
        target.SetSize(image.Width(), image.Height());
    if (!target.Handle()) return;
    GdiFlush();
    const int bpp = image.BytesPerPixel();
    const bool direct = target.BitsPerPixel() == 32;
    std::vector<std::uint32_t> row(direct ? 0 : static_cast<std::size_t>(image.Width()));
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint8_t* s = image.ScanLine(y);
        std::uint32_t* d = direct ? BitmapRow(target, y) : row.data();
        for (int x = 0; x < image.Width(); ++x, s += bpp)
            d[x] = std::uint32_t(s[0]) | std::uint32_t(s[1]) << 8 | std::uint32_t(s[2]) << 16;
        if (!direct) target.WriteRow(y, d);
    }
}

TPixelImage PixelsOf(const TBitmap& bitmap, int bitsPerPixel) {
    TPixelImage image;
    if (bitmap.Empty() || !bitmap.Handle()) return image;
    if (!image.Create(bitmap.Width(), bitmap.Height(), bitsPerPixel)) return image;
    GdiFlush();
    const int bpp = image.BytesPerPixel();
    const bool direct = bitmap.BitsPerPixel() == 32;
    std::vector<std::uint32_t> row(direct ? 0 : static_cast<std::size_t>(image.Width()));
    for (int y = 0; y < image.Height(); ++y) {
        const std::uint32_t* s = direct ? BitmapRow(bitmap, y) : row.data();
        if (!direct) bitmap.ReadRow(y, row.data());
        std::uint8_t* d = image.ScanLine(y);
        for (int x = 0; x < image.Width(); ++x, d += bpp) {
            d[0] = static_cast<std::uint8_t>(s[x]);
            d[1] = static_cast<std::uint8_t>(s[x] >> 8);
            d[2] = static_cast<std::uint8_t>(s[x] >> 16);
        }
    }
    return image;
}

TPixelImage PixelsOf(HBITMAP bitmap, int bitsPerPixel) {
    TPixelImage image;
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return image;
    if (!image.Create(info.bmWidth, info.bmHeight < 0 ? -info.bmHeight : info.bmHeight,
                      bitsPerPixel))
        return image;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.Width();
    bi.bmiHeader.biHeight = image.Height(); // bottom-up, like TPixelImage
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(image.BitsPerPixel());
    bi.bmiHeader.biCompression = BI_RGB;
    WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.Height()), image.Bits(), &bi,
                  DIB_RGB_COLORS) != image.Height())
        image.Clear();
    return image;
}

UniqueBitmap CreateDibSection(const TPixelImage& image) {
    if (image.Empty()) return {};
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = image.Width();
    bi.bmiHeader.biHeight = image.Height();
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(image.BitsPerPixel());
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    UniqueBitmap dib(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (dib && bits) std::memcpy(bits, image.Bits(), image.SizeBytes());
    return dib;
}

TColor TSkinImageOps<TBitmap>::Pixel(const TBitmap& bitmap, int x, int y) {
    if (x < 0 || y < 0 || x >= bitmap.Width() || y >= bitmap.Height() || !bitmap.Handle())
        return -1;
    return bitmap.Pixel(x, y);
}

} // namespace skin
