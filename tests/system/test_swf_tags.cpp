#include "system/uSWFTags.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

struct TCollector : TTraceTarget {
    std::vector<std::string> Lines;
    void Trace(const std::string& line) override { Lines.push_back(line); }
};

// Installs a collector for one test and takes it away again.
struct TTraceScope {
    TCollector Collector;
    TTraceScope() { SetTraceTarget(&Collector); }
    ~TTraceScope() { SetTraceTarget(nullptr); }
};

// A source stream with a prefix before the body, as a SWF file has its tag header.
TMemoryStream Source(const std::vector<uint8_t>& body, size_t prefix = 3) {
    TMemoryStream s;
    std::vector<uint8_t> bytes(prefix, 0xEE);
    bytes.insert(bytes.end(), body.begin(), body.end());
    bytes.push_back(0xEE);
    s.WriteBuffer(bytes.data(), bytes.size());
    return s;
}

std::unique_ptr<TSWFActionTag> Actions(int code, const std::vector<uint8_t>& body) {
    TMemoryStream s = Source(body);
    return std::make_unique<TSWFActionTag>(nullptr, code, 3, int32_t(body.size()), s);
}

}  // namespace

TEST(SWFTags, TagCopiesExactlyItsBody) {
    int owner = 0;
    TMemoryStream s = Source({1, 2, 3, 4});
    TSWFTag tag(&owner, 9, 3, 4, s);
    EXPECT_EQ(tag.Owner(), &owner);
    EXPECT_EQ(tag.TagCode(), 9);
    ASSERT_EQ(tag.Body().Size(), 4);
    EXPECT_EQ(std::vector<uint8_t>(tag.Body().Memory(), tag.Body().Memory() + 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    TSWFTag empty(nullptr, 9, 3, 0, s);
    EXPECT_EQ(empty.Body().Size(), 0);
    EXPECT_THROW(TSWFTag(nullptr, 9, 3, 6, s), ESWFTagError);   // one byte past the source
    EXPECT_THROW(TSWFTag(nullptr, 9, 3, -1, s), ESWFTagError);
    EXPECT_THROW(TSWFTag(nullptr, 9, 100, 0, s), ESWFTagError);
}

TEST(SWFTags, ActionWalkSplitsRecordsAndTracesEachCode) {
    TTraceScope trace;
    auto tag = Actions(SWFTagDoAction, {0x07, 0x00});
    ASSERT_EQ(tag->Actions().size(), 2u);
    EXPECT_EQ(tag->Actions()[0].Code, 0x07u);
    EXPECT_EQ(tag->Actions()[0].Length, 1u);
    EXPECT_EQ(tag->Actions()[1].Code, 0x00u);
    EXPECT_EQ(tag->Actions()[1].Offset, 1u);
    EXPECT_EQ(trace.Collector.Lines, (std::vector<std::string>{"**** ActID  07", "**** ActID  00"}));

    trace.Collector.Lines.clear();
    auto push = Actions(SWFTagDoAction, {0x96, 0x05, 0x00, 1, 2, 3, 4, 5, 0x4F, 0x00});
    ASSERT_EQ(push->Actions().size(), 3u);
    EXPECT_EQ(push->Actions()[0].Length, 8u);
    EXPECT_EQ(push->Actions()[1].Code, 0x4Fu);
    EXPECT_EQ(push->Actions()[1].Offset, 8u);
    EXPECT_EQ(trace.Collector.Lines[0], "**** ActID  96");
    EXPECT_EQ(trace.Collector.Lines[1], "**** ActID  4F");
}

TEST(SWFTags, InitActionSkipsTheSpriteIdentifier) {
    EXPECT_TRUE(Actions(SWFTagDoInitAction, {0x01, 0x00})->Actions().empty());
    EXPECT_TRUE(Actions(SWFTagDoInitAction, {0x01})->Actions().empty());
    auto tag = Actions(SWFTagDoInitAction, {0x99, 0x00, 0x07});
    ASSERT_EQ(tag->Actions().size(), 1u);
    EXPECT_EQ(tag->Actions()[0].Code, 0x07u);
    EXPECT_EQ(tag->Actions()[0].Offset, 2u);
}

TEST(SWFTags, RecordsRunningPastTheBodyEndTheWalkInsideIt) {
    auto longOperands = Actions(SWFTagDoAction, {0x00, 0x96, 0x09, 0x00, 1, 2});
    ASSERT_EQ(longOperands->Actions().size(), 2u);
    EXPECT_EQ(longOperands->Actions()[1].Offset, 1u);
    EXPECT_EQ(longOperands->Actions()[1].Length, 5u);
    auto halfLength = Actions(SWFTagDoAction, {0x81, 0x01});
    ASSERT_EQ(halfLength->Actions().size(), 1u);
    EXPECT_EQ(halfLength->Actions()[0].Length, 2u);
    // Without a trace target nothing is traced and nothing fails.
    EXPECT_EQ(Actions(SWFTagDoAction, {0x80, 0x00, 0x00})->Actions()[0].Length, 3u);
}

TEST(SWFTags, TagClassTableNamesTheActionTagsOnly) {
    for (int code = -1; code <= SWFTagClassCount; ++code) {
        bool action = code == SWFTagDoAction || code == SWFTagDoInitAction;
        EXPECT_EQ(SWFTagClass(code) != nullptr, action) << code;
    }
    TMemoryStream s = Source({0x07});
    auto made = CreateSWFTag(nullptr, SWFTagDoAction, 3, 1, s);
    auto* action = dynamic_cast<TSWFActionTag*>(made.get());
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(action->Actions().size(), 1u);
    auto plain = CreateSWFTag(nullptr, 1, 3, 1, s);
    EXPECT_EQ(dynamic_cast<TSWFActionTag*>(plain.get()), nullptr);
    EXPECT_EQ(plain->BodyLength(), 1);
}
