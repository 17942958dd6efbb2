#include "fingerprint/CustomerSpace.h"

#include "fingerprint/DriveSymbol.h"
#include "fingerprint/FingerprintHooks.h"
#include "fingerprint/FingerprintProtocol.h"
#include "fingerprint/FingerprintResults.h"
#include "fingerprint/FingerprintTrace.h"

#include <cstring>

namespace {

// Both library calls get copies: a scribbling library must not touch the caller's image.
bool ReadArea(const char* driveSymbol, customdata* image) {
    SymbolCopy symbol(driveSymbol);
    ReadCustomDataFn read = readHook;
    return read && read(symbol.data(), reinterpret_cast<uint8_t*>(image), int(kCustomDataBytes));
}

int WriteArea(const char* driveSymbol, const customdata& image) {
    SymbolCopy symbol(driveSymbol);
    customdata copy = image;
    WriteCustomDataFn write = writeHook;
    return write ? write(symbol.data(), reinterpret_cast<uint8_t*>(&copy), int(kCustomDataBytes))
                 : 0;
}

constexpr int kAreaWritten = 1;

bool IsLoaded(const UserContext* guc) {
    return guc && guc->init && guc->image;
}

std::string Hex(const void* bytes, size_t count) {
    return HexBytes(static_cast<const uint8_t*>(bytes), count);
}

} // namespace

uint8_t CustomDataChecksum(const customdata& area) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(&area);
    unsigned sum = 0;
    for (size_t i = 0; i < kChecksummedBytes; ++i)
        sum += bytes[i];
    return uint8_t(sum);
}

UserContext* loadCustomerSpace(const char* driveSymbol, UserContext* guc, customdata* image) {
    if (!guc || !image)
        return nullptr;
    *guc = UserContext{};
    bool read = ReadArea(driveSymbol, image);
    FpTrace("customdata=%s\n", Hex(image, kCustomDataBytes).c_str());
    if (!read) {
        FpTrace("Errro, Read Custon Data!");
        return nullptr;
    }

    if (CustomDataChecksum(*image) != image->checksum) {
        // An area that does not add up is reset as a whole; all zeros is a valid, empty table.
        std::memset(image, 0, kCustomDataBytes);
        int res = WriteArea(driveSymbol, *image);
        if (res != kAreaWritten) {
            FpTrace("Error, WriteCustomData(), res = %d.", res);
            return nullptr;
        }
        guc->image = image;
        guc->init = 1;
        return guc;
    }

    guc->image = image;
    guc->init = 1;
    for (int n = 0; n < MAXUSERNUM && getNthUser(guc, n); ++n) {
        ++guc->userNum;
        FpTrace("guc.userNum++ = %d.", guc->userNum);
    }
    return guc;
}

int32_t writeCustomerSpace(const char* driveSymbol, UserContext* guc) {
    if (!guc || !guc->image)
        return kFpAreaWriteFailed;
    guc->image->checksum = CustomDataChecksum(*guc->image);
    int res = WriteArea(driveSymbol, *guc->image);
    if (res != kAreaWritten) {
        FpTrace("WriteCustomData(), res = %d.", res);
        return kFpAreaWriteFailed;
    }
    return 0;
}

FpUserRecord* findUser(UserContext* guc, int id) {
    FpUserRecord* found = nullptr;
    if (id <= 0) {
        FpTrace("The userID = %d.", id);
    } else if (!IsLoaded(guc)) {
        FpTrace("The globle val guc not be init.");
    } else {
        for (auto& slot : guc->image->users)
            if (slot.id == id) {
                found = &slot;
                break;
            }
    }
    FpTrace("End, fp = %lu.", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(found)));
    return found;
}

FpUserRecord* vsFindUsers(UserContext* guc, int id) {
    FpUserRecord* found = findUser(guc, id);
    if (!found)
        FpTrace("Not fond id = %d user in space.", id);
    FpTrace("End, fp = %lu.", static_cast<unsigned long>(reinterpret_cast<uintptr_t>(found)));
    return found;
}

FpUserRecord* getNthUser(UserContext* guc, int n) {
    FpTrace("Begin， index = %d.", n);
    if (n >= MAXUSERNUM) {
        FpTrace("The index val should less the MAXUSERNUM：%d.", MAXUSERNUM);
        return nullptr;
    }
    if (n < 0 || !guc || !guc->image)
        return nullptr;
    int seen = 0;
    for (auto& slot : guc->image->users) {
        if (!IsUsedSlot(slot))
            continue;
        if (seen++ == n)
            return &slot;
    }
    return nullptr;
}

int32_t addUserToCustomerSpace(const char* driveSymbol, UserContext* guc,
                               const FpUserRecord* record) {
    if (!IsLoaded(guc)) {
        FpTrace("The globle val guc not be init.");
        return kFpRefused;
    }
    // A record with a non-positive id would land in a slot that counts as free.
    if (!record || record->id <= 0) {
        FpTrace("The afp->id == 0 !");
        return kFpRefused;
    }

    const UserContext before = *guc;
    const customdata saved = *guc->image;
    for (auto& slot : guc->image->users)
        if (slot.id == record->id) {
            FpTrace("This finger allready exist.");
            slot = FpUserRecord{};
            --guc->userNum;
            break;
        }

    FpTrace("Begin, MAXUSERNUM = %d.", MAXUSERNUM);
    FpUserRecord* target = nullptr;
    for (auto& slot : guc->image->users)
        if (!IsUsedSlot(slot)) {
            target = &slot;
            break;
        }
    if (!target) {
        FpTrace("Not have space.");
        return kFpRefused;
    }

    *target = *record;
    if (writeCustomerSpace(driveSymbol, guc) != 0) {
        FpTrace("write custom data to NS!");
        // Keep the image in step with the drive, which still holds the old table.
        *guc->image = saved;
        *guc = before;
        return kFpRecordWriteFailed;
    }
    ++guc->userNum;
    FpTrace("uc->userNum++ = %d.", guc->userNum);
    return 0;
}

uint8_t delUserToCustomerSpace(const char* driveSymbol, UserContext* guc, int id) {
    FpUserRecord* slot = findUser(guc, id);
    if (!slot) {
        FpTrace("Not find afp->id = %d.", id);
        return 0;
    }
    const FpUserRecord saved = *slot;
    const uint8_t savedChecksum = guc->image->checksum;
    *slot = FpUserRecord{};
    if (writeCustomerSpace(driveSymbol, guc) != 0) {
        FpTrace("write custom data to NS!");
        *slot = saved;
        guc->image->checksum = savedChecksum;
        return 0;
    }
    if (guc->userNum > 0) {
        --guc->userNum;
        FpTrace("uc->userNum-- = %d.", guc->userNum);
    }
    return 1;
}

int32_t updateUserInCustomerSpace(const char* driveSymbol, UserContext* guc,
                                  const FpUserRecord* record) {
    FpUserRecord* slot = record ? findUser(guc, record->id) : nullptr;
    if (!slot)
        return kFpRefused;
    const FpUserRecord saved = *slot;
    const uint8_t savedChecksum = guc->image->checksum;
    *slot = *record;
    int32_t res = writeCustomerSpace(driveSymbol, guc);
    if (res != 0) {
        *slot = saved;
        guc->image->checksum = savedChecksum;
    }
    return res;
}

int32_t clearUsersInCustomerSpace(const char* driveSymbol, UserContext* guc) {
    if (!IsLoaded(guc)) {
        FpTrace("The globle val guc not be init.");
        return kFpRefused;
    }
    const customdata saved = *guc->image;
    std::memset(guc->image->users, 0, sizeof guc->image->users);
    int32_t res = writeCustomerSpace(driveSymbol, guc);
    if (res != 0) {
        *guc->image = saved;
        return res;
    }
    guc->userNum = 0;
    return 0;
}

bool writeRemark(const char* driveSymbol, const uint8_t* hint) {
    if (!hint)
        return false;
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return false;
    std::memcpy(image.remark, hint, kRemarkBytes);
    FpTrace("write remark=%s\n", Hex(image.remark, kRemarkBytes).c_str());
    std::memset(image.passwordCopy, 0, sizeof image.passwordCopy);
    image.remarkFlag = 1;
    return writeCustomerSpace(driveSymbol, &guc) == 0;
}

bool readRemark(const char* driveSymbol, uint8_t* tail, uint8_t* hint) {
    if (!tail || !hint)
        return false;
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return false;
    if (image.remarkFlag == 0)
        return false;
    std::memcpy(hint, image.remark, kRemarkBytes);
    FpTrace("read remark=%s\n", Hex(hint, kRemarkBytes).c_str());
    std::memcpy(tail, reinterpret_cast<const uint8_t*>(&image) + kChecksummedBytes,
                kCustomDataBytes - kChecksummedBytes);
    return true;
}
