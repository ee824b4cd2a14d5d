// The identifiers a file or folder's access list lets in, for tests of private folders.
#pragma once
#include <windows.h>
#include <sddl.h>
#include <string>
#include <vector>

// The S-1-... texts of the access-allowed entries; empty when the list cannot be read.
inline std::vector<std::string> AllowedSids(const std::string& path) {
    std::vector<std::string> sids;
    alignas(8) char buffer[4096];
    DWORD needed = 0;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, buffer, sizeof buffer, &needed) ||
        !GetSecurityDescriptorDacl(buffer, &present, &dacl, &defaulted) || !present || !dacl)
        return sids;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACCESS_ALLOWED_ACE* ace = nullptr;
        char* text = nullptr;
        if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE ||
            !ConvertSidToStringSidA(&ace->SidStart, &text))
            continue;
        sids.push_back(text);
        LocalFree(text);
    }
    return sids;
}

// Everyone, Authenticated Users and Users: the others a private folder must keep out.
inline bool IsOthers(const std::string& sid) { return sid == "S-1-1-0" || sid == "S-1-5-11" || sid == "S-1-5-32-545"; }
