#include "download/progress_text.h"

namespace download {

// `hundredths` / 100 with two decimals.
static std::string FixedTwo(uint64_t hundredths, char separator) {
    std::string text = std::to_string(hundredths / 100);
    text += separator;
    text += static_cast<char>('0' + hundredths / 10 % 10);
    text += static_cast<char>('0' + hundredths % 10);
    return text;
}

static std::string ByteCount(uint32_t bytes, char separator) {
    static const char* const kUnits[] = {"KB", "MB", "GB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    uint64_t unit = 1024;
    int index = 0;
    while (index < 2 && bytes >= unit * 1024) {
        unit *= 1024;
        ++index;
    }
    // One decimal, rounded half up.
    uint64_t tenths = (static_cast<uint64_t>(bytes) * 20 + unit) / (2 * unit);
    return std::to_string(tenths / 10) + separator + static_cast<char>('0' + tenths % 10) + " " +
           kUnits[index];
}

ProgressTexts ProgressFor(uint32_t progress, uint32_t maximum, int32_t row,
                          char decimal_separator) {
    ProgressTexts texts;
    if (progress > 100) {
        if (maximum == 0) {
            texts.progress = ByteCount(progress, decimal_separator);
        } else {
            // Exact integer arithmetic: 2^32 * 10000 * 2 still fits in 64 bits.
            uint64_t scaled = static_cast<uint64_t>(progress) * 10000;
            uint64_t hundredths = (scaled * 2 + maximum) / (2 * static_cast<uint64_t>(maximum));
            texts.progress = FixedTwo(hundredths, decimal_separator) + "%";
        }
    } else {
        texts.progress = "%";
    }
    if (progress == maximum) {
        texts.complete = true;
        texts.caption = "完成" + std::to_string(row);
        texts.progress = "100%";
    } else {
        texts.caption = std::to_string(row) + "下载中...";
    }
    return texts;
}

std::string FailedCaption(int32_t row) {
    return "失败" + std::to_string(row);
}

} // namespace download
