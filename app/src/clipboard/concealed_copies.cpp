#include "quillo/app/clipboard/concealed_copies.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sys/random.h>

#include <algorithm>
#include <stdexcept>

namespace quillo::app {

ConcealedCopies::ConcealedCopies(std::chrono::minutes lifetime) : lifetime_(lifetime) {
  // The kernel's generator, which OpenSSL's seeds from: the key is made as recording starts, and
  // OpenSSL's would start its providers in a program that may never conceal a copy.
  if (::getrandom(key_.data(), key_.size(), 0) != static_cast<ssize_t>(key_.size()))
    throw std::runtime_error("No random key could be made for concealed copies.");
}

ConcealedCopies::Digest ConcealedCopies::digest(std::string_view text) const {
  Digest digest{};
  unsigned int length = 0;
  HMAC(EVP_sha256(), key_.data(), static_cast<int>(key_.size()),
       reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data(), &length);
  return digest;
}

void ConcealedCopies::forgetExpired(TimePoint now) {
  std::erase_if(remembered_, [&](const Remembered& each) { return each.until <= now; });
}

void ConcealedCopies::remember(std::string_view text, TimePoint now) {
  forgetExpired(now);
  remembered_.push_back({digest(text), now + lifetime_});
}

bool ConcealedCopies::contains(std::string_view text, TimePoint now) {
  forgetExpired(now);
  if (remembered_.empty()) return false;
  const Digest wanted = digest(text);
  return std::any_of(remembered_.begin(), remembered_.end(),
                     [&](const Remembered& each) { return each.digest == wanted; });
}

}  // namespace quillo::app
