#include "url_parts.h"

#include <uriparser/Uri.h>

namespace quillo::clipboard {
namespace {

std::string_view range(const UriTextRangeA& range) {
  if (!range.first || !range.afterLast || range.afterLast < range.first) return {};
  return std::string_view(range.first, static_cast<std::size_t>(range.afterLast - range.first));
}

// Frees the parse result whatever happens after parsing.
struct ParsedUri {
  UriUriA uri{};
  ~ParsedUri() { uriFreeUriMembersA(&uri); }
};

}  // namespace

std::optional<UrlParts> urlParts(std::string_view text) {
  const std::string owned(text);
  ParsedUri parsed;
  const char* errorAt = nullptr;
  if (uriParseSingleUriExA(&parsed.uri, owned.data(), owned.data() + owned.size(), &errorAt) != URI_SUCCESS)
    return std::nullopt;
  const UriUriA& uri = parsed.uri;
  if (range(uri.scheme).empty()) return std::nullopt;

  UrlParts parts{.scheme = std::string(range(uri.scheme)), .host = std::string(range(uri.hostText))};
  if (uri.absolutePath || uri.hostText.first) {
    for (const UriPathSegmentA* segment = uri.pathHead; segment; segment = segment->next)
      parts.path += "/" + std::string(range(segment->text));
  } else {
    for (const UriPathSegmentA* segment = uri.pathHead; segment; segment = segment->next) {
      if (segment != uri.pathHead) parts.path += "/";
      parts.path += range(segment->text);
    }
  }
  if (uri.query.first) parts.query = std::string(range(uri.query));
  return parts;
}

std::string_view withoutWww(std::string_view host) {
  if (host.starts_with("www.")) host.remove_prefix(4);
  return host;
}

std::string pathExtension(std::string_view path) {
  while (path.ends_with('/'))
    path.remove_suffix(1);
  const auto slash = path.rfind('/');
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const auto dot = name.rfind('.');
  if (dot == std::string_view::npos || dot == 0) return {};
  return std::string(name.substr(dot + 1));
}

}  // namespace quillo::clipboard
