#include "toolkit/imglist.h"

#include "toolkit/menus.h"

#include <algorithm>

namespace {

// The image list copies from bitmaps that no DC holds, while a TBitmap keeps its own selected.
UniqueBitmap CopyBitmap(TBitmap& source, bool monochrome) {
    const int w = source.Width(), h = source.Height();
    WindowDc screen(nullptr);
    UniqueBitmap copy(monochrome ? CreateBitmap(w, h, 1, 1, nullptr)
                                 : CreateCompatibleBitmap(screen.get(), w, h));
    if (!copy) return copy;
    UniqueMemDc dc(CreateCompatibleDC(screen.get()));
    SelectObjectGuard select(dc.get(), copy.get());
    HDC from = source.Canvas().Handle();
    // To a monochrome target, pixels of the source's background colour become white.
    COLORREF oldBk = SetBkColor(from, RGB(255, 255, 255));
    BitBlt(dc.get(), 0, 0, w, h, from, 0, 0, SRCCOPY);
    SetBkColor(from, oldBk);
    return copy;
}

} // namespace

const TClassInfo& TImageList::StaticClass() {
    static const TClassInfo info =
        TClassBuilder<TImageList>("TImageList", TComponent::StaticClass())
            .Int(
                "Width", [](TImageList& l) { return l.Width(); },
                [](TImageList& l, int64_t v) { l.SetWidth(static_cast<int>(v)); })
            .Int(
                "Height", [](TImageList& l) { return l.Height(); },
                [](TImageList& l, int64_t v) { l.SetHeight(static_cast<int>(v)); })
            .Event("OnChange", [](TImageList& l, TNotifyEvent e) { l.OnChange = std::move(e); })
            .Creatable()
            .Build();
    return info;
}

TImageList::TImageList(TComponent* owner) : TComponent(owner) {}

TImageList::~TImageList() {
    std::vector<TMenu*> menus = std::move(menus_);
    for (TMenu* m : menus) m->SetImages(nullptr);
}

void TImageList::SetSize(int width, int height) {
    width = std::max(width, 1);
    height = std::max(height, 1);
    if (width == width_ && height == height_) return;
    width_ = width;
    height_ = height;
    if (handle_) {
        handle_.reset();
        Changed();
    }
}

HIMAGELIST TImageList::Handle() {
    if (!handle_) handle_.reset(ImageList_Create(width_, height_, ILC_COLOR24 | ILC_MASK, 4, 4));
    return handle_.get();
}

int TImageList::Count() const {
    return handle_ ? ImageList_GetImageCount(handle_.get()) : 0;
}

int TImageList::Add(TBitmap* image, TBitmap* mask) {
    if (!image || image->Empty()) return -1;
    UniqueBitmap colour = CopyBitmap(*image, false);
    UniqueBitmap bits;
    if (mask && !mask->Empty()) {
        bits = CopyBitmap(*mask, true);
    } else {
        // Every pixel shows: an all-black mask.
        bits.reset(CreateBitmap(image->Width(), image->Height(), 1, 1, nullptr));
        UniqueMemDc dc(CreateCompatibleDC(nullptr));
        SelectObjectGuard select(dc.get(), bits.get());
        PatBlt(dc.get(), 0, 0, image->Width(), image->Height(), BLACKNESS);
    }
    int index = ImageList_Add(Handle(), colour.get(), bits.get());
    if (index >= 0) Changed();
    return index;
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor) {
    if (!image || image->Empty()) return -1;
    UniqueBitmap colour = CopyBitmap(*image, false);
    int index = ImageList_AddMasked(Handle(), colour.get(), ColorToRGB(maskColor));
    if (index >= 0) Changed();
    return index;
}

void TImageList::Delete(int index) {
    if (handle_ && index >= 0 && index < Count() && ImageList_Remove(handle_.get(), index))
        Changed();
}

void TImageList::Clear() {
    if (handle_ && Count() > 0) {
        ImageList_RemoveAll(handle_.get());
        Changed();
    }
}

bool TImageList::AssignHandle(HIMAGELIST source) {
    HIMAGELIST copy = source ? ImageList_Duplicate(source) : nullptr;
    if (!copy) return false;
    int w = 0, h = 0;
    ImageList_GetIconSize(copy, &w, &h);
    handle_.reset(copy);
    width_ = w;
    height_ = h;
    Changed();
    return true;
}

void TImageList::Draw(HDC dc, int x, int y, int index, bool enabled) {
    if (!handle_ || !dc || index < 0 || index >= Count()) return;
    if (enabled) {
        ImageList_Draw(handle_.get(), index, dc, x, y, ILD_TRANSPARENT);
        return;
    }
    // What lies under the image, the image over black, and its mask (black where it shows).
    TBitmap under(width_, height_), picture(width_, height_), shape(width_, height_);
    BitBlt(under.Canvas().Handle(), 0, 0, width_, height_, dc, x, y, SRCCOPY);
    ImageList_Draw(handle_.get(), index, picture.Canvas().Handle(), 0, 0, ILD_TRANSPARENT);
    PatBlt(shape.Canvas().Handle(), 0, 0, width_, height_, WHITENESS);
    ImageList_Draw(handle_.get(), index, shape.Canvas().Handle(), 0, 0, ILD_MASK);
    for (int row = 0; row < height_; ++row) {
        uint32_t* u = under.ScanLine(row);
        const uint32_t* p = picture.ScanLine(row);
        const uint32_t* s = shape.ScanLine(row);
        for (int col = 0; col < width_; ++col) {
            if (s[col] & 0xFFFFFF) continue; // transparent
            uint32_t c = p[col];
            uint32_t luma =
                (((c >> 16) & 0xFF) * 77 + ((c >> 8) & 0xFF) * 150 + (c & 0xFF) * 29) >> 8;
            uint32_t g = 128 + luma / 2; // light, so it reads as unavailable on a menu
            u[col] = (g << 16) | (g << 8) | g;
        }
    }
    BitBlt(dc, x, y, width_, height_, under.Canvas().Handle(), 0, 0, SRCCOPY);
}

void TImageList::Changed() {
    if (OnChange) OnChange(this);
}
