#pragma once

#include <chrono>
#include <filesystem>
#include <string>

namespace quillo::service {

// A TLS key and the self-signed certificate that names 127.0.0.1 and localhost, both as PEM.
// A client trusts exactly this certificate (it is its own authority), so no other site can
// stand in for the service.
struct TlsIdentity {
  std::string certificatePem;
  std::string privateKeyPem;
};

// A fresh P-256 key and a certificate valid from an hour ago for `validity`. Throws
// std::runtime_error when OpenSSL fails.
TlsIdentity makeSelfSignedIdentity(std::chrono::hours validity);

// Writes the certificate (mode 0644) and the key (mode 0600, never readable by others even for
// a moment) to the two files, replacing each atomically. Throws std::runtime_error.
void writeIdentity(const TlsIdentity& identity, const std::filesystem::path& certificateFile,
                   const std::filesystem::path& privateKeyFile);

// Whether the PEM file holds a certificate that is still valid for at least `margin`.
bool certificateValidFor(const std::filesystem::path& certificateFile, std::chrono::hours margin);

}  // namespace quillo::service
