#include "toolkit/buttons.h"

#include "toolkit/win_text.h"

#include <algorithm>

// ---------------------------------------------------------------- layout and glyphs

TGlyphPlacement PlaceGlyph(SIZE client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                           int spacing) {
    bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    // Main axis: along the layout; cross axis: centred.
    int extent = horizontal ? client.cx : client.cy;
    int glyphMain = horizontal ? glyph.cx : glyph.cy, textMain = horizontal ? text.cx : text.cy;
    if (glyphMain == 0 || textMain == 0) spacing = 0;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (extent - glyphMain - textMain) / 3;
            spacing = margin;
        } else {
            margin = (extent - glyphMain - spacing - textMain + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (extent - margin - glyphMain - textMain) / 2;
    }
    int glyphPos = margin, textPos = margin + glyphMain + spacing;
    if (layout == blGlyphRight || layout == blGlyphBottom) {
        glyphPos = extent - margin - glyphMain;
        textPos = glyphPos - spacing - textMain;
    }
    TGlyphPlacement p{};
    if (horizontal) {
        p.glyph = {glyphPos, (client.cy - glyph.cy + 1) / 2};
        int top = (client.cy - text.cy + 1) / 2;
        p.text = {textPos, top, textPos + text.cx, top + text.cy};
    } else {
        p.glyph = {(client.cx - glyph.cx + 1) / 2, glyphPos};
        int left = (client.cx - text.cx + 1) / 2;
        p.text = {left, textPos, left + text.cx, textPos + text.cy};
    }
    return p;
}

SIZE TButtonGlyph::ImageSize() const {
    if (bitmap_.Empty()) return {0, 0};
    return {bitmap_.Width() / numGlyphs_, bitmap_.Height()};
}

void TButtonGlyph::Draw(HDC dc, int x, int y, int image) {
    SIZE size = ImageSize();
    if (size.cx <= 0 || size.cy <= 0) return;
    int count = std::max(1, bitmap_.Width() / std::max<int>(size.cx, 1));
    bool grey = image == 1 && count < 2;
    if (image >= count) image = 0;
    uint32_t key = bitmap_.ScanLine(bitmap_.Height() - 1)[0] & 0xFFFFFF;
    COLORREF keyColor = RGB((key >> 16) & 0xFF, (key >> 8) & 0xFF, key & 0xFF);
    if (!grey) {
        TransparentBlt(dc, x, y, size.cx, size.cy, bitmap_.Canvas().Handle(), image * size.cx, 0,
                       size.cx, size.cy, keyColor);
        return;
    }
    // No disabled image: the first one in grey, the transparent colour kept.
    TBitmap shade(size.cx, size.cy);
    for (int row = 0; row < size.cy; ++row) {
        const uint32_t* src = bitmap_.ScanLine(row);
        uint32_t* dst = shade.ScanLine(row);
        for (int col = 0; col < size.cx; ++col) {
            uint32_t px = src[col] & 0xFFFFFF;
            if (px == key) {
                dst[col] = px;
                continue;
            }
            uint32_t mean = (((px >> 16) & 0xFF) + ((px >> 8) & 0xFF) + (px & 0xFF)) / 3;
            mean = 128 + mean / 2; // lighter, as disabled things are
            uint32_t g = (mean << 16) | (mean << 8) | mean;
            dst[col] = g == key ? g ^ 1 : g;
        }
    }
    TransparentBlt(dc, x, y, size.cx, size.cy, shade.Canvas().Handle(), 0, 0, size.cx, size.cy,
                   keyColor);
}

namespace {

SIZE MeasureCaption(HDC dc, HFONT font, const std::wstring& text) {
    if (text.empty()) return {0, 0};
    SelectObjectGuard f(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_SINGLELINE);
    return {r.right - r.left, r.bottom - r.top};
}

void DrawCaption(HDC dc, const TFont& font, const std::wstring& text, RECT r, bool enabled,
                 bool rtl) {
    if (text.empty()) return;
    SelectObjectGuard f(dc, font.Handle());
    SetBkMode(dc, TRANSPARENT);
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE | (rtl ? DT_RTLREADING : 0);
    if (!enabled) {
        RECT shadow = r;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &shadow, flags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, ColorToRGB(font.Color()));
    }
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, flags);
}

// The glyphs that kinds bring, drawn on a 16 by 16 olive ground (the transparent colour).
void DrawKindGlyph(TBitmap& b, TBitBtnKind kind) {
    b.SetSize(16, 16);
    HDC dc = b.Canvas().Handle();
    RECT all{0, 0, 16, 16};
    UniqueBrush ground(CreateSolidBrush(RGB(128, 128, 0)));
    FillRect(dc, &all, ground.get());
    auto line = [&](COLORREF color, int width, std::initializer_list<POINT> points) {
        UniquePen pen(CreatePen(PS_SOLID, width, color));
        SelectObjectGuard p(dc, pen.get());
        auto it = points.begin();
        MoveToEx(dc, it->x, it->y, nullptr);
        for (++it; it != points.end(); ++it) LineTo(dc, it->x, it->y);
    };
    auto letter = [&](COLORREF color, const wchar_t* text) {
        UniqueFont font(CreateFontW(-15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                                    NONANTIALIASED_QUALITY, 0, L"Arial"));
        SelectObjectGuard f(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, color);
        RECT r = all;
        DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    };
    const COLORREF green = RGB(0, 128, 0), red = RGB(192, 0, 0), blue = RGB(0, 0, 160);
    switch (kind) {
    case bkOK:
    case bkYes:
        line(green, 3, {{2, 8}, {6, 12}, {13, 3}});
        break;
    case bkAll:
        line(green, 2, {{1, 7}, {4, 10}, {9, 3}});
        line(green, 2, {{6, 10}, {9, 13}, {14, 6}});
        break;
    case bkCancel:
    case bkAbort:
        line(red, 3, {{3, 3}, {12, 12}});
        line(red, 3, {{12, 3}, {3, 12}});
        break;
    case bkNo: {
        UniquePen pen(CreatePen(PS_SOLID, 2, red));
        SelectObjectGuard p(dc, pen.get());
        SelectObjectGuard br(dc, GetStockObject(NULL_BRUSH));
        Ellipse(dc, 2, 2, 14, 14);
        line(red, 2, {{4, 4}, {12, 12}});
        break;
    }
    case bkHelp:
        letter(blue, L"?");
        break;
    case bkClose: {
        RECT door{4, 2, 12, 15};
        UniqueBrush brown(CreateSolidBrush(RGB(128, 64, 0)));
        FillRect(dc, &door, brown.get());
        RECT knob{9, 8, 11, 10};
        FillRect(dc, &knob, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        break;
    }
    case bkRetry:
        line(green, 2, {{12, 4}, {9, 2}, {5, 2}, {2, 5}, {2, 10}, {5, 13}, {9, 13}, {12, 10}});
        line(green, 2, {{12, 1}, {12, 5}, {8, 5}});
        break;
    case bkIgnore:
        line(blue, 2, {{3, 8}, {12, 8}});
        line(blue, 2, {{9, 5}, {12, 8}, {9, 11}});
        break;
    default:
        break;
    }
}

const char* const kKindCaptions[] = {"",       "OK",    "Cancel", "&Help",   "&Yes", "&No",
                                     "&Close", "Abort", "&Retry", "&Ignore", "&All"};

const std::vector<std::string> kLayoutNames{"blGlyphLeft", "blGlyphRight", "blGlyphTop",
                                            "blGlyphBottom"};

} // namespace

// ---------------------------------------------------------------- TBitBtn

const TClassInfo& TBitBtn::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TBitBtn>("TBitBtn", TButton::StaticClass())
            .Obj("Glyph", [](TBitBtn& b) { return &b.Glyph(); })
            .Int(
                "NumGlyphs", [](TBitBtn& b) { return b.NumGlyphs(); },
                [](TBitBtn& b, int64_t v) { b.SetNumGlyphs(static_cast<int>(v)); })
            .Enum(
                "Layout", kLayoutNames, [](TBitBtn& b) { return b.Layout(); },
                [](TBitBtn& b, int64_t v) { b.SetLayout(static_cast<TButtonLayout>(v)); })
            .Int(
                "Margin", [](TBitBtn& b) { return b.Margin(); },
                [](TBitBtn& b, int64_t v) { b.SetMargin(static_cast<int>(v)); })
            .Int(
                "Spacing", [](TBitBtn& b) { return b.Spacing(); },
                [](TBitBtn& b, int64_t v) { b.SetSpacing(static_cast<int>(v)); })
            .Enum(
                "Kind",
                {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose", "bkAbort",
                 "bkRetry", "bkIgnore", "bkAll"},
                [](TBitBtn& b) { return b.Kind(); },
                [](TBitBtn& b, int64_t v) { b.SetKind(static_cast<TBitBtnKind>(v)); })
            .Creatable()
            .Build();
    return info;
}

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner) {}

void TBitBtn::SetNumGlyphs(int v) {
    glyph_.SetNumGlyphs(v);
    Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout v) {
    layout_ = v;
    Invalidate();
}

void TBitBtn::SetMargin(int v) {
    margin_ = std::max(v, -1);
    Invalidate();
}

void TBitBtn::SetSpacing(int v) {
    spacing_ = std::max(v, -1);
    Invalidate();
}

void TBitBtn::SetKind(TBitBtnKind v) {
    if (v < bkCustom || v > bkAll) return;
    TBitBtnKind old = kind_;
    kind_ = v;
    if (v != bkCustom) {
        // A caption of the program's own is kept; the kind's default replaces only the old one.
        if (Caption().empty() || Caption() == kKindCaptions[old]) SetCaption(kKindCaptions[v]);
        if (Glyph().Empty() || glyphFromKind_) {
            DrawKindGlyph(Glyph(), v);
            glyph_.SetNumGlyphs(1);
            glyphFromKind_ = true;
        }
        if (v == bkOK || v == bkYes) SetDefault(true);
    } else if (glyphFromKind_) {
        Glyph().SetSize(0, 0);
        glyphFromKind_ = false;
    }
    Invalidate();
}

void TBitBtn::Invalidate() {
    if (handle_) InvalidateRect(handle_, nullptr, FALSE);
}

void TBitBtn::CreateParams(TCreateParams& p) {
    TButton::CreateParams(p);
    // Still a system button (focus, keys, clicks, BM_GETSTATE); the face is drawn here.
    p.Style = (p.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::Draw(HDC dc) {
    RECT r;
    GetClientRect(handle_, &r);
    LRESULT state = SendMessageW(handle_, BM_GETSTATE, 0, 0);
    bool pushed = (state & BST_PUSHED) != 0, focused = GetFocus() == handle_,
         enabled = IsWindowEnabled(handle_) != FALSE;
    FillRect(dc, &r, ColorBrush());
    if (Default() || focused) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED | DFCS_FLAT : 0));
    if (pushed) FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    RECT face = r;
    InflateRect(&face, -2, -2);
    std::wstring caption = Widen(Caption());
    SIZE glyph = glyph_.ImageSize();
    SIZE text = MeasureCaption(dc, Font().Handle(), caption);
    SIZE client{face.right - face.left, face.bottom - face.top};
    TGlyphPlacement at = PlaceGlyph(client, glyph, text, layout_, margin_, spacing_);
    int shift = pushed ? 1 : 0;
    glyph_.Draw(dc, face.left + at.glyph.x + shift, face.top + at.glyph.y + shift,
                !enabled ? 1
                : pushed ? 2
                         : 0);
    RECT tr = at.text;
    OffsetRect(&tr, face.left + shift, face.top + shift);
    DrawCaption(dc, Font(), caption, tr, enabled, UseRightToLeftReading());
    if (focused && !caption.empty()) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawFocusRect(dc, &f);
    }
}

void TBitBtn::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        if (m.WParam) {
            Draw(reinterpret_cast<HDC>(m.WParam));
            return;
        }
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle_, &ps);
        RECT r;
        GetClientRect(handle_, &r);
        {
            OffscreenBuffer buffer(dc, r.right, r.bottom);
            Draw(buffer.dc());
            BitBlt(dc, 0, 0, r.right, r.bottom, buffer.dc(), 0, 0, SRCCOPY);
        }
        EndPaint(handle_, &ps);
        return;
    }
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_LBUTTONDBLCLK:
        // An owner-drawn button reports double clicks; a second quick click is a click.
        m.Msg = WM_LBUTTONDOWN;
        break;
    case BM_SETSTYLE:
        // The dialog manager's default-button styles would turn the drawing off.
        m.WParam = (m.WParam & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
        TButton::WndProc(m);
        Invalidate();
        return;
    case BM_SETSTATE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_CAPTURECHANGED:
        TButton::WndProc(m);
        Invalidate();
        return;
    default:
        break;
    }
    TButton::WndProc(m);
}

// ---------------------------------------------------------------- TSpeedButton

const TClassInfo& TSpeedButton::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TSpeedButton>("TSpeedButton", TGraphicControl::StaticClass())
            .Obj("Glyph", [](TSpeedButton& b) { return &b.Glyph(); })
            .Int(
                "NumGlyphs", [](TSpeedButton& b) { return b.NumGlyphs(); },
                [](TSpeedButton& b, int64_t v) { b.SetNumGlyphs(static_cast<int>(v)); })
            .Int(
                "GroupIndex", [](TSpeedButton& b) { return b.GroupIndex(); },
                [](TSpeedButton& b, int64_t v) { b.SetGroupIndex(static_cast<int>(v)); })
            .Bool(
                "AllowAllUp", [](TSpeedButton& b) { return b.AllowAllUp(); },
                [](TSpeedButton& b, bool v) { b.SetAllowAllUp(v); })
            .Bool(
                "Down", [](TSpeedButton& b) { return b.Down(); },
                [](TSpeedButton& b, bool v) { b.SetDown(v); })
            .Bool(
                "Flat", [](TSpeedButton& b) { return b.Flat(); },
                [](TSpeedButton& b, bool v) { b.SetFlat(v); })
            .Enum(
                "Layout", kLayoutNames, [](TSpeedButton& b) { return b.Layout(); },
                [](TSpeedButton& b, int64_t v) { b.SetLayout(static_cast<TButtonLayout>(v)); })
            .Int(
                "Margin", [](TSpeedButton& b) { return b.Margin(); },
                [](TSpeedButton& b, int64_t v) { b.SetMargin(static_cast<int>(v)); })
            .Int(
                "Spacing", [](TSpeedButton& b) { return b.Spacing(); },
                [](TSpeedButton& b, int64_t v) { b.SetSpacing(static_cast<int>(v)); })
            .Creatable()
            .Build();
    return info;
}

TSpeedButton::TSpeedButton(TComponent* owner) : TGraphicControl(owner) {
    SetParentColor(true);
    SetBounds(0, 0, 23, 22);
}

void TSpeedButton::SetNumGlyphs(int v) {
    glyph_.SetNumGlyphs(v);
    Invalidate();
}

void TSpeedButton::SetDown(bool v) {
    if (IsLoading()) { // the group rules apply once every property is read
        down_ = v;
        return;
    }
    if (groupIndex_ == 0) v = false;
    if (v == down_) return;
    if (down_ && !allowAllUp_) return; // a group keeps one button down
    down_ = v;
    if (v) UpdateGroup();
    Invalidate();
}

void TSpeedButton::SetFlat(bool v) {
    flat_ = v;
    Invalidate();
}

void TSpeedButton::SetGroupIndex(int v) {
    groupIndex_ = std::max(v, 0);
    if (IsLoading()) return;
    if (groupIndex_ == 0 && down_) {
        down_ = false;
        Invalidate();
    }
    UpdateGroup();
}

void TSpeedButton::SetAllowAllUp(bool v) {
    allowAllUp_ = v;
    if (IsLoading() || groupIndex_ == 0 || !parent_) return;
    // The whole group shares the setting.
    for (int i = 0; i < parent_->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
            b && b != this && b->groupIndex_ == groupIndex_)
            b->allowAllUp_ = v;
}

void TSpeedButton::SetLayout(TButtonLayout v) {
    layout_ = v;
    Invalidate();
}

void TSpeedButton::SetMargin(int v) {
    margin_ = std::max(v, -1);
    Invalidate();
}

void TSpeedButton::SetSpacing(int v) {
    spacing_ = std::max(v, -1);
    Invalidate();
}

void TSpeedButton::Loaded() {
    TGraphicControl::Loaded();
    if (groupIndex_ == 0) down_ = false;
    if (down_) UpdateGroup();
}

void TSpeedButton::UpdateGroup() {
    if (!down_ || groupIndex_ == 0 || !parent_) return;
    for (int i = 0; i < parent_->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
            b && b != this && b->groupIndex_ == groupIndex_ && b->down_) {
            b->down_ = false;
            b->Invalidate();
        }
}

void TSpeedButton::Paint(TCanvas& canvas) {
    HDC dc = canvas.Handle();
    RECT r = ClientRect();
    bool sunk = down_ || pressed_;
    canvas.Brush().SetColor(Color());
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect(r);
    if (flat_) {
        if (sunk)
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        else if (hot_ && Enabled())
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
    } else {
        RECT frame = r;
        DrawFrameControl(dc, &frame, DFC_BUTTON,
                         DFCS_BUTTONPUSH | DFCS_ADJUSTRECT | (sunk ? DFCS_PUSHED : 0));
        if (down_ && !pressed_) {
            // Latched down: a lighter face than a press in progress.
            FillRect(dc, &frame, GetSysColorBrush(COLOR_3DLIGHT));
        }
    }
    RECT face = r;
    InflateRect(&face, -2, -2);
    std::wstring caption = Widen(Caption());
    SIZE glyph = glyph_.ImageSize();
    SIZE text = MeasureCaption(dc, canvas.Font().Handle(), caption);
    SIZE client{face.right - face.left, face.bottom - face.top};
    TGlyphPlacement at = PlaceGlyph(client, glyph, text, layout_, margin_, spacing_);
    int shift = sunk ? 1 : 0;
    int image = !Enabled() ? 1 : down_ && !pressed_ ? 3 : pressed_ ? 2 : 0;
    glyph_.Draw(dc, face.left + at.glyph.x + shift, face.top + at.glyph.y + shift, image);
    RECT tr = at.text;
    OffsetRect(&tr, face.left + shift, face.top + shift);
    DrawCaption(dc, canvas.Font(), caption, tr, Enabled(), UseRightToLeftReading());
}

void TSpeedButton::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (Enabled()) {
            pressed_ = tracking_ = true;
            Invalidate();
        }
        break;
    case WM_MOUSEMOVE:
        if (tracking_) {
            // The parent holds the capture; the press shows only while the mouse is over us.
            POINT p{static_cast<short>(LOWORD(m.LParam)), static_cast<short>(HIWORD(m.LParam))};
            RECT r = ClientRect();
            bool inside = PtInRect(&r, p) != FALSE;
            if (inside != pressed_) {
                pressed_ = inside;
                Invalidate();
            }
        }
        break;
    case WM_LBUTTONUP:
        if (tracking_) {
            bool clicked = pressed_;
            pressed_ = tracking_ = false;
            if (clicked && groupIndex_ != 0) {
                if (!down_)
                    SetDown(true);
                else if (allowAllUp_)
                    SetDown(false);
            }
            Invalidate();
        }
        break;
    case CM_MOUSEENTER:
        hot_ = true;
        if (flat_) Invalidate();
        break;
    case CM_MOUSELEAVE:
        hot_ = false;
        if (flat_) Invalidate();
        break;
    default:
        break;
    }
    TGraphicControl::WndProc(m);
}
