// De-duplicating the references of a large stylesheet, against one plain pass over its text.
#include "bench_timing.h"
#include "analysis/extraction.h"
#include "analysis/memo_text.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

// 3,000 distinct references; every tenth is the file part of the one before it, another
// reference that is kept.
std::vector<std::string> DistinctReferences() {
    std::vector<std::string> refs;
    for (int i = 0; i < 3000; ++i) {
        if (i % 10 == 9) {
            const std::string& before = refs.back();
            refs.push_back(before.substr(before.rfind('/') + 1));
        } else {
            refs.push_back("../images/skin" + std::to_string(i % 37) + "/part_" +
                           std::to_string(i * 7919 % 100003) + (i % 3 ? ".gif" : ".png"));
        }
    }
    return refs;
}

// 10,000 rules of about 210 bytes: 2 MB. Quotes vary, as they do in real stylesheets.
std::string Stylesheet(const std::vector<std::string>& refs) {
    std::string css;
    css.reserve(2200000);
    const std::string filler(120, ' ');
    for (int i = 0; i < 10000; ++i) {
        const std::string& ref = refs[static_cast<size_t>(i) * 7 % refs.size()];
        const char* quote = i % 3 == 0 ? "'" : i % 3 == 1 ? "\"" : "";
        css += ".rule" + std::to_string(i) + " { color:#333; background:url(" + quote + ref +
               quote + ") no-repeat 0 0;" + filler + "}\r\n";
    }
    return css;
}

// What the default pattern's second group finds: the text between "url(" and ")" after a
// "background" on the same line.
std::vector<std::string> Candidates(const std::string& css) {
    std::vector<std::string> out;
    size_t pos = 0;
    while ((pos = css.find("background", pos)) != std::string::npos) {
        size_t open = css.find("url(", pos);
        size_t close = open == std::string::npos ? open : css.find(')', open);
        if (close == std::string::npos) break;
        out.push_back(css.substr(open + 4, close - open - 4));
        pos = close + 1;
    }
    return out;
}

// The rule spelled out: each candidate, quotes removed, compared with every line listed so far.
std::string NaiveText(const std::vector<std::string>& candidates) {
    std::string text;
    std::vector<std::string> listed;
    for (const std::string& c : candidates) {
        std::string unquoted;
        for (char ch : c)
            if (ch != '\'' && ch != '"') unquoted += ch;
        bool seen = false;
        for (const std::string& line : listed)
            if (!c.empty() && line == unquoted) {
                seen = true;
                break;
            }
        if (seen) continue;
        if (!c.empty()) listed.push_back(std::move(unquoted));
        analysis::AddLine(text, c);
    }
    return text;
}

} // namespace

int main() {
    std::vector<std::string> refs = DistinctReferences();
    std::string css = Stylesheet(refs);
    std::vector<std::string> candidates = Candidates(css);

    analysis::ExtractedReferences result;
    std::string naive;
    size_t breaks = 0;
    const int runs = 7;
    double scan = BestMs(runs, [&] { breaks = std::count(css.begin(), css.end(), '\n'); });
    double fast = BestMs(runs, [&] { result = analysis::CollectReferences(candidates); });
    double slow = BestMs(3, [&] { naive = NaiveText(candidates); });

    std::string naive_unquoted;
    for (char c : naive)
        if (c != '\'' && c != '"') naive_unquoted += c;
    if (naive_unquoted != result.text) {
        std::fprintf(stderr, "de-duplication differs from the plain search\n");
        return 1;
    }
    std::printf("stylesheet %zu bytes, %zu lines, %zu candidates -> %d lines (%zu bytes)\n",
                css.size(), breaks, candidates.size(), result.line_count, result.text.size());
    std::printf("plain pass over the stylesheet   %8.3f ms\n", scan);
    std::printf("de-duplication (hash set)        %8.3f ms  %6.1fx the plain pass\n", fast,
                fast / scan);
    std::printf("de-duplication (every line)       %8.3f ms  %6.1fx the plain pass\n", slow,
                slow / scan);

    // Every candidate distinct and long, so the references text grows to the size of the
    // stylesheet.
    std::vector<std::string> distinct;
    for (int i = 0; i < 10000; ++i)
        distinct.push_back("../images/" + std::to_string(i * 2654435761u) + "/" +
                           std::string(170, static_cast<char>('a' + i % 26)) + ".gif");
    analysis::ExtractedReferences big;
    double big_fast = BestMs(3, [&] { big = analysis::CollectReferences(distinct); });
    double big_slow = BestMs(1, [&] { naive = NaiveText(distinct); });
    if (naive != big.text) {
        std::fprintf(stderr, "de-duplication of distinct candidates differs\n");
        return 1;
    }
    std::printf("all distinct: %zu candidates -> %d lines (%zu bytes)\n", distinct.size(),
                big.line_count, big.text.size());
    std::printf("de-duplication (hash set)        %8.3f ms  %6.1fx the plain pass\n", big_fast,
                big_fast / scan);
    std::printf("de-duplication (every line)       %8.3f ms  %6.1fx the plain pass\n", big_slow,
                big_slow / scan);

    // Long, varied candidates: a 10 MB data: URI followed by the stylesheet's references, and
    // 400 random candidates of 1 to 50 KB (10 MB in all), each followed by a piece of an earlier
    // one (kept: another reference) and a short name. Baseline: one plain pass over the candidates' bytes.
    std::mt19937 rng(42);
    const char* b64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    auto random_text = [&](size_t n) {
        std::string t(n, ' ');
        for (char& c : t) c = b64[rng() % 64];
        return t;
    };
    std::vector<std::string> uri{"data:image/png;base64," + random_text(size_t{10} << 20)};
    uri.insert(uri.end(), candidates.begin(), candidates.end());
    std::vector<std::string> varied;
    for (int i = 0; i < 400; ++i) {
        varied.push_back(random_text(1024 + rng() % (49 * 1024)));
        const std::string& earlier = varied[rng() % varied.size()];
        varied.push_back(earlier.substr(rng() % (earlier.size() / 2), 100 + rng() % 400));
        varied.push_back("img" + std::to_string(i) + ".png");
    }
    for (auto* set : {&uri, &varied}) {
        const char* name = set == &uri ? "10 MB data: URI, then 10,000 references"
                                       : "400 random long candidates (1-50 KB), pieces, names";
        size_t bytes = 0;
        for (const std::string& c : *set) bytes += c.size();
        size_t count = 0;
        double pass = BestMs(runs, [&] {
            count = 0;
            for (const std::string& c : *set) count += std::count(c.begin(), c.end(), 'A');
        });
        analysis::ExtractedReferences r;
        double fast_ms = BestMs(3, [&] { r = analysis::CollectReferences(*set); });
        std::string plain;
        double plain_ms = BestMs(1, [&] { plain = NaiveText(*set); });
        std::string plain_unquoted;
        for (char c : plain)
            if (c != '\'' && c != '"') plain_unquoted += c;
        if (plain_unquoted != r.text) {
            std::fprintf(stderr, "de-duplication differs from the plain search: %s\n", name);
            return 1;
        }
        std::printf("%s: %zu candidates, %zu bytes -> %d lines (%zu)\n", name, set->size(), bytes,
                    r.line_count, count % 2);
        std::printf("plain pass over the candidates    %8.3f ms\n", pass);
        std::printf("de-duplication                    %8.3f ms  %6.1fx the plain pass\n", fast_ms,
                    fast_ms / pass);
        std::printf("de-duplication (every line)       %8.3f ms  %6.1fx the plain pass\n", plain_ms,
                    plain_ms / pass);
    }
    return 0;
}
