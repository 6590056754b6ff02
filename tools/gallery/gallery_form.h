#pragma once
// A form with one of every toolkit control class in the states the skin engine must draw:
// enabled and disabled, checked, unchecked and grayed, focused, default, down, every glyph
// layout and tab position. Made from its description, like the program's own forms.
#include "toolkit/buttons.h"
#include "toolkit/comctrls.h"
#include "toolkit/extctrls.h"
#include "toolkit/forms.h"
#include "toolkit/imglist.h"
#include "toolkit/menus.h"

class TGalleryForm : public TForm {
    TOOLKIT_CLASS(TGalleryForm)
public:
    explicit TGalleryForm(TComponent* owner);

    // The named controls of the description, for tests that look for one.
    template <typename T> T* Find(const std::string& name) {
        return dynamic_cast<T*>(FindComponent(name));
    }

    TNotifyEvent FindMethod(std::string_view name) override;

protected:
    // A list view selection made before the window shows makes Wine's list view repaint
    // without end; the row is selected once the form is on screen.
    void DoShow() override;

private:
    void DrawGlyphs();
    void DrawMenuImages();
    TWndProcHook listPopup_;
    void FillLists();
    // Counts the events the controls raise; the status bar shows the last one.
    void Note(TObject* sender);
    int events_ = 0;
};
