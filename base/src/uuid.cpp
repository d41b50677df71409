#include "quillo/base/uuid.h"

#include <fmt/format.h>
#include <sys/random.h>

#include <charconv>
#include <stdexcept>

namespace quillo::base {
namespace {

constexpr bool isDashPosition(std::size_t index) {
  return index == 8 || index == 13 || index == 18 || index == 23;
}

}  // namespace

std::string Uuid::text() const {
  return fmt::format(
      "{:02X}{:02X}{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}-{:02X}{:02X}{:02X}{:02X}{:02X}{:02X}",
      bytes[0], bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9],
      bytes[10], bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
}

Uuid Uuid::random() {
  // The kernel's generator, which OpenSSL's seeds from: ids are made from the program's start,
  // and OpenSSL's random generator would start its providers for them.
  Uuid uuid;
  if (::getrandom(uuid.bytes.data(), uuid.bytes.size(), 0) != static_cast<ssize_t>(uuid.bytes.size())) {
    throw std::runtime_error("The system's random source failed.");
  }
  uuid.bytes[6] = static_cast<std::uint8_t>((uuid.bytes[6] & 0x0F) | 0x40);  // version 4
  uuid.bytes[8] = static_cast<std::uint8_t>((uuid.bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  return uuid;
}

std::optional<Uuid> Uuid::parse(std::string_view text) {
  if (text.size() != 36) return std::nullopt;
  Uuid uuid;
  std::size_t byte = 0;
  for (std::size_t index = 0; index < text.size();) {
    if (isDashPosition(index)) {
      if (text[index] != '-') return std::nullopt;
      ++index;
      continue;
    }
    const auto [end, error] =
        std::from_chars(text.data() + index, text.data() + index + 2, uuid.bytes[byte], 16);
    if (error != std::errc() || end != text.data() + index + 2) return std::nullopt;
    ++byte;
    index += 2;
  }
  return uuid;
}

}  // namespace quillo::base
