#pragma once
// File names for downloaded images. Names are bytes in code page 936.
#include <string>
#include <string_view>

namespace download {

// The last "/"-separated segment of an address, cut before its first "?". The "#" fragment is
// dropped first ("icons.svg#home" names "icons.svg"). "\\" does not separate; a "/" inside
// the query still separates, since the segment is taken before the query is cut. An address
// ending with "/" gives "".
std::string UrlFileName(std::string_view address);

// The fragment of an address with its "#" ("#home"), or "".
std::string_view FragmentOf(std::string_view address);

// "data:" at the start, in any letter case, after any spaces: the reference is its own image.
bool IsDataAddress(std::string_view address);

// What a browser puts on the wire for an address whose bytes are UTF-8: the fragment dropped,
// every byte outside printable ASCII and the characters space " < > ` { } percent-encoded.
// Existing %XX sequences stay as they are.
std::string RequestForm(std::string_view utf8_address);

// Every %XX (hex, either case) turned into its byte; a "%" without two hex digits stays.
std::string PercentDecode(std::string_view text);

// A file name written as a stylesheet reference that a browser resolves back to that name:
// bytes that would end the reference or change its meaning (% # ? space quotes parentheses
// backslash, control bytes) are percent-encoded; other bytes, non-ASCII ones included, stay.
// With `double_byte` the name is code page 936 and its double-byte characters are kept whole.
std::string ReferenceForName(std::string_view name, bool double_byte);

// A name that can be created as a plain file in the target folder and means the same file
// everywhere: `: * ? " < > | \ /` and control bytes become "_"; trailing dots and spaces,
// which Windows would strip, become "_"; a device name (CON, PRN, AUX, NUL, COM0-9, LPT0-9,
// CONIN$, CONOUT$, with any extension, any case) gets a "_" prefix. A GBK double-byte character
// (lead 0x81-0xFE, trail 0x40-0xFE) is kept whole even when its trail byte is "\" or "|"; a lead
// byte without a trail becomes "_". Ordinary names come back unchanged; "" stays "".
std::string SafeFileName(std::string_view name);

// The log file of download runs, kept beside the stylesheet.
inline constexpr std::string_view kDownloadLogName = "corvane-download.log";

// Names a download may never take in the stylesheet's folder, compared without regard to ASCII
// letter case as the file system compares them: the stylesheet's own file name, its backups
// (name + ".bak" and name + ".bak.N" for any decimal N), and the download log.
bool IsReservedTarget(std::string_view name, std::string_view stylesheet_name);

// The path of backup number n of the stylesheet at `path`: path + ".bak" for 0, else
// path + ".bak." + n.
std::string BackupPath(std::string_view path, unsigned n);

} // namespace download
