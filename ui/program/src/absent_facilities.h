#pragma once

#include <string>

#include "layout_keys.h"
#include "quillo/platform/hot_keys.h"
#include "quillo/platform/key_events.h"
#include "quillo/platform/pasteboard.h"

namespace quillo::ui {

// The clipboard of a session that gives this program none (a Wayland compositor without the
// data-control protocol and no X server beside it): always empty, and writes go nowhere, so that
// the history shows what it has and records nothing new.
class UnavailablePasteboard final : public platform::Pasteboard {
 public:
  std::int64_t changeCount() override { return 0; }
  std::vector<std::vector<std::string>> itemTypes() override { return {}; }
  platform::PasteboardRead read(std::size_t, std::string_view, std::size_t) override { return {}; }
  void write(const std::vector<platform::PasteboardItem>&) override {}
  void clear() override {}
};

// Key presses in a session that lets no program type into another: never trusted, so that the
// paste service asks the user to paste by hand.
class UntrustedKeyEvents final : public platform::KeyEvents {
 public:
  bool isTrusted() override { return false; }
  bool post(const platform::KeyStroke&) override { return false; }
};

// Global shortcuts in a session that grabs none for programs: every registration is refused, and
// the shortcut settings tell the user to bind `quillo --toggle` and `quillo --clipboard` in the
// desktop's own keyboard settings.
class UnavailableHotKeys final : public platform::HotKeys {
 public:
  std::optional<Reference> registerHotKey(std::uint32_t, std::uint32_t, std::uint32_t) override {
    return std::nullopt;
  }
  void unregisterHotKey(Reference) override {}
  bool installHandler(Handler) override { return false; }
  bool offersGlobalShortcuts() const override { return false; }
  platform::KeyLabelStyle labelStyle() const override { return platform::KeyLabelStyle::words; }
  std::optional<std::string> keyCharacter(std::uint32_t keyCode) const override {
    return layout_.character(keyCode);
  }

 private:
  LayoutKeys layout_;
};

}  // namespace quillo::ui
