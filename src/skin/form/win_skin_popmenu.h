#pragma once
// Skinned popup menus, in two layers. TWinSkinPopMenu sits in front of one popup menu window
// ("#32768") and paints its border and background from the skin's popup element; the items are
// owner-drawn by the painters below, which cut each item's background out of that same picture
// so that items and window look like one. The skin manager makes one TWinSkinPopMenu for every
// popup menu window that the skin's control set covers.
#include "skin/data/skin_data.h"
#include "toolkit/subclass.h"

#include <windows.h>

#include <memory>
#include <string>

class TMenuItem;
class TImageList;

class TWinSkinPopMenu {
public:
    TWinSkinPopMenu() = default;
    ~TWinSkinPopMenu();
    TWinSkinPopMenu(const TWinSkinPopMenu&) = delete;
    TWinSkinPopMenu& operator=(const TWinSkinPopMenu&) = delete;

    bool Attach(HWND window, TSkinData* data, int level);
    void Detach(); // harmless when not attached
    bool Attached() const { return subclass_.Attached(); }
    HWND Handle() const { return window_; }
    int Level() const { return level_; }
    bool MenuBarPopup = false;
    // The menu this window shows: the one the form skinning named for it, else the window's
    // own answer.
    HMENU Menu() const;
    HMENU AttachedMenu = nullptr;

    // The popup's background at the window's size (built on first need and on every border
    // paint), or null when the skin has none.
    TBitmap* Background();
    // Where the window's client area (the items' coordinates) starts inside the background.
    POINT ClientOffset() const;

private:
    void WndProc(TMessage& m);
    bool CanPaint() const;
    bool BuildBackground();
    void PaintBorder(HRGN update);
    void PaintAround(HDC windowDc);

    HWND window_ = nullptr;
    TWindowSubclass subclass_;
    TSkinData* data_ = nullptr;
    std::unique_ptr<TBitmap> background_;
    int level_ = 0;
};

namespace skinmenu {

// What the item painters show of one item, toolkit or foreign.
struct TItemView {
    std::string Caption; // 8-bit, with its '&' marks; "-" is a separator
    std::string ShortCut;
    bool Enabled = true, Checked = false, Default = false;
    int ImageIndex = -1;
    TImageList* Images = nullptr;
    bool RightToLeft = false;
    bool IsLine() const { return Caption == "-"; }
};

TItemView ViewOf(TMenuItem& item, bool rightToLeft);
// A native item by command id, as the system's menu holds it (caption before the tab,
// shortcut text after it; an empty caption is a separator).
TItemView ViewOfNative(HMENU menu, UINT command, bool rightToLeft);

// The glyph, caption and shortcut of an item inside `rect` of `dc`.
void DrawContents(TSkinData& data, const TItemView& view, HDC dc, const RECT& rect, bool selected);

// Item painters (the form's measure and draw handlers delegate to these).
void MeasureItem(TSkinData& data, TMenuItem& item, TCanvas& canvas, int& width, int& height);
void MeasureSystemItem(TSkinData& data, TMenuItem& item, TCanvas& canvas, int& width, int& height);
void MeasureText(TSkinData& data, const std::string& text, HDC dc, int& width, int& height);
void DrawItem(TSkinData& data, TMenuItem& item, TCanvas& canvas, const RECT& rect, bool selected,
              bool rightToLeft);
void DrawForeignItem(TSkinData& data, HMENU menu, const TItemView& view, bool selected,
                     const RECT& rect, HDC dc);
void DrawPlainItem(TSkinData& data, const TItemView& view, HDC dc, bool selected, const RECT& rect);

} // namespace skinmenu
