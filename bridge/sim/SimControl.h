#pragma once
// What a person (through drivesim) and the tests do to the simulated drives: attach and detach
// them, place fingers, set volume figures, inject faults. Every call is one locked transaction
// on the shared state, so it is safe while the program uses the drives through the library.
// Drive numbers are drivesim's N (1, 2, ...); 0 picks the default drive named per call.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// A new drive on the bus; locked when a password is given. Returns its number, 0 on failure.
int Attach(const std::string& password, const std::string& product, std::string* error);
// Takes the drive off the bus (0: the first drive on the bus).
bool Detach(int drive, std::string* error);
// Puts the drive back on the bus, locked again when it has a password (0: the first drive not
// on the bus).
bool Plug(int drive, std::string* error);
// A named finger on the sensor / lifted (0: the first drive on the bus). When the finger unlocks
// the drive, returns after its volume was re-mounted.
bool Touch(const std::string& finger, int drive, std::string* error);
bool Lift(int drive, std::string* error);
bool SetVolume(int drive, std::optional<uint64_t> size, std::optional<uint64_t> used,
               std::string* error);
// count > 0: the next `count` occasions; count < 0: every occasion until cleared.
bool SetFault(int drive, const std::string& kind, int count, std::string* error);
bool ClearFaults(int drive, std::string* error);
// Similarity values handed out by the next captures, in order.
bool SetSimilarity(int drive, const std::vector<uint16_t>& values, std::string* error);
// Raw security status bytes 1 and 2 reported instead of the real ones; -1, -1 restores.
bool SetStatusBytes(int drive, int byte1, int byte2, std::string* error);
// Forgets every drive.
bool ClearAll(std::string* error);
// A readable account of every drive.
bool StatusText(std::string& out, std::string* error);

} // namespace sim
