#include "quillo/service/tls_identity.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rand.h>
#include <openssl/x509v3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace quillo::service {
namespace {

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using CertificatePointer = std::unique_ptr<X509, decltype(&X509_free)>;
using BioPointer = std::unique_ptr<BIO, decltype(&BIO_free)>;

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("Could not make the service's certificate: ") + what);
}

void addExtension(X509* certificate, int nid, const char* value) {
  X509V3_CTX context;
  X509V3_set_ctx_nodb(&context);
  X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
  X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
  check(extension != nullptr, "certificate extension");
  X509_add_ext(certificate, extension, -1);
  X509_EXTENSION_free(extension);
}

std::string bioText(BIO* bio) {
  char* data = nullptr;
  const long length = BIO_get_mem_data(bio, &data);
  return std::string(data, static_cast<std::size_t>(length));
}

void writeFileAtomically(const std::filesystem::path& path, const std::string& text, mode_t mode) {
  const std::filesystem::path temporary = path.string() + ".new";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (fd < 0)
    throw std::runtime_error("Could not write '" + temporary.string() + "': " + std::strerror(errno));
  std::size_t done = 0;
  bool ok = ::fchmod(fd, mode) == 0;
  while (ok && done < text.size()) {
    const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) done += static_cast<std::size_t>(written);
  }
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  if (!ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    throw std::runtime_error("Could not write '" + path.string() + "': " + std::strerror(errno));
  }
}

}  // namespace

TlsIdentity makeSelfSignedIdentity(std::chrono::hours validity) {
  KeyPointer key(EVP_PKEY_Q_keygen(nullptr, nullptr, "EC", "P-256"), EVP_PKEY_free);
  check(key != nullptr, "TLS key");
  CertificatePointer certificate(X509_new(), X509_free);
  check(certificate != nullptr, "certificate");
  X509_set_version(certificate.get(), 2);
  std::uint64_t serial = 0;
  RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial);
  ASN1_INTEGER_set_uint64(X509_get_serialNumber(certificate.get()), serial >> 1);
  X509_gmtime_adj(X509_getm_notBefore(certificate.get()), -3600);
  X509_gmtime_adj(X509_getm_notAfter(certificate.get()), static_cast<long>(validity.count()) * 3600);
  X509_set_pubkey(certificate.get(), key.get());
  X509_NAME* name = X509_get_subject_name(certificate.get());
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("127.0.0.1"),
                             -1, -1, 0);
  X509_set_issuer_name(certificate.get(), name);
  addExtension(certificate.get(), NID_basic_constraints, "critical,CA:TRUE");
  addExtension(certificate.get(), NID_key_usage, "critical,digitalSignature,keyCertSign");
  addExtension(certificate.get(), NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
  check(X509_sign(certificate.get(), key.get(), EVP_sha256()) > 0, "certificate signature");

  BioPointer certificateBio(BIO_new(BIO_s_mem()), BIO_free);
  BioPointer keyBio(BIO_new(BIO_s_mem()), BIO_free);
  check(certificateBio && PEM_write_bio_X509(certificateBio.get(), certificate.get()) == 1,
        "certificate PEM");
  check(
      keyBio && PEM_write_bio_PrivateKey(keyBio.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) == 1,
      "key PEM");
  return {.certificatePem = bioText(certificateBio.get()), .privateKeyPem = bioText(keyBio.get())};
}

void writeIdentity(const TlsIdentity& identity, const std::filesystem::path& certificateFile,
                   const std::filesystem::path& privateKeyFile) {
  writeFileAtomically(privateKeyFile, identity.privateKeyPem, 0600);
  writeFileAtomically(certificateFile, identity.certificatePem, 0644);
}

bool certificateValidFor(const std::filesystem::path& certificateFile, std::chrono::hours margin) {
  BioPointer file(BIO_new_file(certificateFile.c_str(), "r"), BIO_free);
  if (!file) return false;
  CertificatePointer certificate(PEM_read_bio_X509(file.get(), nullptr, nullptr, nullptr), X509_free);
  if (!certificate) return false;
  time_t when = time(nullptr) + static_cast<time_t>(margin.count()) * 3600;
  return X509_cmp_time(X509_get0_notAfter(certificate.get()), &when) > 0;
}

}  // namespace quillo::service
