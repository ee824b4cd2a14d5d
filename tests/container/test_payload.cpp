#include "TestSupport.h"
#include "base/Endian.h"
#include "container/md5.h"
#include "container/uPayload.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace testing_support;

namespace {

struct TPayloadFile {
    TempDir Dir;
    std::string Path = Dir.File("p.bin");
    TPayloadFile() { WriteFile(Path, ToBytes("host")); }
};

std::string Mxl(uint32_t n) {
    std::string s(4, '\0');
    SetLE32(reinterpret_cast<uint8_t*>(&s[0]), n);
    return s;
}

}  // namespace

TEST(Payload, ScreensaverValuesAreJoinedDigestedInOnePassAndKeptApartFromTheItems) {
    std::string a(300000, 'a'), b = "tail of the screensaver";
    for (size_t i = 0; i < a.size(); i += 7) a[i] = static_cast<char>(i * 31);
    const std::string whole = a + b;
    TPayloadFile f;
    TWriteHelper w;
    w.AddString("mxf", "stale");
    w.AddItem("mxl", "\x01", false, 1);  // too short: counts as absent
    w.AddItem("SCR", a.data(), true, static_cast<int32_t>(a.size()));
    w.AddItem("SCR", b.data(), false, static_cast<int32_t>(b.size()));
    w.AddString("mxl", Mxl(static_cast<uint32_t>(a.size() + 5)));
    w.AddString("mxf", VariantDigestOf(whole.data(), a.size() + 5));  // the later one wins
    w.AddString("GUID", "{G}");
    w.SaveToExe(f.Path, 0);

    TDataBlockReader reader(f.Path);
    TItemTypes items;
    TBuffer payload;
    TPayloadCheck check = ReadPayload(reader, items, &payload);
    EXPECT_TRUE(check.Ok()) << check.Computed << " " << check.Expected;
    EXPECT_EQ(check.Length, a.size() + 5);
    ASSERT_EQ(payload.Size(), whole.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(payload.Data()), payload.Size()), whole);
    std::vector<std::string> names;
    for (const TItemType& i : items) names.push_back(i.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"mxf", "mxl", "mxl", "mxf", "GUID"}));

    // Without a place for the payload only the digest is made; it stops reading once it has it.
    TDataBlockReader again(f.Path);
    TPayloadCheck only = ReadPayload(again, items, nullptr);
    EXPECT_EQ(only.Computed, check.Computed);
}

TEST(Payload, LengthBeyondTheDataDigestsAllAndAFileWithoutABlockIsRefused) {
    TPayloadFile f;
    TWriteHelper w;
    w.AddString("SCR", "abc");
    w.AddString("mxl", Mxl(1000));
    w.SaveToExe(f.Path, 0);
    TDataBlockReader reader(f.Path);
    TItemTypes items;
    TPayloadCheck check = ReadPayload(reader, items, nullptr);
    EXPECT_EQ(check.Length, 3u);
    EXPECT_EQ(check.Computed, VariantDigestOf("abc", 3));
    EXPECT_FALSE(check.Ok());  // no "mxf"

    // A file that neither ends with a block nor is an image is refused, not read as empty.
    TPayloadFile none;
    TDataBlockReader* never = nullptr;
    EXPECT_THROW(never = new TDataBlockReader(none.Path), EReadError);
    delete never;
}

// Progress counts the payload's stored bytes, compressed or not, rising to their sum; the check
// is the same as without it.
TEST(Payload, ProgressRisesThroughTheStoredBytesOfEveryScreensaverValue) {
    const Bytes noise = RandomBytes(700000, 3);
    std::string a(3000000, 'a'), b(noise.begin(), noise.end());
    for (size_t i = 0; i < a.size(); i += 5) a[i] = static_cast<char>(i * 7);
    TPayloadFile f;
    TWriteHelper w;
    w.AddItem("SCR", a.data(), true, static_cast<int32_t>(a.size()));
    w.AddString("GUID", "{G}");
    w.AddItem("SCR", b.data(), false, static_cast<int32_t>(b.size()));
    w.AddString("mxl", Mxl(static_cast<uint32_t>(a.size() + b.size())));
    w.SaveToExe(f.Path, 0);
    uint64_t stored = 0;
    {
        TDataBlockReader reader(f.Path);
        TItemRecord r;
        while (reader.Next(r)) {
            if (r.Name == "SCR") stored += r.StoredLength;
            reader.SkipValue(r);
        }
    }
    ASSERT_GT(stored, b.size());
    ASSERT_LT(stored, a.size() + b.size());  // the first value is stored compressed

    struct TSeen {
        std::vector<std::pair<uint64_t, uint64_t>> Calls;
        static void Report(void* c, uint64_t done, uint64_t total) { static_cast<TSeen*>(c)->Calls.push_back({done, total}); }
    } seen;
    const TProgress progress{&TSeen::Report, &seen};
    TDataBlockReader watched(f.Path), plain(f.Path);
    TItemTypes items;
    TBuffer payload;
    TPayloadCheck check = ReadPayload(watched, items, &payload, &progress);
    EXPECT_EQ(check.Computed, ReadPayload(plain, items, nullptr).Computed);
    EXPECT_EQ(payload.Size(), a.size() + b.size());
    ASSERT_GT(seen.Calls.size(), 4u);
    for (size_t i = 0; i < seen.Calls.size(); ++i) {
        EXPECT_EQ(seen.Calls[i].second, stored);
        EXPECT_LE(seen.Calls[i].first, stored);
        if (i) {
            EXPECT_GE(seen.Calls[i].first, seen.Calls[i - 1].first);
        }
    }
    EXPECT_EQ(seen.Calls.back().first, stored);
}
