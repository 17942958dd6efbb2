#include "TestCertificates.h"

#include <openssl/bio.h>
#include <openssl/ec.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <cstdio>

namespace {

std::atomic<long> nextSerial{1};

bool AddExtension(X509* issuer, X509* subject, int nid, const std::string& value) {
    X509V3_CTX ctx;
    X509V3_set_ctx_nodb(&ctx);
    X509V3_set_ctx(&ctx, issuer, subject, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value.c_str());
    if (!ext)
        return false;
    bool ok = X509_add_ext(subject, ext, -1) == 1;
    X509_EXTENSION_free(ext);
    return ok;
}

// A certificate for `key` named `commonName`, not yet signed. Issued by `issuer` (null:
// self-issued).
X509Ptr NewCertificate(EVP_PKEY* key, const std::string& commonName, X509* issuer) {
    X509Ptr cert(X509_new());
    if (!cert)
        return nullptr;
    X509_set_version(cert.get(), 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert.get()), nextSerial++);
    X509_gmtime_adj(X509_getm_notBefore(cert.get()), -3600);
    X509_gmtime_adj(X509_getm_notAfter(cert.get()), 2 * 24 * 3600);
    X509_set_pubkey(cert.get(), key);
    X509_NAME* name = X509_get_subject_name(cert.get());
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>("Kelmora tests"), -1, -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName.c_str()), -1, -1,
                               0);
    X509_set_issuer_name(cert.get(), issuer ? X509_get_subject_name(issuer) : name);
    return cert;
}

} // namespace

TestCertificateAuthority::TestCertificateAuthority(const std::string& commonName) {
    PkeyPtr key(EVP_EC_gen("P-256"));
    if (!key)
        return;
    X509Ptr cert = NewCertificate(key.get(), commonName, nullptr);
    if (!cert)
        return;
    X509* self = cert.get();
    if (!AddExtension(self, self, NID_basic_constraints, "critical,CA:TRUE") ||
        !AddExtension(self, self, NID_key_usage, "critical,keyCertSign,cRLSign") ||
        !AddExtension(self, self, NID_subject_key_identifier, "hash") ||
        X509_sign(self, key.get(), EVP_sha256()) <= 0)
        return;
    identity_.certificate = std::move(cert);
    identity_.key = std::move(key);
}

std::string TestCertificateAuthority::CertificatePem() const {
    if (!Valid())
        return {};
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, identity_.certificate.get());
    char* data = nullptr;
    long size = BIO_get_mem_data(bio, &data);
    std::string pem(data, static_cast<size_t>(size));
    BIO_free(bio);
    return pem;
}

bool TestCertificateAuthority::WritePem(const std::filesystem::path& file) const {
    std::string pem = CertificatePem();
    if (pem.empty())
        return false;
    FILE* f = std::fopen(file.string().c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(pem.data(), 1, pem.size(), f) == pem.size();
    return std::fclose(f) == 0 && ok;
}

TlsIdentity
TestCertificateAuthority::IssueServer(const std::vector<std::string>& dnsNames,
                                      const std::vector<std::string>& ipAddresses) const {
    TlsIdentity server;
    if (!Valid())
        return server;
    PkeyPtr key(EVP_EC_gen("P-256"));
    if (!key)
        return server;
    std::string commonName = !dnsNames.empty()      ? dnsNames.front()
                             : !ipAddresses.empty() ? ipAddresses.front()
                                                    : "server";
    X509* issuer = identity_.certificate.get();
    X509Ptr cert = NewCertificate(key.get(), commonName, issuer);
    if (!cert)
        return server;
    std::string altNames;
    for (const auto& dns : dnsNames)
        altNames += (altNames.empty() ? "DNS:" : ",DNS:") + dns;
    for (const auto& ip : ipAddresses)
        altNames += (altNames.empty() ? "IP:" : ",IP:") + ip;
    if ((!altNames.empty() && !AddExtension(issuer, cert.get(), NID_subject_alt_name, altNames)) ||
        !AddExtension(issuer, cert.get(), NID_basic_constraints, "critical,CA:FALSE") ||
        !AddExtension(issuer, cert.get(), NID_ext_key_usage, "serverAuth") ||
        !AddExtension(issuer, cert.get(), NID_authority_key_identifier, "keyid:always") ||
        X509_sign(cert.get(), identity_.key.get(), EVP_sha256()) <= 0)
        return server;
    server.certificate = std::move(cert);
    server.key = std::move(key);
    return server;
}
