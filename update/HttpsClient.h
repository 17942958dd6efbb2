#pragma once
// A small blocking HTTP/1.0 client over TLS for the update check and the package download: one
// connection per request, a fixed request template, no redirects, no chunked bodies, no
// keep-alive, no proxy. The server's certificate chain and host name are verified (the system's
// trust store, or the CA bundle of the configuration), and every connect, read and write has a
// time-out. Diagnostics are fixed lines on standard output: "[https_demo] ..." and, for the
// socket step, "[http_demo] ...".
//
// Threads: a request runs entirely on its caller's thread (a worker, never the window's thread);
// nothing is shared between requests. The caller starts the sockets first
// (platform::StartSockets); the client never does.
#include "update/UpdateConfig.h"

#include <cstddef>
#include <openssl/ssl.h>
#include <string>

// Limits of the texts exchanged. A request longer than its limit fails before anything is sent.
inline constexpr size_t kPostRequestLimit = 1023;
inline constexpr size_t kGetRequestLimit = 2047;
inline constexpr size_t kResponseHeaderLimit = 1023;
// A POST answer longer than this fails instead of being cut.
inline constexpr size_t kPostBodyLimit = 4096;
inline constexpr size_t kDownloadChunkSize = 8192;

// The state of one connection. Zero-initialise it before https_init; https_uninit releases
// everything it owns.
struct https_context_t {
    int socket;       // connected TCP socket; 0 or negative when none
    SSL_CTX* ssl_ctx; // owned
    SSL* ssl;         // owned; while it is null every read and write refuses
    char* host;       // malloc'ed copy of the URL's host, owned
    char* path;       // malloc'ed, everything from the first "/" after the host, query included
    int port;         // from the URL, 443 by default
};

// Progress of a download: state 0 progress, 1 completion, -1 failure; percent 0 to 100; the
// user value passed through unchanged.
using HttpsProgressCallback = void (*)(int state, int percent, void* user);

// Splits "https://host[:port]/path" into a malloc'ed host, the port (443 when absent) and a
// malloc'ed path. Any other scheme, a missing path, an empty host or a port that is not a number
// from 1 to 65535 is refused. 0 or -1.
int https_parser_url(const char* url, char** host, int* port, char** path);

// A TCP socket connected to host:port within the connect time-out, with the read time-out set
// for every later receive and send; -1 on failure. Without options, those of
// CurrentUpdateConfig() apply.
int create_request_socket(const char* host, int port);
int create_request_socket(const char* host, int port, const HttpsOptions& options);

// Parses the URL, connects and completes a verified TLS handshake. 0, or -1 with the context
// released.
int https_init(https_context_t* context, const char* url);
int https_init(https_context_t* context, const char* url, const HttpsOptions& options);

// Reads the answer's header (at most 1023 bytes) and returns its status code; -1 when there is
// no status line or the read fails.
int https_get_status(https_context_t* context);

// Reads the body until the server closes the connection into `buffer` (`size` bytes, not
// terminated). The number of bytes; -1 when the body does not fit or a read fails or times out.
int https_read_content(https_context_t* context, char* buffer, size_t size);

// Reads the answer's header, stores its status in `status` (when given) and returns the value of
// "Content-Length: "; 0 when absent or not a number; -1 when a read fails.
long long https_read_header(https_context_t* context, int* status);

// Streams `length` body bytes into a new file at `path` (8-bit text), reporting (0, percent,
// user) after every chunk once the first second has passed. The number of bytes written (short
// when the connection ended early, a read failed or the disk refused), or -1 when nothing could
// be created.
long long https_write_file(https_context_t* context, const char* path, long long length,
                           HttpsProgressCallback callback, void* user);

// Releases what the context owns (no TLS shutdown message). 0, or -1 for a null context.
int https_uninit(https_context_t* context);

enum HttpInterfaceError : int {
    HttpInterfaceNoError = 0,
    HttpInterfaceNoUrl = 14,
};

// One request at a time; callers create it on the stack of a worker thread.
class HttpInterface {
public:
    // Connection options from CurrentUpdateConfig().
    HttpInterface();
    explicit HttpInterface(HttpsOptions options);

    // The answer's body for a JSON POST; empty on any failure or a status other than 200.
    std::string Post(const std::string& url, const std::string& body);

    // GETs `url` into the file at `path`: the number of bytes saved, or -1 (reported to the
    // callback as (-1, 0, user)). Success is reported as (1, 100, user). A status other than
    // 200, a missing "Content-Length: " or a body that ends early is a failure; a partial file
    // stays for the caller to remove.
    long long Download(const std::string& url, HttpsProgressCallback callback, void* user,
                       const std::string& path);

    HttpInterfaceError LastError() const { return lastError_; }
    // Whether the last Download created (or truncated) the file at its path.
    bool CreatedFile() const { return createdFile_; }

private:
    HttpsOptions options_;
    HttpInterfaceError lastError_ = HttpInterfaceNoError;
    bool createdFile_ = false;
};
