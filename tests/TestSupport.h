// Shared helpers for the unit tests: temporary directories, files, paths the same on both builds.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace testing_support {

using Bytes = std::vector<uint8_t>;

// A path as the code under test expects it: under Wine a Unix path goes through drive Z:.
inline std::string NativePath(const std::filesystem::path& p) {
    std::string s = p.string();
#ifdef _WIN32
    if (!s.empty() && s[0] == '/') s = "Z:" + s;
#endif
    return s;
}

inline std::filesystem::path EnvPath(const char* name) {
    const char* v = std::getenv(name);
    std::string s = v ? v : "";
#ifdef _WIN32
    if (!s.empty() && s[0] == '/') s = "Z:" + s;
#endif
    return std::filesystem::path(s);
}

inline std::filesystem::path TestData(const std::string& name) { return EnvPath("KESTRIN_TEST_DATA") / name; }
inline std::string SourceFile(const std::string& relative) { return NativePath(EnvPath("KESTRIN_SOURCE_DIR") / relative); }
inline std::string Fixture(const std::string& name) { return NativePath(EnvPath("KESTRIN_FIXTURES") / name); }

// A directory of its own for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        auto base = std::filesystem::temp_directory_path();
        for (;;) {
            FPath = base / ("kestrin-test-" + std::to_string(rd()));
            if (std::filesystem::create_directory(FPath)) break;
        }
    }
    ~TempDir() { std::error_code ec; std::filesystem::remove_all(FPath, ec); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& name) const { return NativePath(FPath / name); }
private:
    std::filesystem::path FPath;
};

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline Bytes ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline Bytes RandomBytes(size_t n, uint32_t seed) {
    std::mt19937 gen(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(gen());
    return b;
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

// The screensaver names that the authoring tool and the installer must judge alike
// (tests/fixtures/scr_names.txt): the verdict, the code page of the name, the name in UTF-8.
struct TScrNameCase {
    bool Accepted;
    unsigned CodePage;
    std::string Name;
};
inline std::vector<TScrNameCase> ScrNameCases() {
    std::ifstream f(SourceFile("tests/fixtures/scr_names.txt"));
    std::vector<TScrNameCase> cases;
    for (std::string line; std::getline(f, line);) {
        const size_t open = line.find('"'), close = line.rfind('"');
        if (line.empty() || line[0] == '#' || open == std::string::npos || close <= open) continue;
        cases.push_back({line.rfind("accept", 0) == 0, static_cast<unsigned>(std::stoul(line.substr(7))),
                         line.substr(open + 1, close - open - 1)});
    }
    return cases;
}

}  // namespace testing_support
