#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "quillo/platform/hot_keys.h"

namespace quillo::testing {

// Hot keys held in memory: the test decides which combinations the desktop refuses, presses and
// releases keys, and reads the calls made.
class FakeHotKeys final : public platform::HotKeys {
 public:
  struct Registration {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::uint32_t number = 0;
  };

  // Combinations (key code, modifiers) the desktop refuses.
  std::set<std::pair<std::uint32_t, std::uint32_t>> refused;
  bool handlerRefused = false;
  // A desktop that lets no program register global shortcuts: every registration is refused.
  bool noGlobalShortcuts = false;
  // The user turned the desktop's request for our shortcuts down: what the desktop reports.
  std::optional<std::string> refusedByUser;
  platform::KeyLabelStyle style = platform::KeyLabelStyle::symbols;
  std::map<std::uint32_t, std::string> characters{{9, "v"}, {0, "a"}, {8, "c"}};
  // Every call, in order: "register 49 256", "unregister 49 256", "installHandler".
  std::vector<std::string> calls;
  // When set, every call is also written here, so that a test can order them among other events.
  std::vector<std::string>* journal = nullptr;

  std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::uint32_t number) override;
  void unregisterHotKey(Reference reference) override;
  bool installHandler(Handler handler) override;
  bool offersGlobalShortcuts() const override { return !noGlobalShortcuts; }
  std::optional<std::string> refusal() const override { return refusedByUser; }
  platform::KeyLabelStyle labelStyle() const override { return style; }
  std::optional<std::string> keyCharacter(std::uint32_t keyCode) const override;

  // The registrations in force.
  std::vector<Registration> registered() const;
  bool isRegistered(std::uint32_t keyCode, std::uint32_t modifiers) const;
  // Sends the events of the combination, as the desktop does while it is registered; false when
  // it is not registered or no handler is installed. Holding a key sends `press` again.
  bool press(std::uint32_t keyCode, std::uint32_t modifiers);
  bool release(std::uint32_t keyCode, std::uint32_t modifiers);

 private:
  void record(const std::string& call);
  bool send(std::uint32_t keyCode, std::uint32_t modifiers, EventKind kind);

  std::map<Reference, Registration> registrations_;
  Reference nextReference_ = 1;
  Handler handler_;
};

}  // namespace quillo::testing
