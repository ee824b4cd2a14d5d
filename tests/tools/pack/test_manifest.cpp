#include "container/OddBitmaps.h"
#include "TestSupport.h"
#include "CommandLine.h"
#include "Json.h"
#include "Manifest.h"
#include "container/uInstallerContract.h"
#include "Sha256.h"
#include <gtest/gtest.h>

using namespace testing_support;
using namespace std::string_literals;

// The tool refuses exactly the names the installer refuses (the same table drives the installer's
// test), each with a sentence naming the key.
TEST(Manifest, ScreensaverNamesAreJudgedAsTheInstallerJudgesThem) {
    TempDir dir;
    const auto cases = ScrNameCases();
    ASSERT_GE(cases.size(), 20u);
    for (const TScrNameCase& c : cases) {
        SCOPED_TRACE(c.Name + " in code page " + std::to_string(c.CodePage));
        WriteFile(dir.File("m.toml"), ToBytes("codepage = " + std::to_string(c.CodePage) +
                                              "\nguid = \"g\"\nscr_name = '" + c.Name + "'\n"));
        try {
            LoadManifest(dir.File("m.toml"));
            EXPECT_TRUE(c.Accepted) << "built, but the installer refuses it";
        } catch (const EManifestError& e) {
            EXPECT_FALSE(c.Accepted) << e.Message;
            EXPECT_NE(e.Message.find("\"scr_name\": must be a plain file name"), std::string::npos) << e.Message;
        }
    }
    // Beyond the table: the bytes, not the characters, are limited, and a name must be there.
    for (const char* bad : {"", "tab\there", "q?"}) EXPECT_FALSE(IsValidScrName(bad, 1252)) << bad;
    EXPECT_TRUE(IsValidScrName(std::string(200, 'a'), 1252));
    EXPECT_FALSE(IsValidScrName(std::string(201, 'a'), 1252));
    EXPECT_FALSE(IsValidScrName("\x81", 1252)) << "no character of the code page";
}

TEST(Manifest, WelcomePatternsTakeExactlyOneString) {
    for (const char* ok : {"%s", "Install %s", "100%% %s", "%s%%"}) EXPECT_TRUE(IsSingleStringPattern(ok)) << ok;
    for (const char* bad : {"", "none", "%s %s", "%d", "%", "%s %", "%5s", "%0:s"})
        EXPECT_FALSE(IsSingleStringPattern(bad)) << bad;
}

TEST(Manifest, PlayerVersionsAreDottedNumbers) {
    for (const char* ok : {"9", "9.0", "9.0.45.0", "10.0.32.18"}) EXPECT_TRUE(IsDottedVersion(ok)) << ok;
    for (const char* bad : {"", "9,0,45,0", "9.0.", ".9", "9..0", "v9", "9.0.45.0.1", "9.0 beta", "1234567890"})
        EXPECT_FALSE(IsDottedVersion(bad)) << bad;
}

TEST(Manifest, PicturesAndIconsAreCheckedForWhatTheyClaim) {
    std::string why;
    std::string bmp = [] { auto b = ReadFile(SourceFile("demo/files/top.bmp")); return std::string(b.begin(), b.end()); }();
    std::string ico = [] { auto b = ReadFile(SourceFile("demo/files/icon.ico")); return std::string(b.begin(), b.end()); }();
    ASSERT_FALSE(bmp.empty());
    EXPECT_TRUE(LooksLikeBmp(bmp, why)) << why;
    EXPECT_TRUE(LooksLikeIco(ico, why)) << why;
    EXPECT_FALSE(LooksLikeBmp(ico, why));
    EXPECT_FALSE(LooksLikeIco(bmp, why));
    EXPECT_FALSE(LooksLikeBmp(bmp.substr(0, 20), why));
    std::string shortIco = ico.substr(0, ico.size() - 1);
    EXPECT_FALSE(LooksLikeIco(shortIco, why));
    EXPECT_NE(why.find("runs past the file"), std::string::npos);
}

TEST(Manifest, PicturesAreRefusedExactlyWhenTheInstallerCannotDrawThem) {
    std::string why;
    auto text = [](const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); };
    EXPECT_FALSE(LooksLikeBmp(text(oddbitmaps::RunLength8()), why));
    EXPECT_NE(why.find("run-length"), std::string::npos) << why;
    EXPECT_TRUE(LooksLikeBmp(text(oddbitmaps::BitFields444()), why)) << why;
}

TEST(Manifest, ItemsCarryComputedDigestAndLengthUnlessOverridden) {
    TempDir dir;
    Bytes program = ReadFile(Fixture("tiny.exe"));
    ASSERT_FALSE(program.empty());
    const std::string payload = std::string(program.begin(), program.end()) + "payload";
    WriteFile(dir.File("s.scr"), ToBytes(payload));
    auto write = [&](const std::string& text) {
        WriteFile(dir.File("m.toml"), ToBytes(text));
        return LoadManifest(dir.File("m.toml"));
    };
    auto find = [](const TManifest& m, const std::string& name) {
        for (auto& i : m.Items) if (i.Name == name) return i.Value;
        return std::string("<absent>");
    };
    TManifest m = write("guid = \"g\"\nscr_name = \"s\"\nscr = \"s.scr\"\ncheck_admin = false\n");
    EXPECT_TRUE(m.HasScr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(m.Scr.Data()), m.Scr.Size()), payload);
    EXPECT_FALSE(m.Mxf);
    EXPECT_FALSE(m.Mxl);
    EXPECT_EQ(find(m, "InstallerCheckAdmin"), std::string(1, '\0'));
    EXPECT_EQ(find(m, "InstallerSilent"), "<absent>");  // unset switches keep the installer's default
    EXPECT_EQ(find(m, "SCR"), "<absent>");              // the payload is carried apart
    m = write("guid = \"g\"\nscr_name = \"s\"\nmxf = \"abc\"\nmxl = 3\n");
    EXPECT_FALSE(m.HasScr);
    EXPECT_EQ(m.Mxf.value_or(""), "abc");
    EXPECT_EQ(m.Mxl.value_or(0), 3u);
    EXPECT_THROW(write("guid = \"g\"\nscr_name = \"s\"\nmxl = -1\n"), EManifestError);
    WriteFile(dir.File("path.txt"), ToBytes("C:\\Savers"));
    EXPECT_EQ(find(write("guid = \"g\"\nscr_name = \"s\"\ninstall_path_file = \"path.txt\"\n"), "InstallerPath"), "C:\\Savers");
    EXPECT_THROW(write("guid = \"g\"\nscr_name = \"s\"\ntitle = \"\xe2\x82\xac\"\ncodepage = 932\n"), EManifestError);
    EXPECT_THROW(write("guid = \"g\"\nscr_name = \"s\"\neula = \"a\"\neula_file = \"b\"\n"), EManifestError);
}

// Text files are stored as they are: they must already be text of the code page they are shown in.
TEST(Manifest, TextFilesMustBeTextOfTheirCodePage) {
    std::string why;
    for (unsigned cp : {1252u, 932u, 65001u}) EXPECT_TRUE(LooksLikeText("plain\r\ntext\t\f", cp, why)) << cp << why;
    EXPECT_TRUE(LooksLikeText("", 1252, why));
    EXPECT_TRUE(LooksLikeText("na\xefve \x80", 1252, why)) << why;
    EXPECT_TRUE(LooksLikeText("\x93\xfa\x96\x7b", 932, why)) << why;  // two kanji
    EXPECT_TRUE(LooksLikeText("\xef\xbb\xbfna\xc3\xafve", 65001, why)) << why;

    const std::pair<std::string, const char*> refused[] = {
        {"\xef\xbb\xbfplain", "is UTF-8 text (line 1 "},          // a byte-order mark is beyond ASCII too
        {"a\nb\nna\xc3\xafve", "is UTF-8 text (line 3 "},
        {"\xff\xfe" "a\0"s, "is UTF-16 text"},
        {"text\0more"s, "holds a NUL byte"},
        {"\n\n\x8d", "byte 0x8D on line 3 is no character of it"},
    };
    for (const auto& [text, reason] : refused) {
        EXPECT_FALSE(LooksLikeText(text, 1252, why)) << text;
        EXPECT_NE(why.find(reason), std::string::npos) << why;
    }
    EXPECT_FALSE(LooksLikeText("ok\x93", 932, why));  // a lead byte cut off at the end
    EXPECT_NE(why.find("not code page 932 text"), std::string::npos) << why;
    EXPECT_FALSE(LooksLikeText("na\xefve", 65001, why));
}

TEST(CommandLine, OptionsStandAnywhereAndUnknownOnesAreRefused) {
    TCommandLine cl({"a", "-o", "out", "b", "--json", "--flag=1"}, {"-o", "--flag"}, {"--json"});
    EXPECT_EQ(cl.Positional(), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(cl.Value("-o"), "out");
    EXPECT_EQ(cl.Value("--flag"), "1");
    EXPECT_TRUE(cl.Has("--json"));
    EXPECT_THROW(TCommandLine({"--bogus"}, {}, {}), EUsage);
    EXPECT_THROW(TCommandLine({"-o"}, {"-o"}, {}), EUsage);
    EXPECT_EQ(TCommandLine({"--", "-o"}, {"-o"}, {}).Positional(), std::vector<std::string>{"-o"});
}

TEST(Json, EscapingUtf8CheckAndDigests) {
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_TRUE(IsValidUtf8("caf\xc3\xa9"));
    EXPECT_FALSE(IsValidUtf8("caf\xe9"));
    EXPECT_FALSE(IsValidUtf8("\xc0\xaf"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xed\xa0\x80"));      // surrogate
    EXPECT_EQ(TJsonWriter().BeginObject().Key("a").Number(1).Key("b").BeginArray().Bool(true).Null().EndArray()
                  .EndObject().Text(), "{\"a\": 1, \"b\": [true, null]}");
    EXPECT_EQ(Sha256Hex("abc", 3), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex("", 0), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    std::string m(1000000, 'a');
    TSha256 h;
    for (size_t i = 0; i < m.size(); i += 999) h.Update(m.data() + i, std::min<size_t>(999, m.size() - i));
    EXPECT_EQ(h.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}
