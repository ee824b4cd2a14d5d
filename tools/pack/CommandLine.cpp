#include "CommandLine.h"

TCommandLine::TCommandLine(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                           const std::set<std::string>& flagOptions) {
    bool onlyPositional = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (onlyPositional || a.size() < 2 || a[0] != '-') { FPositional.push_back(a); continue; }
        if (a == "--") { onlyPositional = true; continue; }
        std::string name = a, value;
        bool inlineValue = false;
        if (auto eq = a.find('='); a.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = a.substr(0, eq);
            value = a.substr(eq + 1);
            inlineValue = true;
        }
        if (valueOptions.count(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size()) throw EUsage{"option " + name + " needs a value"};
                value = args[++i];
            }
            FValues[name] = value;
        } else if (flagOptions.count(name) && !inlineValue) {
            FFlags.insert(name);
        } else {
            throw EUsage{"unknown option " + a};
        }
    }
}

std::string TCommandLine::Value(const std::string& option, const std::string& fallback) const {
    auto it = FValues.find(option);
    return it == FValues.end() ? fallback : it->second;
}
