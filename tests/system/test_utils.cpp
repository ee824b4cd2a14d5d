#include "SystemTestSupport.h"
#include "system/uUtils.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const char ScratchKey[] = "Software\\KestrinTests\\Utils";
std::vector<std::string> Split(const std::string& text, const std::string& sep) {
    std::vector<std::string> list{"stale"};
    SplitText(list, text, sep);
    return list;
}
}  // namespace

TEST(Texts, SplitTextKeepsInnerEmptyPiecesButNoTrailingOne) {
    EXPECT_EQ(Split("1..2", "."), (std::vector<std::string>{"1", "", "2"}));
    EXPECT_EQ(Split("1.2.", "."), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Split(".1", "."), (std::vector<std::string>{"", "1"}));
    EXPECT_TRUE(Split("", ".").empty());
    EXPECT_EQ(Split("a::b", "::"), (std::vector<std::string>{"a", "b"}));
}

TEST(Texts, TrimRemovesControlCharactersAndNul) {
    EXPECT_EQ(Trim(std::string("\t x y \r\n\0", 9)), "x y");
    EXPECT_EQ(Trim("   "), "");
}

TEST(Texts, RemoveTrailingCharRemovesOneOnly) {
    EXPECT_EQ(RemoveTrailingChar("a\\\\", "\\"), "a\\");
    EXPECT_EQ(RemoveTrailingChar("a", "\\"), "a");
    EXPECT_EQ(RemoveTrailingChar("", "\\"), "");
}

TEST(Texts, QuoteAndUnquoteAreInverse) {
    EXPECT_EQ(QuoteStr("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(UnquoteStr(QuoteStr("C:\\Program Files\\x \"y\".exe", '"'), '"'), "C:\\Program Files\\x \"y\".exe");
    EXPECT_EQ(UnquoteStr("\"C:\\a b\\c.exe\" -x \"%1\"", '"'), "C:\\a b\\c.exe");
    EXPECT_EQ(UnquoteStr("plain text", '"'), "plain text");
    EXPECT_EQ(UnquoteStr("\"open", '"'), "open");
}

TEST(RegistryPath, SplitsAtTheLastBackslash) {
    std::string key = "x", name = "y";
    SplitRegPath("ProgramFilesDir", key, name);
    EXPECT_EQ(key, "");
    EXPECT_EQ(name, "ProgramFilesDir");
    SplitRegPath("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir", key, name);
    EXPECT_EQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(name, "ProgramFilesDir");
    SplitRegPath("Key\\", key, name);
    EXPECT_EQ(key, "Key");
    EXPECT_EQ(name, "");
}

TEST(Versions, ComparesPiecesAsNumbers) {
    EXPECT_EQ(CompareVersions("1.10", "1.9"), 1);
    EXPECT_EQ(CompareVersions("1.9", "1.10"), -1);
    EXPECT_EQ(CompareVersions("1.0", "1"), 0);
    EXPECT_EQ(CompareVersions("a.b", "0"), 0);
    EXPECT_EQ(CompareVersions("", "0.0.0.0"), 0);
    EXPECT_EQ(CompareVersions("1..2", "1.0.2"), 0);
    EXPECT_EQ(CompareVersions("99999999999", "0"), 0);  // out of range counts as 0
    EXPECT_TRUE(VersionAtLeast("9.0.28.0", "9"));
    EXPECT_FALSE(VersionAtLeast("9.0.124.0", "10.0"));
    EXPECT_TRUE(VersionAtLeast("0.0.0.0", ""));
    EXPECT_TRUE(VersionAtLeast("10.0.1", "10.0.1.0"));
    EXPECT_FALSE(VersionAtLeast("10.0.1", "10.0.1.1"));
}

TEST(Registry, RoundTripByPathUnderCurrentUser) {
    TScratchKey scratch(HKEY_CURRENT_USER, ScratchKey);
    WriteRegValueByPath(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Sub\\DisplayName", "Kestrin Demo");
    EXPECT_EQ(ReadRegValueByPath(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Sub\\DisplayName"), "Kestrin Demo");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Sub", "DisplayName"), "Kestrin Demo");
    EXPECT_EQ(ReadRegValueByPath(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Sub\\Missing"), "");
    EXPECT_EQ(ReadRegValueByPath(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\NoKey\\DisplayName"), "");

    // The writer counts no terminator; the bytes stored are exactly the text.
    TRegKey key;
    ASSERT_TRUE(key.Open(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Sub", KEY_QUERY_VALUE));
    char buffer[64];
    DWORD size = sizeof buffer, type = 0;
    ASSERT_TRUE(key.QueryValue("DisplayName", type, buffer, size));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_GE(size, 12u);
    EXPECT_EQ(std::string(buffer, 12), "Kestrin Demo");
}

TEST(Registry, DefaultValueWithAndWithoutTrailingBackslash) {
    TScratchKey scratch(HKEY_CURRENT_USER, ScratchKey);
    WriteRegString(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Def", "", "  default text \t");
    EXPECT_EQ(ReadRegDefault(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Def"), "default text");
    EXPECT_EQ(ReadRegDefault(HKEY_CURRENT_USER, std::string(ScratchKey) + "\\Def\\"), "default text");
}

TEST(Registry, NeverReadsPastTheReturnedBytes) {
    TScratchKey scratch(HKEY_CURRENT_USER, ScratchKey);
    const std::string key = ScratchKey;
    // No terminator stored: every byte is kept, nothing beyond it shows up.
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "NoNul", REG_BINARY, "abc", 3));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "NoNul"), "abc");
    // A size of 0.
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "Empty", REG_BINARY, "", 0));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "Empty"), "");
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "EmptySz", REG_SZ, "", 0));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "EmptySz"), "");
    // Bytes after an inner NUL are not text.
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "Inner", REG_BINARY, "ab\0cd", 5));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "Inner"), "ab");
    // 254 characters and their terminator fit the 255-byte buffer; one more does not.
    std::string fits(254, 'x'), tooLong(255, 'y');
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "Fits", REG_SZ, fits.c_str(), 255));
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "TooLong", REG_SZ, tooLong.c_str(), 256));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "Fits"), fits);
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "TooLong"), "");
    // 255 bytes without a terminator still fit and lose nothing.
    ASSERT_TRUE(WriteRawValue(HKEY_CURRENT_USER, key, "Full", REG_BINARY, tooLong.c_str(), 255));
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key, "Full"), tooLong);
}

TEST(Registry, KeysAreMovedNotShared) {
    TScratchKey scratch(HKEY_CURRENT_USER, ScratchKey);
    TRegKey a;
    ASSERT_TRUE(a.Create(HKEY_CURRENT_USER, ScratchKey, KEY_ALL_ACCESS));
    TRegKey b(std::move(a));
    EXPECT_FALSE(a.IsOpen());
    ASSERT_TRUE(b.IsOpen());
    EXPECT_TRUE(b.SetText("v", "w", true));
    a = std::move(b);
    EXPECT_TRUE(a.IsOpen());
    EXPECT_FALSE(b.IsOpen());
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, ScratchKey, "v"), "w");
}

TEST(Shell, AssociatedCommandFromKeysTheTestWrites) {
    TScratchKey ext(HKEY_CLASSES_ROOT, ".kestrintest");
    TScratchKey type(HKEY_CLASSES_ROOT, "KestrinTest.File");
    WriteRegString(HKEY_CLASSES_ROOT, ".kestrintest", "", "KestrinTest.File");
    const std::string command = "KestrinTest.File\\shell\\open\\command";

    WriteRegString(HKEY_CLASSES_ROOT, command, "", "\"C:\\Program Files\\Web\\browser.exe\" -nohome \"%1\"");
    EXPECT_EQ(GetAssociatedCommand("kestrintest"), "\"C:\\Program Files\\Web\\browser.exe\"");
    EXPECT_EQ(GetAssociatedCommand(".kestrintest"), GetAssociatedCommand("kestrintest"));

    WriteRegString(HKEY_CLASSES_ROOT, command, "", "C:\\PROGRA~1\\Web\\browser.exe -nohome \"%1\"");
    EXPECT_EQ(GetAssociatedCommand(".kestrintest"), "\"C:\\PROGRA~1\\Web\\browser.exe\"");

    WriteRegString(HKEY_CLASSES_ROOT, command, "", "C:\\WEB\\BROWSER.EXE '%1'");
    EXPECT_EQ(GetAssociatedCommand(".kestrintest"), "\"C:\\WEB\\BROWSER.EXE\"");

    WriteRegString(HKEY_CLASSES_ROOT, command, "", "\"%1\"");
    EXPECT_EQ(GetAssociatedCommand(".kestrintest"), "");

    WriteRegString(HKEY_CLASSES_ROOT, command, "", "");
    EXPECT_EQ(GetAssociatedCommand(".kestrintest"), "");
    EXPECT_EQ(GetAssociatedCommand(".kestrin-none"), "");
}

TEST(FileVersion, ProductVersionNotFileVersion) {
    EXPECT_EQ(GetFileVersionText(BuildFile("tests/system/fixtures/standin_New.dll")), "32.0.0.465");
    EXPECT_EQ(GetFileVersionText(BuildFile("tests/system/fixtures/standin_Old.dll")), "9.0.28.0");
    // A program without a version resource, and no file at all.
    EXPECT_EQ(GetFileVersionText(BuildFile("tests/system/dll_probe.exe")), "");
    EXPECT_EQ(GetFileVersionText(BuildFile("tests/system/fixtures/missing.dll")), "");
}
