#pragma once

#include <map>
#include <memory>
#include <mutex>

#include "quillo/platform/desktop/x11_key_grabber.h"
#include "quillo/platform/hot_keys.h"
#include "quillo/platform/main_queue.h"

namespace quillo::platform::desktop {

// Global shortcuts of an X11 session behind the HotKeys seam: keys grabbed by their place on the
// keyboard, Command as Super, events handed to the main queue.
class X11HotKeys final : public HotKeys {
 public:
  explicit X11HotKeys(MainQueue& main, const char* display = nullptr);
  ~X11HotKeys() override;

  std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::uint32_t number) override;
  void unregisterHotKey(Reference reference) override;
  bool installHandler(Handler handler) override;
  KeyLabelStyle labelStyle() const override { return KeyLabelStyle::words; }
  std::optional<std::string> keyCharacter(std::uint32_t keyCode) const override;

 private:
  // Shared with the events in flight to the main queue, which find it gone after destruction.
  struct Registrations {
    std::mutex mutex;
    std::map<Reference, std::uint32_t> numbers;
    Handler handler;
    bool alive = true;
  };

  const char* display_;
  std::shared_ptr<Registrations> registrations_ = std::make_shared<Registrations>();
  Reference nextReference_ = 1;
  X11KeyGrabber grabber_;
};

}  // namespace quillo::platform::desktop
