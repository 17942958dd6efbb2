// The drive manager's operations that change a drive's security state or contents: passwords,
// unlock, chip reset, safe removal, and the erase-and-format run.
#include "device/DiskManager.h"

#include "platform/Clock.h"

#include <cstring>

namespace {

// Overwrites secrets so that they do not linger in memory; volatile so that it is not elided.
void Wipe(void* data, size_t size) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    while (size--)
        *p++ = 0;
}

// Copies a password into a zero-filled buffer; false when it would not fit with its terminating
// zero (the drive would otherwise get a different password than the one typed).
bool FillPassword(unsigned char* buffer, const std::string& password) {
    std::memset(buffer, 0, kPasswordSize);
    if (password.size() > size_t(kPasswordSize - 1))
        return false;
    std::memcpy(buffer, password.data(), password.size());
    return true;
}

constexpr int kFormatDialogLooks = 2001;
constexpr uint32_t kFormatDialogPauseMs = 5;
constexpr uint32_t kReturnPollMs = 1000;

} // namespace

// The unlock worker's own copy of the password; wiped when the job is dropped.
struct DiskManager::UnlockJob {
    int32_t index = 0;
    platform::WindowHandle reply = nullptr;
    int32_t tag = 0;
    unsigned char password[kPasswordSize] = {};
    ~UnlockJob() { Wipe(password, sizeof password); }
};

int DiskManager::SetPassword(const std::string& password, int driveIndex) {
    if (!IsBound())
        return 0;
    unsigned char buffer[kPasswordSize];
    int result = 0;
    if (FillPassword(buffer, password)) {
        SymbolBuffer symbol = SymbolOf(driveIndex);
        result = api.AP_SetPwd(symbol.data(), buffer) != 0 ? 1 : 0;
    }
    Wipe(buffer, sizeof buffer);
    return result;
}

int DiskManager::ChangePassword(const std::string& oldPassword, const std::string& newPassword,
                                int driveIndex) {
    if (!IsBound())
        return 0;
    unsigned char block[2 * kPasswordSize];
    int result = 0;
    if (FillPassword(block, oldPassword) && FillPassword(block + kPasswordSize, newPassword)) {
        SymbolBuffer symbol = SymbolOf(driveIndex);
        result = api.AP_ChangePwd(symbol.data(), block) != 0 ? 1 : 0;
    }
    Wipe(block, sizeof block);
    return result;
}

void DiskManager::StartUnlock(platform::WindowHandle replyTo, const std::string& password,
                              int driveIndex, int tag) {
    std::lock_guard lock(workerMutex);
    workIndex = driveIndex;
    replyWindow = replyTo;
    unlockTag = tag;
    std::memset(unlockPassword, 0, sizeof unlockPassword);
    std::memcpy(unlockPassword, password.data(),
                std::min(password.size(), sizeof unlockPassword - 1));

    // The worker gets its own copy; the shared field is wiped at once.
    auto job = std::make_shared<UnlockJob>();
    job->index = workIndex;
    job->reply = replyWindow;
    job->tag = unlockTag;
    std::memcpy(job->password, unlockPassword, sizeof job->password);
    Wipe(unlockPassword, sizeof unlockPassword);
    RunDetached([this, job]() mutable { UnlockWorker(std::move(job)); });
}

void DiskManager::UnlockWorker(std::shared_ptr<UnlockJob> job) {
    SymbolBuffer symbol = SymbolOf(job->index);
    unsigned char password[kPasswordSize];
    std::memcpy(password, job->password, sizeof password);
    Wipe(job->password, sizeof job->password);
    int result = IsBound() ? api.AP_Login(symbol.data(), password, 1) : 0;
    Wipe(password, sizeof password);
    platform::PostToWindow(job->reply, result != 0 ? UM_UNLOCK_DONE : UM_UNLOCK_FAILED,
                           platform::WParam(job->tag), 0);
}

void DiskManager::ResetChip(int driveIndex) {
    if (!IsBound())
        return;
    SymbolBuffer symbol = SymbolOf(driveIndex);
    api.JMChipRstEx(symbol.data());
}

int DiskManager::SafeRemoveAll() {
    if (!IsBound())
        return 0;
    std::vector<SymbolBuffer> drives;
    {
        std::lock_guard lock(tableMutex);
        for (int i = 0; i < std::min<int>(driveCount, kSymbolSlots); ++i) {
            SymbolBuffer symbol{};
            std::memcpy(symbol.data(), symbols[i], kSymbolSize - 1);
            drives.push_back(symbol);
        }
    }
    int last = 0;
    for (auto& symbol : drives) {
        last = api.JMSafeRemoveEx(symbol.data());
        if (last < 0)
            return 0;
    }
    return last;
}

void DiskManager::StartEraseAndFormat(platform::WindowHandle replyTo, int driveIndex) {
    std::lock_guard lock(workerMutex);
    workIndex = driveIndex;
    replyWindow = replyTo;
    formatBusy = 1;
    EraseJob job{workIndex, replyWindow};
    RunDetached([this, job] { EraseAndFormatWorker(job); });
}

void DiskManager::EraseAndFormatWorker(EraseJob job) {
    // A failed run clears formatBusy, or the window would ignore drive changes for ever.
    auto fail = [&] {
        formatBusy = 0;
        platform::PostToWindow(job.reply, UM_ERASE_FAILED, 0, 0);
    };
    if (!IsBound())
        return fail();
    SymbolBuffer symbol = SymbolOf(job.index);
    if (api.AP_EraseSecurityInfo(symbol.data()) == 0)
        return fail();
    symbol = SymbolOf(job.index);
    api.JMChipRstEx(symbol.data());

    // The drive leaves the bus and returns; wait for it as long as it takes.
    do {
        platform::SleepMs(kReturnPollMs);
        if (stopping) {
            formatBusy = 0;
            return;
        }
    } while (RefillTable() <= 0);

    symbol = SymbolOf(job.index);
    if (api.AP_DiskPartition(symbol.data(), 0, 1) == 1 && FormatVolume(job.index)) {
        formatBusy = 0;
        platform::SendToWindow(job.reply, UM_ERASE_DONE, 0, 0);
        return;
    }
    fail();
}

bool DiskManager::FormatVolume(int driveIndex) {
    if (!IsBound())
        return false;
    SymbolBuffer symbol = SymbolOf(driveIndex);
    if (api.AP_FormatDisk(symbol.data(), kFactoryFileSystem, kFactoryVolumeLabel, 0, 1) != 1)
        return false;
    // The system may offer to format the new volume once more; close that offer when it shows.
    for (int look = 0; look < kFormatDialogLooks; ++look) {
        bool found = closeFormatOffer && closeFormatOffer();
        platform::SleepMs(kFormatDialogPauseMs);
        if (found)
            break;
    }
    return true;
}
