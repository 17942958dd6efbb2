#pragma once
// A local stand-in for the maker's update service, for tests, the benchmark and a person trying
// the update on their own machine. It listens on 127.0.0.1 over HTTPS with a certificate of the
// caller's making, answers the token and version requests, serves one package, and can be told
// to misbehave (wrong status, missing fields, a body cut short, a stall, ...).
//
// Routes (HTTP/1.0, one request per connection):
//   POST /mi/base/security/authorize/getaccesstoken?...  token answer
//   POST /mi/base/resources/version/upgradeapp?...        version answer
//   GET  /packages/<packageName>[?...]                     the package
//   POST /echo                                             200 with the request's body
//   POST /status/<code>                                    that status with the body "{}"
//   POST /size/<n>                                         200 with n bytes of "x"
// Anything else is a 404.
//
// Threads: one thread accepts, one thread serves each connection. Behaviour and recorded
// requests may be read and changed from any thread. Stop() (or the destructor) ends every
// thread, stalled ones included.
#include "TestCertificates.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <list>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

enum class DataMember { Object, Missing, Null, Text };

enum class Stall {
    None,
    Handshake, // accept the connection but never answer the TLS handshake
    Header,    // read the request, send nothing
    Body,      // send the header and half of the body, then nothing
};

struct ServiceBehaviour {
    // Token answer.
    int tokenStatus = 200;
    std::string tokenStateMsg = "success";
    DataMember tokenData = DataMember::Object;
    std::string accessToken = "a1b2c3d4e5f60718293a4b5c6d7e8f90";
    std::optional<std::string> tokenBody; // sent verbatim instead of the built answer

    // Version answer.
    int versionStatus = 200;
    std::string versionStateMsg = "success";
    DataMember versionData = DataMember::Object;
    std::string versionOut = "010202";
    std::optional<std::string> downloadAddress; // default: this server's package address
    std::optional<std::string> md5;             // default: the package's digest
    bool md5Uppercase = false;
    std::string nonStringMember; // member of "data" sent as an object instead of text
    std::optional<std::string> versionBody;

    // The package: `packageContent`, or the file `packageFile` when that is set.
    std::string packageName = "KelmoraFp_Setup_1.2.2.exe";
    std::string packageContent = "Kelmora package bytes\n";
    std::string packageFile;
    int packageStatus = 200;
    bool sendContentLength = true;
    uint64_t cutShortBy = 0; // bytes left out of the announced length before closing

    Stall stall = Stall::None; // applies to every connection
};

struct RecordedRequest {
    std::string method;
    std::string target; // path and query
    std::string header; // request line and header fields, CR LF CR LF included
    std::string body;
};

class UpdateTestServer {
public:
    // Serves with `identity` on 127.0.0.1:`port` (0: chosen by the system) once started.
    explicit UpdateTestServer(TlsIdentity identity, uint16_t port = 0);
    ~UpdateTestServer();
    UpdateTestServer(const UpdateTestServer&) = delete;
    UpdateTestServer& operator=(const UpdateTestServer&) = delete;

    bool Start();
    void Stop();

    uint16_t Port() const { return port_; }
    // "127.0.0.1:<port>", the service host for the client's configuration.
    std::string Host() const;
    // "https://127.0.0.1:<port>/packages/<packageName>".
    std::string PackageAddress() const;
    // Lowercase MD5 of the current package (before md5Uppercase).
    std::string PackageDigest() const;

    ServiceBehaviour Behaviour() const;
    // Replaces the behaviour; the package's digest is computed here (for a file, once now).
    void SetBehaviour(ServiceBehaviour behaviour);

    std::vector<RecordedRequest> Requests() const;
    void ClearRequests();

private:
    struct Connection {
        std::thread thread;
        std::atomic<bool> done{false};
    };

    void AcceptLoop();
    void Serve(intptr_t socket);
    // Waits until Stop (bounded, so that a forgotten server still ends its threads).
    void WaitForStop();

    TlsIdentity identity_;
    void* sslContext_ = nullptr; // SSL_CTX
    intptr_t listener_ = -1;
    uint16_t port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread acceptThread_;

    mutable std::mutex mutex_;
    std::condition_variable stopped_;
    ServiceBehaviour behaviour_;
    std::string packageDigest_;
    std::vector<RecordedRequest> requests_;
    std::list<Connection> connections_;
};
