#include "wizard/uInstallerData.h"
#include "container/md5.h"

TInstallerData::TInstallerData(std::string fileName) : FFileName(std::move(fileName)) {
    // Without a second thread the block is read here; the window only comes later.
    if (!FWorker.Start([](void* self) { static_cast<TInstallerData*>(self)->Read(); }, this)) Read();
}

TInstallerData::~TInstallerData() { Wait(); }

void TInstallerData::Wait() { FWorker.Join(); }

void TInstallerData::Read() {
    try {
        TDataBlockReader reader(FFileName);
        // The digest follows the inflate on a third thread, so that the page shows sooner.
        TThread digest;
        Check = ReadPayload(reader, Items, &Payload, nullptr, &digest);
    } catch (...) {
        // A damaged block counts as none: every setting keeps its default and the check fails.
        Items.clear();
        Payload.Clear();
        Check = TPayloadCheck();
        Check.Computed = VariantDigestOf("", 0);
    }
}
