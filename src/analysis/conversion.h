#pragma once
// Step three: full web addresses from the references, and the test page that shows them.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

// A protocol-relative reference ("//host/x.png") takes the scheme of the absolute prefix, or
// "https:" when that prefix has none. A reference holding "http://" or "https://" anywhere, in
// any letter case, is already an address; one that starts with "/" gets the absolute prefix,
// anything else (the empty reference too) the relative prefix. The prefixes are joined as they
// stand.
std::string FullAddress(std::string_view reference, std::string_view absolute_prefix,
                        std::string_view relative_prefix);

// "http://" or "https://" anywhere, in any letter case.
bool IsWebAddress(std::string_view reference);

// The scheme of an address that starts "scheme://", with its colon ("https:"); else "".
std::string SchemeOf(std::string_view address);

// &, <, >, " and ' as entities. None of them is ever a GBK trail byte, so multi-byte characters
// pass through untouched.
std::string EscapeHtml(std::string_view text);

// First line of the test page, bytes in code page 936 (the page is saved as 8-bit text).
extern const std::string_view kTestPageHeader;

// One line of the test page, without its CR LF. The address is quoted and escaped so that a
// hostile reference cannot add markup or script to a page the shell opens.
std::string TestPageLine(std::size_t index, std::string_view address);

struct Conversion {
    std::vector<std::string> addresses; // one per reference line, empty lines included
    std::string addresses_text;         // the address memo's text: each address and CR LF
    // The test page file's bytes, which are also the text of its hidden memo: the header and
    // one line per address, every line followed by CR LF.
    std::string page;
};

// `references_text` is the text of the references memo; its lines are split at CR LF and a
// final empty line is not a line.
Conversion ConvertReferences(std::string_view references_text, std::string_view absolute_prefix,
                             std::string_view relative_prefix);

} // namespace analysis
