#pragma once
// Buttons with glyphs: TBitBtn (a system button that we draw) and TSpeedButton (window-less,
// with a sticky down state shared by a group).
#include "toolkit/stdctrls.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TBitBtnKind {
    bkCustom,
    bkOK,
    bkCancel,
    bkHelp,
    bkYes,
    bkNo,
    bkClose,
    bkAbort,
    bkRetry,
    bkIgnore,
    bkAll
};

// Where a glyph and a caption go inside a button, laid out along the Layout axis. Margin -1
// centres the pair; Spacing -1 spreads it.
struct TGlyphPlacement {
    POINT glyph;
    RECT text;
};
TGlyphPlacement PlaceGlyph(SIZE client, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                           int spacing);

// The glyph of a button: a strip of NumGlyphs images side by side (normal, disabled, pressed,
// down); the bottom-left pixel is the transparent colour.
class TButtonGlyph {
public:
    TBitmap& Bitmap() { return bitmap_; }
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int v) { numGlyphs_ = v < 1 ? 1 : v > 4 ? 4 : v; }
    // The size of one image.
    SIZE ImageSize() const;
    // Image 0 normal, 1 disabled, 2 pressed, 3 down; a missing image uses the first, and a
    // missing disabled image is the first turned grey.
    void Draw(HDC dc, int x, int y, int image);

private:
    TBitmap bitmap_;
    int numGlyphs_ = 1;
};

class TBitBtn : public TButton {
    TOOLKIT_CLASS(TBitBtn)
public:
    explicit TBitBtn(TComponent* owner);
    // Draw into Glyph(), then Invalidate().
    TBitmap& Glyph() { return glyph_.Bitmap(); }
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int v);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    // A kind other than bkCustom brings its caption and a glyph of its own.
    TBitBtnKind Kind() const { return kind_; }
    void SetKind(TBitBtnKind v);
    void Invalidate() override;

protected:
    void CreateParams(TCreateParams& p) override;
    void WndProc(TMessage& m) override;

private:
    void Draw(HDC dc);
    TButtonGlyph glyph_;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1, spacing_ = 4;
    TBitBtnKind kind_ = bkCustom;
    bool glyphFromKind_ = false;
};

class TSpeedButton : public TGraphicControl {
    TOOLKIT_CLASS(TSpeedButton)
public:
    explicit TSpeedButton(TComponent* owner);
    TBitmap& Glyph() { return glyph_.Bitmap(); }
    int NumGlyphs() const { return glyph_.NumGlyphs(); }
    void SetNumGlyphs(int v);
    // Down stays pressed; with a GroupIndex, one button of the group is down at a time.
    bool Down() const { return down_; }
    void SetDown(bool v);
    bool Flat() const { return flat_; }
    void SetFlat(bool v);
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int v);
    // The down button of a group may be clicked up, leaving none down.
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool v);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout v);
    int Margin() const { return margin_; }
    void SetMargin(int v);
    int Spacing() const { return spacing_; }
    void SetSpacing(int v);
    // The mouse is over the button (what a flat button shows its frame for).
    bool MouseInControl() const { return hot_; }
    void Paint(TCanvas& canvas) override;
    void Loaded() override;

protected:
    void WndProc(TMessage& m) override;

private:
    void UpdateGroup();
    TButtonGlyph glyph_;
    bool down_ = false, flat_ = false, allowAllUp_ = false;
    bool hot_ = false, pressed_ = false, tracking_ = false;
    int groupIndex_ = 0;
    TButtonLayout layout_ = blGlyphLeft;
    int margin_ = -1, spacing_ = 4;
};
