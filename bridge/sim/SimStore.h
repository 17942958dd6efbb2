#pragma once
// The simulated drives' state folder: KELMORA_SIM_DIR, or DefaultSimDir() when it is not set.
//
//   state.txt           the drives (SimState.h), rewritten as a whole under state.lock
//   state.lock          the lock every process takes for one read-change-write
//   drive-N/volume/     the files of drive N's data volume
//   drive-N/disc/       the read-only disc a locked drive shows instead
//   volumes/L.vol       the mount table: one entry per drive letter that shows a volume
//                       (root=, type=, size=, free=, label=); the platform layer resolves
//                       drive letters and watches arrivals and removals through it
#include "SimState.h"

#include <filesystem>
#include <functional>

namespace sim {

std::filesystem::path SimDir();

// Wall-clock milliseconds: state shared between processes carries times in this clock.
int64_t WallNowMs();

// How long a drive stays away during a chip reset or an unlock (KELMORA_SIM_RESET_MS,
// default 300 ms of real time; the drive is hardware, not the program, so it keeps real time).
int TransitionMs();

// Loads the state under the lock, brings due returns up to date, runs `change` and, when it
// returns true (or a return fell due), saves the state and rewrites the mount table.
// false when the state folder cannot be used.
bool Transact(const std::function<bool(State&)>& change);

// Reads the state without changing it (still under the lock).
bool Snapshot(State& out);

// Waits (in real time) until `untilWallMs`, then lets due returns and re-mounts happen.
void WaitAndSettle(int64_t untilWallMs);

// Files of drive N's data volume.
std::filesystem::path VolumeRoot(const std::filesystem::path& simDir, int driveId);

} // namespace sim
