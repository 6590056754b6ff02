// Fuzz target: a skin file's bytes as the program takes them: its own check first, then the
// load the skin data component runs (reader, description, every element and derived image), a
// second load over the first (a live switch), and every frame of every element drawn by the
// portable nine-slice and centred-frame painters.
#include "app/skin_file_check.h"
#include "skin/data/skin_elements.h"
#include "skin/data/skin_reader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

namespace {

int gApplyMessages = 0;

void DrawElementFrames(const skin::TDataSkinObjectT<skin::TPixelImage>* e,
                       skin::TPixelImage& canvas) {
    if (!e || !e->Bitmap || e->Bitmap->Width() == 0) return;
    // Frame counts come from the description; painters take any of them, and past the last.
    const int frames = e->FrameCount < 1 ? 1 : e->FrameCount > 64 ? 64 : e->FrameCount;
    for (int k = 1; k <= frames + 1; ++k) {
        skin::DrawNineSliceInto(canvas, {1, 2, 40, 30}, *e->Bitmap, e->Margins, e->FrameCount, k,
                                e->Trans != 0);
        skin::DrawFrameCentredInto(canvas, {0, 0, 12, 9}, *e->Bitmap, e->FrameCount, k,
                                   e->Trans != 0);
    }
}

} // namespace

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    gApplyMessages = 0;
    skin::SetSkinMessageHandler([](const std::string&) { ++gApplyMessages; });
    const app::SkinFileCheck check = app::CheckSkinStore(bytes);
    skin::SetSkinMessageHandler(nullptr);
    // The check names the file itself: the reader's message box never shows during it.
    if (gApplyMessages != 0) std::abort();
    if (!check.Ok() && check.Detail.empty()) std::abort();

    skin::TSkinElements elements;
    const bool loaded = elements.LoadSkinStore(bytes);
    // What the check lets through loads in full; another version never loads.
    if (check.Ok() && (!loaded || elements.SkinNotLoaded)) std::abort();
    if (check.Fault == app::SkinFileFault::WrongVersion && loaded) std::abort();
    if (!check.Ok()) return 0;

    // Switched to the same skin again: the same result.
    const std::string name = elements.SkinName;
    if (!elements.LoadSkinStore(bytes) || elements.SkinName != name) std::abort();

    skin::TPixelImage canvas(48, 32);
    using E = skin::TSkinElements;
    for (auto* border : {elements.FrameLeft.get(), elements.FrameRight.get(),
                         elements.FrameTop.get(), elements.FrameBottom.get()})
        DrawElementFrames(border, canvas);
    DrawElementFrames(elements.Title.get(), canvas);
    DrawElementFrames(elements.Button.get(), canvas);
    for (const auto& b : elements.SysButtons) DrawElementFrames(b.get(), canvas);
    for (const std::unique_ptr<E::Object>* o :
         {&elements.MenuBar,         &elements.ProgressChunk,     &elements.GroupBoxEdge,
          &elements.StatusBarEdges,  &elements.TabPane,           &elements.ToolBars,
          &elements.SunkEdge,        &elements.ExtraImages,       &elements.Headerbar,
          &elements.MenuItem,        &elements.MenuBackground,    &elements.Scrollbar,
          &elements.HorzScroll,      &elements.VertScroll,        &elements.HorzScrollThumb,
          &elements.VertScrollThumb, &elements.TrackbarThumbHorz, &elements.TrackbarThumbVert,
          &elements.Track,           &elements.TrackVert,         &elements.ComboxArrow,
          &elements.Toolbar})
        DrawElementFrames(o->get(), canvas);
    for (const std::unique_ptr<E::Border>* b :
         {&elements.Progress, &elements.Tab, &elements.ComboButton, &elements.UpDownHorz,
          &elements.UpDownVert})
        DrawElementFrames(b->get(), canvas);
    DrawElementFrames(elements.GroupBox.get(), canvas);
    return 0;
}
