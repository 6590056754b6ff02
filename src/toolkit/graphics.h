#pragma once
// Colours, fonts, brushes, pens, canvases and bitmaps over GDI.
#include "toolkit/classes.h"
#include "toolkit/handles.h"

#include <windows.h>

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
    void Assign(const TFont& other);
    HFONT Handle() const;

private:
    std::string name_;
    int height_ = -12;
    TFontStyles style_ = 0;
    TColor color_;
    int charset_ = DEFAULT_CHARSET;
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

private:
    HDC dc_ = nullptr;
    TFont font_;
    TBrush brush_;
    TPen pen_;
};

// A 32-bit top-down DIB section with its own memory DC and canvas.
class TBitmap : public TPersistent {
    TOOLKIT_CLASS(TBitmap)
public:
    TBitmap() = default;
    TBitmap(int width, int height) { SetSize(width, height); }
    void SetSize(int width, int height);
    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Empty() const { return width_ <= 0 || height_ <= 0; }
    HBITMAP Handle() const { return bitmap_.get(); }
    TCanvas& Canvas() { return canvas_; }
    // Pixels as 0x00RRGGBB, row y from the top.
    uint32_t* ScanLine(int y) {
        return bits_ + static_cast<size_t>(y) * static_cast<size_t>(width_);
    }

private:
    int width_ = 0, height_ = 0;
    uint32_t* bits_ = nullptr;
    UniqueMemDc dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ old_ = nullptr;
    TCanvas canvas_;

public:
    ~TBitmap() override;
};
