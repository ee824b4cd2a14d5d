#include "wizard/uInstallerData.h"
#include "container/md5.h"

TInstallerData::TInstallerData(std::string fileName) : FFileName(std::move(fileName)) {
    *FWorker.Receive() = CreateThread(nullptr, 0, ReadThread, this, 0, nullptr);
    // Without a second thread the block is read here; the window only comes later.
    if (!FWorker.Valid()) Read();
}

TInstallerData::~TInstallerData() { Wait(); }

DWORD WINAPI TInstallerData::ReadThread(LPVOID self) {
    static_cast<TInstallerData*>(self)->Read();
    return 0;
}

void TInstallerData::Wait() {
    if (!FWorker.Valid()) return;
    WaitForSingleObject(FWorker.Get(), INFINITE);
    FWorker.Close();
}

void TInstallerData::Read() {
    try {
        TDataBlockReader reader(FFileName);
        Check = ReadPayload(reader, Items, &Payload);
    } catch (...) {
        // A damaged block counts as none: every setting keeps its default and the check fails.
        Items.clear();
        Payload.Clear();
        Check = TPayloadCheck();
        Check.Computed = VariantDigestOf("", 0);
    }
}
