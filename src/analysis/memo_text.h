#pragma once
// The text-box model the window's memos follow: one text string, lines split at CR LF, and a
// final empty line after the last break is not a line.
#include <string>
#include <string_view>
#include <vector>

namespace analysis {

// Adds `line` as a new last line the way a memo does: after the text when it is empty or ends
// with CR LF (the line then gets its own CR LF), otherwise after a new CR LF.
void AddLine(std::string& text, std::string_view line);

// The lines of a memo text; views into `text`.
std::vector<std::string_view> SplitLines(std::string_view text);

} // namespace analysis
