#pragma once
// Media players: a bar of the program's own button glyphs on the skin's button frames, laid
// over the player; presses go on to the player, which acts on the button as if its own had
// been pressed.
#include "skin/controls/skin_control.h"
#include "toolkit/extctrls.h"

#include <array>
#include <memory>
#include <string>

enum TMPBtnType { btPlay, btPause, btStop, btNext, btPrev, btStep, btBack, btRecord, btEject };
constexpr int kMediaButtons = 9;
// "btPlay" ... "btEject", as the player's button sets name them.
const char* MediaButtonName(int button);

// The glyph states, in the resource names' prefixes: "EN", "DI", "CL".
enum TMPGlyph { mgEnabled, mgDisabled, mgColoured };

class TWMediaPlayer : public TCustomPanel {
    TOOLKIT_CLASS(TWMediaPlayer)
public:
    TWMediaPlayer(TComponent* owner, TControl& player, TSkinData& data);
    ~TWMediaPlayer() override { *alive_ = false; }
    // Reads the player's VisibleButtons, EnabledButtons and ColoredButtons.
    void ReadButtons();
    // The first visible button whose span, both ends included, holds x; kMediaButtons if none.
    int HitButton(int x) const;
    // The left edge and width of a visible button; the width is 0 for a hidden one.
    int ButtonLeft(int button) const;
    int ButtonWidth() const;
    bool ButtonVisible(int b) const { return visible_[static_cast<size_t>(b)]; }
    bool ButtonEnabled(int b) const { return enabled_[static_cast<size_t>(b)]; }
    bool ButtonColoured(int b) const { return coloured_[static_cast<size_t>(b)]; }
    TBitmap* Glyph(int button, TMPGlyph state) const;
    int PressedButton() const { return pressedButton_; }
    bool Pressed() const { return pressed_; }
    TControl& Player() const { return player_; }
    // The player's own press ended (its release or its lost mouse): the bar shows it up.
    void PlayerPressEnded();

protected:
    void PaintWindow(HDC dc) override;
    void WndProc(TMessage& m) override;

private:
    int VisibleCount() const;
    bool PlayerTakesInput() const;
    std::array<std::array<std::unique_ptr<TBitmap>, 3>, kMediaButtons> glyphs_;
    std::array<bool, kMediaButtons> visible_{}, enabled_{}, coloured_{};
    TControl& player_;
    TSkinData& data_;
    bool pressed_ = false;
    int pressedButton_ = kMediaButtons;
    bool playerHolds_ = false; // the player took the mouse at the press
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TSkinMP : public TSkinControl {
public:
    using TSkinControl::TSkinControl;
    ~TSkinMP() override;
    void AfterMessage(TMessage& m) override;
    void RestoreControl() override;
    TWMediaPlayer* Bar() const { return player_.get(); }

protected:
    void SetupSkin() override;

private:
    void FollowPlayer();
    std::unique_ptr<TWMediaPlayer> player_;
};
