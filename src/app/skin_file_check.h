#pragma once
// Checks a skin file's bytes before the skin data component is given them, so a bad file can
// be named and refused while the current skin stays, and reads the command-line options that
// choose a skin at start. Portable: tested natively and fuzzed.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace app {

enum class SkinFileFault {
    None,
    Unreadable,   // the path could not be opened or read
    NotASkin,     // the bytes are no skin store at all
    Truncated,    // a skin store whose compressed bits end before the archive does
    Damaged,      // a skin store whose archive contradicts itself
    WrongVersion, // an archive of another format version
};

struct SkinFileCheck {
    SkinFileFault Fault = SkinFileFault::None;
    std::string Detail; // what is wrong, UTF-8; empty when fine
    bool Ok() const { return Fault == SkinFileFault::None; }
};

// Checks a bare skin store (a .skin file's bytes) as far as the reader, the description and
// the bitmaps go. Never shows anything: a wrong version comes back as a fault.
SkinFileCheck CheckSkinStore(std::span<const std::uint8_t> store);

// The skin the command line asks for.
struct SkinOptions {
    enum Choice { Default, File, None } Skin = Default;
    std::string Path;  // with File
    std::string Error; // UTF-8: an option given wrongly (it is left out; the others count)
};
// Reads "--skin PATH" and "--no-skin" from the arguments (without the program's own name).
// Other arguments are left alone; the last skin option given wins.
SkinOptions ParseSkinOptions(const std::vector<std::string>& args);

} // namespace app
