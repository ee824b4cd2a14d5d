#include "system/uFlashUtils.h"
#include "system/uUtils.h"
#include <windows.h>
#include <ole2.h>

namespace {
const CLSID FlashPlayerClassId = {0xD27CDB6E, 0xAE6D, 0x11CF, {0x96, 0xB8, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};
const IID OleObjectId = {0x00000112, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
}  // namespace

const char FlashPlayerRegistrationKey[] = "CLSID\\{D27CDB6E-AE6D-11cf-96B8-444553540000}\\InprocServer32";

bool IsFlashPlayerCreatable() {
    try {
        IUnknown* object = nullptr;
        HRESULT hr = CoCreateInstance(FlashPlayerClassId, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                      OleObjectId, reinterpret_cast<void**>(&object));
        if (object) object->Release();
        return hr == S_OK && object;
    } catch (...) {
        return false;
    }
}

std::string GetFlashPlayerVersion() {
    std::string path = ReadRegDefault(HKEY_CLASSES_ROOT, FlashPlayerRegistrationKey);
    if (path.empty()) return "0.0.0.0";
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return "0.0.0.0";
    return GetFileVersionText(path);
}

bool IsFlashPlayerVersionAtLeast(const std::string& requiredVersion) {
    if (!IsFlashPlayerCreatable()) return false;
    return VersionAtLeast(GetFlashPlayerVersion(), requiredVersion);
}
