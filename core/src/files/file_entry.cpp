#include "quillo/core/files/file_entry.h"

#include <nlohmann/json.hpp>

#include "quillo/base/enum_names.h"
#include "quillo/core/json/decoding_error.h"

namespace quillo::core {
namespace {

constexpr base::EnumNames<FileEntry::Kind, 2> kKinds({{
    {FileEntry::Kind::file, "file"},
    {FileEntry::Kind::folder, "folder"},
}});

}  // namespace

std::string_view rawValue(FileEntry::Kind kind) {
  return kKinds.name(kind);
}

std::optional<FileEntry::Kind> fileEntryKindFromRaw(std::string_view raw) {
  return kKinds.value(raw);
}

void to_json(nlohmann::json& json, const FileEntry::Kind& kind) {
  json = rawValue(kind);
}

void from_json(const nlohmann::json& json, FileEntry::Kind& kind) {
  const auto* text = json.get_ptr<const nlohmann::json::string_t*>();
  const auto parsed = text ? fileEntryKindFromRaw(*text) : std::nullopt;
  if (!parsed) throw DecodingError("Expected \"file\" or \"folder\" as a file kind, not " + json.dump());
  kind = *parsed;
}

}  // namespace quillo::core
