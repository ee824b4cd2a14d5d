#include "TestSupport.h"
#include "base/Endian.h"
#include "container/md5.h"
#include "container/uPayload.h"
#include <gtest/gtest.h>
#include <atomic>
#include <thread>
#include <string>
#include <memory>
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

// The tests' second thread; `refuse` plays a system without one. Start returns only once the
// job has waited for data at least once, as a system thread that runs at once may do.
class TTestJob : public TBackgroundJob {
public:
    explicit TTestJob(bool refuse = false) : FRefuse(refuse) {}
    ~TTestJob() override { Join(); }
    bool Start(void (*job)(void*), void* context) override {
        if (FRefuse) return false;
        ++Starts;
        FThread = std::thread([this, job, context] {
            job(context);
            FStarted = true;
        });
        while (!FStarted) std::this_thread::yield();
        return true;
    }
    void Join() override {
        if (FThread.joinable()) FThread.join();
    }
    void Pause() override {
        FStarted = true;
        std::this_thread::yield();
    }
    int Starts = 0;
private:
    bool FRefuse;
    std::atomic<bool> FStarted{false};
    std::thread FThread;
};

// A block whose screensaver is `values` (compressed or not, alternately) with the given "mxl".
std::string PayloadBlock(TPayloadFile& f, const std::vector<std::string>& values, uint32_t mxl) {
    TWriteHelper w;
    std::string whole;
    bool compressed = true;
    for (const std::string& v : values) {
        w.AddItem("SCR", v.data(), compressed, static_cast<int32_t>(v.size()));
        compressed = !compressed;
        whole += v;
    }
    w.AddString("mxl", Mxl(mxl));
    w.AddString("mxf", VariantDigestOf(whole.data(), std::min<size_t>(mxl, whole.size())));
    w.SaveToExe(f.Path, 0);
    return whole;
}

}  // namespace

// The digest on a second thread behind the inflate gives what one thread gives: with the
// length right, shorter than the data (the data outgrows the room made for it), longer than
// the data, and when no thread can be had.
TEST(Payload, DigestBehindTheInflateOnASecondThreadAgreesWithOneThread) {
    std::string big(3000000, 'x');
    for (size_t i = 0; i < big.size(); i += 13) big[i] = static_cast<char>(i * 7);
    const std::vector<std::string> values = {big, "middle, stored as it is", big.substr(0, 700000)};
    const size_t total = big.size() + 23 + 700000;
    struct TCase {
        const char* Name;
        uint32_t Mxl;
        bool Refuse;
        int Starts;
    } cases[] = {
        {"the whole payload", static_cast<uint32_t>(total), false, 1},
        {"a length inside the first value", 1000001, false, 1},
        {"a length beyond the data", static_cast<uint32_t>(total + 4096), false, 1},
        {"no second thread", static_cast<uint32_t>(total), true, 0},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TPayloadFile f;
        const std::string whole = PayloadBlock(f, values, c.Mxl);
        TItemTypes items;
        TBuffer alone, behind;
        TDataBlockReader one(f.Path);
        const TPayloadCheck serial = ReadPayload(one, items, &alone);
        TTestJob job(c.Refuse);
        TDataBlockReader two(f.Path);
        const TPayloadCheck overlapped = ReadPayload(two, items, &behind, nullptr, &job);
        EXPECT_EQ(job.Starts, c.Starts);
        EXPECT_TRUE(serial.Ok());
        EXPECT_TRUE(overlapped.Ok()) << overlapped.Computed << " " << overlapped.Expected;
        EXPECT_EQ(overlapped.Computed, serial.Computed);
        EXPECT_EQ(overlapped.Length, serial.Length);
        EXPECT_EQ(overlapped.Length, std::min<size_t>(c.Mxl, whole.size()));
        ASSERT_EQ(behind.Size(), whole.size());
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(behind.Data()), behind.Size()), whole);
    }
}

// A value that stops inflating half way raises the inflate error; the digest's thread has
// ended by then (under the sanitizers a thread still reading the freed payload is a finding).
TEST(Payload, DamagedValueEndsTheSecondThreadBeforeTheErrorLeaves) {
    std::string big(2000000, 'y');
    for (size_t i = 0; i < big.size(); i += 5) big[i] = static_cast<char>(i);
    TPayloadFile f;
    PayloadBlock(f, {big}, static_cast<uint32_t>(big.size()));
    // The compressed stream sits behind the "host" bytes and the block header: damage its middle.
    Bytes file = ReadFile(f.Path);
    for (size_t i = file.size() / 2; i < file.size() / 2 + 64; ++i) file[i] ^= 0x5A;
    WriteFile(f.Path, file);
    TTestJob job;
    TItemTypes items;
    auto payload = std::make_unique<TBuffer>();
    TDataBlockReader reader(f.Path);
    EXPECT_ANY_THROW(ReadPayload(reader, items, payload.get(), nullptr, &job));
    payload.reset();
    EXPECT_EQ(job.Starts, 1);
}

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
