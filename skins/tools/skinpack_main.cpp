// skinpack: builds skin stores from a folder of bitmaps and one ".ini".
//
//   skinpack build FOLDER STORE [--stream VALUE] [--archive ARCHIVE]
//       FOLDER: "*.bmp" files and exactly one "*.ini"; writes the skin store (layer 2) to
//       STORE, and optionally the "SkinStream" property value (layer 1) and the unpacked
//       archive (layer 3).
//   skinpack stream STORE VALUE
//       writes the "SkinStream" property value (layer 1) of an existing store.
//   skinpack sample FOLDER [--size BYTES]
//       writes the sample skin's sources (40 bitmaps and corvane.ini) into FOLDER.
//   skinpack skin NAME STORE
//       draws a skin of the program (product, Daylight, Graphite) and writes its store: a skin
//       file. The same bytes as skingen's folder packed with "build".
#include "lzh_encoder.h"
#include "sample_skin.h"
#include "skin_archive.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: skinpack build FOLDER STORE [--stream VALUE] [--archive ARCHIVE]\n"
                 "       skinpack stream STORE VALUE\n"
                 "       skinpack sample FOLDER [--size BYTES]\n"
                 "       skinpack skin NAME STORE\n");
    return 2;
}

int Build(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage();
    std::string stream, archivePath;
    for (std::size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--stream" && i + 1 < args.size()) stream = args[++i];
        else if (args[i] == "--archive" && i + 1 < args.size()) archivePath = args[++i];
        else return Usage();
    }
    auto entries = skinpack::ReadSkinFolder(args[0]);
    auto archive = skinpack::BuildArchive(entries);
    auto store = skinpack::PackStore(archive);
    skinpack::WriteFileBytes(args[1], store);
    if (!archivePath.empty()) skinpack::WriteFileBytes(archivePath, archive);
    if (!stream.empty()) skinpack::WriteFileBytes(stream, skinpack::StreamValue(store));
    std::printf("%zu entries, archive %zu bytes, store %zu bytes\n", entries.size(), archive.size(),
                store.size());
    return 0;
}

int Stream(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage();
    auto store = skinpack::ReadFileBytes(args[0]);
    skinpack::WriteFileBytes(args[1], skinpack::StreamValue(store));
    return 0;
}

int Sample(const std::vector<std::string>& args) {
    if (args.empty()) return Usage();
    std::size_t size = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--size" && i + 1 < args.size()) size = std::strtoull(args[++i].c_str(), nullptr, 10);
        else return Usage();
    }
    skinpack::WriteSkinFolder(skinpack::SampleSkinEntries(size), args[0]);
    return 0;
}

int Skin(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage();
    skinpack::WriteFileBytes(args[1], skinpack::DrawnSkinStore(args[0]));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    try {
        if (command == "build") return Build(args);
        if (command == "stream") return Stream(args);
        if (command == "sample") return Sample(args);
        if (command == "skin") return Skin(args);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "skinpack: %s\n", e.what());
        return 1;
    }
    return Usage();
}
