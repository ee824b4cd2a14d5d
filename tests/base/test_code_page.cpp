#include "TestSupport.h"
#include "base/CodePage.h"
#include "base/TextLog.h"
#include <gtest/gtest.h>

// Texts go both ways between UTF-8 and the code pages the installer shows; what has no form on
// the other side is refused, with the offset of the first bad byte when reading a code page.
TEST(CodePage, ConversionsRefuseWhatTheOtherSideCannotHold) {
    std::string out;
    size_t bad = 0;
    EXPECT_TRUE(CodePageToUtf8("caf\xe9 \x80", 1252, out, &bad));
    EXPECT_EQ(out, "caf\xc3\xa9 \xe2\x82\xac");
    EXPECT_EQ(bad, std::string::npos);
    std::string back;
    EXPECT_TRUE(Utf8ToCodePage(out, 1252, back));
    EXPECT_EQ(back, "caf\xe9 \x80");

    EXPECT_FALSE(CodePageToUtf8("ab\ncd\x81", 1252, out, &bad));  // 0x81 is no character in 1252
    EXPECT_EQ(bad, 5u);
    EXPECT_TRUE(out.empty());

    const std::string sjis = "\x82\xa0\x82\xa2 ok";  // two hiragana
    EXPECT_TRUE(CodePageToUtf8(sjis, 932, out));
    EXPECT_EQ(out, "\xe3\x81\x82\xe3\x81\x84 ok");
    EXPECT_FALSE(CodePageToUtf8("ok\x82", 932, out, &bad));  // a lead byte with nothing behind it
    EXPECT_EQ(bad, 2u);
    EXPECT_FALSE(Utf8ToCodePage("\xe2\x82\xac", 932, out));  // the euro sign is not in 932

    EXPECT_TRUE(CodePageToUtf8("\xc3\xa9", 65001, out));
    EXPECT_FALSE(CodePageToUtf8("\xc3(", 65001, out, &bad));
    EXPECT_EQ(bad, 0u);
    EXPECT_FALSE(CodePageToUtf8("a", 12345, out));
    EXPECT_TRUE(CodePageToUtf8("", 932, out));
    EXPECT_TRUE(out.empty());
}

// The installer's log: each line at once, in UTF-8 whatever the code page, the file replaced; a
// file that cannot be made leaves the log off rather than failing the run.
TEST(TextLog, LinesInUtf8FromTheCodePage) {
    testing_support::TempDir dir;
    const std::string path = dir.File("setup.log");
    testing_support::WriteFile(path, testing_support::ToBytes("an older log, longer than the new one ....."));
    {
        TTextLog log(path, 932);
        ASSERT_TRUE(log.Active());
        log.Line("directory: C:\\\x96\xE9\x8B\xF3\\");  // 夜空 in Shift-JIS
        log.Line("bad byte \x81");                      // a lead byte with nothing behind it
        const auto written = testing_support::ReadFile(path);
        EXPECT_EQ(std::string(written.begin(), written.end()), "directory: C:\\\xE5\xA4\x9C\xE7\xA9\xBA\\\r\n"
                                                               "bad byte ?\r\n")
            << "every line is in the file as soon as it is logged";
    }
    TTextLog none(dir.File("no such dir/setup.log"), 1252);
    EXPECT_FALSE(none.Active());
    none.Line("dropped");
    TTextLog off;
    EXPECT_FALSE(off.Active());
}
