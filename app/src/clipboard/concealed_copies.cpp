#include "quillo/app/clipboard/concealed_copies.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <openssl/rand.h>

#include <algorithm>
#include <stdexcept>

namespace quillo::app {

ConcealedCopies::ConcealedCopies(std::chrono::minutes lifetime) : lifetime_(lifetime) {
  if (RAND_bytes(key_.data(), static_cast<int>(key_.size())) != 1)
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
