#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "quillo/base/date.h"
#include "quillo/base/url.h"
#include "quillo/clipboard/clipboard_entry.h"
#include "quillo/clipboard/clipboard_payload.h"
#include "quillo/clipboard/clipboard_tagger.h"

// Turning a captured copy into what the history saves: its entry (title, tags), its thumbnail
// and its payload. The clipboard monitor and `quillo-cli clip add` both prepare copies here.
namespace quillo::clipboard {

// A copy as it was captured, before it is described.
struct CapturedCopy {
  ClipboardKind kind = ClipboardKind::text;
  ClipboardPayload payload{};
  // The copy's text: the items' texts joined with line feeds, or the files' paths.
  std::string text{};
  std::string sourceAppID{};
  std::string sourceAppName{};
  // The page copied from, when the copy named one.
  std::optional<base::Url> sourceURL{};
  // A web archive the copy carried, whose main resource names the page when sourceURL is none.
  std::optional<Bytes> webArchive{};
  // Image files whose bytes become the payload when the copy is prepared (the payload is then
  // empty): JPEG files of a copy from another device.
  std::vector<std::filesystem::path> imageFiles{};
  base::Date date{};

  bool operator==(const CapturedCopy&) const = default;
};

// What the history saves for a copy.
struct PreparedCopy {
  ClipboardEntry entry;
  // PNG, longest side at most 320 pixels; empty when there is none or it could not be made.
  Bytes thumbnail;
  ClipboardPayload payload;
};

// The most bytes of image files read into one copy.
inline constexpr std::size_t kMaximumImageFileBytes = 32 * 1024 * 1024;

// A payload described as it would be captured: `image` when an item carries image data, `file`
// when every item carries a file URL, else `link` or `text` by its plain text. Throws
// ClipboardError invalidContent for a payload with none of these.
CapturedCopy capturedPayload(ClipboardPayload payload, std::string sourceAppName, std::string sourceAppID,
                             std::optional<base::Url> sourceURL, base::Date date);

// Prepares a captured copy: reads its image files, titles it ("Image · 1200 × 800", "3 files ·
// a.pdf", the first line of its text), makes its thumbnail, finds its source page and tags it.
// The entry has a new id, is not pinned and has no image text. Throws ClipboardError
// invalidContent when image files cannot be read or hold more than 32 MB together.
// Stateless; may run on any thread.
PreparedCopy prepareCopy(const CapturedCopy& copy, const ClipboardTagger& tagger);

}  // namespace quillo::clipboard
