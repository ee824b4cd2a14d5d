// The program's own data block, read and checked on a worker thread while the GUI thread decides
// how to start and builds the wizard's window. The worker only reads the file and computes; it
// touches no window. It reads the items first; the payload only once it is asked for, so that a
// run that ends at its start-up decision does not read it.
#pragma once
#include "container/uInstallerSettings.h"
#include "container/uPayload.h"
#include "win32/uEvent.h"
#include "win32/uThread.h"
#include <memory>
#include <string>

class TInstallerData {
public:
    explicit TInstallerData(std::string fileName);
    ~TInstallerData();
    TInstallerData(const TInstallerData&) = delete;
    TInstallerData& operator=(const TInstallerData&) = delete;

    // Waits until the items are read. An unreadable or absent block gives the defaults.
    const TInstallerSettings& Settings();
    // Lets the worker go on with the payload.
    void ReadPayload();
    // Waits for the payload (asking for it first); afterwards the fields below hold what was read.
    // An unreadable or absent block, or damaged screensaver values, give no payload and a check
    // that fails.
    void Wait();
    TBuffer Payload;  // the screensaver: every one of its values in stored order
    TPayloadCheck Check;

private:
    void ReadItems();
    void ReadValues();
    void Fail();
    std::string FFileName;
    std::unique_ptr<TDataBlockReader> FReader;
    TPayloadPlan FPlan;
    TInstallerSettings FSettings;
    TManualEvent FItemsReady, FPayloadWanted;
    bool FPayloadAsked = false;  // written before FPayloadWanted is set, read after it
    bool FThreaded = false;
    TThread FWorker;
};
