#include "device/DiskManager.h"

#include "platform/Clock.h"
#include "platform/DynamicLibrary.h"
#include "platform/SystemDialogs.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// The fingerprint module's trace lines go nowhere in the product.
void DiscardTrace(const char*) {}

// How long the destructor waits for running workers before it leaves the library loaded.
constexpr auto kWorkerDrainTime = std::chrono::seconds(10);

} // namespace

DiskManager::DiskManager(platform::WindowHandle window) {
    Construct(window, kBridgeLibraryName);
}

DiskManager::DiskManager(platform::WindowHandle window, const std::string& libraryName) {
    Construct(window, libraryName);
}

void DiskManager::Construct(platform::WindowHandle window, const std::string& libraryName) {
    if (!BindBridgeApi(libraryName, library, api))
        bindError = kBindFailedText;
    if (library && api.GetSDKVer) {
        char version[kSdkVersionSize] = {};
        api.GetSDKVer(version);
    }
    notifyWindow = window;
    closeFormatOffer = platform::CloseSystemFormatDialog;

    sendHook = api.AP_SendFingerprint;
    receiveHook = api.AP_ReceiveFingerprint;
    writeHook = api.AP_WriteCustomData_New;
    readHook = api.AP_ReadCustomData_New;
    traceSink = DiscardTrace;
    InstallFingerprintHooks(sendHook, receiveHook, writeHook, readHook, traceSink);
}

DiskManager::~DiskManager() {
    stopping = true;
    workerRun = 0;
    bool drained;
    {
        std::unique_lock lock(workersMutex);
        drained = workersDone.wait_for(lock, kWorkerDrainTime, [&] { return runningWorkers == 0; });
    }
    // The process-wide hooks must not outlive the library they point into.
    if (::sendHook == api.AP_SendFingerprint && ::readHook == api.AP_ReadCustomData_New)
        InstallFingerprintHooks(nullptr, nullptr, nullptr, nullptr, nullptr);
    for (auto& entry : fingerprintList)
        entry.reset();
    delete[] enrollPayload;
    enrollPayload = nullptr;
    // A worker still inside the library keeps it: unloading under it would crash the process.
    if (!drained)
        (void)library.release();
}

void DiskManager::RunDetached(std::function<void()> work) {
    {
        std::lock_guard lock(workersMutex);
        ++runningWorkers;
    }
    std::thread worker([this, work = std::move(work)] {
        work();
        std::lock_guard lock(workersMutex);
        --runningWorkers;
        workersDone.notify_all();
    });
    lastThread = worker.get_id();
    worker.detach();
}

SymbolBuffer DiskManager::SymbolOf(int driveIndex) const {
    SymbolBuffer out{};
    if (driveIndex < 0 || driveIndex >= kSymbolSlots)
        return out;
    std::lock_guard lock(tableMutex);
    std::memcpy(out.data(), symbols[driveIndex], kSymbolSize - 1);
    return out;
}

int DiskManager::RefillTable() {
    std::lock_guard lock(tableMutex);
    int count = api.GetUsbIdList(&symbols[0][0], kSymbolSlots);
    driveCount = count;
    for (auto& slot : symbols)
        slot[kSymbolSize - 1] = '\0'; // whatever the library wrote, every slot stays a text
    return count;
}

int DiskManager::ListDrives(std::vector<std::unique_ptr<DriveEntry>>& list) {
    list.clear();
    if (!IsBound())
        return 0;
    int count = RefillTable();
    if (count == 0)
        return 0;
    int listed = std::min(count, kSymbolSlots);
    for (int i = 0; i < listed; ++i) {
        SymbolBuffer symbol = SymbolOf(i);

        char letters[kLettersSize] = {};
        SymbolBuffer call = symbol;
        bool haveLetters = api.JMGetDiskLetterEx(call.data(), letters) == 1;
        letters[kLettersSize - 1] = '\0';

        char description[90] = {}; // at most 89 characters
        std::snprintf(description, sizeof description, "%s\t << %s >>\n", symbol.data(),
                      haveLetters ? letters : "");

        char vendor[64] = {}, product[64] = {}, revision[64] = {}, serial[42] = {};
        call = symbol;
        api.AP_GetProductInfo(call.data(), vendor, product, revision, serial);
        product[sizeof product - 1] = '\0';
        if (std::strcmp(product, kProductName) != 0)
            continue;

        auto entry = std::make_unique<DriveEntry>();
        entry->index = i;
        entry->description = description;
        entry->letters = haveLetters ? letters : "";
        size_t length = std::strlen(symbol.data());
        entry->hasShortTail = length >= 2 && symbol[length - 2] == '\\';
        std::memcpy(entry->driveSymbol, symbol.data(), kSymbolSize);
        list.push_back(std::move(entry));
    }
    return 1;
}

int DiskManager::QuerySecurityStatus(int driveIndex) {
    if (!IsBound())
        return kSecurityQueryFailed;
    SymbolBuffer symbol = SymbolOf(driveIndex);
    unsigned char status[32] = {};
    if (api.AP_GetSecurityStatus(symbol.data(), 3, status) != 1)
        return kSecurityQueryFailed;
    if (status[2] == 0x00)
        return kSecurityNoPassword;
    if (status[2] == 0xFF && status[1] == 0xAA)
        return kSecurityUnlocked;
    if (status[2] == 0xFF && status[1] == 0x55)
        return kSecurityLocked;
    return kSecurityUnknown;
}
