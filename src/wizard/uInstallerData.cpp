#include "wizard/uInstallerData.h"
#include "container/md5.h"
#include <memory>

TInstallerData::TInstallerData(std::string fileName)
    : FFileName(std::move(fileName)), FItemsReady(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {
    // Without a second thread the block is read here; the window only comes later.
    if (!FWorker.Start([](void* self) { static_cast<TInstallerData*>(self)->Read(); }, this)) Read();
}

TInstallerData::~TInstallerData() { Wait(); }

void TInstallerData::WaitForItems() {
    if (FItemsReady.Valid())
        WaitForSingleObject(FItemsReady.Get(), INFINITE);
    else
        Wait();
}

void TInstallerData::Wait() { FWorker.Join(); }

void TInstallerData::Read() {
    std::unique_ptr<TDataBlockReader> reader;
    TPayloadPlan plan;
    try {
        reader = std::make_unique<TDataBlockReader>(FFileName);
        plan = ReadPayloadItems(*reader, Items);
    } catch (...) {
        // A damaged block counts as none: every setting keeps its default and the check fails.
        reader.reset();
        Items.clear();
    }
    // From here on the items belong to the GUI thread, which uses them while the values are read.
    if (FItemsReady.Valid()) SetEvent(FItemsReady.Get());
    if (!reader) return Fail();
    try {
        // The digest follows the inflate on a third thread, so that the page shows sooner.
        TThread digest;
        Check = ReadPayloadValues(*reader, plan, &Payload, nullptr, &digest);
    } catch (...) {
        Fail();
    }
}

void TInstallerData::Fail() {
    Payload.Clear();
    Check = TPayloadCheck();
    Check.Computed = VariantDigestOf("", 0);
}
