#include "quillo/app/clipboard/file_copies.h"

#include "quillo/app/clipboard/pasteboard_types.h"

namespace quillo::app {
namespace {

platform::PasteboardItem::Representation text(std::string_view type, std::string_view value) {
  return {std::string(type), std::vector<std::uint8_t>(value.begin(), value.end())};
}

}  // namespace

std::vector<platform::PasteboardItem> fileCopy(const base::Url& file) {
  platform::PasteboardItem item{{text(PasteboardTypes::fileURL, file.text)}};
  if (const auto path = file.filePath()) item.representations.push_back(text(PasteboardTypes::string, *path));
  return {item};
}

std::vector<platform::PasteboardItem> pathCopy(const std::string& path) {
  return {platform::PasteboardItem{{text(PasteboardTypes::string, path)}}};
}

}  // namespace quillo::app
