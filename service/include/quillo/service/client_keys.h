#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillo::service {

// A key list or key file that cannot be read or used; what() names the file and the fault.
class KeyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

using PublicKeyBytes = std::array<std::uint8_t, 32>;

// The public halves of the Ed25519 keys whose signatures the service accepts. Immutable once
// made; safe to share between threads.
class ClientKeys {
 public:
  explicit ClientKeys(const std::vector<PublicKeyBytes>& keys);
  ~ClientKeys();
  ClientKeys(ClientKeys&&) noexcept;
  ClientKeys& operator=(ClientKeys&&) noexcept;

  // A key list file: one key a line as 64 hexadecimal characters, optionally followed by a
  // space and a label; blank lines and lines starting with "#" are skipped. Throws KeyError.
  static ClientKeys read(const std::filesystem::path& path);

  // Whether one of the keys signed `message` with `signature` (64 bytes).
  bool verifies(std::string_view message, std::string_view signature) const;
  std::size_t size() const;

 private:
  struct Keys;
  std::unique_ptr<Keys> keys_;
};

// The public half of a raw 32-byte Ed25519 private key. Throws KeyError when it is not one.
PublicKeyBytes publicKeyOf(const std::array<std::uint8_t, 32>& privateKey);

// The key as the key list writes it: 64 lower-case hexadecimal characters.
std::string keyListLine(const PublicKeyBytes& key, std::string_view label);

}  // namespace quillo::service
