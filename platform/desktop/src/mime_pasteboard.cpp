#include "quillo/platform/desktop/mime_pasteboard.h"

#include <algorithm>
#include <map>

#include "quillo/platform/desktop/clipboard_types.h"

namespace quillo::platform::desktop {
namespace {

constexpr std::string_view fileURL = "public.file-url";
constexpr std::string_view plainText = "public.utf8-plain-text";
// A file list is read whole to count its files; a million bytes holds thousands of paths.
constexpr std::size_t fileListLimit = 1 << 20;

bool offers(const std::vector<std::string>& targets, const std::string& target) {
  return std::find(targets.begin(), targets.end(), target) != targets.end();
}

std::string text(const std::vector<std::uint8_t>& bytes) {
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

std::int64_t MimePasteboard::changeCount() {
  return static_cast<std::int64_t>(backend_->changeCount());
}

const MimePasteboard::Offer& MimePasteboard::currentOffer() {
  const auto change = backend_->changeCount();
  if (offer_ && offer_->change == change) return *offer_;
  Offer offer{change, backend_->targets(), {}, {}};
  offer.types = typesForTargets(offer.targets);
  if (std::find(offer.types.begin(), offer.types.end(), fileURL) != offer.types.end()) {
    for (const auto& target : targetsForType(fileURL)) {
      if (!offers(offer.targets, target)) continue;
      const auto list = backend_->read(target, fileListLimit);
      if (list.outcome != SelectionRead::Outcome::data) continue;
      offer.files = urisOfList(list.bytes);
      break;
    }
  }
  offer_ = std::move(offer);
  return *offer_;
}

std::vector<std::vector<std::string>> MimePasteboard::itemTypes() {
  std::lock_guard lock(mutex_);
  const auto& offer = currentOffer();
  if (offer.types.empty()) return {};
  if (offer.files.empty()) return {offer.types};
  // One item per file; the other types (the file names as text, markers) stay on the first.
  std::vector<std::vector<std::string>> items(offer.files.size(),
                                              std::vector<std::string>{std::string(fileURL)});
  for (const auto& type : offer.types)
    if (type != fileURL) items.front().push_back(type);
  return items;
}

PasteboardRead MimePasteboard::read(std::size_t item, std::string_view type, std::size_t limit) {
  std::lock_guard lock(mutex_);
  const auto& offer = currentOffer();
  if (type == fileURL) {
    if (item >= offer.files.size()) return {};
    const auto& uri = offer.files[item];
    if (uri.size() > limit) return {PasteboardRead::Outcome::overLimit, {}};
    return {PasteboardRead::Outcome::data, {uri.begin(), uri.end()}};
  }
  if (item != 0) return {};
  for (const auto& target : targetsForType(type)) {
    if (!offers(offer.targets, target)) continue;
    auto value = backend_->read(target, limit);
    switch (value.outcome) {
      case SelectionRead::Outcome::data:
        return {PasteboardRead::Outcome::data, {value.bytes.begin(), value.bytes.end()}};
      case SelectionRead::Outcome::tooLarge:
        return {PasteboardRead::Outcome::overLimit, {}};
      case SelectionRead::Outcome::refused:
      case SelectionRead::Outcome::timedOut:
        continue;
    }
  }
  return {};
}

void MimePasteboard::write(const std::vector<PasteboardItem>& items) {
  std::map<std::string, std::string> values;
  std::vector<std::string> files;
  std::vector<std::string> texts;
  for (const auto& item : items) {
    for (const auto& representation : item.representations) {
      if (representation.type == fileURL)
        files.push_back(text(representation.data));
      else if (representation.type == plainText)
        texts.push_back(text(representation.data));
      else
        for (const auto& target : targetsForType(representation.type))
          values.emplace(target, text(representation.data));
    }
  }
  if (!files.empty()) {
    values["text/uri-list"] = uriList(files);
    values["x-special/gnome-copied-files"] = copiedFilesList(files);
  }
  // The selection holds one value per target: several texts paste as one, a line each.
  if (!texts.empty()) {
    std::string joined;
    for (const auto& part : texts)
      joined += (joined.empty() ? "" : "\n") + part;
    for (const auto& target : targetsForType(plainText))
      values[target] = joined;
  }
  backend_->own(std::move(values));
}

void MimePasteboard::clear() {
  backend_->own({});
}

}  // namespace quillo::platform::desktop
