// The program's own data block, read and checked on a worker thread while the GUI thread builds
// the wizard's window. The worker only reads the file and computes; it touches no window.
#pragma once
#include "container/uPayload.h"
#include "win32/uThread.h"
#include <string>

class TInstallerData {
public:
    explicit TInstallerData(std::string fileName);
    ~TInstallerData();
    TInstallerData(const TInstallerData&) = delete;
    TInstallerData& operator=(const TInstallerData&) = delete;

    // Waits until Items hold every item but the screensaver's values (they are the GUI thread's
    // from then on), while the worker goes on with the payload.
    void WaitForItems();
    // Waits for the worker; afterwards the fields below hold what it read. An unreadable or
    // absent block gives no items, no payload, and a check that fails; damaged screensaver
    // values give no payload and a check that fails.
    void Wait();
    TItemTypes Items;
    TBuffer Payload;  // the screensaver: every "SCR" value in stored order
    TPayloadCheck Check;

private:
    void Read();
    void Fail();
    std::string FFileName;
    THandle FItemsReady;
    TThread FWorker;
};
