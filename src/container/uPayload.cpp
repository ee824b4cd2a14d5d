#include "uPayload.h"
#include "base/Endian.h"
#include "base/SysUtils.h"
#include "container/md5.h"
#include "container/uInstallerContract.h"
#include "container/uZLib.h"
#include <algorithm>
#include <atomic>
#include <vector>

namespace {

const uint32_t MaxPayloadHint = 512u << 20;

// Feeds the first `Limit` bytes to the variant digest and, when kept, appends all to the payload.
// With a background job and room for the whole payload reserved, the digest runs on the job's
// thread behind the inflate: the bytes below `FPublished` are final, and the buffer does not
// move while the job reads it. Data beyond the room ends the overlap first.
class TPayloadSink : public TByteSink {
public:
    TPayloadSink(uint64_t limit, TBuffer* payload, TBackgroundJob* background)
        : FLimit(limit), FPayload(payload) {
        VariantDigestInit(FContext);
        if (background && payload && payload->Size() == 0 && limit > 0 && payload->Capacity() >= limit) {
            // Set before the start: the job may ask for it (to pause) before Start returns.
            FBackground = background;
            if (!background->Start(DigestBehind, this)) FBackground = nullptr;
        }
    }
    ~TPayloadSink() override { EndOverlap(); }
    void Put(const uint8_t* data, size_t size) override {
        if (FBackground) {
            const size_t at = FPayload->Size();
            if (at + size <= FPayload->Capacity()) {
                FPayload->Resize(at + size);
                std::copy(data, data + size, FPayload->Data() + at);
                FPublished.store(at + size, std::memory_order_release);
                if (FProgress) Tell();
                return;
            }
            EndOverlap();
        }
        uint64_t take = std::min<uint64_t>(size, FLimit - std::min(FLimit, FDigested));
        if (take) DigestUpdateLarge(FContext, data, static_cast<size_t>(take));
        FDigested += take;
        if (FProgress) Tell();
        if (!FPayload || size == 0) return;
        const size_t at = FPayload->Size();
        // Doubling: a large payload is moved a few times at most, and pages never written to
        // a capacity not yet used are not memory the process holds.
        if (at + size > FPayload->Capacity()) FPayload->Reserve(std::max(at + size, FPayload->Capacity() * 2));
        FPayload->Resize(at + size);
        std::copy(data, data + size, FPayload->Data() + at);
    }
    bool Full() const { return !FPayload && FDigested >= FLimit; }
    std::string Text() {
        EndOverlap();
        TMD5Digest d;
        DigestFinal(FContext, d);
        return VariantDigestToText(d);
    }
    uint64_t Digested() {
        EndOverlap();
        return FDigested;
    }
    // Progress counts stored bytes: the stream's place inside the value being read, after those
    // of the values before it.
    void Watch(const TProgress* progress, TStream* stream, uint64_t total) {
        FProgress = progress;
        FStream = stream;
        FTotal = total;
    }
    void StartValue(const TItemRecord& r) { FValue = &r; }
    void EndValue() {
        FBefore += FValue->StoredLength;
        if (FProgress) (*FProgress)(FBefore, FTotal);
    }

private:
    // The job's side: digests what is published, up to the limit, until told to end and caught up.
    static void DigestBehind(void* self) {
        auto& sink = *static_cast<TPayloadSink*>(self);
        const uint8_t* data = sink.FPayload->Data();
        uint64_t done = 0;
        for (;;) {
            const bool ending = sink.FEnding.load(std::memory_order_acquire);
            const uint64_t end = std::min<uint64_t>(sink.FPublished.load(std::memory_order_acquire), sink.FLimit);
            if (done < end) {
                DigestUpdateLarge(sink.FContext, data + done, static_cast<size_t>(end - done));
                done = end;
            } else if (ending || done >= sink.FLimit) {
                break;
            } else {
                sink.FBackground->Pause();
            }
        }
        sink.FDigested = done;
    }
    void EndOverlap() {
        if (!FBackground) return;
        FEnding.store(true, std::memory_order_release);
        FBackground->Join();
        FBackground = nullptr;
    }
    void Tell() {
        const int64_t in = FStream->Position() - FValue->ValuePosition;
        (*FProgress)(FBefore + static_cast<uint64_t>(std::clamp<int64_t>(in, 0, FValue->StoredLength)), FTotal);
    }
    TMD5Context FContext;
    uint64_t FLimit;
    uint64_t FDigested = 0;
    TBuffer* FPayload;
    TBackgroundJob* FBackground = nullptr;
    std::atomic<size_t> FPublished{0};
    std::atomic<bool> FEnding{false};
    const TProgress* FProgress = nullptr;
    TStream* FStream = nullptr;
    const TItemRecord* FValue = nullptr;
    uint64_t FBefore = 0, FTotal = 0;
};

void StreamValue(TStream& stream, const TItemRecord& r, TPayloadSink& sink) {
    stream.SetPosition(r.ValuePosition);
    if (r.Compressed && r.StoredLength > 0) {
        InflateFromStream(stream, r.StoredLength, sink);
        return;
    }
    TBuffer chunk(std::min<uint32_t>(r.StoredLength, 1u << 20));
    for (uint32_t left = r.StoredLength; left > 0 && !sink.Full();) {
        uint32_t n = std::min<uint32_t>(left, static_cast<uint32_t>(chunk.Size()));
        stream.ReadBuffer(chunk.Data(), n);
        sink.Put(chunk.Data(), n);
        left -= n;
    }
}

}  // namespace

TPayloadPlan ReadPayloadItems(TDataBlockReader& reader, TItemTypes& items) {
    items.clear();
    TPayloadPlan plan;
    TItemRecord record;
    while (reader.Next(record)) {
        if (record.Name == ItemName::Scr) {
            plan.Scr.push_back(record);
        } else {
            TItemType item;
            reader.ReadValue(record, item);
            if (record.Name == ItemName::Digest) plan.Expected.assign(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
            // A short length counts as absent: it does not replace an earlier one.
            if (record.Name == ItemName::DigestLength && item.Size() >= 4) plan.Mxl = GetLE32(item.Data.Data());
            items.push_back(std::move(item));
        }
        reader.SkipValue(record);
    }
    return plan;
}

TPayloadCheck ReadPayloadValues(TDataBlockReader& reader, const TPayloadPlan& plan, TBuffer* payload,
                                const TProgress* progress, TBackgroundJob* background) {
    TPayloadCheck check;
    check.Expected = plan.Expected;
    const uint32_t mxl = plan.Mxl;
    // The digested length is the payload's size in every block the authoring tool writes: room
    // for it at once spares the copies of a growing buffer. It is only a hint; a wrong one costs
    // memory at most, and one that cannot be had is not taken.
    if (payload && mxl && mxl <= MaxPayloadHint) {
        try {
            payload->Reserve(mxl);
        } catch (const EOutOfMemory&) {
        }
    }
    TPayloadSink sink(mxl, payload, background);
    if (progress) {
        uint64_t total = 0;
        for (const TItemRecord& r : plan.Scr) total += r.StoredLength;
        sink.Watch(progress, &reader.Stream(), total);
    }
    for (const TItemRecord& r : plan.Scr) {
        if (sink.Full()) break;
        sink.StartValue(r);
        StreamValue(reader.Stream(), r, sink);
        sink.EndValue();
    }
    check.Computed = sink.Text();
    check.Length = sink.Digested();
    return check;
}

TPayloadCheck ReadPayload(TDataBlockReader& reader, TItemTypes& items, TBuffer* payload, const TProgress* progress,
                          TBackgroundJob* background) {
    const TPayloadPlan plan = ReadPayloadItems(reader, items);
    return ReadPayloadValues(reader, plan, payload, progress, background);
}
