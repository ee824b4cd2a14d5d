// The installer manifest: what a distributor writes, checked and turned into container items.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct TManifestItem {
    std::string Name;
    std::string Value;  // bytes
    bool Compressed = true;
};

#include "base/Buffer.h"
#include <optional>

// The payload (the screensaver) and its check values are kept apart from the other items: the payload
// may be large, and the tool digests and compresses it at the same time.
struct TManifest {
    std::string Stub;                  // optional stub path from the manifest
    std::vector<TManifestItem> Items;  // stored first, in this order
    bool HasScr = false;
    TBuffer Scr;
    bool CompressScr = true;
    std::optional<std::string> Mxf;    // overrides of the computed check values
    std::optional<uint32_t> Mxl;
    // For package managers' manifests (UTF-8 as written): publisher, version and url are items too,
    // license and description only for them.
    std::string Publisher, Version, Url, License, Description;
    std::string ScrName, Title;        // UTF-8: the name and the title (empty when none)
    unsigned CodePage = 1252;
};

// Reads and checks a manifest file; raises EManifestError naming the file and the key.
TManifest LoadManifest(const std::string& fileName);
// The same for a verb: false when it is refused, after printing the sentence (cmd_build.cpp).
bool LoadManifestOrSay(const std::string& fileName, TManifest& manifest);

struct EManifestError {
    std::string Message;
};

// Checks used by the manifest loader, exposed for tests.
// "https://" or "http://" (any case) and at least one more character, no blank or control.
bool IsWebAddress(const std::string& text);
// Up to four decimal numbers joined by dots: the only version text the installer compares.
bool IsDottedVersion(const std::string& version);
bool LooksLikeBmp(const std::string& bytes, std::string& why);
bool LooksLikeIco(const std::string& bytes, std::string& why);
// Text the installer can show as it is in that code page: not UTF-16, no NUL, not UTF-8 beyond
// ASCII when the code page is another, and every byte a character of the code page.
bool LooksLikeText(const std::string& bytes, unsigned codePage, std::string& why);
