// Exception classes of the runtime layer. Every exception carries a plain 8-bit message.
#pragma once
#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const char* what() const noexcept override { return FMessage.c_str(); }
    const std::string& Message() const { return FMessage; }
private:
    std::string FMessage;
};

#define KESTRIN_EXCEPTION(Name, Base) \
    class Name : public Base { public: using Base::Base; }

KESTRIN_EXCEPTION(EStreamError, Exception);
KESTRIN_EXCEPTION(EFilerError, EStreamError);
KESTRIN_EXCEPTION(EReadError, EFilerError);
KESTRIN_EXCEPTION(EWriteError, EFilerError);
KESTRIN_EXCEPTION(EFOpenError, EStreamError);
KESTRIN_EXCEPTION(EFCreateError, EStreamError);
KESTRIN_EXCEPTION(EOutOfMemory, Exception);
