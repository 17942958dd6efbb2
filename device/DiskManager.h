#pragma once
// The one object through which the window reaches the drives: it binds the bridge library, keeps
// the table of drive symbols the library hands out, lists the product's drives, decodes their
// security status, runs the background device operations and carries the state shared with the
// fingerprint workers.
//
// Threads: the window thread lists drives, queries status and calls the synchronous operations.
// Workers (unlock, erase-and-format, enrollment, fingerprint watch, record writer) run on detached
// threads and report to a window only through platform::PostToWindow / SendToWindow; they never
// touch controls.
#include "device/BridgeApi.h"
#include "device/WorkerMessages.h"
#include "fingerprint/FingerprintHooks.h"
#include "platform/Messaging.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {
class DynamicLibrary;
}

// Security status values of QuerySecurityStatus.
inline constexpr int kSecurityNoPassword = 1;
inline constexpr int kSecurityUnlocked = 2;
inline constexpr int kSecurityLocked = 3;
inline constexpr int kSecurityUnknown = -1;
inline constexpr int kSecurityQueryFailed = -2;

// The product name a drive must report (second product field) to be listed.
inline constexpr const char* kProductName = "ZEMO SSD Dudur";
// File system and label of a drive returned to its factory state.
inline constexpr const char* kFactoryFileSystem = "exFAT";
inline constexpr const char* kFactoryVolumeLabel = "ZEMO QX100";

using SymbolBuffer = std::array<char, kSymbolSize>;

// One listed drive of the product. The caller of ListDrives owns the entries.
struct DriveEntry {
    int32_t index = 0;         // slot in the manager's symbol table
    std::string description;   // "%s\t << %s >>\n" of symbol and letters, at most 89 characters
    std::string letters;       // from JMGetDiskLetterEx; empty when that call failed
    bool hasShortTail = false; // the character before the last one of the symbol is a backslash
    char driveSymbol[kSymbolSize] = {};
};

// One enrolled user for display (32 bytes): id, the reserved byte as stored, and the name as
// zero-terminated text in the system code page.
// The name field holds the stored 15 UTF-16 units in any narrow code page (UTF-8 takes up to
// three bytes a unit), so a listed name is never cut shorter than the drive keeps it.
struct FingerprintEntry {
    int8_t id = 0;
    uint8_t reserved = 0;
    char name[62] = {};
};
static_assert(sizeof(FingerprintEntry) == 64);

// Decoded fingerprint status: 0 yes, 1 no, 2/3 other device values; (-1, 3) when the call failed.
struct FingerprintStatus {
    int32_t judged = -1; // a finger is being judged
    int32_t matched = 3; // the finger matched
};

class DiskManager {
public:
    // Binds "JMUsbDll" (beside the executable first) and installs the fingerprint hooks and a
    // trace sink that discards every line. `window` becomes notifyWindow.
    explicit DiskManager(platform::WindowHandle window);
    // The same with another library base name (tests bind variants of the stand-in this way).
    DiskManager(platform::WindowHandle window, const std::string& libraryName);
    // Stops the fingerprint workers (clears workerRun) and waits a bounded time for running
    // workers, so that none outlives the object.
    virtual ~DiskManager();

    DiskManager(const DiskManager&) = delete;
    DiskManager& operator=(const DiskManager&) = delete;

    bool IsBound() const { return library != nullptr; }

    // --- Drives and security status ---------------------------------------------------------
    // Fills `list` (emptied first) with the attached drives of the product. 0 when no drive is
    // attached (or the library is missing), else 1.
    virtual int ListDrives(std::vector<std::unique_ptr<DriveEntry>>& list);
    // 1 no password, 2 unlocked, 3 locked, -1 unrecognised, -2 query failed.
    virtual int QuerySecurityStatus(int driveIndex);

    // --- Synchronous device operations (caller's thread) --------------------------------------
    virtual int SetPassword(const std::string& password, int driveIndex); // 1 set, 0 refused
    virtual int ChangePassword(const std::string& oldPassword, const std::string& newPassword,
                               int driveIndex); // 1 changed
    virtual void ResetChip(int driveIndex);
    // Non-zero when every drive was ejected; 0 when one refused or no drive is known.
    virtual int SafeRemoveAll();

    // --- Background device operations ---------------------------------------------------------
    // Starts UnlockWorker: posts UM_UNLOCK_DONE or UM_UNLOCK_FAILED (wParam = tag) to replyTo.
    virtual void StartUnlock(platform::WindowHandle replyTo, const std::string& password,
                             int driveIndex, int tag);
    // Starts EraseAndFormatWorker: sends UM_ERASE_DONE or posts UM_ERASE_FAILED to replyTo.
    virtual void StartEraseAndFormat(platform::WindowHandle replyTo, int driveIndex);
    // Formats the drive exFAT "ZEMO QX100", then closes the system's format offer when it shows.
    // false when the library refused the format.
    virtual bool FormatVolume(int driveIndex);

    // --- Password hint (defined with the fingerprint module's operations) ---------------------
    // Stores the hint (system code page) and the password's first 16 bytes; returns 1.
    int WritePasswordHint(const std::string& hint, const std::string& password, int driveIndex);
    // The stored hint in the system code page; empty when none is stored or the area is unreadable.
    std::string ReadPasswordHint(int driveIndex);

    // --- Fingerprints (defined with the fingerprint module's operations) ----------------------
    void StartEnroll(int driveIndex);
    void StartAddFingerprint(int driveIndex, const std::string& name);
    // The enrolled users of the drive; the caller keeps the entries it receives.
    std::vector<std::shared_ptr<FingerprintEntry>> ListFingerprints(int driveIndex);
    FingerprintStatus QueryFingerprintStatus(int driveIndex);
    int QueryFingerprintFunction(int driveIndex);       // 0 on, 1 off, 2 other, -1 failed
    int SetFingerprintFunction(int on, int driveIndex); // 0 done, 1 refused, 2, 3, -1
    // Starts FingerprintWatcher; the caller sets workerRun before and clears it to stop it.
    void StartFingerprintWatch(int driveIndex);

    // Worker bodies (each runs on its own detached thread, started through RunDetached).
    // The unlock and erase-and-format workers take a snapshot of the shared fields that their
    // starter filled under workerMutex, so that a second start cannot change a running one.
    struct UnlockJob;
    struct EraseJob {
        int32_t index;
        platform::WindowHandle reply;
    };
    void UnlockWorker(std::shared_ptr<UnlockJob> job);
    void EraseAndFormatWorker(EraseJob job);
    void EnrollWorker(int driveIndex);
    void UserRecordWriter(std::string name, int driveIndex);
    void FingerprintWatcher(int driveIndex);

    // --- Helpers shared with the fingerprint operations ---------------------------------------
    // A fresh copy of the symbol in slot `driveIndex`; all zeros for an index outside the table.
    SymbolBuffer SymbolOf(int driveIndex) const;
    // Starts `work` on a detached thread, stores its id in lastThread and counts it as running
    // until it returns (the destructor waits for running workers).
    void RunDetached(std::function<void()> work);

    // Looks for the system's "format this disk" offer and closes it; true when one was found.
    // Replaceable so that tests can watch the bounded search (default: the platform's).
    std::function<bool()> closeFormatOffer;

    // --- Data (declaration order follows the manager's data model) ----------------------------
    std::unique_ptr<platform::DynamicLibrary> library; // null when binding failed
    BridgeApi api;                                     // the entries of `library`
    int32_t driveCount = 0;                            // last GetUsbIdList result
    std::string bindError;                             // kBindFailedText after a failed binding
    SendFingerprintFn sendHook = nullptr;
    ReceiveFingerprintFn receiveHook = nullptr;
    WriteCustomDataFn writeHook = nullptr;
    ReadCustomDataFn readHook = nullptr;
    TraceSink traceSink = nullptr;
    std::vector<std::shared_ptr<FingerprintEntry>> fingerprintList; // filled by ListFingerprints
    std::atomic<uint8_t> enrolledId{0}; // id the engine handed out during an enrollment
    uint8_t* enrollPayload = nullptr;   // 32-byte enrollment answer (allocated by enrollment)
    platform::WindowHandle notifyWindow = nullptr; // fingerprint workers post here
    int32_t unlockTag = 0;                         // wParam of the unlock worker's messages
    int32_t workIndex = 0;                         // drive of the running unlock / erase-and-format
    platform::WindowHandle replyWindow = nullptr;
    char symbols[kSymbolSlots][kSymbolSize] = {}; // guarded by tableMutex
    unsigned char unlockPassword[kPasswordSize] = {};
    std::atomic<int32_t> formatBusy{0};
    std::atomic<int32_t> justUnlocked{0};
    std::mutex workerMutex;            // fills of the shared fields; fingerprint workers' runs
    std::thread::id lastThread;        // last started worker
    std::atomic<uint8_t> workerRun{0}; // keeps EnrollWorker / FingerprintWatcher running

    // Serialises the two writers of `symbols` and `driveCount` (ListDrives on the window thread,
    // the erase-and-format worker while it waits for the drive to return).
    mutable std::mutex tableMutex;

private:
    void Construct(platform::WindowHandle window, const std::string& libraryName);
    // GetUsbIdList over the table, under tableMutex; returns the count.
    int RefillTable();

    std::mutex workersMutex;
    std::condition_variable workersDone;
    int runningWorkers = 0;
    std::atomic<bool> stopping{false};
};
