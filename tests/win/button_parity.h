#pragma once
// What the previous procedure of a skinned push-type button (push, bit and menu buttons) sees,
// compared with the system button's.
#include "skin/form/skin_messages.h"
#include "toolkit/messages.h"

#include <windows.h>

#include <vector>

namespace parity {

// The skinned push button takes the press: the system button paints its pressed face straight
// onto the window from inside the press (BM_SETSTATE draws at once, not through WM_PAINT), so
// handing it the press would flash the system's face under the skin. The press, the pushed
// state it sets and the BN_CLICKED it answers the release with are therefore the system
// button's own and absent with the skin; the click itself is raised the same, which the state
// comparisons check. The mouse is then held by the skin object, not by the system button, so
// the capture's end comes after the system button's kill-focus handling instead of inside it:
// when it ends is compared through the pressed state after each step. Everything else (focus,
// release, keys) must match. The hover is left out too: the system button asks for it only when
// no other tracking of the mouse runs, so it comes or not by the order of the moves, as a timer.
inline std::vector<UINT> ThePressPath() {
    return {UINT(WM_LBUTTONDOWN), UINT(WM_LBUTTONDBLCLK),  UINT(BM_SETSTATE),
            CN_COMMAND,           UINT(WM_CAPTURECHANGED), UINT(WM_MOUSEHOVER)};
}

} // namespace parity
