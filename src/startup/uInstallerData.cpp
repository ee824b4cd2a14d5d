#include "startup/uInstallerData.h"
#include "container/md5.h"

TInstallerData::TInstallerData(std::string fileName) : FFileName(std::move(fileName)) {
    FThreaded = FItemsReady.Valid() && FPayloadWanted.Valid() &&
                FWorker.Start(
                    [](void* self) {
                        auto* data = static_cast<TInstallerData*>(self);
                        data->ReadItems();
                        data->FItemsReady.Set();
                        data->FPayloadWanted.Wait();
                        if (data->FPayloadAsked) data->ReadValues();
                    },
                    this);
    // Without a second thread the items are read here and the payload when it is asked for.
    if (!FThreaded) ReadItems();
}

TInstallerData::~TInstallerData() {
    if (FThreaded && !FPayloadAsked) FPayloadWanted.Set();  // the worker ends without the payload
    FWorker.Join();
}

const TInstallerSettings& TInstallerData::Settings() {
    if (FThreaded) FItemsReady.Wait();
    return FSettings;
}

void TInstallerData::ReadPayload() {
    if (FPayloadAsked) return;
    FPayloadAsked = true;
    if (FThreaded)
        FPayloadWanted.Set();
    else
        ReadValues();
}

void TInstallerData::Wait() {
    ReadPayload();
    FWorker.Join();
}

void TInstallerData::ReadItems() {
    TItemTypes items;
    try {
        FReader = std::make_unique<TDataBlockReader>(FFileName);
        FPlan = ReadPayloadItems(*FReader, items);
    } catch (...) {
        // A damaged block counts as none: every setting keeps its default and the check fails.
        FReader.reset();
        items.clear();
    }
    FSettings = ReadInstallerSettings(items);
}

void TInstallerData::ReadValues() {
    if (!FReader) return Fail();
    try {
        // The digest follows the inflate on a third thread, so that the page shows sooner.
        TThread digest;
        Check = ReadPayloadValues(*FReader, FPlan, &Payload, nullptr, &digest);
    } catch (...) {
        Fail();
    }
    FReader.reset();
}

void TInstallerData::Fail() {
    Payload.Clear();
    Check = TPayloadCheck();
    Check.Computed = VariantDigestOf("", 0);
}
