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
    // Built as values and moved in: assigning literals to a string that already holds text
    // trips a false warning of GCC 12.
    auto percentage = [&]() -> std::string {
        if (progress == maximum) return std::string("100%");
        if (progress <= 100) return std::string("%");
        if (maximum == 0) return ByteCount(progress, decimal_separator);
        // Exact integer arithmetic: 2^32 * 10000 * 2 still fits in 64 bits.
        uint64_t scaled = static_cast<uint64_t>(progress) * 10000;
        uint64_t hundredths = (scaled * 2 + maximum) / (2 * static_cast<uint64_t>(maximum));
        return FixedTwo(hundredths, decimal_separator) + "%";
    };
    texts.progress = percentage();
    texts.complete = progress == maximum;
    if (texts.complete) {
        texts.caption = "完成";
        texts.caption += std::to_string(row);
    } else {
        texts.caption = std::to_string(row);
        texts.caption += "下载中...";
    }
    return texts;
}

std::string FailedCaption(int32_t row) {
    std::string caption = "失败";
    caption += std::to_string(row);
    return caption;
}

} // namespace download
