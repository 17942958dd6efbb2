#include "fingerprint/FingerprintUsers.h"

#include "fingerprint/FingerPrintCommand.h"
#include "fingerprint/FingerprintProtocol.h"
#include "fingerprint/FingerprintResults.h"
#include "fingerprint/FingerprintTrace.h"

#include <atomic>
#include <cstring>

namespace {
// The id the engine offered with the last "next user" answer: one byte for the process.
std::atomic<uint8_t> pendingUserId{0};

bool IsErased(int32_t res) {
    return res == 0 || res == kFpStatusNothingThere;
}
} // namespace

bool isFingerOnSensor(const char* driveSymbol) {
    int32_t res = FingerPrintCommand(driveSymbol, kFpCmdFingerPresence, 0, false, nullptr, nullptr);
    if (res == kFpStatusNoFinger || res < 0) {
        FpTrace("The finger not on the sensor.");
        return false;
    }
    return true;
}

int32_t enrollStep(const char* driveSymbol, uint8_t* counter, uint8_t* idOut, uint8_t* payload) {
    if (!payload || !counter) {
        FpTrace("The *dm5 is empty!");
        return kFpMissingArgument;
    }

    uint8_t result[2] = {};
    int32_t res = FingerPrintCommand(driveSymbol, kFpCmdNextUserId, 0, true, result, nullptr);
    if (res == 0)
        pendingUserId = result[0];
    FpTrace("End, res = %d，userID = %d.", res, pendingUserId.load());
    if (res != 0) {
        FpTrace("Get ID availabilty.");
        return res;
    }

    FpTrace("Begin, time = %d， tVal = 0x%08x.", *counter, kMaxSimilarity);
    result[0] = result[1] = 0;
    res = FingerPrintCommand(driveSymbol, kFpCmdCapture, *counter, true, result, nullptr);
    unsigned similarity = result[0] + 256u * result[1];
    if (res == 0 && similarity > kMaxSimilarity) {
        FpTrace("Fingerprint similarity is too high.");
        res = kFpTooSimilar;
    }
    FpTrace("End, res = %d, tmpVal = 0x%08x.", res, similarity);
    if (res != 0) {
        FpTrace("Capture and extract user, res = %d.", res);
        FpTrace("Record and check user finger print. ");
        return res;
    }
    ++*counter;
    if (*counter < kEnrollCaptures)
        return kFpMoreCaptures;

    uint8_t id = pendingUserId;
    FpTrace("Begin, userID = %d.", id);
    res = FingerPrintCommand(driveSymbol, kFpCmdEnroll, id, false, nullptr, payload);
    if (res != 0) {
        FpTrace("Enroll new user.");
        return res;
    }
    if (idOut)
        *idOut = id;
    return 0;
}

int32_t eraseOneUser(const char* driveSymbol, uint8_t id) {
    FpTrace("Begin, userID = %d.", id);
    int32_t res = FingerPrintCommand(driveSymbol, kFpCmdEraseOne, id, false, nullptr, nullptr);
    if (IsErased(res))
        return 0;
    FpTrace("Erase one user, res = %d.", res);
    return res;
}

int32_t addUser(const char* driveSymbol, const FpUserRecord& record) {
    FpTrace("Begin, fp.id = %d.", record.id);
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return kFpAreaUnreadable;
    int32_t res = addUserToCustomerSpace(driveSymbol, &guc, &record);
    FpTrace("End, res = %d.", res);
    return res;
}

int32_t deleteUser(const char* driveSymbol, const FpUserRecord& record) {
    FpTrace("Begin ..., fp.id = %d. ", record.id);
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return kFpAreaUnreadable;
    if (!vsFindUsers(&guc, record.id)) {
        FpTrace("vsFindUsers(), fp.id = %d!", record.id);
        return kFpRefused;
    }
    int32_t res = FingerPrintCommand(driveSymbol, kFpCmdEraseOne, uint8_t(record.id), false,
                                     nullptr, nullptr);
    if (!IsErased(res)) {
        FpTrace("Erase one user on NS, res = %d.", res);
        return res;
    }
    uint8_t removed = delUserToCustomerSpace(driveSymbol, &guc, record.id);
    if (removed != 1) {
        FpTrace("delUserToCustomerSpace(), res = %d.", removed);
        return kFpTableNotUpdated;
    }
    return 0;
}

bool listUsers(const char* driveSymbol, FpUserRecord* users, int* count) {
    if (!users || !count)
        return false;
    std::memset(users, 0, sizeof(FpUserRecord) * kMaxListedUsers);
    *count = 0;
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return false;
    for (int n = 0; n < kMaxListedUsers; ++n) {
        const FpUserRecord* slot = getNthUser(&guc, n);
        if (!slot)
            break;
        users[n] = *slot;
        ++*count;
    }
    return true;
}

int32_t eraseAllUsers(const char* driveSymbol) {
    int32_t res = FingerPrintCommand(driveSymbol, kFpCmdEraseAll, 0, false, nullptr, nullptr);
    if (!IsErased(res)) {
        FpTrace("Erase all user, res = %d.", res);
        return kFpEngineRefused;
    }
    UserContext guc;
    customdata image;
    if (!loadCustomerSpace(driveSymbol, &guc, &image))
        return kFpAreaUnreadable;
    return clearUsersInCustomerSpace(driveSymbol, &guc);
}
