#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "quillo/base/date.h"
#include "quillo/base/uuid.h"
#include "quillo/clipboard/clipboard_kind.h"
#include "quillo/clipboard/clipboard_tag.h"
#include "quillo/clipboard/shared_text.h"

namespace quillo::clipboard {

// One item of the history as it is listed and searched; the payload stays in the database.
struct ClipboardEntry {
  // What a new entry is made of; the constructor keeps the pin date consistent with the pin.
  struct Fields {
    base::Uuid id{};
    std::string title{};
    SharedText text{};
    ClipboardKind kind = ClipboardKind::text;
    std::string sourceAppID{};
    std::string sourceAppName{};
    base::Date copiedAt{};
    bool isPinned = false;
    std::optional<base::Date> pinnedAt{};
    std::int64_t byteCount = 0;
    std::vector<ClipboardTag> tags{};
    std::optional<std::string> imageText{};
  };

  ClipboardEntry() = default;
  // A pinned entry keeps the given pin date, or its copy date when none is given; an unpinned one
  // has none, whatever is given.
  explicit ClipboardEntry(Fields fields);

  base::Uuid id;
  std::string title;
  // Shared between copies of the entry: texts run to megabytes and results are copies.
  SharedText text;
  ClipboardKind kind = ClipboardKind::text;
  // Bundle identifier of the application copied from; "" when unknown.
  std::string sourceAppID;
  std::string sourceAppName;
  // The latest copy.
  base::Date copiedAt;
  // Pinned entries are never removed automatically.
  bool isPinned = false;
  std::optional<base::Date> pinnedAt;
  // What the entry counts against the storage limit.
  std::int64_t byteCount = 0;
  std::vector<ClipboardTag> tags;
  // Text recognised in an image; none until recognition ran.
  std::optional<std::string> imageText;

  // Text that looks like a key, a token or a hash: hidden in lists and forgotten soon.
  bool isToken() const;

  bool operator==(const ClipboardEntry&) const = default;
};

// The category tag that marks token-looking text.
ClipboardTag tokenTag();

}  // namespace quillo::clipboard
