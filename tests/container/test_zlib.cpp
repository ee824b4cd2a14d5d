#include "TestSupport.h"
#include "container/uZLib.h"
#include <gtest/gtest.h>
#include <cstring>
#include <zlib.h>

using namespace testing_support;

namespace {
Bytes Deflate(const Bytes& in) {
    TBuffer out;
    CompressBuffer(in.data(), in.size(), out);
    return Bytes(out.Data(), out.Data() + out.Size());
}
Bytes Inflate(const Bytes& in) {
    TBuffer out;
    DecompressBuffer(in.data(), in.size(), out);
    return Bytes(out.Data(), out.Data() + out.Size());
}
std::string InflateError(const Bytes& in) {
    try {
        Inflate(in);
    } catch (const EZDecompressionError& e) {
        return e.what();
    }
    return "no error";
}
}  // namespace

TEST(ZLib, DefaultLevelIsStandardZlibBothWays) {
    Bytes data = RandomBytes(3000, 2);
    data.insert(data.end(), 3000, 'x');
    Bytes packed = Deflate(data);
    ASSERT_GE(packed.size(), 2u);
    EXPECT_EQ(packed[0], 0x78);
    EXPECT_EQ(packed[1], 0x9C);
    // Plain zlib reads what we write ...
    Bytes plain(data.size());
    uLongf plainLen = plain.size();
    ASSERT_EQ(uncompress(plain.data(), &plainLen, packed.data(), packed.size()), Z_OK);
    EXPECT_EQ(Bytes(plain.begin(), plain.begin() + plainLen), data);
    // ... and we read what plain zlib writes.
    Bytes theirs(compressBound(data.size()));
    uLongf theirsLen = theirs.size();
    ASSERT_EQ(compress(theirs.data(), &theirsLen, data.data(), data.size()), Z_OK);
    theirs.resize(theirsLen);
    EXPECT_EQ(Inflate(theirs), data);
}

TEST(ZLib, EmptyAndHighlyCompressibleInputsRoundTrip) {
    EXPECT_TRUE(Inflate(Deflate({})).empty());
    Bytes zeros(20u << 20, 0);  // over a thousand times its compressed size
    Bytes packed = Deflate(zeros);
    EXPECT_LT(packed.size(), zeros.size() / 500);
    EXPECT_EQ(Inflate(packed), zeros);
    for (auto level : {TCompressionLevel::clNone, TCompressionLevel::clFastest, TCompressionLevel::clMax}) {
        Bytes data = RandomBytes(70000, 3);
        TBuffer out;
        CompressBuffer(data.data(), data.size(), out, level);
        EXPECT_EQ(Inflate(Bytes(out.Data(), out.Data() + out.Size())), data);
    }
}

TEST(ZLib, DamagedStreamsRaiseWithZlibMessages) {
    Bytes packed = Deflate(RandomBytes(10000, 4));
    EXPECT_EQ(InflateError(Bytes(packed.begin(), packed.begin() + packed.size() / 2)), "buffer error");
    EXPECT_EQ(InflateError({}), "buffer error");
    Bytes corrupt = packed;
    corrupt[0] = 0x12;  // not a zlib header
    EXPECT_EQ(InflateError(corrupt), "data error");
    Bytes badSum = packed;
    badSum.back() ^= 0xFF;  // Adler-32 mismatch
    EXPECT_EQ(InflateError(badSum), "data error");
}

TEST(ZLib, PresetDictionaryRequestEndsTheInflate) {
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, Z_DEFAULT_COMPRESSION), Z_OK);
    const char dict[] = "dictionary";
    deflateSetDictionary(&z, reinterpret_cast<const Bytef*>(dict), sizeof dict);
    Bytes in(100, 'a'), out(256);
    z.next_in = in.data(); z.avail_in = in.size();
    z.next_out = out.data(); z.avail_out = out.size();
    ASSERT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    EXPECT_EQ(InflateError(out), "need dictionary");
}

namespace {
struct TCollect : TByteSink {
    Bytes Data;
    void Put(const uint8_t* p, size_t n) override { Data.insert(Data.end(), p, p + n); }
};
}  // namespace

TEST(ZLib, StreamingInflateMatchesWholeBufferAndSkipsTrailingBytes) {
    Bytes data = RandomBytes(300000, 5);
    data.insert(data.end(), 700000, 'q');
    Bytes packed = Deflate(data);
    TMemoryStream s;
    s.WriteBuffer(packed.data(), packed.size());
    s.WriteBuffer("junkEND", 7);
    s.SetPosition(0);
    TCollect sink;
    EXPECT_EQ(InflateFromStream(s, packed.size() + 4, sink), data.size());
    EXPECT_EQ(sink.Data, data);
    EXPECT_EQ(s.Position(), int64_t(packed.size() + 4));  // at the end of the stored length
    s.SetPosition(0);
    TCollect partial;
    EXPECT_THROW(InflateFromStream(s, packed.size() - 10, partial), EZDecompressionError);
    TMemoryStream shortStream;
    shortStream.WriteBuffer(packed.data(), 100);
    shortStream.SetPosition(0);
    EXPECT_THROW(InflateFromStream(shortStream, packed.size(), partial), EReadError);
}

// A build watched on a terminal must give the same bytes as one that is not: fed a megabyte at a
// time for its reports, deflate writes the same stream.
TEST(ZLib, CompressionWithProgressReportsEachSliceAndWritesTheSameStream) {
    Bytes data = RandomBytes(1500000, 5);
    for (size_t i = 0; i < 2500000; ++i) data.push_back(uint8_t("frame data 0123456789"[i % 21] + (i / 100000)));
    struct TSeen {
        std::vector<std::pair<uint64_t, uint64_t>> Calls;
        static void Report(void* c, uint64_t done, uint64_t total) { static_cast<TSeen*>(c)->Calls.push_back({done, total}); }
    } seen;
    const TProgress progress{&TSeen::Report, &seen};
    for (TCompressionLevel level : {TCompressionLevel::clFastest, TCompressionLevel::clDefault, TCompressionLevel::clMax}) {
        seen.Calls.clear();
        TBuffer plain, watched;
        CompressBuffer(data.data(), data.size(), plain, level);
        CompressBuffer(data.data(), data.size(), watched, level, &progress);
        ASSERT_EQ(Bytes(watched.Data(), watched.Data() + watched.Size()), Bytes(plain.Data(), plain.Data() + plain.Size()));
        ASSERT_GE(seen.Calls.size(), 4u);  // four megabytes at least
        for (size_t i = 0; i < seen.Calls.size(); ++i) {
            EXPECT_EQ(seen.Calls[i].second, data.size());
            if (i) {
                EXPECT_GE(seen.Calls[i].first, seen.Calls[i - 1].first);
            }
        }
        EXPECT_EQ(seen.Calls.back().first, data.size());
    }
    TBuffer empty;
    CompressBuffer(nullptr, 0, empty, TCompressionLevel::clDefault, &progress);
    EXPECT_EQ(Inflate(Bytes(empty.Data(), empty.Data() + empty.Size())), Bytes());
}
