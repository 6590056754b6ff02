// Fuzz target: stylesheet bytes through step one's checks and step two's de-duplication.
// Input: the stylesheet's bytes.
#include "analysis/encoding.h"
#include "analysis/extraction.h"
#include "analysis/memo_text.h"

#include "workflow_common.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <set>

#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    const std::string_view css(reinterpret_cast<const char*>(data), size);
    (void)analysis::DetectEncoding(css);
    if (analysis::HasUtf16Bom(css) != (css.starts_with("\xFF\xFE") || css.starts_with("\xFE\xFF")))
        std::abort();
    const std::vector<std::string> candidates = workflow_fuzz::UrlCandidates(css);
    const analysis::ExtractedReferences r = analysis::CollectReferences(candidates);
    // The counts follow every change, and the last one is the memo's.
    if (r.counts.empty() || r.counts.front() != 0 || r.counts.back() != r.line_count) std::abort();
    if (r.text.find_first_of("'\"") != std::string::npos) std::abort();
    // Without line breaks inside candidates, every line is a candidate less its quotes, and no
    // non-empty line comes twice; every candidate's reference is listed.
    bool breaks = false;
    std::set<std::string> unquoted;
    for (const std::string& c : candidates) {
        breaks |= c.find_first_of("\r\n") != std::string::npos;
        std::string u;
        for (char ch : c)
            if (ch != '\'' && ch != '"') u += ch;
        unquoted.insert(u);
    }
    if (breaks) return 0;
    std::set<std::string_view> seen;
    const std::vector<std::string_view> lines = analysis::SplitLines(r.text);
    if (static_cast<int>(lines.size()) != r.line_count) std::abort();
    for (std::string_view line : lines) {
        if (!unquoted.count(std::string(line))) std::abort();
        if (!line.empty() && !seen.insert(line).second) std::abort();
    }
    for (const std::string& u : unquoted)
        if (!u.empty() && !seen.count(u)) std::abort();
    return 0;
}
