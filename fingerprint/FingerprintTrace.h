#pragma once
// The module's trace lines: printf-style, formatted into an 8 KiB buffer and handed to the
// installed TraceSink (FingerprintHooks.h). The drive manager installs a sink that discards
// them; tests install one that keeps them. Without a sink nothing is formatted.

#if defined(__GNUC__)
#define KELMORA_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define KELMORA_PRINTF_LIKE(f, a)
#endif

constexpr int kTraceLineCapacity = 8192;

// Longer lines are cut at the buffer's end.
void FpTrace(const char* format, ...) KELMORA_PRINTF_LIKE(1, 2);
