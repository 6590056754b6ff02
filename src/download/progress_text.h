#pragma once
// What a download's row shows for one progress notification. Texts are UTF-8 for the
// list view's wide-character calls.
#include <cstdint>
#include <string>

namespace download {

struct ProgressTexts {
    std::string caption;   // "N下载中..." or, on completion, "完成N"
    std::string progress;  // "", "%" alone at 100 bytes or less, "50.00%", "100%", ...
    bool complete = false; // progress equals maximum, 0 of 0 included: re-arm the run's timer
};

// Above 100 bytes the column shows progress / maximum as a percentage with two decimals,
// rounded half up from the exact ratio and written with `decimal_separator`; at 100 bytes or
// less only "%". A maximum of 0 (the server sent no length) cannot give a percentage: the
// column then shows the bytes received so far, e.g. "512 B", "12.5 KB", "3.0 MB" (1 KB = 1024
// bytes), without "%".
ProgressTexts ProgressFor(uint32_t progress, uint32_t maximum, int32_t row,
                          char decimal_separator = '.');

// Caption of a row whose transfer failed: "失败" followed by the row number.
std::string FailedCaption(int32_t row);

} // namespace download
