#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "quillo/platform/desktop/x11_selection_owner.h"
#include "quillo/platform/desktop/x11_selection_reader.h"
#include "quillo/platform/desktop/x11_selection_watcher.h"
#include "quillo/platform/pasteboard.h"

namespace quillo::platform::desktop {

// The clipboard of an X11 session (and of GNOME's Wayland session, which mirrors it to X11
// programs): changes counted from XFixes notifications, targets listed before any value moves,
// values read with their cap checked during the transfer, our copies served by an owner of our
// own. A file list of N files is N items. Safe for concurrent use: reads wait on the X server,
// so callers keep them off the main thread.
class X11Pasteboard final : public Pasteboard {
 public:
  explicit X11Pasteboard(const char* display = nullptr);

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

  X11SelectionWatcher watcher_;
  X11SelectionOwner owner_;
  std::mutex mutex_;
  X11SelectionReader reader_;
  std::optional<Offer> offer_;
};

}  // namespace quillo::platform::desktop
