#include "analysis/system_codec.h"

#include <windows.h>

namespace analysis {

const ExactCodec& SystemCodec() {
    static const ExactCodec codec([](std::string_view unit) -> char16_t {
        wchar_t out[2];
        int n = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, unit.data(),
                                    static_cast<int>(unit.size()), out, 2);
        return n == 1 ? static_cast<char16_t>(out[0]) : 0;
    });
    return codec;
}

std::wstring AsBrowserReads(std::string_view bytes) {
    std::u16string exact = SystemCodec().Decode(bytes);
    std::wstring out(exact.begin(), exact.end());
    for (wchar_t& c : out)
        if (c >= 0xDC80 && c <= 0xDCFF) c = 0xFFFD; // a byte that is no character
    return out;
}

} // namespace analysis
