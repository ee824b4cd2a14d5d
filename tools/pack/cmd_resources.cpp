// The verbs that show and change an executable's resources: resources and set-icon.
#include "Commands.h"
#include "Json.h"
#include "Sha256.h"
#include "container/uResourceTree.h"
#include <cstdio>

namespace {

// A type or name identifier as shown: its number, or its string in double quotes.
std::string IdText(const TResourceItem& node) {
    if (!node.Named) return std::to_string(node.Number);
    std::string text(1, '"');
    text += Utf16ToUtf8(node.WideName);
    text += '"';
    return text;
}

void JsonId(TJsonWriter& json, const TResourceItem& node) {
    if (node.Named) json.String(Utf16ToUtf8(node.WideName));
    else json.Number(node.Number);
}

}  // namespace

int CmdResources(const TVerbArgs& args) {
    TCommandLine cl(args, {}, {"--json"});
    if (cl.Positional().size() != 1) throw EUsage{"expected one executable"};
    const std::string& file = cl.Positional()[0];
    if (!FileExists(file)) { PrintError(file + ": no such file"); return ExitNotFound; }
    TPEImage image(file);
    TSectionHeader* section = image.FindSection(".rsrc");
    std::unique_ptr<TResourceDataOperator> op;
    if (section) op = std::make_unique<TResourceDataOperator>(section);

    bool json = cl.Has("--json");
    TJsonWriter out;
    std::string text;
    if (json) out.BeginObject().Key("file").String(file).Key("resources").BeginArray();
    if (op) {
        for (const auto& type : op->Root->Children)
            for (const auto& name : type->Children)
                for (const auto& leaf : name->Children) {
                    std::string digest = Sha256Hex(leaf->Data.Memory(), leaf->DataSize());
                    if (json) {
                        out.BeginObject().Key("type");
                        JsonId(out, *type);
                        if (!type->Named && type->Number < 25) out.Key("type_name").String(ResourceTypeNames[type->Number]);
                        out.Key("name");
                        JsonId(out, *name);
                        out.Key("language").Number(leaf->Id).Key("code_page").Number(leaf->CodePage);
                        out.Key("size").Number(leaf->DataSize()).Key("sha256").String(digest).EndObject();
                    } else {
                        text += IdText(*type) + "\t" + IdText(*name) + "\t" + std::to_string(leaf->Id) + "\t" +
                                std::to_string(leaf->CodePage) + "\t" + std::to_string(leaf->DataSize()) + "\t" +
                                digest + "\n";
                    }
                }
    }
    unsigned damaged = op ? op->DamagedEntries : 0;
    if (json) {
        out.EndArray().Key("damaged_entries").Number(damaged).EndObject();
        WriteStdout(out.Text() + "\n");
    } else {
        WriteStdout(text);
    }
    if (damaged) {
        PrintError(file + ": " + std::to_string(damaged) + " damaged resource entries left out");
        return ExitDamaged;
    }
    return ExitOk;
}

int CmdSetIcon(const TVerbArgs& args) {
    TCommandLine cl(args, {"--group"}, {});
    if (cl.Positional().size() != 2) throw EUsage{"expected an executable and an icon file"};
    const std::string& exe = cl.Positional()[0];
    const std::string& ico = cl.Positional()[1];
    const std::string group = cl.Value("--group", "MAINICON");
    if (!FileExists(exe)) { PrintError(exe + ": no such file"); return ExitNotFound; }
    if (!FileExists(ico)) { PrintError(ico + ": no such file"); return ExitNotFound; }
    try {
        TFileStream icon(ico, fmOpenRead | fmShareDenyWrite);
        if (!ReplaceIconFromStream(exe, icon, group)) {
            PrintError(exe + ": no icon group \"" + group + "\" (nothing changed)");
            return ExitNotFound;
        }
    } catch (const EResourceLayoutError& e) {
        PrintError(exe + ": " + e.Message() + " (nothing changed)");
        return ExitDamaged;
    } catch (const EImageBlockException&) {
        PrintError(exe + ": not a PE32 executable, or its resources are damaged (nothing changed)");
        return ExitDamaged;
    } catch (const EReadError& e) {
        PrintError(ico + ": " + e.Message() + " (nothing changed)");
        return ExitDamaged;
    }
    return ExitOk;
}
