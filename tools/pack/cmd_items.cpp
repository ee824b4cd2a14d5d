// Verbs that read or append container blocks: list, get, verify, add.
#include "container/uPayload.h"
#include "Commands.h"
#include "Json.h"
#include "Platform.h"
#include "ProgressLine.h"
#include "Sha256.h"
#include "container/md5.h"
#include "container/uExeAdder.h"
#include "container/uPEUtils.h"
#include "container/uZLib.h"
#include "base/Endian.h"
#include <algorithm>
#include <cstdio>

namespace {

const size_t MaxTextBytes = 4096;

void ItemJson(TJsonWriter& j, const TItemType& item) {
    j.Key("name");
    if (IsValidUtf8(item.Name)) j.String(item.Name); else j.Null();
    j.Key("name_hex").String(HexLower(item.Name.data(), item.Name.size()));
    j.Key("compressed").Bool(item.Compressed);
    j.Key("size").Number(item.Size());
    j.Key("sha256").String(Sha256Hex(item.Data.Data(), item.Data.Size()));
    std::string text(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
    if (text.size() <= MaxTextBytes && IsValidUtf8(text)) j.Key("text").String(text);
}

std::string Printable(const std::string& name) {
    std::string s;
    for (unsigned char c : name) s += (c >= 0x20 && c != 0x7F) ? static_cast<char>(c) : '?';
    return s;
}

// Damage and format errors of the file being read: exit 4 with the message.
int Damaged(const std::string& file, const std::string& message, bool json) {
    std::string text = file + ": " + message;
    if (json) WriteStdout(TJsonWriter().BeginObject().Key("error").String(text).EndObject().Text() + "\n");
    PrintError(text);
    return ExitDamaged;
}

std::string NeedFile(const TCommandLine& cl, size_t count, const char* what) {
    if (cl.Positional().size() != count) throw EUsage{std::string("expected ") + what};
    return cl.Positional()[0];
}

}  // namespace

int CmdList(const TVerbArgs& args) {
    TCommandLine cl(args, {}, {"--json"});
    const std::string file = NeedFile(cl, 1, "one FILE");
    const bool json = cl.Has("--json");
    TItemTypes items;
    bool found;
    int32_t key = 0;
    try {
        TDataBlockReader reader(file);
        found = reader.Found();
        key = reader.Key();
        ReadItems(file, items);
    } catch (const std::exception& e) {
        return Damaged(file, e.what(), json);
    }
    if (json) {
        TJsonWriter j;
        j.BeginObject().Key("found").Bool(found);
        if (found) j.Key("key").Number(key);
        j.Key("items").BeginArray();
        for (const TItemType& item : items) { j.BeginObject(); ItemJson(j, item); j.EndObject(); }
        j.EndArray().EndObject();
        WriteStdout(j.Text() + "\n");
    } else if (found) {
        std::string out = "key " + std::to_string(key) + ", " + std::to_string(items.size()) + " items\n";
        for (const TItemType& item : items)
            out += (item.Compressed ? "z " : "- ") + std::to_string(item.Size()) + "\t" + Printable(item.Name) + "\n";
        WriteStdout(out);
    } else {
        PrintError(file + ": no data block");
    }
    return found ? ExitOk : ExitNoBlock;
}

int CmdGet(const TVerbArgs& args) {
    TCommandLine cl(args, {"-o"}, {"--json"});
    if (cl.Positional().size() != 2) throw EUsage{"expected FILE and NAME"};
    const std::string file = cl.Positional()[0], name = cl.Positional()[1];
    const bool json = cl.Has("--json");
    TItemType item;
    bool blockFound, found;
    try {
        blockFound = TDataBlockReader(file).Found();
        found = ReadItem(file, name, item);
    } catch (const std::exception& e) {
        return Damaged(file, e.what(), json);
    }
    if (!blockFound) {
        if (json) WriteStdout("{\"found\": false, \"items\": []}\n");
        PrintError(file + ": no data block");
        return ExitNoBlock;
    }
    if (!found) {
        if (json) WriteStdout("{\"found\": false}\n");
        PrintError(file + ": no item named \"" + Printable(name) + "\"");
        return ExitNotFound;
    }
    if (json) {
        TJsonWriter j;
        j.BeginObject().Key("found").Bool(true);
        ItemJson(j, item);
        WriteStdout(j.EndObject().Text() + "\n");
    } else if (cl.Has("-o")) {
        TFileStream out(cl.Value("-o"), fmCreate);
        out.WriteBuffer(item.Data.Data(), item.Data.Size());
    } else {
        WriteStdout(item.Data.Data(), item.Data.Size());
    }
    return ExitOk;
}

// The integrity check as the installer makes it: every screensaver value in stored order makes up
// the data, a later length or digest wins, and a length shorter than four bytes counts as absent.
// Values are streamed from the file, so neither copy of a large payload is held in memory.
int CmdVerify(const TVerbArgs& args) {
    TCommandLine cl(args, {}, {"--json"});
    const std::string file = NeedFile(cl, 1, "one FILE");
    const bool json = cl.Has("--json");
    std::string expected, digest;
    uint64_t length = 0;
    bool found;
    try {
        TDataBlockReader reader(file);
        found = reader.Found();
        TItemTypes items;
        TProgressLine line("verifying the payload", !json && StderrIsTerminal());
        TPayloadCheck check = ReadPayload(reader, items, nullptr, line.Sink());
        expected = check.Expected;
        digest = check.Computed;
        length = check.Length;
    } catch (const std::exception& e) {
        return Damaged(file, e.what(), json);
    }
    const bool ok = digest == expected;
    if (json) {
        TJsonWriter j;
        j.BeginObject().Key("ok").Bool(ok).Key("digest").String(digest).Key("expected");
        if (IsValidUtf8(expected)) j.String(expected); else j.String(HexLower(expected.data(), expected.size()));
        j.Key("length").Number(static_cast<int64_t>(length)).EndObject();
        WriteStdout(j.Text() + "\n");
    } else {
        WriteStdout("computed: " + digest + "\nexpected: " + Printable(expected) + "\nlength: " +
                    std::to_string(length) + "\n" + (ok ? "ok\n" : "MISMATCH\n"));
    }
    if (!found) PrintError(file + ": no data block");
    return ok ? ExitOk : ExitNotFound;
}

int CmdAdd(const TVerbArgs& args) {
    TCommandLine cl(args, {"--flag"}, {"--raw"});
    if (cl.Positional().size() < 2) throw EUsage{"expected FILE and at least one NAME=VALUE"};
    const std::string file = cl.Positional()[0];
    const std::string flag = cl.Value("--flag", "0");
    if (flag != "0" && flag != "1") throw EUsage{"--flag takes 0 or 1"};
    if (!FileExists(file)) { PrintError(file + ": no such file"); return ExitNotFound; }
    TWriteHelper writer;
    for (size_t i = 1; i < cl.Positional().size(); ++i) {
        const std::string& a = cl.Positional()[i];
        size_t eq = a.find('=');
        if (eq == std::string::npos) throw EUsage{"\"" + a + "\" is not NAME=TEXT or NAME=@PATH"};
        std::string name = a.substr(0, eq), value = a.substr(eq + 1);
        if (!value.empty() && value[0] == '@') {
            TMemoryStream data;
            try {
                data.LoadFromFile(value.substr(1));
            } catch (const std::exception& e) {
                PrintError(e.what());
                return ExitNotFound;
            }
            if (data.Size() > 0x7FFFFFFF) { PrintError(value.substr(1) + ": too large for an item"); return ExitUsage; }
            writer.AddItem(name, data.Memory(), !cl.Has("--raw"), static_cast<int32_t>(data.Size()));
        } else {
            writer.AddItem(name, value.data(), !cl.Has("--raw"), static_cast<int32_t>(value.size()));
        }
    }
    writer.SaveToExe(file, static_cast<uint8_t>(flag[0] - '0'));
    return ExitOk;
}
