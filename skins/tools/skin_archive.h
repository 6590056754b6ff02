#pragma once
// The skin archive builder: developer tool.
//
//   layer 3  archive: version 20000, name list length L, two reserved words, the names each
//            followed by CR LF, the entry sizes, the entries' bytes
//   layer 2  store:   unpacked length U, then the LZH bit stream of the archive
//   layer 1  "SkinStream" property value: store length n, then the store
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace skinpack {

struct Entry {
    std::string name;               // file name without folders; no CR or LF
    std::vector<std::uint8_t> bytes;
    bool operator==(const Entry&) const = default;
};

struct ArchiveOptions {
    std::int32_t version = 20000;
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
    bool lowerCaseNames = true;     // the reader lower-cases anyway; the store stays canonical
};

class SkinPackError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Layer 3 from entries, in the order given. Throws SkinPackError for a name with CR or LF.
std::vector<std::uint8_t> BuildArchive(const std::vector<Entry>& entries,
                                       const ArchiveOptions& options = {});
// Layer 2 from layer 3: the archive's length, then its LZH code.
std::vector<std::uint8_t> PackStore(std::span<const std::uint8_t> archive);
// Layer 2 with an explicit U (for tests of damaged stores): U, then the LZH code.
std::vector<std::uint8_t> PackStoreWithLength(std::int32_t unpackedLength,
                                              std::span<const std::uint8_t> archive);
// Layer 1 from layer 2: the store's length, then the store.
std::vector<std::uint8_t> StreamValue(std::span<const std::uint8_t> store);

// The entries of a skin source folder: every "*.bmp" file and exactly one "*.ini" file
// (extensions in any letter case), sorted by lower-cased name. Other files are ignored.
// Throws SkinPackError when the folder cannot be read, holds no ".ini" or more than one,
// or a bitmap does not start with "BM".
std::vector<Entry> ReadSkinFolder(const std::filesystem::path& folder);

// Writes every entry into `folder` (created when missing) under its name.
void WriteSkinFolder(const std::vector<Entry>& entries, const std::filesystem::path& folder);

// The store (a skin file's bytes) of a skin drawn from code: "product", "Daylight" or
// "Graphite", in any letter case. Entries in the order a folder is read, so packing skingen's
// folder with ReadSkinFolder gives the same bytes. Throws SkinPackError for another name.
std::vector<std::uint8_t> DrawnSkinStore(const std::string& name);

std::vector<std::uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

} // namespace skinpack
