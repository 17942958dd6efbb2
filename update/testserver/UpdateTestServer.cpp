#include "UpdateTestServer.h"

#include "platform/Socket.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint32_t kServerSocketTimeoutMs = 2000;
constexpr size_t kRequestLimit = 64 * 1024;
constexpr auto kLongestStall = std::chrono::seconds(60);

const char* const kTokenPath = "/mi/base/security/authorize/getaccesstoken";
const char* const kVersionPath = "/mi/base/resources/version/upgradeapp";

SSL_CTX* Ctx(void* p) {
    return static_cast<SSL_CTX*>(p);
}

std::string ToHex(const unsigned char* bytes, size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string hex;
    for (size_t i = 0; i < size; ++i) {
        hex += digits[bytes[i] >> 4];
        hex += digits[bytes[i] & 15];
    }
    return hex;
}

std::string DigestOf(const ServiceBehaviour& b) {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    EVP_DigestInit_ex(md, EVP_md5(), nullptr);
    if (b.packageFile.empty()) {
        EVP_DigestUpdate(md, b.packageContent.data(), b.packageContent.size());
    } else if (FILE* f = std::fopen(b.packageFile.c_str(), "rb")) {
        std::vector<char> buffer(1 << 20);
        size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0)
            EVP_DigestUpdate(md, buffer.data(), n);
        std::fclose(f);
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned size = 0;
    EVP_DigestFinal_ex(md, digest, &size);
    EVP_MD_CTX_free(md);
    return ToHex(digest, size);
}

uint64_t PackageSize(const ServiceBehaviour& b) {
    if (b.packageFile.empty())
        return b.packageContent.size();
    std::error_code ec;
    auto size = std::filesystem::file_size(b.packageFile, ec);
    return ec ? 0 : size;
}

// JSON string literal for text that needs no escapes beyond quotes and backslashes.
std::string Quote(const std::string& text) {
    std::string q = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            q += '\\';
        q += c;
    }
    return q + "\"";
}

std::string Answer(const std::string& stateMsg, DataMember data,
                   const std::vector<std::pair<std::string, std::string>>& members,
                   const std::string& nonString) {
    std::string json = "{\"stateCode\":\"0000\",\"stateMsg\":" + Quote(stateMsg);
    switch (data) {
    case DataMember::Missing:
        break;
    case DataMember::Null:
        json += ",\"data\":null";
        break;
    case DataMember::Text:
        json += ",\"data\":\"not an object\"";
        break;
    case DataMember::Object: {
        json += ",\"data\":{";
        bool first = true;
        for (const auto& [name, value] : members) {
            json += (first ? "" : ",") + Quote(name) + ":" +
                    (name == nonString ? std::string("{\"value\":1}") : Quote(value));
            first = false;
        }
        json += "}";
        break;
    }
    }
    return json + "}";
}

const char* Reason(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 201:
        return "Created";
    case 404:
        return "Not Found";
    default:
        return "Status";
    }
}

bool WriteAll(SSL* ssl, const char* data, size_t size) {
    while (size > 0) {
        int chunk = static_cast<int>(std::min<size_t>(size, 1 << 16));
        int n = SSL_write(ssl, data, chunk);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

} // namespace

UpdateTestServer::UpdateTestServer(TlsIdentity identity, uint16_t port)
    : identity_(std::move(identity)), port_(port) {
    SetBehaviour(ServiceBehaviour{});
}

UpdateTestServer::~UpdateTestServer() {
    Stop();
    SSL_CTX_free(Ctx(sslContext_));
}

bool UpdateTestServer::Start() {
    if (!identity_ || acceptThread_.joinable())
        return false;
    platform::StartSockets();
    SSL_CTX* ctx = SSL_CTX_new(TLS_server_method());
    if (!ctx || SSL_CTX_use_certificate(ctx, identity_.certificate.get()) != 1 ||
        SSL_CTX_use_PrivateKey(ctx, identity_.key.get()) != 1) {
        SSL_CTX_free(ctx);
        return false;
    }
    sslContext_ = ctx;
    listener_ = platform::ListenTcp("127.0.0.1", port_, 16);
    if (listener_ == platform::kNoSocket)
        return false;
    port_ = platform::SocketLocalPort(listener_);
    stopping_ = false;
    acceptThread_ = std::thread([this] { AcceptLoop(); });
    return true;
}

void UpdateTestServer::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    if (acceptThread_.joinable())
        acceptThread_.join();
    for (auto& c : connections_)
        if (c.thread.joinable())
            c.thread.join();
    connections_.clear();
    if (listener_ != platform::kNoSocket) {
        platform::CloseSocket(listener_);
        listener_ = platform::kNoSocket;
    }
}

std::string UpdateTestServer::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::string UpdateTestServer::PackageAddress() const {
    return "https://" + Host() + "/packages/" + Behaviour().packageName;
}

std::string UpdateTestServer::PackageDigest() const {
    std::lock_guard lock(mutex_);
    return packageDigest_;
}

ServiceBehaviour UpdateTestServer::Behaviour() const {
    std::lock_guard lock(mutex_);
    return behaviour_;
}

void UpdateTestServer::SetBehaviour(ServiceBehaviour behaviour) {
    std::string digest = DigestOf(behaviour);
    std::lock_guard lock(mutex_);
    behaviour_ = std::move(behaviour);
    packageDigest_ = std::move(digest);
}

std::vector<RecordedRequest> UpdateTestServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void UpdateTestServer::ClearRequests() {
    std::lock_guard lock(mutex_);
    requests_.clear();
}

void UpdateTestServer::WaitForStop() {
    std::unique_lock lock(mutex_);
    stopped_.wait_for(lock, kLongestStall, [this] { return stopping_.load(); });
}

void UpdateTestServer::AcceptLoop() {
    while (!stopping_) {
        intptr_t socket = platform::AcceptTcp(listener_, 20);
        // Finished connections are joined here so that a long-running service does not
        // collect threads.
        connections_.remove_if([](Connection& c) {
            if (!c.done)
                return false;
            c.thread.join();
            return true;
        });
        if (socket == platform::kNoSocket)
            continue;
        Connection& c = connections_.emplace_back();
        c.thread = std::thread([this, socket, &c] {
            Serve(socket);
            c.done = true;
        });
    }
}

void UpdateTestServer::Serve(intptr_t socket) {
    platform::SetSocketTimeouts(socket, kServerSocketTimeoutMs, kServerSocketTimeoutMs);
    const ServiceBehaviour b = Behaviour();
    if (b.stall == Stall::Handshake) {
        WaitForStop();
        platform::CloseSocket(socket);
        return;
    }
    SSL* ssl = SSL_new(Ctx(sslContext_));
    SSL_set_fd(ssl, static_cast<int>(socket));
    auto finish = [&] {
        SSL_free(ssl);
        ERR_clear_error();
        platform::CloseSocket(socket);
    };
    if (SSL_accept(ssl) != 1) {
        finish();
        return;
    }

    // The request: header up to the blank line, then Content-Length bytes of body.
    std::string data;
    size_t headerEnd = std::string::npos;
    char buffer[16 * 1024];
    while (headerEnd == std::string::npos && data.size() < kRequestLimit) {
        int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0)
            break;
        data.append(buffer, static_cast<size_t>(n));
        headerEnd = data.find("\r\n\r\n");
    }
    if (headerEnd == std::string::npos) {
        finish();
        return;
    }
    RecordedRequest request;
    request.header = data.substr(0, headerEnd + 4);
    request.body = data.substr(headerEnd + 4);
    size_t contentLength = 0;
    if (auto at = request.header.find("Content-Length: "); at != std::string::npos)
        contentLength = std::strtoul(request.header.c_str() + at + 16, nullptr, 10);
    while (request.body.size() < std::min(contentLength, kRequestLimit)) {
        int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.body.append(buffer, static_cast<size_t>(n));
    }
    size_t space = request.header.find(' ');
    size_t space2 = request.header.find(' ', space + 1);
    request.method = request.header.substr(0, space);
    if (space != std::string::npos && space2 != std::string::npos)
        request.target = request.header.substr(space + 1, space2 - space - 1);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    // The answer.
    const std::string path = request.target.substr(0, request.target.find('?'));
    int status = 404;
    std::string body = "{}";
    bool fromFile = false;
    bool contentLengthField = true;
    uint64_t cutShortBy = 0;
    if (request.method == "POST" && path == kTokenPath) {
        status = b.tokenStatus;
        body = b.tokenBody ? *b.tokenBody
                           : Answer(b.tokenStateMsg, b.tokenData,
                                    {{"accessToken", b.accessToken}, {"expiresIn", "7200"}},
                                    b.nonStringMember);
    } else if (request.method == "POST" && path == kVersionPath) {
        status = b.versionStatus;
        std::string md5 = b.md5 ? *b.md5 : PackageDigest();
        if (b.md5Uppercase)
            std::transform(md5.begin(), md5.end(), md5.begin(),
                           [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
        body =
            b.versionBody
                ? *b.versionBody
                : Answer(b.versionStateMsg, b.versionData,
                         {{"versionOut", b.versionOut},
                          {"download", b.downloadAddress ? *b.downloadAddress : PackageAddress()},
                          {"loop", "0"},
                          {"md5Str", md5},
                          {"remark", "Fixes and improvements"},
                          {"attention", ""}},
                         b.nonStringMember);
    } else if (request.method == "GET" && path == "/packages/" + b.packageName) {
        status = b.packageStatus;
        fromFile = !b.packageFile.empty();
        if (!fromFile)
            body = b.packageContent;
        contentLengthField = b.sendContentLength;
        cutShortBy = b.cutShortBy;
    } else if (request.method == "POST" && path == "/echo") {
        status = 200;
        body = request.body;
    } else if (request.method == "POST" && path.rfind("/status/", 0) == 0) {
        status = std::atoi(path.c_str() + 8);
    } else if (request.method == "POST" && path.rfind("/size/", 0) == 0) {
        status = 200;
        body.assign(std::strtoul(path.c_str() + 6, nullptr, 10), 'x');
    }

    const uint64_t length = fromFile ? PackageSize(b) : body.size();
    std::string header =
        "HTTP/1.0 " + std::to_string(status) + " " + Reason(status) +
        "\r\nServer: kelmora-update-service\r\nContent-Type: " +
        (path.rfind("/packages/", 0) == 0 ? "application/octet-stream" : "application/json") +
        "\r\n";
    if (contentLengthField)
        header += "Content-Length: " + std::to_string(length) + "\r\n";
    header += "\r\n";

    if (b.stall == Stall::Header) {
        WaitForStop();
        finish();
        return;
    }
    bool ok = WriteAll(ssl, header.data(), header.size());
    uint64_t toSend = length - std::min(length, cutShortBy);
    if (b.stall == Stall::Body)
        toSend = length / 2;
    if (ok && !fromFile) {
        ok = WriteAll(ssl, body.data(), static_cast<size_t>(toSend));
    } else if (ok) {
        FILE* f = std::fopen(b.packageFile.c_str(), "rb");
        std::vector<char> chunk(1 << 16);
        while (ok && f && toSend > 0) {
            size_t n = std::fread(chunk.data(), 1, std::min<uint64_t>(chunk.size(), toSend), f);
            if (n == 0)
                break;
            ok = WriteAll(ssl, chunk.data(), n);
            toSend -= n;
        }
        if (f)
            std::fclose(f);
    }
    if (b.stall == Stall::Body) {
        WaitForStop();
        finish();
        return;
    }
    // An orderly end: close_notify, then FIN, then wait for the client to close so that no
    // reset can overtake the last bytes.
    if (ok) {
        SSL_shutdown(ssl);
        platform::ShutdownSend(socket);
        while (platform::ReceiveSome(socket, buffer, sizeof buffer) > 0) {
        }
    }
    finish();
}
