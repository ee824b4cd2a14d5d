// Argument parsing shared by every verb: options may stand before or after the positionals.
#pragma once
#include <map>
#include <set>
#include <string>
#include <vector>

class TCommandLine {
public:
    // valueOptions take the next argument ("-o OUT"); flagOptions stand alone ("--json").
    // Raises EUsage for an unknown option or a missing value.
    TCommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                 const std::set<std::string>& flagOptions);
    const std::vector<std::string>& Positional() const { return FPositional; }
    bool Has(const std::string& option) const { return FFlags.count(option) || FValues.count(option); }
    std::string Value(const std::string& option, const std::string& fallback = std::string()) const;
private:
    std::vector<std::string> FPositional;
    std::map<std::string, std::string> FValues;
    std::set<std::string> FFlags;
};

// A usage error: printed with the verb's usage line, exit status 2.
struct EUsage {
    std::string Message;
};

// Exit statuses shared by the verbs.
enum : int { ExitOk = 0, ExitNotFound = 1, ExitUsage = 2, ExitNoBlock = 3, ExitDamaged = 4 };
