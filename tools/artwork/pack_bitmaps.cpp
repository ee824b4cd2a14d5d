// Packs bitmap files into the stored "Bitmaps" property of a bitmap list, compressed unless
// --raw is given. An entry NAME=FILE.bmp stores a picture; NAME=FILE.bmp@RRGGBB also stores its
// mask, with that colour (hexadecimal, red first) transparent.
//   pack_bitmaps [--raw] OUTPUT NAME=FILE[@RRGGBB]...
#include "base/FileOps.h"
#include "controls/uBitmapListStream.h"
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void AddEntry(TBitmapListData& list, const std::string& entry) {
    size_t eq = entry.find('=');
    if (eq == std::string::npos || eq == 0) throw Exception("entry \"" + entry + "\" is not NAME=FILE");
    std::string name = entry.substr(0, eq), file = entry.substr(eq + 1);
    bool masked = false;
    TRGB transparent = 0;
    size_t at = file.rfind('@');
    if (at != std::string::npos) {
        std::string hex = file.substr(at + 1);
        char* end = nullptr;
        unsigned long v = std::strtoul(hex.c_str(), &end, 16);
        if (hex.size() != 6 || *end) throw Exception("colour \"" + hex + "\" is not RRGGBB");
        transparent = static_cast<TRGB>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
        masked = true;
        file.resize(at);
    }
    TMemoryStream bytes;
    bytes.LoadFromFile(file);
    list.AddTo(name, list.Images(), bytes.Memory(), static_cast<size_t>(bytes.Size()));
    if (masked) {
        TPixelBuffer mask = MakeMaskPixels(DecodeBitmapFile(bytes.Memory(), static_cast<size_t>(bytes.Size())),
                                           transparent, false);
        TBuffer maskFile = EncodeBitmapFile1(mask);
        list.AddTo(name, list.Masks(), maskFile.Data(), maskFile.Size());
    }
}

}  // namespace

int main(int argc, char** argv) {
    int first = 1;
    bool compressed = true;
    if (argc > 1 && std::string(argv[1]) == "--raw") { compressed = false; ++first; }
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: pack_bitmaps [--raw] OUTPUT NAME=FILE[@RRGGBB]...\n");
        return 2;
    }
    const std::string output = argv[first];
    const std::string scratch = output + ".partial";
    try {
        TBitmapListData list;
        list.SetCompressed(compressed);
        for (int i = first + 1; i < argc; ++i) AddEntry(list, argv[i]);
        {
            TFileStream out(scratch, fmCreate);
            list.WriteBitmaps(out);
        }
        if (!MoveFileReplacing(scratch, output)) throw Exception("cannot write \"" + output + "\"");
    } catch (const std::exception& e) {
        RemoveFile(scratch);
        std::fprintf(stderr, "pack_bitmaps: %s\n", e.what());
        return 1;
    }
    return 0;
}
