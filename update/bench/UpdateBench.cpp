// update_bench [MiB]: downloads a package (256 MiB by default) from the local update service
// with the program's client and with curl, and digests it with Md5OfFile and with md5sum, all in
// the same run on the same files, and prints the throughput of each.
#include "TestCertificates.h"
#include "UpdateTestServer.h"
#include "platform/Clock.h"
#include "platform/Socket.h"
#include "update/HttpsClient.h"
#include "update/PackageDownload.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

double Seconds(uint64_t startMs) {
    return static_cast<double>(platform::NowMs() - startMs) / 1000.0;
}

void Report(const char* what, double mib, double seconds) {
    std::printf("  %-28s %8.2f s  %9.1f MiB/s\n", what, seconds, seconds > 0 ? mib / seconds : 0.0);
}

bool WritePackage(const fs::path& file, uint64_t bytes) {
    FILE* f = std::fopen(file.string().c_str(), "wb");
    if (!f)
        return false;
    std::vector<uint64_t> block((1 << 20) / sizeof(uint64_t));
    uint64_t state = 0x9E3779B97F4A7C15ull;
    for (uint64_t done = 0; done < bytes;) {
        for (auto& word : block) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            word = state;
        }
        size_t n = static_cast<size_t>(std::min<uint64_t>(bytes - done, 1 << 20));
        if (std::fwrite(block.data(), 1, n, f) != n) {
            std::fclose(f);
            return false;
        }
        done += n;
    }
    return std::fclose(f) == 0;
}

// Runs a shell command and returns its exit status, or -1.
int Run(const std::string& command) {
    int rc = std::system(command.c_str());
    return rc == -1 ? -1 : (WIFEXITED(rc) ? WEXITSTATUS(rc) : -1);
}

} // namespace

int main(int argc, char** argv) {
    const uint64_t mib = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 256;
    if (mib == 0 || mib > 2000) {
        std::fprintf(stderr, "usage: update_bench [MiB, 1..2000]\n");
        return 2;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("kelmora-update-bench-" + std::to_string(platform::NowMs()));
    fs::create_directories(dir);
    const fs::path package = dir / "package.bin";
    const fs::path ours = dir / "client.bin";
    const fs::path theirs = dir / "curl.bin";
    const fs::path caFile = dir / "ca.pem";

    std::printf("Preparing a %llu MiB package in %s\n", static_cast<unsigned long long>(mib),
                dir.string().c_str());
    TestCertificateAuthority ca;
    if (!WritePackage(package, mib << 20) || !ca.WritePem(caFile)) {
        std::fprintf(stderr, "cannot prepare the package or the CA\n");
        return 1;
    }
    platform::StartSockets();
    UpdateTestServer server(ca.IssueServer({"localhost"}, {"127.0.0.1"}));
    ServiceBehaviour behaviour;
    behaviour.packageName = "package.bin";
    behaviour.packageFile = package.string();
    server.SetBehaviour(behaviour);
    if (!server.Start()) {
        std::fprintf(stderr, "cannot start the local service\n");
        return 1;
    }
    const std::string address = server.PackageAddress();
    const double size = static_cast<double>(mib);
    int status = 0;

    std::printf("Download of %s\n", address.c_str());
    HttpsOptions options;
    options.caBundle = caFile.string();
    HttpInterface http(options);
    uint64_t start = platform::NowMs();
    long long saved = http.Download(address, nullptr, nullptr, ours.string());
    double clientSeconds = Seconds(start);
    if (saved != static_cast<long long>(mib << 20)) {
        std::printf("  client download failed (%lld)\n", saved);
        status = 1;
    } else {
        Report("HttpInterface::Download", size, clientSeconds);
    }
    start = platform::NowMs();
    int curl = Run("curl -sS --fail --cacert '" + caFile.string() + "' -o '" + theirs.string() +
                   "' '" + address + "'");
    double curlSeconds = Seconds(start);
    if (curl == 0)
        Report("curl", size, curlSeconds);
    else
        std::printf("  curl: not available or failed (exit %d)\n", curl);

    std::printf("MD5 of the downloaded package\n");
    char digest[33] = {};
    start = platform::NowMs();
    FILE* file = std::fopen((saved > 0 ? ours : package).string().c_str(), "rb");
    int md5 = Md5OfFile(digest, file);
    double md5Seconds = Seconds(start);
    if (md5 == 0)
        Report("Md5OfFile", size, md5Seconds);
    start = platform::NowMs();
    int md5sum = Run("md5sum '" + (saved > 0 ? ours : package).string() + "' > /dev/null");
    double md5sumSeconds = Seconds(start);
    if (md5sum == 0)
        Report("md5sum", size, md5sumSeconds);
    else
        std::printf("  md5sum: not available (exit %d)\n", md5sum);
    bool same = md5 == 0 && server.PackageDigest() == digest;
    std::printf("  digest %s %s the served package's\n", digest, same ? "matches" : "DIFFERS from");

    server.Stop();
    std::error_code ec;
    fs::remove_all(dir, ec);
    return same ? status : 1;
}
