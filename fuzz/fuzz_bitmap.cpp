// Fuzz target: a Windows bitmap file through ReadBitmapFile, then the image utilities on what it
// gives, and a write-and-read round trip that must give the same image.
#include "skin/data/image_utils.h"
#include "skin/data/pixel_image.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

// The native tests include this file with CORVANE_FUZZ_ENTRY set to another name and run the
// seed corpus through it (tests/native/skin_fuzz_corpus_test.cpp).
#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    // Images of more than 256 K pixels (RLE files claim them in a few bytes) take the same
    // paths as small ones, only slower: skip them so that the fuzzer keeps its pace.
    if (size >= 26 && (data[14] | data[15] << 8) >= 40) {
        auto at = [&](int i) { return std::int64_t(std::int32_t(data[i] | data[i + 1] << 8 | data[i + 2] << 16 |
                                                                  std::uint32_t(data[i + 3]) << 24)); };
        if (std::abs(at(18) * at(22)) > (1 << 18)) return 0;
    }
    skin::TPixelImage image;
    if (!skin::ReadBitmapFile(std::span<const std::uint8_t>(data, size), image)) {
        if (!image.Empty()) std::abort();
        return 0;
    }
    if (image.Empty() || image.SizeBytes() != std::size_t(image.Stride()) * image.Height()) std::abort();
    if (skin::ReadBitmapFile(skin::WriteBitmapFile(image)) != image) std::abort();
    if (std::int64_t(image.Width()) * image.Height() > 4096 * 64) return 0; // keep runs fast
    skin::TPixelImage a = image;
    skin::Mirror(a);
    skin::Mirror(a);
    if (a != image) std::abort();
    skin::RotateClockwise(a);
    skin::RotateCounterClockwise(a);
    if (a != image) std::abort();
    skin::Flip(a);
    skin::ReplaceMagenta(a, 0x00C0C0C0);
    skin::GreyScale(a);
    skin::GradientFill(a, skin::IntRect{-3, -3, a.Width() / 2 + 1, a.Height() + 2}, 0, true, 0xFFFFFF);
    skin::GradientFill(a, skin::IntRect{1, 1, a.Width(), a.Height()}, skin::SysColor(15), false, 0xFF);
    skin::TPixelImage part = image.Copy(image.Width() / 3, image.Height() / 3, image.Width(), 7);
    (void)part;
    return 0;
}
