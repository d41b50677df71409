#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "quillo/platform/pasteboard.h"

namespace quillo::testing {

// A pasteboard held in memory. Every write or `copy` moves the change count, as the system's
// does. `duringNextRead` runs once inside the next data read, so a test can change the
// content while a snapshot is being taken.
class FakePasteboard final : public platform::Pasteboard {
 public:
  std::vector<platform::PasteboardItem> items;
  std::int64_t count = 1;
  // Every type read, as "item:type", for tests that check what was (not) transferred.
  std::vector<std::string> reads;
  int changeCountReads = 0;
  std::function<void(FakePasteboard&)> duringNextRead;

  // Puts another application's copy on the pasteboard.
  void copy(std::vector<platform::PasteboardItem> newItems);
  // One item with one text representation of type "public.utf8-plain-text".
  void copyText(std::string_view text);

  std::int64_t changeCount() override;
  std::vector<std::vector<std::string>> itemTypes() override;
  platform::PasteboardRead read(std::size_t item, std::string_view type, std::size_t limit) override;
  void write(const std::vector<platform::PasteboardItem>& newItems) override { copy(newItems); }
  void clear() override { copy({}); }
};

// One representation as a pasteboard item holds it, from text.
platform::PasteboardItem::Representation representation(std::string_view type, std::string_view data);

}  // namespace quillo::testing
