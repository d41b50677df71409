#include "quillo/testing/fake_pasteboard.h"

#include <algorithm>
#include <utility>

namespace quillo::testing {

platform::PasteboardItem::Representation representation(std::string_view type, std::string_view data) {
  return {std::string(type), std::vector<std::uint8_t>(data.begin(), data.end())};
}

void FakePasteboard::copy(std::vector<platform::PasteboardItem> newItems) {
  items = std::move(newItems);
  ++count;
}

void FakePasteboard::copyText(std::string_view text) {
  copy({platform::PasteboardItem{{representation("public.utf8-plain-text", text)}}});
}

std::int64_t FakePasteboard::changeCount() {
  ++changeCountReads;
  return count;
}

std::vector<std::vector<std::string>> FakePasteboard::itemTypes() {
  std::vector<std::vector<std::string>> types;
  for (const auto& item : items) {
    auto& listed = types.emplace_back();
    for (const auto& each : item.representations)
      listed.push_back(each.type);
  }
  return types;
}

platform::PasteboardRead FakePasteboard::read(std::size_t item, std::string_view type, std::size_t limit) {
  if (auto during = std::exchange(duringNextRead, nullptr)) during(*this);
  reads.push_back(std::to_string(item) + ":" + std::string(type));
  if (item >= items.size()) return {};
  const auto& representations = items[item].representations;
  const auto found = std::find_if(representations.begin(), representations.end(),
                                  [&](const auto& each) { return each.type == type; });
  if (found == representations.end()) return {};
  if (found->data.size() > limit) return {.outcome = platform::PasteboardRead::Outcome::overLimit};
  return {.outcome = platform::PasteboardRead::Outcome::data, .bytes = found->data};
}

}  // namespace quillo::testing
