#pragma once
// Where the update client connects and how long it waits. Compiled-in defaults, each overridable
// by an environment variable, so that tests and a person can point the program at a local
// service (see update/README.md).
#include <cstdint>
#include <string>

// How HTTPS connections are made and verified.
struct HttpsOptions {
    // PEM file of the certificate authorities to trust; empty: the system's trust store.
    std::string caBundle;
    // Longest wait for the TCP connection, and for any single read or write afterwards
    // (the TLS handshake included). A stalled server fails the request after readTimeoutMs.
    uint32_t connectTimeoutMs = 10000;
    uint32_t readTimeoutMs = 30000;
};

struct UpdateConfig {
    // Host name of the update service, optionally with ":port" ("127.0.0.1:8443").
    std::string serviceHost;
    HttpsOptions https;
};

// The compiled-in host of the maker's update service.
inline constexpr const char* kDefaultUpdateHost = "update.zemovevuv.com";

// Environment variables read by CurrentUpdateConfig.
inline constexpr const char* kUpdateHostVariable = "KELMORA_UPDATE_HOST";
inline constexpr const char* kUpdateCaBundleVariable = "KELMORA_UPDATE_CA_BUNDLE";
inline constexpr const char* kUpdateConnectTimeoutVariable = "KELMORA_UPDATE_CONNECT_TIMEOUT_MS";
inline constexpr const char* kUpdateReadTimeoutVariable = "KELMORA_UPDATE_READ_TIMEOUT_MS";

// The defaults with the environment's overrides, read anew on every call. Empty or malformed
// values (a time-out that is not a positive number of milliseconds) keep the default.
UpdateConfig CurrentUpdateConfig();
