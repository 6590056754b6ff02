// Rewriting a large stylesheet with thousands of pairs, against as many plain passes over it.
#include "bench_timing.h"
#include "download/file_names.h"
#include "download/rewrite.h"
#include "toolkit/text_util.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

} // namespace

int main() {
    std::vector<std::string> refs;
    for (int i = 0; i < 3000; ++i)
        refs.push_back("../images/skin" + std::to_string(i % 37) + "/part_" +
                       std::to_string(i * 7919 % 100003) + (i % 3 ? ".gif" : ".png"));
    std::string css;
    const std::string filler(120, ' ');
    for (int i = 0; i < 10000; ++i)
        css += ".rule" + std::to_string(i) + " { color:#333; background:url('" +
               refs[static_cast<size_t>(i) * 7 % refs.size()] + "') no-repeat 0 0;" + filler +
               "}\r\n";

    std::vector<download::Replacement> pairs;
    for (const std::string& ref : refs)
        pairs.push_back({ref, download::SafeFileName(download::UrlFileName(ref))});

    const int runs = 5;
    size_t sink = 0;
    // The floor: one memchr pass per pair for a byte the text does not hold.
    double memchr_ms = BestMs(runs, [&] {
        for (size_t i = 0; i < pairs.size(); ++i) {
            const char* data = css.data();
            asm volatile("" : "+r"(data)); // a fresh pass each time, not one hoisted result
            sink += std::memchr(data, '\x01', css.size()) != nullptr;
        }
    });
    // A plain substring search per pair for a needle the text does not hold.
    double find_ms = BestMs(runs, [&] {
        for (const auto& p : pairs)
            sink += std::string_view(css).find(p.new_text + "#") != std::string_view::npos;
    });
    std::string rewritten;
    double rewrite_ms = BestMs(runs, [&] { rewritten = download::Rewrite(css, pairs); });
    std::string plain = css;
    double replace_all_ms = BestMs(1, [&] {
        plain = css;
        for (const auto& p : pairs) plain = text::ReplaceAll(plain, p.old_text, p.new_text);
    });
    if (plain != rewritten) {
        std::fprintf(stderr, "rewrite differs from plain replacement\n");
        return 1;
    }
    std::printf("stylesheet %zu bytes, %zu pairs -> %zu bytes (%zu)\n", css.size(), pairs.size(),
                rewritten.size(), sink);
    std::printf("%zu memchr passes            %9.1f ms\n", pairs.size(), memchr_ms);
    std::printf("%zu substring searches       %9.1f ms\n", pairs.size(), find_ms);
    std::printf("rewrite                       %9.1f ms  %5.2fx memchr passes  %5.2fx searches\n",
                rewrite_ms, rewrite_ms / memchr_ms, rewrite_ms / find_ms);
    std::printf("plain ReplaceAll per pair     %9.1f ms  %5.2fx memchr passes\n", replace_all_ms,
                replace_all_ms / memchr_ms);
    return 0;
}
