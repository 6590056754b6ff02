#include "toolkit/graphics.h"

#include "toolkit/win_text.h"

#include <cstdlib>

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
    handle_.reset();
    Changed();
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTW lf{};
        lf.lfHeight = height_;
        lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = (style_ & fsItalic) ? TRUE : FALSE;
        lf.lfUnderline = (style_ & fsUnderline) ? TRUE : FALSE;
        lf.lfStrikeOut = (style_ & fsStrikeOut) ? TRUE : FALSE;
        lf.lfCharSet = static_cast<BYTE>(charset_);
        lf.lfQuality = DEFAULT_QUALITY;
        std::wstring face = Widen(name_);
        lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
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

// ---- TBitmap

const TClassInfo& TBitmap::StaticClass() {
    static const TClassInfo info{"TBitmap", &TPersistent::StaticClass(), {}, {}};
    return info;
}

void TBitmap::SetSize(int width, int height) {
    if (dc_ && old_) SelectObject(dc_.get(), old_);
    old_ = nullptr;
    bitmap_.reset();
    bits_ = nullptr;
    width_ = width > 0 ? width : 0;
    height_ = height > 0 ? height : 0;
    if (!dc_) dc_.reset(CreateCompatibleDC(nullptr));
    canvas_.SetHandle(dc_.get());
    if (width_ == 0 || height_ == 0) return;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width_;
    bi.bmiHeader.biHeight = -height_;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    if (bitmap_) old_ = SelectObject(dc_.get(), bitmap_.get());
}

TBitmap::~TBitmap() {
    if (dc_ && old_) SelectObject(dc_.get(), old_);
}
