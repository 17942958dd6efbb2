#pragma once
// The user table in the drive's 512-byte custom-data area. The engine keeps the templates; the
// area keeps who they belong to (id and name), the password hint and its flag. The bridge
// library reads and writes the area only as a whole, so every change rewrites all of it.
//
// Nothing here keeps state or takes a lock: each operation works on the caller's context and
// image, and two writers running at once would lose one of the changes.
#include <cstddef>
#include <cstdint>

constexpr int MAXUSERNUM = 14;
constexpr size_t kCustomDataBytes = 512;
constexpr size_t kUserNameBytes = 30; // UTF-16LE, up to 15 code units, zero-padded
constexpr size_t kUserNameUnits = kUserNameBytes / 2;
constexpr size_t kRemarkBytes = 32; // UTF-16LE, up to 16 code units, zero-padded
constexpr size_t kRemarkUnits = kRemarkBytes / 2;
constexpr size_t kChecksummedBytes = 480; // records and hint; bytes 480..510 are outside

#pragma pack(push, 1)
struct FpUserRecord {
    int8_t id;        // 1..127 marks a used slot; 0 or negative a free one
    uint8_t reserved; // 0 when enrolled; a rename keeps what is stored
    uint8_t name[kUserNameBytes];
};

struct customdata {
    FpUserRecord users[MAXUSERNUM]; // 0..447
    uint8_t remark[kRemarkBytes];   // 448..479, the password hint
    // 480..495: reserved for a copy of the password. The program writes zeros here: the area is
    // readable while the drive is locked, and nothing reads these bytes back.
    uint8_t passwordCopy[16];
    uint8_t remarkFlag; // 496: 1 once a hint has been written
    uint8_t unused[14]; // 497..510: never written by the program
    uint8_t checksum;   // 511: sum of bytes 0..479, mod 256
};
#pragma pack(pop)
static_assert(sizeof(FpUserRecord) == 32);
static_assert(sizeof(customdata) == kCustomDataBytes);

// A context over one image of the area; built by loadCustomerSpace, gone with the operation.
struct UserContext {
    uint8_t init = 0;
    int8_t userNum = 0;
    customdata* image = nullptr;
};

inline bool IsUsedSlot(const FpUserRecord& record) {
    return record.id > 0;
}

// Sum of bytes 0..479, mod 256.
uint8_t CustomDataChecksum(const customdata& area);

// Reads the area into `image` and points `guc` at it. A wrong checksum resets the area on the
// drive to 512 zeros. Returns `guc`, or nullptr when the area cannot be read (or reset).
UserContext* loadCustomerSpace(const char* driveSymbol, UserContext* guc, customdata* image);
// Stores the checksum and writes the whole image. 0, or kFpAreaWriteFailed.
int32_t writeCustomerSpace(const char* driveSymbol, UserContext* guc);

// The slot holding `id`, or nullptr (also for ids <= 0 and an unloaded context).
FpUserRecord* findUser(UserContext* guc, int id);
FpUserRecord* vsFindUsers(UserContext* guc, int id);
// The n-th used slot (n counted over used slots only, 0..13), or nullptr.
FpUserRecord* getNthUser(UserContext* guc, int n);

// 0; kFpRefused (-1) when not loaded, the id is not positive or no slot is free;
// kFpRecordWriteFailed (-2) when the area could not be written. A record whose id is already
// present replaces the old one.
int32_t addUserToCustomerSpace(const char* driveSymbol, UserContext* guc,
                               const FpUserRecord* record);
// 1 when the record was removed and the area written; 0 otherwise.
uint8_t delUserToCustomerSpace(const char* driveSymbol, UserContext* guc, int id);
// Overwrites the record with the same id. 0; kFpRefused when absent; kFpAreaWriteFailed.
int32_t updateUserInCustomerSpace(const char* driveSymbol, UserContext* guc,
                                  const FpUserRecord* record);
// Frees every slot (the hint and its flag stay). 0; kFpRefused when not loaded;
// kFpAreaWriteFailed.
int32_t clearUsersInCustomerSpace(const char* driveSymbol, UserContext* guc);

// Stores the 32-byte hint (UTF-16LE), zeros at 480..495 and the flag. True when written.
bool writeRemark(const char* driveSymbol, const uint8_t* hint);
// Copies bytes 480..511 to `tail` and the hint to `hint` (32 bytes each). False when the area
// cannot be read or holds no hint.
bool readRemark(const char* driveSymbol, uint8_t* tail, uint8_t* hint);
