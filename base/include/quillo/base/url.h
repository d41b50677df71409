#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace quillo::base {

// An absolute URL kept as its text: a file URL, a web address or a platform address
// such as a settings pane's. Compared and hashed by its text.
struct Url {
  std::string text;

  // The file URL of an absolute path, every byte outside the URL's path characters percent-encoded.
  static Url file(std::string_view path);

  // The decoded path when this is one file URL: none for other URLs and for text holding spaces
  // or control characters, which no URL does.
  std::optional<std::string> filePath() const;

  bool operator==(const Url&) const = default;
};

// Every byte of `text` outside the unreserved characters (ASCII letters, digits and "-._~") and
// `alsoPlain` as "%" and two upper-case hexadecimal digits.
std::string percentEncoded(std::string_view text, std::string_view alsoPlain = {});

}  // namespace quillo::base

template <>
struct std::hash<quillo::base::Url> {
  std::size_t operator()(const quillo::base::Url& url) const noexcept {
    return std::hash<std::string>{}(url.text);
  }
};
