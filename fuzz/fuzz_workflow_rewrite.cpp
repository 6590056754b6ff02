// Fuzz target: step three's conversion, the names images are saved under, and the rewrite.
// Input: the stylesheet, then after a 0 byte the absolute prefix, after another the relative
// prefix; the references are the stylesheet's url(...) references, quotes removed.
#include "analysis/conversion.h"
#include "analysis/memo_text.h"
#include "download/file_names.h"
#include "download/rewrite.h"

#include "workflow_common.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

#ifndef CORVANE_FUZZ_ENTRY
#define CORVANE_FUZZ_ENTRY LLVMFuzzerTestOneInput
#endif

extern "C" int CORVANE_FUZZ_ENTRY(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t a = input.find('\0');
    const std::string_view css = input.substr(0, a);
    std::string_view absolute, relative;
    if (a != std::string_view::npos) {
        const size_t b = input.find('\0', a + 1);
        absolute = input.substr(a + 1, b == std::string_view::npos ? b : b - a - 1);
        if (b != std::string_view::npos) relative = input.substr(b + 1);
    }
    std::string references;
    for (const std::string& c : workflow_fuzz::UrlCandidates(css)) {
        std::string line;
        for (char ch : c)
            if (ch != '\'' && ch != '"' && ch != '\r' && ch != '\n') line += ch;
        analysis::AddLine(references, line);
    }
    const analysis::Conversion conversion =
        analysis::ConvertReferences(references, absolute, relative);
    const std::vector<std::string_view> lines = analysis::SplitLines(references);
    // One address for every reference, empty ones included.
    if (conversion.addresses.size() != lines.size()) std::abort();

    std::vector<download::Replacement> pairs;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string request = download::RequestForm(conversion.addresses[i]);
        const std::string name =
            download::SafeFileName(download::PercentDecode(download::UrlFileName(request)));
        workflow_fuzz::CheckFileName(name);
        const std::string reference = download::ReferenceForName(name, true);
        // The written reference leads a browser back to the very name.
        if (download::PercentDecode(reference) != name) std::abort();
        pairs.push_back({std::string(lines[i]),
                         reference + std::string(download::FragmentOf(lines[i])), name.empty()});
    }

    const std::vector<download::ReferencePlace> places = download::ReferencePlaces(css, pairs);
    std::string rewritten;
    try {
        rewritten = download::Rewrite(css, pairs);
    } catch (const std::length_error&) {
        return 0;
    }
    // Only reference bytes change: walking the places rebuilds the output from the input, and
    // each place is a whole old text whose new text stands in its stead.
    size_t in = 0, out = 0;
    for (const download::ReferencePlace& p : places) {
        if (p.from < in || p.pair >= pairs.size()) std::abort();
        const download::Replacement& pair = pairs[p.pair];
        if (pair.skip || pair.old_text.empty()) std::abort();
        if (css.substr(p.from, p.length) != pair.old_text) std::abort();
        if (p.from > 0 && !download::IsReferenceEdge(css[p.from - 1])) std::abort();
        if (p.from + p.length < css.size() && !download::IsReferenceEdge(css[p.from + p.length]))
            std::abort();
        const size_t same = p.from - in;
        if (rewritten.compare(out, same, css, in, same) != 0) std::abort();
        out += same;
        // Every rewritten reference maps back to the pair, and so to the reference it was.
        if (rewritten.compare(out, pair.new_text.size(), pair.new_text) != 0) std::abort();
        out += pair.new_text.size();
        in = p.from + p.length;
    }
    if (rewritten.compare(out, std::string::npos, css, in, std::string::npos) != 0) std::abort();
    return 0;
}
