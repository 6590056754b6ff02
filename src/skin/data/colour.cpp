#include "skin/data/colour.h"

#include <mutex>
#include <utility>

namespace skin {

namespace {

std::mutex& ResolverMutex() {
    static std::mutex m;
    return m;
}
std::function<TColor(int)>& Resolver() {
    static std::function<TColor(int)> r;
    return r;
}

// The classic (Windows 2000) scheme, COLOR_SCROLLBAR (0) to COLOR_MENUBAR (30).
constexpr TColor kClassic[31] = {
    RGBColor(212, 208, 200), RGBColor(58, 110, 165),  RGBColor(10, 36, 106),
    RGBColor(128, 128, 128), RGBColor(212, 208, 200), RGBColor(255, 255, 255),
    RGBColor(0, 0, 0),       RGBColor(0, 0, 0),       RGBColor(0, 0, 0),
    RGBColor(255, 255, 255), RGBColor(212, 208, 200), RGBColor(212, 208, 200),
    RGBColor(128, 128, 128), RGBColor(10, 36, 106),   RGBColor(255, 255, 255),
    RGBColor(212, 208, 200), RGBColor(128, 128, 128), RGBColor(128, 128, 128),
    RGBColor(0, 0, 0),       RGBColor(212, 208, 200), RGBColor(255, 255, 255),
    RGBColor(64, 64, 64),    RGBColor(212, 208, 200), RGBColor(0, 0, 0),
    RGBColor(255, 255, 225), RGBColor(0, 0, 0),       RGBColor(0, 0, 128),
    RGBColor(166, 202, 240), RGBColor(192, 192, 192), RGBColor(49, 106, 197),
    RGBColor(212, 208, 200),
};

} // namespace

void SetSystemColourResolver(std::function<TColor(int index)> resolver) {
    std::lock_guard<std::mutex> lock(ResolverMutex());
    Resolver() = std::move(resolver);
}

TColor DefaultSystemColour(int index) {
    return index >= 0 && index < 31 ? kClassic[index] : 0;
}

TColor ColorToRGB(TColor c) {
    if (c >= 0) return c;
    const int index = static_cast<int>(static_cast<std::uint32_t>(c) & 0xFF);
    std::function<TColor(int)> r;
    {
        std::lock_guard<std::mutex> lock(ResolverMutex());
        r = Resolver();
    }
    return r ? r(index) : DefaultSystemColour(index);
}

} // namespace skin
