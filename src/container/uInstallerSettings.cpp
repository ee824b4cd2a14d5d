#include "container/uInstallerSettings.h"
#include "base/Endian.h"
#include "container/uIconFile.h"
#include "container/uInstallerContract.h"
#include <cstring>

namespace {

std::string TextOf(const TItemType& item) {
    return std::string(reinterpret_cast<const char*>(item.Data.Data()), item.Data.Size());
}

void TakeFlag(const TItemType& item, bool& flag) {
    if (item.Data.Size() >= 1) flag = item.Data.Data()[0] != 0;
}

void TakeFile(const TItemType& item, std::string& file) {
    if (!item.Data.Empty()) file = TextOf(item);
}

bool IsUsableIcon(const std::string& file) {
    try {
        CheckIconFile(reinterpret_cast<const uint8_t*>(file.data()), file.size());
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

TInstallerSettings ReadInstallerSettings(const TItemTypes& items) {
    TInstallerSettings s;
    for (const TItemType& item : items) {
        const std::string& n = item.Name;
        if (n == ItemName::Guid) s.Guid = TextOf(item);
        else if (n == ItemName::Digest) s.Digest = TextOf(item);
        else if (n == ItemName::DigestLength) { if (item.Data.Size() >= 4) s.DigestLength = GetLE32(item.Data.Data()); }
        else if (n == ItemName::FlashVersion) s.FlashVersion = TextOf(item);
        else if (n == ItemName::ScrName) s.ScrName = TextOf(item);
        else if (n == ItemName::Silent) TakeFlag(item, s.Silent);
        else if (n == ItemName::Title) s.Title = TextOf(item);
        else if (n == ItemName::MessageJa) s.MessageJa = TextOf(item);
        else if (n == ItemName::MessageEn) s.MessageEn = TextOf(item);
        else if (n == ItemName::LeftImage) TakeFile(item, s.LeftImage);
        else if (n == ItemName::TopImage) TakeFile(item, s.TopImage);
        else if (n == ItemName::TopImageVisible) TakeFlag(item, s.TopImageVisible);
        else if (n == ItemName::UninstallerIcon) {
            // One the installer cannot use leaves the uninstaller with the icon it carries.
            if (!item.Data.Empty()) s.UninstallerIcon = IsUsableIcon(TextOf(item)) ? TextOf(item) : std::string();
        }
        else if (n == ItemName::ForceSet) TakeFlag(item, s.ForceSet);
        else if (n == ItemName::VerCheck) TakeFlag(item, s.VerCheck);
        else if (n == ItemName::InstallPath) s.InstallPath = TextOf(item);
        else if (n == ItemName::Eula) s.Eula = TextOf(item);
        else if (n == ItemName::Readme) s.Readme += TextOf(item);
        else if (n == ItemName::CheckAdmin) { s.CheckAdmin = item.Data.Empty() || item.Data.Data()[0] != 0; }
        else if (n == ItemName::Publisher) s.Publisher = TextOf(item);
        else if (n == ItemName::Version) s.Version = TextOf(item);
        else if (n == ItemName::Url) s.Url = TextOf(item);
    }
    return s;
}
