#include "TestSupport.h"
#include "controls/uResourceIcon.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
std::string ResFixture(const std::string& name) { return NativePath(EnvPath("KESTRIN_RESOURCE_FIXTURES") / name); }
}  // namespace

TEST(ResourceIcon, IconObjectGivesTheSameFileAsTheIconStream) {
    TempDir dir;
    const std::string viaObject = dir.File("object.exe"), viaStream = dir.File("stream.exe");
    const Bytes original = ReadFile(ResFixture("app.exe"));
    ASSERT_FALSE(original.empty());
    WriteFile(viaObject, original);
    WriteFile(viaStream, original);

    TIcon icon;
    icon.LoadFromFile(ResFixture("icon7.ico"));
    ASSERT_FALSE(icon.Empty());
    EXPECT_TRUE(ReplaceIcon(viaObject, icon, "MAINICON"));
    TMemoryStream stream;
    stream.LoadFromFile(ResFixture("icon7.ico"));
    EXPECT_TRUE(ReplaceIconFromStream(viaStream, stream, "MAINICON"));
    EXPECT_NE(ReadFile(viaObject), original);
    EXPECT_EQ(ReadFile(viaObject), ReadFile(viaStream));
}

TEST(ResourceIcon, EmptyIconOrMissingGroupLeavesTheFileAlone) {
    TempDir dir;
    const std::string exe = dir.File("app.exe");
    const Bytes original = ReadFile(ResFixture("app.exe"));
    WriteFile(exe, original);
    TIcon empty;
    EXPECT_FALSE(ReplaceIcon(exe, empty, "MAINICON"));
    TIcon icon;
    icon.LoadFromFile(ResFixture("icon1.ico"));
    EXPECT_FALSE(ReplaceIcon(exe, icon, "NOSUCHGROUP"));
    EXPECT_EQ(ReadFile(exe), original);
}
