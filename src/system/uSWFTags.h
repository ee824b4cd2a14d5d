// A small model of SWF tags: a copy of one tag's body, and the action records of DoAction and
// DoInitAction tags, for a reader of SWF files that creates tag objects by tag code.
#pragma once
#include "base/Classes.h"
#include "base/SysUtils.h"
#include "base/Trace.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>


const int SWFTagDoAction = 12;
const int SWFTagDoInitAction = 59;

// A tag body that does not fit its source stream, or a negative length.
KESTRIN_EXCEPTION(ESWFTagError, EReadError);

class TSWFTag {
public:
    // Copies bodyLength bytes from bodyPosition of source; the owner is the object reading the file.
    TSWFTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength, TStream& source);
    virtual ~TSWFTag() = default;
    TSWFTag(const TSWFTag&) = delete;
    TSWFTag& operator=(const TSWFTag&) = delete;

    TMemoryStream& Body() { return FBody; }
    int32_t BodyLength() const { return FBodyLength; }
    int32_t TagCode() const { return FTagCode; }
    void* Owner() const { return FOwner; }

protected:
    TMemoryStream FBody;
    int32_t FBodyLength;
    int32_t FTagCode;
    void* FOwner;
};

struct TSWFAction {
    uint32_t Code;    // the action code byte
    uint32_t Length;  // the whole record: code, and for codes from 0x80 on the length word and operands
    uint32_t Offset;  // of the code byte in the tag body
};

class TSWFActionTag : public TSWFTag {
public:
    // Copies the body and splits it into action records, tracing each code.
    TSWFActionTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength, TStream& source);
    const std::vector<TSWFAction>& Actions() const { return FActions; }
private:
    void ReadActions();
    std::vector<TSWFAction> FActions;
};

// The tag classes by tag code: a creator for each code that has a class of its own, else nullptr.
using TSWFTagClass = std::unique_ptr<TSWFTag> (*)(void* owner, int32_t tagCode, int64_t bodyPosition,
                                                  int32_t bodyLength, TStream& source);
const int SWFTagClassCount = 256;
TSWFTagClass SWFTagClass(int tagCode);
// A tag object of the code's class, or a plain TSWFTag when the code has none.
std::unique_ptr<TSWFTag> CreateSWFTag(void* owner, int32_t tagCode, int64_t bodyPosition, int32_t bodyLength,
                                      TStream& source);
// The trace line of one action code: "**** ActID  " and two upper-case hexadecimal digits.
std::string ActionTraceLine(uint32_t code);
