// Loading the product skin: the skin store that the main window carries, packed with the skin
// tools, decoded and applied by TSkinData (every element, colour and derived image into
// toolkit bitmaps). Baseline: decoding the store alone, measured in the same run.
#include "skin/art/product_skin.h"
#include "skin/data/lzh.h"
#include "skin/data/skin_data.h"
#include "skin/data/skin_elements.h"
#include "skin/data/skin_reader.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

// The skin tools are developer tools, not part of the program. GCC 12 misreads the byte
// appends of the archive builder at -O2 (a false positive of its string-operation checks).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overflow"
#pragma GCC diagnostic ignored "-Wstringop-overread"
#include "../../skins/tools/lzh_encoder.cpp"
#include "../../skins/tools/skin_archive.cpp"
#pragma GCC diagnostic pop

namespace {

double BestMs(int runs, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        work();
        best = std::min(best, std::chrono::duration<double, std::milli>(
                                  std::chrono::steady_clock::now() - start)
                                  .count());
    }
    return best;
}

// Every non-empty image of a loaded element set.
std::vector<const skin::TPixelImage*> Images(const skin::TSkinElements& e) {
    std::vector<const skin::TPixelImage*> out;
    auto add = [&](const skin::TPixelImage* image) {
        if (image && !image->Empty()) out.push_back(image);
    };
    auto object = [&](const skin::TSkinElements::Object* o) {
        if (o) add(o->Bitmap.get());
    };
    auto border = [&](const skin::TSkinElements::Border* b) {
        if (b) add(b->Bitmap.get()), add(b->Bitmap2.get());
    };
    for (auto* b : {e.FrameLeft.get(), e.FrameRight.get(), e.FrameTop.get(), e.FrameBottom.get(),
                    e.Progress.get(), e.Tab.get(), e.ComboButton.get(), e.UpDownHorz.get(),
                    e.UpDownVert.get()})
        border(b);
    object(e.Title.get());
    add(e.Button->Bitmap.get());
    add(e.Button->CheckBitmap.get());
    add(e.Button->RadioBitmap.get());
    for (const auto& b : e.SysButtons) object(b.get());
    object(e.GroupBox.get());
    for (auto* o : {e.MenuBar.get(),
                    e.ProgressChunk.get(),
                    e.GroupBoxEdge.get(),
                    e.StatusBarEdges.get(),
                    e.TabPane.get(),
                    e.ToolBars.get(),
                    e.SunkEdge.get(),
                    e.ExtraImages.get(),
                    e.Headerbar.get(),
                    e.MenuItem.get(),
                    e.MenuBackground.get(),
                    e.Scrollbar.get(),
                    e.HorzScroll.get(),
                    e.VertScroll.get(),
                    e.HorzScrollThumb.get(),
                    e.VertScrollThumb.get(),
                    e.TrackbarThumbHorz.get(),
                    e.TrackbarThumbVert.get(),
                    e.TrackbarThumbLeft.get(),
                    e.TrackbarThumbRight.get(),
                    e.TrackbarThumbUp.get(),
                    e.TrackbarThumbDown.get(),
                    e.Track.get(),
                    e.TrackVert.get(),
                    e.ComboxArrow.get(),
                    e.Toolbar.get()})
        object(o);
    return out;
}

} // namespace

int main() {
    const auto product = skin::art::BuildProductSkin();
    std::vector<skinpack::Entry> entries;
    for (auto& f : skin::art::EncodeSkinFiles(product)) entries.push_back({f.name, f.bytes});
    const std::vector<std::uint8_t> archive = skinpack::BuildArchive(entries);
    const std::vector<std::uint8_t> store = skinpack::PackStore(archive);
    const std::vector<std::uint8_t> value = skinpack::StreamValue(store);
    const std::string property(value.begin(), value.end());
    std::printf("product skin: %zu entries, archive %zu bytes, store %zu bytes\n", entries.size(),
                archive.size(), store.size());

    constexpr int kRuns = 15;
    const std::span<const std::uint8_t> bits(store.data() + 4, store.size() - 4);
    std::vector<std::uint8_t> out;
    const double decode = BestMs(kRuns, [&] {
        out.clear();
        skin::TLZH().Unpack(static_cast<std::int32_t>(archive.size()), bits, out);
    });
    const double open = BestMs(kRuns, [&] {
        skin::TSkinReader reader;
        reader.Open(store);
    });
    bool loaded = true;
    const double portable = BestMs(kRuns, [&] {
        skin::TSkinElements elements;
        loaded &= elements.LoadSkinStore(store);
    });
    skin::TSkinElements sample;
    sample.LoadSkinStore(store);
    const auto images = Images(sample);
    const double bitmaps = BestMs(kRuns, [&] {
        std::vector<TBitmap> made(images.size());
        for (size_t i = 0; i < images.size(); ++i) skin::AssignPixels(made[i], *images[i]);
    });
    TSkinData data(nullptr);
    const double component = BestMs(kRuns, [&] {
        data.ReadSkinStream(property);
        loaded &= !data.SkinNotLoaded;
    });
    const double fresh = BestMs(kRuns, [&] {
        TSkinData d(nullptr);
        d.ReadSkinStream(property);
        loaded &= !d.SkinNotLoaded;
    });

    std::printf("best of %d runs                                 time      ratio to decoding\n",
                kRuns);
    std::printf("decode the store (baseline)                  %7.2f ms   1.00\n", decode);
    std::printf("open the archive (decode + split entries)    %7.2f ms   %.2f\n", open,
                open / decode);
    std::printf("apply to portable images (decode + all)      %7.2f ms   %.2f\n", portable,
                portable / decode);
    std::printf("%zu toolkit bitmaps made from those images     %7.2f ms   %.2f\n", images.size(),
                bitmaps, bitmaps / decode);
    std::printf("TSkinData reload (SkinStream, into bitmaps)  %7.2f ms   %.2f\n", component,
                component / decode);
    std::printf("new TSkinData + first load                   %7.2f ms   %.2f\n", fresh,
                fresh / decode);
    return loaded && out.size() >= archive.size() ? 0 : 1;
}
