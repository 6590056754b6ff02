#include "skin/controls/skin_media.h"

#include "skin/data/skin_shared.h"
#include "toolkit/handles.h"

#include <string>

namespace {

const char* const kButtonNames[kMediaButtons] = {
    "btPlay", "btPause", "btStop", "btNext", "btPrev", "btStep", "btBack", "btRecord", "btEject"};
const wchar_t* const kResourceNames[kMediaButtons] = {L"MPPLAY", L"MPPAUSE",  L"MPSTOP",
                                                      L"MPNEXT", L"MPPREV",   L"MPSTEP",
                                                      L"MPBACK", L"MPRECORD", L"MPEJECT"};
const wchar_t* const kStatePrefixes[3] = {L"EN", L"DI", L"CL"};
// The glyphs' ground.
constexpr TColor kOlive = 0x008080;

// Whether the set's text names the button ("[btPlay,btStop]"); a name is not a prefix of
// another, so finding it is enough.
bool Names(const std::string& set, int button) {
    return set.find(kButtonNames[button]) != std::string::npos;
}

} // namespace

const char* MediaButtonName(int button) {
    return button >= 0 && button < kMediaButtons ? kButtonNames[button] : "";
}

const TClassInfo& TWMediaPlayer::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TWMediaPlayer>("TWMediaPlayer", TCustomPanel::StaticClass()).Build();
    return info;
}

TWMediaPlayer::TWMediaPlayer(TComponent* owner, TControl& player, TSkinData& data)
    : TCustomPanel(owner), player_(player), data_(data) {
    SetBevelOuter(bvNone);
    SetCaption("");
    for (int b = 0; b < kMediaButtons; ++b)
        for (int s = 0; s < 3; ++s) {
            auto glyph = std::make_unique<TBitmap>();
            const std::wstring name = std::wstring(kStatePrefixes[s]) + L"_" + kResourceNames[b];
            if (glyph->LoadFromResourceName(skin::SkinModule(), name.c_str())) {
                glyph->SetTransparent(true);
                glyph->SetTransparentColor(kOlive);
            }
            glyphs_[static_cast<size_t>(b)][static_cast<size_t>(s)] = std::move(glyph);
        }
    ReadButtons();
}

TBitmap* TWMediaPlayer::Glyph(int button, TMPGlyph state) const {
    if (button < 0 || button >= kMediaButtons) return nullptr;
    TBitmap* b = glyphs_[static_cast<size_t>(button)][static_cast<size_t>(state)].get();
    return b && !b->Empty() ? b : nullptr;
}

void TWMediaPlayer::ReadButtons() {
    auto read = [&](const char* name) {
        return IsPublishedProp(player_, name) ? GetStrProp(player_, name) : std::string();
    };
    const std::string visible = read("VisibleButtons"), enabled = read("EnabledButtons"),
                      coloured = read("ColoredButtons");
    for (int b = 0; b < kMediaButtons; ++b) {
        visible_[static_cast<size_t>(b)] = Names(visible, b);
        enabled_[static_cast<size_t>(b)] = Names(enabled, b);
        coloured_[static_cast<size_t>(b)] = Names(coloured, b);
    }
}

int TWMediaPlayer::VisibleCount() const {
    int n = 0;
    for (bool v : visible_) n += v;
    return n;
}

int TWMediaPlayer::ButtonWidth() const {
    const int n = VisibleCount();
    return n ? Width() / n : 0;
}

int TWMediaPlayer::ButtonLeft(int button) const {
    int left = 0;
    for (int b = 0; b < button; ++b)
        if (visible_[static_cast<size_t>(b)]) left += ButtonWidth();
    return left;
}

int TWMediaPlayer::HitButton(int x) const {
    const int w = ButtonWidth();
    for (int b = 0; b < kMediaButtons; ++b) {
        if (!visible_[static_cast<size_t>(b)]) continue;
        const int left = ButtonLeft(b);
        if (x >= left && x <= left + w) return b;
    }
    return kMediaButtons;
}

void TWMediaPlayer::PaintWindow(HDC dc) {
    ReadButtons();
    const RECT all = {0, 0, Width(), Height()};
    if (VisibleCount() == 0 || all.right <= 0 || all.bottom <= 0) {
        TSkinControl::FillColour(dc, all, data_.ButtonFaceColor);
        return;
    }
    OffscreenBuffer buffer(dc, all.right, all.bottom);
    HDC mem = buffer.dc();
    if (!mem) return;
    TSkinControl::FillColour(mem, all, data_.ButtonFaceColor);
    const int w = ButtonWidth();
    TCanvas canvas(mem);
    for (int b = 0; b < kMediaButtons; ++b) {
        if (!visible_[static_cast<size_t>(b)]) continue;
        const RECT r = {ButtonLeft(b), 0, ButtonLeft(b) + w, all.bottom};
        const bool enabled = enabled_[static_cast<size_t>(b)];
        const bool down = pressed_ && pressedButton_ == b;
        if (data_.Button && data_.Button->Bitmap && !data_.Button->Bitmap->Empty())
            TSkinControl::DrawElement(mem, r, data_.Button->FrameCount,
                                      !enabled ? 3
                                      : down   ? 2
                                               : 1,
                                      data_.Button.get());
        TBitmap* glyph = Glyph(b, !enabled                            ? mgDisabled
                                  : coloured_[static_cast<size_t>(b)] ? mgColoured
                                                                      : mgEnabled);
        if (!glyph) continue;
        const int x = r.left + (w - glyph->Width()) / 2 + (down ? 1 : 0);
        const int y = (all.bottom - glyph->Height()) / 2 + (down ? 1 : 0);
        canvas.Draw(x, y, *glyph);
    }
    BitBlt(dc, 0, 0, all.right, all.bottom, mem, 0, 0, SRCCOPY);
}

void TWMediaPlayer::WndProc(TMessage& m) {
    switch (m.Msg) {
    case WM_ERASEBKGND:
        m.Result = 1;
        return;
    case WM_MOUSEACTIVATE:
        // A click on the bar asks the player, as a click on the player would.
        if (PlayerTakesInput()) {
            m.Result = player_.Perform(m.Msg, m.WParam, m.LParam);
            return;
        }
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: { // a quick second press is a press too
        TCustomPanel::WndProc(m);
        // A disabled player takes no press, through the bar or not.
        if (!PlayerTakesInput()) return;
        std::shared_ptr<bool> alive = alive_;
        player_.Perform(m.Msg, m.WParam, m.LParam);
        if (!*alive) return;
        // A player that took the mouse gets its moves and its release wherever they come, as
        // without the bar; else the bar holds the mouse until the release.
        auto* player = dynamic_cast<TWinControl*>(&player_);
        playerHolds_ = player && GetCapture() && GetCapture() == player->WindowHandle();
        if (!playerHolds_) SetCapture(WindowHandle());
        pressed_ = true;
        pressedButton_ = HitButton(static_cast<short>(LOWORD(m.LParam)));
        Invalidate();
        return;
    }
    case WM_CAPTURECHANGED:
        if (pressed_ && reinterpret_cast<HWND>(m.LParam) != WindowHandle()) {
            pressed_ = false;
            Invalidate();
        }
        break;
    case WM_LBUTTONUP: {
        pressed_ = false;
        if (GetCapture() == WindowHandle()) ReleaseCapture();
        TCustomPanel::WndProc(m);
        // Released above or below the bar is released on no button.
        const int y = static_cast<short>(HIWORD(m.LParam));
        const int hit = y >= 0 && y < Height() ? HitButton(static_cast<short>(LOWORD(m.LParam)))
                                               : kMediaButtons;
        // The player acts on the button only when the press ends where it began.
        if (hit == pressedButton_) player_.Perform(m.Msg, m.WParam, m.LParam);
        pressedButton_ = hit;
        Invalidate();
        return;
    }
    default:
        break;
    }
    TCustomPanel::WndProc(m);
}

bool TWMediaPlayer::PlayerTakesInput() const {
    auto* player = dynamic_cast<TWinControl*>(&player_);
    return player_.Enabled() &&
           (!player || !player->HandleAllocated() || IsWindowEnabled(player->WindowHandle()));
}

void TWMediaPlayer::PlayerPressEnded() {
    if (!playerHolds_) return;
    playerHolds_ = false;
    pressed_ = false;
    pressedButton_ = kMediaButtons;
    Invalidate();
}

// ---------------------------------------------------------------- the skin object

TSkinMP::~TSkinMP() {
    player_.reset();
}

void TSkinMP::SetupSkin() {
    TSkinControl::SetupSkin();
    if (player_) {
        player_->ReadButtons();
        player_->Invalidate();
    }
    if (!control_ || !data_ || player_ || !control_->Parent()) return;
    player_ = std::make_unique<TWMediaPlayer>(nullptr, *control_, *data_);
    player_->SetTag(data_->DisableTag);
    player_->SetParent(control_->Parent());
    FollowPlayer();
    player_->SetVisible(control_->Visible());
    if (player_->HandleAllocated())
        SetWindowPos(player_->WindowHandle(), HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TSkinMP::FollowPlayer() {
    if (player_ && control_)
        player_->SetBounds(control_->Left(), control_->Top(), control_->Width(),
                           control_->Height());
}

void TSkinMP::AfterMessage(TMessage& m) {
    switch (m.Msg) {
    case WM_WINDOWPOSCHANGED:
        FollowPlayer();
        break;
    case CM_VISIBLECHANGED:
        if (player_ && control_) player_->SetVisible(control_->Visible());
        break;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (player_) player_->PlayerPressEnded();
        break;
    default:
        TSkinControl::AfterMessage(m);
        break;
    }
}

void TSkinMP::RestoreControl() {
    TSkinControl::RestoreControl();
    if (stage_ != 6) player_.reset();
}
