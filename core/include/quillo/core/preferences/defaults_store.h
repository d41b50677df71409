#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "quillo/core/preferences/defaults_value.h"

namespace quillo::core {

// The store could not write; what() is the message shown to the user.
class DefaultsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The user-defaults store: typed values by key, every change announced to observers.
// Not thread-safe: it belongs to the main thread.
class DefaultsStore {
 public:
  using Observer = std::function<void(std::string_view key)>;

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

  // Writes through at once; throws DefaultsError and keeps the previous value when it cannot.
  void set(std::string_view key, DefaultsValue value);
  void remove(std::string_view key);

  [[nodiscard]] Subscription observe(Observer observer);

 protected:
  virtual void store(std::string_view key, std::optional<DefaultsValue> value) = 0;

 private:
  struct Observers;
  void notify(std::string_view key);
  std::shared_ptr<Observers> observers_;
};

}  // namespace quillo::core
