#pragma once
// The entry points of the bridge chip maker's library (JMUsbDll), resolved by name at run time.
// Every per-drive entry takes as its first argument a copy of the drive's symbol in a 64-byte
// buffer (text of at most 63 bytes, as GetUsbIdList wrote it).
//
// The four fingerprint and custom-data entries share their types with the fingerprint module,
// which reaches them through the hooks the drive manager installs.
#include "fingerprint/FingerprintHooks.h"

#include <cstddef>
#include <memory>
#include <string>

namespace platform {
class DynamicLibrary;
}

// Sizes of the fixed records that cross to the library.
inline constexpr int kSymbolSize = 64;      // one driveSymbol slot
inline constexpr int kSymbolSlots = 256;    // slots handed to GetUsbIdList
inline constexpr int kLettersSize = 26;     // JMGetDiskLetterEx buffer
inline constexpr int kPasswordSize = 32;    // AP_Login / AP_SetPwd buffer
inline constexpr int kCustomDataSize = 512; // AP_ReadCustomData_New / AP_WriteCustomData_New
inline constexpr int kSdkVersionSize = 16;  // GetSDKVer buffer

extern "C" {
// Called by the program.
using GetSDKVerFn = int (*)(char* version /*16 bytes*/);
using GetUsbIdListFn = int (*)(char* symbols /*slots of 64 bytes*/, int slots);
using JMGetDiskLetterExFn = int (*)(char* driveSymbol, char* letters /*26 bytes*/);
using AP_GetProductInfoFn = int (*)(char* driveSymbol, char* vendor /*64*/, char* product /*64*/,
                                    char* revision /*64*/, char* serial /*42*/);
using AP_GetSecurityStatusFn = int (*)(char* driveSymbol, int kind /*3*/,
                                       unsigned char* status /*at least 8 bytes*/);
using AP_LoginFn = int (*)(char* driveSymbol, unsigned char* password /*32*/, int mode /*1*/);
using AP_SetPwdFn = int (*)(char* driveSymbol, unsigned char* password /*32*/);
using AP_ChangePwdFn = int (*)(char* driveSymbol, unsigned char* oldAndNew /*64: old, new*/);
using AP_EraseSecurityInfoFn = int (*)(char* driveSymbol);
using AP_EraseSecurityInfoSafeModeFn = int (*)(char* driveSymbol);
using JMChipRstExFn = int (*)(char* driveSymbol);
using AP_DiskPartitionFn = int (*)(char* driveSymbol, int style /*0*/, int partitions /*1*/);
using AP_FormatDiskFn = int (*)(char* driveSymbol, const char* fileSystem, const char* label,
                                int quick /*0*/, int partition /*1*/);
using JMSafeRemoveExFn = int (*)(char* driveSymbol);
using AP_FingerPrintFunctControlFn = int (*)(char* driveSymbol, int on);
using AP_GetFingerprintStatus_VendorExFn = int (*)(char* driveSymbol,
                                                   unsigned char* status /*8 bytes*/);

// Required at binding, never called by the program.
using GetDriveListFn = int (*)(char* letters, int length);
using JMChipRstFn = int (*)(int deviceNumber);
using JMGetDiskLetterFn = int (*)(int deviceNumber, char* letters);
using JMGetUsbIdFn = int (*)(int deviceNumber, char* driveSymbol);
using JMGetVolumeNameFn = int (*)(char* driveSymbol, char* name, int length);
using JMSafeRemoveFn = int (*)(int deviceNumber);
using AP_CreateHandleFn = void* (*)(char* driveSymbol);
using AP_ReadCustomDataFn = int (*)(char* driveSymbol, unsigned char* area, int length);
using AP_WriteCustomDataFn = int (*)(char* driveSymbol, unsigned char* area, int length);
using AP_GetDiskSizeFn = int (*)(char* driveSymbol, unsigned long long* bytes);
using AP_ModifyPartitionFn = int (*)(char* driveSymbol, int style, int partitions);
using AP_EraseDiskFn = int (*)(char* driveSymbol, int mode);
using AP_CheckAreaFn = int (*)(char* driveSymbol, int area);
using AP_ChangeLunNumberFn = int (*)(char* driveSymbol, int luns);
using AP_FingerPrintPowerControlFn = int (*)(char* driveSymbol, int on);
using AP_GetFwVersionFn = int (*)(char* driveSymbol, char* version, int length);
using AP_FwUpdateFn = int (*)(char* driveSymbol, const char* binFile);
using AP_CheckLoadBinFileMatchFn = int (*)(char* driveSymbol, const char* binFile);
using AP_GetFingerprintStatus_SetupExFn = int (*)(char* driveSymbol,
                                                  unsigned char* status /*8 bytes*/);
}

struct BridgeApi {
    GetSDKVerFn GetSDKVer = nullptr; // optional: binding succeeds without it
    GetUsbIdListFn GetUsbIdList = nullptr;
    JMGetDiskLetterExFn JMGetDiskLetterEx = nullptr;
    AP_GetProductInfoFn AP_GetProductInfo = nullptr;
    AP_GetSecurityStatusFn AP_GetSecurityStatus = nullptr;
    AP_LoginFn AP_Login = nullptr;
    AP_SetPwdFn AP_SetPwd = nullptr;
    AP_ChangePwdFn AP_ChangePwd = nullptr;
    AP_EraseSecurityInfoFn AP_EraseSecurityInfo = nullptr;
    AP_EraseSecurityInfoSafeModeFn AP_EraseSecurityInfoSafeMode = nullptr;
    JMChipRstExFn JMChipRstEx = nullptr;
    AP_DiskPartitionFn AP_DiskPartition = nullptr;
    AP_FormatDiskFn AP_FormatDisk = nullptr;
    JMSafeRemoveExFn JMSafeRemoveEx = nullptr;
    SendFingerprintFn AP_SendFingerprint = nullptr;
    ReceiveFingerprintFn AP_ReceiveFingerprint = nullptr;
    ReadCustomDataFn AP_ReadCustomData_New = nullptr;
    WriteCustomDataFn AP_WriteCustomData_New = nullptr;
    AP_FingerPrintFunctControlFn AP_FingerPrintFunctControl = nullptr;
    AP_GetFingerprintStatus_VendorExFn AP_GetFingerprintStatus_VendorEx = nullptr;

    GetDriveListFn GetDriveList = nullptr;
    JMChipRstFn JMChipRst = nullptr;
    JMGetDiskLetterFn JMGetDiskLetter = nullptr;
    JMGetUsbIdFn JMGetUsbId = nullptr;
    JMGetVolumeNameFn JMGetVolumeName = nullptr;
    JMSafeRemoveFn JMSafeRemove = nullptr;
    AP_CreateHandleFn AP_CreateHandle = nullptr;
    AP_ReadCustomDataFn AP_ReadCustomData = nullptr;
    AP_WriteCustomDataFn AP_WriteCustomData = nullptr;
    AP_GetDiskSizeFn AP_GetDiskSize = nullptr;
    AP_ModifyPartitionFn AP_ModifyPartition = nullptr;
    AP_EraseDiskFn AP_EraseDisk = nullptr;
    AP_CheckAreaFn AP_CheckArea = nullptr;
    AP_ChangeLunNumberFn AP_ChangeLunNumber = nullptr;
    AP_FingerPrintPowerControlFn AP_FingerPrintPowerControl = nullptr;
    AP_GetFwVersionFn AP_GetFwVersion = nullptr;
    AP_FwUpdateFn AP_FwUpdate = nullptr;
    AP_CheckLoadBinFileMatchFn AP_CheckLoadBinFileMatch = nullptr;
    AP_GetFingerprintStatus_SetupExFn AP_GetFingerprintStatus_SetupEx = nullptr;
};

// The library's base name; the file is "JMUsbDll.dll" on Windows, "libJMUsbDll.so" elsewhere.
inline constexpr const char* kBridgeLibraryName = "JMUsbDll";

// The text kept by the drive manager when the library or one of its entries is missing.
inline constexpr const char* kBindFailedText = "Initalize the API entries fail!";

// Loads the library of this base name (a copy already in the process first, then the file beside
// the executable, then the system's search) and resolves every entry by name into `api`.
// Fails, leaving `api` empty and `library` null, when the library cannot be loaded or any entry
// but GetSDKVer is missing. `missingEntry` (optional) receives the first missing name.
bool BindBridgeApi(const std::string& baseName, std::unique_ptr<platform::DynamicLibrary>& library,
                   BridgeApi& api, std::string* missingEntry = nullptr);

// The names resolved by BindBridgeApi, GetSDKVer first.
extern const char* const kBridgeEntryNames[];
extern const std::size_t kBridgeEntryCount;
