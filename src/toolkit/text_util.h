#pragma once
// Text helpers for the program's 8-bit strings (bytes in the system code page).
#include <string>
#include <string_view>

namespace text {

// Every line break (CR LF, lone CR, lone LF, LF CR) becomes CR LF; nothing else changes.
std::string NormalizeLineBreaks(std::string_view s);

// Everything up to and including the last path separator ('\\', '/' or a drive colon).
std::string ExtractFilePath(std::string_view path);
// Everything after the last path separator.
std::string ExtractFileName(std::string_view path);

// Lines of a text-box text: split at CR LF; a final empty line after the last break is not a line.
int CountLines(std::string_view text);

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to);

} // namespace text
