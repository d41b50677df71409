#include "quillo/base/url.h"

#include <array>

namespace quillo::base {
namespace {

constexpr std::string_view kFileScheme = "file://";

// Bytes a path segment may hold as they are (RFC 3986 unreserved characters, the sub-delimiters
// that paths commonly carry, and "/" between segments); every other byte is percent-encoded.
constexpr std::array<bool, 256> plainPathBytes() {
  std::array<bool, 256> plain{};
  for (int c = 'a'; c <= 'z'; ++c)
    plain[c] = true;
  for (int c = 'A'; c <= 'Z'; ++c)
    plain[c] = true;
  for (int c = '0'; c <= '9'; ++c)
    plain[c] = true;
  for (unsigned char c : std::string_view("-._~/!$&'()*+,;=:@"))
    plain[c] = true;
  return plain;
}
constexpr std::array<bool, 256> kPlainPathBytes = plainPathBytes();

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

Url Url::file(std::string_view path) {
  constexpr std::string_view hex = "0123456789ABCDEF";
  std::string text(kFileScheme);
  text.reserve(kFileScheme.size() + path.size() + 8);
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if (kPlainPathBytes[byte]) {
      text += c;
    } else {
      text += '%';
      text += hex[byte >> 4];
      text += hex[byte & 0x0F];
    }
  }
  return Url{std::move(text)};
}

std::optional<std::string> Url::filePath() const {
  std::string_view rest(text);
  if (!rest.starts_with(kFileScheme)) return std::nullopt;
  rest.remove_prefix(kFileScheme.size());
  // "file://localhost/path" names the same file as "file:///path".
  if (rest.starts_with("localhost/")) rest.remove_prefix(std::string_view("localhost").size());
  if (!rest.starts_with('/')) return std::nullopt;
  rest = rest.substr(0, rest.find_first_of("?#"));
  std::string path;
  path.reserve(rest.size());
  for (std::size_t index = 0; index < rest.size(); ++index) {
    if (rest[index] != '%') {
      path += rest[index];
      continue;
    }
    if (index + 2 >= rest.size()) return std::nullopt;
    const int high = hexValue(rest[index + 1]);
    const int low = hexValue(rest[index + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    index += 2;
  }
  return path;
}

}  // namespace quillo::base
