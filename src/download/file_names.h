#pragma once
// File names for downloaded images. Names are bytes in code page 936.
#include <string>
#include <string_view>

namespace download {

// The last "/"-separated segment of an address, cut before its first "?". "\" does not
// separate and a "#" fragment is kept; a "/" inside the query still separates, since the
// segment is taken before the query is cut. An address ending with "/" gives "".
std::string UrlFileName(std::string_view address);

// A name that can be created as a plain file in the target folder and means the same file
// everywhere: `: * ? " < > | \ /` and control bytes become "_"; trailing dots and spaces,
// which Windows would strip, become "_"; a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9,
// CONIN$, CONOUT$, with any extension, any case) gets a "_" prefix. A GBK double-byte character
// (lead 0x81-0xFE, trail 0x40-0xFE) is kept whole even when its trail byte is "\" or "|"; a lead
// byte without a trail becomes "_". Ordinary names come back unchanged; "" stays "".
std::string SafeFileName(std::string_view name);

} // namespace download
