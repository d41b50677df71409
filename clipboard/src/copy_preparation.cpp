#include "quillo/clipboard/copy_preparation.h"

#include <plist/plist.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>

#include "quillo/base/bounded_read.h"
#include "quillo/base/uuid.h"
#include "quillo/clipboard/clipboard_error.h"
#include "quillo/clipboard/clipboard_image.h"
#include "quillo/clipboard/copied_text.h"
#include "quillo/clipboard/file_types.h"

namespace quillo::clipboard {
namespace {

constexpr std::string_view kJPEGType = "public.jpeg";

const ClipboardPayload::Representation* firstImage(const ClipboardPayload::Item& item) {
  const auto found = std::find_if(item.begin(), item.end(), [](const ClipboardPayload::Representation& r) {
    return isImageType(r.type);
  });
  return found == item.end() ? nullptr : &*found;
}

ClipboardPayload imageFilesPayload(const std::vector<std::filesystem::path>& files) {
  ClipboardPayload payload;
  std::size_t room = kMaximumImageFileBytes;
  for (const std::filesystem::path& file : files) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) throw ClipboardError(ClipboardError::Code::unavailableFile);
    // Stop past the room left, so that a file larger than it (or endless) is refused without
    // being read whole.
    const std::optional<std::string> read = base::readAtMost(stream, room);
    if (!read) throw ClipboardError(ClipboardError::Code::invalidContent);
    room -= read->size();
    payload.items.push_back({{std::string(kJPEGType), Bytes(read->begin(), read->end())}});
  }
  return payload;
}

// The last component of a file URL's path; a folder's URL ends in "/" and names the folder.
std::string lastComponent(const base::Url& url) {
  std::string path = url.filePath().value_or(url.text);
  while (path.size() > 1 && path.back() == '/')
    path.pop_back();
  const std::string name = std::filesystem::path(path).filename().string();
  return name.empty() ? path : name;
}

std::string imageTitle(const ClipboardPayload& payload, const ClipboardPayload::Representation* first) {
  std::string title = payload.items.size() == 1 ? "Image" : std::to_string(payload.items.size()) + " images";
  if (first) {
    if (const auto size = imagePixelSize(first->data))
      title += " · " + std::to_string(size->width) + " × " + std::to_string(size->height);
  }
  return title;
}

bool isImageFile(const base::Url& url) {
  const std::string name = lastComponent(url);
  const auto dot = name.rfind('.');
  if (dot == std::string::npos || dot + 1 == name.size()) return false;
  const auto type = FileTypes::system().typeForExtension(std::string_view(name).substr(dot + 1));
  return type && FileTypes::system().conformsTo(*type, FileTypeFamily::image);
}

bool isWebAddress(std::string_view text) {
  const auto starts = [&](std::string_view scheme) {
    return text.size() > scheme.size() &&
           std::equal(scheme.begin(), scheme.end(), text.begin(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
  };
  return starts("http://") || starts("https://");
}

struct FreePlist {
  void operator()(plist_t node) const noexcept { plist_free(node); }
};

// The page a web archive was saved from: its main resource's URL, when that is a web address.
std::optional<base::Url> archivedPage(const Bytes& archive) {
  if (archive.empty() || archive.size() > std::numeric_limits<uint32_t>::max()) return std::nullopt;
  plist_t root = nullptr;
  plist_from_memory(reinterpret_cast<const char*>(archive.data()), static_cast<uint32_t>(archive.size()),
                    &root);
  const std::unique_ptr<void, FreePlist> owned(root);
  if (!root || plist_get_node_type(root) != PLIST_DICT) return std::nullopt;
  plist_t resource = plist_dict_get_item(root, "WebMainResource");
  if (!resource || plist_get_node_type(resource) != PLIST_DICT) return std::nullopt;
  plist_t url = plist_dict_get_item(resource, "WebResourceURL");
  if (!url || plist_get_node_type(url) != PLIST_STRING) return std::nullopt;
  const char* text = plist_get_string_ptr(url, nullptr);
  if (!text || !isWebAddress(text)) return std::nullopt;
  return base::Url{text};
}

}  // namespace

CapturedCopy capturedPayload(ClipboardPayload payload, std::string sourceAppName, std::string sourceAppID,
                             std::optional<base::Url> sourceURL, base::Date date) {
  CapturedCopy copy{.payload = std::move(payload),
                    .sourceAppID = std::move(sourceAppID),
                    .sourceAppName = std::move(sourceAppName),
                    .sourceURL = std::move(sourceURL),
                    .date = date};
  const auto& items = copy.payload.items;
  if (!items.empty() &&
      std::any_of(items.begin(), items.end(), [](const auto& item) { return firstImage(item); })) {
    copy.kind = ClipboardKind::image;
  } else if (const auto urls = copy.payload.fileURLs()) {
    copy.kind = ClipboardKind::file;
    for (const base::Url& url : *urls) {
      if (!copy.text.empty()) copy.text += '\n';
      copy.text += url.filePath().value_or(url.text);
    }
  } else if (const auto text = copy.payload.plainText()) {
    copy.text = copiedText(*text);
    copy.kind = kindOfText(copy.text);
  } else {
    throw ClipboardError(ClipboardError::Code::invalidContent);
  }
  return copy;
}

PreparedCopy prepareCopy(const CapturedCopy& copy, const ClipboardTagger& tagger) {
  PreparedCopy prepared;
  prepared.payload = copy.imageFiles.empty() ? copy.payload : imageFilesPayload(copy.imageFiles);
  const ClipboardPayload& payload = prepared.payload;

  std::string title = titleOf(copy.text);
  if (copy.kind == ClipboardKind::image) {
    const ClipboardPayload::Representation* first =
        payload.items.empty() ? nullptr : firstImage(payload.items[0]);
    title = imageTitle(payload, first);
    if (first) prepared.thumbnail = pngThumbnail(first->data);
  }
  const auto fileURLs = payload.fileURLs().value_or(std::vector<base::Url>{});
  if (copy.kind == ClipboardKind::file && !fileURLs.empty()) {
    title = fileURLs.size() == 1 ? lastComponent(fileURLs[0])
                                 : std::to_string(fileURLs.size()) + " files · " + lastComponent(fileURLs[0]);
    if (fileURLs.size() == 1 && isImageFile(fileURLs[0]))
      prepared.thumbnail = pngThumbnail(std::filesystem::path(*fileURLs[0].filePath()));
  }

  std::optional<base::Url> page = copy.sourceURL;
  if (!page && copy.webArchive) page = archivedPage(*copy.webArchive);

  prepared.entry = ClipboardEntry(ClipboardEntry::Fields{
      .id = base::Uuid::random(),
      .title = std::move(title),
      .text = copy.text,
      .kind = copy.kind,
      .sourceAppID = copy.sourceAppID,
      .sourceAppName = copy.sourceAppName,
      .copiedAt = copy.date,
      .byteCount = payload.byteCount(),
      .tags = tagger.tags(copy.kind, copy.text, copy.sourceAppName, copy.sourceAppID, page, fileURLs),
  });
  return prepared;
}

}  // namespace quillo::clipboard
