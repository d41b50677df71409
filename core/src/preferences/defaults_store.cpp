#include "quillo/core/preferences/defaults_store.h"

#include <map>
#include <vector>

namespace quillo::core {

struct DefaultsStore::Observers {
  std::map<std::size_t, Observer> byId;
  std::size_t nextId = 0;
};

DefaultsStore::Subscription::Subscription(std::weak_ptr<void> registry, std::function<void()> cancel)
    : registry_(std::move(registry)), cancel_(std::move(cancel)) {}

DefaultsStore::Subscription::~Subscription() {
  cancel();
}

DefaultsStore::Subscription& DefaultsStore::Subscription::operator=(Subscription&& other) noexcept {
  if (this != &other) {
    cancel();
    registry_ = std::move(other.registry_);
    cancel_ = std::move(other.cancel_);
  }
  return *this;
}

void DefaultsStore::Subscription::cancel() {
  // The store may be gone before its observers.
  if (cancel_ && !registry_.expired()) cancel_();
  cancel_ = nullptr;
}

DefaultsStore::DefaultsStore() : observers_(std::make_shared<Observers>()) {}
DefaultsStore::~DefaultsStore() = default;

void DefaultsStore::set(std::string_view key, DefaultsValue value) {
  store(key, std::move(value));
  notify(key);
}

void DefaultsStore::remove(std::string_view key) {
  if (!value(key)) return;
  store(key, std::nullopt);
  notify(key);
}

DefaultsStore::Subscription DefaultsStore::observe(Observer observer) {
  const std::size_t id = observers_->nextId++;
  observers_->byId.emplace(id, std::move(observer));
  Observers* observers = observers_.get();
  return Subscription(observers_, [observers, id] { observers->byId.erase(id); });
}

void DefaultsStore::notify(std::string_view key) {
  // An observer may subscribe or cancel while being told: call a snapshot.
  std::vector<Observer> current;
  for (const auto& [id, observer] : observers_->byId)
    current.push_back(observer);
  for (const Observer& observer : current)
    observer(key);
}

std::string_view kindName(DefaultsValue::Kind kind) {
  switch (kind) {
    case DefaultsValue::Kind::boolean:
      return "boolean";
    case DefaultsValue::Kind::integer:
      return "integer";
    case DefaultsValue::Kind::real:
      return "real";
    case DefaultsValue::Kind::string:
      return "string";
    case DefaultsValue::Kind::data:
      return "data";
    case DefaultsValue::Kind::date:
      return "date";
    case DefaultsValue::Kind::array:
      return "array";
    case DefaultsValue::Kind::dictionary:
      return "dictionary";
  }
  return "";
}

}  // namespace quillo::core
