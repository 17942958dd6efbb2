// Our stand-in for the bridge maker's library: every entry by name with C linkage, backed by the
// simulated drives of sim/. Each entry is one locked transaction on the shared state; bad input
// (no symbol, a symbol of no attached drive, a null buffer, a wrong length) gives the entry's
// failure result and never touches memory it was not given.
#include "device/BridgeApi.h"
#include "sim/FingerprintEngine.h"
#include "sim/Security.h"
#include "sim/SimStore.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <type_traits>

#if defined(_WIN32)
#define JM_EXPORT extern "C" __declspec(dllexport)
#else
#define JM_EXPORT extern "C" __attribute__((visibility("default")))
#endif

using namespace sim;

namespace {

// The symbol text in a 64-byte buffer: at least one byte, zero-terminated within the buffer.
bool SymbolText(const char* symbol, std::string& out) {
    if (!symbol)
        return false;
    size_t n = 0;
    while (n < size_t(kSymbolSize) && symbol[n])
        ++n;
    if (n == 0 || n == size_t(kSymbolSize))
        return false;
    out.assign(symbol, n);
    return true;
}

// Runs `op` on the answering drive named by `symbol`; `failure` when there is none. `op` sets
// `changed` to false when it only read the drive.
template <typename Op> int OnDrive(const char* symbol, int failure, Op op) {
    std::string text;
    if (!SymbolText(symbol, text))
        return failure;
    int result = failure;
    Transact([&](State& s) {
        Drive* d = s.FindBySymbol(text);
        if (!d)
            return false;
        bool changed = true;
        result = op(*d, changed);
        return changed;
    });
    return result;
}

// The text of a zero-filled password buffer (all 32 bytes when none is zero).
std::string PasswordText(const unsigned char* buffer) {
    size_t n = 0;
    while (n < size_t(kPasswordSize) && buffer[n])
        ++n;
    return std::string(reinterpret_cast<const char*>(buffer), n);
}

void CopyField(char* field, size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

void WipeVolume(const Drive& d) {
    std::error_code ec;
    std::filesystem::path root = VolumeRoot(SimDir(), d.id);
    for (const auto& entry : std::filesystem::directory_iterator(root, ec))
        std::filesystem::remove_all(entry.path(), ec);
}

// The drive leaves the bus and comes back (locked again when it has a password), unless a
// no-return fault keeps it away until plugged.
int ResetDrive(const char* symbol) {
    int64_t returnAt = 0;
    int result = OnDrive(symbol, 0, [&](Drive& d, bool&) {
        d.bus = Bus::Away;
        d.locked = d.HasPassword();
        d.finger.clear();
        d.pendingAnswer.clear();
        d.captures.clear();
        d.matchLatched = false;
        d.volumeHiddenUntilMs = 0;
        d.awayUntilMs = TakeFault(d, "no-return") ? 0 : returnAt = WallNowMs() + TransitionMs();
        return 1;
    });
    if (result && returnAt)
        WaitAndSettle(returnAt);
    return result;
}

int CustomData(const char* symbol, unsigned char* area, int length, bool write) {
    if (!area || length != kCustomDataSize)
        return 0;
    return OnDrive(symbol, 0, [&](Drive& d, bool& changed) {
        if (TakeFault(d, write ? "write-fail" : "read-fail"))
            return 0;
        if (write)
            std::memcpy(d.customData.data(), area, kCustomDataSize);
        else {
            std::memcpy(area, d.customData.data(), kCustomDataSize);
            changed = false;
        }
        return 1;
    });
}

int SymbolOfDeviceNumber(int deviceNumber, std::string& symbol) {
    State s;
    if (!Snapshot(s))
        return 0;
    auto drives = s.OnBus();
    if (deviceNumber < 0 || deviceNumber >= int(drives.size()))
        return 0;
    symbol = SymbolOf(*drives[size_t(deviceNumber)]);
    return 1;
}

int DiskLetter(const char* symbol, char* letters, size_t size) {
    if (!letters)
        return 0;
    return OnDrive(symbol, 0, [&](Drive& d, bool& changed) {
        changed = false;
        if (TakeFault(d, "letter-fail")) {
            changed = true;
            return 0;
        }
        if (!CurrentVolume(d, WallNowMs()))
            return 0;
        CopyField(letters, size, d.letter);
        return 1;
    });
}

int FingerprintStatusBytes(const char* symbol, unsigned char* status) {
    if (!status)
        return 0;
    return OnDrive(symbol, 0, [&](Drive& d, bool& changed) {
        uint8_t bytes[8];
        if (TakeFault(d, "vendor-status-fail"))
            return 0;
        VendorStatus(d, bytes);
        changed = bytes[4] == 1; // a reported match is consumed
        std::memcpy(status, bytes, 8);
        return 1;
    });
}

} // namespace

JM_EXPORT int GetSDKVer(char* version) {
    if (!version)
        return 0;
    CopyField(version, kSdkVersionSize, "JMSIM 1.0.0");
    return 1;
}

JM_EXPORT int GetUsbIdList(char* symbols, int slots) {
    if (!symbols || slots <= 0)
        return -1;
    State s;
    if (!Snapshot(s))
        return -1;
    int count = 0;
    for (Drive* d : s.OnBus()) {
        if (count == slots)
            break;
        CopyField(symbols + size_t(count) * kSymbolSize, kSymbolSize, SymbolOf(*d));
        ++count;
    }
    return count;
}

JM_EXPORT int JMGetDiskLetterEx(char* driveSymbol, char* letters) {
    return DiskLetter(driveSymbol, letters, kLettersSize);
}

JM_EXPORT int AP_GetProductInfo(char* driveSymbol, char* vendor, char* product, char* revision,
                                char* serial) {
    if (!vendor || !product || !revision || !serial)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool& changed) {
        changed = false;
        if (TakeFault(d, "product-fail")) {
            changed = true;
            return 0;
        }
        CopyField(vendor, 64, "ZEMO");
        CopyField(product, 64, d.product);
        CopyField(revision, 64, "0100");
        CopyField(serial, 42, d.serial);
        return 1;
    });
}

JM_EXPORT int AP_GetSecurityStatus(char* driveSymbol, int kind, unsigned char* status) {
    if (!status || kind != 3)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool& changed) {
        changed = false;
        if (TakeFault(d, "status-fail")) {
            changed = true;
            return 0;
        }
        uint8_t bytes[8] = {0x03, 0x00, 0x00, 0, 0, 0, 0, 0};
        if (d.HasPassword()) {
            bytes[1] = d.locked ? 0x55 : 0xAA;
            bytes[2] = 0xFF;
        }
        if (d.statusByte1Override >= 0) {
            bytes[1] = uint8_t(d.statusByte1Override);
            bytes[2] = uint8_t(d.statusByte2Override);
        }
        std::memcpy(status, bytes, 8);
        return 1;
    });
}

JM_EXPORT int AP_Login(char* driveSymbol, unsigned char* password, int /*mode*/) {
    if (!password)
        return 0;
    std::string text = PasswordText(password);
    int64_t remountAt = 0;
    int result = OnDrive(driveSymbol, 0, [&](Drive& d, bool& changed) {
        if (TakeFault(d, "login-fail"))
            return 0;
        changed = false;
        if (!PasswordMatches(d, text))
            return 0;
        if (d.locked) {
            // The drive leaves and returns as it unlocks: the disc goes, the data volume comes.
            d.locked = false;
            d.volumeHiddenUntilMs = remountAt = WallNowMs() + TransitionMs();
            changed = true;
        }
        return 1;
    });
    if (result && remountAt)
        WaitAndSettle(remountAt);
    return result;
}

JM_EXPORT int AP_SetPwd(char* driveSymbol, unsigned char* password) {
    if (!password)
        return 0;
    std::string text = PasswordText(password);
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "setpwd-fail") || d.HasPassword() || text.empty())
            return 0;
        StorePassword(d, text);
        return 1;
    });
}

JM_EXPORT int AP_ChangePwd(char* driveSymbol, unsigned char* oldAndNew) {
    if (!oldAndNew)
        return 0;
    std::string oldText = PasswordText(oldAndNew), newText = PasswordText(oldAndNew + 32);
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "changepwd-fail") || d.locked || newText.empty() ||
            !PasswordMatches(d, oldText))
            return 0;
        StorePassword(d, newText);
        return 1;
    });
}

JM_EXPORT int AP_EraseSecurityInfo(char* driveSymbol) {
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "erase-fail"))
            return 0;
        // Full security erase: password and data are gone; the drive needs a new partition.
        ForgetPassword(d);
        d.partitioned = false;
        d.fileSystem.clear();
        d.label.clear();
        d.used = 0;
        WipeVolume(d);
        return 1;
    });
}

JM_EXPORT int AP_EraseSecurityInfoSafeMode(char* driveSymbol) {
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "safemode-fail") || !d.HasPassword() || d.locked)
            return 0;
        ForgetPassword(d);
        return 1;
    });
}

JM_EXPORT int JMChipRstEx(char* driveSymbol) {
    return ResetDrive(driveSymbol);
}

JM_EXPORT int AP_DiskPartition(char* driveSymbol, int /*style*/, int /*partitions*/) {
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "partition-fail") || d.locked)
            return 0;
        d.partitioned = true;
        d.fileSystem.clear();
        d.used = 0;
        WipeVolume(d);
        return 1;
    });
}

JM_EXPORT int AP_FormatDisk(char* driveSymbol, const char* fileSystem, const char* label,
                            int /*quick*/, int /*partition*/) {
    if (!fileSystem || !label)
        return 0;
    std::string fs = fileSystem, name(label, strnlen(label, 64));
    bool known = fs == "exFAT" || fs == "NTFS" || fs == "FAT32";
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "format-fail") || d.locked || !d.partitioned || !known || name.size() > 32)
            return 0;
        d.fileSystem = fs;
        d.label = name;
        d.used = 0;
        WipeVolume(d);
        return 1;
    });
}

JM_EXPORT int JMSafeRemoveEx(char* driveSymbol) {
    return OnDrive(driveSymbol, -1, [&](Drive& d, bool&) {
        if (TakeFault(d, "eject-fail"))
            return -1;
        d.bus = Bus::Ejected;
        d.finger.clear();
        d.pendingAnswer.clear();
        return 1;
    });
}

JM_EXPORT int AP_SendFingerprint(char* driveSymbol, unsigned char* frame, int length) {
    if (!frame || length != 8)
        return 0;
    uint8_t copy[8];
    std::memcpy(copy, frame, 8);
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        d.pendingAnswer.clear();
        if (TakeFault(d, "send-fail"))
            return 0;
        d.pendingAnswer = RunEngineCommand(d, copy);
        return 1;
    });
}

JM_EXPORT int AP_ReceiveFingerprint(char* driveSymbol, unsigned char* answer, int length) {
    if (!answer || length <= 0)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        std::vector<uint8_t> a = std::move(d.pendingAnswer);
        d.pendingAnswer.clear();
        if (a.empty() || length != int(a.size()) || TakeFault(d, "receive-fail"))
            return 0;
        // Corruptions only hit answers that report success, where the program checks them.
        if (a[4] == kEngineOk && TakeFault(d, "bad-header")) {
            a[1] = 0x63;
            a[2] = 0x62;
        }
        if (a[4] == kEngineOk && TakeFault(d, "bad-checksum"))
            a.back() = uint8_t(a.back() - 1);
        std::memcpy(answer, a.data(), a.size());
        return 1;
    });
}

JM_EXPORT int AP_ReadCustomData_New(char* driveSymbol, unsigned char* area, int length) {
    return CustomData(driveSymbol, area, length, false);
}

JM_EXPORT int AP_WriteCustomData_New(char* driveSymbol, unsigned char* area, int length) {
    return CustomData(driveSymbol, area, length, true);
}

JM_EXPORT int AP_FingerPrintFunctControl(char* driveSymbol, int on) {
    if (on != 0 && on != 1)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (TakeFault(d, "function-fail") || d.locked)
            return 0;
        d.fingerprintFunction = on == 1;
        return 1;
    });
}

JM_EXPORT int AP_GetFingerprintStatus_VendorEx(char* driveSymbol, unsigned char* status) {
    return FingerprintStatusBytes(driveSymbol, status);
}

// --- Entries the program binds but never calls -------------------------------------------------

JM_EXPORT int GetDriveList(char* letters, int length) {
    if (!letters || length <= 0)
        return 0;
    State s;
    if (!Snapshot(s))
        return 0;
    std::string all;
    for (Drive* d : s.OnBus())
        if (CurrentVolume(*d, WallNowMs()))
            all += d->letter;
    CopyField(letters, size_t(length), all);
    return int(std::min(all.size(), size_t(length - 1)));
}

JM_EXPORT int JMChipRst(int deviceNumber) {
    std::string symbol;
    if (!SymbolOfDeviceNumber(deviceNumber, symbol))
        return 0;
    return ResetDrive(symbol.c_str());
}

JM_EXPORT int JMGetDiskLetter(int deviceNumber, char* letters) {
    std::string symbol;
    if (!SymbolOfDeviceNumber(deviceNumber, symbol))
        return 0;
    return DiskLetter(symbol.c_str(), letters, kLettersSize);
}

JM_EXPORT int JMGetUsbId(int deviceNumber, char* driveSymbol) {
    std::string symbol;
    if (!driveSymbol || !SymbolOfDeviceNumber(deviceNumber, symbol))
        return 0;
    CopyField(driveSymbol, kSymbolSize, symbol);
    return 1;
}

JM_EXPORT int JMGetVolumeName(char* driveSymbol, char* name, int length) {
    if (!name || length <= 0)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool& changed) {
        changed = false;
        if (!d.HasDataVolume() || d.locked)
            return 0;
        CopyField(name, size_t(length), d.label);
        return 1;
    });
}

JM_EXPORT int JMSafeRemove(int deviceNumber) {
    std::string symbol;
    if (!SymbolOfDeviceNumber(deviceNumber, symbol))
        return -1;
    return JMSafeRemoveEx(symbol.data());
}

JM_EXPORT void* AP_CreateHandle(char* driveSymbol) {
    // Handles are not needed by the simulation; a known drive gets a token, others none.
    static int token;
    return OnDrive(driveSymbol, 0,
                   [](Drive&, bool& changed) {
                       changed = false;
                       return 1;
                   })
               ? &token
               : nullptr;
}

JM_EXPORT int AP_ReadCustomData(char* driveSymbol, unsigned char* area, int length) {
    return CustomData(driveSymbol, area, length, false);
}

JM_EXPORT int AP_WriteCustomData(char* driveSymbol, unsigned char* area, int length) {
    return CustomData(driveSymbol, area, length, true);
}

JM_EXPORT int AP_GetDiskSize(char* driveSymbol, unsigned long long* bytes) {
    if (!bytes)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool& changed) {
        changed = false;
        *bytes = d.size;
        return 1;
    });
}

JM_EXPORT int AP_ModifyPartition(char* driveSymbol, int style, int partitions) {
    return AP_DiskPartition(driveSymbol, style, partitions);
}

JM_EXPORT int AP_EraseDisk(char* driveSymbol, int /*mode*/) {
    return OnDrive(driveSymbol, 0, [&](Drive& d, bool&) {
        if (d.locked)
            return 0;
        d.used = 0;
        WipeVolume(d);
        return 1;
    });
}

// A variant of the library built without this entry lets tests see a failed binding.
#ifndef KELMORA_SIM_WITHOUT_CHECK_AREA
JM_EXPORT int AP_CheckArea(char* driveSymbol, int /*area*/) {
    return OnDrive(driveSymbol, 0, [](Drive&, bool& changed) {
        changed = false;
        return 1;
    });
}
#endif

JM_EXPORT int AP_ChangeLunNumber(char* driveSymbol, int /*luns*/) {
    // The simulated bridge has one logical unit; changing it is not supported.
    return OnDrive(driveSymbol, 0, [](Drive&, bool& changed) {
        changed = false;
        return 0;
    });
}

JM_EXPORT int AP_FingerPrintPowerControl(char* driveSymbol, int on) {
    if (on != 0 && on != 1)
        return 0;
    return OnDrive(driveSymbol, 0, [](Drive&, bool& changed) {
        changed = false;
        return 1;
    });
}

JM_EXPORT int AP_GetFwVersion(char* driveSymbol, char* version, int length) {
    if (!version || length <= 0)
        return 0;
    return OnDrive(driveSymbol, 0, [&](Drive&, bool& changed) {
        changed = false;
        CopyField(version, size_t(length), "1.02.00");
        return 1;
    });
}

JM_EXPORT int AP_FwUpdate(char* driveSymbol, const char* /*binFile*/) {
    // There is no firmware to update in a simulated bridge.
    return OnDrive(driveSymbol, 0, [](Drive&, bool& changed) {
        changed = false;
        return 0;
    });
}

JM_EXPORT int AP_CheckLoadBinFileMatch(char* driveSymbol, const char* /*binFile*/) {
    return OnDrive(driveSymbol, 0, [](Drive&, bool& changed) {
        changed = false;
        return 0;
    });
}

JM_EXPORT int AP_GetFingerprintStatus_SetupEx(char* driveSymbol, unsigned char* status) {
    return FingerprintStatusBytes(driveSymbol, status);
}

// The exported entries have exactly the types the program binds them as.
#define JM_SAME_TYPE(name) static_assert(std::is_same_v<decltype(&name), name##Fn>, #name)
JM_SAME_TYPE(GetSDKVer);
JM_SAME_TYPE(GetUsbIdList);
JM_SAME_TYPE(JMGetDiskLetterEx);
JM_SAME_TYPE(AP_GetProductInfo);
JM_SAME_TYPE(AP_GetSecurityStatus);
JM_SAME_TYPE(AP_Login);
JM_SAME_TYPE(AP_SetPwd);
JM_SAME_TYPE(AP_ChangePwd);
JM_SAME_TYPE(AP_EraseSecurityInfo);
JM_SAME_TYPE(AP_EraseSecurityInfoSafeMode);
JM_SAME_TYPE(JMChipRstEx);
JM_SAME_TYPE(AP_DiskPartition);
JM_SAME_TYPE(AP_FormatDisk);
JM_SAME_TYPE(JMSafeRemoveEx);
JM_SAME_TYPE(AP_FingerPrintFunctControl);
JM_SAME_TYPE(AP_GetFingerprintStatus_VendorEx);
JM_SAME_TYPE(GetDriveList);
JM_SAME_TYPE(JMChipRst);
JM_SAME_TYPE(JMGetDiskLetter);
JM_SAME_TYPE(JMGetUsbId);
JM_SAME_TYPE(JMGetVolumeName);
JM_SAME_TYPE(JMSafeRemove);
JM_SAME_TYPE(AP_CreateHandle);
JM_SAME_TYPE(AP_ReadCustomData);
JM_SAME_TYPE(AP_WriteCustomData);
JM_SAME_TYPE(AP_GetDiskSize);
JM_SAME_TYPE(AP_ModifyPartition);
JM_SAME_TYPE(AP_EraseDisk);
#ifndef KELMORA_SIM_WITHOUT_CHECK_AREA
JM_SAME_TYPE(AP_CheckArea);
#endif
JM_SAME_TYPE(AP_ChangeLunNumber);
JM_SAME_TYPE(AP_FingerPrintPowerControl);
JM_SAME_TYPE(AP_GetFwVersion);
JM_SAME_TYPE(AP_FwUpdate);
JM_SAME_TYPE(AP_CheckLoadBinFileMatch);
JM_SAME_TYPE(AP_GetFingerprintStatus_SetupEx);
static_assert(std::is_same_v<decltype(&AP_SendFingerprint), SendFingerprintFn>);
static_assert(std::is_same_v<decltype(&AP_ReceiveFingerprint), ReceiveFingerprintFn>);
static_assert(std::is_same_v<decltype(&AP_ReadCustomData_New), ReadCustomDataFn>);
static_assert(std::is_same_v<decltype(&AP_WriteCustomData_New), WriteCustomDataFn>);
