#pragma once
// Colours, fonts, brushes, pens, canvases and bitmaps over GDI.
#include "toolkit/classes.h"
#include "toolkit/handles.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// Red in the low byte; a value whose top byte is 0xFF names the system colour in its low byte.
using TColor = int32_t;
constexpr TColor SystemColor(int index) {
    return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index));
}
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clWhite = 0xFFFFFF;
constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR),
                 clBackground = SystemColor(COLOR_BACKGROUND),
                 clActiveCaption = SystemColor(COLOR_ACTIVECAPTION),
                 clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION),
                 clMenu = SystemColor(COLOR_MENU), clWindow = SystemColor(COLOR_WINDOW),
                 clWindowFrame = SystemColor(COLOR_WINDOWFRAME),
                 clMenuText = SystemColor(COLOR_MENUTEXT),
                 clWindowText = SystemColor(COLOR_WINDOWTEXT),
                 clCaptionText = SystemColor(COLOR_CAPTIONTEXT),
                 clBtnFace = SystemColor(COLOR_BTNFACE), clBtnShadow = SystemColor(COLOR_BTNSHADOW),
                 clGrayText = SystemColor(COLOR_GRAYTEXT), clBtnText = SystemColor(COLOR_BTNTEXT),
                 clHighlight = SystemColor(COLOR_HIGHLIGHT),
                 clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT),
                 clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT),
                 cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW),
                 cl3DLight = SystemColor(COLOR_3DLIGHT), clInfoText = SystemColor(COLOR_INFOTEXT),
                 clInfoBk = SystemColor(COLOR_INFOBK);

COLORREF ColorToRGB(TColor color);
// Colour names of the form description ("clBtnFace", "clAqua") and "$00BBGGRR" numbers.
bool IdentToColor(std::string_view ident, TColor& color);

enum TFontStyle { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = int;

class TGraphicsObject : public TPersistent {
    TOOLKIT_CLASS(TGraphicsObject)
public:
    std::function<void()> OnChange;

protected:
    void Changed() {
        if (OnChange) OnChange();
    }
};

class TFont : public TGraphicsObject {
    TOOLKIT_CLASS(TFont)
public:
    TFont();
    const std::string& Name() const { return name_; }
    void SetName(const std::string& v);
    // Negative: character height in pixels; positive: cell height.
    int Height() const { return height_; }
    void SetHeight(int v);
    int Size() const;
    void SetSize(int points);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles v);
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    int Charset() const { return charset_; }
    void SetCharset(int v);
    // FW_ value: FW_BOLD or FW_NORMAL after fsBold, unless a record set another.
    int Weight() const;
    void Assign(const TFont& other);
    // Takes every field of the record (name, height, weight, width, quality, pitch and family,
    // charset, style bits, escapement, precisions); fsBold follows a weight of FW_BOLD or more.
    void SetLogFont(const LOGFONTA& lf);
    void SetLogFont(const LOGFONTW& lf);
    // The record the handle is made from.
    LOGFONTW LogFont() const;
    HFONT Handle() const;

private:
    // The record's fields that the style bits do not say.
    struct Extra {
        int weight = 0; // 0: from fsBold
        int width = 0, escapement = 0, orientation = 0;
        BYTE outPrecision = OUT_DEFAULT_PRECIS, clipPrecision = CLIP_DEFAULT_PRECIS,
             quality = DEFAULT_QUALITY, pitchAndFamily = DEFAULT_PITCH;
    };
    std::string name_;
    int height_ = -12;
    TFontStyles style_ = 0;
    TColor color_;
    int charset_ = DEFAULT_CHARSET;
    Extra extra_;
    mutable UniqueFont handle_;
};

enum TBrushStyle {
    bsSolid,
    bsClear,
    bsHorizontal,
    bsVertical,
    bsFDiagonal,
    bsBDiagonal,
    bsCross,
    bsDiagCross
};

class TBrush : public TGraphicsObject {
    TOOLKIT_CLASS(TBrush)
public:
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle v);
    HBRUSH Handle() const;

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    mutable UniqueBrush handle_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
    TOOLKIT_CLASS(TPen)
public:
    TColor Color() const { return color_; }
    void SetColor(TColor v);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle v);
    int Width() const { return width_; }
    void SetWidth(int v);
    HPEN Handle() const;

private:
    TColor color_ = clBlack;
    TPenStyle style_ = psSolid;
    int width_ = 1;
    mutable UniquePen handle_;
};

class TBitmap;

// Drawing on a DC that the canvas does not own. The canvas's font, brush and pen are selected
// while it draws and deselected before it returns, so the DC is left as it was found.
class TCanvas : public TPersistent {
    TOOLKIT_CLASS(TCanvas)
public:
    TCanvas() = default;
    explicit TCanvas(HDC dc) : dc_(dc) {}
    HDC Handle() const { return dc_; }
    void SetHandle(HDC dc) { dc_ = dc; }
    TFont& Font() { return font_; }
    TBrush& Brush() { return brush_; }
    TPen& Pen() { return pen_; }

    void FillRect(const RECT& r);
    void Rectangle(const RECT& r);
    void Ellipse(const RECT& r);
    void FrameRect(const RECT& r);
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    // Draws 8-bit text in the system code page; flags as DrawText's.
    void TextRect(RECT r, const std::string& text, UINT flags);
    SIZE TextExtent(const std::string& text);

    // The bitmap at (x, y) at its own size; a Transparent bitmap leaves out the pixels of its
    // TransparentColor (the DC keeps what it had there). Empty bitmaps draw nothing.
    void Draw(int x, int y, TBitmap& bitmap);
    // The bitmap stretched to r with the DC's stretch mode, transparent as Draw.
    void StretchDraw(const RECT& r, TBitmap& bitmap);
    // src of `source` stretched to dest of this canvas with CopyMode.
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& src);
    // Raster operation of Draw, StretchDraw (opaque bitmaps) and CopyRect.
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }
    // The DC's pixel as a plain colour; -1 outside the clip or without a DC.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);

private:
    HDC dc_ = nullptr;
    DWORD copyMode_ = SRCCOPY;
    TFont font_;
    TBrush brush_;
    TPen pen_;
};

// Pixel formats of TBitmap. pfDevice is the 32-bit format (every display this runs on is).
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit };
// tmAuto: the transparent colour is the bottom-left pixel's; tmFixed: TransparentColor as set.
enum TTransparentMode { tmAuto, tmFixed };

// A top-down DIB section of any pixel format with its own memory DC and canvas.
//
// ScanLine(y) is the address of row y counted from the top, in every format; rows are
// RowBytes() long (a multiple of 4). What a row holds depends on the format:
//   pf32bit, pfDevice  one 32-bit word per pixel, 0x00RRGGBB (the top byte is not a colour)
//   pf24bit            3 bytes per pixel: blue, green, red
//   pf16bit            one 16-bit word per pixel, 5-6-5 bits red, green, blue
//   pf15bit            one 16-bit word per pixel, 5-5-5 bits red, green, blue (top bit 0)
//   pf8bit             one palette index per byte
//   pf4bit             two palette indexes per byte, the left pixel in the high nibble
//   pf1bit             eight palette indexes per byte, the left pixel in the high bit
// The typed pointer suits pf32bit; ScanLineBytes is the same address as bytes. Call
// GdiFlush() before touching pixels that GDI drew. Pixel, SetPixel, ReadRow and WriteRow
// work in every format.
class TBitmap : public TPersistent {
    TOOLKIT_CLASS(TBitmap)
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    TBitmap(int width, int height, TPixelFormat format) : format_(format) {
        SetSize(width, height);
    }
    TBitmap(const TBitmap&) = delete;
    TBitmap& operator=(const TBitmap&) = delete;
    ~TBitmap() override;

    // A new black (palette entry 0) image of that size in the current pixel format.
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    HBITMAP Handle() const { return bitmap_.get(); }
    TCanvas& Canvas() { return canvas_; }

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels: colours are kept where the new format can hold them, else the
    // nearest palette entry (indexed formats) or the nearest level (15 and 16 bits) is taken.
    void SetPixelFormat(TPixelFormat format);
    int BitsPerPixel() const { return BitsOf(format_); }
    static int BitsOf(TPixelFormat format);
    int RowBytes() const { return RowBytesFor(width_, BitsPerPixel()); }
    static int RowBytesFor(int width, int bitsPerPixel) {
        return ((width * bitsPerPixel + 31) / 32) * 4;
    }
    std::uint32_t* ScanLine(int y) { return reinterpret_cast<std::uint32_t*>(ScanLineBytes(y)); }
    std::uint8_t* ScanLineBytes(int y) {
        return bits_ + static_cast<size_t>(y) * static_cast<size_t>(RowBytes());
    }
    const std::uint8_t* ScanLineBytes(int y) const {
        return bits_ + static_cast<size_t>(y) * static_cast<size_t>(RowBytes());
    }

    // Pixel (x, y) from the top-left as a plain colour; -1 outside the image.
    TColor Pixel(int x, int y) const;
    // Sets pixel (x, y) to the colour (system colours resolved), as SetPixelFormat would
    // store it; outside the image nothing.
    void SetPixel(int x, int y, TColor c);
    // Row y as Width() words 0x00RRGGBB, in every format; and written from such words.
    void ReadRow(int y, std::uint32_t* rgb) const;
    void WriteRow(int y, const std::uint32_t* rgb);

    // The colour table of the indexed formats as 0x00RRGGBB words (empty for the others).
    // A new indexed bitmap has black and white (pf1bit), the 16 standard colours (pf4bit) or a
    // 6 x 6 x 6 colour cube, those 16 colours and 24 greys (pf8bit).
    const std::vector<std::uint32_t>& Palette() const { return palette_; }
    // Replaces the colour table (cut or padded with black to the format's size); pixels keep
    // their indexes.
    void SetPalette(std::vector<std::uint32_t> colours);
    static std::vector<std::uint32_t> DefaultPalette(TPixelFormat format);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v) { transparent_ = v; }
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode v) { transparentMode_ = v; }
    // tmAuto: the bottom-left pixel's colour (clDefault for an empty bitmap).
    TColor TransparentColor() const;
    // Also switches the mode to tmFixed.
    void SetTransparentColor(TColor c);

    // A copy of size, format, palette, pixels and transparency settings that shares nothing.
    void Assign(const TBitmap& source);
    // Turns the image into a pf1bit mask: pixels of the key colour white, all others black.
    void Mask(TColor key);
    // Takes over a GDI bitmap (any kind and depth): its pixels go into a DIB section of the
    // nearest format (palettes kept) and the handle is deleted. False leaves this bitmap empty.
    bool AdoptHandle(HBITMAP bitmap);
    bool LoadFromResourceName(HINSTANCE instance, const wchar_t* name);
    bool LoadFromResourceID(HINSTANCE instance, int id) {
        return LoadFromResourceName(instance, MAKEINTRESOURCEW(id));
    }

private:
    void Create(int width, int height, TPixelFormat format,
                const std::vector<std::uint32_t>& palette);
    void Release();

    int width_ = 0, height_ = 0;
    TPixelFormat format_ = pf32bit;
    std::uint8_t* bits_ = nullptr;
    std::vector<std::uint32_t> palette_;
    bool transparent_ = false;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    UniqueMemDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    TCanvas canvas_;
};

// The program's own icon ("MAINICON" of the executable) at the system's big or small icon
// size; shared, never destroyed. Null when the executable has none.
HICON ApplicationIcon(bool smallSize);
