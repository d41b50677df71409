#include "quillo/core/preferences/defaults_store.h"

#include <fmt/format.h>

#include <map>
#include <vector>

#include "quillo/base/unicode.h"

namespace quillo::core {
namespace {

// The text as it can be shown: ill-formed bytes as U+FFFD, a NUL as "\\0" (what() ends at a NUL).
std::string printable(std::string_view text) {
  std::string shown;
  for (const char c : base::sanitizedUtf8(text))
    shown += c == '\0' ? std::string("\\0") : std::string(1, c);
  return shown;
}

std::string describe(std::string_view what, std::string_view text) {
  return fmt::format("{} \"{}\" is not valid text (UTF-8 without NUL characters); nothing was changed", what,
                     printable(text));
}

void checkText(const DefaultsValue& value, std::string_view key) {
  if (const std::string* text = value.string(); text && !isStorableText(*text))
    throw UnstorableValue(describe(fmt::format("the value under {}", printable(key)), *text));
  if (const auto* array = value.array()) {
    for (const DefaultsValue& item : *array)
      checkText(item, key);
  }
  if (const auto* dictionary = value.dictionary()) {
    for (const auto& [inner, item] : *dictionary) {
      if (!isStorableText(inner)) throw UnstorableValue(describe("the key", inner));
      checkText(item, key);
    }
  }
}

void requireStorable(std::string_view key, const DefaultsValue& value) {
  checkText(value, key);
}

}  // namespace

bool isStorableText(std::string_view text) {
  return text.find('\0') == std::string_view::npos && base::sanitizedUtf8(text) == text;
}

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
  requireStorable(key, value);
  update(key, [&](const std::optional<DefaultsValue>&) { return value; });
}

void DefaultsStore::remove(std::string_view key) {
  update(key, [](const std::optional<DefaultsValue>&) { return std::nullopt; });
}

void DefaultsStore::update(std::string_view key, const Transform& transform) {
  if (!isStorableText(key)) throw UnstorableValue(describe("the key", key));
  const bool changed = store(key, [&](const std::optional<DefaultsValue>& stored) {
    std::optional<DefaultsValue> next = transform(stored);
    if (next) requireStorable(key, *next);
    return next;
  });
  if (changed) notify(key);
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
