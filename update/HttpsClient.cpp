#include "update/HttpsClient.h"

#include "platform/Clock.h"
#include "platform/Socket.h"

#include <openssl/err.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const kPostTemplate =
    "POST %s HTTP/1.0\r\nHost: %s:%d\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT "
    "5.0)\r\nCache-Control: no-cache\r\nAccept: */*\r\nContent-type: "
    "application/json\r\nContent-Length: %d\r\n\r\n%s";
const char* const kGetTemplate =
    "GET %s HTTP/1.0\r\nHost: %s:%d\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT "
    "5.0)\r\nCache-Control: no-cache\r\nAccept: */*\r\nContent-type: "
    "application/json\r\nContent-Length: 0\r\n\r\n";

void Log(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::vfprintf(stdout, format, args);
    va_end(args);
    std::fflush(stdout);
}

// The whole formatted text, however long, so that the length can be checked before sending.
std::string Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        text.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(text.data(), text.size(), format, args);
        text.resize(static_cast<size_t>(needed));
    }
    va_end(args);
    return text;
}

char* CopyRange(const char* begin, const char* end) {
    size_t size = static_cast<size_t>(end - begin);
    char* copy = static_cast<char*>(std::malloc(size + 1));
    if (copy) {
        std::memcpy(copy, begin, size);
        copy[size] = '\0';
    }
    return copy;
}

// > 0: bytes read; 0: the server closed the connection; -1: an error or a read time-out.
int TlsRead(SSL* ssl, void* buffer, int size) {
    int n = SSL_read(ssl, buffer, size);
    if (n > 0)
        return n;
    int error = SSL_get_error(ssl, n);
    ERR_clear_error();
    return error == SSL_ERROR_ZERO_RETURN ? 0 : -1;
}

bool TlsWrite(https_context_t* context, const std::string& text) {
    if (!context || !context->ssl) {
        Log("[https_demo] write https_context_t or ssl is null.\n");
        return false;
    }
    if (SSL_write(context->ssl, text.data(), static_cast<int>(text.size())) !=
        static_cast<int>(text.size())) {
        ERR_clear_error();
        Log("[https_demo] write fail.\n");
        return false;
    }
    return true;
}

// Reads the header one byte at a time (the body must stay unread) into `buffer`, which holds
// kResponseHeaderLimit + 1 bytes. Stops after CR LF CR LF, at the limit, or when the server
// closes; -1 when a read fails or times out.
int ReadHeaderBytes(SSL* ssl, char* buffer, bool closeIsError) {
    int state = 0;
    size_t used = 0;
    while (used < kResponseHeaderLimit) {
        char c;
        int n = TlsRead(ssl, &c, 1);
        if (n == 0 && !closeIsError)
            break;
        if (n <= 0) {
            Log("[https_demo] read header fail.\n");
            return -1;
        }
        buffer[used++] = c;
        if (c == '\r' && (state == 0 || state == 2))
            ++state;
        else if (c == '\n' && (state == 1 || state == 3))
            ++state;
        else
            state = 0;
        if (state == 4)
            break;
    }
    return static_cast<int>(used);
}

int StatusOf(const char* header) {
    const char* http = std::strstr(header, "HTTP/");
    int status = -1;
    if (http && std::sscanf(http, "%*s %d", &status) != 1)
        status = -1;
    return status;
}

bool IsIpAddress(const char* host) {
    ASN1_OCTET_STRING* ip = a2i_IPADDRESS(host);
    if (!ip)
        return false;
    ASN1_OCTET_STRING_free(ip);
    return true;
}

} // namespace

int https_parser_url(const char* url, char** host, int* port, char** path) {
    if (!url || std::strlen(url) < 9 || !host || !port || !path) {
        Log("[https_demo] url or host or path is null.\n");
        return -1;
    }
    if (std::strncmp(url, "https://", 8) != 0) {
        Log("[https_demo] illegal url = %s.\n", url);
        return -1;
    }
    const char* start = url + 8;
    const char* slash = std::strchr(start, '/');
    const char* hostEnd = start + std::strcspn(start, ":/");
    if (!slash || hostEnd == start) {
        Log("[https_demo] illegal url = %s.\n", url);
        return -1;
    }
    int parsedPort = 443;
    if (*hostEnd == ':') {
        // The port must be a plain number: anything else would connect somewhere unintended.
        const char* digits = hostEnd + 1;
        const char* digitsEnd = std::min(slash, digits + std::strcspn(digits, "/"));
        parsedPort = 0;
        bool valid = digits < digitsEnd && digitsEnd - digits <= 5;
        for (const char* p = digits; valid && p < digitsEnd; ++p) {
            valid = *p >= '0' && *p <= '9';
            parsedPort = parsedPort * 10 + (*p - '0');
        }
        if (!valid || parsedPort < 1 || parsedPort > 65535) {
            Log("[https_demo] illegal url = %s.\n", url);
            return -1;
        }
    }
    char* hostCopy = CopyRange(start, hostEnd);
    if (!hostCopy) {
        Log("[https_demo] malloc host fail.\n");
        return -1;
    }
    char* pathCopy = CopyRange(slash, slash + std::strlen(slash));
    if (!pathCopy) {
        Log("[https_demo] malloc path fail.\n");
        std::free(hostCopy);
        return -1;
    }
    *host = hostCopy;
    *path = pathCopy;
    *port = parsedPort;
    return 0;
}

int create_request_socket(const char* host, int port) {
    return create_request_socket(host, port, CurrentUpdateConfig().https);
}

int create_request_socket(const char* host, int port, const HttpsOptions& options) {
    if (!host || port < 1 || port > 65535) {
        Log("[http_demo] create_request_socket connect fail.\n");
        return -1;
    }
    platform::ConnectError error = platform::ConnectError::None;
    platform::SocketHandle socket =
        platform::ConnectTcp(host, static_cast<uint16_t>(port), options.connectTimeoutMs, &error);
    if (socket == platform::kNoSocket) {
        switch (error) {
        case platform::ConnectError::Create:
            Log("[http_demo] create_request_socket create socket fail.\n");
            break;
        case platform::ConnectError::Resolve:
            Log("[http_demo] create_request_socket gethostbyname fail.\n");
            break;
        case platform::ConnectError::TimedOut:
            Log("[http_demo] create_request_socket connect timeout.\n");
            [[fallthrough]];
        default:
            Log("[http_demo] create_request_socket connect fail.\n");
            break;
        }
        return -1;
    }
    // The read time-out also bounds writes: a server that stops reading is as stalled as one
    // that stops sending.
    if (!platform::SetSocketTimeouts(socket, options.readTimeoutMs, options.readTimeoutMs)) {
        platform::CloseSocket(socket);
        Log("[http_demo] create_request_socket connect fail.\n");
        return -1;
    }
    return static_cast<int>(socket);
}

int https_init(https_context_t* context, const char* url) {
    return https_init(context, url, CurrentUpdateConfig().https);
}

int https_init(https_context_t* context, const char* url, const HttpsOptions& options) {
    if (!context) {
        Log("[https_demo] init https_context_t is null.\n");
        return -1;
    }
    if (https_parser_url(url, &context->host, &context->port, &context->path) != 0) {
        Log("[https_demo] https_parser_url fail.\n");
        return -1;
    }
    auto fail = [&](const std::string& line) {
        Log("%s", line.c_str());
        ERR_clear_error();
        https_uninit(context);
        return -1;
    };
    context->socket = create_request_socket(context->host, context->port, options);
    if (context->socket < 0)
        return fail("[https_demo] create_request_socket fail.\n");

    context->ssl_ctx = SSL_CTX_new(TLS_client_method());
    if (!context->ssl_ctx)
        return fail("[https_demo] SSL_CTX_new fail.\n");
    // The package and its digest come from this server: an unverified peer could swap both.
    SSL_CTX_set_verify(context->ssl_ctx, SSL_VERIFY_PEER, nullptr);
    // HTTP/1.0 answers end where the connection ends; many servers close without a TLS
    // close_notify. Truncation is caught by Content-Length and the digest.
    SSL_CTX_set_options(context->ssl_ctx, SSL_OP_IGNORE_UNEXPECTED_EOF);
    if (options.caBundle.empty()) {
        if (SSL_CTX_set_default_verify_paths(context->ssl_ctx) != 1)
            return fail("[https_demo] load trust store fail.\n");
    } else if (SSL_CTX_load_verify_locations(context->ssl_ctx, options.caBundle.c_str(), nullptr) !=
               1) {
        return fail(Format("[https_demo] load CA bundle %s fail.\n", options.caBundle.c_str()));
    }

    context->ssl = SSL_new(context->ssl_ctx);
    if (!context->ssl)
        return fail("[https_demo] SSL_new fail.\n");
    SSL_set_fd(context->ssl, context->socket);
    SSL_set_tlsext_host_name(context->ssl, context->host);
    int named = IsIpAddress(context->host)
                    ? X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(context->ssl), context->host)
                    : SSL_set1_host(context->ssl, context->host);
    if (named != 1)
        return fail("[https_demo] SSL_new fail.\n");

    if (SSL_connect(context->ssl) != 1) {
        long verify = SSL_get_verify_result(context->ssl);
        if (verify != X509_V_OK)
            Log("[https_demo] certificate verify fail: %s.\n",
                X509_verify_cert_error_string(verify));
        return fail("[https_demo] SSL_connect fail.\n");
    }
    return 0;
}

int https_get_status(https_context_t* context) {
    if (!context || !context->ssl) {
        Log("[https_demo] get status https_context_t or ssl is null.\n");
        return -1;
    }
    char header[kResponseHeaderLimit + 1] = {};
    if (ReadHeaderBytes(context->ssl, header, false) < 0)
        return -1;
    return StatusOf(header);
}

int https_read_content(https_context_t* context, char* buffer, size_t size) {
    if (!context || !context->ssl || !buffer) {
        Log("[https_demo] read content https_context_t or ssl is null.\n");
        return -1;
    }
    size_t total = 0;
    for (;;) {
        if (total == size) {
            // Full: the body fits only if the server closes now.
            char probe;
            int n = TlsRead(context->ssl, &probe, 1);
            if (n == 0)
                break;
            Log(n > 0 ? "[https_demo] content larger than buffer.\n"
                      : "[https_demo] read content fail.\n");
            return -1;
        }
        int want = static_cast<int>(std::min<size_t>(size - total, 1 << 20));
        int n = TlsRead(context->ssl, buffer + total, want);
        if (n == 0)
            break;
        if (n < 0) {
            Log("[https_demo] read content fail.\n");
            return -1;
        }
        total += static_cast<size_t>(n);
    }
    return static_cast<int>(total);
}

long long https_read_header(https_context_t* context, int* status) {
    if (!context || !context->ssl) {
        Log("[https_demo] get status https_context_t or ssl is null.\n");
        return -1;
    }
    char header[kResponseHeaderLimit + 1] = {};
    if (ReadHeaderBytes(context->ssl, header, true) < 0)
        return -1;
    if (status)
        *status = StatusOf(header);
    const char* field = std::strstr(header, "Content-Length: ");
    if (!field)
        return 0;
    const char* value = field + std::strlen("Content-Length: ");
    const char* cr = std::strchr(value, '\r');
    if (!cr || cr == value || cr - value > 18)
        return 0;
    long long length = 0;
    for (const char* p = value; p < cr; ++p) {
        if (*p < '0' || *p > '9')
            return 0;
        length = length * 10 + (*p - '0');
    }
    return length;
}

long long https_write_file(https_context_t* context, const char* path, long long length,
                           HttpsProgressCallback callback, void* user) {
    if (!context || !context->ssl || !path) {
        Log("[https_demo] read content https_context_t or ssl is null.\n");
        return -1;
    }
    FILE* file = std::fopen(path, "wb");
    if (!file) {
        Log("[https_demo] create file fail.\n");
        return -1;
    }
    const uint64_t startSecond = platform::NowMs() / 1000;
    char chunk[kDownloadChunkSize];
    long long received = 0;
    while (received < length) {
        int want = static_cast<int>(std::min<long long>(length - received, sizeof chunk));
        int n = TlsRead(context->ssl, chunk, want);
        if (n <= 0)
            break;
        if (std::fwrite(chunk, 1, static_cast<size_t>(n), file) != static_cast<size_t>(n)) {
            Log("[https_demo] write file fail.\n");
            break;
        }
        received += n;
        // received * 100 / length instead of received / (length / 100): no division by zero
        // below 100 bytes, and never above 100.
        if (callback && platform::NowMs() / 1000 > startSecond)
            callback(0, static_cast<int>(received * 100 / length), user);
    }
    if (std::fclose(file) != 0) {
        Log("[https_demo] write file fail.\n");
        return 0;
    }
    return received;
}

int https_uninit(https_context_t* context) {
    if (!context) {
        Log("[https_demo] uninit https_context_t is null.\n");
        return -1;
    }
    std::free(context->host);
    context->host = nullptr;
    std::free(context->path);
    context->path = nullptr;
    SSL_free(context->ssl);
    context->ssl = nullptr;
    SSL_CTX_free(context->ssl_ctx);
    context->ssl_ctx = nullptr;
    if (context->socket > 0)
        platform::CloseSocket(context->socket);
    context->socket = -1;
    return 0;
}

HttpInterface::HttpInterface() : options_(CurrentUpdateConfig().https) {}

HttpInterface::HttpInterface(HttpsOptions options) : options_(std::move(options)) {}

std::string HttpInterface::Post(const std::string& url, const std::string& body) {
    lastError_ = HttpInterfaceNoError;
    if (url.empty()) {
        lastError_ = HttpInterfaceNoUrl;
        return {};
    }
    OPENSSL_init_ssl(0, nullptr);
    https_context_t context{};
    if (https_init(&context, url.c_str(), options_) != 0)
        return {};

    std::string result;
    // The body is appended rather than formatted so that every byte counted is also sent.
    std::string request = Format(kPostTemplate, context.path, context.host, context.port,
                                 static_cast<int>(body.size()), "") +
                          body;
    if (request.size() > kPostRequestLimit) {
        Log("[https_demo] request too long.\n");
    } else if (TlsWrite(&context, request) && https_get_status(&context) == 200) {
        std::string buffer(kPostBodyLimit, '\0');
        int n = https_read_content(&context, buffer.data(), buffer.size());
        if (n >= 0)
            result.assign(buffer.data(), static_cast<size_t>(n));
    }
    https_uninit(&context);
    return result;
}

long long HttpInterface::Download(const std::string& url, HttpsProgressCallback callback,
                                  void* user, const std::string& path) {
    lastError_ = HttpInterfaceNoError;
    createdFile_ = false;
    auto report = [&](int state, int percent) {
        if (callback)
            callback(state, percent, user);
    };
    if (url.empty()) {
        lastError_ = HttpInterfaceNoUrl;
        report(-1, 0);
        return -1;
    }
    OPENSSL_init_ssl(0, nullptr);
    https_context_t context{};
    if (https_init(&context, url.c_str(), options_) != 0) {
        report(-1, 0);
        return -1;
    }

    long long result = -1;
    std::string request = Format(kGetTemplate, context.path, context.host, context.port);
    if (request.size() > kGetRequestLimit) {
        Log("[https_demo] request too long.\n");
    } else if (TlsWrite(&context, request)) {
        int status = -1;
        long long length = https_read_header(&context, &status);
        if (length > 0 && status != 200) {
            // An error page is not the package.
            Log("[https_demo] download status %d.\n", status);
        } else if (length > 0) {
            long long written = https_write_file(&context, path.c_str(), length, callback, user);
            createdFile_ = written >= 0;
            if (written == length) {
                report(1, 100);
                result = length;
            }
        }
    }
    https_uninit(&context);
    if (result < 0)
        report(-1, 0);
    return result;
}
