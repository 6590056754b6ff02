#pragma once
// The exact mapping of exact_text.h for the system code page, built once from the system's own
// decoder.
#include "analysis/exact_text.h"

#include <string>
#include <string_view>

namespace analysis {

const ExactCodec& SystemCodec();

// 8-bit text as a browser reads a stylesheet in the system code page: its characters, and
// U+FFFD for each byte that is no character.
std::wstring AsBrowserReads(std::string_view bytes);

} // namespace analysis
