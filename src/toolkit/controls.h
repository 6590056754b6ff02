#pragma once
// Controls: TControl (any control), TGraphicControl (window-less, painted by its parent) and
// TWinControl (a real window; system-backed controls superclass the system class under a
// window class named after the toolkit class).
#include "toolkit/classes.h"
#include "toolkit/graphics.h"
#include "toolkit/messages.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TWinControl;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = int;
constexpr TAnchors kDefaultAnchors = akLeft | akTop;

// Cursor identities as the form description names them.
enum TCursor : int {
    crDefault = 0,
    crNone = -1,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crUpArrow = -10,
    crHourGlass = -11,
    crNo = -18,
    crAppStart = -19,
    crHelp = -20,
    crHandPoint = -21,
    crSizeAll = -22
};
bool IdentToCursor(std::string_view ident, int& cursor);
HCURSOR CursorHandle(int cursor);

using TWndMethod = std::function<void(TMessage&)>;

enum TShiftStateBit {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64
};
using TShiftState = int;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
// The shift state of a mouse message's wParam (MK_ flags); Alt from the keyboard.
TShiftState KeysToShiftState(WPARAM keys);
// The shift state of a key message's lParam (Alt from the context bit) and the keyboard.
TShiftState KeyDataToShiftState(LPARAM keyData);
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;

class TControl;
namespace toolkit_detail {
struct WndProcHookNode;
}

// A handler put in front of a control's WindowProc that can be removed in any order: removing
// it takes exactly this hook out, whatever was installed after it. The handler passes messages
// on with CallPrevious. It survives RecreateWnd (hooks belong to the control, not its window);
// if the control is freed first, the hook just becomes empty.
class TWndProcHook {
public:
    TWndProcHook() = default;
    TWndProcHook(TControl& control, TWndMethod handler) { Install(control, std::move(handler)); }
    ~TWndProcHook() { Remove(); }
    TWndProcHook(const TWndProcHook&) = delete;
    TWndProcHook& operator=(const TWndProcHook&) = delete;
    TWndProcHook(TWndProcHook&& other) noexcept;
    TWndProcHook& operator=(TWndProcHook&& other) noexcept;

    void Install(TControl& control, TWndMethod handler);
    void Remove();
    bool Installed() const;
    TControl* Control() const;
    // Hands the message to what was in front of the control before this hook.
    void CallPrevious(TMessage& m) const;

private:
    std::shared_ptr<toolkit_detail::WndProcHookNode> node_;
};

// Reading order and alignment of a control's text (right-to-left scripts).
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

class TControl : public TComponent {
    TOOLKIT_CLASS(TControl)
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
    void SetTop(int v) { SetBounds(left_, v, width_, height_); }
    void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
    void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
    int ClientWidth() const { return ClientRect().right; }
    int ClientHeight() const { return ClientRect().bottom; }
    virtual void SetClientSize(int width, int height);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors v);

    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent showing too.
    virtual bool Showing() const;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);

    // Caption and Text are the same text: 8-bit in the system code page.
    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& v) { SetText(v); }
    virtual std::string GetText() const { return text_; }
    virtual void SetText(const std::string& v);

    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& v) { hint_ = v; }
    bool ShowHint() const;
    void SetShowHint(bool v);
    bool ParentShowHint() const { return parentShowHint_; }
    void SetParentShowHint(bool v) { parentShowHint_ = v; }
    int Cursor() const { return cursor_; }
    void SetCursor(int v) { cursor_ = v; }

    TColor Color() const { return color_; }
    void SetColor(TColor v);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool v);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool v);
    TBiDiMode BiDiMode() const { return biDiMode_; }
    void SetBiDiMode(TBiDiMode v);
    bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight; }
    bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }

    TNotifyEvent OnClick;
    virtual void Click();

    // The control's message handler; the skin engine saves, replaces and restores it (or puts
    // a TWndProcHook in front of it).
    TWndMethod WindowProc;
    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);

    TMouseEvent OnMouseDown;
    TMouseEvent OnMouseUp;
    // What a press does to the control besides the system's own handling: OnMouseDown.
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);

    virtual void Invalidate();
    virtual void Update() {}
    void Repaint() {
        Invalidate();
        Update();
    }
    POINT ClientToScreen(POINT p) const;
    POINT ScreenToClient(POINT p) const;
    // Origin of this control in its nearest window's client area.
    POINT ClientOrigin() const;

    void BringToFront();
    void SendToBack();

    void Loaded() override;

protected:
    virtual void WndProc(TMessage& msg);
    virtual void DefaultHandler(TMessage& msg) {}
    // Where the message handling of the control ends; windowed controls call the window
    // class's own procedure.
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void BoundsChanged() {}
    virtual void BiDiModeChanged();
    // Called by a parent when the parent's font or colour changed.
    void ParentFontChanged();
    void ParentColorChanged();
    virtual bool IsGraphic() const { return true; }
    void RequestAlign();

    TWinControl* parent_ = nullptr;
    int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    std::string text_;

private:
    friend class TWinControl;
    friend class TWndProcHook;
    TAlign align_ = alNone;
    TAnchors anchors_ = kDefaultAnchors;
    // Gaps to the parent's right and bottom edges, kept for right/bottom anchors.
    int anchorRight_ = -1, anchorBottom_ = -1;
    bool visible_ = true, enabled_ = true;
    std::string hint_;
    bool showHint_ = false, parentShowHint_ = true;
    int cursor_ = crDefault;
    TColor color_ = clBtnFace;
    bool parentColor_ = false, parentFont_ = true;
    TFont font_;
    bool clicking_ = false;
    std::vector<toolkit_detail::WndProcHookNode*> hooks_;

    TBiDiMode biDiMode_ = bdLeftToRight;
};

// Window-less controls (labels, shapes, bound labels), painted by their parent.
class TGraphicControl : public TControl {
    TOOLKIT_CLASS(TGraphicControl)
public:
    using TControl::TControl;
    // Draws into a DC whose origin is the control's top-left corner.
    virtual void Paint(TCanvas& canvas) {}

protected:
    void WndProc(TMessage& msg) override;
};

struct TCreateParams {
    std::wstring WinClassName; // registered under the toolkit's class name
    std::wstring SysClassName; // the system class superclassed, empty for a class of our own
    DWORD Style = 0, ExStyle = 0;
    UINT ClassStyle = CS_DBLCLKS;
    int X = 0, Y = 0, Width = 0, Height = 0;
    HWND WndParent = nullptr;
    std::wstring Caption;
};

class TWinControl : public TControl {
    TOOLKIT_CLASS(TWinControl)
public:
    explicit TWinControl(TComponent* owner);
    ~TWinControl() override;

    HWND Handle();
    HWND WindowHandle() const { return handle_; }
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // Destroys and creates the window again (after a style change).
    void RecreateWnd();

    int ControlCount() const { return static_cast<int>(controls_.size()); }
    TControl* Controls(int i) const { return controls_[static_cast<size_t>(i)]; }
    // The topmost visible graphic child at a client point.
    TControl* ControlAtPos(POINT p, bool allowDisabled = false) const;
    // Paints the visible graphic children into dc (client coordinates), as the control's own
    // paint does after its background; for a skin object that takes over WM_PAINT.
    void PaintControls(HDC dc);

    // The windowed controls below this one in tab order, depth first (each parent before its
    // children), as Tab walks them.
    void GetTabOrderList(std::vector<TWinControl*>& list) const;
    // Sends the message to every child control (graphic and windowed); stops at the first that
    // answers non-zero and returns that answer.
    LRESULT Broadcast(UINT msg, WPARAM wParam, LPARAM lParam);

    void SetFocus();
    bool Focused() const;
    virtual bool CanFocus() const;
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool v);
    int TabOrder() const;
    void SetTabOrder(int v);
    // The control shows its parent's background instead of its own colour. Published by the
    // classes that honour it (panels, tab sheets, group boxes).
    bool ParentBackground() const { return parentBackground_; }
    void SetParentBackground(bool v);

    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    bool Showing() const override;
    std::string GetText() const override;
    void SetText(const std::string& v) override;
    void Invalidate() override;
    void Update() override;

    // Lays out aligned and anchored children.
    virtual void AlignControls();
    void DisableAlign() { ++alignLock_; }
    void EnableAlign();

    // Calls the window class's own procedure (the superclassed system class or DefWindowProc).
    LRESULT DefWndProc(UINT msg, WPARAM wParam, LPARAM lParam);

    static TWinControl* FromHandle(HWND wnd);
    static TControl* FindDragTarget(POINT screenPoint);

protected:
    friend class TControl;
    virtual void CreateParams(TCreateParams& params);
    virtual void CreateWnd();
    virtual void CreateWindowHandle(const TCreateParams& params);
    virtual void DestroyWnd();
    // After the window exists: send it the settings that live in the window.
    virtual void InitializeWnd();
    void CreateChildHandles();
    void WndProc(TMessage& msg) override;
    void DefaultHandler(TMessage& msg) override;
    // Painting of classes of our own: background, then the graphic children.
    virtual void PaintWindow(HDC dc);
    void PaintHandler(TMessage& msg);
    virtual bool PaintsOwnWindow() const; // classes of our own, not superclassed ones
    HBRUSH ColorBrush();
    void FontChanged() override;
    void ColorChanged() override;
    void VisibleChanged() override;
    void EnabledChanged() override;
    bool IsGraphic() const override { return false; }
    void UpdateWindowStyle(DWORD add, DWORD remove);
    void BiDiModeChanged() override;
    // Has the parent paint its background and graphic children into dc, as seen through this
    // control's client area.
    void PaintParentBackground(HDC dc);

    void BeforeDestruction() override;

    HWND handle_ = nullptr;
    WNDPROC defProc_ = nullptr;
    std::vector<TControl*> controls_;

private:
    friend class TApplication;
    static LRESULT CALLBACK InitWndProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
    void MainWndProc(TMessage& msg);
    void RouteMouse(TMessage& msg);
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    void AlignOne(TControl* c, RECT& remaining);

    bool tabStop_ = false;
    int alignLock_ = 0;
    bool alignPending_ = false;
    // The window is being destroyed with its object: children keep their windows until the
    // system destroys them with this one.
    bool windowGoing_ = false;
    TControl* captureControl_ = nullptr;
    UniqueBrush colorBrush_;
    TColor colorBrushColor_ = clNone;
    bool parentBackground_ = false;
};

// A windowed control of our own that draws itself on its Canvas in Paint (off screen, then one
// block transfer), after its background.
class TCustomControl : public TWinControl {
    TOOLKIT_CLASS(TCustomControl)
public:
    explicit TCustomControl(TComponent* owner);
    // Bound to the device context only while Paint runs.
    TCanvas& Canvas() { return canvas_; }

protected:
    virtual void Paint() {}
    void PaintWindow(HDC dc) override;

private:
    TCanvas canvas_;
};

// Registers the toolkit's streamable control classes with the form reader.
void RegisterToolkitClasses();
