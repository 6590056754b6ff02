#pragma once
// TSkinControl: the object that sits in front of one standard control and draws it from the
// skin. It is owned by the control it skins (or, for a bare window, listed by the form object
// only), sees every message first, lets the control's own handling run where needed and
// replaces its painting. Detaching or destroying it leaves the control exactly as it was:
// its message chain, colour and ParentBackground.
//
// Two attaches: to a toolkit control through a TWndProcHook in front of its WindowProc, or
// to a window without a toolkit object through a TWindowSubclass.
//
// One lifecycle for every family:
//   attach      AttachControl / AttachWindow hook the control once; a second call does nothing.
//   set-up      SetupSkin takes everything the object draws with from the current skin (kind,
//               transparency, colours, children's objects, whether it can skin at all). It runs
//               after the attach, on every skin change (SkinChanged) and on every new window the
//               control makes for itself. An object whose skin part is missing stays attached
//               but passes everything on, so the control is native.
//   restore     RestoreControl gives back what attach and set-up changed. Whoever ends the
//               object calls it before the delete (EndSkinObject, TSkinObjectPtr); the window
//               going calls it too. The destructor only unhooks.
#include "skin/data/skin_data.h"
#include "toolkit/controls.h"
#include "toolkit/subclass.h"

#include <windows.h>

#include <memory>
#include <string>

class TWinSkinForm;

// Bits of TSkinControl::State.
constexpr int kSkinHot = 1, kSkinPressed = 2;

class TSkinControl : public TComponent {
public:
    explicit TSkinControl(TComponent* owner);
    ~TSkinControl() override;

    // To the owner (a toolkit control). A second attach does nothing.
    virtual void AttachControl(TWinSkinForm* form, TSkinData* data, bool ownColor, TCanvas* canvas);
    // To a window that has no toolkit object.
    virtual void AttachWindow(HWND wnd, TSkinData* data, TWinSkinForm* form, TCanvas* canvas);
    // Gives back what attach and set-up changed. Safe to call more than once.
    virtual void RestoreControl();
    // True: let the previous handling run, then AfterMessage. False: consumed here.
    virtual bool BeforeMessage(TMessage& m);
    virtual void AfterMessage(TMessage& m);
    // The whole window drawn again; no DC: the window DC.
    virtual void PaintWindow(HDC dc);
    // Draws the control into dc inside r (window coordinates, origin at its top-left).
    virtual void DrawControl(HDC dc, const RECT& r) {}
    // The skin data holds another skin: set up again and repaint.
    virtual void SkinChanged();
    // Whether the current skin has what this family draws with.
    virtual bool CanSkin() { return true; }

    HWND Handle() const;
    TControl* Control() const { return control_; }
    TSkinData* SkinData() const { return data_; }
    TWinSkinForm* SkinForm() const { return form_; }
    bool Active() const { return active_; }
    bool Attached() const { return attached_; }
    int Stage() const { return stage_; }
    int Kind() const { return kind_; }
    int State() const { return state_; }
    // False while the current skin has nothing for this control: it is left native.
    bool Skinning() const { return skinning_; }
    // The window is gone and will not come back: the form frees the object at its next walk.
    bool Finished() const { return stage_ == 6 && !control_; }

    // Published properties of the control, by name; missing ones read -1, "", null.
    int IntProp(std::string_view name) const;
    std::string EnumProp(std::string_view name) const; // the value's name
    std::wstring WideProp(std::string_view name) const;
    TPersistent* ObjectProp(std::string_view name) const;
    void SetProp(std::string_view name, const std::string& value);
    bool HasProp(std::string_view name) const;

    // Drawing helpers shared by the families.
    void FillFace(HDC dc, const RECT& r) const;
    static void FillColour(HDC dc, const RECT& r, TColor colour);
    void FillParentColour(HDC dc, const RECT& r) const;
    // Frame `index` of `count` of the element nine-sliced into r (magenta left out when the
    // element is transparent).
    static void DrawElement(HDC dc, const RECT& r, int count, int index,
                            const TDataSkinObject* element);
    // Frame `index` of `count` of a strip stretched into r, magenta left out.
    static void DrawGlyphFrame(HDC dc, const RECT& r, int count, int index, TBitmap* strip);
    // The focus rectangle around Text() as DrawText with `flags` places it in r.
    void DrawCaptionFocus(HDC dc, UINT flags, const RECT& r) const;
    void DrawCaption(HDC dc, const RECT& r, int alignment, bool enabled,
                     const std::wstring& text) const;
    void DrawCaptionCentred(HDC dc, const RECT& r, const std::wstring& text, int alignment,
                            bool enabled) const;
    // Icon of an image list (ImageList_GetIconSize) followed by the text, single line.
    void DrawCaptionWithImage(HDC dc, const RECT& r, int alignment, const std::wstring& text,
                              int imageIndex, HIMAGELIST images) const;
    // DT_RTLREADING when the control reads right to left.
    UINT RtlFlags() const;
    static bool IsTopLevel(HWND wnd);

    const std::wstring& Text() const { return text_; }

protected:
    // Reads the current skin; the base takes or gives back the control's colours by CanSkin.
    // Overrides call the base first.
    virtual void SetupSkin();
    void CallPrevious(TMessage& m);
    // Invalidates and updates the window (or asks the paint target).
    void Repaint();
    // The space bar pressing and releasing a button-like control: the pressed state follows
    // WM_KEYDOWN/WM_KEYUP of VK_SPACE and the control is repainted.
    void TrackSpaceKey(const TMessage& m);
    // WM_PAINT with an own paint cycle (BeginPaint unless wParam carries a DC).
    void PaintHandler(TMessage& m);
    // WM_ERASEBKGND: the parent's background (a control) or the face colour (a bare window).
    void EraseHandler(TMessage& m);
    // Left button down handed to the control's MouseDown.
    void ForwardMouseDown(TMessage& m);
    // The caption: the published Caption, else the window text.
    std::wstring ReadCaption();
    // The control's font (a copy selected by the caller) or the window's.
    HFONT CaptionFont() const;
    TColor FontColour() const;
    bool Rtl() const;
    bool HasFocus() const { return GetFocus() == Handle() && Handle(); }
    bool WindowEnabled() const;
    void AdjustParentBackground();
    void OwnColours();
    void GiveColoursBack();

    int state_ = 0;
    TCanvas* canvas_ = nullptr;
    bool enabled_ = true;
    bool focused_ = false;
    std::wstring text_;
    bool active_ = true;
    bool unicode_ = true;
    TSkinData* data_ = nullptr;
    HWND handle_ = nullptr;
    TControl* control_ = nullptr;
    RECT windowRect_{};
    TControl* paintTarget_ = nullptr;
    bool ownColor_ = false;
    TColor savedColor_ = clBtnFace;
    bool attached_ = false;
    int stage_ = 0;
    TWinSkinForm* form_ = nullptr;
    int kind_ = 0;
    bool parentBgChanged_ = false;
    bool colourTaken_ = false;
    bool skinning_ = false;

    // Null the moment this object is deleted, so a message whose previous handling freed the
    // object does not touch it afterwards.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

private:
    void WindowProc(TMessage& m);
    // The control made a new window for itself (RecreateWnd): set it up like the first.
    void Reborn();
    void Detach();
    TWndProcHook hook_;
    TWindowSubclass subclass_;
};

// Ends a skin object whose control may live on: restore, then free. Any component is taken;
// only skin objects are restored.
void EndSkinObject(TComponent* object);

// An owned skin object (a list view's header, an edit's up-down, a combo's list bars) ended
// the same way when its owner lets it go.
struct TSkinObjectEnd {
    void operator()(TSkinControl* object) const { EndSkinObject(object); }
};
template <typename T> using TSkinObjectPtr = std::unique_ptr<T, TSkinObjectEnd>;
