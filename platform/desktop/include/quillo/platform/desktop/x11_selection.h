#pragma once

#include <mutex>

#include "quillo/platform/desktop/selection_backend.h"
#include "quillo/platform/desktop/x11_selection_owner.h"
#include "quillo/platform/desktop/x11_selection_reader.h"
#include "quillo/platform/desktop/x11_selection_watcher.h"

namespace quillo::platform::desktop {

// X11's CLIPBOARD (also GNOME's Wayland clipboard, which the compositor mirrors to X11 programs
// through XWayland): changes from XFixes, reads and our copies on connections of their own.
class X11Selection final : public SelectionBackend {
 public:
  explicit X11Selection(const char* display = nullptr)
      : watcher_(display, "CLIPBOARD"), owner_(display), reader_(display) {}

  std::uint64_t changeCount() override { return watcher_.changeCount(); }
  std::vector<std::string> targets() override {
    std::lock_guard lock(mutex_);
    return reader_.targets();
  }
  SelectionRead read(std::string_view target, std::size_t cap) override {
    std::lock_guard lock(mutex_);
    return reader_.read(target, cap);
  }
  void own(std::map<std::string, std::string> values) override { owner_.own(std::move(values)); }

 private:
  X11SelectionWatcher watcher_;
  X11SelectionOwner owner_;
  std::mutex mutex_;
  X11SelectionReader reader_;
};

}  // namespace quillo::platform::desktop
