#include "Manifest.h"
#include "Json.h"
#include "base/CodePage.h"
#include "container/uPEUtils.h"
#include "container/uInstallerContract.h"
#include "container/uBitmapFile.h"
#include "container/uIconFile.h"
#include "base/Classes.h"
#include "base/Endian.h"
#include <algorithm>
#include <cctype>
#include <cstring>
#include <toml++/toml.h>

namespace {

struct TLoader {
    std::string FileName;
    std::string BaseDir;
    const toml::table& Table;
    unsigned CodePage = 1252;
    bool Compress = true;
    TManifest Result;

    [[noreturn]] void Fail(const std::string& key, const std::string& what) const {
        throw EManifestError{FileName + ": " + (key.empty() ? "" : "\"" + key + "\": ") + what};
    }

    std::string Path(const std::string& p) const {
        if (p.empty() || p[0] == '/' || (p.size() > 1 && p[1] == ':') || p[0] == '\\') return p;
        return BaseDir + p;
    }

    std::string ReadFileBytes(const std::string& key, const std::string& path) const {
        try {
            TMemoryStream m;
            m.LoadFromFile(Path(path));
            if (m.Size() > 0x7FFFFFFF) Fail(key, "file \"" + path + "\" is too large for an item");
            return std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
        } catch (const EManifestError&) {
            throw;
        } catch (const std::exception&) {
            Fail(key, "cannot read file \"" + path + "\"");
        }
    }

    const toml::node* Node(const std::string& key) const { return Table.get(key); }

    std::optional<std::string> String(const std::string& key) const {
        const toml::node* n = Node(key);
        if (!n) return std::nullopt;
        if (!n->is_string()) Fail(key, "must be a string");
        return **n->as_string();
    }

    std::optional<bool> Bool(const std::string& key) const {
        const toml::node* n = Node(key);
        if (!n) return std::nullopt;
        if (!n->is_boolean()) Fail(key, "must be true or false");
        return **n->as_boolean();
    }

    std::string Encode(const std::string& key, const std::string& utf8, unsigned codePage) const {
        std::string out;
        if (!Utf8ToCodePage(utf8, codePage, out))
            Fail(key, "has characters that code page " + std::to_string(codePage) + " cannot hold");
        return out;
    }

    // Text given inline (UTF-8, converted) or as KEY_file (bytes taken as they are).
    std::optional<std::string> Text(const std::string& key, unsigned codePage) const {
        auto inlineText = String(key);
        auto file = String(key + "_file");
        if (inlineText && file) Fail(key, "give either \"" + key + "\" or \"" + key + "_file\", not both");
        if (inlineText) return Encode(key, *inlineText, codePage);
        if (file) return TextFile(key + "_file", *file, codePage);
        return std::nullopt;
    }

    // A text file is stored as it is, so it must already be what the installer shows.
    std::string TextFile(const std::string& key, const std::string& path, unsigned codePage) const {
        std::string bytes = ReadFileBytes(key, path), why;
        if (!LooksLikeText(bytes, codePage, why)) Fail(key, "\"" + path + "\" " + why);
        return bytes;
    }

    void Add(const std::string& name, const std::string& value) { Result.Items.push_back({name, value, Compress}); }
    void AddFlag(const std::string& name, const std::string& key) {
        if (auto b = Bool(key)) Add(name, std::string(1, *b ? '\1' : '\0'));
    }
};

const char* const KnownKeys[] = {
    "stub", "codepage", "compress", "guid", "scr_name", "scr", "readme", "eula", "eula_file", "title",
    "title_file", "message_ja", "message_ja_file", "message_en", "message_en_file", "left_image", "top_image",
    "top_image_visible", "uninstaller_icon", "flash_version", "silent", "force_set", "ver_check", "check_admin",
    "install_path", "install_path_file", ItemName::Digest, ItemName::DigestLength, "item", "publisher", "version",
    "url", "license", "description"};

}  // namespace

bool IsWebAddress(const std::string& text) {
    for (const char* scheme : {"https://", "http://"}) {
        const size_t n = std::strlen(scheme);
        if (text.size() > n && std::equal(scheme, scheme + n, text.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            }))
            return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) <= ' '; });
    }
    return false;
}

bool IsDottedVersion(const std::string& version) {
    // The installer splits at "." and reads a piece that is no number as 0: "9,0,45" would ask
    // for version 0, and the check would pass everywhere.
    size_t pieces = 0, digits = 0;
    for (char c : version) {
        if (c >= '0' && c <= '9') {
            if (++digits > 9) return false;
        } else if (c == '.' && digits > 0) {
            ++pieces;
            digits = 0;
        } else {
            return false;
        }
    }
    return digits > 0 && pieces < 4;
}

// The installer's own readers decide: what they refuse, the tool refuses.
bool LooksLikeBmp(const std::string& b, std::string& why) {
    try {
        CheckBitmapFile(reinterpret_cast<const uint8_t*>(b.data()), b.size());
        return true;
    } catch (const EBitmapFormatError& e) {
        why = "is not a picture the installer can draw (" + e.Message() + ")";
        return false;
    }
}

bool LooksLikeIco(const std::string& b, std::string& why) {
    try {
        CheckIconFile(reinterpret_cast<const uint8_t*>(b.data()), b.size());
        return true;
    } catch (const EIconFormatError& e) {
        why = "is not an icon the installer can use (" + e.Message() + ")";
        return false;
    }
}

namespace {

size_t LineAt(const std::string& text, size_t offset) {
    return 1 + static_cast<size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(offset), '\n'));
}

std::string Hex2(unsigned char c) {
    const char* digits = "0123456789ABCDEF";
    return std::string("0x") + digits[c >> 4] + digits[c & 15];
}

}  // namespace

// The installer shows these texts as ANSI text of the code page; it converts nothing.
bool LooksLikeText(const std::string& b, unsigned codePage, std::string& why) {
    const std::string cp = "code page " + std::to_string(codePage);
    if (b.size() >= 2 && ((b[0] == '\xFF' && b[1] == '\xFE') || (b[0] == '\xFE' && b[1] == '\xFF'))) {
        why = "is UTF-16 text, but the installer shows it as " + cp + " text: save it in " + cp;
        return false;
    }
    if (size_t nul = b.find('\0'); nul != std::string::npos) {
        why = "is not text: it holds a NUL byte (line " + std::to_string(LineAt(b, nul)) + ")";
        return false;
    }
    auto wide = std::find_if(b.begin(), b.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
    if (codePage != 65001 && wide != b.end() && IsValidUtf8(b)) {
        why = "is UTF-8 text (line " + std::to_string(LineAt(b, static_cast<size_t>(wide - b.begin()))) +
              " has the first character beyond ASCII), but the installer shows it as " + cp + " text: save it in " + cp;
        return false;
    }
    std::string utf8;
    size_t bad = std::string::npos;
    if (!CodePageToUtf8(b, codePage, utf8, &bad)) {
        why = "is not " + cp + " text";
        if (bad != std::string::npos && bad < b.size())
            why += ": byte " + Hex2(static_cast<unsigned char>(b[bad])) + " on line " + std::to_string(LineAt(b, bad)) +
                   " is no character of it";
        return false;
    }
    return true;
}

TManifest LoadManifest(const std::string& fileName) {
    toml::table table;
    try {
        table = toml::parse_file(fileName);
    } catch (const toml::parse_error& e) {
        std::string where;
        if (e.source().begin) where = " (line " + std::to_string(e.source().begin.line) + ")";
        throw EManifestError{fileName + where + ": " + std::string(e.description())};
    }
    size_t cut = fileName.find_last_of("/\\");
    TLoader l{fileName, cut == std::string::npos ? std::string() : fileName.substr(0, cut + 1), table, 1252, true, {}};

    for (auto&& [k, v] : table) {
        bool known = false;
        for (const char* key : KnownKeys) known |= k.str() == key;
        if (!known) l.Fail(std::string(k.str()), "is not a manifest key");
    }
    if (auto n = l.Node("codepage")) {
        if (!n->is_integer()) l.Fail("codepage", "must be a number such as 1252 or 932");
        int64_t cp = **n->as_integer();
        if (cp != 932 && cp != 936 && cp != 949 && cp != 950 && (cp < 874 || cp > 1258) && cp != 65001)
            l.Fail("codepage", "is not a code page this tool converts to");
        l.CodePage = static_cast<unsigned>(cp);
    }
    if (auto c = l.Bool("compress")) l.Compress = *c;
    if (auto s = l.String("stub")) l.Result.Stub = l.Path(*s);

    auto guid = l.String("guid");
    if (!guid || guid->empty()) l.Fail("guid", "is required (the identifier of the screensaver)");
    if (guid->find('\\') != std::string::npos) l.Fail("guid", "must not contain a backslash (it names a mutex)");
    auto scrName = l.String("scr_name");
    if (!scrName || scrName->empty()) l.Fail("scr_name", "is required (the base name of the installed files)");
    std::string scrNameBytes = l.Encode("scr_name", *scrName, l.CodePage);
    if (!IsValidScrName(scrNameBytes, l.CodePage))
        l.Fail("scr_name", "must be a plain file name without a path that names no device (such as CON or COM1)");

    l.AddFlag(ItemName::CheckAdmin, "check_admin");
    l.Add(ItemName::Guid, l.Encode("guid", *guid, l.CodePage));
    l.Add(ItemName::ScrName, scrNameBytes);
    if (auto v = l.String("flash_version")) {
        if (!IsDottedVersion(*v))
            l.Fail("flash_version", "must be up to four numbers joined by dots, e.g. \"9.0.45.0\"");
        l.Add(ItemName::FlashVersion, *v);
    }
    l.AddFlag(ItemName::Silent, "silent");
    l.Result.ScrName = *scrName;
    l.Result.CodePage = l.CodePage;
    // What the installer writes into the Uninstall entry for Settings and package managers.
    if (auto v = l.String("publisher")) {
        l.Result.Publisher = *v;
        l.Add(ItemName::Publisher, l.Encode("publisher", *v, l.CodePage));
    }
    if (auto v = l.String("version")) {
        if (v->empty() || v->size() > 128 || v->find_first_of("\\/:*?\"<>|") != std::string::npos ||
            std::any_of(v->begin(), v->end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
            l.Fail("version", "must be a version text such as \"1.2.0\" (no \\ / : * ? \" < > | or control character)");
        l.Result.Version = *v;
        l.Add(ItemName::Version, l.Encode("version", *v, l.CodePage));
    }
    if (auto v = l.String("url")) {
        if (!IsWebAddress(*v)) l.Fail("url", "must be a web address starting with https:// or http://");
        l.Result.Url = *v;
        l.Add(ItemName::Url, l.Encode("url", *v, l.CodePage));
    }
    // Only package managers' manifests carry these; the installer shows neither.
    if (auto v = l.String("license")) l.Result.License = *v;
    if (auto v = l.String("description")) l.Result.Description = *v;
    if (auto v = l.Text("title", l.CodePage)) {
        l.Add(ItemName::Title, *v);
        CodePageToUtf8(*v, l.CodePage, l.Result.Title);
    }
    // The Japanese welcome text is only shown on Japanese systems, so it is always Shift-JIS.
    for (auto [key, item, cp] : {std::tuple<const char*, const char*, unsigned>{"message_ja", ItemName::MessageJa, 932u},
                                 std::tuple<const char*, const char*, unsigned>{"message_en", ItemName::MessageEn, l.CodePage}}) {
        if (auto v = l.Text(key, cp)) {
            if (!IsSingleStringPattern(*v))
                l.Fail(key, "must hold exactly one %s (the screensaver name) and no other % directive but %%");
            l.Add(item, *v);
        }
    }
    for (auto [key, item] : {std::pair<const char*, const char*>{"left_image", ItemName::LeftImage},
                             std::pair<const char*, const char*>{"top_image", ItemName::TopImage}}) {
        if (auto path = l.String(key)) {
            std::string bytes = l.ReadFileBytes(key, *path), why;
            if (!LooksLikeBmp(bytes, why)) l.Fail(key, "\"" + *path + "\" " + why);
            l.Add(item, bytes);
        }
    }
    l.AddFlag(ItemName::TopImageVisible, "top_image_visible");
    if (auto path = l.String("uninstaller_icon")) {
        std::string bytes = l.ReadFileBytes("uninstaller_icon", *path), why;
        if (!LooksLikeIco(bytes, why)) l.Fail("uninstaller_icon", "\"" + *path + "\" " + why);
        l.Add(ItemName::UninstallerIcon, bytes);
    }
    l.AddFlag(ItemName::ForceSet, "force_set");
    l.AddFlag(ItemName::VerCheck, "ver_check");
    if (auto v = l.Text("install_path", l.CodePage)) l.Add(ItemName::InstallPath, *v);
    if (auto v = l.Text("eula", l.CodePage)) l.Add(ItemName::Eula, *v);
    if (auto path = l.String("readme")) l.Add(ItemName::Readme, l.TextFile("readme", *path, l.CodePage));

    if (auto path = l.String("scr")) {
        l.Result.HasScr = true;
        try {
            TFileStream file(l.Path(*path), fmOpenRead | fmShareDenyWrite);
            const TPEFileFacts facts = ReadPEFileFacts(file);
            const std::string saver = "\"" + *path + "\" ";
            const std::string need = "; the screensaver must be a 32- or 64-bit Windows program (GUI or console)";
            if (facts.Kind == TPEFileKind::NotAnImage)
                l.Fail("scr", saver + "is not a Windows program (no executable header)" + need);
            if (facts.Kind == TPEFileKind::Library) l.Fail("scr", saver + "is a DLL, not a program" + need);
            if (facts.Kind == TPEFileKind::OtherImage)
                l.Fail("scr", saver + "is a Windows image that cannot be started as a program (subsystem " +
                                  std::to_string(facts.Subsystem) + ", or not marked executable)" + need);
            file.SetPosition(0);
            int64_t size = file.Size();
            if (size > 0x7FFFFFFF) l.Fail("scr", "file \"" + *path + "\" is too large for an item");
            l.Result.Scr.Resize(static_cast<size_t>(size));
            file.ReadBuffer(l.Result.Scr.Data(), l.Result.Scr.Size());
        } catch (const EManifestError&) {
            throw;
        } catch (const std::exception&) {
            l.Fail("scr", "cannot read file \"" + *path + "\"");
        }
    }
    l.Result.CompressScr = l.Compress;
    // The overrides of the check values are named after their items.
    if (auto v = l.String(ItemName::Digest)) l.Result.Mxf = *v;
    if (auto n = l.Node(ItemName::DigestLength)) {
        if (!n->is_integer() || **n->as_integer() < 0 || **n->as_integer() > 0xFFFFFFFFll)
            l.Fail(ItemName::DigestLength, "must be a number from 0 to 4294967295");
        l.Result.Mxl = static_cast<uint32_t>(**n->as_integer());
    }

    if (auto n = l.Node("item")) {
        const toml::array* items = n->as_array();
        if (!items) l.Fail("item", "must be an array of tables ([[item]])");
        for (size_t i = 0; i < items->size(); ++i) {
            const toml::table* t = (*items)[i].as_table();
            std::string key = "item[" + std::to_string(i + 1) + "]";
            if (!t) l.Fail(key, "must be a table");
            TLoader sub{fileName, l.BaseDir, *t, l.CodePage, l.Compress, {}};
            for (auto&& [k, v] : *t)
                if (k != "name" && k != "text" && k != "file" && k != "compressed")
                    l.Fail(key + "." + std::string(k.str()), "is not an item key (name, text, file, compressed)");
            auto name = sub.String("name");
            if (!name) l.Fail(key, "needs a name");
            auto text = sub.String("text");
            auto file = sub.String("file");
            if (bool(text) == bool(file)) l.Fail(key, "needs exactly one of text and file");
            std::string value = text ? sub.Encode(key, *text, l.CodePage) : sub.ReadFileBytes(key, *file);
            bool compressed = sub.Bool("compressed").value_or(l.Compress);
            l.Result.Items.push_back({*name, value, compressed});
        }
    }
    return std::move(l.Result);
}
