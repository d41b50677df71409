#include "consented_hot_keys.h"

#include <utility>

namespace quillo::ui {

ConsentedHotKeys::ConsentedHotKeys(std::unique_ptr<platform::HotKeys> fallback, Make makeConsented)
    : fallback_(std::move(fallback)), makeConsented_(std::move(makeConsented)) {}

void ConsentedHotKeys::setConsent(bool consent) {
  if (consent == consented()) return;
  releaseConsented();
  if (!consent) return;
  consented_ = makeConsented_();
  if (handler_) consented_->installHandler(handler_);
}

void ConsentedHotKeys::releaseConsented() {
  // The registrations of the backend given up are ended here, so that what it wrote goes too.
  for (const auto& [ours, theirs] : live_)
    current().unregisterHotKey(theirs);
  live_.clear();
  consented_.reset();
}

void ConsentedHotKeys::leaveInDesktop() {
  live_.clear();
  consented_.reset();
}

std::optional<platform::HotKeys::Reference> ConsentedHotKeys::registerHotKey(std::uint32_t keyCode,
                                                                             std::uint32_t modifiers,
                                                                             std::uint32_t number) {
  const auto theirs = current().registerHotKey(keyCode, modifiers, number);
  if (!theirs) return std::nullopt;
  live_[next_] = *theirs;
  return next_++;
}

void ConsentedHotKeys::unregisterHotKey(Reference reference) {
  const auto found = live_.find(reference);
  if (found == live_.end()) return;
  current().unregisterHotKey(found->second);
  live_.erase(found);
}

bool ConsentedHotKeys::installHandler(Handler handler) {
  handler_ = handler;
  return current().installHandler(std::move(handler));
}

}  // namespace quillo::ui
