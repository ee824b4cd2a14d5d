// A minimal JSON writer for the verbs' --json output.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string JsonString(const std::string& utf8);  // quoted and escaped
bool IsValidUtf8(const std::string& bytes);
std::string HexLower(const void* data, size_t size);

// Builds one object or array; keys are written in the order they are added.
class TJsonWriter {
public:
    TJsonWriter& BeginObject();
    TJsonWriter& EndObject();
    TJsonWriter& BeginArray();
    TJsonWriter& EndArray();
    TJsonWriter& Key(const std::string& key);
    TJsonWriter& String(const std::string& value);
    TJsonWriter& Number(int64_t value);
    TJsonWriter& Bool(bool value);
    TJsonWriter& Null();
    const std::string& Text() const { return FText; }
private:
    void Separate();
    std::string FText;
    std::vector<bool> FFirst;  // per open container: nothing written yet
    bool FAfterKey = false;
};
