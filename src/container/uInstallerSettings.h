// The installer's settings: every item of its data block that it reads, with its default, taken
// once from the block's items. The start-up decision, the wizard and a silent run all read these.
#pragma once
#include "container/uExeAdder.h"
#include <cstdint>
#include <optional>
#include <string>

struct TInstallerSettings {
    std::string Guid;          // the screensaver's identifier: its mutex, copied into the uninstaller
    std::string Digest;        // expected digest text of the payload
    uint32_t DigestLength = 0; // leading payload bytes the digest covers
    std::string FlashVersion;  // the player version required, dotted
    std::string ScrName;       // base of every file name and of the Uninstall key
    bool Silent = false;
    std::optional<std::string> Title;  // absent: the form's caption of the language
    std::string MessageJa, MessageEn;  // welcome patterns; empty: ours
    std::string LeftImage, TopImage;   // BMP file images; empty: the pictures the form carries
    bool TopImageVisible = true;
    std::string UninstallerIcon;       // ICO file image; empty: the uninstaller keeps its icon
    bool ForceSet = false;             // always make the screensaver current; hides the choice
    bool VerCheck = true;              // require the player version
    std::string InstallPath;           // fixed directory, may hold environment references
    std::string Eula;                  // empty: no licence page
    std::string Readme;                // empty: no readme
    bool CheckAdmin = true;            // administrator rights required
    std::string Publisher, Version, Url;  // for the Uninstall entry; empty: not written
};

// Items in stored order: for a repeated name the later one wins, the readme's values are joined.
// A flag or number shorter than its size counts as absent; an empty picture or icon leaves ours,
// and so does an icon the installer could not use. Items of other names are ignored.
TInstallerSettings ReadInstallerSettings(const TItemTypes& items);
