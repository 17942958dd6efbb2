// update-service: the local update service for a person trying the update check and the
// package download without the maker's server. Prints the environment the program needs to
// talk to it and serves until interrupted.
#include "TestCertificates.h"
#include "UpdateTestServer.h"
#include "platform/Clock.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

namespace {

std::atomic<bool> interrupted{false};

extern "C" void OnSignal(int) {
    interrupted = true;
}

void Usage() {
    std::puts(
        "usage: update-service [--port N] [--dir DIR] [--version HEX6] [--package FILE]\n"
        "                      [--md5 DIGEST] [--state-msg TEXT] [--no-content-length]\n"
        "                      [--cut-short BYTES] [--stall handshake|header|body]\n"
        "  --port N            port on 127.0.0.1 (default 8443; 0 lets the system choose)\n"
        "  --dir DIR           where ca.pem is written (default: a new temporary folder)\n"
        "  --version HEX6      versionOut of the answer (default 010202)\n"
        "  --package FILE      the package to serve (default: a small built-in one)\n"
        "  --md5 DIGEST        md5Str of the answer (default: the package's digest)\n"
        "  --state-msg TEXT    stateMsg of both answers (default success)\n"
        "  --no-content-length, --cut-short BYTES, --stall WHAT: misbehave for tests by hand");
}

} // namespace

int main(int argc, char** argv) {
    uint16_t port = 8443;
    std::filesystem::path dir;
    ServiceBehaviour behaviour;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        auto take = [&]() -> std::string {
            if (!value) {
                Usage();
                std::exit(2);
            }
            ++i;
            return value;
        };
        if (arg == "--port")
            port = static_cast<uint16_t>(std::atoi(take().c_str()));
        else if (arg == "--dir")
            dir = take();
        else if (arg == "--version")
            behaviour.versionOut = take();
        else if (arg == "--package") {
            behaviour.packageFile = std::filesystem::absolute(take()).string();
            behaviour.packageName =
                std::filesystem::path(behaviour.packageFile).filename().string();
        } else if (arg == "--md5")
            behaviour.md5 = take();
        else if (arg == "--state-msg")
            behaviour.tokenStateMsg = behaviour.versionStateMsg = take();
        else if (arg == "--no-content-length")
            behaviour.sendContentLength = false;
        else if (arg == "--cut-short")
            behaviour.cutShortBy = std::strtoull(take().c_str(), nullptr, 10);
        else if (arg == "--stall") {
            std::string what = take();
            behaviour.stall = what == "handshake" ? Stall::Handshake
                              : what == "header"  ? Stall::Header
                              : what == "body"    ? Stall::Body
                                                  : Stall::None;
        } else {
            Usage();
            return arg == "--help" || arg == "-h" ? 0 : 2;
        }
    }
    if (dir.empty()) {
        dir = std::filesystem::temp_directory_path() /
              ("kelmora-update-service-" +
               std::to_string(std::chrono::system_clock::now().time_since_epoch().count()));
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);

    TestCertificateAuthority ca("Kelmora local update service CA");
    std::filesystem::path caFile = dir / "ca.pem";
    if (!ca.Valid() || !ca.WritePem(caFile)) {
        std::fprintf(stderr, "update-service: cannot create the certificate authority in %s\n",
                     dir.string().c_str());
        return 1;
    }
    UpdateTestServer server(ca.IssueServer({"localhost"}, {"127.0.0.1"}), port);
    server.SetBehaviour(behaviour);
    if (!server.Start()) {
        std::fprintf(stderr, "update-service: cannot listen on 127.0.0.1:%u\n", port);
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::printf("Update service on https://%s\n"
                "Package: %s (md5 %s)\n"
                "Point the program at it with:\n"
                "  export KELMORA_UPDATE_HOST=%s\n"
                "  export KELMORA_UPDATE_CA_BUNDLE=%s\n"
                "Stop with Ctrl+C.\n",
                server.Host().c_str(), server.PackageAddress().c_str(),
                server.PackageDigest().c_str(), server.Host().c_str(), caFile.string().c_str());
    std::fflush(stdout);
    while (!interrupted)
        platform::SleepMs(200);
    server.Stop();
    std::printf("Served %zu requests.\n", server.Requests().size());
    return 0;
}
