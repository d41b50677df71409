#include "quillo/base/digest.h"

#include <openssl/evp.h>
#include <openssl/sha.h>

#include <array>
#include <charconv>

namespace quillo::base {

std::string sha256Hex(std::string_view bytes) {
  std::array<unsigned char, SHA256_DIGEST_LENGTH> digest{};
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest.data());
  constexpr std::string_view hex = "0123456789abcdef";
  std::string text;
  text.reserve(digest.size() * 2);
  for (const unsigned char byte : digest) {
    text += hex[byte >> 4];
    text += hex[byte & 0x0F];
  }
  return text;
}

std::string base64Encoded(std::string_view bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3), '\0');
  const int length =
      EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()),
                      reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
  text.resize(static_cast<std::size_t>(length));
  return text;
}

std::optional<std::vector<std::uint8_t>> bytesOfHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::vector<std::uint8_t> bytes(hex.size() / 2);
  for (std::size_t index = 0; index < bytes.size(); ++index) {
    const char* first = hex.data() + 2 * index;
    const auto [end, error] = std::from_chars(first, first + 2, bytes[index], 16);
    if (error != std::errc() || end != first + 2) return std::nullopt;
  }
  return bytes;
}

}  // namespace quillo::base
