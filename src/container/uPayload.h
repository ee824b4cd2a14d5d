// The installer's payload: every screensaver value of a block (ItemName::Scr), in stored order, is
// the screensaver; a later expected digest text (ItemName::Digest) or digested length
// (ItemName::DigestLength, four bytes or absent) wins; the variant digest of the first
// min(length, size) bytes must equal the expected text. The values are streamed
// from the block through inflate into the digest in one pass, so that no compressed copy of a
// large payload is held.
#pragma once
#include "base/BackgroundJob.h"
#include "base/Progress.h"
#include "container/uExeAdder.h"
#include <string>
#include <vector>

struct TPayloadCheck {
    std::string Expected;  // the expected digest text
    std::string Computed;  // the variant digest text
    uint64_t Length = 0;   // bytes digested
    bool Ok() const { return Computed == Expected; }
};

// Reads every item of the block. The screensaver values are joined into `payload` instead of being
// items of their own (pass nullptr to only digest them); the digest is computed as they are read.
// Raises what the container reader raises for a damaged block; `found` says whether there is one.
// `progress`, when given, hears how many of the payload's stored bytes have been read.
// `background`, when given with a payload to keep, runs the digest behind the inflate.
TPayloadCheck ReadPayload(TDataBlockReader& reader, TItemTypes& items, TBuffer* payload,
                          const TProgress* progress = nullptr, TBackgroundJob* background = nullptr);

// The same in two steps, for a caller that uses the items while the values are still read:
// first every item but the screensaver values (and where those are), then the values.
struct TPayloadPlan {
    std::vector<TItemRecord> Scr;
    uint32_t Mxl = 0;
    std::string Expected;
};
TPayloadPlan ReadPayloadItems(TDataBlockReader& reader, TItemTypes& items);
TPayloadCheck ReadPayloadValues(TDataBlockReader& reader, const TPayloadPlan& plan, TBuffer* payload,
                                const TProgress* progress = nullptr, TBackgroundJob* background = nullptr);
