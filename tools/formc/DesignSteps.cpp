#include "tools/formc/DesignSteps.h"
#include "container/uFileEmbedder.h"
#include "container/uStreamUtils.h"
#include "container/uZLib.h"
#include "base/Endian.h"
#include <algorithm>
#include "framework/Component.h"
#include <cstdio>
#include <filesystem>
#include <iconv.h>
#include <memory>

namespace {

std::string Convert(iconv_t cd, const std::string& s) {
    std::string out(s.size() * 2 + 8, '\0');
    char* in = const_cast<char*>(s.data());
    size_t inLeft = s.size();
    char* o = out.data();
    size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1))
        throw Exception("String cannot be converted to the target code page: " + s);
    out.resize(out.size() - outLeft);
    return out;
}

void ConvertValue(iconv_t cd, TFormValue& v) {
    if (v.Kind == TValueKind::vkString) v.Str = Convert(cd, v.Str);
    for (auto& item : v.List) ConvertValue(cd, item);
}

void ConvertObject(iconv_t cd, TFormObject& obj) {
    for (auto& p : obj.Properties) ConvertValue(cd, p.Value);
    for (auto& c : obj.Children) ConvertObject(cd, c);
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

std::string ReadBitmapFile(const std::filesystem::path& path) {
    TMemoryStream m;
    m.LoadFromFile(path.string());
    const uint8_t* p = m.Memory();
    if (m.Size() < 26 || p[0] != 'B' || p[1] != 'M' || GetLE32(p + 2) != static_cast<uint32_t>(m.Size()))
        throw Exception(path.string() + " is not a bitmap file (or its size field is wrong)");
    return std::string(reinterpret_cast<const char*>(p), static_cast<size_t>(m.Size()));
}

// The bitmap list's "Bitmaps" property from picture files: the pseudo-property
// Pictures.Strings lists "Name=picture.bmp" or "Name=picture.bmp|mask.bmp" (the mask white
// where the picture is transparent). Written in the list's stored form.
void BuildBitmaps(TFormObject& obj, const std::string& baseDir) {
    auto it = std::find_if(obj.Properties.begin(), obj.Properties.end(),
                           [](const TFormProperty& p) { return p.Name == "Pictures.Strings"; });
    if (it == obj.Properties.end()) return;
    std::vector<std::string> lines = it->Value.AsStrings("Pictures.Strings");
    obj.Properties.erase(it);
    bool compressed = false;
    if (const TFormValue* c = obj.Find("Compressed")) compressed = c->AsBoolean("Compressed");
    struct TEntry { std::string Name; int32_t Offset; };
    std::vector<TEntry> images, masks;
    std::string area;
    for (const auto& line : lines) {
        size_t eq = line.find('=');
        if (eq == std::string::npos || eq == 0) throw Exception("Pictures: \"" + line + "\" is not Name=file.bmp");
        std::string name = line.substr(0, eq), files = line.substr(eq + 1);
        size_t bar = files.find('|');
        images.push_back({name, static_cast<int32_t>(area.size())});
        area += ReadBitmapFile(std::filesystem::path(baseDir) / files.substr(0, bar));
        if (bar != std::string::npos) {
            masks.push_back({name, static_cast<int32_t>(area.size())});
            area += ReadBitmapFile(std::filesystem::path(baseDir) / files.substr(bar + 1));
        }
    }
    auto lessText = [](const TEntry& a, const TEntry& b) {
        return std::lexicographical_compare(a.Name.begin(), a.Name.end(), b.Name.begin(), b.Name.end(),
            [](char x, char y) { return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y)); });
    };
    std::sort(images.begin(), images.end(), lessText);
    std::sort(masks.begin(), masks.end(), lessText);
    TMemoryStream s;
    for (const auto* t : {&images, &masks}) {
        WriteInt32(s, static_cast<int32_t>(t->size()));
        for (const auto& e : *t) { WriteSizedString(s, e.Name); WriteInt32(s, e.Offset); }
    }
    s.WriteBuffer("BmpLst", 6);
    WriteSizedString(s, "1.0.0.0");
    WriteUInt8(s, compressed ? 1 : 0);
    if (compressed && !area.empty()) {
        TBuffer packed;
        CompressBuffer(area.data(), area.size(), packed);
        WriteInt32(s, static_cast<int32_t>(packed.Size()));
        s.WriteBuffer(packed.Data(), packed.Size());
    } else {
        WriteInt32(s, static_cast<int32_t>(area.size()));
        s.WriteBuffer(area.data(), area.size());
    }
    obj.Properties.push_back({"Bitmaps", TFormValue::Binary(std::string(reinterpret_cast<const char*>(s.Memory()),
                                                                        static_cast<size_t>(s.Size())))});
}

}  // namespace

void ConvertStrings(TFormObject& obj, int codepage) {
    std::string name = "CP" + std::to_string(codepage);
    iconv_t cd = iconv_open(name.c_str(), "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) throw Exception("Unknown code page " + std::to_string(codepage));
    try {
        ConvertObject(cd, obj);
    } catch (...) {
        iconv_close(cd);
        throw;
    }
    iconv_close(cd);
}

void RunDesignSteps(TFormObject& obj, const std::string& baseDir) {
    if (obj.ClassName == "TFileEmbedder" && !obj.Find("EmbededData")) {
        const TFormValue* file = obj.Find("FileName");
        if (file) {
            std::string path = file->AsString("FileName");
            if (!std::filesystem::exists(std::filesystem::path(baseDir) / path))
                std::fprintf(stderr, "formc: warning: %s: %s was not found, nothing embedded\n", obj.Name.c_str(), path.c_str());
        }
        auto cwd = std::filesystem::current_path();
        std::filesystem::current_path(baseDir);
        try {
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
