#pragma once
// Which encoding a stylesheet's bytes are in, decided as a browser decides it for a stylesheet
// that arrives without a charset from the server.
#include <string_view>

namespace analysis {

enum class TextEncoding {
    Utf8,
    Ansi, // the system code page (936)
};

// A byte-order mark says UTF-8; otherwise a leading @charset rule decides ("utf-8" for UTF-8,
// any other name for the system code page); otherwise the bytes do: text that is valid UTF-8
// is UTF-8 (plain ASCII included), anything else is in the system code page.
TextEncoding DetectEncoding(std::string_view bytes);

bool IsValidUtf8(std::string_view bytes);

// Starts with a UTF-16 byte-order mark, either byte order: the program's 8-bit text handling
// (line breaks, searching, the rewrite) would corrupt such a file.
bool HasUtf16Bom(std::string_view bytes);

} // namespace analysis
