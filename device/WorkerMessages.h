#pragma once
// The program's own window messages (WM_USER-based), posted or sent by the workers to the window.
#include <cstdint>

inline constexpr uint32_t UM_DOWNLOAD_PROGRESS = 2025; // sent
inline constexpr uint32_t UM_ERASE_DONE = 2026;        // sent
inline constexpr uint32_t UM_UNLOCK_DONE = 2027;
inline constexpr uint32_t UM_UNLOCK_FAILED = 2028;
inline constexpr uint32_t UM_ERASE_FAILED = 2029;
inline constexpr uint32_t UM_FP_EVENT = 2125;
inline constexpr uint32_t UM_FP_ENROLL_EVENT = 2126;
