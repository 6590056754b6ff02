#pragma once
// Input as the user's hands make it: SendInput mouse and key events that go through the
// system's input queue, so capture, hit-testing, focus and mouse tracking decide where each one
// lands, exactly as they do for a real mouse. Moves are absolute screen positions.
#include "app_fixture.h"

#include <windows.h>

#include <vector>

namespace realinput {

inline INPUT MouseAt(POINT screen, DWORD flags, DWORD data = 0) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    // The middle of the pixel in the 0..65535 scale, so rounding lands on the pixel itself.
    in.mi.dx = static_cast<LONG>((screen.x * 65536LL + 32768) / w);
    in.mi.dy = static_cast<LONG>((screen.y * 65536LL + 32768) / h);
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    in.mi.mouseData = data;
    return in;
}

// Queues the events and lets the thread handle them.
inline void Send(std::vector<INPUT> events, int pumpMs = 30) {
    SendInput(static_cast<UINT>(events.size()), events.data(), sizeof(INPUT));
    PumpFor(pumpMs);
}

inline POINT OnScreen(HWND wnd, POINT client) {
    ClientToScreen(wnd, &client);
    return client;
}

inline void MoveTo(POINT screen) {
    Send({MouseAt(screen, 0)});
}
inline void Press(POINT screen) {
    Send({MouseAt(screen, MOUSEEVENTF_LEFTDOWN)});
}
inline void Release(POINT screen) {
    Send({MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}
inline void Click(POINT screen) {
    Send({MouseAt(screen, MOUSEEVENTF_LEFTDOWN), MouseAt(screen, MOUSEEVENTF_LEFTUP)});
}
// One notch is WHEEL_DELTA; negative scrolls down.
inline void Wheel(POINT screen, int delta) {
    Send({MouseAt(screen, 0), MouseAt(screen, MOUSEEVENTF_WHEEL, static_cast<DWORD>(delta))});
}

inline INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}
inline void KeyDown(WORD vk) {
    Send({Key(vk, false)});
}
inline void KeyUp(WORD vk) {
    Send({Key(vk, true)});
}
inline void Tap(WORD vk) {
    Send({Key(vk, false), Key(vk, true)});
}
// Alt held around a key: a menu accelerator or a caption's mnemonic.
inline void AltTap(WORD vk) {
    Send({Key(VK_MENU, false), Key(vk, false), Key(vk, true), Key(VK_MENU, true)});
}

} // namespace realinput
