#include "analysis/conversion.h"

#include "analysis/memo_text.h"

namespace analysis {

std::string FullAddress(std::string_view reference, std::string_view absolute_prefix,
                        std::string_view relative_prefix) {
    std::string address;
    if (reference.find("http://") == std::string_view::npos) {
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
