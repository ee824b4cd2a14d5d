#include "tools/formc/DesignSteps.h"
#include "base/CodePage.h"
#include "controls/uFileEmbedder.h"
#include "controls/uBitmapListStream.h"
#include "framework/Component.h"
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>

namespace {

void ConvertValue(unsigned codePage, TFormValue& v) {
    if (v.Kind == TValueKind::vkString) {
        std::string out;
        if (!Utf8ToCodePage(v.Str, codePage, out))
            throw Exception("String cannot be converted to code page " + std::to_string(codePage) + ": " + v.Str);
        v.Str = std::move(out);
    }
    for (auto& item : v.List) ConvertValue(codePage, item);
}

void ConvertObject(unsigned codePage, TFormObject& obj) {
    for (auto& p : obj.Properties) ConvertValue(codePage, p.Value);
    for (auto& c : obj.Children) ConvertObject(codePage, c);
}

// Runs a portable component through a read and a write: its writer stores the derived data.
template <class T>
void Restream(TFormObject& obj) {
    auto c = std::make_unique<T>(nullptr);
    TFormObject in = obj;
    in.Children.clear();
    ReadComponentProperties(*c, in, nullptr);
    TFormObject out = WriteComponentProperties(*c, obj.Name);
    obj.Properties = out.Properties;
}

// The bitmap list's "Bitmaps" property from picture files, built as the list itself stores
// them: the pseudo-property Pictures.Strings lists "Name=picture.bmp", or
// "Name=picture.bmp@RRGGBB" to store a mask as well with that colour (red first) transparent.
void BuildBitmaps(TFormObject& obj, const std::string& baseDir) {
    auto it = std::find_if(obj.Properties.begin(), obj.Properties.end(),
                           [](const TFormProperty& p) { return p.Name == "Pictures.Strings"; });
    if (it == obj.Properties.end()) return;
    std::vector<std::string> lines = it->Value.AsStrings("Pictures.Strings");
    obj.Properties.erase(it);
    TBitmapListData list;
    if (const TFormValue* c = obj.Find("Compressed")) list.SetCompressed(c->AsBoolean("Compressed"));
    for (const auto& line : lines) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0)
            throw Exception("Pictures: \"" + line + "\" is not Name=file.bmp[@RRGGBB]");
        std::string name = line.substr(0, eq), file = line.substr(eq + 1);
        bool masked = false;
        TRGB transparent = 0;
        size_t at = file.rfind('@');
        if (at != std::string::npos) {
            std::string hex = file.substr(at + 1);
            char* end = nullptr;
            unsigned long v = std::strtoul(hex.c_str(), &end, 16);
            if (hex.size() != 6 || *end) throw Exception("Pictures: colour \"" + hex + "\" is not RRGGBB");
            transparent = static_cast<TRGB>(((v >> 16) & 0xFF) | (v & 0xFF00) | ((v & 0xFF) << 16));
            masked = true;
            file.resize(at);
        }
        const std::string path = (std::filesystem::path(baseDir) / file).string();
        TMemoryStream bytes;
        bytes.LoadFromFile(path);
        try {
            list.AddPicture(name, bytes.Memory(), static_cast<size_t>(bytes.Size()), masked, transparent);
        } catch (const EBitmapFormatError& e) {
            throw Exception(path + ": " + e.Message());
        }
    }
    TMemoryStream s;
    list.WriteBitmaps(s);
    obj.Properties.push_back({"Bitmaps", TFormValue::Binary(std::string(reinterpret_cast<const char*>(s.Memory()),
                                                                        static_cast<size_t>(s.Size())))});
}

}  // namespace

void ConvertStrings(TFormObject& obj, int codepage) {
    std::string probe;
    if (codepage <= 0 || !Utf8ToCodePage("A", static_cast<unsigned>(codepage), probe))
        throw Exception("Unknown code page " + std::to_string(codepage));
    ConvertObject(static_cast<unsigned>(codepage), obj);
}

void RunDesignSteps(TFormObject& obj, const std::string& baseDir) {
    if (obj.ClassName == "TFileEmbedder" && !obj.Find("EmbededData")) {
        const TFormValue* file = obj.Find("FileName");
        if (file) {
            // A form that would carry an empty file (an installer without its uninstaller) is not built.
            std::string path = file->AsString("FileName");
            std::error_code ec;
            const auto size = std::filesystem::file_size(std::filesystem::path(baseDir) / path, ec);
            if (ec) throw Exception(obj.Name + ": " + path + " was not found");
            if (size == 0) throw Exception(obj.Name + ": " + path + " is empty");
        }
        auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(baseDir);
        try {
            TFileEmbedder::RegisterWriter();
            Restream<TFileEmbedder>(obj);
        } catch (...) {
            std::filesystem::current_path(cwd);
            throw;
        }
        std::filesystem::current_path(cwd);
    }
    if (obj.ClassName == "TBitmapList") BuildBitmaps(obj, baseDir);
    for (auto& c : obj.Children) RunDesignSteps(c, baseDir);
}
