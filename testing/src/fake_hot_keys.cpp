#include "quillo/testing/fake_hot_keys.h"

#include <fmt/format.h>

namespace quillo::testing {

std::optional<FakeHotKeys::Reference> FakeHotKeys::registerHotKey(std::uint32_t keyCode,
                                                                  std::uint32_t modifiers,
                                                                  std::uint32_t number) {
  record(fmt::format("register {} {}", keyCode, modifiers));
  if (noGlobalShortcuts || refused.contains({keyCode, modifiers}) || isRegistered(keyCode, modifiers))
    return std::nullopt;
  const Reference reference = nextReference_++;
  registrations_[reference] = Registration{keyCode, modifiers, number};
  return reference;
}

void FakeHotKeys::unregisterHotKey(Reference reference) {
  const auto found = registrations_.find(reference);
  if (found == registrations_.end()) {
    record("unregister unknown");
    return;
  }
  record(fmt::format("unregister {} {}", found->second.keyCode, found->second.modifiers));
  registrations_.erase(found);
}

bool FakeHotKeys::installHandler(Handler handler) {
  record("installHandler");
  if (handlerRefused) return false;
  handler_ = std::move(handler);
  return true;
}

std::optional<std::string> FakeHotKeys::keyCharacter(std::uint32_t keyCode) const {
  const auto found = characters.find(keyCode);
  if (found == characters.end()) return std::nullopt;
  return found->second;
}

std::vector<FakeHotKeys::Registration> FakeHotKeys::registered() const {
  std::vector<Registration> result;
  for (const auto& [reference, registration] : registrations_)
    result.push_back(registration);
  return result;
}

bool FakeHotKeys::isRegistered(std::uint32_t keyCode, std::uint32_t modifiers) const {
  for (const auto& [reference, registration] : registrations_) {
    if (registration.keyCode == keyCode && registration.modifiers == modifiers) return true;
  }
  return false;
}

bool FakeHotKeys::press(std::uint32_t keyCode, std::uint32_t modifiers) {
  return send(keyCode, modifiers, EventKind::pressed);
}

bool FakeHotKeys::release(std::uint32_t keyCode, std::uint32_t modifiers) {
  return send(keyCode, modifiers, EventKind::released);
}

bool FakeHotKeys::send(std::uint32_t keyCode, std::uint32_t modifiers, EventKind kind) {
  if (!handler_) return false;
  for (const auto& [reference, registration] : registrations_) {
    if (registration.keyCode == keyCode && registration.modifiers == modifiers) {
      handler_(registration.number, kind);
      return true;
    }
  }
  return false;
}

void FakeHotKeys::record(const std::string& call) {
  calls.push_back(call);
  if (journal != nullptr) journal->push_back(call);
}

}  // namespace quillo::testing
