// The drive manager's fingerprint operations: the password hint in the custom-data area, the
// enrollment and record-writing workers, the user list, the fingerprint status and function
// switch, and the unlock watcher. The fingerprint module does the drive work through the hooks
// the constructor installed; the manager adds threads, the worker mutex and the messages.
#include "device/DiskManager.h"

#include "fingerprint/CustomerSpace.h"
#include "fingerprint/FingerprintProtocol.h"
#include "fingerprint/FingerprintResults.h"
#include "fingerprint/FingerprintText.h"
#include "fingerprint/FingerprintUsers.h"
#include "platform/Clock.h"

#include <cstring>

namespace {

// Enrollment events (UM_FP_ENROLL_EVENT wParam).
enum EnrollEvent : platform::WParam {
    kEnrollNoFinger = 1,
    kEnrollFingerPlaced = 2,
    kEnrollCaptured = 3,
    kEnrollCaptureFailed = 4,
    kEnrollEnded = 5,
    kEnrollTooSimilar = 7,
    kEnrollRecordStored = 16,
};
// How an enrollment ended (lParam of kEnrollEnded).
constexpr int kEnrollSucceeded = 0;
constexpr int kEnrollStopped = 1;
constexpr int kEnrollTooManyFailures = 2;

// Watcher events (UM_FP_EVENT wParam).
constexpr platform::WParam kWatchVerdict = 8; // lParam 0 accepted, 1 rejected three times
constexpr platform::WParam kWatchReset = 14;  // the finger has been away after a rejection

constexpr uint32_t kEnrollPollMs = 200;
constexpr uint32_t kTooSimilarPauseMs = 800;
constexpr int kMaxCaptureFailures = 3;
constexpr uint32_t kWatchJudgedPollMs = 200;
constexpr uint32_t kWatchIdlePollMs = 100;
constexpr uint64_t kRejectionShownMs = 1000;
constexpr int kRejectionsShown = 3;

// Generous buffers for the status calls: the library fills at most 8 bytes.
constexpr size_t kStatusBufferSize = 32;

void PostEnrollEvent(platform::WindowHandle window, platform::WParam type, int value) {
    platform::PostToWindow(window, UM_FP_ENROLL_EVENT, type, value);
}

// Device value 1 means yes (0), 0 means no (1).
int32_t DecodeJudged(uint8_t value) {
    return value == 1 ? 0 : value == 0 ? 1 : 2;
}
int32_t DecodeMatched(uint8_t value) {
    return value == 1 ? 0 : value == 0 ? 1 : value == 2 ? 2 : 3;
}

} // namespace

// --- Password hint ---------------------------------------------------------------------------

int DiskManager::WritePasswordHint(const std::string& hint, const std::string& password,
                                   int driveIndex) {
    // The password is deliberately not stored: the area can be read while the drive is locked.
    (void)password;
    uint8_t field[kRemarkBytes];
    NarrowToUtf16Field(hint, field, kRemarkUnits);
    SymbolBuffer symbol = SymbolOf(driveIndex);
    writeRemark(symbol.data(), field);
    return 1;
}

std::string DiskManager::ReadPasswordHint(int driveIndex) {
    uint8_t tail[kCustomDataBytes - kChecksummedBytes];
    uint8_t field[kRemarkBytes];
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (!readRemark(symbol.data(), tail, field))
        return {};
    return Utf16FieldToNarrow(field, kRemarkUnits, 64);
}

// --- Enrollment ------------------------------------------------------------------------------

void DiskManager::StartEnroll(int driveIndex) {
    RunDetached([this, driveIndex] { EnrollWorker(driveIndex); });
}

void DiskManager::EnrollWorker(int driveIndex) {
    std::lock_guard lock(workerMutex);
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (!enrollPayload)
        enrollPayload = new uint8_t[kEnrollPayloadSize]();
    workerRun = 1;

    uint8_t captures = 0;
    int failures = 0;
    int progress = 0;
    bool touched = false;
    int result = -1; // stays so when workerRun is cleared
    while (workerRun) {
        if (!isFingerOnSensor(symbol.data())) {
            touched = false;
            PostEnrollEvent(notifyWindow, kEnrollNoFinger, progress);
            platform::SleepMs(kEnrollPollMs);
            continue;
        }
        if (touched) {
            PostEnrollEvent(notifyWindow, kEnrollCaptured, progress);
            platform::SleepMs(kEnrollPollMs);
            continue;
        }

        PostEnrollEvent(notifyWindow, kEnrollFingerPlaced, progress);
        touched = true;
        uint8_t id = 0;
        int32_t res = enrollStep(symbol.data(), &captures, &id, enrollPayload);
        if (res == 0) {
            enrolledId = id;
            result = kEnrollSucceeded;
            break;
        }
        if (res == kFpMoreCaptures) {
            failures = 0;
            progress = captures;
            PostEnrollEvent(notifyWindow, kEnrollCaptured, captures);
        } else if (res == kFpTooSimilar) {
            progress = captures;
            PostEnrollEvent(notifyWindow, kEnrollTooSimilar, captures);
            platform::SleepMs(kTooSimilarPauseMs);
        } else if (res == kFpStatusNoFinger) {
            // The finger left during the capture: not the user's failure.
            progress = captures;
            PostEnrollEvent(notifyWindow, kEnrollCaptureFailed, captures);
        } else if (++failures > kMaxCaptureFailures) {
            result = kEnrollTooManyFailures;
            break;
        } else {
            progress = captures;
            PostEnrollEvent(notifyWindow, kEnrollCaptureFailed, captures);
        }
    }

    const int reported = workerRun ? result : kEnrollStopped;
    PostEnrollEvent(notifyWindow, kEnrollEnded, reported);
    if (reported != kEnrollSucceeded) {
        // Stopped just as the engine enrolled: nobody will name this finger, so it must not stay
        // in the engine, where it would unlock the drive without being listed.
        if (result == kEnrollSucceeded)
            eraseOneUser(symbol.data(), enrolledId);
        enrolledId = 0;
        delete[] enrollPayload;
        enrollPayload = nullptr;
    }
    workerRun = 0;
}

void DiskManager::StartAddFingerprint(int driveIndex, const std::string& name) {
    RunDetached([this, name, driveIndex] { UserRecordWriter(name, driveIndex); });
}

void DiskManager::UserRecordWriter(std::string name, int driveIndex) {
    SymbolBuffer symbol = SymbolOf(driveIndex);
    const uint8_t id = enrolledId;
    FpUserRecord record{};
    record.id = int8_t(id);
    record.reserved = 0;
    NarrowToUtf16Field(name, record.name, kUserNameUnits);

    int32_t res = addUser(symbol.data(), record);
    // A template without a record would unlock the drive unseen: take it out of the engine.
    if (res != 0 && id != 0)
        eraseOneUser(symbol.data(), id);
    // Drop the enrollment's state before reporting: the report may start the next enrollment,
    // whose id and payload must not be cleared by this thread.
    enrolledId = 0;
    delete[] enrollPayload;
    enrollPayload = nullptr;
    PostEnrollEvent(notifyWindow, kEnrollRecordStored, res);
}

std::vector<std::shared_ptr<FingerprintEntry>> DiskManager::ListFingerprints(int driveIndex) {
    fingerprintList.clear();
    SymbolBuffer symbol = SymbolOf(driveIndex);
    FpUserRecord users[kMaxListedUsers];
    int count = 0;
    listUsers(symbol.data(), users, &count);
    for (int i = 0; i < count; ++i) {
        auto entry = std::make_shared<FingerprintEntry>();
        entry->id = users[i].id;
        entry->reserved = users[i].reserved;
        std::string name =
            Utf16FieldToNarrow(users[i].name, kUserNameUnits, sizeof entry->name - 1);
        std::memcpy(entry->name, name.data(), name.size());
        fingerprintList.push_back(std::move(entry));
    }
    return fingerprintList;
}

// --- Fingerprint status, function switch and unlock watch ------------------------------------

FingerprintStatus DiskManager::QueryFingerprintStatus(int driveIndex) {
    uint8_t status[kStatusBufferSize] = {};
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (!api.AP_GetFingerprintStatus_VendorEx ||
        api.AP_GetFingerprintStatus_VendorEx(symbol.data(), status) != 1)
        return FingerprintStatus{-1, 3};
    return FingerprintStatus{DecodeJudged(status[3]), DecodeMatched(status[4])};
}

int DiskManager::QueryFingerprintFunction(int driveIndex) {
    uint8_t status[kStatusBufferSize] = {};
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (!api.AP_GetFingerprintStatus_VendorEx ||
        api.AP_GetFingerprintStatus_VendorEx(symbol.data(), status) != 1)
        return -1;
    return status[6] == 1 ? 0 : status[6] == 0 ? 1 : 2;
}

int DiskManager::SetFingerprintFunction(int on, int driveIndex) {
    uint8_t status[kStatusBufferSize] = {};
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (!api.AP_GetSecurityStatus || api.AP_GetSecurityStatus(symbol.data(), 3, status) != 1)
        return -1;
    if (status[2] == 0xFF) {
        if (status[1] == 0x55)
            return 3; // locked: only the password or an enrolled finger may open it
        if (status[1] != 0xAA)
            return 2;
    } else if (status[2] != 0x00) {
        return 2;
    }
    symbol = SymbolOf(driveIndex);
    if (!api.AP_FingerPrintFunctControl)
        return 1;
    return api.AP_FingerPrintFunctControl(symbol.data(), on) != 0 ? 0 : 1;
}

void DiskManager::StartFingerprintWatch(int driveIndex) {
    RunDetached([this, driveIndex] { FingerprintWatcher(driveIndex); });
}

void DiskManager::FingerprintWatcher(int driveIndex) {
    std::lock_guard lock(workerMutex);
    int rejections = 0;
    bool rejectionShown = false;
    uint64_t shownAt = 0;
    while (workerRun) {
        FingerprintStatus status = QueryFingerprintStatus(driveIndex);
        if (status.matched == 0) {
            platform::PostToWindow(notifyWindow, UM_FP_EVENT, kWatchVerdict, 0);
            break;
        }
        if (rejections >= kRejectionsShown && !rejectionShown) {
            shownAt = platform::NowMs();
            rejectionShown = true;
            rejections = 0;
            platform::PostToWindow(notifyWindow, UM_FP_EVENT, kWatchVerdict, 1);
            platform::SleepMs(kWatchJudgedPollMs);
        } else if (status.judged == 0) {
            if (status.matched == 1) {
                ++rejections;
                platform::SleepMs(kWatchJudgedPollMs);
            } else {
                // A verdict still open: ask again soon, but never spin on the bus.
                platform::SleepMs(kWatchIdlePollMs);
            }
        } else {
            if (rejectionShown && platform::NowMs() - shownAt > kRejectionShownMs) {
                platform::PostToWindow(notifyWindow, UM_FP_EVENT, kWatchReset, 0);
                rejectionShown = false;
            }
            platform::SleepMs(kWatchIdlePollMs);
        }
    }
}
