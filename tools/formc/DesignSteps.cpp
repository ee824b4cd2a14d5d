#include "tools/formc/DesignSteps.h"
#include "container/uFileEmbedder.h"
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
    for (auto& c : obj.Children) RunDesignSteps(c, baseDir);
}
