#pragma once
// Fingerprint user management over the engine and the user table together: the presence test,
// one enrollment step, storing, listing and deleting users. Each call names the drive by its
// symbol and runs on the caller's thread without a lock; callers must not overlap exchanges
// on one drive (the enrollment worker holds the manager's worker mutex).
#include "fingerprint/CustomerSpace.h"

#include <cstdint>

constexpr int kEnrollCaptures = 5;         // accepted captures that make an enrollment
constexpr unsigned kMaxSimilarity = 0x200; // a capture above this is too similar
constexpr int kMaxListedUsers = 10;        // the window lists (and allows) at most 10

// False only when the engine reports no finger (0xB2) or the exchange failed.
bool isFingerOnSensor(const char* driveSymbol);

// One touch of an enrollment: asks for the id of the next user, captures image `*counter`
// (0..4) and, after the fifth accepted capture, enrolls the user, storing its id in `*idOut` and
// the engine's answer in `payload` (32 bytes). Returns 0 enrolled, kFpMoreCaptures, kFpTooSimilar,
// kFpMissingArgument without a payload buffer, or a FingerPrintCommand result. `*counter`
// counts the accepted captures.
int32_t enrollStep(const char* driveSymbol, uint8_t* counter, uint8_t* idOut, uint8_t* payload);

// Erases one template in the engine. 0 (also when the engine did not hold it), else the result.
int32_t eraseOneUser(const char* driveSymbol, uint8_t id);

// Stores the record in the table: the result of addUserToCustomerSpace, or kFpAreaUnreadable.
int32_t addUser(const char* driveSymbol, const FpUserRecord& record);

// Erases the template of `record.id` and then its record. 0; kFpAreaUnreadable; kFpRefused when
// the id is not in the table; the engine's result when it refused; kFpTableNotUpdated when the
// template is gone but the record could not be removed.
int32_t deleteUser(const char* driveSymbol, const FpUserRecord& record);

// Copies up to kMaxListedUsers used records, in table order, into `users` (zeroed first) and
// their number into `count`. False when the area cannot be read.
bool listUsers(const char* driveSymbol, FpUserRecord* users, int* count);

// Erases every template and then the table's records. 0; kFpEngineRefused; kFpAreaUnreadable;
// kFpAreaWriteFailed.
int32_t eraseAllUsers(const char* driveSymbol);
