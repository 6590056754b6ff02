#pragma once
// What a step-two pattern can match, read from the pattern itself, before the service runs it:
// the service never comes back from a global search that meets an empty match, and where a
// pattern first matches says nothing about where it may match empty text later.
#include <cstddef>
#include <optional>
#include <string_view>

namespace analysis {

// The fewest characters any match of `pattern` can have, in the service's pattern language
// (alternatives, groups, look-aheads, classes, escapes, anchors, quantifiers greedy or lazy),
// with the bytes in code page 936; a back-reference counts as matching nothing, since its group
// may be empty. Saturates at 65536. nullopt when the pattern cannot be read (the service then
// rejects it, or the caller must be careful).
std::optional<size_t> MinimumMatchLength(std::string_view pattern);

} // namespace analysis
