#include "skin/data/skin_elements.h"

#include "skin/data/skin_elements_impl.h"

#include <algorithm>
#include <cstring>

namespace skin {

template class TSkinElementsT<TPixelImage>;

std::int32_t DefaultCheckFrames(int width, int height) {
    const int frames = height < 16 ? width / 13 : width / 16;
    return std::max(frames, 4);
}

std::int32_t DefaultSysButtonFrames(int width, int height) {
    return static_cast<double>(width) / static_cast<double>(height) <= 3.8 ? 3 : 6;
}

namespace {

struct Frame {
    int x = 0, width = 0, height = 0;
};

Frame LocateFrame(const TPixelImage& source, int frameCount, int frameIndex) {
    const int n = frameCount > 0 ? frameCount : 1;
    Frame f;
    f.width = source.Width() / n;
    f.height = source.Height();
    f.x = (frameIndex - 1) * f.width;
    return f;
}

// Nearest-pixel stretch of source rectangle s into destination rectangle d of a 24-bit image;
// the centre of each destination pixel picks its source pixel. Source pixels outside the
// source image are not copied.
void Stretch(TPixelImage& dst, const IntRect& d, const TPixelImage& src, const IntRect& s) {
    const int dw = d.Width(), dh = d.Height(), sw = s.Width(), sh = s.Height();
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const int sbpp = src.BytesPerPixel();
    for (int y = 0; y < dh; ++y) {
        const int dy = d.top + y;
        const int sy = s.top + static_cast<int>((2ll * y + 1) * sh / (2ll * dh));
        if (dy < 0 || dy >= dst.Height() || sy < 0 || sy >= src.Height()) continue;
        const std::uint8_t* srow = src.ScanLine(sy);
        std::uint8_t* drow = dst.ScanLine(dy);
        for (int x = 0; x < dw; ++x) {
            const int dx = d.left + x;
            const int sx = s.left + static_cast<int>((2ll * x + 1) * sw / (2ll * dw));
            if (dx < 0 || dx >= dst.Width() || sx < 0 || sx >= src.Width()) continue;
            std::memcpy(drow + std::size_t(dx) * 3, srow + std::size_t(sx) * sbpp, 3);
        }
    }
}

bool IsKey(const std::uint8_t* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 255;
}

// Copies all of `part` to (left, top) of `canvas`, leaving magenta out when keyed.
void Blit(TPixelImage& canvas, int left, int top, const TPixelImage& part, int sx, int sy, int w,
          int h, bool keyed) {
    const int pbpp = part.BytesPerPixel(), cbpp = canvas.BytesPerPixel();
    for (int y = 0; y < h; ++y) {
        const int cy = top + y, py = sy + y;
        if (cy < 0 || cy >= canvas.Height() || py < 0 || py >= part.Height()) continue;
        const std::uint8_t* prow = part.ScanLine(py);
        std::uint8_t* crow = canvas.ScanLine(cy);
        for (int x = 0; x < w; ++x) {
            const int cx = left + x, px = sx + x;
            if (cx < 0 || cx >= canvas.Width() || px < 0 || px >= part.Width()) continue;
            const std::uint8_t* p = prow + std::size_t(px) * pbpp;
            if (keyed && IsKey(p)) continue;
            std::memcpy(crow + std::size_t(cx) * cbpp, p, 3);
        }
    }
}

} // namespace

void DrawNineSliceInto(TPixelImage& canvas, const IntRect& target, const TPixelImage& source,
                       const TSkinMargins& margins, int frameCount, int frameIndex, bool keyed) {
    const int w = target.Width(), h = target.Height();
    if (w <= 0 || h <= 0 || source.Empty()) return;
    const Frame f = LocateFrame(source, frameCount, frameIndex);
    int l = margins.Left, t = margins.Top, r = margins.Right, b = margins.Bottom;
    if (w < l + r) l = r = 0;
    if (h < t + b) t = b = 0;
    TPixelImage work(w, h, 24);
    const int fx = f.x, fw = f.width, fh = f.height;
    auto part = [&](IntRect d, IntRect s) {
        s.left += fx;
        s.right += fx;
        Stretch(work, d, source, s);
    };
    part({0, 0, l, t}, {0, 0, l, t});                     // top-left
    part({0, h - b, l, h}, {0, fh - b, l, fh});           // bottom-left
    part({w - r, 0, w, t}, {fw - r, 0, fw, t});           // top-right
    part({0, t, l, h - b}, {0, t, l, fh - b});            // left edge
    part({l, 0, w - r, t}, {l, 0, fw - r, t});            // top edge
    part({l, t, w - r, h - b}, {l, t, fw - r, fh - b});   // middle
    part({w - r, h - b, w, h}, {fw - r, fh - b, fw, fh}); // bottom-right
    part({w - r, t, w, h - b}, {fw - r, t, fw, fh - b});  // right edge
    part({l, h - b, w - r, h}, {l, fh - b, fw - r, fh});  // bottom edge
    Blit(canvas, target.left, target.top, work, 0, 0, w, h, keyed);
}

void DrawFrameCentredInto(TPixelImage& canvas, const IntRect& target, const TPixelImage& source,
                          int frameCount, int frameIndex, bool keyed) {
    if (target.right < target.left || target.bottom < target.top || source.Empty()) return;
    const Frame f = LocateFrame(source, frameCount, frameIndex);
    const int left = target.left + (target.Width() - f.width) / 2;
    const int top = target.top + (target.Height() - f.height) / 2;
    Blit(canvas, left, top, source, f.x, 0, f.width, f.height, keyed);
}

TPixelImage ComposeComboStrip(const TComboPart& sunkEdge, const TComboPart& comboButton,
                              const TComboPart& extraImages, int arrowWidth) {
    constexpr int kCellWidth = 50, kCellHeight = 21;
    const int n = sunkEdge.FrameCount;
    TPixelImage strip;
    if (n <= 0 || !sunkEdge.Image || !comboButton.Image) return strip;
    strip.Create(kCellWidth * n, kCellHeight, 24);
    strip.Fill(kMagenta);
    const IntRect whole{0, 0, kCellWidth, kCellHeight};
    const IntRect arrow{kCellWidth - arrowWidth, 0, kCellWidth, kCellHeight};
    TPixelImage cell(kCellWidth, kCellHeight, 24);
    for (int k = 1; k <= n; ++k) {
        cell.Fill(kMagenta);
        DrawNineSliceInto(cell, whole, *sunkEdge.Image, sunkEdge.Margins, n, k, sunkEdge.Keyed);
        DrawNineSliceInto(cell, arrow, *comboButton.Image, comboButton.Margins,
                          comboButton.FrameCount, k, true);
        if (extraImages.Image)
            DrawFrameCentredInto(cell, arrow, *extraImages.Image, extraImages.FrameCount, k, true);
        // The edit area shows through.
        cell.FillRect(2, 2, 49 - arrowWidth, 18, kMagenta);
        Blit(strip, kCellWidth * (k - 1), 0, cell, 0, 0, kCellWidth, kCellHeight, false);
    }
    return strip;
}

TPixelImage CutComboArrows(const TPixelImage& comboButton, int frames) {
    constexpr int kSide = 17;
    TPixelImage arrows;
    if (frames <= 0) return arrows;
    arrows.Create(kSide * frames, kSide, 24);
    const int cw = comboButton.Width() / frames;
    for (int k = 0; k < frames; ++k)
        Blit(arrows, kSide * k, 0, comboButton, (k + 1) * cw - 19, 2, kSide, kSide, false);
    return arrows;
}

TPixelImage ToolbarGradient(TColor buttonFace, TColor titleColour) {
    const TColor top = MixColors(buttonFace, kWhite, 150);
    TColor bottom = MixColors(0x808080, titleColour, 150);
    const int s = SaturationMeasure(titleColour);
    // A strongly coloured title is lightened toward white instead of greyed.
    if (s > 110) bottom = MixColors(titleColour, kWhite, (5625 - 25 * s) / 140 + 50);
    TPixelImage image(10, 40, 24);
    GradientFill(image, {0, 0, 10, 40}, top, true, bottom);
    return image;
}

} // namespace skin
