#pragma once
// The package download below the window: a fresh update check, the package the service names
// saved into the folder the user chose (with progress sent to the window), and the MD5 check of
// the saved file. The window hides its button and shows its bar before, restores them after, and
// shows its one error message unless the result is DownloadResult::Verified.
//
// Threads: DownloadPackage runs on the download worker; progress reaches the window's thread only
// through the sent message.
#include "platform/Messaging.h"
#include "update/UpdateCheck.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

// The progress message (the window's UM_DOWNLOAD_PROGRESS): wParam the percentage, lParam 0.
inline constexpr uint32_t kDownloadProgressMessage = 2025;

// Size of the buffer EncodeUrl fills; encoded addresses stay below 255 characters.
inline constexpr size_t kEncodedUrlSize = 256;
// Longest path of the saved package, in bytes.
inline constexpr size_t kPackagePathLimit = 1023;

// Percent-encodes `length` bytes of `source` into `destination` (`size` bytes): letters, digits
// and "&-./:=?_" pass; every other byte becomes "%" and two lowercase hex digits, a "%" already
// there included. A source of 255 bytes or more (logged as "error3"), or one whose encoding would
// reach 255 characters or not fit `size`, leaves the destination empty and gives -1; otherwise the
// encoded length.
int EncodeUrl(const char* source, size_t length, char* destination, size_t size = kEncodedUrlSize);

// The MD5 digest (RFC 1321) of the whole file as 32 lowercase hex digits and a terminating zero
// in `output` (at least 33 bytes). Files of 2 GB and more are refused with a line on standard
// error. Always closes the file. 0 or -1.
int Md5OfFile(char* output, FILE* file);

// The progress callback handed to HttpInterface::Download: sends kDownloadProgressMessage with the
// percentage to the window given as user value and returns once the window has handled it.
void SendDownloadProgress(int state, int percent, void* window);

enum class DownloadResult {
    Verified,       // saved, and its digest is the one the service gave
    CheckFailed,    // the update check failed
    BadAddress,     // no folder, or the address gives no usable file name or cannot be encoded
    TransferFailed, // connection, status, missing length or early end; the partial file is gone
    Unreadable,     // the saved file cannot be read back (or is 2 GB or more); it stays
    DigestMismatch, // the saved file stays where it is
};

struct PackageDownload {
    DownloadResult result = DownloadResult::CheckFailed;
    std::string filePath; // the package's path in the folder, once it is known
};

// The download worker's body: checks again, then saves the package named by that check into
// `folder` (8-bit text) under the last part of its address, and verifies it.
PackageDownload DownloadPackage(UpdateResults& results, const std::string& folder,
                                platform::WindowHandle window, const UpdateConfig& config);
inline PackageDownload DownloadPackage(UpdateResults& results, const std::string& folder,
                                       platform::WindowHandle window) {
    return DownloadPackage(results, folder, window, CurrentUpdateConfig());
}
