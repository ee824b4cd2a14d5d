// kestrin-pack: makes installers from the stub and inspects what they carry.
#include "Commands.h"
#include "base/SysUtils.h"
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#ifndef KESTRIN_VERSION
#define KESTRIN_VERSION "0.0.0"
#endif

namespace {

struct TVerb {
    const char* Name;
    int (*Run)(const TVerbArgs&);
    const char* Usage;
};

const TVerb Verbs[] = {
    {"build", CmdBuild, "build MANIFEST -o OUT.exe [--stub STUB.exe]"},
    {"list", CmdList, "list FILE [--json]"},
    {"get", CmdGet, "get FILE NAME [-o OUT] [--json]"},
    {"verify", CmdVerify, "verify FILE [--json]"},
    {"add", CmdAdd, "add FILE [--flag 0|1] [--raw] NAME=TEXT | NAME=@PATH ..."},
    {"set-icon", CmdSetIcon, "set-icon EXE ICO [--group MAINICON]"},
    {"resources", CmdResources, "resources EXE [--json]"},
    {"winget", CmdWinget, "winget MANIFEST --installer FILE --id PACKAGE.ID --url DOWNLOAD-URL [-o DIR]"},
};

void PrintHelp(FILE* out) {
    std::fprintf(out, "usage: kestrin-pack VERB [ARGS]\n\nverbs:\n");
    for (const TVerb& v : Verbs) std::fprintf(out, "  kestrin-pack %s\n", v.Usage);
    std::fprintf(out, "\nkestrin-pack --help | --version\n");
}

}  // namespace

void PrintError(const std::string& message) { std::fprintf(stderr, "kestrin-pack: %s\n", message.c_str()); }

void WriteStdout(const void* data, size_t size) {
    if (size) std::fwrite(data, 1, size, stdout);  // an empty value may have no buffer at all
    std::fflush(stdout);
}

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    if (argc < 2) { PrintHelp(stderr); return ExitUsage; }
    const std::string verb = argv[1];
    if (verb == "--help" || verb == "-h" || verb == "help") { PrintHelp(stdout); return ExitOk; }
    if (verb == "--version") { std::printf("kestrin-pack %s\n", KESTRIN_VERSION); return ExitOk; }
    TVerbArgs args(argv + 2, argv + argc);
    for (const TVerb& v : Verbs) {
        if (verb != v.Name) continue;
        for (const std::string& a : args)
            if (a == "--help" || a == "-h") { std::printf("usage: kestrin-pack %s\n", v.Usage); return ExitOk; }
        try {
            return v.Run(args);
        } catch (const EUsage& e) {
            PrintError(e.Message);
            std::fprintf(stderr, "usage: kestrin-pack %s\n", v.Usage);
            return ExitUsage;
        } catch (const std::exception& e) {
            PrintError(e.what());
            return ExitDamaged;
        }
    }
    PrintError("unknown verb \"" + verb + "\"");
    PrintHelp(stderr);
    return ExitUsage;
}
