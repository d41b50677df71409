#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillo::clipboard {

// The parts of an absolute URL the tagger reads, as written (percent-encoding kept).
struct UrlParts {
  std::string scheme{};
  // Empty when the URL has no authority ("mailto:", "file:///").
  std::string host{};
  // "/a/b.txt"; empty for "https://example.org".
  std::string path{};
  std::optional<std::string> query{};

  bool operator==(const UrlParts&) const = default;
};

// None unless the text is a URL with a scheme (RFC 3986, through uriparser).
std::optional<UrlParts> urlParts(std::string_view text);

// The host without a leading "www.".
std::string_view withoutWww(std::string_view host);

// The extension of the last path component: what follows its last dot, none for a name that
// only starts with a dot (".profile").
std::string pathExtension(std::string_view path);

}  // namespace quillo::clipboard
