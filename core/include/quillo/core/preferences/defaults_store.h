#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_value.h"

namespace quillo::core {

// The store could not read or write; what() is the message shown to the user.
class DefaultsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A key or value the store refuses before writing anything, because it would not read back the
// same: text that is not valid UTF-8 or holds a NUL, say. what() says which, for the user.
class UnstorableValue : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// Whether the text can be stored and read back unchanged: valid UTF-8 without a NUL.
bool isStorableText(std::string_view text);

// The user-defaults store: typed values by key, every change announced to observers.
// Not thread-safe: it belongs to the main thread.
class DefaultsStore {
 public:
  using Observer = std::function<void(std::string_view key)>;
  // Makes the new value under a key from the stored one; none removes the key.
  using Transform = std::function<std::optional<DefaultsValue>(const std::optional<DefaultsValue>& stored)>;

  // Keeps an observer registered while it lives.
  class Subscription {
   public:
    Subscription() = default;
    Subscription(std::weak_ptr<void> registry, std::function<void()> cancel);
    ~Subscription();
    Subscription(Subscription&&) noexcept = default;
    Subscription& operator=(Subscription&&) noexcept;
    Subscription(const Subscription&) = delete;
    Subscription& operator=(const Subscription&) = delete;

   private:
    void cancel();
    std::weak_ptr<void> registry_;
    std::function<void()> cancel_;
  };

  DefaultsStore();
  virtual ~DefaultsStore();

  virtual std::optional<DefaultsValue> value(std::string_view key) const = 0;
  virtual DefaultsValue::Dictionary all() const = 0;

  // Each change writes through at once. Throws UnstorableValue before writing anything, and
  // DefaultsError when it cannot write; either way the previous value is kept.
  void set(std::string_view key, DefaultsValue value);
  void remove(std::string_view key);
  // Replaces the value under `key` with what `transform` makes of the stored one. In a store shared
  // with other processes that is the newest stored value, which may be newer than value(key):
  // counting with update never loses another process's count.
  void update(std::string_view key, const Transform& transform);

  [[nodiscard]] Subscription observe(Observer observer);

 protected:
  // Applies the transform to the stored value and keeps the result; true when value(key) or the
  // stored value changed. The transform has already been checked to make storable values.
  virtual bool store(std::string_view key, const Transform& transform) = 0;

 private:
  struct Observers;
  void notify(std::string_view key);
  std::shared_ptr<Observers> observers_;
};

}  // namespace quillo::core
