#include "update/PackageDownload.h"

#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Socket.h"
#include "update/HttpsClient.h"

#include <openssl/evp.h>

#include <cstring>
#include <filesystem>

namespace {

bool PassesUnencoded(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
           (c != '\0' && std::strchr("&-./:=?_", c) != nullptr);
}

int Fail(char* destination) {
    destination[0] = '\0';
    return -1;
}

// A name that stays inside the chosen folder.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of("/\\") == std::string::npos;
}

} // namespace

int EncodeUrl(const char* source, size_t length, char* destination, size_t size) {
    if (!source || !destination || size == 0)
        return -1;
    if (length >= 255) {
        std::fputs("error3\n", stdout);
        std::fflush(stdout);
        return Fail(destination);
    }
    // Each escape costs two more characters; the encoded text must stay below 255.
    size_t allowance = 255;
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(source[i]);
        if (PassesUnencoded(c)) {
            if (out + 1 >= size)
                return Fail(destination);
            destination[out++] = static_cast<char>(c);
            continue;
        }
        allowance -= 2;
        if (length >= allowance || out + 3 >= size)
            return Fail(destination);
        std::snprintf(destination + out, 4, "%%%02x", c);
        out += 3;
    }
    destination[out] = '\0';
    return static_cast<int>(out);
}

int Md5OfFile(char* output, FILE* file) {
    if (!file)
        return -1;
    if (!output) {
        std::fclose(file);
        return -1;
    }
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    if (size < 0 || static_cast<long long>(size) >= (1LL << 31)) {
        std::fputs("Sorry! Can not calculate files which larger than 2 GB!\n", stderr);
        std::fclose(file);
        return -1;
    }
    std::rewind(file);

    EVP_MD_CTX* md = EVP_MD_CTX_new();
    bool ok = md && EVP_DigestInit_ex(md, EVP_md5(), nullptr) == 1;
    unsigned char block[64];
    size_t n;
    while (ok && (n = std::fread(block, 1, sizeof block, file)) > 0)
        ok = EVP_DigestUpdate(md, block, n) == 1;
    ok = ok && !std::ferror(file);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned digestSize = 0;
    ok = ok && EVP_DigestFinal_ex(md, digest, &digestSize) == 1 && digestSize == 16;
    EVP_MD_CTX_free(md);
    std::fclose(file);
    if (!ok)
        return -1;
    for (unsigned i = 0; i < digestSize; ++i)
        std::snprintf(output + 2 * i, 3, "%02x", digest[i]);
    return 0;
}

void SendDownloadProgress(int /*state*/, int percent, void* window) {
    percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
    platform::SendToWindow(window, kDownloadProgressMessage, static_cast<platform::WParam>(percent),
                           0);
}

PackageDownload DownloadPackage(UpdateResults& results, const std::string& folder,
                                platform::WindowHandle window, const UpdateConfig& config) {
    PackageDownload outcome;
    UpdateInfo info;
    if (CheckForUpdate(results, &info, config) != 1)
        return outcome;
    platform::StartSockets();

    // The last part of the address names the file, a query included.
    const std::wstring& address = info.downloadAddress;
    size_t slash = address.rfind(L'/');
    std::string name = platform::WideToSystemCodePage(
        slash == std::wstring::npos ? address : address.substr(slash + 1));
    outcome.filePath =
        folder + static_cast<char>(std::filesystem::path::preferred_separator) + name;
    outcome.result = DownloadResult::BadAddress;
    if (folder.empty() || !IsPlainFileName(name) || outcome.filePath.size() > kPackagePathLimit)
        return outcome;

    // The tick count keeps caches on the way from answering with an older package.
    std::wstring fresh =
        address + L"?sll=" + std::to_wstring(static_cast<uint32_t>(platform::NowMs()));
    std::string narrow = platform::WideToSystemCodePage(fresh);
    char encoded[kEncodedUrlSize] = {};
    bool encodable = EncodeUrl(narrow.data(), narrow.size(), encoded, sizeof encoded) >= 0;

    // An address that could not be encoded stays empty, which Download refuses (and reports).
    HttpInterface http(config.https);
    long long saved = http.Download(encoded, SendDownloadProgress, window, outcome.filePath);
    if (saved < 1) {
        // Only a file this download created goes: an older file of that name stays untouched
        // when the connection never got that far.
        if (http.CreatedFile())
            std::remove(outcome.filePath.c_str());
        outcome.result = encodable ? DownloadResult::TransferFailed : DownloadResult::BadAddress;
        return outcome;
    }

    FILE* file = std::fopen(outcome.filePath.c_str(), "rb");
    char digest[33] = {};
    if (!file || Md5OfFile(digest, file) != 0) {
        outcome.result = DownloadResult::Unreadable;
        return outcome;
    }
    outcome.result =
        info.packageDigest == digest ? DownloadResult::Verified : DownloadResult::DigestMismatch;
    return outcome;
}
