#pragma once

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <memory>

namespace quillo::testing {

using CertificatePointer = std::unique_ptr<X509, decltype(&X509_free)>;

// A self-signed certificate for 127.0.0.1 and localhost, valid for a day: the local HTTPS
// servers of the tests present it, and their clients trust it by its PEM file.
CertificatePointer selfSignedCertificate(EVP_PKEY* key);

}  // namespace quillo::testing
