// Resource tree reading, rebuilding and icon replacement on programs built by MinGW for the
// tests and on Wine's own programs, and the resources / set-icon verbs.
#include "Commands.h"
#include "PeBuilder.h"
#include "Sha256.h"
#include "TestSupport.h"
#include "container/uResourceTree.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <tuple>
#ifdef _WIN32
#include <windows.h>
#endif

using namespace testing_support;
namespace fs = std::filesystem;

// The verbs write through these; the tests capture what they print.
static std::string CapturedOut, CapturedErr;
void PrintError(const std::string& message) { CapturedErr += message + "\n"; }
void WriteStdout(const void* data, size_t size) { CapturedOut.append(static_cast<const char*>(data), size); }

namespace {

fs::path ResFixture(const std::string& name) { return EnvPath("KESTRIN_RESOURCE_FIXTURES") / name; }

// One resource as a comparable record: type, name, language, code page, bytes.
using TRecord = std::tuple<std::string, std::string, uint32_t, uint32_t, Bytes>;

std::string IdOf(const TResourceItem& n) { return n.Named ? "'" + Utf16ToUtf8(n.WideName) + "'" : std::to_string(n.Number); }

std::vector<TRecord> Records(const TResourceDataOperator& op) {
    std::vector<TRecord> out;
    for (const auto& t : op.Root->Children)
        for (const auto& n : t->Children)
            for (const auto& l : n->Children)
                out.emplace_back(IdOf(*t), IdOf(*n), l->Id, l->CodePage,
                                 Bytes(l->Data.Memory(), l->Data.Memory() + l->DataSize()));
    return out;
}

std::vector<TRecord> Records(const std::string& file, unsigned* damaged = nullptr) {
    TPEImage image(file);
    TResourceDataOperator op(image.FindSection(".rsrc"));
    if (damaged) *damaged = op.DamagedEntries;
    return Records(op);
}

struct TIcoImage {
    Bytes Entry;  // the first 12 bytes of its directory entry
    Bytes Data;
};

std::vector<TIcoImage> ParseIco(const Bytes& f) {
    std::vector<TIcoImage> out;
    if (f.size() < 6) return out;
    unsigned n = GetLE16(f.data() + 4);
    for (unsigned i = 0; i < n && 6 + 16 * (i + 1) <= f.size(); ++i) {
        const uint8_t* e = f.data() + 6 + 16 * i;
        uint32_t size = GetLE32(e + 8), offset = GetLE32(e + 12);
        if (offset + uint64_t(size) > f.size()) return {};
        out.push_back({Bytes(e, e + 12), Bytes(f.begin() + offset, f.begin() + offset + size)});
    }
    return out;
}

std::string Copy(const TempDir& dir, const fs::path& from, const std::string& name) {
    fs::copy_file(from, dir.Path() / name, fs::copy_options::overwrite_existing);
    return dir.File(name);
}

bool SetIcon(const std::string& exe, const fs::path& ico, const std::string& group = "MAINICON") {
    TFileStream icon(NativePath(ico), fmOpenRead | fmShareDenyNone);
    return ReplaceIconFromStream(exe, icon, group);
}

// Runs a Windows program: directly when the tests run under Wine, else not at all.
int RunProgram(const std::string& exe, const std::string& arguments = std::string()) {
#ifdef _WIN32
    std::string command = "\"" + exe + "\" " + arguments;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD code = 259;
    if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
#else
    (void)exe; (void)arguments;
    return -2;
#endif
}

// An independent walk over a rebuilt section: where the name strings and the data lie.
struct TLayout {
    std::vector<uint32_t> NameOffsets, DataRvas;
    bool Ok = true;
};
void Walk(const uint8_t* b, uint32_t size, uint32_t dir, int level, TLayout& out) {
    if (level > 3 || dir + 16 > size) { out.Ok = false; return; }
    unsigned n = GetLE16(b + dir + 12) + GetLE16(b + dir + 14);
    for (unsigned i = 0; i < n; ++i) {
        uint32_t e = dir + 16 + 8 * i;
        if (e + 8 > size) { out.Ok = false; return; }
        uint32_t name = GetLE32(b + e), off = GetLE32(b + e + 4);
        if (HighBitSet(name)) out.NameOffsets.push_back(ClearHighBit(name));
        if (HighBitSet(off)) Walk(b, size, ClearHighBit(off), level + 1, out);
        else if (level == 2 && off + 16 <= size) out.DataRvas.push_back(GetLE32(b + off));
        else out.Ok = false;
    }
}

// The section layout a loader expects: section table in address order without holes,
// SizeOfImage covering the last, every raw block inside the file and not overlapping.
void ExpectSoundLayout(const std::string& file) {
    TPEImage image(file);
    ASSERT_TRUE(image.NTHeaders);
    uint32_t sa = image.NTHeaders->SectionAlignment();
    uint32_t expected = image.Sections.front()->VirtualAddress();
    std::vector<std::pair<uint32_t, uint32_t>> raw;
    for (auto& s : image.Sections) {
        EXPECT_EQ(s->VirtualAddress(), expected) << s->Name();
        expected = s->VirtualAddress() + AlignUp(s->VirtualSize(), sa);
        if (s->HasRawData()) raw.emplace_back(s->PointerToRawData(), s->SizeOfRawData());
    }
    EXPECT_EQ(image.NTHeaders->SizeOfImageField(), expected);
    std::sort(raw.begin(), raw.end());
    for (size_t i = 1; i < raw.size(); ++i) EXPECT_LE(raw[i - 1].first + raw[i - 1].second, raw[i].first);
    EXPECT_EQ(uint64_t(image.EndOfImage()), fs::file_size(fs::path(file)));
}

uint32_t SectionRva(const std::string& file, const std::string& name) {
    TPEImage image(file);
    TSectionHeader* s = image.FindSection(name);
    return s ? s->VirtualAddress() : 0;
}

Bytes SectionBytes(const std::string& file, const std::string& name) {
    TPEImage image(file);
    TSectionHeader* s = image.FindSection(name);
    if (!s) return {};
    return Bytes(s->SectionData->View(), s->SectionData->View() + s->VirtualSize());
}

// What a group leaf lists, and the records of the icons it names.
std::vector<uint16_t> GroupIds(const Bytes& group) {
    std::vector<uint16_t> ids;
    for (unsigned i = 0; group.size() >= 6 && i < GetLE16(group.data() + 4) && 6 + 14 * (i + 1) <= group.size(); ++i)
        ids.push_back(GetLE16(group.data() + 6 + 14 * i + 12));
    return ids;
}

const TRecord* Find(const std::vector<TRecord>& r, const std::string& type, const std::string& name) {
    for (auto& x : r)
        if (std::get<0>(x) == type && std::get<1>(x) == name) return &x;
    return nullptr;
}

// Checks a replaced group: its entries match the icon file's, every image it names holds
// exactly the file's bytes, and nothing else changed apart from the old images it alone used.
void ExpectReplaced(const std::vector<TRecord>& before, const std::vector<TRecord>& after,
                    const std::string& group, const Bytes& icoFile) {
    auto images = ParseIco(icoFile);
    const TRecord* g = Find(after, "14", group);
    ASSERT_TRUE(g);
    const Bytes& data = std::get<4>(*g);
    ASSERT_EQ(data.size(), 6 + 14 * images.size());
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 6, icoFile.begin()));
    std::vector<uint16_t> ids = GroupIds(data);
    std::set<std::string> newIcons;
    for (size_t i = 0; i < images.size(); ++i) {
        EXPECT_TRUE(std::equal(images[i].Entry.begin(), images[i].Entry.end(), data.begin() + 6 + 14 * i));
        const TRecord* icon = Find(after, "3", std::to_string(ids[i]));
        ASSERT_TRUE(icon) << ids[i];
        EXPECT_EQ(std::get<4>(*icon), images[i].Data);
        EXPECT_EQ(std::get<2>(*icon), std::get<2>(*g));  // the group's language
        newIcons.insert(std::to_string(ids[i]));
    }
    const TRecord* oldGroup = Find(before, "14", group);
    ASSERT_TRUE(oldGroup);
    std::set<std::string> oldIcons;
    for (uint16_t id : GroupIds(std::get<4>(*oldGroup))) oldIcons.insert(std::to_string(id));
    std::set<std::string> stillUsed;
    for (auto& r : before)
        if (std::get<0>(r) == "14" && &r != oldGroup)
            for (uint16_t id : GroupIds(std::get<4>(r))) stillUsed.insert(std::to_string(id));
    auto other = [&](const std::vector<TRecord>& list, const std::set<std::string>& icons) {
        std::vector<TRecord> out;
        for (auto& r : list) {
            if (std::get<0>(r) == "14" && std::get<1>(r) == group) continue;
            if (std::get<0>(r) == "3" && icons.count(std::get<1>(r)) && !stillUsed.count(std::get<1>(r))) continue;
            out.push_back(r);
        }
        return out;
    };
    EXPECT_EQ(other(before, oldIcons), other(after, newIcons));
}

}  // namespace

TEST(ResourceTree, ReadsNamedTypesLanguagesAndStringNames) {
    unsigned damaged = 1;
    auto records = Records(NativePath(ResFixture("app.exe")), &damaged);
    EXPECT_EQ(damaged, 0u);
    std::set<std::tuple<std::string, std::string, uint32_t>> keys;
    for (auto& r : records) keys.emplace(std::get<0>(r), std::get<1>(r), std::get<2>(r));
    for (auto k : {std::make_tuple("'REGISTRY'", "'SCRIPT'", 1041u), std::make_tuple("300", "7", 1041u),
                   std::make_tuple("10", "'HELLO'", 1033u), std::make_tuple("10", "'HELLO'", 1041u),
                   std::make_tuple("6", "1", 1033u), std::make_tuple("14", "'MAINICON'", 1041u),
                   std::make_tuple("14", "2", 1041u), std::make_tuple("16", "1", 0u)})
        EXPECT_TRUE(keys.count(std::make_tuple(std::string(std::get<0>(k)), std::string(std::get<1>(k)), std::get<2>(k))))
            << std::get<0>(k) << " " << std::get<1>(k);
    const TRecord* hello = nullptr;
    for (auto& r : records)
        if (std::get<1>(r) == "'HELLO'" && std::get<2>(r) == 1033) hello = &r;
    ASSERT_TRUE(hello);
    EXPECT_EQ(std::get<4>(*hello), ToBytes(std::string("hello\0", 6)));

    TPEImage image(NativePath(ResFixture("app.exe")));
    TResourceDataOperator op(image.FindSection(".RSRC"));
    TResourceItem* leaf = op.FindEntry(14, "mainicon");
    ASSERT_TRUE(leaf);
    EXPECT_EQ(leaf->Level, TResourceItem::LanguageLevel);
    EXPECT_EQ(op.FindType(3)->Name, "Icon");
    EXPECT_EQ(op.FindEntry(14, "OTHER"), nullptr);
}

TEST(ResourceTree, RebuildKeepsEveryResourceAndIsStable) {
    TempDir dir;
    for (const char* name : {"app.exe", "app_debug.exe"}) {
        std::string exe = Copy(dir, ResFixture(name), name);
        auto before = Records(exe);
        uint32_t length = 0;
        {
            TPEImage image(exe);
            TResourceDataOperator op(image.FindSection(".rsrc"));
            op.Rebuild();
            image.Save();
            TSectionHeader* s = image.FindSection(".rsrc");
            length = s->SectionData->DataLength;
            EXPECT_EQ(s->VirtualSize(), length);
            EXPECT_EQ(s->SizeOfRawData(), AlignUp(length, image.NTHeaders->FileAlignment()));
            EXPECT_EQ(image.NTHeaders->DataDirectorySize(2), length);
            EXPECT_EQ(GetLE32(image.NTHeaders->View() + 88), 0u);  // CheckSum
        }
        EXPECT_EQ(Records(exe), before) << name;
        ExpectSoundLayout(exe);

        TLayout layout;
        Bytes section = SectionBytes(exe, ".rsrc");
        Walk(section.data(), static_cast<uint32_t>(section.size()), 0, 0, layout);
        EXPECT_TRUE(layout.Ok);
        EXPECT_EQ(layout.DataRvas.size(), before.size());
        for (uint32_t n : layout.NameOffsets) EXPECT_EQ(n % 2, 0u);
        for (uint32_t r : layout.DataRvas) EXPECT_EQ(r % 4, 0u);

        // Reading the rebuilt file and saving it again gives the same bytes.
        Bytes once = ReadFile(exe);
        {
            TPEImage image(exe);
            TResourceDataOperator op(image.FindSection(".rsrc"));
            op.Rebuild();
            image.Save();
        }
        EXPECT_EQ(ReadFile(exe), once) << name;
        EXPECT_EQ(RunProgram(exe), RunProgram(NativePath(ResFixture(name))));
    }
}

TEST(IconReplacement, IconsOfOneThreeAndSevenImagesGrowAndShrinkTheSection) {
    TempDir dir;
    std::string exe = Copy(dir, ResFixture("app.exe"), "app.exe");
    Bytes relocations = SectionBytes(exe, ".reloc");
    ASSERT_FALSE(relocations.empty());
    // 7 images with a 256x256 PNG make the section outgrow the room before .reloc; 1 shrinks it.
    for (const char* ico : {"icon7.ico", "icon1.ico", "icon3.ico", "icon7.ico"}) {
        auto before = Records(exe);
        uint32_t relocRva = SectionRva(exe, ".reloc");
        ASSERT_TRUE(SetIcon(exe, ResFixture(ico))) << ico;
        auto after = Records(exe);
        ExpectReplaced(before, after, "'MAINICON'", ReadFile(NativePath(ResFixture(ico))));
        ExpectSoundLayout(exe);
        EXPECT_EQ(SectionBytes(exe, ".reloc"), relocations);
        TPEImage image(exe);
        EXPECT_EQ(image.NTHeaders->DataDirectoryAddress(5),
                  image.FindSection(".reloc")->VirtualAddress());
        if (std::string(ico) == "icon7.ico") {
            EXPECT_GT(SectionRva(exe, ".reloc"), relocRva);
        }
#ifdef _WIN32
        EXPECT_EQ(RunProgram(exe), 42) << ico;
#endif
    }
    // A one-group program gets the numbers 1..n in its group; the other group's icon stays.
    auto records = Records(exe);
    EXPECT_EQ(GroupIds(std::get<4>(*Find(records, "14", "'MAINICON'"))).size(), 7u);
    EXPECT_TRUE(Find(records, "14", "2"));
}

TEST(IconReplacement, DebugSectionsAndSymbolTableBehindTheResources) {
    TempDir dir;
    std::string exe = Copy(dir, ResFixture("app_debug.exe"), "app.exe");
    Bytes debugInfo = SectionBytes(exe, ".debug_info");
    auto before = Records(exe);
    ASSERT_TRUE(SetIcon(exe, ResFixture("icon7.ico")));
    ExpectReplaced(before, Records(exe), "'MAINICON'", ReadFile(NativePath(ResFixture("icon7.ico"))));
    ExpectSoundLayout(exe);
    TPEImage image(exe);
    EXPECT_EQ(GetLE32(image.NTHeaders->View() + 12), 0u);  // the dropped symbol table is not referenced
#ifdef _WIN32
    EXPECT_EQ(RunProgram(exe), 42);
#endif
}

TEST(IconReplacement, LeavesTheFileUntouchedWhenNothingMatchesOrTheSectionCannotGrow) {
    TempDir dir;
    std::string exe = Copy(dir, ResFixture("app.exe"), "app.exe");
    Bytes original = ReadFile(exe);
    EXPECT_FALSE(SetIcon(exe, ResFixture("icon3.ico"), "NOSUCHGROUP"));
    EXPECT_EQ(ReadFile(exe), original);
    EXPECT_FALSE(SetIcon(dir.File("missing.exe"), ResFixture("icon3.ico")));

    // A bad icon file changes nothing.
    WriteFile(dir.File("bad.ico"), ToBytes(std::string("\0\0\1\0\5\0garbage", 13)));
    EXPECT_THROW(SetIcon(exe, dir.Path() / "bad.ico"), EReadError);
    EXPECT_EQ(ReadFile(exe), original);

    // A section behind the resources that must keep its address (not discardable): the
    // resources may shrink, never grow.
    Bytes pinned = original;
    {
        TPEImage image(exe);
        TSectionHeader* reloc = image.FindSection(".reloc");
        size_t header = image.DOSHeader->Size + image.NTHeaders->Size;
        for (size_t i = 0; i < image.Sections.size(); ++i)
            if (image.Sections[i].get() == reloc) header += 40 * i;
        SetLE32(pinned.data() + header + 36, reloc->Characteristics() & ~0x02000000u);
    }
    WriteFile(exe, pinned);
    EXPECT_THROW(SetIcon(exe, ResFixture("icon7.ico")), EResourceLayoutError);
    EXPECT_EQ(ReadFile(exe), pinned);
    uint32_t relocRva = SectionRva(exe, ".reloc");
    ASSERT_TRUE(SetIcon(exe, ResFixture("icon1.ico")));
    EXPECT_EQ(SectionRva(exe, ".reloc"), relocRva);
    ExpectSoundLayout(exe);
#ifdef _WIN32
    EXPECT_EQ(RunProgram(exe), 42);
#endif
}

TEST(IconReplacement, CertificateTableIsNotLeftPointingPastTheEnd) {
    TempDir dir;
    Bytes file = ReadFile(NativePath(ResFixture("app.exe")));
    uint32_t end = static_cast<uint32_t>(file.size());
    file.resize(file.size() + 512, 0x5A);
    uint32_t lfanew = GetLE32(file.data() + 60);
    SetLE32(file.data() + lfanew + 24 + 96 + 8 * 4, end);
    SetLE32(file.data() + lfanew + 24 + 96 + 8 * 4 + 4, 512);
    std::string exe = dir.File("signed.exe");
    WriteFile(exe, file);
    ASSERT_TRUE(SetIcon(exe, ResFixture("icon3.ico")));
    TPEImage image(exe);
    EXPECT_EQ(image.NTHeaders->DataDirectoryAddress(4), 0u);
    EXPECT_EQ(image.NTHeaders->DataDirectorySize(4), 0u);
    EXPECT_EQ(uint64_t(image.EndOfImage()), fs::file_size(fs::path(exe)));
}

TEST(ResourceTree, DamagedTreesAreCutShortAndNeverRewritten) {
    TempDir dir;
    Bytes original = ReadFile(NativePath(ResFixture("app.exe")));
    uint32_t base;
    {
        TPEImage image(NativePath(ResFixture("app.exe")));
        base = image.FindSection(".rsrc")->PointerToRawData();
    }
    struct TCase {
        const char* What;
        void (*Damage)(uint8_t* rsrc);
    };
    const TCase cases[] = {
        {"type entry pointing back at the root", [](uint8_t* r) { SetLE32(r + 16 + 4, 0x80000000u); }},
        {"entry count beyond the section", [](uint8_t* r) { SetLE16(r + 14, 0xFFFF); }},
        {"subdirectory outside the section", [](uint8_t* r) { SetLE32(r + 16 + 4, 0xFFFFFFF0u); }},
        {"string name outside the section", [](uint8_t* r) { SetLE32(r + 16, 0xFFFFFFF0u); }},
        {"two types sharing one directory", [](uint8_t* r) { SetLE32(r + 24 + 4, GetLE32(r + 16 + 4)); }},
    };
    for (const TCase& c : cases) {
        Bytes damaged = original;
        c.Damage(damaged.data() + base);
        std::string exe = dir.File("damaged.exe");
        WriteFile(exe, damaged);
        unsigned count = 0;
        Records(exe, &count);
        EXPECT_GT(count, 0u) << c.What;
        EXPECT_THROW(SetIcon(exe, ResFixture("icon3.ico")), EImageBlockException) << c.What;
        EXPECT_EQ(ReadFile(exe), damaged) << c.What;
    }
    // Random damage anywhere in the directory: reading never fails, and whatever reads as
    // undamaged survives a rebuild unchanged.
    for (uint32_t seed = 0; seed < 300; ++seed) {
        Bytes damaged = original;
        Bytes noise = RandomBytes(8, seed);
        uint32_t at = base + (GetLE32(noise.data()) % 0x200);
        for (int i = 4; i < 8; ++i) damaged[at + i - 4] = noise[i];
        TMemoryStream stream;
        stream.WriteBuffer(damaged.data(), damaged.size());
        stream.SetPosition(0);
        TPEImage image;
        image.LoadFromStream(stream);
        TResourceDataOperator op(image.FindSection(".rsrc"));
        auto before = Records(op);
        op.Rebuild();
        op.Parse();
        EXPECT_EQ(op.DamagedEntries, 0u) << seed;
        EXPECT_EQ(Records(op), before) << seed;
    }
}

namespace {

size_t CountItems(const TResourceItem& node) {
    size_t n = 1;
    for (const auto& c : node.Children) n += CountItems(*c);
    return n;
}

}  // namespace

// Directories that overlap, each full of entries pointing at a directory already read: the
// tree, and the work of reading it, must stay in proportion to the section. Read naively,
// this megabyte gives a billion entries, each an item.
TEST(ResourceTree, OverlappingDirectoriesAreReadInProportionToTheSection) {
    const uint32_t size = 1u << 20, types = 0x8000, first = 16 + 8 * types;
    Bytes image = BuildPE({{".rsrc", size, 0x1000, size, 0x400, 0}});
    uint8_t* r = image.data() + 0x400;
    SetLE16(r + 14, types);
    for (uint32_t i = 0; i < types; ++i) {
        SetLE32(r + 16 + 8 * i, i + 1);
        SetLE32(r + 16 + 8 * i + 4, SetHighBit(first + 8 * i));  // type directories 8 bytes apart
    }
    // Read as a header, these words give 0x8000 entries; read as an entry, each points at the root.
    for (uint32_t at = first; at + 8 <= size; at += 8) {
        SetLE32(r + at, 1);
        SetLE32(r + at + 4, SetHighBit(0));
    }
    TMemoryStream stream;
    stream.WriteBuffer(image.data(), image.size());
    TPEImage pe;
    pe.LoadFromStream(stream);
    TResourceDataOperator op(pe.FindSection(".rsrc"));
    EXPECT_EQ(CountItems(*op.Root), 1u + types);  // the root and the types, no name nodes
    EXPECT_EQ(op.DamagedEntries, types * 0x8000u);  // every entry of every type directory
    EXPECT_TRUE(Records(op).empty());
}

TEST(PackVerbs, ResourcesAndSetIcon) {
    TempDir dir;
    std::string exe = Copy(dir, ResFixture("app.exe"), "app.exe");
    CapturedOut.clear();
    ASSERT_EQ(CmdResources({exe, "--json"}), ExitOk);
    std::string before = CapturedOut;
    EXPECT_NE(before.find("\"type\": \"REGISTRY\", \"name\": \"SCRIPT\", \"language\": 1041"), std::string::npos)
        << before;
    EXPECT_NE(before.find("\"type\": 300, \"name\": 7"), std::string::npos);
    EXPECT_NE(before.find("\"sha256\": \"" + Sha256Hex("hello\0", 6) + "\""), std::string::npos);

    CapturedErr.clear();
    EXPECT_EQ(CmdSetIcon({exe, NativePath(ResFixture("icon3.ico")), "--group", "NOPE"}), ExitNotFound);
    EXPECT_NE(CapturedErr.find("NOPE"), std::string::npos);
    EXPECT_EQ(CmdSetIcon({exe, NativePath(ResFixture("icon7.ico"))}), ExitOk);
    CapturedOut.clear();
    ASSERT_EQ(CmdResources({exe}), ExitOk);
    EXPECT_NE(CapturedOut.find("14\t\"MAINICON\"\t1041\t0\t" + std::to_string(6 + 7 * 14) + "\t"), std::string::npos)
        << CapturedOut;
    EXPECT_EQ(CmdSetIcon({dir.File("none.exe"), NativePath(ResFixture("icon7.ico"))}), ExitNotFound);
    EXPECT_THROW(CmdSetIcon({exe}), EUsage);
}

// Programs nobody here wrote: Wine's own PE32 executables.
TEST(WinePrograms, SetIconChangesOnlyTheGroupAndItsImages) {
    fs::path programs = EnvPath("KESTRIN_WINE_PROGRAMS");
    if (programs.empty() || !fs::exists(programs)) GTEST_SKIP() << "Wine's PE32 programs are not installed";
#ifndef _WIN32
    if (std::system("wrestool --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "wrestool (icoutils) is not installed";
#endif
    TempDir dir;
    Bytes icoFile = ReadFile(NativePath(ResFixture("icon7.ico")));
    int tested = 0;
    for (const char* name : {"cmd.exe", "notepad.exe", "regedit.exe", "taskmgr.exe", "winemine.exe"}) {
        if (!fs::exists(programs / name)) continue;
        std::string exe = Copy(dir, programs / name, name);
        auto before = Records(exe);
        std::string group;
        for (auto& r : before)
            if (std::get<0>(r) == "14") { group = std::get<1>(r); break; }
        if (group.empty()) continue;
        std::string groupArg = group[0] == '\'' ? group.substr(1, group.size() - 2) : group;
        ASSERT_TRUE(SetIcon(exe, ResFixture("icon7.ico"), groupArg)) << name;
        ExpectReplaced(before, Records(exe), group, icoFile);
        ExpectSoundLayout(exe);
        ++tested;
#ifdef _WIN32
        if (std::string(name) == "cmd.exe") {
            EXPECT_EQ(RunProgram(exe, "/c exit 7"), 7);
        }
#else
        // wrestool reads the group and its images back as an icon file with exactly our images.
        std::string out = (dir.Path() / "out.ico").string();
        std::string cmd = "wrestool -x --type=14 --name=" + groupArg + " -o " + out + " " + exe + " 2>/dev/null";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        auto extracted = ParseIco(ReadFile(out)), expected = ParseIco(icoFile);
        ASSERT_EQ(extracted.size(), expected.size()) << name;
        for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(extracted[i].Data, expected[i].Data) << name << i;
#endif
    }
    EXPECT_GT(tested, 0);
}
