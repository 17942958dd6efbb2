#include "fingerprint/FingerprintTrace.h"

#include "fingerprint/FingerprintHooks.h"

#include <cstdarg>
#include <cstdio>

void FpTrace(const char* format, ...) {
    TraceSink sink = traceSink;
    if (!sink)
        return;
    char line[kTraceLineCapacity];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    sink(line);
}
