#include "quillo/app/clipboard/clipboard_snapshot.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <span>
#include <vector>

#include "quillo/app/clipboard/pasteboard_types.h"
#include "quillo/clipboard/copied_text.h"
#include "rtf_text.h"

namespace quillo::app {
namespace {

namespace Types = PasteboardTypes;
using ItemTypes = std::vector<std::string>;
using Outcome = platform::PasteboardRead::Outcome;

// Small strings such as a source id or a page address; anything longer is not one.
constexpr std::size_t kMaximumNameBytes = 64 * 1024;

bool offers(const ItemTypes& types, std::string_view type) {
  return std::find(types.begin(), types.end(), type) != types.end();
}

template <std::size_t N>
bool offersAny(const ItemTypes& types, const std::array<std::string_view, N>& wanted) {
  return std::any_of(wanted.begin(), wanted.end(),
                     [&](std::string_view type) { return offers(types, type); });
}

template <class Predicate>
bool anyItem(const std::vector<ItemTypes>& items, Predicate predicate) {
  return std::any_of(items.begin(), items.end(), predicate);
}

std::optional<std::string> readString(platform::Pasteboard& board, std::size_t item, std::string_view type,
                                      std::size_t limit = kMaximumNameBytes) {
  const platform::PasteboardRead read = board.read(item, type, limit);
  if (read.outcome != Outcome::data) return std::nullopt;
  return std::string(read.bytes.begin(), read.bytes.end());
}

std::string extensionOf(const base::Url& url) {
  const std::string path = url.filePath().value_or(url.text);
  std::string extension = std::filesystem::path(path).extension().string();
  if (!extension.empty()) extension.erase(0, 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool isJPEGFile(const base::Url& url) {
  const std::string extension = extensionOf(url);
  return url.filePath() && (extension == "jpeg" || extension == "jpg");
}

// Every item's file URL; none unless each yields one.
std::optional<std::vector<base::Url>> fileURLs(platform::Pasteboard& board,
                                               const std::vector<ItemTypes>& items) {
  std::vector<base::Url> urls;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const auto text = items[i].empty() || !offers(items[i], Types::fileURL)
                          ? std::nullopt
                          : readString(board, i, Types::fileURL);
    if (!text) return std::nullopt;
    const base::Url url{clipboard::copiedText(*text)};
    if (!url.filePath()) return std::nullopt;
    urls.push_back(url);
  }
  return urls;
}

std::string dataText(const clipboard::Bytes& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

const clipboard::Bytes* dataOf(const clipboard::ClipboardPayload::Item& item, std::string_view type) {
  const auto found =
      std::find_if(item.begin(), item.end(), [&](const auto& each) { return each.type == type; });
  return found == item.end() ? nullptr : &found->data;
}

// The item's text: its plain string, else its URL, else the text of its RTF; trimmed.
std::string itemText(const clipboard::ClipboardPayload::Item& item) {
  if (const auto* string = dataOf(item, Types::string)) return clipboard::copiedText(dataText(*string));
  if (const auto* url = dataOf(item, Types::url)) return clipboard::copiedText(dataText(*url));
  if (const auto* rtf = dataOf(item, Types::rtf)) return clipboard::copiedText(rtfPlainText(dataText(*rtf)));
  return {};
}

void rememberConcealedText(platform::Pasteboard& board, const std::vector<ItemTypes>& items,
                           const SnapshotContext& context, ConcealedCopies& concealed) {
  if (items.empty() || !offers(items[0], Types::string)) return;
  const auto text = readString(board, 0, Types::string, kMaximumTextRepresentationBytes);
  if (!text) return;
  const std::string trimmed = clipboard::copiedText(*text);
  if (!trimmed.empty()) concealed.remember(trimmed, context.steadyNow);
}

bool declaresExcludedSource(platform::Pasteboard& board, const std::vector<ItemTypes>& items,
                            const core::ClipboardPreferences& preferences) {
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!offers(items[i], Types::declaredSource)) continue;
    const auto source = readString(board, i, Types::declaredSource);
    if (source && preferences.excludedApps.contains(clipboard::copiedText(*source))) return true;
  }
  return false;
}

struct Capture {
  clipboard::ClipboardPayload payload;
  std::vector<std::string> texts;
  bool hasImages = false;
};

// Reads the wanted representations of every item; none when an item yields none or a limit is
// passed.
std::optional<Capture> capture(platform::Pasteboard& board, const std::vector<ItemTypes>& items,
                               const core::ClipboardPreferences& preferences) {
  Capture capture;
  std::size_t imageBytes = 0;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const bool isImage = offersAny(items[i], Types::images);
    const std::span<const std::string_view> wanted =
        isImage ? (preferences.saveImages ? std::span<const std::string_view>(Types::images)
                                          : std::span<const std::string_view>())
                : (preferences.saveText ? std::span<const std::string_view>(Types::texts)
                                        : std::span<const std::string_view>());
    clipboard::ClipboardPayload::Item item;
    for (const std::string& type : items[i]) {
      if (std::find(wanted.begin(), wanted.end(), type) == wanted.end()) continue;
      const std::size_t limit =
          isImage ? kMaximumImageCopyBytes - imageBytes : kMaximumTextRepresentationBytes;
      platform::PasteboardRead read = board.read(i, type, limit);
      if (read.outcome == Outcome::overLimit) return std::nullopt;
      if (read.outcome == Outcome::absent) continue;
      if (isImage) imageBytes += read.bytes.size();
      item.push_back({type, std::move(read.bytes)});
    }
    if (item.empty()) return std::nullopt;
    if (isImage) {
      capture.hasImages = true;
    } else if (std::string text = itemText(item); !text.empty()) {
      if (!dataOf(item, Types::string))
        item.push_back({std::string(Types::string), {text.begin(), text.end()}});
      capture.texts.push_back(std::move(text));
    }
    capture.payload.items.push_back(std::move(item));
  }
  return capture;
}

std::string joined(const std::vector<std::string>& texts) {
  std::string text;
  for (const std::string& each : texts) {
    if (!text.empty()) text += '\n';
    text += each;
  }
  return text;
}

}  // namespace

std::optional<base::Url> webURL(std::string_view text) {
  std::string trimmed = clipboard::copiedText(text);
  if (clipboard::kindOfText(trimmed) != clipboard::ClipboardKind::link) return std::nullopt;
  return base::Url{std::move(trimmed)};
}

std::optional<clipboard::CapturedCopy> takeSnapshot(platform::Pasteboard& board,
                                                    const SnapshotContext& context,
                                                    const core::ClipboardPreferences& preferences,
                                                    ConcealedCopies& concealed) {
  const std::vector<ItemTypes> items = board.itemTypes();
  if (items.empty()) return std::nullopt;

  clipboard::CapturedCopy copy{
      .sourceAppID = context.appID, .sourceAppName = context.appName, .date = context.now};
  const bool remote =
      anyItem(items, [](const ItemTypes& types) { return offers(types, Types::remoteClipboard); });
  if (remote) {
    copy.sourceAppID = "com.apple.finder.Open-iCloudDrive";
    copy.sourceAppName = "iCloud";
  }
  if (!preferences.isEnabled || preferences.excludedApps.contains(copy.sourceAppID)) return std::nullopt;
  if (anyItem(items, [](const ItemTypes& types) {
        return offers(types, Types::concealed) || offersAny(types, Types::passwordManagerHints);
      })) {
    rememberConcealedText(board, items, context, concealed);
    return std::nullopt;
  }
  if (anyItem(items, [](const ItemTypes& types) { return offersAny(types, Types::ignored); }))
    return std::nullopt;
  if (declaresExcludedSource(board, items, preferences)) return std::nullopt;

  // A photo copied on another device arrives as JPEG files to read rather than image data.
  if (remote && !anyItem(items, [](const ItemTypes& types) { return offers(types, Types::string); }) &&
      !std::all_of(items.begin(), items.end(),
                   [](const ItemTypes& types) { return offersAny(types, Types::images); }) &&
      offers(items[0], Types::fileURL)) {
    const auto first = readString(board, 0, Types::fileURL);
    if (first && isJPEGFile(base::Url{clipboard::copiedText(*first)})) {
      const auto urls = fileURLs(board, items);
      if (preferences.saveImages && urls && std::all_of(urls->begin(), urls->end(), isJPEGFile)) {
        copy.kind = clipboard::ClipboardKind::image;
        for (const base::Url& url : *urls)
          copy.imageFiles.emplace_back(*url.filePath());
        return copy;
      }
    }
  }

  if (preferences.saveFiles && std::all_of(items.begin(), items.end(), [](const ItemTypes& types) {
        return offers(types, Types::fileURL);
      })) {
    if (const auto urls = fileURLs(board, items)) {
      copy.payload = clipboard::ClipboardPayload::files(*urls);
      std::vector<std::string> paths;
      for (const base::Url& url : *urls)
        paths.push_back(*url.filePath());
      copy.text = joined(paths);
      copy.kind = clipboard::ClipboardKind::file;
      return copy;
    }
  }

  std::optional<Capture> captured = capture(board, items, preferences);
  if (!captured) return std::nullopt;
  copy.payload = std::move(captured->payload);
  copy.text = joined(captured->texts);
  copy.kind = captured->hasImages ? clipboard::ClipboardKind::image : clipboard::kindOfText(copy.text);
  if (!captured->hasImages && !copy.text.empty() && concealed.contains(copy.text, context.steadyNow))
    return std::nullopt;

  if (offers(items[0], Types::chromiumSourceURL)) {
    if (const auto page = readString(board, 0, Types::chromiumSourceURL)) copy.sourceURL = webURL(*page);
  }
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (!offers(items[i], Types::webArchive)) continue;
    platform::PasteboardRead archive = board.read(i, Types::webArchive, kMaximumImageCopyBytes);
    if (archive.outcome == Outcome::data) copy.webArchive = std::move(archive.bytes);
    break;
  }
  return copy;
}

}  // namespace quillo::app
