#include "uSWFTags.h"
#include <array>

namespace {

template <class T>
std::unique_ptr<TSWFTag> Create(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength,
                                TStream& source) {
    return std::make_unique<T>(owner, tagCode, bodyPosition, bodyLength, source);
}

// Cleared and filled once, at start-up.
struct TTagClassTable {
    std::array<TSWFTagClass, SWFTagClassCount> Classes;
    TTagClassTable() {
        Classes.fill(nullptr);
        Classes[SWFTagDoAction] = Create<TSWFActionTag>;
        Classes[SWFTagDoInitAction] = Create<TSWFActionTag>;
    }
};
const TTagClassTable TagClasses;

}  // namespace

TSWFTag::TSWFTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength, TStream& source)
    : FBodyLength(bodyLength), FTagCode(tagCode), FOwner(owner) {
    if (bodyLength < 0) throw ESWFTagError("SWF tag " + std::to_string(tagCode) + ": negative body length");
    if (bodyPosition < 0 || bodyPosition > source.Size() || bodyLength > source.Size() - bodyPosition)
        throw ESWFTagError("SWF tag " + std::to_string(tagCode) + ": body runs past the file");
    if (bodyLength == 0) return;  // a count of 0 would copy the whole source
    source.SetPosition(bodyPosition);
    FBody.CopyFrom(source, bodyLength);
    FBody.SetPosition(0);
}

TSWFActionTag::TSWFActionTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength,
                             TStream& source)
    : TSWFTag(owner, tagCode, bodyPosition, bodyLength, source) {
    ReadActions();
}

std::string ActionTraceLine(uint32_t code) {
    static const char hex[] = "0123456789ABCDEF";
    std::string line = "**** ActID  ";
    line += hex[(code >> 4) & 0xF];
    line += hex[code & 0xF];
    return line;
}

void TSWFActionTag::ReadActions() {
    const uint8_t* body = FBody.Memory();
    const uint32_t length = static_cast<uint32_t>(FBodyLength);
    uint32_t pos = FTagCode == SWFTagDoInitAction ? 2 : 0;  // past the sprite identifier
    while (pos < length) {
        TSWFAction action{body[pos], 0, pos};
        ++pos;
        if (TTraceTarget* target = TraceTarget()) target->Trace(ActionTraceLine(action.Code));
        bool truncated = false;
        if (action.Code >= 0x80) {
            if (length - pos < 2) {
                truncated = true;
            } else {
                uint32_t operands = body[pos] | (body[pos + 1] << 8);
                pos += 2;
                if (operands > length - pos) truncated = true; else pos += operands;
            }
        }
        // A record that claims more than the body holds ends the walk at the body's end.
        if (truncated) pos = length;
        action.Length = pos - action.Offset;
        FActions.push_back(action);
    }
}

TSWFTagClass SWFTagClass(int tagCode) {
    return tagCode >= 0 && tagCode < SWFTagClassCount ? TagClasses.Classes[static_cast<size_t>(tagCode)] : nullptr;
}

std::unique_ptr<TSWFTag> CreateSWFTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength,
                                      TStream& source) {
    if (TSWFTagClass create = SWFTagClass(tagCode)) return create(owner, tagCode, bodyPosition, bodyLength, source);
    return std::make_unique<TSWFTag>(owner, tagCode, bodyPosition, bodyLength, source);
}
