#pragma once
// Skin elements: the drawable pieces of a skin (an image strip of state frames, fixed edge
// sizes, tiling and transparency flags, colours), the set of them that a loaded skin holds,
// and the rules that build every one of them from a skin description and its bitmaps.
//
// Portable. The element classes and the set are templates over the image type: TPixelImage
// here and in the native tests, the toolkit's TBitmap in TSkinData (skin_data.h), so both
// run the same loading rules. An image type plugs in through TSkinImageOps<Image>.
#include "skin/data/colour.h"
#include "skin/data/image_utils.h"
#include "skin/data/pixel_image.h"
#include "skin/data/quick_ini.h"
#include "skin/data/skin_reader.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace skin {

// Left, Top, Right, Bottom: the fixed sizes of an image's edges (or, for the title, its
// text offsets).
struct TSkinMargins {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    bool operator==(const TSkinMargins&) const = default;
};

// The title colours' "not given" value.
inline constexpr TColor kNoTextColour = 0x1FFFFFFF;

// Skinning commands and their delay; the skin manager carries them out.
inline constexpr unsigned kSkinAllCommand = 1, kUnskinAllCommand = 2, kRefreshCommand = 3;
inline constexpr unsigned kSkinCommandDelayMs = 250;

// How the loading rules reach an image type. Specialised for TPixelImage below and for the
// toolkit's TBitmap in skin_bitmap.h.
template <class Image> struct TSkinImageOps;

template <> struct TSkinImageOps<TPixelImage> {
    static void Assign(TPixelImage& target, TPixelImage source) { target = std::move(source); }
    // A 24-bit copy of the pixels.
    static TPixelImage Pixels(const TPixelImage& image) {
        TPixelImage copy = image;
        copy.SetPixelFormat(24);
        return copy;
    }
    static int Width(const TPixelImage& image) { return image.Width(); }
    static int Height(const TPixelImage& image) { return image.Height(); }
    static TColor Pixel(const TPixelImage& image, int x, int y) { return image.Pixel(x, y); }
};

template <class Image> class TDataSkinObjectT {
public:
    explicit TDataSkinObjectT(std::string name)
        : Bitmap(std::make_unique<Image>()), Name(std::move(name)) {}
    virtual ~TDataSkinObjectT() = default;
    TDataSkinObjectT(const TDataSkinObjectT&) = delete;
    TDataSkinObjectT& operator=(const TDataSkinObjectT&) = delete;

    TSkinMargins Margins;
    std::unique_ptr<Image> Bitmap; // FrameCount frames side by side, frame k counted from 1
    std::int32_t Trans = 0;        // non-zero: magenta pixels are holes
    std::int32_t Tile = 0;         // 1 tiles the middle parts, 0 stretches them
    std::string Name;
    std::int32_t FrameCount = 0;
    std::int32_t Style = 0;
    // Indexes into the skin's indexed colours, -1 for none.
    std::int32_t NormalColour = 0, MouseOverColour = 0, PressedColour = 0;
    TColor NormalColour2 = 0, MouseOverColour2 = 0, PressedColour2 = 0;
};

template <class Image> class TDataSkinBorderT : public TDataSkinObjectT<Image> {
public:
    explicit TDataSkinBorderT(std::string name)
        : TDataSkinObjectT<Image>(std::move(name)), Bitmap2(std::make_unique<Image>()) {}
    std::unique_ptr<Image> Bitmap2;
};

// Margins hold the text offsets: Left the shift, Top the vertical shift, Right the right clip.
template <class Image> class TDataSkinTitleT : public TDataSkinObjectT<Image> {
public:
    using TDataSkinObjectT<Image>::TDataSkinObjectT;
    std::int32_t TextAlignment = 0, TextBackground = 0, FontHeight = 0, TextBackLeft = 0,
                 TextBackRight = 0;
    TColor ActiveTextColour = 0, InactiveTextColour = 0; // kNoTextColour: none given
};

template <class Image> class TDataSkinButtonT : public TDataSkinObjectT<Image> {
public:
    explicit TDataSkinButtonT(std::string name)
        : TDataSkinObjectT<Image>(std::move(name)), CheckBitmap(std::make_unique<Image>()),
          RadioBitmap(std::make_unique<Image>()) {}
    std::unique_ptr<Image> CheckBitmap, RadioBitmap;
    std::int32_t RadioFrameCount = 0, CheckFrameCount = 0;
    bool HasNormalColour2 = false, HasMouseOverColour2 = false, HasPressedColour2 = false;
};

// One title-bar button; what the values mean is the title bar's business.
template <class Image> class TDataSkinSysButtonT : public TDataSkinObjectT<Image> {
public:
    using TDataSkinObjectT<Image>::TDataSkinObjectT;
    std::int32_t Action = 0, Align = 0, XCoord = 0, YCoord = 0, CombineOp = 0, Visibility = 0,
                 Visibility1 = 0;
};

// The group box label.
template <class Image> class TDataSkinBoxLabelT : public TDataSkinObjectT<Image> {
public:
    using TDataSkinObjectT<Image>::TDataSkinObjectT;
    std::int32_t BackgroundLeftShift = 0, BackgroundRightShift = 0, BackgroundAlignment = 0;
};

// One part of the combined combo strip.
struct TComboPart {
    const TPixelImage* Image = nullptr; // null: the part is absent
    TSkinMargins Margins;
    int FrameCount = 1;
    bool Keyed = false;
};

// What the loaders read from: the description and the archive holding its bitmaps.
struct TSkinSource {
    const TQuickIni& Ini;
    const TSkinReader& Reader;
};

// Every element and colour of a loaded skin. Fields are public: the form and control skinning
// read them while painting. Null elements are parts the skin lacks.
template <class Image> class TSkinElementsT {
public:
    using Object = TDataSkinObjectT<Image>;
    using Border = TDataSkinBorderT<Image>;
    using TitleElement = TDataSkinTitleT<Image>;
    using ButtonElement = TDataSkinButtonT<Image>;
    using SysButton = TDataSkinSysButtonT<Image>;
    using BoxLabel = TDataSkinBoxLabelT<Image>;

    TSkinElementsT();
    virtual ~TSkinElementsT();
    TSkinElementsT(const TSkinElementsT&) = delete;
    TSkinElementsT& operator=(const TSkinElementsT&) = delete;

    // Unpacks a skin store and applies its description. False, with the skin as it was, when
    // the store does not open (wrong archive version, damaged store).
    bool LoadSkinStore(std::span<const std::uint8_t> store);
    // Applies a description: every element, colour and derived image, in dependency order.
    void ApplyDescription(const TQuickIni& ini, const TSkinReader& reader);

    // The loaders. Each replaces what its field held (the frame borders, the title and the
    // buttons exist always and are loaded in place).
    void LoadFrameBorders(const TSkinSource& s);
    void LoadColours(const TQuickIni& ini);
    void LoadSysButtons(const TSkinSource& s);
    void LoadButtons(const TSkinSource& s);
    void LoadTitle(const TSkinSource& s);
    // Kind A: an image section; without "Image" the field stays null.
    void LoadImageElement(const TSkinSource& s, std::unique_ptr<Object>& field,
                          std::string_view section);
    // Kind B: as kind A without "Frame", plus a second image from `secondKey`.
    void LoadTwoImageElement(const TSkinSource& s, std::unique_ptr<Border>& field,
                             std::string_view section, std::string_view secondKey);
    // Kind C: the "Progress" section, keyed on "Bitmap".
    void LoadProgress(const TSkinSource& s, std::unique_ptr<Border>& field);
    // Kind D: as kind A without "Frame", plus the label background keys.
    void LoadBoxLabel(const TSkinSource& s, std::unique_ptr<BoxLabel>& field,
                      std::string_view section);
    void LoadMenuBar(const TSkinSource& s, std::unique_ptr<Object>& field);

    // The fix-ups and derived elements, in the order ApplyDescription runs them.
    void ClampTabPane();
    void MirrorComboButton();
    void UseBuiltInTracks();
    void FixFrameCounts(const TQuickIni& ini);
    void BuildComboImages();
    void BuildComboxArrow();
    void BuildToolbar();
    // The frame's title colour: sampled from the top border, else the button face colour.
    TColor SampleTitleColour() const;

    bool SkinNotLoaded = true; // until a description has been applied in full
    // Counts the changes of the elements: whoever keeps an element's address or something cut
    // from it keeps the generation it was taken at, and takes it again when this differs.
    std::uint32_t Generation = 0;
    std::string SkinName;

    std::unique_ptr<Border> FrameLeft, FrameRight, FrameTop, FrameBottom;
    std::unique_ptr<TitleElement> Title;
    std::vector<std::unique_ptr<SysButton>> SysButtons; // sections, then the 3 MDI buttons
    std::unique_ptr<ButtonElement> Button;
    std::unique_ptr<Object> MenuBar;
    std::unique_ptr<Border> Progress;
    std::unique_ptr<Object> ProgressChunk, GroupBoxEdge;
    std::unique_ptr<BoxLabel> GroupBox;
    std::unique_ptr<Border> Tab;
    std::unique_ptr<Object> StatusBarEdges, TabPane, ToolBars;
    std::unique_ptr<Border> ComboButton;
    std::unique_ptr<Object> SunkEdge, ExtraImages, Headerbar, MenuItem, MenuBackground, Scrollbar,
        HorzScroll, VertScroll, HorzScrollThumb, VertScrollThumb;
    std::unique_ptr<Object> TrackbarThumbHorz, TrackbarThumbVert, TrackbarThumbLeft,
        TrackbarThumbRight, TrackbarThumbUp, TrackbarThumbDown;
    std::unique_ptr<Border> UpDownHorz, UpDownVert;
    std::unique_ptr<Object> Track, TrackVert;
    std::unique_ptr<Object> ComboxArrow, Toolbar; // created by the first skin, then kept

    TColor WindowTextColor, TitleTextActiveColor, TitleTextNoActiveColor, ButtonFaceColor,
        ButtonTextColor, ButtonHilightColor, ButtonLightColor, ButtonShadowColor,
        ButtonDkShadowColor, HilightTextColor, HilightColor, MenubarColor, MenuBarTextColor,
        MenuTextColor, MenuColor, ScrollbarColor;
    TColor TitleColor;
    std::vector<TColor> IndexedColors; // one per indexed colour section
    std::array<TColor, 10> CustomColors;

protected:
    // The program's own image for "TRACK" and "TRACKVERT" when a skin has none; false when
    // there is none (the fallback element then has an empty image).
    virtual bool LoadBuiltInImage(std::string_view name, Image& image) { return false; }
    // The system's horizontal scroll-arrow width.
    virtual int ScrollArrowWidth() const { return 17; }
    // Called once the colours of a description are final.
    virtual void SkinColoursApplied() {}
    // The combined combo strip (see ComposeComboStrip); an image type that has its own
    // drawing primitives draws it with them.
    virtual TPixelImage ComposeCombo(const TComboPart& sunkEdge, const TComboPart& comboButton,
                                     const TComboPart& extraImages, int arrowWidth);

private:
    using Ops = TSkinImageOps<Image>;
    void ReadImageInto(Image& target, const TSkinSource& s, std::string_view section,
                       std::string_view key);
    void ReadImageKeys(const TSkinSource& s, Object& e, std::string_view section, bool frame);
};

// Frame-count rule of the check and radio images: width div 13 for images less than 16
// pixels high, else width div 16, and at least 4.
std::int32_t DefaultCheckFrames(int width, int height);
// Frame-count rule of a title-bar button image: 3 when width / height is 3.8 or less, else 6.
std::int32_t DefaultSysButtonFrames(int width, int height);

// Pixel composition of the derived combo images. Frames are horizontal (frame k counted
// from 1 starts at x = (k - 1) * width / frameCount); stretching takes the nearest pixel, as
// stretch mode COLORONCOLOR does; "keyed" leaves magenta pixels of the source out.
// Frame k of `source` scaled into `target` by the nine-slice rule (stretched middle), drawn
// into `canvas`. Skipped parts stay black, as in a fresh bitmap.
void DrawNineSliceInto(TPixelImage& canvas, const IntRect& target, const TPixelImage& source,
                       const TSkinMargins& margins, int frameCount, int frameIndex, bool keyed);
// Frame k of `source` at its own size, centred in `target` (halves rounded toward zero).
void DrawFrameCentredInto(TPixelImage& canvas, const IntRect& target, const TPixelImage& source,
                          int frameCount, int frameIndex, bool keyed);

// The combined combo strip: one 50 x 21 cell per sunk-edge frame, the sunk edge over the whole
// cell, the combo button (and the extra image, centred) in the right `arrowWidth` pixels, the
// inside of the edit area magenta.
TPixelImage ComposeComboStrip(const TComboPart& sunkEdge, const TComboPart& comboButton,
                              const TComboPart& extraImages, int arrowWidth);
// The 17 x 17 arrow squares cut from the combined combo button image, one per frame.
TPixelImage CutComboArrows(const TPixelImage& comboButton, int frames);
// The 10 x 40 tool bar background: a vertical gradient from the face colour lightened toward
// white down to a shade of the title colour.
TPixelImage ToolbarGradient(TColor buttonFace, TColor titleColour);

// The element set over portable images.
using TSkinElements = TSkinElementsT<TPixelImage>;
extern template class TSkinElementsT<TPixelImage>;

} // namespace skin
