#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "quillo/platform/hot_keys.h"

namespace quillo::app {

// The process's hot-key state shared by every HotKey: the counter that numbers registrations, the
// action of each number, the numbers whose key is held, and the one event handler. Main thread
// only; it may be destroyed before the seam, whose handler then does nothing.
class HotKeyCenter {
 public:
  explicit HotKeyCenter(platform::HotKeys& keys);

  platform::HotKeys& keys() const { return keys_; }

 private:
  friend class HotKey;
  struct State {
    std::uint32_t lastNumber = 0;
    std::map<std::uint32_t, std::function<void()>> actions;
    std::set<std::uint32_t> pressedIDs;
    bool handlerInstalled = false;
  };

  bool installHandlerOnce();

  platform::HotKeys& keys_;
  std::shared_ptr<State> state_;
};

// One registered system-wide shortcut calling its action when pressed: once per press, however
// long the key is held. Unregistered on destruction. Main thread only.
class HotKey {
 public:
  // Registers the combination (a Mac key code and a Carbon modifier mask); none when the numbers
  // are used up, the values do not fit, the desktop refuses the combination or the event handler
  // cannot be installed.
  static std::optional<HotKey> make(HotKeyCenter& center, std::int64_t keyCode, std::int64_t modifiers,
                                    std::function<void()> action);

  HotKey(HotKey&& other) noexcept;
  HotKey& operator=(HotKey&& other) noexcept;
  HotKey(const HotKey&) = delete;
  HotKey& operator=(const HotKey&) = delete;
  ~HotKey() { unregister(); }

  // Unregisters and forgets the action; nothing happens the second time.
  void unregister();
  std::uint32_t number() const { return number_; }

 private:
  HotKey(HotKeyCenter& center, std::uint32_t number, platform::HotKeys::Reference reference)
      : center_(&center), number_(number), reference_(reference) {}

  HotKeyCenter* center_;
  std::uint32_t number_;
  std::optional<platform::HotKeys::Reference> reference_;
};

}  // namespace quillo::app
