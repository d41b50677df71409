#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/base/hashing.h"

namespace quillo::clipboard {

// One classification of an entry: its category, where it came from, what a link points to.
struct ClipboardTag {
  enum class Key : std::uint8_t { category, app, bundle, source, site, linkSite, fileExtension };

  Key key = Key::category;
  std::string value{};

  // "category:token".
  std::string description() const;

  bool operator==(const ClipboardTag&) const = default;
  friend void hashInto(base::Hasher& h, const ClipboardTag& t) { h.addAll(static_cast<int>(t.key), t.value); }
};

std::string_view rawValue(ClipboardTag::Key key);
std::optional<ClipboardTag::Key> tagKeyFromRaw(std::string_view raw);

// A tag list as stored: a JSON array of {"key": ..., "value": ...} objects.
std::string tagsJson(const std::vector<ClipboardTag>& tags);
// None when the text is not such an array (or names an unknown key).
std::optional<std::vector<ClipboardTag>> tagsFromJson(std::string_view json);

}  // namespace quillo::clipboard

template <>
struct std::hash<quillo::clipboard::ClipboardTag> {
  std::size_t operator()(const quillo::clipboard::ClipboardTag& tag) const noexcept {
    return quillo::base::hashOf(tag);
  }
};
