#include "toolkit/graphics.h"

#include "toolkit/win_text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

COLORREF ColorToRGB(TColor color) {
    uint32_t c = static_cast<uint32_t>(color);
    if ((c & 0xFF000000u) == 0xFF000000u) return GetSysColor(static_cast<int>(c & 0xFF));
    return c & 0x00FFFFFFu;
}

namespace {
struct ColorName {
    const char* name;
    TColor value;
};
const ColorName kColorNames[] = {
    {"clBlack", clBlack},
    {"clMaroon", clMaroon},
    {"clGreen", clGreen},
    {"clOlive", clOlive},
    {"clNavy", clNavy},
    {"clPurple", clPurple},
    {"clTeal", clTeal},
    {"clGray", clGray},
    {"clSilver", clSilver},
    {"clRed", clRed},
    {"clLime", clLime},
    {"clYellow", clYellow},
    {"clBlue", clBlue},
    {"clFuchsia", clFuchsia},
    {"clAqua", clAqua},
    {"clWhite", clWhite},
    {"clNone", clNone},
    {"clDefault", clDefault},
    {"clScrollBar", clScrollBar},
    {"clBackground", clBackground},
    {"clActiveCaption", clActiveCaption},
    {"clInactiveCaption", clInactiveCaption},
    {"clMenu", clMenu},
    {"clWindow", clWindow},
    {"clWindowFrame", clWindowFrame},
    {"clMenuText", clMenuText},
    {"clWindowText", clWindowText},
    {"clCaptionText", clCaptionText},
    {"clBtnFace", clBtnFace},
    {"clBtnShadow", clBtnShadow},
    {"clGrayText", clGrayText},
    {"clBtnText", clBtnText},
    {"clHighlight", clHighlight},
    {"clHighlightText", clHighlightText},
    {"clBtnHighlight", clBtnHighlight},
    {"cl3DDkShadow", cl3DDkShadow},
    {"cl3DLight", cl3DLight},
    {"clInfoText", clInfoText},
    {"clInfoBk", clInfoBk},
};
} // namespace

bool IdentToColor(std::string_view ident, TColor& color) {
    for (const ColorName& c : kColorNames)
        if (SameText(ident, c.name)) {
            color = c.value;
            return true;
        }
    return false;
}

const TClassInfo& TGraphicsObject::StaticClass() {
    static const TClassInfo info{"TGraphicsObject", &TPersistent::StaticClass(), {}, {}};
    return info;
}

// ---- TFont

const TClassInfo& TFont::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TFont>("TFont", TGraphicsObject::StaticClass())
            .Str(
                "Name", [](TFont& f) { return f.Name(); },
                [](TFont& f, const std::string& v) { f.SetName(v); })
            .Int(
                "Height", [](TFont& f) { return f.Height(); },
                [](TFont& f, int64_t v) { f.SetHeight(static_cast<int>(v)); })
            .Int(
                "Size", [](TFont& f) { return f.Size(); },
                [](TFont& f, int64_t v) { f.SetSize(static_cast<int>(v)); })
            .Set(
                "Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
                [](TFont& f) { return f.Style(); },
                [](TFont& f, int64_t v) { f.SetStyle(static_cast<int>(v)); })
            .Int(
                "Color", [](TFont& f) { return f.Color(); },
                [](TFont& f, int64_t v) { f.SetColor(static_cast<TColor>(v)); })
            .Int(
                "Charset", [](TFont& f) { return f.Charset(); },
                [](TFont& f, int64_t v) { f.SetCharset(static_cast<int>(v)); })
            .Build();
    return info;
}

TFont::TFont() : name_("Tahoma"), color_(clWindowText) {}

void TFont::SetName(const std::string& v) {
    if (v == name_) return;
    name_ = v;
    handle_.reset();
    Changed();
}
void TFont::SetHeight(int v) {
    if (v == height_) return;
    height_ = v;
    handle_.reset();
    Changed();
}
int TFont::Size() const {
    return -MulDiv(height_, 72, 96);
}
void TFont::SetSize(int points) {
    SetHeight(-MulDiv(points, 96, 72));
}
void TFont::SetStyle(TFontStyles v) {
    if (v == style_) return;
    // A weight taken from a record holds only while the bold bit stays as it was.
    if ((v ^ style_) & fsBold) extra_.weight = 0;
    style_ = v;
    handle_.reset();
    Changed();
}
void TFont::SetColor(TColor v) {
    if (v == color_) return;
    color_ = v;
    Changed();
}
void TFont::SetCharset(int v) {
    if (v == charset_) return;
    charset_ = v;
    handle_.reset();
    Changed();
}
void TFont::Assign(const TFont& o) {
    if (&o == this) return;
    name_ = o.name_;
    height_ = o.height_;
    style_ = o.style_;
    color_ = o.color_;
    charset_ = o.charset_;
    extra_ = o.extra_;
    handle_.reset();
    Changed();
}

int TFont::Weight() const {
    if (extra_.weight) return extra_.weight;
    return (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
}

void TFont::SetLogFont(const LOGFONTW& lf) {
    name_ = Narrow(std::wstring(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE)));
    height_ = lf.lfHeight;
    charset_ = lf.lfCharSet;
    TFontStyles style = 0;
    if (lf.lfWeight >= FW_BOLD) style |= fsBold;
    if (lf.lfItalic) style |= fsItalic;
    if (lf.lfUnderline) style |= fsUnderline;
    if (lf.lfStrikeOut) style |= fsStrikeOut;
    style_ = style;
    extra_.weight = lf.lfWeight;
    extra_.width = lf.lfWidth;
    extra_.escapement = lf.lfEscapement;
    extra_.orientation = lf.lfOrientation;
    extra_.outPrecision = lf.lfOutPrecision;
    extra_.clipPrecision = lf.lfClipPrecision;
    extra_.quality = lf.lfQuality;
    extra_.pitchAndFamily = lf.lfPitchAndFamily;
    handle_.reset();
    Changed();
}

void TFont::SetLogFont(const LOGFONTA& a) {
    LOGFONTW w{};
    std::memcpy(&w, &a, offsetof(LOGFONTA, lfFaceName));
    const std::wstring face = Widen(std::string(a.lfFaceName, strnlen(a.lfFaceName, LF_FACESIZE)));
    lstrcpynW(w.lfFaceName, face.c_str(), LF_FACESIZE);
    SetLogFont(w);
}

LOGFONTW TFont::LogFont() const {
    LOGFONTW lf{};
    lf.lfHeight = height_;
    lf.lfWidth = extra_.width;
    lf.lfEscapement = extra_.escapement;
    lf.lfOrientation = extra_.orientation;
    lf.lfWeight = Weight();
    lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
    lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
    lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
    lf.lfCharSet = static_cast<BYTE>(charset_);
    lf.lfOutPrecision = extra_.outPrecision;
    lf.lfClipPrecision = extra_.clipPrecision;
    lf.lfQuality = extra_.quality;
    lf.lfPitchAndFamily = extra_.pitchAndFamily;
    std::wstring face = Widen(name_);
    lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
    return lf;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        const LOGFONTW lf = LogFont();
        handle_.reset(CreateFontIndirectW(&lf));
    }
    return handle_.get();
}

// ---- TBrush

const TClassInfo& TBrush::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TBrush>("TBrush", TGraphicsObject::StaticClass())
            .Int(
                "Color", [](TBrush& b) { return b.Color(); },
                [](TBrush& b, int64_t v) { b.SetColor(static_cast<TColor>(v)); })
            .Enum(
                "Style",
                {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal",
                 "bsCross", "bsDiagCross"},
                [](TBrush& b) { return b.Style(); },
                [](TBrush& b, int64_t v) { b.SetStyle(static_cast<TBrushStyle>(v)); })
            .Build();
    return info;
}

void TBrush::SetColor(TColor v) {
    if (v == color_) return;
    color_ = v;
    handle_.reset();
    Changed();
}
void TBrush::SetStyle(TBrushStyle v) {
    if (v == style_) return;
    style_ = v;
    handle_.reset();
    Changed();
}

HBRUSH TBrush::Handle() const {
    if (!handle_) {
        static const int kHatch[] = {
            0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
        if (style_ == bsClear)
            handle_.reset(static_cast<HBRUSH>(nullptr));
        else if (style_ == bsSolid)
            handle_.reset(CreateSolidBrush(ColorToRGB(color_)));
        else
            handle_.reset(CreateHatchBrush(kHatch[style_], ColorToRGB(color_)));
    }
    return style_ == bsClear ? static_cast<HBRUSH>(GetStockObject(NULL_BRUSH)) : handle_.get();
}

// ---- TPen

const TClassInfo& TPen::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TPen>("TPen", TGraphicsObject::StaticClass())
            .Int(
                "Color", [](TPen& p) { return p.Color(); },
                [](TPen& p, int64_t v) { p.SetColor(static_cast<TColor>(v)); })
            .Enum(
                "Style",
                {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear",
                 "psInsideFrame"},
                [](TPen& p) { return p.Style(); },
                [](TPen& p, int64_t v) { p.SetStyle(static_cast<TPenStyle>(v)); })
            .Int(
                "Width", [](TPen& p) { return p.Width(); },
                [](TPen& p, int64_t v) { p.SetWidth(static_cast<int>(v)); })
            .Build();
    return info;
}

void TPen::SetColor(TColor v) {
    if (v == color_) return;
    color_ = v;
    handle_.reset();
    Changed();
}
void TPen::SetStyle(TPenStyle v) {
    if (v == style_) return;
    style_ = v;
    handle_.reset();
    Changed();
}
void TPen::SetWidth(int v) {
    if (v == width_) return;
    width_ = v;
    handle_.reset();
    Changed();
}

HPEN TPen::Handle() const {
    if (style_ == psClear) return static_cast<HPEN>(GetStockObject(NULL_PEN));
    if (!handle_) {
        static const int kStyle[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                     PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
        handle_.reset(CreatePen(kStyle[style_], width_, ColorToRGB(color_)));
    }
    return handle_.get();
}

// ---- TCanvas

const TClassInfo& TCanvas::StaticClass() {
    static const TClassInfo info{"TCanvas", &TPersistent::StaticClass(), {}, {}};
    return info;
}

void TCanvas::FillRect(const RECT& r) {
    if (brush_.Style() == bsClear) return;
    if (brush_.Style() != bsSolid) {
        // Hatch lines on a transparent background, the way shapes expect them.
        SavedDc saved(dc_);
        SetBkMode(dc_, TRANSPARENT);
        ::FillRect(dc_, &r, brush_.Handle());
        return;
    }
    ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::Rectangle(const RECT& r) {
    SavedDc saved(dc_);
    SetBkMode(dc_, TRANSPARENT);
    SelectObjectGuard b(dc_, brush_.Handle()), p(dc_, pen_.Handle());
    // A clear pen draws nothing but the figure still covers its full bounds.
    int grow = pen_.Style() == psClear ? 1 : 0;
    ::Rectangle(dc_, r.left, r.top, r.right + grow, r.bottom + grow);
}

void TCanvas::Ellipse(const RECT& r) {
    SavedDc saved(dc_);
    SetBkMode(dc_, TRANSPARENT);
    SelectObjectGuard b(dc_, brush_.Handle()), p(dc_, pen_.Handle());
    int grow = pen_.Style() == psClear ? 1 : 0;
    ::Ellipse(dc_, r.left, r.top, r.right + grow, r.bottom + grow);
}

void TCanvas::FrameRect(const RECT& r) {
    ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::MoveTo(int x, int y) {
    MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
    SelectObjectGuard p(dc_, pen_.Handle());
    ::LineTo(dc_, x, y);
}

void TCanvas::TextRect(RECT r, const std::string& text, UINT flags) {
    SavedDc saved(dc_);
    SelectObjectGuard f(dc_, font_.Handle());
    SetTextColor(dc_, ColorToRGB(font_.Color()));
    SetBkMode(dc_, TRANSPARENT);
    std::wstring w = Widen(text);
    DrawTextW(dc_, w.c_str(), static_cast<int>(w.size()), &r, flags);
}

SIZE TCanvas::TextExtent(const std::string& text) {
    SelectObjectGuard f(dc_, font_.Handle());
    std::wstring w = Widen(text);
    SIZE s{};
    GetTextExtentPoint32W(dc_, w.c_str(), static_cast<int>(w.size()), &s);
    return s;
}

void TCanvas::Draw(int x, int y, TBitmap& bitmap) {
    if (!dc_ || bitmap.Empty() || !bitmap.Handle()) return;
    const int w = bitmap.Width(), h = bitmap.Height();
    if (bitmap.Transparent())
        TransparentBlt(dc_, x, y, w, h, bitmap.Canvas().Handle(), 0, 0, w, h,
                       ColorToRGB(bitmap.TransparentColor()));
    else
        BitBlt(dc_, x, y, w, h, bitmap.Canvas().Handle(), 0, 0, copyMode_);
}

void TCanvas::StretchDraw(const RECT& r, TBitmap& bitmap) {
    if (!dc_ || bitmap.Empty() || !bitmap.Handle()) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    if (bitmap.Transparent())
        TransparentBlt(dc_, r.left, r.top, w, h, bitmap.Canvas().Handle(), 0, 0, bitmap.Width(),
                       bitmap.Height(), ColorToRGB(bitmap.TransparentColor()));
    else
        StretchBlt(dc_, r.left, r.top, w, h, bitmap.Canvas().Handle(), 0, 0, bitmap.Width(),
                   bitmap.Height(), copyMode_);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& src) {
    if (!dc_ || !source.Handle()) return;
    StretchBlt(dc_, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top,
               source.Handle(), src.left, src.top, src.right - src.left, src.bottom - src.top,
               copyMode_);
}

TColor TCanvas::Pixel(int x, int y) const {
    if (!dc_) return -1;
    const COLORREF c = GetPixel(dc_, x, y);
    return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor c) {
    if (dc_) SetPixelV(dc_, x, y, ColorToRGB(c));
}

// ---- TBitmap

const TClassInfo& TBitmap::StaticClass() {
    static const TClassInfo info{"TBitmap", &TPersistent::StaticClass(), {}, {}};
    return info;
}

namespace {

constexpr std::uint32_t Rgb(int r, int g, int b) {
    return std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | std::uint32_t(b);
}

// Expands a 5- or 6-bit level to 8 bits the way GDI reads such pixels.
constexpr int Expand5(int v) {
    return v << 3 | v >> 2;
}
constexpr int Expand6(int v) {
    return v << 2 | v >> 4;
}

// TColor (red low) and the words of rows and palettes (red high) swap red and blue.
std::uint32_t WordOf(TColor c) {
    const COLORREF v = ColorToRGB(c);
    return Rgb(GetRValue(v), GetGValue(v), GetBValue(v));
}
TColor ColorOf(std::uint32_t w) {
    return static_cast<TColor>(RGB(w >> 16 & 0xFF, w >> 8 & 0xFF, w & 0xFF));
}

// Nearest palette entry by squared distance, remembering the answers.
class Quantizer {
public:
    explicit Quantizer(const std::vector<std::uint32_t>& palette) : palette_(palette) {}
    int Index(std::uint32_t rgb) {
        rgb &= 0xFFFFFF;
        if (auto it = cache_.find(rgb); it != cache_.end()) return it->second;
        int best = 0;
        long bestDistance = -1;
        for (size_t i = 0; i < palette_.size(); ++i) {
            const std::uint32_t p = palette_[i];
            const long dr = long(p >> 16 & 0xFF) - long(rgb >> 16 & 0xFF);
            const long dg = long(p >> 8 & 0xFF) - long(rgb >> 8 & 0xFF);
            const long db = long(p & 0xFF) - long(rgb & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) best = static_cast<int>(i), bestDistance = d;
            if (d == 0) break;
        }
        cache_.emplace(rgb, best);
        return best;
    }

private:
    const std::vector<std::uint32_t>& palette_;
    std::unordered_map<std::uint32_t, int> cache_;
};

struct DibInfo {
    BITMAPINFOHEADER header{};
    RGBQUAD colours[256]{};
};

DibInfo InfoFor(int width, int height, int bpp, TPixelFormat format,
                const std::vector<std::uint32_t>& palette) {
    DibInfo info;
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = -height; // top-down
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bpp);
    info.header.biCompression = BI_RGB;
    if (format == pf16bit) {
        info.header.biCompression = BI_BITFIELDS;
        const DWORD masks[3] = {0xF800, 0x07E0, 0x001F};
        std::memcpy(info.colours, masks, sizeof(masks));
    } else if (bpp <= 8) {
        info.header.biClrUsed = static_cast<DWORD>(palette.size());
        std::memcpy(info.colours, palette.data(), palette.size() * sizeof(RGBQUAD));
    }
    return info;
}

} // namespace

int TBitmap::BitsOf(TPixelFormat format) {
    switch (format) {
    case pf1bit:
        return 1;
    case pf4bit:
        return 4;
    case pf8bit:
        return 8;
    case pf15bit:
    case pf16bit:
        return 16;
    case pf24bit:
        return 24;
    case pfDevice:
    case pf32bit:
        break;
    }
    return 32;
}

std::vector<std::uint32_t> TBitmap::DefaultPalette(TPixelFormat format) {
    static const std::uint32_t kStandard[16] = {
        Rgb(0, 0, 0),       Rgb(128, 0, 0),   Rgb(0, 128, 0),   Rgb(128, 128, 0),
        Rgb(0, 0, 128),     Rgb(128, 0, 128), Rgb(0, 128, 128), Rgb(192, 192, 192),
        Rgb(128, 128, 128), Rgb(255, 0, 0),   Rgb(0, 255, 0),   Rgb(255, 255, 0),
        Rgb(0, 0, 255),     Rgb(255, 0, 255), Rgb(0, 255, 255), Rgb(255, 255, 255)};
    switch (format) {
    case pf1bit:
        return {Rgb(0, 0, 0), Rgb(255, 255, 255)};
    case pf4bit:
        return {std::begin(kStandard), std::end(kStandard)};
    case pf8bit: {
        std::vector<std::uint32_t> p;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) p.push_back(Rgb(r * 51, g * 51, b * 51));
        p.insert(p.end(), std::begin(kStandard), std::end(kStandard));
        for (int i = 1; i <= 24; ++i) p.push_back(Rgb(i * 10, i * 10, i * 10));
        return p;
    }
    default:
        return {};
    }
}

void TBitmap::Release() {
    if (dc_ && old_) SelectObject(dc_.get(), old_);
    old_ = nullptr;
    bitmap_.reset();
    bits_ = nullptr;
}

void TBitmap::Create(int width, int height, TPixelFormat format,
                     const std::vector<std::uint32_t>& palette) {
    Release();
    format_ = format;
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    const int bpp = BitsOf(format);
    palette_ = palette;
    if (bpp <= 8)
        palette_.resize(size_t(1) << bpp, 0);
    else
        palette_.clear();
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    canvas_.SetHandle(dc_.get());
    if (width_ == 0 || height_ == 0) return;
    DibInfo info = InfoFor(width_, height_, bpp, format, palette_);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS,
                                   &bits, nullptr, 0));
    bits_ = static_cast<std::uint8_t*>(bits);
    if (bitmap_) old_ = SelectObject(dc_.get(), bitmap_.get());
}

void TBitmap::SetSize(int width, int height) {
    Create(width, height, format_,
           BitsPerPixel() <= 8 && !palette_.empty() ? palette_ : DefaultPalette(format_));
}

TBitmap::~TBitmap() {
    Release();
}

void TBitmap::ReadRow(int y, std::uint32_t* out) const {
    if (!bits_ || y < 0 || y >= height_) return;
    const std::uint8_t* row = ScanLineBytes(y);
    const int w = width_;
    switch (format_) {
    case pfDevice:
    case pf32bit: {
        const auto* p = reinterpret_cast<const std::uint32_t*>(row);
        for (int x = 0; x < w; ++x) out[x] = p[x] & 0xFFFFFF;
        break;
    }
    case pf24bit:
        for (int x = 0; x < w; ++x, row += 3) out[x] = Rgb(row[2], row[1], row[0]);
        break;
    case pf16bit:
    case pf15bit: {
        const auto* p = reinterpret_cast<const std::uint16_t*>(row);
        for (int x = 0; x < w; ++x) {
            const int v = p[x];
            out[x] = format_ == pf16bit
                         ? Rgb(Expand5(v >> 11), Expand6(v >> 5 & 63), Expand5(v & 31))
                         : Rgb(Expand5(v >> 10 & 31), Expand5(v >> 5 & 31), Expand5(v & 31));
        }
        break;
    }
    case pf8bit:
        for (int x = 0; x < w; ++x) out[x] = palette_[row[x]];
        break;
    case pf4bit:
        for (int x = 0; x < w; ++x) out[x] = palette_[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
        break;
    case pf1bit:
        for (int x = 0; x < w; ++x) out[x] = palette_[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    }
}

void TBitmap::WriteRow(int y, const std::uint32_t* in) {
    if (!bits_ || y < 0 || y >= height_) return;
    std::uint8_t* row = ScanLineBytes(y);
    const int w = width_;
    switch (format_) {
    case pfDevice:
    case pf32bit: {
        auto* p = reinterpret_cast<std::uint32_t*>(row);
        for (int x = 0; x < w; ++x) p[x] = in[x] & 0xFFFFFF;
        break;
    }
    case pf24bit:
        for (int x = 0; x < w; ++x, row += 3) {
            row[0] = static_cast<std::uint8_t>(in[x]);
            row[1] = static_cast<std::uint8_t>(in[x] >> 8);
            row[2] = static_cast<std::uint8_t>(in[x] >> 16);
        }
        break;
    case pf16bit:
    case pf15bit: {
        auto* p = reinterpret_cast<std::uint16_t*>(row);
        for (int x = 0; x < w; ++x) {
            // The nearest level: round, then clamp.
            auto level = [](int v, int bits) {
                const int max = (1 << bits) - 1;
                return std::min(max, (v * max + 127) / 255);
            };
            const int r = int(in[x] >> 16 & 0xFF), g = int(in[x] >> 8 & 0xFF),
                      b = int(in[x] & 0xFF);
            p[x] = static_cast<std::uint16_t>(
                format_ == pf16bit ? level(r, 5) << 11 | level(g, 6) << 5 | level(b, 5)
                                   : level(r, 5) << 10 | level(g, 5) << 5 | level(b, 5));
        }
        break;
    }
    case pf8bit:
    case pf4bit:
    case pf1bit: {
        Quantizer q(palette_);
        const int bpp = BitsPerPixel();
        const int perByte = 8 / bpp;
        for (int x = 0; x < w; ++x) {
            const int shift = (perByte - 1 - x % perByte) * bpp;
            std::uint8_t& byte = row[x / perByte];
            const int mask = ((1 << bpp) - 1) << shift;
            byte = static_cast<std::uint8_t>((byte & ~mask) | (q.Index(in[x]) << shift));
        }
        break;
    }
    }
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !bits_) return -1;
    GdiFlush();
    if (BitsPerPixel() == 32)
        return ColorOf(reinterpret_cast<const std::uint32_t*>(ScanLineBytes(y))[x]);
    std::vector<std::uint32_t> row(static_cast<size_t>(width_));
    ReadRow(y, row.data());
    return ColorOf(row[static_cast<size_t>(x)]);
}

void TBitmap::SetPixel(int x, int y, TColor c) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_ || !bits_) return;
    GdiFlush();
    std::vector<std::uint32_t> row(static_cast<size_t>(width_));
    ReadRow(y, row.data());
    row[static_cast<size_t>(x)] = WordOf(c);
    WriteRow(y, row.data());
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == format_) return;
    const bool sameLayout = BitsOf(format) == BitsPerPixel() && BitsOf(format) == 32;
    if (Empty() || !bits_ || sameLayout) {
        if (Empty() || !bits_) Create(0, 0, format, DefaultPalette(format));
        format_ = format;
        return;
    }
    GdiFlush();
    const int w = width_, h = height_;
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) ReadRow(y, pixels.data() + static_cast<size_t>(y) * w);
    Create(w, h, format, DefaultPalette(format));
    for (int y = 0; y < h; ++y) WriteRow(y, pixels.data() + static_cast<size_t>(y) * w);
}

void TBitmap::SetPalette(std::vector<std::uint32_t> colours) {
    const int bpp = BitsPerPixel();
    if (bpp > 8) return;
    colours.resize(size_t(1) << bpp, 0);
    for (auto& c : colours) c &= 0xFFFFFF;
    palette_ = std::move(colours);
    if (bitmap_)
        SetDIBColorTable(dc_.get(), 0, static_cast<UINT>(palette_.size()),
                         reinterpret_cast<const RGBQUAD*>(palette_.data()));
}

TColor TBitmap::TransparentColor() const {
    if (transparentMode_ == tmFixed) return transparentColor_;
    if (Empty()) return clDefault;
    return Pixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor c) {
    transparentColor_ = c;
    transparentMode_ = tmFixed;
}

void TBitmap::Assign(const TBitmap& source) {
    if (&source == this) return;
    Create(source.width_, source.height_, source.format_, source.palette_);
    if (bits_ && source.bits_) {
        GdiFlush();
        std::memcpy(bits_, source.bits_, static_cast<size_t>(RowBytes()) * height_);
    }
    transparent_ = source.transparent_;
    transparentMode_ = source.transparentMode_;
    transparentColor_ = source.transparentColor_;
}

void TBitmap::Mask(TColor key) {
    const int w = width_, h = height_;
    if (Empty() || !bits_) {
        Create(0, 0, pf1bit, DefaultPalette(pf1bit));
        return;
    }
    GdiFlush();
    const std::uint32_t k = WordOf(key);
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * static_cast<size_t>(h));
    for (int y = 0; y < h; ++y) ReadRow(y, pixels.data() + static_cast<size_t>(y) * w);
    for (auto& p : pixels) p = p == k ? 0xFFFFFF : 0;
    Create(w, h, pf1bit, DefaultPalette(pf1bit));
    for (int y = 0; y < h; ++y) WriteRow(y, pixels.data() + static_cast<size_t>(y) * w);
}

bool TBitmap::AdoptHandle(HBITMAP bitmap) {
    UniqueBitmap owned(bitmap);
    DIBSECTION ds{};
    const int got = bitmap ? GetObjectW(bitmap, sizeof(ds), &ds) : 0;
    if (got < static_cast<int>(sizeof(BITMAP)) || ds.dsBm.bmWidth <= 0 || ds.dsBm.bmHeight == 0) {
        Create(0, 0, format_, DefaultPalette(format_));
        return false;
    }
    const int bpp = ds.dsBm.bmBitsPixel * ds.dsBm.bmPlanes;
    TPixelFormat format = pf32bit;
    if (bpp == 1)
        format = pf1bit;
    else if (bpp == 4)
        format = pf4bit;
    else if (bpp == 8)
        format = pf8bit;
    else if (bpp == 16)
        format = got == static_cast<int>(sizeof(ds)) && ds.dsBmih.biCompression == BI_BITFIELDS &&
                         ds.dsBitfields[1] == 0x07E0
                     ? pf16bit
                     : pf15bit;
    else if (bpp == 24)
        format = pf24bit;
    const int w = ds.dsBm.bmWidth, h = std::abs(ds.dsBm.bmHeight);
    DibInfo info = InfoFor(w, h, BitsOf(format), format, DefaultPalette(format));
    std::vector<std::uint8_t> pixels(static_cast<size_t>(RowBytesFor(w, BitsOf(format))) * h);
    WindowDc screen(nullptr);
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(h), pixels.data(),
                  reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS) != h) {
        Create(0, 0, format_, DefaultPalette(format_));
        return false;
    }
    std::vector<std::uint32_t> palette;
    if (BitsOf(format) <= 8) {
        const auto* table = reinterpret_cast<const std::uint32_t*>(info.colours);
        palette.assign(table, table + (size_t(1) << BitsOf(format)));
    }
    Create(w, h, format, palette);
    if (!bits_) return false;
    std::memcpy(bits_, pixels.data(), pixels.size());
    return true;
}

bool TBitmap::LoadFromResourceName(HINSTANCE instance, const wchar_t* name) {
    auto loaded =
        static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    return AdoptHandle(loaded);
}

HICON ApplicationIcon(bool smallSize) {
    const int cx = GetSystemMetrics(smallSize ? SM_CXSMICON : SM_CXICON);
    const int cy = GetSystemMetrics(smallSize ? SM_CYSMICON : SM_CYICON);
    // Shared: the system keeps one per size for the life of the module.
    return static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, cx, cy, LR_SHARED));
}
