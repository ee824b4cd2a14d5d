// build: a copy of the stub up to the end of its image, then one block with the trailing-data
// flag set, so that a signature added later does not hide the block.
#include "Commands.h"
#include "Manifest.h"
#include "Platform.h"
#include "ProgressLine.h"
#include "base/FileOps.h"
#include "container/uExeAdder.h"
#include "container/uInstallerContract.h"
#include "container/md5.h"
#include "container/uPEUtils.h"
#include "container/uZLib.h"
#include "base/Endian.h"
#include <cstdio>
#include <thread>

namespace {

// The stub's image without anything behind it; a certificate table that pointed behind the
// image is cut off with it, so its directory entry is cleared.
bool StubImage(const std::string& stubPath, TMemoryStream& out, std::string& error) {
    TMemoryStream stub;
    try {
        stub.LoadFromFile(stubPath);
    } catch (const std::exception&) {
        error = stubPath + ": cannot read the stub";
        return false;
    }
    TPEImage image;
    try {
        image.LoadFromStream(stub);
    } catch (const std::exception&) {
        error = stubPath + ": the stub is not a 32-bit Windows executable";
        return false;
    }
    uint32_t end = image.EndOfImage();
    if (end == 0 || end > stub.Size()) {
        error = stubPath + ": the stub's sections run past the end of the file";
        return false;
    }
    TNTHeaders& nt = *image.NTHeaders;
    const unsigned security = TNTHeaders::DirectorySecurity;
    if (nt.DataDirectoryAddress(security) >= end) {
        // The directory sits inside the NT block, which lies at e_lfanew in the file.
        nt.SetDataDirectory(security, 0, 0);
        stub.SetPosition(image.DOSHeader->e_lfanew());
        stub.WriteBuffer(nt.View(), static_cast<size_t>(nt.Size));
    }
    out.SetSize(0);
    out.WriteBuffer(stub.Memory(), end);
    return true;
}

}  // namespace

bool LoadManifestOrSay(const std::string& fileName, TManifest& manifest) {
    try {
        manifest = LoadManifest(fileName);
        return true;
    } catch (const EManifestError& e) {
        PrintError(e.Message);
        return false;
    }
}

int CmdBuild(const TVerbArgs& args) {
    TCommandLine cl(args, {"-o", "--stub"}, {});
    if (cl.Positional().size() != 1) throw EUsage{"expected one MANIFEST"};
    if (!cl.Has("-o")) throw EUsage{"-o OUT.exe is required"};
    const std::string manifestPath = cl.Positional()[0], outPath = cl.Value("-o");
    TManifest manifest;
    if (!LoadManifestOrSay(manifestPath, manifest)) return ExitNotFound;
    std::string stubPath = cl.Value("--stub", manifest.Stub);
    if (stubPath.empty()) stubPath = ExecutableDirectory() + "Installer.exe";

    TMemoryStream image;
    std::string error;
    if (!StubImage(stubPath, image, error)) { PrintError(error); return ExitNotFound; }

    TWriteHelper writer;
    for (const TManifestItem& item : manifest.Items)
        writer.AddItem(item.Name, item.Value.data(), item.Compressed, static_cast<int32_t>(item.Value.size()));

    // The payload's digest and its compression each take seconds on a large screensaver: do
    // them side by side.
    const TBuffer& scr = manifest.Scr;
    std::string mxf;
    TBuffer packed;
    try {
        std::thread digest;
        if (!manifest.Mxf) digest = std::thread([&] { mxf = VariantDigestOf(scr.Data(), scr.Size()); });
        struct TJoin {
            std::thread& T;
            ~TJoin() { if (T.joinable()) T.join(); }
        } join{digest};
        TProgressLine line("compressing the screensaver", StderrIsTerminal());
        if (manifest.CompressScr && !scr.Empty())
            CompressBuffer(scr.Data(), scr.Size(), packed, TCompressionLevel::clDefault, line.Sink());
    } catch (const std::exception& e) {
        PrintError(outPath + ": " + e.what());
        return ExitDamaged;
    }
    if (manifest.Mxf) mxf = *manifest.Mxf;
    uint8_t mxl[4];
    SetLE32(mxl, manifest.Mxl.value_or(static_cast<uint32_t>(scr.Size())));
    writer.AddItem(ItemName::Digest, mxf.data(), manifest.CompressScr, static_cast<int32_t>(mxf.size()));
    writer.AddItem(ItemName::DigestLength, mxl, manifest.CompressScr, 4);
    // The payload goes last, so that the installer finds its small settings without reading past it.
    if (manifest.HasScr) {
        if (!packed.Empty()) writer.AddCompressedStream(ItemName::Scr, std::move(packed));
        else writer.AddItem(ItemName::Scr, scr.Data(), false, static_cast<int32_t>(scr.Size()));
    }

    // Written beside the target and moved over it only when complete.
    try {
        WriteFileReplacing(outPath, [&](const std::string& scratch) {
            image.SaveToFile(scratch);
            writer.SaveToExe(scratch, 1);
        });
    } catch (const std::exception& e) {
        PrintError(outPath + ": " + e.what());
        return ExitDamaged;
    }
    return ExitOk;
}
