#pragma once

#include <functional>
#include <map>
#include <memory>

#include "quillo/platform/hot_keys.h"

namespace quillo::ui {

// The hot keys of a desktop that grabs no keys for programs but lets them write shortcuts into its
// own keyboard settings: without the user's consent every registration is refused (the fallback
// says how to bind the commands by hand); with it they go to the desktop's settings. Withdrawing
// consent removes what was written there. After a change the owners of the shortcuts register
// them again. Main thread only.
class ConsentedHotKeys final : public platform::HotKeys {
 public:
  using Make = std::function<std::unique_ptr<platform::HotKeys>()>;

  // `makeConsented` makes the desktop-settings backend when consent is given; it may throw.
  ConsentedHotKeys(std::unique_ptr<platform::HotKeys> fallback, Make makeConsented);

  // Gives or withdraws consent; throws what making the desktop's backend throws, leaving consent
  // withdrawn.
  void setConsent(bool consent);
  bool consented() const { return consented_ != nullptr; }
  // Gives the desktop's backend up without ending its registrations, for a program that quits:
  // what it wrote in the desktop's settings starts the program again, so it outlives the process.
  // Later registrations go to the fallback.
  void leaveInDesktop();

  std::optional<Reference> registerHotKey(std::uint32_t keyCode, std::uint32_t modifiers,
                                          std::uint32_t number) override;
  void unregisterHotKey(Reference reference) override;
  bool installHandler(Handler handler) override;
  platform::KeyLabelStyle labelStyle() const override { return current().labelStyle(); }
  std::optional<std::string> keyCharacter(std::uint32_t keyCode) const override {
    return fallback_->keyCharacter(keyCode);
  }

 private:
  platform::HotKeys& current() const { return consented_ ? *consented_ : *fallback_; }
  void releaseConsented();

  std::unique_ptr<platform::HotKeys> fallback_;
  Make makeConsented_;
  std::unique_ptr<platform::HotKeys> consented_;
  Handler handler_;
  // Our references to the current backend's; those of a backend given up are dropped.
  std::map<Reference, Reference> live_;
  Reference next_ = 1;
};

}  // namespace quillo::ui
