#include "SystemTestSupport.h"
#include "system/uFlashUtils.h"
#include "system/uPathUtils.h"
#include <gtest/gtest.h>

using namespace testing_support;

namespace {
const char ClassKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}";

// Registers one build of the stand-in as the control for the length of a test.
struct PlayerControl : ::testing::Test {
    TComInitialization Com;
    TScratchKey Registration{HKEY_CLASSES_ROOT, ClassKey};
    void Register(const std::string& file) {
        WriteRegString(HKEY_CLASSES_ROOT, FlashPlayerRegistrationKey, "", file);
        WriteRegString(HKEY_CLASSES_ROOT, FlashPlayerRegistrationKey, "ThreadingModel", "Apartment");
    }
};
}  // namespace

TEST_F(PlayerControl, CreatableAndNewEnough) {
    Register(BuildFile("tests/system/fixtures/standin_New.dll"));
    EXPECT_TRUE(IsFlashPlayerCreatable());
    EXPECT_EQ(GetFlashPlayerVersion(), "32.0.0.465");
    EXPECT_TRUE(IsFlashPlayerVersionAtLeast("10"));
    EXPECT_TRUE(IsFlashPlayerVersionAtLeast("32.0.0.465"));
    EXPECT_TRUE(IsFlashPlayerVersionAtLeast(""));
    EXPECT_FALSE(IsFlashPlayerVersionAtLeast("32.0.0.466"));
}

TEST_F(PlayerControl, CreatableButTooOld) {
    // Its file version (20.0.0.0) is high; only the product version (9.0.28.0) counts.
    Register(BuildFile("tests/system/fixtures/standin_Old.dll"));
    EXPECT_TRUE(IsFlashPlayerCreatable());
    EXPECT_EQ(GetFlashPlayerVersion(), "9.0.28.0");
    EXPECT_TRUE(IsFlashPlayerVersionAtLeast("9"));
    EXPECT_FALSE(IsFlashPlayerVersionAtLeast("10.0"));
}

TEST_F(PlayerControl, RegisteredButNotCreatable) {
    Register(BuildFile("tests/system/fixtures/standin_Broken.dll"));
    EXPECT_FALSE(IsFlashPlayerCreatable());
    EXPECT_EQ(GetFlashPlayerVersion(), "99.0.0.0");
    EXPECT_FALSE(IsFlashPlayerVersionAtLeast(""));
    EXPECT_FALSE(IsFlashPlayerVersionAtLeast("1"));
}

TEST_F(PlayerControl, RegisteredFileMissingOrWithoutVersion) {
    Register(BuildFile("tests/system/fixtures/no-such-control.ocx"));
    EXPECT_FALSE(IsFlashPlayerCreatable());
    EXPECT_EQ(GetFlashPlayerVersion(), "0.0.0.0");
    Register(BuildFile("tests/system/dll_probe.exe"));
    EXPECT_EQ(GetFlashPlayerVersion(), "");
}

TEST_F(PlayerControl, NotRegistered) {
    EXPECT_FALSE(IsFlashPlayerCreatable());
    EXPECT_EQ(GetFlashPlayerVersion(), "0.0.0.0");
    EXPECT_FALSE(IsFlashPlayerVersionAtLeast(""));
}
