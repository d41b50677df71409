#include "fingerprint.h"

#include <fmt/format.h>
#include <openssl/evp.h>

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace quillo::clipboard {
namespace {

struct DigestContextDeleter {
  void operator()(EVP_MD_CTX* context) const noexcept { EVP_MD_CTX_free(context); }
};

class Sha256 {
 public:
  Sha256() : context_(EVP_MD_CTX_new()) {
    if (!context_ || EVP_DigestInit_ex(context_.get(), EVP_sha256(), nullptr) != 1) {
      throw std::runtime_error("SHA-256 is unavailable");
    }
  }

  void add(const void* bytes, std::size_t length) {
    if (length > 0) EVP_DigestUpdate(context_.get(), bytes, length);
  }
  void add(std::string_view text) { add(text.data(), text.size()); }

  std::string hex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(context_.get(), digest, &length);
    std::string text;
    text.reserve(length * 2);
    for (unsigned int index = 0; index < length; ++index)
      text += fmt::format("{:02x}", digest[index]);
    return text;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, DigestContextDeleter> context_;
};

}  // namespace

std::string fingerprint(const ClipboardPayload& payload) {
  Sha256 sha;
  for (const ClipboardPayload::Item& item : payload.items) {
    sha.add(fmt::format("item:{}:", item.size()));
    std::vector<const ClipboardPayload::Representation*> sorted;
    sorted.reserve(item.size());
    for (const auto& representation : item)
      sorted.push_back(&representation);
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto* a, const auto* b) { return a->type < b->type; });
    for (const auto* representation : sorted) {
      sha.add(fmt::format("{}:{}:{}:", representation->type.size(), representation->type,
                          representation->data.size()));
      sha.add(representation->data.data(), representation->data.size());
    }
  }
  return sha.hex();
}

}  // namespace quillo::clipboard
