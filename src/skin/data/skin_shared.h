#pragma once
// Routines and platform facts shared by the whole skin engine: text drawing and window text
// in wide or 8-bit form, mouse-leave tracking, scroll-bar and combo-box information, and the
// message box of the skin reader's version check.
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <string_view>

namespace skin {

// What the skin engine asks of the platform, found when first needed. The three entries are
// looked up in user32 by name and may be missing; the routines below then do nothing or
// answer false. Tests may change the fields to play an older platform, and put them back.
struct TSkinPlatform {
    DWORD Version = 0; // GetVersion(); the top bit is set on the older platform family
    bool IsNT = true;  // wide window text and text drawing are used only there
    BOOL(WINAPI* GetScrollBarInfo)(HWND, LONG, PSCROLLBARINFO) = nullptr;
    BOOL(WINAPI* GetComboBoxInfo)(HWND, PCOMBOBOXINFO) = nullptr;
    BOOL(WINAPI* TrackMouseEvent)(LPTRACKMOUSEEVENT) = nullptr;
};
TSkinPlatform& SkinPlatform();

// Draws the text; on the NT family as wide text of its length, elsewhere converted to the
// system code page and drawn as a zero-terminated string. Returns DrawText's result (the
// text height); `rect` is updated as DrawText updates it.
int SkinDrawText(HDC dc, std::wstring_view text, RECT& rect, UINT format);
// A window's text: on the NT family read as wide text of its current length, elsewhere
// through WM_GETTEXT with room for 1,000 characters and widened.
std::wstring SkinWindowTextW(HWND window);
// A window's text in the system code page, through WM_GETTEXT with room for 1,000 characters.
std::string SkinWindowTextA(HWND window);
// 8-bit text of the system code page as wide text.
std::wstring SkinWiden(std::string_view text);
// Asks for WM_MOUSELEAVE when the mouse leaves the window; nothing without TrackMouseEvent.
void SkinTrackMouseLeave(HWND window);
// GetScrollBarInfo for a window's scroll bar (OBJID_HSCROLL, OBJID_VSCROLL or OBJID_CLIENT);
// false when the platform lacks it or it fails. Sets info.cbSize itself.
bool SkinScrollBarInfo(HWND window, LONG objectId, SCROLLBARINFO& info);
// GetComboBoxInfo; false when the platform lacks it or it fails. Sets info.cbSize itself.
bool SkinComboBoxInfo(HWND window, COMBOBOXINFO& info);

// Makes the skin reader's version-check message a modal message box with an OK button, and
// system colours in skin values follow the user's colours. Safe to call more than once.
void InstallSkinPlatformHooks();
// While set, the version-check message goes to this function instead of a message box, so
// that nothing modal waits in a test. An empty function restores the message box.
void SetSkinMessageBoxInterceptor(std::function<void(const std::string& text)> interceptor);

// The module holding this code (its bitmap resources).
HINSTANCE SkinModule();

struct ImageListTraits {
    static bool Valid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};

} // namespace skin
