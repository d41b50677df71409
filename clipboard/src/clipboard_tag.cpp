#include "quillo/clipboard/clipboard_tag.h"

#include <nlohmann/json.hpp>

#include "quillo/base/enum_names.h"

namespace quillo::clipboard {
namespace {

constexpr base::EnumNames<ClipboardTag::Key, 7> kKeyNames{{{
    {ClipboardTag::Key::category, "category"},
    {ClipboardTag::Key::app, "app"},
    {ClipboardTag::Key::bundle, "bundle"},
    {ClipboardTag::Key::source, "source"},
    {ClipboardTag::Key::site, "site"},
    {ClipboardTag::Key::linkSite, "link-site"},
    {ClipboardTag::Key::fileExtension, "extension"},
}}};

}  // namespace

std::string ClipboardTag::description() const {
  return std::string(rawValue(key)) + ":" + value;
}

std::string_view rawValue(ClipboardTag::Key key) {
  return kKeyNames.name(key);
}

std::optional<ClipboardTag::Key> tagKeyFromRaw(std::string_view raw) {
  return kKeyNames.value(raw);
}

std::string tagsJson(const std::vector<ClipboardTag>& tags) {
  nlohmann::ordered_json array = nlohmann::ordered_json::array();
  for (const ClipboardTag& tag : tags) {
    array.push_back({{"key", rawValue(tag.key)}, {"value", tag.value}});
  }
  // Tag values come from copied pages and file names; invalid UTF-8 must not make saving fail.
  return array.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<std::vector<ClipboardTag>> tagsFromJson(std::string_view json) {
  const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
  if (!parsed.is_array()) return std::nullopt;
  std::vector<ClipboardTag> tags;
  tags.reserve(parsed.size());
  for (const nlohmann::json& object : parsed) {
    if (!object.is_object()) return std::nullopt;
    const auto key = object.find("key");
    const auto value = object.find("value");
    if (key == object.end() || value == object.end() || !key->is_string() || !value->is_string()) {
      return std::nullopt;
    }
    const auto parsedKey = tagKeyFromRaw(key->get_ref<const std::string&>());
    if (!parsedKey) return std::nullopt;
    tags.push_back({*parsedKey, value->get<std::string>()});
  }
  return tags;
}

}  // namespace quillo::clipboard
