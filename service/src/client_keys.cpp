#include "quillo/service/client_keys.h"

#include <openssl/evp.h>

#include <fstream>

#include "quillo/base/bounded_read.h"
#include "quillo/base/digest.h"

namespace quillo::service {
namespace {

using KeyPointer = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;

// A key list names a handful of machines; anything far larger is not one.
constexpr std::size_t kMaxKeyListBytes = std::size_t{1} << 20;

}  // namespace

struct ClientKeys::Keys {
  std::vector<KeyPointer> keys;
};

ClientKeys::ClientKeys(const std::vector<PublicKeyBytes>& keys) : keys_(std::make_unique<Keys>()) {
  for (const PublicKeyBytes& bytes : keys) {
    KeyPointer key(EVP_PKEY_new_raw_public_key(EVP_PKEY_ED25519, nullptr, bytes.data(), bytes.size()),
                   EVP_PKEY_free);
    if (!key) throw KeyError("A client key is not an Ed25519 public key.");
    keys_->keys.push_back(std::move(key));
  }
}

ClientKeys::~ClientKeys() = default;
ClientKeys::ClientKeys(ClientKeys&&) noexcept = default;
ClientKeys& ClientKeys::operator=(ClientKeys&&) noexcept = default;

ClientKeys ClientKeys::read(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw KeyError("The key list '" + path.string() + "' cannot be read.");
  const std::optional<std::string> text = base::readAtMost(file, kMaxKeyListBytes);
  if (!text) throw KeyError("The key list '" + path.string() + "' is too large.");
  std::vector<PublicKeyBytes> keys;
  std::size_t lineNumber = 0;
  std::size_t position = 0;
  while (position < text->size()) {
    std::size_t end = text->find('\n', position);
    if (end == std::string::npos) end = text->size();
    std::string_view line(text->data() + position, end - position);
    position = end + 1;
    ++lineNumber;
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.empty() || line.starts_with('#')) continue;
    const auto bytes = base::bytesOfHex(line.substr(0, std::min<std::size_t>(line.size(), 64)));
    if (!bytes || (line.size() > 64 && line[64] != ' ')) {
      throw KeyError("Line " + std::to_string(lineNumber) + " of the key list '" + path.string() +
                     "' is not 64 hexadecimal characters with an optional label.");
    }
    PublicKeyBytes key{};
    std::copy(bytes->begin(), bytes->end(), key.begin());
    keys.push_back(key);
  }
  return ClientKeys(keys);
}

bool ClientKeys::verifies(std::string_view message, std::string_view signature) const {
  if (signature.size() != 64) return false;
  for (const KeyPointer& key : keys_->keys) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (context && EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) == 1 &&
        EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()),
                         signature.size(), reinterpret_cast<const unsigned char*>(message.data()),
                         message.size()) == 1)
      return true;
  }
  return false;
}

std::size_t ClientKeys::size() const {
  return keys_->keys.size();
}

PublicKeyBytes publicKeyOf(const std::array<std::uint8_t, 32>& privateKey) {
  KeyPointer key(
      EVP_PKEY_new_raw_private_key(EVP_PKEY_ED25519, nullptr, privateKey.data(), privateKey.size()),
      EVP_PKEY_free);
  PublicKeyBytes publicKey{};
  std::size_t length = publicKey.size();
  if (!key || EVP_PKEY_get_raw_public_key(key.get(), publicKey.data(), &length) != 1 ||
      length != publicKey.size())
    throw KeyError("The signing key is not an Ed25519 private key.");
  return publicKey;
}

std::string keyListLine(const PublicKeyBytes& key, std::string_view label) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string line;
  for (const std::uint8_t byte : key) {
    line += kDigits[byte >> 4];
    line += kDigits[byte & 15];
  }
  if (!label.empty()) line += " " + std::string(label);
  return line;
}

}  // namespace quillo::service
