// formc: compiles a form source (object ... end) into the binary form resource the program
// reads at run time, and performs the design-time steps of the components that have them
// (the file embedder stores its file, the bitmap list its pictures).
//
//   formc [-C dir] [--codepage 932] source.kfm -o resource.kfr
//   formc --decompile resource.kfr -o source.kfm
#include "base/FileOps.h"
#include "framework/FormResource.h"
#include "tools/formc/DesignSteps.h"
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::string ReadAll(const std::string& path) {
    TFileStream f(path, fmOpenRead | fmShareDenyNone);
    std::string s(static_cast<size_t>(f.Size()), '\0');
    f.ReadBuffer(s.data(), s.size());
    return s;
}

// Written beside the target first, so that a failed run leaves no partial output.
void WriteAll(const std::string& path, const std::string& data) {
    WriteFileReplacing(path, [&](const std::string& scratch) {
        TFileStream f(scratch, fmCreate);
        f.WriteBuffer(data.data(), data.size());
    });
}

int Usage() {
    std::fprintf(stderr,
                 "usage: formc [-C dir] [--codepage 932] source.kfm -o resource.kfr\n"
                 "       formc --decompile resource.kfr -o source.kfm\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    std::string input, output, baseDir;
    bool decompile = false;
    int codepage = 0;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "-o" && i + 1 < argc) output = argv[++i];
        else if (a == "-C" && i + 1 < argc) baseDir = argv[++i];
        else if (a == "--codepage" && i + 1 < argc) codepage = std::atoi(argv[++i]);
        else if (a == "--decompile") decompile = true;
        else if (!a.empty() && a[0] != '-' && input.empty()) input = a;
        else return Usage();
    }
    if (input.empty() || output.empty()) return Usage();
    try {
        std::string data = ReadAll(input);
        if (decompile) {
            WriteAll(output, FormToText(FormFromBinary(data.data(), data.size())));
            return 0;
        }
        TFormObject root = ParseFormText(data, input);
        if (codepage != 0) ConvertStrings(root, codepage);
        if (baseDir.empty()) baseDir = std::filesystem::absolute(input).parent_path().string();
        RunDesignSteps(root, baseDir);
        WriteAll(output, FormToBinary(root));
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "formc: %s\n", e.what());
        return 1;
    }
}
