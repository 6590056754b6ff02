#pragma once
// The skin engine's private window messages. The values are fixed: skinned windows, skinned
// controls and the manager send them to each other, and a window answers WM_SKIN_QUERY with 1
// when it is skinned already.
#include <windows.h>

constexpr UINT WM_SKIN_RECOLOR = 0x3401;
constexpr UINT WM_SKIN_NCPAINT = 0x3502;
constexpr UINT WM_SKIN_APPLY = 0x3503;
constexpr UINT WM_SKIN_ACTIVE = 0x3506;
constexpr UINT WM_SKIN_BUTTON = 0x3514;
constexpr UINT WM_SKIN_BUTTON_VISIBLE = 0x3515;
constexpr UINT WM_SKIN_MDI_REDRAW = 0x3516;
constexpr UINT WM_SKIN_RESKIN_SCROLL = 0x3517;
constexpr UINT WM_SKIN_MENU_AT = 0x3518;
constexpr UINT WM_SKIN_CLOSETAB = 0x3507;
constexpr UINT WM_SKIN_QUERY = 0x3523;

constexpr UINT CN_SKIN_NCPAINT = 0xBC4B;
constexpr UINT CN_SKIN_PAINTCLIENT = 0xBC4A;
constexpr UINT CN_SKIN_PING = 0xBC4D;
constexpr UINT CN_SKIN_APPLIED = 0xBC4E;
// The lParam (and answer) that marks the CN_SKIN_ notifications as the skin engine's own.
constexpr LPARAM kSkinMagic = 16802;

// The lParam the manager posts WM_SKIN_APPLY with.
constexpr LPARAM kSkinApplyTag = 1000;
