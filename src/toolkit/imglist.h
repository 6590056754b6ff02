#pragma once
// Image lists over the common-controls image list: images of one size with masks, drawn
// enabled or greyed.
#include "toolkit/classes.h"
#include "toolkit/graphics.h"

#include <windows.h>

#include <commctrl.h>

#include <vector>

struct ImageListHandleTraits {
    static bool Valid(HIMAGELIST h) { return h != nullptr; }
    static void Close(HIMAGELIST h) { ImageList_Destroy(h); }
};
// (Named apart from the skin data's own owner of the same handle.)
using UniqueImageListHandle = UniqueHandle<HIMAGELIST, ImageListHandleTraits>;

class TMenu;

class TImageList : public TComponent {
    TOOLKIT_CLASS(TImageList)
public:
    explicit TImageList(TComponent* owner);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size drops the images, as the common control does.
    void SetWidth(int v) { SetSize(v, height_); }
    void SetHeight(int v) { SetSize(width_, v); }
    void SetSize(int width, int height);
    int Count() const;
    HIMAGELIST Handle();

    // A bitmap wider than Width() holds several images side by side. The mask is white where
    // the image is transparent and black where it shows; without one every pixel shows.
    // Returns the index of the first image added, or -1.
    int Add(TBitmap* image, TBitmap* mask);
    // Pixels of the mask colour become transparent.
    int AddMasked(TBitmap* image, TColor maskColor);
    void Delete(int index);
    void Clear();
    // Takes a copy of another image list (such as one a skin holds), its size included.
    bool AssignHandle(HIMAGELIST source);

    // Disabled images are drawn as a light grey copy of their visible pixels.
    void Draw(HDC dc, int x, int y, int index, bool enabled = true);
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) {
        Draw(canvas.Handle(), x, y, index, enabled);
    }

    TNotifyEvent OnChange;

private:
    friend class TMenu;
    void Changed();
    int width_ = 16, height_ = 16;
    UniqueImageListHandle handle_;
    // Menus showing these images; told when the list goes.
    std::vector<TMenu*> menus_;
};
