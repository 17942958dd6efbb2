#pragma once
// The update check: two JSON POST requests to the maker's update service (an access token for
// the application's credentials, then the current version with that token) and what the window
// keeps of the answer: the package's address and digest, whether it is newer, and its version
// for display.
//
// Threads: CheckForUpdate blocks for as long as the network does and runs only on workers (the
// start-up watchdog, the download worker); two checks may run at once. The window's thread reads
// the results through UpdateResults::Snapshot.
#include "update/UpdateConfig.h"

#include <mutex>
#include <string>

// The program's own version, compared with the service's.
inline constexpr const char* kProgramVersion = "1.2.1";

struct UpdateInfo {
    std::wstring downloadAddress; // "download" of the last successful answer
    std::string packageDigest;    // "md5Str"; emptied at the start of every check
    int updateAvailable = -1;     // -1 undetermined, 0 no newer version, 1 a newer version
    std::string newVersionText;   // the service's version as "%x.%x.%x"
};

// The results the window keeps. A failed check leaves everything of the last successful one
// except the digest, which every check empties first.
class UpdateResults {
public:
    UpdateInfo Snapshot() const;

private:
    friend int CheckForUpdate(UpdateResults&, UpdateInfo*, const UpdateConfig&);
    mutable std::mutex mutex_;
    UpdateInfo info_;
};

// The verdict on the service's "versionOut" (six hex digits, two per component): newer than
// kProgramVersion by byte-wise comparison of the six-digit texts, and its display text (a
// component that cannot be read keeps the program's own value).
struct VersionVerdict {
    int updateAvailable = 0;
    std::string newVersionText;
};
VersionVerdict JudgeServiceVersion(const std::string& versionOut);

// Runs both requests against config.serviceHost. 1 when both answers were "success" with their
// "data" and the results were stored (also into *thisCheck when given, so that a download uses
// the address and digest of its own check); 0 on any failure, including answers whose values
// cannot be read as text and a download address that converts to nothing.
int CheckForUpdate(UpdateResults& results, UpdateInfo* thisCheck, const UpdateConfig& config);
inline int CheckForUpdate(UpdateResults& results, UpdateInfo* thisCheck = nullptr) {
    return CheckForUpdate(results, thisCheck, CurrentUpdateConfig());
}
