#include "quillo/base/url.h"

#include <algorithm>

namespace quillo::base {
namespace {

constexpr std::string_view kFileScheme = "file://";

// What a path may hold as it is besides the unreserved characters: the sub-delimiters that
// paths commonly carry, and "/" between segments.
constexpr std::string_view kPlainInPaths = "/!$&'()*+,;=:@";

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string percentEncoded(std::string_view text, std::string_view alsoPlain) {
  constexpr std::string_view hex = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size() + 8);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' ||
                            byte == '~';
    if (unreserved || (byte != 0 && alsoPlain.find(c) != std::string_view::npos)) {
      encoded += c;
    } else {
      encoded += '%';
      encoded += hex[byte >> 4];
      encoded += hex[byte & 0x0F];
    }
  }
  return encoded;
}

Url Url::file(std::string_view path) {
  return Url{std::string(kFileScheme) + percentEncoded(path, kPlainInPaths)};
}

std::optional<std::string> Url::filePath() const {
  std::string_view rest(text);
  if (!rest.starts_with(kFileScheme)) return std::nullopt;
  // Spaces and control characters are never part of one URL: text holding them ("file:///a" and
  // "file:///b" on two lines) is something else.
  if (std::any_of(rest.begin(), rest.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte <= ' ' || byte == 0x7F;
      }))
    return std::nullopt;
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
