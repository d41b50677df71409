#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Digests and encodings of bytes, over OpenSSL. Pure functions, safe from any thread.
namespace quillo::base {

// The lower-case hexadecimal SHA-256 of the bytes: 64 characters.
std::string sha256Hex(std::string_view bytes);

// Standard Base64 with padding.
std::string base64Encoded(std::string_view bytes);

// The bytes of exactly `2 * n` hexadecimal digits of either case, or none.
std::optional<std::vector<std::uint8_t>> bytesOfHex(std::string_view hex);

}  // namespace quillo::base
