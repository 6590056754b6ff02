#pragma once
// A shown form whose skin is applied by hand (no manager), for the tests of the skinned
// control families; and the pixel reads they share.
#include "app_fixture.h"
#include "test_skins.h"
#include "window_pixels.h"

#include "skin/controls/skin_control.h"
#include "skin/form/skin_messages.h"
#include "skin/form/win_skin_form.h"
#include "toolkit/forms.h"

#include <memory>
#include <vector>

namespace skintest {

// The window's pixel through its window DC (frame coordinates).
inline TColor WindowPixel(HWND wnd, int x, int y) {
    HDC dc = GetWindowDC(wnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return static_cast<TColor>(c);
}

// The pixel through the window's client DC.
inline TColor PixelAt(HWND wnd, int x, int y) {
    HDC dc = GetDC(wnd);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(wnd, dc);
    return static_cast<TColor>(c);
}

// Client pixels inside r that are (or, with `other`, are not) `colour`.
inline int Count(HWND wnd, const RECT& r, TColor colour, bool other = false) {
    HDC dc = GetDC(wnd);
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            n += (static_cast<TColor>(GetPixel(dc, x, y)) == colour) != other;
    ReleaseDC(wnd, dc);
    return n;
}

inline int CountOther(HWND wnd, const RECT& r, TColor colour) {
    return Count(wnd, r, colour, true);
}

inline void Refresh(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// Client area only, as a control repaints itself.
inline void RefreshClient(HWND wnd) {
    RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

inline RECT WindowBox(HWND wnd) {
    RECT r;
    GetWindowRect(wnd, &r);
    return {0, 0, r.right - r.left, r.bottom - r.top};
}

struct SkinnedForm {
    std::unique_ptr<TForm> form;
    TSkinData* data = nullptr;
    TWinSkinForm* skin = nullptr;

    explicit SkinnedForm(const std::vector<std::uint8_t>& store, int width = 460, int height = 340,
                         int left = 100, int top = 100) {
        form = std::make_unique<TForm>(&TestApplication());
        form->SetTag(99); // a manager about leaves it to the test
        form->SetCaption("Skinned");
        form->SetBounds(left, top, width, height);
        data = testskins::MakeSkinData(store, form.get());
    }
    template <typename T> T* Add(int x, int y, int w, int h, TWinControl* parent = nullptr) {
        auto* c = new T(form.get());
        c->SetParent(parent ? parent : form.get());
        c->SetBounds(x, y, w, h);
        return c;
    }
    void Show() {
        form->Show();
        PumpFor(10);
    }
    void Apply() {
        Show();
        if (!skin) {
            skin = new TWinSkinForm(form.get());
            skin->Handle = form->WindowHandle();
            skin->Attach(data, form.get());
        }
        SendMessageW(form->WindowHandle(), WM_SKIN_APPLY, 0, kSkinApplyTag);
        PumpFor(10);
    }
    template <typename S = TSkinControl> S* ObjectOf(TControl* c) const {
        if (!skin) return nullptr;
        for (TComponent* o : skin->SkinnedControls())
            if (auto* s = dynamic_cast<S*>(o); s && s->Control() == c) return s;
        return nullptr;
    }
};

inline LRESULT Query(TControl* c) {
    return c->Perform(WM_SKIN_QUERY);
}

} // namespace skintest
