#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "quillo/app/clipboard/concealed_copies.h"
#include "quillo/base/date.h"
#include "quillo/base/url.h"
#include "quillo/clipboard/copy_preparation.h"
#include "quillo/core/preferences/clipboard_preferences.h"
#include "quillo/platform/pasteboard.h"

namespace quillo::app {

// The largest copies the history records; larger ones are skipped, never cut.
inline constexpr std::size_t kMaximumImageCopyBytes = 33'554'432;
inline constexpr std::size_t kMaximumTextRepresentationBytes = 1'048'576;

// Where a copy came from and when, as the monitor knows it before reading the pasteboard.
struct SnapshotContext {
  std::string appID{};
  std::string appName{};
  base::Date now{};
  std::chrono::steady_clock::time_point steadyNow{};
};

// What the pasteboard holds now as a copy to record; none when the copy is to be skipped:
// recording off, an excluded or declared excluded source, a marker of confidential, transient or
// our own content, no wanted type, over a size limit, or the text of a recent concealed copy.
// The types are judged before any data is read, and every read is capped at the limit that
// applies. A concealed copy's text is remembered in `concealed` (as a keyed hash) and nothing
// else of it is kept. Main thread; reads the pasteboard.
std::optional<clipboard::CapturedCopy> takeSnapshot(platform::Pasteboard& board,
                                                    const SnapshotContext& context,
                                                    const core::ClipboardPreferences& preferences,
                                                    ConcealedCopies& concealed);

// An http or https URL in the text (trimmed), or none.
std::optional<base::Url> webURL(std::string_view text);

}  // namespace quillo::app
