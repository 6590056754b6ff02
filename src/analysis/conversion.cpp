#include "analysis/conversion.h"

#include "analysis/memo_text.h"

namespace analysis {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ContainsNoCase(std::string_view text, std::string_view needle) {
    if (needle.size() > text.size()) return false;
    for (size_t i = 0; i + needle.size() <= text.size(); ++i) {
        size_t k = 0;
        while (k < needle.size() && Lower(text[i + k]) == needle[k]) ++k;
        if (k == needle.size()) return true;
    }
    return false;
}

bool IsSchemeChar(char c, bool first) {
    bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return first ? letter : letter || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

} // namespace

std::string SchemeOf(std::string_view address) {
    size_t colon = address.find(':');
    // "host:8080/..." has a colon too; only "scheme://" names a scheme here.
    if (colon == std::string_view::npos || colon == 0 || address.substr(colon + 1, 2) != "//")
        return {};
    for (size_t i = 0; i < colon; ++i)
        if (!IsSchemeChar(address[i], i == 0)) return {};
    return std::string(address.substr(0, colon + 1));
}

bool IsWebAddress(std::string_view reference) {
    return ContainsNoCase(reference, "http://") || ContainsNoCase(reference, "https://");
}

std::string FullAddress(std::string_view reference, std::string_view absolute_prefix,
                        std::string_view relative_prefix) {
    std::string address;
    if (reference.starts_with("//")) {
        // Protocol-relative: the page's scheme, which is the site's in the absolute prefix.
        std::string scheme = SchemeOf(absolute_prefix);
        address = scheme.empty() ? "https:" : scheme;
    } else if (!IsWebAddress(reference)) {
        bool absolute = !reference.empty() && reference.front() == '/';
        address.reserve((absolute ? absolute_prefix : relative_prefix).size() + reference.size());
        address.append(absolute ? absolute_prefix : relative_prefix);
    }
    address.append(reference);
    return address;
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// "以下是测试代码，如果图片能正常显示则说明路径正确，可以下载，否则请返回修改路径！" in code page
// 936.
const std::string_view kTestPageHeader =
    "<body style=\"background-color:#B5D7D2;\">"
    "\xd2\xd4\xcf\xc2\xca\xc7\xb2\xe2\xca\xd4\xb4\xfa\xc2\xeb\xa3\xac"
    "\xc8\xe7\xb9\xfb\xcd\xbc\xc6\xac\xc4\xdc\xd5\xfd\xb3\xa3\xcf\xd4"
    "\xca\xbe\xd4\xf2\xcb\xb5\xc3\xf7\xc2\xb7\xbe\xb6\xd5\xfd\xc8\xb7"
    "\xa3\xac\xbf\xc9\xd2\xd4\xcf\xc2\xd4\xd8\xa3\xac\xb7\xf1\xd4\xf2"
    "\xc7\xeb\xb7\xb5\xbb\xd8\xd0\xde\xb8\xc4\xc2\xb7\xbe\xb6\xa3\xa1"
    "<br><br>";

std::string TestPageLine(std::size_t index, std::string_view address) {
    std::string escaped = EscapeHtml(address);
    std::string line = std::to_string(index);
    line.reserve(line.size() + 2 * escaped.size() + 40);
    line += " <img src=\"";
    line += escaped;
    line += "\" alt=\"";
    line += escaped;
    line += "\"><br><br><hr>";
    return line;
}

Conversion ConvertReferences(std::string_view references_text, std::string_view absolute_prefix,
                             std::string_view relative_prefix) {
    Conversion result;
    std::vector<std::string_view> lines = SplitLines(references_text);
    result.addresses.reserve(lines.size());
    result.page.append(kTestPageHeader);
    result.page += "\r\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        result.addresses.push_back(FullAddress(lines[i], absolute_prefix, relative_prefix));
        AddLine(result.addresses_text, result.addresses.back());
        result.page += TestPageLine(i, result.addresses.back());
        result.page += "\r\n";
    }
    return result;
}

} // namespace analysis
