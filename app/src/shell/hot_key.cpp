#include "quillo/app/shell/hot_key.h"

#include <limits>
#include <utility>

namespace quillo::app {
namespace {

bool fitsIn32Bits(std::int64_t value) {
  return value >= 0 && value <= std::numeric_limits<std::uint32_t>::max();
}

}  // namespace

HotKeyCenter::HotKeyCenter(platform::HotKeys& keys) : keys_(keys), state_(std::make_shared<State>()) {}

bool HotKeyCenter::installHandlerOnce() {
  if (state_->handlerInstalled) return true;
  const std::weak_ptr<State> weakState = state_;
  state_->handlerInstalled =
      keys_.installHandler([weakState](std::uint32_t number, platform::HotKeys::EventKind kind) {
        const auto state = weakState.lock();
        if (!state) return;
        if (kind == platform::HotKeys::EventKind::released) {
          state->pressedIDs.erase(number);
          return;
        }
        // A held key repeats its pressed event: only the first one counts.
        if (!state->pressedIDs.insert(number).second) return;
        const auto found = state->actions.find(number);
        if (found == state->actions.end()) return;
        // A copy: the action may unregister its own hot key.
        const auto action = found->second;
        action();
      });
  return state_->handlerInstalled;
}

std::optional<HotKey> HotKey::make(HotKeyCenter& center, std::int64_t keyCode, std::int64_t modifiers,
                                   std::function<void()> action) {
  auto& state = *center.state_;
  if (state.lastNumber == std::numeric_limits<std::uint32_t>::max()) return std::nullopt;
  if (!fitsIn32Bits(keyCode) || !fitsIn32Bits(modifiers)) return std::nullopt;
  const std::uint32_t number = ++state.lastNumber;
  const auto reference = center.keys_.registerHotKey(static_cast<std::uint32_t>(keyCode),
                                                     static_cast<std::uint32_t>(modifiers), number);
  if (!reference) return std::nullopt;
  if (!center.installHandlerOnce()) {
    center.keys_.unregisterHotKey(*reference);
    return std::nullopt;
  }
  state.actions[number] = std::move(action);
  return HotKey(center, number, *reference);
}

HotKey::HotKey(HotKey&& other) noexcept
    : center_(other.center_),
      number_(other.number_),
      reference_(std::exchange(other.reference_, std::nullopt)) {}

HotKey& HotKey::operator=(HotKey&& other) noexcept {
  if (this != &other) {
    unregister();
    center_ = other.center_;
    number_ = other.number_;
    reference_ = std::exchange(other.reference_, std::nullopt);
  }
  return *this;
}

void HotKey::unregister() {
  if (!reference_) return;
  center_->keys_.unregisterHotKey(*std::exchange(reference_, std::nullopt));
  center_->state_->actions.erase(number_);
  center_->state_->pressedIDs.erase(number_);
}

}  // namespace quillo::app
