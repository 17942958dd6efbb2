#pragma once
// Certificates made on the spot for the local update service: a self-signed certificate authority
// and server certificates it issues, all in memory. Nothing is read from or written to a
// certificate store; WritePem puts the authority's certificate where a client's CA bundle
// setting can point.
#include <filesystem>
#include <memory>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <string>
#include <vector>

struct X509Deleter {
    void operator()(X509* x) const { X509_free(x); }
};
struct PkeyDeleter {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
using X509Ptr = std::unique_ptr<X509, X509Deleter>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyDeleter>;

// A certificate and its private key.
struct TlsIdentity {
    X509Ptr certificate;
    PkeyPtr key;
    explicit operator bool() const { return certificate && key; }
};

class TestCertificateAuthority {
public:
    // A new authority with a fresh P-256 key, valid from an hour ago for two days.
    explicit TestCertificateAuthority(const std::string& commonName = "Kelmora Test CA");

    bool Valid() const { return static_cast<bool>(identity_); }
    std::string CertificatePem() const;
    bool WritePem(const std::filesystem::path& file) const;

    // A server certificate for these names (subject alternative names: DNS names, and IP
    // addresses in dotted form), signed by this authority.
    TlsIdentity IssueServer(const std::vector<std::string>& dnsNames,
                            const std::vector<std::string>& ipAddresses) const;

private:
    TlsIdentity identity_;
};
