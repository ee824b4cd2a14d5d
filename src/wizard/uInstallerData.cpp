#include "wizard/uInstallerData.h"
#include "container/md5.h"

TInstallerData::TInstallerData(std::string fileName) : FFileName(std::move(fileName)) {
    FWorker = std::thread([this] { Read(); });
}

TInstallerData::~TInstallerData() { Wait(); }

void TInstallerData::Wait() {
    if (FWorker.joinable()) FWorker.join();
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
