#pragma once
// Results of the fingerprint module. Non-negative values come from the drive (0 success, 1..255
// a status byte of the engine); negative values are the module's own. A caller tells the two
// apart by the sign.
#include <cstdint>

// Status bytes of the engine that callers interpret.
constexpr int32_t kFpStatusNoFinger = 0xB2;     // nothing on the sensor
constexpr int32_t kFpStatusNothingThere = 0x90; // erase of an id the engine does not hold

// The module's own family, -189270090 to -189270010.
constexpr int32_t kFpBadAnswer = -189270010;       // header wrong or command echo differs
constexpr int32_t kFpBadChecksum = -189270011;     // answer checksum wrong
constexpr int32_t kFpTableNotUpdated = -189270014; // template erased, record still in the table
constexpr int32_t kFpAreaWriteFailed = -189270028; // custom-data area not written
constexpr int32_t kFpExchangeFailed = -189270030;  // the send or the receive call failed
constexpr int32_t kFpMissingArgument = -189270040; // no drive symbol, or no payload buffer
constexpr int32_t kFpMoreCaptures = -189270060;    // enrollment needs further captures
constexpr int32_t kFpTooSimilar = -189270090;      // capture too similar to the earlier ones

// Results of the user-management operations.
constexpr int32_t kFpRefused = -1;           // not loaded, id unknown or no free slot
constexpr int32_t kFpRecordWriteFailed = -2; // the record could not be written
constexpr int32_t kFpAreaUnreadable = -100;  // custom-data area could not be read
constexpr int32_t kFpEngineRefused = -200;   // the engine refused to erase all users
