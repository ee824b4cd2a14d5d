#include "uResourceIcon.h"

bool ReplaceIcon(const std::string& fileName, TIcon& icon, const std::string& groupName) {
    if (icon.Empty()) return false;
    TMemoryStream stream;
    icon.SaveToStream(stream);
    stream.SetPosition(0);
    return ReplaceIconFromStream(fileName, stream, groupName);
}
