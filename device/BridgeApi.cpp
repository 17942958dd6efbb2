#include "device/BridgeApi.h"

#include "platform/DynamicLibrary.h"

// Every entry but GetSDKVer is required; the order is the order of the check.
#define KELMORA_REQUIRED_ENTRIES(X)                                                                \
    X(GetUsbIdList)                                                                                \
    X(JMGetDiskLetterEx)                                                                           \
    X(AP_GetProductInfo)                                                                           \
    X(AP_GetSecurityStatus)                                                                        \
    X(AP_Login)                                                                                    \
    X(AP_SetPwd)                                                                                   \
    X(AP_ChangePwd)                                                                                \
    X(AP_EraseSecurityInfo)                                                                        \
    X(AP_EraseSecurityInfoSafeMode)                                                                \
    X(JMChipRstEx)                                                                                 \
    X(AP_DiskPartition)                                                                            \
    X(AP_FormatDisk)                                                                               \
    X(JMSafeRemoveEx)                                                                              \
    X(AP_SendFingerprint)                                                                          \
    X(AP_ReceiveFingerprint)                                                                       \
    X(AP_ReadCustomData_New)                                                                       \
    X(AP_WriteCustomData_New)                                                                      \
    X(AP_FingerPrintFunctControl)                                                                  \
    X(AP_GetFingerprintStatus_VendorEx)                                                            \
    X(GetDriveList)                                                                                \
    X(JMChipRst)                                                                                   \
    X(JMGetDiskLetter)                                                                             \
    X(JMGetUsbId)                                                                                  \
    X(JMGetVolumeName)                                                                             \
    X(JMSafeRemove)                                                                                \
    X(AP_CreateHandle)                                                                             \
    X(AP_ReadCustomData)                                                                           \
    X(AP_WriteCustomData)                                                                          \
    X(AP_GetDiskSize)                                                                              \
    X(AP_ModifyPartition)                                                                          \
    X(AP_EraseDisk)                                                                                \
    X(AP_CheckArea)                                                                                \
    X(AP_ChangeLunNumber)                                                                          \
    X(AP_FingerPrintPowerControl)                                                                  \
    X(AP_GetFwVersion)                                                                             \
    X(AP_FwUpdate)                                                                                 \
    X(AP_CheckLoadBinFileMatch)                                                                    \
    X(AP_GetFingerprintStatus_SetupEx)

#define KELMORA_ENTRY_NAME(name) #name,
const char* const kBridgeEntryNames[] = {"GetSDKVer", KELMORA_REQUIRED_ENTRIES(KELMORA_ENTRY_NAME)};
const std::size_t kBridgeEntryCount = sizeof kBridgeEntryNames / sizeof kBridgeEntryNames[0];

bool BindBridgeApi(const std::string& baseName, std::unique_ptr<platform::DynamicLibrary>& library,
                   BridgeApi& api, std::string* missingEntry) {
    library.reset();
    api = BridgeApi{};
    auto lib = platform::DynamicLibrary::Open(baseName);
    if (!lib) {
        if (missingEntry)
            *missingEntry = platform::SharedLibraryFileName(baseName);
        return false;
    }
    BridgeApi bound;
    const char* missing = nullptr;
    // Function pointers travel through void* as dlsym / GetProcAddress hand them out.
#define KELMORA_RESOLVE(name)                                                                      \
    bound.name = reinterpret_cast<decltype(bound.name)>(lib->Symbol(#name));                       \
    if (!bound.name && !missing)                                                                   \
        missing = #name;
    KELMORA_RESOLVE(GetSDKVer)
    missing = nullptr; // optional
    KELMORA_REQUIRED_ENTRIES(KELMORA_RESOLVE)
#undef KELMORA_RESOLVE
    if (missing) {
        if (missingEntry)
            *missingEntry = missing;
        return false;
    }
    api = bound;
    library = std::move(lib);
    return true;
}
