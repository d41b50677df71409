#include "clip_content.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>

#include "quillo/base/bounded_read.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_text_cleaner.h"
#include "quillo/clipboard/clipboard_text_recognition.h"
#include "quillo/clipboard/copied_text.h"

namespace quillo::cli {
namespace {

using clipboard::ClipboardComposition;
using clipboard::ClipboardError;
using clipboard::ClipboardKind;

// No image worth reading is larger; reading stops just past it, so /dev/zero ends.
constexpr std::size_t kMaxImageFileBytes = std::size_t{64} << 20;

clipboard::Bytes readImage(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path);
  const std::optional<std::string> bytes = base::readAtMost(file, kMaxImageFileBytes);
  if (file.bad()) throw std::runtime_error("cannot read " + path);
  if (!bytes) throw std::runtime_error("cannot read " + path + ": it is larger than 64 MB");
  return clipboard::Bytes(bytes->begin(), bytes->end());
}

void printLine(std::FILE* output, std::string_view text) {
  fmt::print(output, "{}", text);
  if (!text.empty() && !text.ends_with('\n')) fmt::print(output, "\n");
}

}  // namespace

clipboard::ClipboardTagger taggerFor(const platform::System& system) {
  return clipboard::ClipboardTagger(
      {.phoneRegion = clipboard::phoneRegionForLocale(system.localeIdentifier())});
}

void printCleaned(const clipboard::ClipboardStore& store, const base::Uuid& id, std::FILE* output) {
  const auto entry = store.entry(id);
  if (!entry) throw ClipboardError(ClipboardError::Code::missingItem);
  const auto text = store.payload(id).plainText();
  if (!text || entry->kind == ClipboardKind::image || entry->kind == ClipboardKind::file)
    throw ClipboardError(ClipboardError::Code::invalidContent);
  printLine(output, clipboard::ClipboardTextCleaner::clean(*text));
}

void printRecognised(std::span<const std::string> files, const platform::System& system, std::FILE* output) {
  std::vector<clipboard::Bytes> images;
  images.reserve(files.size());
  for (const auto& file : files)
    images.push_back(readImage(file));
  printLine(output,
            clipboard::ClipboardTextRecognition::text(
                images, {}, clipboard::ClipboardTextRecognition::languagesFor(system.localeIdentifier())));
}

void storeRecognised(clipboard::ClipboardStore& store, const base::Uuid& id,
                     const clipboard::ClipboardLimits& limits, const platform::System& system,
                     std::FILE* output) {
  const auto entry = store.entry(id);
  if (!entry) throw ClipboardError(ClipboardError::Code::missingItem);
  if (entry->kind != ClipboardKind::image) throw ClipboardError(ClipboardError::Code::invalidContent);
  // Each item's first image, as the history window shows them.
  std::vector<clipboard::Bytes> images;
  const clipboard::ClipboardPayload payload = store.payload(id);
  for (const auto& item : payload.items) {
    const auto image = std::find_if(item.begin(), item.end(), [](const auto& representation) {
      return clipboard::isImageType(representation.type);
    });
    if (image != item.end()) images.push_back(image->data);
  }
  const std::string text = clipboard::ClipboardTextRecognition::text(
      images, {}, clipboard::ClipboardTextRecognition::languagesFor(system.localeIdentifier()));
  store.setImageText(id, text, limits);
  if (output) printLine(output, text);
}

void printJoined(const clipboard::ClipboardStore& store, std::span<const base::Uuid> ids,
                 std::string_view separator, ClipboardComposition::TextStyle style, std::FILE* output,
                 std::FILE* errors) {
  std::vector<ClipboardComposition::Item> items;
  std::vector<ClipboardKind> kinds;
  for (const auto& id : ids) {
    const auto entry = store.entry(id);
    if (!entry) throw ClipboardError(ClipboardError::Code::missingItem);
    items.push_back({.kind = entry->kind, .payload = store.payload(id)});
    kinds.push_back(entry->kind);
  }
  if (ClipboardComposition::leavesOutImages(kinds)) {
    std::erase_if(items, [](const auto& item) { return item.kind == ClipboardKind::image; });
    fmt::print(errors, "Images are left out.\n");
  }
  const auto combined = ClipboardComposition::combine(items, separator, style);
  if (const auto text = combined.plainText()) {
    printLine(output, *text);
  } else if (const auto urls = combined.fileURLs()) {
    // Files joined as they are: their paths, one a line.
    for (const auto& url : *urls)
      printLine(output, url.filePath().value_or(url.text));
  } else {
    // Images joined as they are have no text to print.
    throw ClipboardError(ClipboardError::Code::invalidContent);
  }
}

}  // namespace quillo::cli
