#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/desktop/selection_backend.h"
#include "quillo/platform/pasteboard.h"

namespace quillo::platform::desktop {

// The Pasteboard seam over a Linux clipboard that speaks MIME targets: targets listed before any
// value moves and mapped to type identifiers, values read with their cap checked during the
// transfer, a file list of N files as N items, our copies with the write marker as a target.
// Safe for concurrent use: reads wait on the owner, so callers keep them off the main thread.
class MimePasteboard final : public Pasteboard {
 public:
  explicit MimePasteboard(std::unique_ptr<SelectionBackend> backend) : backend_(std::move(backend)) {}

  std::int64_t changeCount() override;
  std::vector<std::vector<std::string>> itemTypes() override;
  PasteboardRead read(std::size_t item, std::string_view type, std::size_t limit) override;
  void write(const std::vector<PasteboardItem>& items) override;
  void clear() override;

 private:
  // What the current owner offers, read once per change.
  struct Offer {
    std::uint64_t change = 0;
    std::vector<std::string> targets;
    std::vector<std::string> types;
    std::vector<std::string> files;
  };
  const Offer& currentOffer();

  std::unique_ptr<SelectionBackend> backend_;
  std::mutex mutex_;
  std::optional<Offer> offer_;
};

}  // namespace quillo::platform::desktop
