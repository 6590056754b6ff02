#pragma once
// A small raster kit for drawing skin bitmaps: 24-bit images, an anti-aliased drawing layer
// driven by signed distance functions, and BMP/PNG encoders. Portable, no platform headers.
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace skin::art {

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(Rgb, Rgb) = default;
};

// The colour that the skin engine treats as a hole.
inline constexpr Rgb kKey{255, 0, 255};

// t = 0 gives a, t = 1 gives b; rounded to the nearest level.
Rgb Mix(Rgb a, Rgb b, float t);

class Image {
public:
    Image() = default;
    Image(int width, int height, Rgb fill = kKey);

    int Width() const { return width_; }
    int Height() const { return height_; }
    Rgb At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    void Set(int x, int y, Rgb c) { pixels_[static_cast<size_t>(y) * width_ + x] = c; }

    void Fill(Rgb c);
    void FillRect(int x, int y, int w, int h, Rgb c); // clipped
    void Blit(const Image& src, int dx, int dy);      // opaque copy, clipped
    void BlitKeyed(const Image& src, int dx, int dy); // key-coloured pixels left out
    Image Crop(int x, int y, int w, int h) const;
    Image Mirrored() const; // left to right
    Image Transposed() const;
    Image Scaled(int w, int h) const; // nearest neighbour, as the engine's stretch copies do
    // Frames side by side into one strip (all of one size), or stacked top to bottom.
    static Image Row(const std::vector<Image>& frames);
    static Image Column(const std::vector<Image>& frames);

private:
    int width_ = 0, height_ = 0;
    std::vector<Rgb> pixels_;
};

// Shapes are signed distance functions in pixel units (negative inside); pixel (x, y) is
// sampled at its centre (x + 0.5, y + 0.5). Straight edges on whole pixel positions stay crisp.
using Shape = std::function<float(float x, float y)>;
// Colour of a pixel; used for fills and for the backdrop a bitmap will be drawn over.
using Paint = std::function<Rgb(int x, int y)>;

namespace shape {
Shape Rect(float x0, float y0, float x1, float y1);
Shape RoundRect(float x0, float y0, float x1, float y1, float radius);
// Rounded at the top only: the bottom edge is straight (window frames).
Shape TopRoundRect(float x0, float y0, float x1, float y1, float radius);
Shape Circle(float cx, float cy, float radius);
Shape Segment(float ax, float ay, float bx, float by, float halfWidth);
Shape Polyline(std::vector<float> xy, float halfWidth); // x0, y0, x1, y1, ...
Shape Triangle(float ax, float ay, float bx, float by, float cx, float cy);
Shape Union(Shape a, Shape b);
Shape Intersect(Shape a, Shape b);
Shape Subtract(Shape a, Shape b);
// The band between a shape and its inner shape (an outline).
Shape Ring(Shape outer, Shape inner);
} // namespace shape

Paint Solid(Rgb c);
// Ramps through stops (row or column, colour); before the first / after the last stop clamp.
Paint VerticalRamp(std::vector<std::pair<int, Rgb>> stops);
Paint HorizontalRamp(std::vector<std::pair<int, Rgb>> stops);

// Premultiplied RGBA drawing surface. Shapes composite "over" what is already drawn.
class Layer {
public:
    Layer(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }

    void Fill(const Shape& s, const Paint& p, float opacity = 1.0f);
    void Fill(const Shape& s, Rgb c, float opacity = 1.0f) { Fill(s, Solid(c), opacity); }
    float Alpha(int x, int y) const { return px_[Index(x, y) + 3]; }

    // Every touched pixel is blended onto the colour it will really sit on; untouched pixels
    // become the key colour. So soft edges never carry a magenta fringe.
    Image Flatten(const Paint& backdrop) const;
    Image Flatten(Rgb backdrop) const { return Flatten(Solid(backdrop)); }
    // For an outline over an unknown background (the desktop behind a window corner): a pixel
    // at least half covered is opaque in its own colour, the rest is key.
    Image FlattenHard() const;

private:
    size_t Index(int x, int y) const { return (static_cast<size_t>(y) * width_ + x) * 4; }
    int width_, height_;
    std::vector<float> px_;
};

// Windows bitmap file: BITMAPFILEHEADER + BITMAPINFOHEADER, 24 bits, bottom-up, rows padded.
std::vector<std::uint8_t> EncodeBmp(const Image& image);
// Uncompressed PNG (stored deflate blocks), 8-bit RGB.
std::vector<std::uint8_t> EncodePng(const Image& image);

// A 3x5 capital letter font for labels on review sheets; lower case is shown as capitals.
int TextWidth(std::string_view text, int scale);
void DrawText(Image& image, int x, int y, std::string_view text, Rgb colour, int scale);

} // namespace skin::art
