#pragma once
// A complete skin made in code: the 40 bitmaps that the format names for the main window's
// skin and a description that uses the whole vocabulary of the skin description (with the syntaxes the
// format allows: folder parts, comma-separated triples, "0x" integers, comments, blanks).
// The pixels and values are ours; tests, fuzz seeds, the benchmark and `skinpack sample`
// use it. Deterministic: the same call gives the same bytes.
#include "skin_archive.h"

#include <string>
#include <vector>

namespace skinpack {

inline constexpr const char* kSampleSkinIniName = "corvane.ini";

// The sample skin's description text (CR LF line ends).
std::string SampleSkinIni();

// The 40 bitmaps and the description, sorted by name. With `targetArchiveBytes` above the
// natural size (about 300 KB), "dialog.bmp" grows so that the archive is at least that big.
std::vector<Entry> SampleSkinEntries(std::size_t targetArchiveBytes = 0);

} // namespace skinpack
